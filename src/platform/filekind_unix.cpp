#include "filekind.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileKind {

namespace {

Kind kindOf(mode_t mode)
{
    if (S_ISREG(mode)) {
        return Regular;
    }
    if (S_ISDIR(mode)) {
        return Directory;
    }
    if (S_ISCHR(mode) || S_ISFIFO(mode)) {
        return Stream;
    }
    return Other;
}

} // namespace

Kind of(const QString &path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        return Missing;
    }
    return kindOf(status.st_mode);
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

QString openName(const QString &path)
{
    return path;
}

Opened openRegular(const QString &path)
{
    Opened opened;
    // O_NONBLOCK: a FIFO opened without it would wait for a writer.
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) {
        opened.error = errno;
        return opened;
    }
    struct stat status
    {
    };
    opened.kind = ::fstat(descriptor, &status) == 0 ? kindOf(status.st_mode) : Other;
    if (opened.kind != Regular) {
        ::close(descriptor);
        return opened;
    }
    // Reads of a regular file never wait anyway; restore the usual mode.
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    auto file = std::make_unique<QFile>();
    // Unbuffered: the readers read large chunks of their own.
    if (!file->open(descriptor, QIODevice::ReadOnly | QIODevice::Unbuffered,
                    QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        opened.error = EIO;
        return opened;
    }
    opened.file = std::move(file);
    return opened;
}

} // namespace FileKind
