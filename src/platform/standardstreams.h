#pragma once

// The program's standard streams as its caller left them.
namespace StandardStreams {

// Puts the null device on each standard stream that was closed (a script's
// `>&-`), before anything else opens a file: else the next file opened
// takes that number, and what is written to the stream lands in it. True
// when standard output was closed.
bool reserveClosed();

} // namespace StandardStreams
