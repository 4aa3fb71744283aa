#pragma once

#include <QByteArray>
#include <QString>

// What the two programs' command lines share with the GNU tools: how a
// usage error is reported, and how an argument the program cannot use is
// shown back to the user.
namespace quenby::cli {

// An argument as it can be shown on a terminal: its UTF-8 as text, every
// byte that is not part of valid UTF-8, and every control character, as a
// \xHH escape (so "--caf\xE9" shows which byte the shell passed, where a
// replacement character would hide it).
QString printable(const QByteArray& argument);

// The bytes of the first character of an argument: one byte, or the whole
// UTF-8 sequence that starts it. Empty for an empty argument.
QByteArray firstCharacter(const QByteArray& argument);

// The two lines of a usage error, without the last line break:
//   PROGRAM: MESSAGE
//   Try 'PROGRAM --help' for more information.
QString usageErrorText(const char* program, const QString& message);

} // namespace quenby::cli
