#pragma once

#include "partslistreader.h"
#include "partslistwriter.h"
#include "recordslices.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// Parts-list files on disk. Reading takes the whole file first, so a caller
// changes nothing until the file was read; writing goes through a temporary
// file renamed over the target, so a failed save leaves the old file whole.
// Messages are in Japanese, for the user.
class PartsListFile
{
public:
    // A parts list of 100,000 rows is about 10 MB; the limits keep a file
    // that is no parts list from taking all memory.
    static constexpr qint64 MaxFileBytes = 64 * 1024 * 1024;
    static constexpr qsizetype MaxRecords = 1'000'000;

    struct ReadResult
    {
        // Six texts a row, row after row.
        QList<QString> cells;
        // Instead of `cells`, when asked for and the list is in that form.
        std::optional<RecordSlices> records;
        // Set when the file could not be read; `cells` is then empty.
        QString error;
        std::optional<PartsListReader::Truncation> truncation;
        // Set when bytes that are no character were read as U+FFFD: what and where.
        QString replaced;
        // Set when quotes were read as older tools wrote them: how many records.
        QString oldForm;

        // Every record read whole and every character as it stands.
        bool whole() const { return ok() && !truncation && replaced.isEmpty(); }

        bool ok() const { return error.isEmpty(); }
    };

    // With `asRecords`, a list as the writer writes it is kept as records.
    static ReadResult read(const QString &path, bool asRecords = false);

    // Writes the bytes atomically; an empty string on success, else why not.
    // A character device or FIFO is written into as it is; other files that
    // are not regular files are refused.
    static QString write(const QString &path, const QByteArray &bytes);
    // Writes the file chunk by chunk, so that a large table never needs all
    // its bytes at once: `produce` hands each chunk to `put`, stops when
    // `put` returns false, and returns whether the file is to be kept; when
    // not, the file stays as it was (a device or pipe has had the bytes).
    using Put = std::function<bool(QByteArrayView chunk)>;
    using Produce = std::function<bool(const Put &put)>;
    static QString write(const QString &path, const Produce &produce);
    static bool isStreamTarget(const QString &path);
    // Why a table of `rows` data rows is not written, or empty: more rows
    // than a read takes would give a file the program refuses to open.
    static QString tooManyRows(qsizetype rows);
};
