#include "filekind.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#ifdef Q_OS_UNIX
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

} // namespace FileKind
