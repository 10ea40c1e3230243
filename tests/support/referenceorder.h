#pragma once

#include "platform/collationkey.h"
#include "shell/decimalnumber.h"

#include <QCollator>
#include <QList>
#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <numeric>

// The table's order written the plain way, to check the fast one against:
// numbers by value before all texts, texts as the Japanese collator in
// numeric, case-sensitive mode orders them, ties in their first order.
class ReferenceOrder
{
public:
    ReferenceOrder() : m_collator(QLocale(QLocale::Japanese, QLocale::Japan))
    {
        m_collator.setNumericMode(true);
        m_collator.setCaseSensitivity(Qt::CaseSensitive);
    }

    const QCollator &collator() const { return m_collator; }

    bool less(const QString &left, const QString &right) const
    {
        const std::optional<double> a = DecimalNumber::parseWhole(left);
        const std::optional<double> b = DecimalNumber::parseWhole(right);
        if (a && b) {
            return *a < *b;
        }
        if (a || b) {
            return a.has_value();
        }
        // Through the same key as the table: ICU's compare() and its sort
        // keys disagree on texts made only of ignorable characters.
        return CollationKey(m_collator, left).compare(CollationKey(m_collator, right)) < 0;
    }

    QList<qsizetype> order(const QStringList &texts) const
    {
        QList<qsizetype> indexes(texts.size());
        std::iota(indexes.begin(), indexes.end(), qsizetype(0));
        std::stable_sort(indexes.begin(), indexes.end(),
                         [&](qsizetype a, qsizetype b) { return less(texts[a], texts[b]); });
        return indexes;
    }

private:
    QCollator m_collator;
};
