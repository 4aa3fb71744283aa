#pragma once

// The Windows-1252 code page, both ways. Codes 0 to 127 and 160 to 255 are
// the characters of the same number; codes 128 to 159 follow the code
// page's table, and its five unused codes (129, 141, 143, 144, 157) stand
// for the C1 controls of the same number, so decoding never loses a byte.
namespace quenby {

// The Unicode character of one byte.
char16_t windows1252ToUnicode(unsigned char byte);

// The code of a code point, or -1 when the code page has none for it.
int windows1252Code(char32_t codePoint);

} // namespace quenby
