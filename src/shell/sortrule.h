#pragma once

#include "platform/collationkey.h"

#include <QCollator>
#include <QList>
#include <QString>

class AsciiCollation;

// The table's ascending order on one column. A text that, trimmed of blanks,
// is a decimal number is a number; numbers compare by value and come before
// all other texts, which compare by a Japanese collation in numeric mode
// (A-2 before A-10). The order is a strict weak ordering; callers sort stably.
class SortRule
{
public:
    SortRule();

    // Stable permutation that puts `texts` in ascending order.
    QList<qsizetype> order(const QList<QString> &texts) const;
    // The same for `count` texts that textAt(i) gives, from a table's column
    // say, without copying them into a list. Each text is used before the
    // next is asked for, so textAt may refill one string each time.
    template <typename TextAt> QList<qsizetype> order(qsizetype count, const TextAt &textAt) const
    {
        return order(
            count,
            [](const void *context, qsizetype i) -> const QString & {
                return (*static_cast<const TextAt *>(context))(i);
            },
            &textAt);
    }

private:
    using TextGetter = const QString &(*)(const void *context, qsizetype i);
    QList<qsizetype> order(qsizetype count, TextGetter textAt, const void *context) const;

    QCollator m_collator;
    const AsciiCollation *m_ascii; // shared by all rules; may be unusable
};

// Moves whole rows of `perRow` cells, starting at `firstCell`, so that row i
// takes the row that was at order[i].
void permuteRows(QString *firstCell, int perRow, const QList<qsizetype> &order);
