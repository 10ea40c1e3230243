#include "sortrule.h"

#include "asciicollation.h"
#include "decimalnumber.h"

#include <QHash>
#include <QLocale>
#include <QtEndian>

#include <algorithm>
#include <cstring>
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

struct NumberEntry
{
    double value;
    qsizetype index;
};

// A plain text's key: its first sixteen bytes, which decide most
// comparisons, and where the rest lies.
struct PlainEntry
{
    static constexpr std::size_t headSize = 16;

    quint64 head[2];
    std::size_t tail; // offset of the bytes beyond the head
    std::size_t size; // of the whole key
    qsizetype index;

    bool precedes(const PlainEntry &other, const char *tails) const
    {
        if (head[0] != other.head[0]) {
            return head[0] < other.head[0];
        }
        if (head[1] != other.head[1]) {
            return head[1] < other.head[1];
        }
        // Equal heads: a shorter key is zeros there, hence a prefix.
        const std::size_t common = std::min(size, other.size);
        if (common > headSize) {
            const int compared = std::memcmp(tails + tail, tails + other.tail, common - headSize);
            if (compared != 0) {
                return compared < 0;
            }
        }
        return size != other.size ? size < other.size : index < other.index;
    }
};

// The entry of a text the ASCII model covers; none for another text.
std::optional<PlainEntry> plainEntry(const AsciiCollation &ascii, QStringView text, qsizetype index,
                                     std::vector<char> &key, std::vector<char> &tails)
{
    const std::size_t room =
        std::max(std::size_t(AsciiCollation::maxSortKeySize(text.size())), PlainEntry::headSize);
    if (key.size() < room) {
        key.resize(room);
    }
    const qsizetype written = ascii.writeSortKey(text, key.data());
    if (written < 0) {
        return std::nullopt;
    }
    const std::size_t size = std::size_t(written);
    if (size < PlainEntry::headSize) {
        std::memset(key.data() + size, 0, PlainEntry::headSize - size);
    }
    const PlainEntry entry{
        {qFromBigEndian<quint64>(key.data()), qFromBigEndian<quint64>(key.data() + 8)},
        tails.size(),
        size,
        index};
    if (size > PlainEntry::headSize) {
        tails.insert(tails.end(), key.data() + PlainEntry::headSize, key.data() + size);
    }
    return entry;
}

// A text that starts with a letter, Latin or Japanese, is no number: most
// drawing numbers and names skip the number parser.
bool startsWithLetter(QStringView text)
{
    if (text.isEmpty()) {
        return false;
    }
    const char16_t c = text.front().unicode();
    // No white space, full-width sign or digit lies between the ideographic
    // space and the full-width forms.
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c > u'\u3000' && c < u'\uFF01');
}

// An other text's collation key, shared by its repeats.
struct TextEntry
{
    qsizetype key;
    qsizetype index;
};

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

const CollationKey &SortRule::Key::collationKey() const
{
    if (!m_collationKey) {
        m_collationKey.emplace(m_rule->m_collator, m_text);
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
    return order(texts.size(), [&texts](qsizetype i) -> const QString & { return texts[i]; });
}

QList<qsizetype> SortRule::order(qsizetype count, TextGetter textAt, const void *context) const
{
    // Numbers come before all texts, so each kind is sorted apart on small
    // records that compare without calls, ties going to the earlier row so
    // that any sort is stable; plain texts and the others are then merged.
    std::vector<NumberEntry> numbers;
    std::vector<PlainEntry> plains;
    std::vector<TextEntry> others;
    // Room for every row; the pages a kind leaves unused are never touched.
    numbers.reserve(std::size_t(count));
    plains.reserve(std::size_t(count));
    others.reserve(std::size_t(count));
    std::vector<char> tails; // plain keys' bytes beyond their heads
    std::vector<char> key;
    std::vector<CollationKey> collationKeys;
    collationKeys.reserve(std::size_t(count));
    // Names and materials repeat down a column: a text that needs a
    // collation key gets it once, and its copies share it. A column whose
    // texts rarely repeat stops looking after a thousand.
    QHash<QString, qsizetype> collated;
    qsizetype repeats = 0;
    bool looking = true;
    for (qsizetype i = 0; i < count; ++i) {
        const QString &text = textAt(context, i);
        if (!startsWithLetter(text)) {
            if (const std::optional<double> number = DecimalNumber::parseWhole(text)) {
                numbers.push_back({*number == 0.0 ? 0.0 : *number, i}); // -0 is 0
                continue;
            }
        }
        if (m_ascii->usable()) {
            if (const std::optional<PlainEntry> plain = plainEntry(*m_ascii, text, i, key, tails)) {
                plains.push_back(*plain);
                continue;
            }
        }
        if (looking) {
            const auto found = collated.constFind(text);
            if (found != collated.cend()) {
                ++repeats;
                others.push_back({*found, i});
                continue;
            }
            collated.insert(text, qsizetype(collationKeys.size()));
            if (collated.size() >= 1024 && repeats < collated.size()) {
                looking = false;
                collated.clear();
            }
        }
        others.push_back({qsizetype(collationKeys.size()), i});
        collationKeys.emplace_back(m_collator, text);
    }
    collated.clear();

    std::sort(numbers.begin(), numbers.end(), [](const NumberEntry &a, const NumberEntry &b) {
        return a.value != b.value ? a.value < b.value : a.index < b.index;
    });
    std::sort(plains.begin(), plains.end(), [&tails](const PlainEntry &a, const PlainEntry &b) {
        return a.precedes(b, tails.data());
    });
    std::sort(
        others.begin(), others.end(), [&collationKeys](const TextEntry &a, const TextEntry &b) {
            if (a.key != b.key) {
                const int compared =
                    collationKeys[std::size_t(a.key)].compare(collationKeys[std::size_t(b.key)]);
                if (compared != 0) {
                    return compared < 0;
                }
            }
            return a.index < b.index;
        });

    QList<qsizetype> permutation(count);
    qsizetype *out = permutation.data();
    for (const NumberEntry &number : numbers) {
        *out++ = number.index;
    }
    // Each other text goes in after the plain texts before it, found by a
    // search that widens from where the last one went: collation keys are
    // made only for the plain texts it looks at.
    std::vector<std::optional<CollationKey>> plainKeys(others.empty() ? 0 : plains.size());
    std::size_t next = 0;
    for (const TextEntry &other : others) {
        const CollationKey &otherKey = collationKeys[std::size_t(other.key)];
        const auto after = [&](std::size_t p) {
            std::optional<CollationKey> &plainKey = plainKeys[p];
            if (!plainKey) {
                plainKey.emplace(m_collator, textAt(context, plains[p].index));
            }
            const int compared = plainKey->compare(otherKey);
            return compared > 0 || (compared == 0 && plains[p].index > other.index);
        };
        std::size_t low = next;
        std::size_t bound = next;
        for (std::size_t step = 1; bound < plains.size() && !after(bound); step *= 2) {
            low = bound + 1;
            bound += step;
        }
        std::size_t high = std::min(bound, plains.size());
        while (low < high) {
            const std::size_t middle = low + (high - low) / 2;
            if (after(middle)) {
                high = middle;
            } else {
                low = middle + 1;
            }
        }
        for (; next < low; ++next) {
            *out++ = plains[next].index;
        }
        *out++ = other.index;
    }
    for (; next < plains.size(); ++next) {
        *out++ = plains[next].index;
    }
    return permutation;
}

void permuteRows(QString *firstCell, int perRow, const QList<qsizetype> &order)
{
    // In place, cycle by cycle: a second copy of a large table would cost
    // more in fresh memory than the sort itself.
    const auto row = [firstCell, perRow](qsizetype index) { return firstCell + index * perRow; };
    std::vector<bool> placed(std::size_t(order.size()), false);
    std::vector<QString> held(static_cast<std::size_t>(perRow));
    for (qsizetype start = 0; start < order.size(); ++start) {
        if (placed[std::size_t(start)]) {
            continue;
        }
        std::swap_ranges(held.begin(), held.end(), row(start));
        qsizetype target = start;
        while (order[target] != start) {
            std::swap_ranges(row(target), row(target) + perRow, row(order[target]));
            placed[std::size_t(target)] = true;
            target = order[target];
        }
        std::swap_ranges(held.begin(), held.end(), row(target));
        placed[std::size_t(target)] = true;
    }
}
