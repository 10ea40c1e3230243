#include "fileerror.h"

#include <QFileDevice>

namespace FileError {

int numberOf(const QFileDevice &file)
{
    // Qt keeps the system's text of the error that happened; the C library's
    // numbers are small, and this runs only after a failure.
    const QString told = file.errorString();
    for (int number = 1; number < 256; ++number) {
        if (told == qt_error_string(number)) {
            return number;
        }
    }
    return 0;
}

} // namespace FileError
