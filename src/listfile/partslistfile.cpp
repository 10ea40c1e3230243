#include "partslistfile.h"

#include "platform/fileerror.h"
#include "platform/filekind.h"
#include "platform/savefile.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

#include <cerrno>

namespace {

constexpr qint64 readChunk = 4 * 1024 * 1024;

// Exact byte counts: a file one byte over the limit must not read as "64 MB".
QString byteCount(qint64 bytes)
{
    return QLocale(QLocale::Japanese, QLocale::Japan).toString(bytes);
}

QString tooLarge(qint64 size)
{
    const QString limit = QStringLiteral("%1 バイト（%2 MB）")
                              .arg(byteCount(PartsListFile::MaxFileBytes))
                              .arg(PartsListFile::MaxFileBytes / (1024 * 1024));
    if (size < 0) {
        return QStringLiteral("ファイルが大きすぎます（読めるのは %1 まで）。").arg(limit);
    }
    return QStringLiteral("ファイルが大きすぎます（%1 バイト。読めるのは %2 まで）。")
        .arg(byteCount(size), limit);
}

QString openFailure(const QString &path, const FileKind::Opened &opened)
{
    switch (opened.error) {
    case 0:
        return opened.kind == FileKind::Directory
                   ? QStringLiteral("フォルダーです。ファイルを選んでください。")
                   : QStringLiteral("通常のファイルではありません。");
    case ENOENT:
        return QFileInfo(path).isSymLink() ? QStringLiteral("リンク先のファイルがありません。")
                                           : QStringLiteral("ファイルがありません。");
    case EISDIR:
        return QStringLiteral("フォルダーです。ファイルを選んでください。");
    default:
        return QStringLiteral("ファイルを開けません。%1。")
            .arg(FileError::reason(opened.error, FileError::Access::Read));
    }
}

// Writes into an open file what `produce` puts; the reason of the first
// failed write, if any.
QString putAll(QFileDevice &file, const PartsListFile::Produce &produce, bool &keep)
{
    QString reason;
    qint64 written = 0;
    keep = produce([&file, &reason, &written](QByteArrayView chunk) {
        if (!reason.isEmpty()) {
            return false;
        }
        // What is written must read back.
        written += chunk.size();
        if (written > PartsListFile::MaxFileBytes) {
            reason = QStringLiteral("読み込める大きさ（%1 バイト）を超えます")
                         .arg(byteCount(PartsListFile::MaxFileBytes));
            return false;
        }
        errno = 0;
        if (file.write(chunk.data(), chunk.size()) != chunk.size()) {
            reason = FileError::reason(file, errno, FileError::Access::Write);
            return false;
        }
        return true;
    });
    return reason;
}

// Character devices and FIFOs (/dev/null, a pipe a script reads) are written
// straight into; replacing them with a regular file would break them.
QString writeInPlace(const QString &path, const PartsListFile::Produce &produce)
{
    QFile file(FileKind::openName(path));
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return QStringLiteral("開けません。%1。")
            .arg(FileError::reason(file, errno, FileError::Access::Write));
    }
    bool keep = true;
    if (const QString reason = putAll(file, produce, keep); !reason.isEmpty()) {
        return QStringLiteral("書き込めません。%1。").arg(reason);
    }
    errno = 0;
    file.close();
    if (file.error() != QFileDevice::NoError) {
        return QStringLiteral("書き込みを終えられません。%1。")
            .arg(FileError::reason(file, errno, FileError::Access::Write));
    }
    return QString();
}

// The whole file, or nullopt with `error` set.
std::optional<QByteArray> readAll(QFile &file, QString &error)
{
    const qint64 size = file.size();
    if (size > PartsListFile::MaxFileBytes) {
        error = tooLarge(size);
        return std::nullopt;
    }
    // The size may change while we read; never take more than the limit.
    // Read straight into one buffer of the file's size, one byte more to
    // see whether it grew.
    QByteArray bytes(size + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            bytes.resize(std::min(PartsListFile::MaxFileBytes + 1, bytes.size() + readChunk));
        }
        errno = 0;
        const qint64 got =
            file.read(bytes.data() + filled, std::min<qint64>(readChunk, bytes.size() - filled));
        if (got <= 0) {
            break;
        }
        filled += got;
        if (filled > PartsListFile::MaxFileBytes) {
            error = tooLarge(-1);
            return std::nullopt;
        }
    }
    bytes.truncate(filled);
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("ファイルを読めません。%1。")
                    .arg(FileError::reason(file, errno, FileError::Access::Read));
        return std::nullopt;
    }
    file.close();
    return bytes;
}

} // namespace

PartsListFile::ReadResult PartsListFile::read(const QString &path, bool asRecords)
{
    ReadResult result;
    // A device or pipe could block or never end; a parts list is a plain
    // file. Asked first: on Windows a device name such as NUL exists in no folder.
    if (const FileKind::Kind kind = FileKind::of(path);
        kind == FileKind::Stream || kind == FileKind::Other) {
        result.error = QStringLiteral("通常のファイルではありません。");
        return result;
    }
    // Opened without waiting: a FIFO swapped in after that look is told, not waited on.
    const FileKind::Opened opened = FileKind::openRegular(path);
    if (!opened.file) {
        result.error = openFailure(path, opened);
        return result;
    }
    std::optional<QByteArray> bytes = readAll(*opened.file, result.error);
    if (!bytes) {
        return result;
    }
    if (asRecords) {
        result.records = RecordSlices::of(*bytes);
        if (result.records && result.records->count() <= MaxRecords) {
            return result;
        }
        result.records.reset();
    }
    PartsListReader::Result records = PartsListReader::read(*bytes, MaxRecords);
    if (records.recordLimitReached) {
        result.error =
            QStringLiteral("データが多すぎます（読めるのは %1 行まで）。").arg(MaxRecords);
        return result;
    }
    if (records.replacedCharacters > 0) {
        result.replaced = PartsListReader::describeReplaced(records);
    }
    result.oldForm = PartsListReader::describeOldForm(records);
    result.cells = std::move(records.cells);
    result.truncation = records.truncation;
    return result;
}

QString PartsListFile::write(const QString &path, const QByteArray &bytes)
{
    return write(path, [&bytes](const Put &put) { return put(bytes); });
}

QString PartsListFile::write(const QString &path, const Produce &produce)
{
    // Devices and pipes first: on Windows NUL does not exist as a file.
    if (isStreamTarget(path)) {
        return writeInPlace(path, produce);
    }
    const QFileInfo info(path);
    if (info.isDir()) {
        return QStringLiteral("同じ名前のフォルダーがあります。");
    }
    if (info.exists() && !info.isFile()) {
        return QStringLiteral("通常のファイルではないので置き換えません。");
    }
    // QSaveFile would only say, in English, that the file is not writable.
    if (const int denied = info.exists() ? FileKind::writeAccessError(path) : 0) {
        if (denied == EACCES && !(info.permissions() & QFileDevice::WriteUser)) {
            return QStringLiteral("読み取り専用のファイルです。");
        }
        return QStringLiteral("%1。").arg(FileError::reason(denied, FileError::Access::Write));
    }
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        return QStringLiteral("ファイルを作れません。%1。")
            .arg(FileError::reason(file, errno, FileError::Access::Write));
    }
    bool keep = true;
    if (const QString reason = putAll(file, produce, keep); !reason.isEmpty()) {
        file.cancelWriting();
        return QStringLiteral("書き込めません。%1。").arg(reason);
    }
    if (!keep) {
        file.cancelWriting();
        return QString();
    }
    if (const QString reason = SaveFile::commit(file); !reason.isEmpty()) {
        return QStringLiteral("書き込めません。%1。").arg(reason);
    }
    return QString();
}

QString PartsListFile::tooManyRows(qsizetype rows)
{
    if (rows <= MaxRecords) {
        return QString();
    }
    return QStringLiteral(
               "行が多すぎます（%1 行。部品表ファイルに書いて読み直せるのは %2 行まで）。")
        .arg(byteCount(rows), byteCount(MaxRecords));
}

bool PartsListFile::isStreamTarget(const QString &path)
{
    return FileKind::of(path) == FileKind::Stream;
}
