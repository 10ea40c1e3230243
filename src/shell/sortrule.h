#pragma once

#include <QCollatorSortKey>
#include <QList>
#include <QString>

#include <optional>

// The table's ascending order on one column. A text that, trimmed of blanks,
// is a decimal number is a number; numbers compare by value and come before
// all other texts, which compare by a Japanese collation in numeric mode
// (A-2 before A-10). The order is a strict weak ordering; callers sort stably.
class SortRule
{
public:
    class Key
    {
    public:
        bool operator<(const Key &other) const;

    private:
        friend class SortRule;
        Key(std::optional<double> number, std::optional<QCollatorSortKey> text);
        std::optional<double> m_number;
        std::optional<QCollatorSortKey> m_text; // only for texts that are no number
    };

    SortRule();

    // Keys are computed once per cell so that sorting compares cheap keys.
    Key key(const QString &text) const;
    bool lessThan(const QString &left, const QString &right) const;

    // Stable permutation that puts `texts` in ascending order.
    QList<qsizetype> order(const QList<QString> &texts) const;

private:
    QCollator m_collator;
};
