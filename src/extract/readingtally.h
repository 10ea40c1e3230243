#pragma once

#include "titleextractor.h"

#include <QString>
#include <QStringList>

#include <array>

// How the drawings of one drop or batch were read: so many by each set, so
// many by their labels, and those where nothing found a 図番.
class ReadingTally
{
public:
    void add(TitleExtractor::Source source, const QString &path);

    bool isEmpty() const;
    // 「ｾｯﾄ1: 40 枚、ｾｯﾄ2: 8 枚、項目名: 2 枚、図番なし: 1 枚」, the ways that read none left out.
    QString summary() const;
    // Whether to say more than the count: not when set 1 read everything.
    bool onlySet1() const;
    // Whether every drawing was read by a set (no labels, none without 図番).
    bool allFittedASet() const;

    QStringList withoutDrawingNumber;

private:
    std::array<qsizetype, 5> m_counts{};
};
