#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Turns table rows into the bytes of a parts-list file: per row one record of
// six fields, each a double quote, the text (a quote in it doubled) and a
// double quote, joined by commas, CR LF after each record; no header, no
// byte-order mark, code page 932. No rows give no bytes.
class PartsListWriter
{
public:
    // A row holding characters the code page cannot store.
    struct UnencodableRow
    {
        qsizetype row = 0;  // index into the rows given
        QString characters; // the first few such characters, each once
    };

    struct Encoded
    {
        QByteArray bytes; // unencodable characters written as "?"
        QList<UnencodableRow> unencodable;
    };

    // The records of a table kept six cells a row, from row `firstRow` on
    // (reported rows count from there); only `rowCount` rows when given, to
    // write a large table a slice at a time.
    static Encoded encode(const QList<QString> &cells, qsizetype firstRow, qsizetype rowCount = -1);
    // The same records in UTF-8, for scripts that want every character kept.
    static QByteArray encodeUtf8(const QList<QString> &cells, qsizetype firstRow,
                                 qsizetype rowCount = -1);

    // "3 行目（①…）" lines for a message, at most `limit` of them.
    static QString describe(const QList<UnencodableRow> &rows, int limit = 10);
};
