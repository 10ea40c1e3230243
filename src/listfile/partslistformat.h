#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The parts-list text file: one record per data row, six fields in column
// order, each field "text" (an inner quote doubled), joined by commas, CR LF
// after each record, no header, no byte-order mark, code page 932.
//
// Reading is a stream of fields, not of lines: commas and line ends (CR, LF,
// CR LF) separate fields and every six fields make a record, so old files
// whose records wrap read as they always did.
namespace PartsListFormat {

inline constexpr int fieldsPerRecord = 6;

enum class Encoding { CodePage932, Utf8 };

struct Encoded
{
    QByteArray bytes;
    QList<qsizetype> rowsWithUnencodable; // 0-based record numbers, each once
};

// Characters code page 932 cannot hold are written as "?".
Encoded encode(const QList<QStringList> &rows, Encoding encoding = Encoding::CodePage932);

struct Decoded
{
    QList<QStringList> rows;
    // The file ended inside a record: the last row is that partial record,
    // its missing fields empty.
    bool endedInsideRecord = false;
    int fieldsInLastRecord = 0;
    qsizetype lineOfEnd = 0; // 1-based line on which the file ended
};

// A UTF-8 byte-order mark means UTF-8; otherwise code page 932.
Decoded decode(const QByteArray &bytes);

} // namespace PartsListFormat
