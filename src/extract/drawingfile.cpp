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
#include <cstring>
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

// A drawing's bytes as the scanner reads them: passed through, or, when
// they start with the gzip magic bytes, expanded as they are read, with
// concatenated members following each other as gzip itself reads them. The
// first read tells the two apart (it asks for at least those three bytes, as
// the scanner does); a look ahead would cost a small file three system calls.
// Any error ends the reading with -1.
class DrawingStream : public QIODevice
{
public:
    DrawingStream(QIODevice &source, qint64 limit) : m_source(source), m_limit(limit) {}
    ~DrawingStream() override
    {
        if (m_mode == Mode::Compressed) {
            inflateEnd(&m_stream);
        }
    }

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    qint64 fail(const QString &text)
    {
        m_failed = true;
        setErrorString(text);
        return -1;
    }
    qint64 readSource(char *data, qint64 maxSize)
    {
        errno = 0;
        const qint64 got = m_source.read(data, maxSize);
        return got < 0 ? fail(readFailure(m_source, errno)) : got;
    }
    qint64 start(char *data, qint64 maxSize);
    qint64 inflated(char *data, qint64 maxSize);

    enum class Mode { Start, Plain, Compressed };
    QIODevice &m_source;
    const qint64 m_limit;
    Mode m_mode = Mode::Start;
    bool m_failed = false;
    z_stream m_stream{};
    bool m_memberEnded = false;
    bool m_padded = false;
    qint64 m_produced = 0;
    QByteArray m_input;
};

qint64 DrawingStream::readData(char *data, qint64 maxSize)
{
    if (m_failed) {
        return -1;
    }
    switch (m_mode) {
    case Mode::Start:
        return start(data, maxSize);
    case Mode::Plain:
        return readSource(data, maxSize);
    case Mode::Compressed:
        break;
    }
    return inflated(data, maxSize);
}

qint64 DrawingStream::start(char *data, qint64 maxSize)
{
    qint64 got = 0;
    for (qint64 more = 1; more > 0 && got < std::min<qint64>(3, maxSize); got += more) {
        if ((more = readSource(data + got, maxSize - got)) < 0) {
            return -1;
        }
    }
    if (got < 3 || std::memcmp(data, "\x1f\x8b\x08", 3) != 0) {
        m_mode = Mode::Plain;
        return got;
    }
    if (inflateInit2(&m_stream, MAX_WBITS + 16) != Z_OK) {
        return fail(brokenStream);
    }
    m_mode = Mode::Compressed;
    m_input = QByteArray(64 * 1024, Qt::Uninitialized);
    std::memcpy(m_input.data(), data, std::size_t(got));
    m_stream.next_in = reinterpret_cast<Bytef *>(m_input.data());
    m_stream.avail_in = uInt(got);
    return inflated(data, maxSize);
}

qint64 DrawingStream::inflated(char *data, qint64 maxSize)
{
    for (;;) {
        if (m_stream.avail_in == 0) {
            const qint64 got = readSource(m_input.data(), m_input.size());
            if (got <= 0) {
                // The end of the file is fine only right after a whole member.
                return got < 0 || m_memberEnded ? got : fail(brokenStream);
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
                    return fail(brokenStream);
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
            return fail(brokenStream);
        }
        m_produced += produced;
        if (m_produced > m_limit) {
            return fail(QStringLiteral("圧縮された図面を展開すると大きすぎます（%1 MB を超えます）")
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
    // A read that fails, at the start or halfway, leaves the drawing unread:
    // the texts before the failure may have later ones that replace them.
    DrawingStream stream(device, m_expansionLimit);
    stream.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    if (scanner.scan(stream, onBlock)) {
        m_error.clear();
        return Outcome::Read;
    }
    m_error = stream.errorString();
    return Outcome::Unreadable;
}
