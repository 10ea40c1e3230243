#include "drawingfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>

#include <zlib.h>

#include <cerrno>
#include <climits>
#include <memory>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QString brokenStream = QStringLiteral("圧縮された図面が壊れています");

bool startsCompressed(QIODevice &device)
{
    char magic[3];
    return device.peek(magic, 3) == 3 && magic[0] == '\x1f' && magic[1] == '\x8b' &&
           magic[2] == '\x08';
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
            const qint64 got = m_source.read(m_input.data(), m_input.size());
            if (got < 0) {
                return fail(Failure::Source, QStringLiteral("読み込みの途中で失敗しました"));
            }
            if (got == 0) {
                // The end of the file is fine only right after a whole member.
                return m_memberEnded ? 0 : fail(Failure::Broken, brokenStream);
            }
            m_stream.next_in = reinterpret_cast<Bytef *>(m_input.data());
            m_stream.avail_in = uInt(got);
        }
        if (m_memberEnded) {
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

// Opens `path` for reading if, once open, it is a regular file. The open
// never waits: a FIFO opened without O_NONBLOCK would wait for a writer.
std::unique_ptr<QFile> openRegularFile(const QString &path, QString &error)
{
#ifdef Q_OS_WIN
    const QString native = QDir::toNativeSeparators(path);
    const int descriptor = _wopen(reinterpret_cast<const wchar_t *>(native.utf16()),
                                  _O_RDONLY | _O_BINARY | _O_NOINHERIT);
#else
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
#endif
    if (descriptor < 0) {
        const int cause = errno;
        if (cause == ENOENT) {
            error = QFileInfo(path).isSymLink() ? QStringLiteral("リンク先のファイルがありません")
                                                : QStringLiteral("ファイルが見つかりません");
        } else if (cause == EACCES || cause == EPERM) {
            error = QStringLiteral("読み取りの権限がありません");
        } else if (cause == EISDIR) {
            error = QStringLiteral("フォルダーです（図面ファイルを指定してください）");
        } else {
            error = QStringLiteral("開けません（エラー番号 %1）").arg(cause);
        }
        return nullptr;
    }
#ifdef Q_OS_WIN
    struct _stat64 status
    {
    };
    const bool regular =
        _fstat64(descriptor, &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFREG;
    const bool directory = (status.st_mode & _S_IFMT) == _S_IFDIR;
#else
    struct stat status
    {
    };
    const bool regular = ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
    const bool directory = S_ISDIR(status.st_mode);
    if (regular) {
        // Reads of a regular file never wait anyway; restore the usual mode.
        ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    }
#endif
    if (!regular) {
#ifdef Q_OS_WIN
        _close(descriptor);
#else
        ::close(descriptor);
#endif
        error = directory ? QStringLiteral("フォルダーです（図面ファイルを指定してください）")
                          : QStringLiteral("通常のファイルではありません");
        return nullptr;
    }
    auto file = std::make_unique<QFile>();
    // Unbuffered: the scanner reads large chunks of its own.
    if (!file->open(descriptor, QIODevice::ReadOnly | QIODevice::Unbuffered,
                    QFileDevice::AutoCloseHandle)) {
#ifdef Q_OS_WIN
        _close(descriptor);
#else
        ::close(descriptor);
#endif
        error = QStringLiteral("開けません");
        return nullptr;
    }
    return file;
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
    if (!startsCompressed(device)) {
        if (scanner.scan(device, onBlock)) {
            return Outcome::Read;
        }
        m_error = QStringLiteral("読み込みの途中で失敗しました");
        return Outcome::ReadInPart;
    }
    InflatingDevice expanded(device, m_expansionLimit);
    expanded.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    if (scanner.scan(expanded, onBlock)) {
        return Outcome::Read;
    }
    m_error = expanded.errorString();
    // A broken stream may have produced garbage before the break; use none of it.
    return expanded.failure() == InflatingDevice::Failure::Source ? Outcome::ReadInPart
                                                                  : Outcome::Unreadable;
}
