#pragma once

#include "platform/collationkey.h"

#include <QByteArray>
#include <QCollator>
#include <QList>
#include <QString>

#include <optional>

class AsciiCollation;

// The table's ascending order on one column. A text that, trimmed of blanks,
// is a decimal number is a number; numbers compare by value and come before
// all other texts, which compare by a Japanese collation in numeric mode
// (A-2 before A-10). The order is a strict weak ordering; callers sort stably.
class SortRule
{
public:
    // A key is valid while the rule that made it lives.
    class Key
    {
    public:
        bool operator<(const Key &other) const;

    private:
        friend class SortRule;
        enum class Kind : unsigned char { Number, Plain, Text };
        Key(const SortRule *rule, Kind kind, double number, QString text);
        const CollationKey &collationKey() const;

        const SortRule *m_rule;
        Kind m_kind;
        double m_number;
        // Plain texts (printable ASCII) compare by a key of bytes whose first
        // eight are kept here, as most comparisons end there. The collation
        // key is made when first compared; for a plain text only when it
        // meets a text of another kind.
        quint64 m_head = 0;
        QByteArray m_plainKey;
        QString m_text;
        mutable std::optional<CollationKey> m_collationKey;
    };

    SortRule();

    // Keys are computed once per cell so that sorting compares cheap keys.
    Key key(const QString &text) const;
    bool lessThan(const QString &left, const QString &right) const;

    // Stable permutation that puts `texts` in ascending order.
    QList<qsizetype> order(const QList<QString> &texts) const;
    // The same for `count` texts that textAt(i) gives, from a table's column
    // say, without copying them into a list; the texts live through the call.
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
    Key textKey(const QString &text) const; // for a text that is no number

    QCollator m_collator;
    const AsciiCollation *m_ascii; // shared by all rules; may be unusable
};

// Moves whole rows of `perRow` cells, starting at `firstCell`, so that row i
// takes the row that was at order[i].
void permuteRows(QString *firstCell, int perRow, const QList<qsizetype> &order);
