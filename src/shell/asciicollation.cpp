#include "asciicollation.h"

#include <QCollator>
#include <QList>
#include <QString>

#include <algorithm>
#include <cstring>

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

bool AsciiCollation::covers(QStringView text)
{
    qsizetype digitRun = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < firstPrintable || u > lastPrintable) {
            return false;
        }
        digitRun = isDigit(u) ? digitRun + 1 : 0;
        if (digitRun > maxDigitRun) {
            return false;
        }
    }
    return true;
}

QByteArray AsciiCollation::sortKey(QStringView text) const
{
    // The characters' ranks, a digit run as its rank, its length and its
    // digits without leading zeros; then 0, then the case of each of them.
    // A first pass measures the key, so that it is allocated once, exactly.
    const qsizetype size = text.size();
    qsizetype rankBytes = 0;
    qsizetype caseBytes = 0;
    for (qsizetype i = 0; i < size; ++caseBytes) {
        ++rankBytes;
        if (!isDigit(text[i].unicode())) {
            ++i;
            continue;
        }
        ++rankBytes;
        while (i < size && text[i] == u'0') {
            ++i;
        }
        for (; i < size && isDigit(text[i].unicode()); ++i) {
            ++rankBytes;
        }
    }
    QByteArray key(rankBytes + 1 + caseBytes, Qt::Uninitialized);
    char *ranks = key.data();
    char *cases = key.data() + rankBytes + 1;
    key[rankBytes] = '\0';
    for (qsizetype i = 0; i < size;) {
        const char16_t c = text[i].unicode();
        *ranks++ = char(m_rank[c]);
        if (!isDigit(c)) {
            *cases++ = isUpper(c) ? '\2' : '\1';
            ++i;
            continue;
        }
        while (i < size && text[i] == u'0') {
            ++i;
        }
        qsizetype end = i;
        while (end < size && isDigit(text[end].unicode())) {
            ++end;
        }
        *ranks++ = char(end - i);
        for (; i < end; ++i) {
            *ranks++ = char(text[i].unicode());
        }
        *cases++ = '\1';
    }
    return key;
}

int AsciiCollation::compare(QStringView left, QStringView right) const
{
    return compareKeys(sortKey(left), sortKey(right));
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
    QList<QString> texts = probes();
    std::sort(texts.begin(), texts.end(),
              [this](const QString &a, const QString &b) { return compare(a, b) < 0; });
    for (qsizetype i = 1; i < texts.size(); ++i) {
        const int model = compare(texts[i - 1], texts[i]);
        const int actual = collator.compare(texts[i - 1], texts[i]);
        if ((model < 0) != (actual < 0) || (model == 0) != (actual == 0)) {
            return false;
        }
    }
    return true;
}
