#include "drawingfile.h"

#include "platform/fileerror.h"
#include "platform/filekind.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <memory>

namespace {

const QString brokenStream = QStringLiteral("圧縮された図面が壊れています");

// Why reading `device` failed, in Japanese: a file's system error, else
// what the device says.
QString readFailure(const QIODevice &device, int errorNumber)
{
    QString cause = device.errorString();
    if (const auto *file = qobject_cast<const QFileDevice *>(&device)) {
        cause = FileError::reason(*file, errorNumber, FileError::Access::Read);
    }
    return QStringLiteral("読み込みの途中で失敗しました。%1").arg(cause);
}

enum class Start { Plain, Compressed, Failed };

Start startOf(QIODevice &device)
{
    char magic[3];
    errno = 0;
    const qint64 got = device.peek(magic, 3);
    if (got < 0) {
        return Start::Failed;
    }
    return got == 3 && magic[0] == '\x1f' && magic[1] == '\x8b' && magic[2] == '\x08'
               ? Start::Compressed
               : Start::Plain;
}

// A gzip stream expanded as it is read; concatenated members follow each
// other as gzip itself reads them. Any error ends the reading with -1.
class InflatingDevice : public QIODevice
{
public:
    enum class Failure { None, Broken, TooLarge, Source };

    InflatingDevice(QIODevice &source, qint64 limit)
        : m_source(source), m_limit(limit), m_input(64 * 1024, Qt::Uninitialized)
    {
        m_ready = inflateInit2(&m_stream, MAX_WBITS + 16) == Z_OK;
    }
    ~InflatingDevice() override
    {
        if (m_ready) {
            inflateEnd(&m_stream);
        }
    }
    InflatingDevice(const InflatingDevice &) = delete;
    InflatingDevice &operator=(const InflatingDevice &) = delete;

    bool isSequential() const override { return true; }
    Failure failure() const { return m_failure; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    qint64 fail(Failure failure, const QString &text)
    {
        m_failure = failure;
        setErrorString(text);
        return -1;
    }

    QIODevice &m_source;
    const qint64 m_limit;
    z_stream m_stream{};
    bool m_ready = false;
    bool m_memberEnded = false;
    bool m_padded = false;
    Failure m_failure = Failure::None;
    qint64 m_produced = 0;
    QByteArray m_input;
};

qint64 InflatingDevice::readData(char *data, qint64 maxSize)
{
    if (!m_ready) {
        return fail(Failure::Broken, brokenStream);
    }
    if (m_failure != Failure::None) {
        return -1;
    }
    for (;;) {
        if (m_stream.avail_in == 0) {
            errno = 0;
            const qint64 got = m_source.read(m_input.data(), m_input.size());
            if (got < 0) {
                return fail(Failure::Source, readFailure(m_source, errno));
            }
            if (got == 0) {
                // The end of the file is fine only right after a whole member.
                return m_memberEnded ? 0 : fail(Failure::Broken, brokenStream);
            }
            m_stream.next_in = reinterpret_cast<Bytef *>(m_input.data());
            m_stream.avail_in = uInt(got);
        }
        if (m_memberEnded) {
            // Zero bytes after a member pad it to a block (tapes, some
            // archivers); gzip takes them as the end, and so do we.
            const char *const input = reinterpret_cast<const char *>(m_stream.next_in);
            if (m_padded || input[0] == '\0') {
                m_padded = true;
                if (std::any_of(input, input + m_stream.avail_in, [](char c) { return c != 0; })) {
                    return fail(Failure::Broken, brokenStream);
                }
                m_stream.avail_in = 0;
                continue;
            }
            // More bytes after a member: the next member.
            inflateReset(&m_stream);
            m_memberEnded = false;
        }
        m_stream.next_out = reinterpret_cast<Bytef *>(data);
        m_stream.avail_out = uInt(std::min<qint64>(maxSize, UINT_MAX));
        const int status = inflate(&m_stream, Z_NO_FLUSH);
        const qint64 produced = std::min<qint64>(maxSize, UINT_MAX) - m_stream.avail_out;
        if (status == Z_STREAM_END) {
            m_memberEnded = true;
        } else if (status != Z_OK && status != Z_BUF_ERROR) {
            return fail(Failure::Broken, brokenStream);
        }
        m_produced += produced;
        if (m_produced > m_limit) {
            return fail(Failure::TooLarge,
                        QStringLiteral("圧縮された図面を展開すると大きすぎます（%1 MB を超えます）")
                            .arg(m_limit / (1024 * 1024)));
        }
        if (produced > 0) {
            return produced;
        }
    }
}

// Opens `path` for reading if, once open, it is a regular file.
std::unique_ptr<QFile> openRegularFile(const QString &path, QString &error)
{
    FileKind::Opened opened = FileKind::openRegular(path);
    if (opened.file) {
        return std::move(opened.file);
    }
    if (opened.kind == FileKind::Directory || opened.error == EISDIR) {
        error = QStringLiteral("フォルダーです（図面ファイルを指定してください）");
    } else if (opened.kind != FileKind::Missing) {
        error = QStringLiteral("通常のファイルではありません");
    } else if (opened.error == ENOENT) {
        error = QFileInfo(path).isSymLink() ? QStringLiteral("リンク先のファイルがありません")
                                            : QStringLiteral("ファイルが見つかりません");
    } else if (opened.error == EACCES || opened.error == EPERM) {
        error = QStringLiteral("読み取りの権限がありません");
    } else {
        error = QStringLiteral("開けません。%1")
                    .arg(FileError::reason(opened.error, FileError::Access::Read));
    }
    return nullptr;
}

} // namespace

DrawingFile::Outcome DrawingFile::scanFile(const QString &path, DrawingScanner &scanner,
                                           const DrawingScanner::BlockHandler &onBlock)
{
    m_error.clear();
    const std::unique_ptr<QFile> file = openRegularFile(path, m_error);
    if (!file) {
        return Outcome::Unreadable;
    }
    return scan(*file, scanner, onBlock);
}

DrawingFile::Outcome DrawingFile::scan(QIODevice &device, DrawingScanner &scanner,
                                       const DrawingScanner::BlockHandler &onBlock)
{
    m_error.clear();
    // A read that fails, at the start or halfway, leaves the drawing unread:
    // the texts before the failure may have later ones that replace them.
    switch (startOf(device)) {
    case Start::Failed:
        m_error = readFailure(device, errno);
        return Outcome::Unreadable;
    case Start::Plain:
        errno = 0;
        if (scanner.scan(device, onBlock)) {
            return Outcome::Read;
        }
        m_error = readFailure(device, errno);
        return Outcome::Unreadable;
    case Start::Compressed:
        break;
    }
    InflatingDevice expanded(device, m_expansionLimit);
    expanded.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    if (scanner.scan(expanded, onBlock)) {
        return Outcome::Read;
    }
    m_error = expanded.errorString();
    return Outcome::Unreadable;
}
