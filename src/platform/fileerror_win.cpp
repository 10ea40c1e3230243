#include "fileerror.h"

#include <QFileDevice>
#include <QFileInfo>

#include <cerrno>
#include <utility>

#include <windows.h>

namespace FileError {

int numberOfWindowsError(unsigned long windowsError)
{
    // The causes a user can act on, under the C library's number for the same cause.
    static constexpr std::pair<DWORD, int> causes[] = {
        {ERROR_FILE_NOT_FOUND, ENOENT},
        {ERROR_PATH_NOT_FOUND, ENOENT},
        {ERROR_BAD_NETPATH, ENOENT},
        {ERROR_BAD_NET_NAME, ENOENT},
        {ERROR_INVALID_DRIVE, ENOENT},
        {ERROR_TOO_MANY_OPEN_FILES, EMFILE},
        {ERROR_ACCESS_DENIED, EACCES},
        {ERROR_CANT_ACCESS_FILE, EACCES},
        {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
        {ERROR_OUTOFMEMORY, ENOMEM},
        {ERROR_WRITE_PROTECT, EROFS},
        {ERROR_SHARING_VIOLATION, EBUSY},
        {ERROR_LOCK_VIOLATION, EBUSY},
        {ERROR_HANDLE_DISK_FULL, ENOSPC},
        {ERROR_DISK_FULL, ENOSPC},
        {ERROR_FILE_TOO_LARGE, EFBIG},
        {ERROR_FILE_EXISTS, EEXIST},
        {ERROR_ALREADY_EXISTS, EEXIST},
        {ERROR_INVALID_NAME, EINVAL},
        {ERROR_BAD_PATHNAME, EINVAL},
        {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
        {ERROR_DIRECTORY, ENOTDIR},
        {ERROR_BROKEN_PIPE, EPIPE},
        {ERROR_NO_DATA, EPIPE},
        {ERROR_CANT_RESOLVE_FILENAME, ELOOP},
    };
    for (const auto &[windows, number] : causes) {
        if (windows == windowsError) {
            return number;
        }
    }
    return EIO;
}

int numberOf(const QFileDevice &file)
{
    // Qt tells Windows errors by their system text only.
    static constexpr DWORD known[] = {
        ERROR_FILE_NOT_FOUND,       ERROR_PATH_NOT_FOUND,      ERROR_ACCESS_DENIED,
        ERROR_WRITE_PROTECT,        ERROR_SHARING_VIOLATION,   ERROR_LOCK_VIOLATION,
        ERROR_HANDLE_DISK_FULL,     ERROR_DISK_FULL,           ERROR_INVALID_NAME,
        ERROR_FILENAME_EXCED_RANGE, ERROR_TOO_MANY_OPEN_FILES, ERROR_BROKEN_PIPE,
    };
    const QString told = file.errorString();
    for (const DWORD code : known) {
        if (told == qt_error_string(int(code))) {
            const int number = numberOfWindowsError(code);
            // Windows refuses to open a folder as a file with "access denied".
            if (number == EACCES && !file.fileName().isEmpty() &&
                QFileInfo(file.fileName()).isDir()) {
                return EISDIR;
            }
            return number;
        }
    }
    return 0;
}

} // namespace FileError
