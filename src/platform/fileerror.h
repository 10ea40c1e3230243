#pragma once

#include <QString>

class QFileDevice;

// Why a file could not be read or written, in Japanese for the user: the
// system's own reason ("No space left on device") means nothing to most of
// them and is English besides.
namespace FileError {

enum class Access { Read, Write };

// The reason for a C library error number, e.g. "ディスクがいっぱいです".
QString reason(int errorNumber, Access access);

// The reason for a failed Qt file operation. `errorNumber` is errno taken
// right after the failure: Qt sometimes keeps no text of its own (a full disk
// during QSaveFile::commit() says "Unknown error"), and the text, when there
// is one, is matched against the system's texts first.
QString reason(const QFileDevice &file, int errorNumber, Access access);

// The C library's number for the cause a failed Qt file operation reports
// in its text, or 0 when the text names none the user could act on. Each
// system has its own (fileerror_unix.cpp, fileerror_win.cpp): on Windows a
// folder opened as a file reports "access denied" and is told as EISDIR.
int numberOf(const QFileDevice &file);

#ifdef Q_OS_WIN
// The C library's number for a Windows error code (GetLastError()), for the
// causes a user can act on; EIO for the others.
int numberOfWindowsError(unsigned long windowsError);
#endif

} // namespace FileError
