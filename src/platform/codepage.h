#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

// Text in the Japanese Windows code page (932: Shift_JIS with the NEC and IBM
// extensions, through ICU) and the UTF-8 alternative. Invalid bytes decode to
// U+FFFD; decoding never fails.
namespace CodePage {

QString decode(QByteArrayView bytes);
QString decodeUtf8(QByteArrayView bytes);

// Decodes bytes that are all characters of the code page; false, with `text`
// untouched, at the first byte that is not. Cheap enough to call per cell.
bool decodeValid(QByteArrayView bytes, QString &text);

struct Encoded
{
    QByteArray bytes;
    // Positions (in UTF-16 units of the input) of the characters the code
    // page cannot hold; each was written as "?".
    QList<qsizetype> unencodable;
};

Encoded encode(QStringView text);
bool canEncode(QStringView text);

// Appends the text's bytes to `out`, each character the code page lacks as
// "?", its position added to `unencodable` when given. False when any was.
bool encodeInto(QStringView text, QByteArray &out, QList<qsizetype> *unencodable = nullptr);
// The same into memory with room for two bytes a UTF-16 unit of the text;
// returns the end of what was written.
char *encodeTo(QStringView text, char *out, QList<qsizetype> *unencodable = nullptr);

// ICU's conversion itself, as the functions above gave it before they kept
// their own tables: what the tables are built from and checked against.
QString icuDecode(QByteArrayView bytes);
Encoded icuEncode(QStringView text);

} // namespace CodePage
