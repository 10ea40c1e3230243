#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// Reads the records of a parts-list file from its bytes. The file is a stream
// of fields, not of lines: a comma or a line end (CR, LF or CR LF) ends a
// field and every six fields make one record, so lists whose records wrap
// lines read the same as lists written one record a line. Any bytes give a
// result in time linear in their length; nothing is ever refused here.
class PartsListReader
{
public:
    static constexpr int FieldsPerRecord = 6;

    // Where a file that stops in the middle of a record ended.
    struct Truncation
    {
        qsizetype record = 0;      // index of the partial record in `rows`
        int completeFields = 0;    // fields of that record that were read whole
        bool insideQuotes = false; // the file ended inside a quoted field
        qsizetype startLine = 1;   // line on which the partial record begins
        qsizetype endLine = 1;     // last line of the file
    };

    struct Result
    {
        // Six texts a record, one record after the other (one list, not a
        // list a record: a large table takes one allocation for all its
        // cells); a partial last record is here too, its missing fields empty.
        QList<QString> cells;
        std::optional<Truncation> truncation;
        // Reading stopped after `recordLimit` records; the rest was not read.
        bool recordLimitReached = false;
        // Bytes that are no character of the file's encoding, each read as U+FFFD.
        qsizetype replacedCharacters = 0;
        qsizetype firstReplacedLine = 0;
        // Records whose quotes were read as older tools wrote them (a quote
        // in a cell not doubled), and the line where the first one begins.
        qsizetype oldFormRecords = 0;
        qsizetype firstOldFormLine = 0;
        // Records with quotes were read in both forms.
        bool mixedForms = false;

        qsizetype recordCount() const { return cells.size() / FieldsPerRecord; }
    };

    // The file's text: UTF-8 when it begins with a UTF-8 byte-order mark,
    // code page 932 otherwise.
    static QString decode(QByteArrayView bytes);

    static Result read(QByteArrayView bytes, qsizetype recordLimit = -1);
    // The records of a text, as read from its bytes in UTF-8.
    static Result parse(QStringView text, qsizetype recordLimit = -1);

    // One or two sentences for the user about a file that ended inside a record.
    static QString describe(const Truncation &truncation);
    // One sentence about records read in the older form; empty when none were.
    static QString describeOldForm(const Result &result);
    // One sentence about bytes that could not be read as characters.
    static QString describeReplaced(const Result &result);
};
