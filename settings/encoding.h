#pragma once

#include <QByteArray>
#include <QString>

// How the settings and saved-texts files are decoded. The program writes
// UTF-8 without a byte-order mark; files edited by hand or written by older
// programs may hold Windows-1252. Each line is judged on its own, so one
// stray byte spoils only its own line: a line whose bytes are valid UTF-8 is
// read as UTF-8, a line that is not is read as Windows-1252. A line ends at
// CR LF, a lone CR or a lone LF, as the settings reader counts lines.
namespace quenby {

// Valid UTF-8 bytes as text, a leading U+FEFF kept as a character.
QString decodeUtf8(const QByteArray& bytes);

// The text of a file's bytes, line by line: UTF-8 for a line whose bytes are
// valid UTF-8 (strictly: no overlong forms, no surrogates), otherwise
// Windows-1252.
QString decodeFileText(const QByteArray& bytes);

// The same content as UTF-8 bytes: a line of valid UTF-8 keeps its bytes, any
// other line is transcoded from Windows-1252. Bytes below 128 keep their
// value, so line ends, "[", "=" and control characters stay what they were.
QByteArray toUtf8FileBytes(const QByteArray& bytes);

} // namespace quenby
