#pragma once

#include <QString>

#include <memory>

class QFile;

// What a path names, as far as reading and writing lists cares, and whether
// two paths name the same file (links and aliases such as /dev/fd/N included).
// Each system has its own implementation (filekind_unix.cpp, filekind_win.cpp).
namespace FileKind {

enum Kind {
    Missing,
    Regular,
    Directory,
    Stream, // a character device, a FIFO or a pipe: written into, never replaced
    Other,  // sockets, block devices and the like
};

Kind of(const QString &path);

// 0 when the existing file at `path` may be written, else the C library's
// error number why not (EROFS for a read-only file system, EACCES ...).
int writeAccessError(const QString &path);

// False when either path does not exist.
bool sameFile(const QString &a, const QString &b);

// The name to open `path` by. On Windows a device name such as NUL, CON or
// COM1 (in any folder, with any extension) names the device, which Qt would
// otherwise create as an ordinary file; it becomes \\.\NUL. Elsewhere, and
// for any other name, `path` itself.
QString openName(const QString &path);

struct Opened
{
    std::unique_ptr<QFile> file; // open for reading, unbuffered; null on failure
    Kind kind = Missing;         // what the path named, when it could be opened
    int error = 0;               // the C library's error number of a failed open
};

// Opens an existing regular file to read it. The open never waits (a FIFO
// without a writer would) and lets other programs go on using the file; a
// file held exclusively by another program gives EBUSY, a folder EISDIR.
// Anything but a regular file is closed again at once and only told by `kind`.
Opened openRegular(const QString &path);

} // namespace FileKind
