#pragma once

#include <QByteArray>
#include <QString>

// How the settings and saved-texts files are decoded. The program writes
// UTF-8 without a byte-order mark; a file whose bytes are not valid UTF-8 was
// written in Windows-1252 and is read as such.
namespace quenby {

// Valid UTF-8 bytes as text, a leading U+FEFF kept as a character.
QString decodeUtf8(const QByteArray& bytes);

// The text of a file's bytes: UTF-8 when the bytes are valid UTF-8 (strictly:
// no overlong forms, no surrogates), otherwise Windows-1252.
QString decodeFileText(const QByteArray& bytes);

// The same content as UTF-8 bytes: valid UTF-8 is returned unchanged, anything
// else is transcoded from Windows-1252. Bytes below 128 keep their value, so
// line ends, "[", "=" and control characters stay what they were.
QByteArray toUtf8FileBytes(const QByteArray& bytes);

} // namespace quenby
