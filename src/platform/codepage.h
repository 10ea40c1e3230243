#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// Text in the Japanese Windows code page (932: Shift_JIS with the NEC and IBM
// extensions, through ICU) and the UTF-8 alternative. Invalid bytes decode to
// U+FFFD; decoding never fails.
namespace CodePage {

QString decode(QByteArrayView bytes);
QString decodeUtf8(QByteArrayView bytes);

struct Encoded
{
    QByteArray bytes;
    // Positions (in UTF-16 units of the input) of the characters the code
    // page cannot hold; each was written as "?".
    QList<qsizetype> unencodable;
};

Encoded encode(const QString &text);
bool canEncode(const QString &text);

} // namespace CodePage
