#pragma once

#include <QString>

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

} // namespace FileKind
