#pragma once

#include <QCollator>
#include <QCollatorSortKey>
#include <QString>

// A text's key for a collator, made once and compared as the collator
// compares the texts. Qt's own sort keys on Windows (LCMapString) are sized
// wrongly and leave part of each key uninitialised, so that a text can
// compare unequal to itself; there a key keeps the text and compares it
// through the collator. A key is valid while its collator lives.
class CollationKey
{
public:
    CollationKey(const QCollator &collator, const QString &text);

    int compare(const CollationKey &other) const;

private:
#ifdef Q_OS_WIN
    const QCollator *m_collator;
    QString m_text;
#else
    QCollatorSortKey m_key;
#endif
};
