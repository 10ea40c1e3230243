#include "filekind.h"

#include <QFile>
#include <QFileInfo>

#include <QDir>

#include <cerrno>

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

namespace FileKind {

#ifdef Q_OS_UNIX

Kind of(const QString &path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        return Missing;
    }
    if (S_ISREG(status.st_mode)) {
        return Regular;
    }
    if (S_ISDIR(status.st_mode)) {
        return Directory;
    }
    if (S_ISCHR(status.st_mode) || S_ISFIFO(status.st_mode)) {
        return Stream;
    }
    return Other;
}

int writeAccessError(const QString &path)
{
    errno = 0;
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0 ? 0 : errno;
}

bool sameFile(const QString &a, const QString &b)
{
    struct stat first;
    struct stat second;
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

#else

Kind of(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        return Missing;
    }
    if (info.isDir()) {
        return Directory;
    }
    if (info.isFile()) {
        return Regular;
    }
    return Other;
}

int writeAccessError(const QString &path)
{
    return QFileInfo(path).isWritable() ? 0 : EACCES;
}

bool sameFile(const QString &a, const QString &b)
{
    const QString first = QFileInfo(a).canonicalFilePath();
    return !first.isEmpty() &&
           first.compare(QFileInfo(b).canonicalFilePath(), Qt::CaseInsensitive) == 0;
}

#endif

Opened openRegular(const QString &path)
{
    Opened opened;
#ifdef Q_OS_WIN
    const QString native = QDir::toNativeSeparators(path);
    const int descriptor = _wopen(reinterpret_cast<const wchar_t *>(native.utf16()),
                                  _O_RDONLY | _O_BINARY | _O_NOINHERIT);
#else
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
#endif
    if (descriptor < 0) {
        opened.error = errno;
        return opened;
    }
#ifdef Q_OS_WIN
    struct _stat64 status
    {
    };
    const bool known = _fstat64(descriptor, &status) == 0;
    const auto type = status.st_mode & _S_IFMT;
    opened.kind = !known             ? Other
                  : type == _S_IFREG ? Regular
                  : type == _S_IFDIR ? Directory
                  : type == _S_IFCHR ? Stream
                                     : Other;
#else
    struct stat status
    {
    };
    const bool known = ::fstat(descriptor, &status) == 0;
    opened.kind = !known                                                ? Other
                  : S_ISREG(status.st_mode)                             ? Regular
                  : S_ISDIR(status.st_mode)                             ? Directory
                  : S_ISCHR(status.st_mode) || S_ISFIFO(status.st_mode) ? Stream
                                                                        : Other;
    if (opened.kind == Regular) {
        // Reads of a regular file never wait anyway; restore the usual mode.
        ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    }
#endif
    auto file = std::make_unique<QFile>();
    if (opened.kind != Regular ||
        !file->open(descriptor, QIODevice::ReadOnly | QIODevice::Unbuffered,
                    QFileDevice::AutoCloseHandle)) {
        opened.error = opened.kind == Regular ? EIO : 0;
#ifdef Q_OS_WIN
        _close(descriptor);
#else
        ::close(descriptor);
#endif
        return opened;
    }
    opened.file = std::move(file);
    return opened;
}

} // namespace FileKind
