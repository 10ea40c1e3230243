#include "standardstreams.h"

#include <cstdio>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace StandardStreams {

void printError(const QString &text)
{
    const HANDLE handle = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode)) {
        const std::wstring line = (text + QStringLiteral("\r\n")).toStdWString();
        DWORD written = 0;
        ::WriteConsoleW(handle, line.data(), DWORD(line.size()), &written, nullptr);
        return;
    }
    // Redirected: the system's code page, which is what another program,
    // a batch file or "type" reads there; the stream's text mode adds the CR.
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray bytes = (line + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void setBinaryOutput()
{
    ::_setmode(::_fileno(stdout), _O_BINARY);
}

} // namespace StandardStreams
