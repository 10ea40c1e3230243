#include "filekind.h"

#include "fileerror.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <array>
#include <cerrno>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace FileKind {

namespace {

// CON, NUL, COM1 ... name devices in every folder and with every extension
// ("nul.txt" too), as Windows has always read them. The device's name, or
// empty when `path` names no device.
QString deviceOf(const QString &path)
{
    if (path.startsWith(u"\\\\") || path.startsWith(u"//")) {
        return QString(); // \\.\NUL and UNC names are taken as they are
    }
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    QString base = path.mid(slash + 1);
    const qsizetype dot = base.indexOf(u'.');
    base = (dot < 0 ? base : base.left(dot)).trimmed().toUpper();
    static const std::array<QString, 6> plain = {
        QStringLiteral("CON"), QStringLiteral("PRN"),    QStringLiteral("AUX"),
        QStringLiteral("NUL"), QStringLiteral("CONIN$"), QStringLiteral("CONOUT$")};
    const bool numbered = base.size() == 4 &&
                          (base.startsWith(u"COM") || base.startsWith(u"LPT")) && base[3] >= u'1' &&
                          base[3] <= u'9';
    return numbered || std::find(plain.begin(), plain.end(), base) != plain.end() ? base
                                                                                  : QString();
}

std::wstring nativeName(const QString &path)
{
    return QDir::toNativeSeparators(openName(path)).toStdWString();
}

// Opening shares everything with other programs: a drawing open in another
// program is still read, and ours never keeps anybody from a file.
HANDLE openHandle(const QString &path, DWORD access)
{
    return ::CreateFileW(nativeName(path).c_str(), access,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

Kind kindOf(HANDLE handle)
{
    switch (::GetFileType(handle)) {
    case FILE_TYPE_CHAR:
    case FILE_TYPE_PIPE:
        return Stream;
    case FILE_TYPE_DISK: {
        BY_HANDLE_FILE_INFORMATION information;
        if (!::GetFileInformationByHandle(handle, &information)) {
            return Other;
        }
        return (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? Directory : Regular;
    }
    default:
        return Other;
    }
}

Kind kindByAttributes(const QString &path)
{
    const DWORD attributes = ::GetFileAttributesW(nativeName(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return Missing;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? Directory : Regular;
}

// The C library's number for the last Windows error of an open; a folder
// refused as "access denied" is told as a folder.
int openError(const QString &path)
{
    const int error = FileError::numberOfWindowsError(::GetLastError());
    if (error == EACCES && kindByAttributes(path) == Directory) {
        return EISDIR;
    }
    return error;
}

} // namespace

Kind of(const QString &path)
{
    // No access asked: it reads only what the file is, so neither a sharing
    // program nor a pipe waiting for its reader is disturbed.
    const HANDLE handle = openHandle(path, 0);
    if (handle == INVALID_HANDLE_VALUE) {
        return kindByAttributes(path);
    }
    const Kind kind = kindOf(handle);
    ::CloseHandle(handle);
    return kind;
}

int writeAccessError(const QString &path)
{
    const DWORD attributes = ::GetFileAttributesW(nativeName(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return EACCES;
    }
    const HANDLE handle = openHandle(path, GENERIC_WRITE);
    if (handle == INVALID_HANDLE_VALUE) {
        return openError(path);
    }
    ::CloseHandle(handle);
    return 0;
}

bool sameFile(const QString &a, const QString &b)
{
    const auto identity = [](const QString &path, BY_HANDLE_FILE_INFORMATION &information) {
        const HANDLE handle = openHandle(path, 0);
        if (handle == INVALID_HANDLE_VALUE) {
            return false;
        }
        const bool known = ::GetFileType(handle) == FILE_TYPE_DISK &&
                           ::GetFileInformationByHandle(handle, &information);
        ::CloseHandle(handle);
        return known;
    };
    BY_HANDLE_FILE_INFORMATION first;
    BY_HANDLE_FILE_INFORMATION second;
    return identity(a, first) && identity(b, second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

QString openName(const QString &path)
{
    const QString device = deviceOf(path);
    return device.isEmpty() ? path : QStringLiteral("\\\\.\\") + device;
}

Opened openRegular(const QString &path)
{
    Opened opened;
    const HANDLE handle = openHandle(path, GENERIC_READ);
    if (handle == INVALID_HANDLE_VALUE) {
        opened.error = openError(path);
        return opened;
    }
    opened.kind = kindOf(handle);
    if (opened.kind != Regular) {
        ::CloseHandle(handle);
        return opened;
    }
    const int descriptor =
        ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (descriptor < 0) {
        ::CloseHandle(handle);
        opened.error = EMFILE;
        return opened;
    }
    auto file = std::make_unique<QFile>();
    // Unbuffered: the readers read large chunks of their own.
    if (!file->open(descriptor, QIODevice::ReadOnly | QIODevice::Unbuffered,
                    QFileDevice::AutoCloseHandle)) {
        ::_close(descriptor);
        opened.error = EIO;
        return opened;
    }
    opened.file = std::move(file);
    return opened;
}

} // namespace FileKind
