#include "sortrule.h"

#include "asciicollation.h"
#include "decimalnumber.h"

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

namespace {

QCollator japaneseCollator()
{
    QCollator collator(QLocale(QLocale::Japanese, QLocale::Japan));
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseSensitive);
    return collator;
}

} // namespace

SortRule::Key::Key(const SortRule *rule, Kind kind, double number, QString text)
    : m_rule(rule), m_kind(kind), m_number(number), m_text(std::move(text))
{
    if (m_kind == Kind::Plain) {
        m_plainKey = m_rule->m_ascii->sortKey(m_text);
        for (qsizetype i = 0; i < 8; ++i) {
            const quint64 byte = i < m_plainKey.size() ? quint8(m_plainKey[i]) : 0;
            m_head = (m_head << 8) | byte;
        }
    }
}

const QCollatorSortKey &SortRule::Key::collationKey() const
{
    if (!m_collationKey) {
        m_collationKey = m_rule->m_collator.sortKey(m_text);
    }
    return *m_collationKey;
}

bool SortRule::Key::operator<(const Key &other) const
{
    const bool number = m_kind == Kind::Number;
    const bool otherNumber = other.m_kind == Kind::Number;
    if (number && otherNumber) {
        return m_number < other.m_number;
    }
    if (number || otherNumber) {
        return number; // numbers first
    }
    if (m_kind == Kind::Plain && other.m_kind == Kind::Plain) {
        if (m_head != other.m_head) {
            return m_head < other.m_head;
        }
        return AsciiCollation::compareKeys(m_plainKey, other.m_plainKey) < 0;
    }
    return collationKey().compare(other.collationKey()) < 0;
}

SortRule::SortRule() : m_collator(japaneseCollator())
{
    // Checked against the collator once per process.
    static const AsciiCollation ascii(japaneseCollator());
    m_ascii = &ascii;
}

SortRule::Key SortRule::key(const QString &text) const
{
    std::optional<double> number = DecimalNumber::parseWhole(text);
    if (number) {
        return Key(this, Key::Kind::Number, *number == 0.0 ? 0.0 : *number, QString()); // -0 is 0
    }
    return textKey(text);
}

SortRule::Key SortRule::textKey(const QString &text) const
{
    if (m_ascii->usable() && AsciiCollation::covers(text)) {
        return Key(this, Key::Kind::Plain, 0.0, text);
    }
    return Key(this, Key::Kind::Text, 0.0, text);
}

bool SortRule::lessThan(const QString &left, const QString &right) const
{
    return key(left) < key(right);
}

QList<qsizetype> SortRule::order(const QList<QString> &texts) const
{
    // Numbers come before all texts, so the two are sorted apart, the
    // numbers as plain values.
    std::vector<std::pair<double, qsizetype>> numbers;
    QList<qsizetype> textIndex;
    QList<Key> keys;
    // Room for every row; the pages a column of numbers leaves unused are
    // never touched.
    textIndex.reserve(texts.size());
    keys.reserve(texts.size());
    // Names and materials repeat down a column: a text that needs a
    // collation key gets it once, and its copies share it. A column whose
    // texts rarely repeat stops looking after a thousand.
    QHash<QString, qsizetype> collated;
    qsizetype repeats = 0;
    bool looking = true;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const QString &text = texts[i];
        if (const std::optional<double> number = DecimalNumber::parseWhole(text)) {
            numbers.emplace_back(*number == 0.0 ? 0.0 : *number, i); // -0 is 0
            continue;
        }
        textIndex.append(i);
        Key key = textKey(text);
        if (key.m_kind == Key::Kind::Text && looking) {
            const auto found = collated.constFind(text);
            if (found != collated.cend()) {
                ++repeats;
                keys.append(keys[*found]);
                continue;
            }
            collated.insert(text, keys.size());
            if (collated.size() >= 1024 && repeats < collated.size()) {
                looking = false;
                collated.clear();
            }
        }
        if (key.m_kind == Key::Kind::Text) {
            key.collationKey();
        }
        keys.append(std::move(key));
    }
    collated.clear();
    std::stable_sort(numbers.begin(), numbers.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<qsizetype> byKey(keys.size());
    std::iota(byKey.begin(), byKey.end(), qsizetype(0));
    std::stable_sort(byKey.begin(), byKey.end(),
                     [&keys](qsizetype a, qsizetype b) { return keys[a] < keys[b]; });
    QList<qsizetype> permutation;
    permutation.reserve(texts.size());
    for (const auto &number : numbers) {
        permutation.append(number.second);
    }
    for (const qsizetype k : std::as_const(byKey)) {
        permutation.append(textIndex[k]);
    }
    return permutation;
}
