#include "standardstreams.h"

#include <cstdio>

namespace StandardStreams {

void printError(const QString &text)
{
    const QByteArray bytes = (text + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void setBinaryOutput() {}

} // namespace StandardStreams
