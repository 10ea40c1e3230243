#pragma once

#include "readingtally.h"
#include "titleextractor.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// What the batch program does with its drawings: the rows a drop of the same
// files in the same order onto the given table would give, sorted the same
// way, with a report of every file that could not be read.
class BatchExtraction
{
public:
    struct Problem
    {
        QString path;
        QString reason;
    };

    static constexpr int Fields = 6;

    // One set of positions, no labels.
    explicit BatchExtraction(const std::array<QString, 12> &XYPos);
    explicit BatchExtraction(const TitleExtractor::Sources &sources);

    qsizetype rowCount() const { return cells.size() / Fields; }

    // Appends one row per readable drawing; directories and unreadable paths
    // get none and are reported. Sorts by 図番 when any drawing was given.
    void addDrawings(const QStringList &paths);

    // Six cells a row, row after row: a kept list of 100,000 rows is one
    // allocation, not one a row.
    QList<QString> cells;
    QList<Problem> problems;
    QStringList drawingsWithUnencodable; // texts code page 932 cannot hold
    QStringList drawingsWithoutText;     // rows made, but no text record at all
    ReadingTally tally;                  // how the rows were read

private:
    TitleExtractor::Sources m_sources;
};
