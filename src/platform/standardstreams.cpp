#include "standardstreams.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace StandardStreams {

bool reserveClosed()
{
    bool outputClosed = false;
#ifdef Q_OS_UNIX
    for (int stream = 0; stream <= 2; ++stream) {
        if (::fcntl(stream, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        outputClosed = outputClosed || stream == 1;
        // The lowest free number is this one.
        const int null = ::open("/dev/null", stream == 0 ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != stream) {
            ::close(null);
        }
    }
#endif
    return outputClosed;
}

} // namespace StandardStreams
