#pragma once

#include <QString>

#include <memory>

class QFile;

// What a path names, as far as reading and writing lists cares, and whether
// two paths name the same file (links and aliases such as /dev/fd/N included).
namespace FileKind {

enum Kind {
    Missing,
    Regular,
    Directory,
    Stream, // a character device or a FIFO: written into, never replaced
    Other,  // sockets, block devices and the like
};

Kind of(const QString &path);

// 0 when the existing file at `path` may be written, else the C library's
// error number why not (EROFS for a read-only file system, EACCES ...).
int writeAccessError(const QString &path);

// False when either path does not exist.
bool sameFile(const QString &a, const QString &b);

// A file opened for reading, or why not.
struct Opened
{
    std::unique_ptr<QFile> file; // open, unbuffered; null on failure
    int error = 0;               // the C library's error number when the open failed
    Kind kind = Regular;         // what the path named when it was no regular file
};

// Opens `path` for reading only if, once open, it is a regular file. The
// open never waits: a path that turns into a FIFO or a device between a look
// at it and the open is told, not waited on.
Opened openRegular(const QString &path);

} // namespace FileKind
