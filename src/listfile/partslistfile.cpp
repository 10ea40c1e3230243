#include "partslistfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr qint64 readChunk = 4 * 1024 * 1024;

QString megabytes(qint64 bytes)
{
    return QString::number(bytes / (1024 * 1024));
}

} // namespace

PartsListFile::ReadResult PartsListFile::read(const QString &path)
{
    ReadResult result;
    const QFileInfo info(path);
    if (!info.exists()) {
        result.error = QStringLiteral("ファイルがありません。");
        return result;
    }
    // A device or pipe could block or never end; a parts list is a plain file.
    if (info.isDir()) {
        result.error = QStringLiteral("フォルダーです。ファイルを選んでください。");
        return result;
    }
    if (!info.isFile()) {
        result.error = QStringLiteral("通常のファイルではありません。");
        return result;
    }
    if (info.size() > MaxFileBytes) {
        result.error = QStringLiteral("ファイルが大きすぎます（%1 MB。読めるのは %2 MB まで）。")
                           .arg(megabytes(info.size()))
                           .arg(megabytes(MaxFileBytes));
        return result;
    }

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("ファイルを開けません（%1）。").arg(file.errorString());
        return result;
    }
    // The size may change while we read; never take more than the limit.
    QByteArray bytes;
    bytes.reserve(info.size());
    for (;;) {
        const qint64 room = MaxFileBytes + 1 - bytes.size();
        const QByteArray chunk = file.read(std::min(readChunk, room));
        if (chunk.isEmpty()) {
            break;
        }
        bytes.append(chunk);
        if (bytes.size() > MaxFileBytes) {
            result.error = QStringLiteral("ファイルが大きすぎます（読めるのは %1 MB まで）。")
                               .arg(megabytes(MaxFileBytes));
            return result;
        }
    }
    if (file.error() != QFileDevice::NoError) {
        result.error = QStringLiteral("ファイルを読めません（%1）。").arg(file.errorString());
        return result;
    }
    file.close();

    PartsListReader::Result records = PartsListReader::read(bytes, MaxRecords);
    if (records.recordLimitReached) {
        result.error =
            QStringLiteral("データが多すぎます（読めるのは %1 行まで）。").arg(MaxRecords);
        return result;
    }
    result.rows = std::move(records.rows);
    result.truncation = records.truncation;
    return result;
}

QString PartsListFile::write(const QString &path, const QByteArray &bytes)
{
    if (QFileInfo(path).isDir()) {
        return QStringLiteral("同じ名前のフォルダーがあります。");
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return QStringLiteral("ファイルを作れません（%1）。").arg(file.errorString());
    }
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return QStringLiteral("書き込めません（%1）。").arg(reason);
    }
    if (!file.commit()) {
        return QStringLiteral("書き込みを終えられません（%1）。").arg(file.errorString());
    }
    return QString();
}
