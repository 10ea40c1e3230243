#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <array>

class QCollator;

// A collator's order on texts of printable ASCII characters, computed without
// asking it: a short key of bytes per text, built without the collator. The
// model is that of a numeric, case-sensitive collation: letters compare
// without case first, digit runs by value (leading zeros do not count), and
// the first difference of case decides between texts otherwise equal, small
// letters first. The order of the characters is taken from the collator
// itself and the whole model is checked against it on construction; when a
// platform's collator orders otherwise, usable() is false and callers keep to
// the collator.
class AsciiCollation
{
public:
    explicit AsciiCollation(const QCollator &collator);

    bool usable() const { return m_usable; }

    // Bytes whose plain byte order is the collator's order of covered texts,
    // written into `key`, which holds at least maxSortKeySize() bytes: its
    // size, or -1 for a text not covered.
    qsizetype writeSortKey(QStringView text, char *key) const;
    static qsizetype maxSortKeySize(qsizetype textSize) { return 4 * textSize + 1; }

private:
    bool agreesWith(const QCollator &collator) const;
    QByteArray sortKey(QStringView text) const;
    static int compareKeys(QByteArrayView left, QByteArrayView right);

    std::array<unsigned char, 128> m_rank{}; // 0: not covered
    bool m_usable = false;
};
