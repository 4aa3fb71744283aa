#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace quenby::cli {

// The whole of quenby-strip after start-up: the arguments after the program's
// name, and the folder that holds the executable (where the window, built or
// installed beside it, keeps its settings, unless it may not write there).
// Reads the files or standard input, writes standard output, reports on
// standard error, and returns the exit status: 0 success, 1 a read, decode
// or write failure (or a settings file that cannot be read), 2 bad usage.
int runStrip(const std::vector<QByteArray>& arguments, const QString& executableDir);

} // namespace quenby::cli
