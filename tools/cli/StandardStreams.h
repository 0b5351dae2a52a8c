#pragma once

#include <QIODevice>

#include <cstdio>
#include <memory>

// The program's standard streams as it uses them. Results and diagnostics
// are text, written as UTF-8 bytes to a file or a pipe, which scripts and the
// tests read; a Windows console window takes them as characters instead
// (ConsoleWindowOutput). Print data read from stdin stays bytes. Each system
// has a source file of its own (StandardStreams_unix.cpp,
// StandardStreams_win.cpp); the build picks one.
namespace StandardStreams {

// Print data read from stdin is bytes: nothing translated, no end of file
// before the real one.
void keepInputBytes();

// Output that is bytes (monitor --raw): nothing translated, where a
// Windows program's output turns each LF into CR LF.
void keepOutputBytes(FILE *stream);

// stdout or stderr. Written straight through, past stdio's buffer (full
// buffering when the output goes to a file or a pipe), so that a script
// reading the results sees each one at once.
std::unique_ptr<QIODevice> openOutput(FILE *stream);

// Whether the stream is a terminal, where a long send draws a progress bar.
bool isTerminal(FILE *stream);

} // namespace StandardStreams
