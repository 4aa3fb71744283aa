#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// The byte encodings of the command-line stripper: input in UTF-8 (checked
// strictly) or Windows-1252, output in UTF-8. Each routine appends to a
// buffer the caller keeps from one piece to the next; runs of ASCII go
// sixteen bytes at a time.
namespace quenby::cli {

struct Utf8Decoded {
    qsizetype consumed = 0; // bytes turned into characters, whole sequences only
    bool invalid = false;   // bytes[consumed] starts an ill-formed sequence
};

// Appends to out the characters of the well-formed UTF-8 sequences at the
// start of bytes[0..size). Stops at the first ill-formed sequence (invalid)
// or at a sequence cut off by the end of the bytes, which is left unconsumed
// for the caller to complete with the next bytes. Well-formed is Unicode's
// strict form: no overlong forms, no surrogates, nothing above U+10FFFF.
// (The settings files' decodeUtf8 takes a whole text already known valid.)
Utf8Decoded decodeUtf8Prefix(const char* bytes, qsizetype size, QString& out);

// Appends to out the characters of Windows-1252 bytes: codes 128 to 159 as
// the code page maps them (its five unused codes as the C1 controls of the
// same number), every other byte as the character of the same number.
void decodeWindows1252(const char* bytes, qsizetype size, QString& out);

// Appends the UTF-8 of text to out. A lone surrogate, which has no UTF-8,
// becomes U+FFFD.
void encodeUtf8(QStringView text, QByteArray& out);

} // namespace quenby::cli
