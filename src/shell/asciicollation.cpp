#include "asciicollation.h"

#include <QCollator>
#include <QList>
#include <QString>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr char16_t firstPrintable = 0x20;
constexpr char16_t lastPrintable = 0x7E;
// Collators read longer digit runs in pieces; such texts go to the collator.
constexpr qsizetype maxDigitRun = 32;

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool isUpper(char16_t c)
{
    return c >= u'A' && c <= u'Z';
}

// Texts on which the model is checked: every character alone, and short
// mixes of letters in both cases, digits with leading zeros and the marks a
// drawing number holds.
QList<QString> probes()
{
    QList<QString> texts;
    texts.append(QString());
    for (char16_t c = firstPrintable; c <= lastPrintable; ++c) {
        texts.append(QString(QChar(c)));
    }
    const QString pairs = QStringLiteral("aAbBzZ019 -._/#()+");
    for (QChar first : pairs) {
        for (QChar second : pairs) {
            texts.append(QString(first) + second);
        }
    }
    const QString triples = QStringLiteral("aA0 1-");
    for (QChar first : triples) {
        for (QChar second : triples) {
            for (QChar third : triples) {
                texts.append(QString(first) + second + third);
            }
        }
    }
    for (const char *text : {"A-2",
                             "A-10",
                             "A-02",
                             "a-10",
                             "A-2-1",
                             "A-2a",
                             "A-2A",
                             "007",
                             "7",
                             "70",
                             "a07b",
                             "a7B",
                             "A7b",
                             "x10y",
                             "x9y",
                             "000",
                             "0",
                             "00a",
                             "0a",
                             "99999999999999999999",
                             "100000000000000000000",
                             "ab-cd",
                             "abcd",
                             "ab cd",
                             "Ab-cd",
                             "a-b",
                             "a_b",
                             "a--b",
                             "AB-1.5",
                             "AB-1.10"}) {
        texts.append(QString::fromLatin1(text));
    }
    return texts;
}

} // namespace

AsciiCollation::AsciiCollation(const QCollator &collator)
{
    // One rank per character without case, in the collator's order of the
    // characters alone; a capital takes the rank of its small letter.
    QList<QString> alone;
    for (char16_t c = firstPrintable; c <= lastPrintable; ++c) {
        if (!isUpper(c)) {
            alone.append(QString(QChar(c)));
        }
    }
    std::stable_sort(alone.begin(), alone.end(), [&collator](const QString &a, const QString &b) {
        return collator.compare(a, b) < 0;
    });
    for (qsizetype i = 0; i < alone.size(); ++i) {
        if (i > 0 && collator.compare(alone[i - 1], alone[i]) >= 0) {
            return; // two characters the collator does not tell apart
        }
        m_rank[alone[i].front().unicode()] = static_cast<unsigned char>(i + 1);
    }
    // Digit runs are one kind of thing, ordered by value: no other
    // character may sort among the digits.
    if (m_rank[u'9'] - m_rank[u'0'] != 9) {
        return;
    }
    for (char16_t c = u'1'; c <= u'9'; ++c) {
        m_rank[c] = m_rank[u'0'];
    }
    for (char16_t c = u'A'; c <= u'Z'; ++c) {
        m_rank[c] = m_rank[c - u'A' + u'a'];
    }
    m_usable = agreesWith(collator);
}

// The characters' ranks, a digit run as its rank, its length and its digits
// without leading zeros; then 0, then the case of each of them. The ranks
// take at most three bytes a character, so the cases are written after that
// room and moved down at the end.
qsizetype AsciiCollation::writeSortKey(QStringView text, char *key) const
{
    const char16_t *c = text.utf16();
    const char16_t *const end = c + text.size();
    char *ranks = key;
    char *const casesStart = key + 3 * text.size() + 1;
    char *cases = casesStart;
    while (c < end) {
        const char16_t u = *c;
        if (u < firstPrintable || u > lastPrintable) {
            return -1;
        }
        *ranks++ = char(m_rank[u]);
        if (!isDigit(u)) {
            *cases++ = isUpper(u) ? '\2' : '\1';
            ++c;
            continue;
        }
        const char16_t *const run = c;
        while (c < end && *c == u'0') {
            ++c;
        }
        const char16_t *const digits = c;
        char *const length = ranks++;
        for (; c < end && isDigit(*c); ++c) {
            *ranks++ = char(*c);
        }
        if (c - run > maxDigitRun) {
            return -1;
        }
        *length = char(c - digits);
        *cases++ = '\1';
    }
    *ranks++ = '\0';
    std::memmove(ranks, casesStart, std::size_t(cases - casesStart));
    return (ranks - key) + (cases - casesStart);
}

QByteArray AsciiCollation::sortKey(QStringView text) const
{
    QByteArray key(maxSortKeySize(text.size()), Qt::Uninitialized);
    key.truncate(std::max(writeSortKey(text, key.data()), qsizetype(0)));
    return key;
}

int AsciiCollation::compareKeys(QByteArrayView left, QByteArrayView right)
{
    const int common =
        std::memcmp(left.data(), right.data(), std::size_t(std::min(left.size(), right.size())));
    if (common != 0) {
        return common;
    }
    return left.size() == right.size() ? 0 : (left.size() < right.size() ? -1 : 1);
}

// Both orders are total preorders, so they are the same on the probes when
// the model's sorted sequence is sorted for the collator too, with ties in
// the same places.
bool AsciiCollation::agreesWith(const QCollator &collator) const
{
    std::vector<std::pair<QByteArray, QString>> texts;
    for (QString &text : probes()) {
        QByteArray key = sortKey(text);
        texts.emplace_back(std::move(key), std::move(text));
    }
    std::sort(texts.begin(), texts.end(),
              [](const auto &a, const auto &b) { return compareKeys(a.first, b.first) < 0; });
    for (std::size_t i = 1; i < texts.size(); ++i) {
        const int model = compareKeys(texts[i - 1].first, texts[i].first);
        const int actual = collator.compare(texts[i - 1].second, texts[i].second);
        if ((model < 0) != (actual < 0) || (model == 0) != (actual == 0)) {
            return false;
        }
    }
    return true;
}
