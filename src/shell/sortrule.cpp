#include "sortrule.h"

#include "asciicollation.h"
#include "decimalnumber.h"

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <numeric>

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
    QList<Key> keys;
    keys.reserve(texts.size());
    // Names and materials repeat down a column: a text that needs a
    // collation key gets it once, and its copies share it.
    QHash<QString, qsizetype> collated;
    for (const QString &text : texts) {
        Key key = this->key(text);
        if (key.m_kind == Key::Kind::Text) {
            const auto found = collated.constFind(text);
            if (found != collated.cend()) {
                keys.append(keys[*found]);
                continue;
            }
            collated.insert(text, keys.size());
            key.collationKey();
        }
        keys.append(std::move(key));
    }
    QList<qsizetype> permutation(texts.size());
    std::iota(permutation.begin(), permutation.end(), qsizetype(0));
    std::stable_sort(permutation.begin(), permutation.end(),
                     [&keys](qsizetype a, qsizetype b) { return keys[a] < keys[b]; });
    return permutation;
}
