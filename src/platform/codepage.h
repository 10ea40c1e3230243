#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

// Text in the Japanese Windows code page (932: Shift_JIS with the NEC and IBM
// extensions and the user-defined area, converted as Windows does it, from
// the project's own table: every platform reads and writes the same bytes)
// and the UTF-8 alternative. decode() and decodeUtf8() refuse no bytes: each
// sequence that is no character comes out as U+FFFD, so the text tells what
// was lost only where that character cannot stand for itself (code page
// 932); decodeValid() tells whether there was one.
namespace CodePage {

QString decode(QByteArrayView bytes);
QString decodeUtf8(QByteArrayView bytes);

// Decodes bytes that are all characters of the code page; false, with `text`
// untouched, at the first byte that is not. Cheap enough to call per cell.
bool decodeValid(QByteArrayView bytes, QString &text);
// How many sequences decode() reads as U+FFFD, and where the first begins.
qsizetype countInvalid(QByteArrayView bytes, qsizetype *first = nullptr);

// How many bytes from the start are printable characters (no control
// character) that encode() writes as these same bytes (of a character with
// two codes, only the one Windows writes), up to the first `stop` byte.
qsizetype writtenBackUntil(QByteArrayView bytes, char stop);

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

} // namespace CodePage
