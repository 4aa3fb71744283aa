#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace quenby::cli {

// The first step of quenby-strip, before anything opens a file: a standard
// descriptor (0 to 2) left closed by the caller would be the next one opened
// (one of Qt's own), and the text would be read from or written into that.
// Each closed one is taken by /dev/null opened the other way round (write-only
// for input, read-only for output), so that nothing else lands there and
// reading or writing it fails, as on the closed descriptor, with "Bad file
// descriptor". False, having said why, when /dev/null cannot be opened.
bool holdStandardDescriptors();

// The whole of quenby-strip after start-up: the arguments after the program's
// name, and the folder that holds the executable (where the window, built or
// installed beside it, keeps its settings, unless it may not write there).
// Reads the files or standard input, writes standard output, reports on
// standard error, and returns the exit status: 0 success, 1 a read, decode
// or write failure (or a settings file that cannot be read), 2 bad usage.
int runStrip(const std::vector<QByteArray>& arguments, const QString& executableDir);

} // namespace quenby::cli
