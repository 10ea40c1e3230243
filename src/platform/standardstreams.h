#pragma once

#include <QString>

// The command-line program's standard streams, as each system wants them.
// Each system has its own implementation (standardstreams_unix.cpp,
// standardstreams_win.cpp).
namespace StandardStreams {

// Puts the null device on each standard stream that was closed (a script's
// `>&-`), before anything else opens a file: else the next file opened
// takes that number, and what is written to the stream lands in it. True
// when standard output was closed.
bool reserveClosed();

// Writes `text` and a line end to standard error: in the locale's encoding
// on Unix; on Windows as Unicode to a console (a Japanese console shows it
// whatever its code page) and, redirected, in the system's code page with
// CR LF, as Windows programs read each other's output.
void printError(const QString &text);

// Standard output passes bytes as they are: Windows would otherwise add a
// CR to each LF of a list that already ends its lines with CR LF.
void setBinaryOutput();

} // namespace StandardStreams
