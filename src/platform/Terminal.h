#pragma once
#include <cstdio>

// The command-line tool's view of its standard streams, the same on every
// system.
namespace Terminal {

// True when the stream is an interactive console (a progress bar may be
// drawn), false for a file, a pipe or the null device.
bool IsTerminal(std::FILE *stream);

// Makes standard output and standard error carry exactly the bytes written:
// UTF-8 text with the line ends it was given. On Windows the C run-time would
// otherwise turn every "\n" into "\r\n" (doubling the "\r" of a configuration
// file's own line ends) and the console would show UTF-8 in its old code page.
void PrepareStandardStreams();

} // namespace Terminal
