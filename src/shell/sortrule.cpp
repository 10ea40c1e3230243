#include "sortrule.h"

#include "decimalnumber.h"

#include <QLocale>

#include <algorithm>
#include <numeric>

SortRule::Key::Key(std::optional<double> number, std::optional<QCollatorSortKey> text)
    : m_number(number), m_text(std::move(text))
{}

bool SortRule::Key::operator<(const Key &other) const
{
    if (m_number && other.m_number) {
        return *m_number < *other.m_number;
    }
    if (m_number || other.m_number) {
        return m_number.has_value(); // numbers first
    }
    return m_text->compare(*other.m_text) < 0;
}

SortRule::SortRule() : m_collator(QLocale(QLocale::Japanese, QLocale::Japan))
{
    m_collator.setNumericMode(true);
    m_collator.setCaseSensitivity(Qt::CaseSensitive);
}

SortRule::Key SortRule::key(const QString &text) const
{
    std::optional<double> number = DecimalNumber::parseWhole(text);
    if (number && *number == 0.0) {
        number = 0.0; // -0 and 0 are one value
    }
    if (number) {
        return Key(number, std::nullopt);
    }
    return Key(std::nullopt, m_collator.sortKey(text));
}

bool SortRule::lessThan(const QString &left, const QString &right) const
{
    return key(left) < key(right);
}

QList<qsizetype> SortRule::order(const QList<QString> &texts) const
{
    QList<Key> keys;
    keys.reserve(texts.size());
    for (const QString &text : texts) {
        keys.append(key(text));
    }
    QList<qsizetype> permutation(texts.size());
    std::iota(permutation.begin(), permutation.end(), qsizetype(0));
    std::stable_sort(permutation.begin(), permutation.end(),
                     [&keys](qsizetype a, qsizetype b) { return keys[a] < keys[b]; });
    return permutation;
}
