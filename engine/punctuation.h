#pragma once

#include <QString>

// What counts as punctuation: the character pass's first test, and the
// filter the slots go through. Defined beside the other character rules
// (character_rules.cpp).
namespace quenby {

// True when the code point counts as punctuation: Windows-1252 codes 33-47,
// 58-64, 91-96 and 123-191, or, without such a code, Unicode categories P and S.
bool isPunctuation(char32_t codePoint);

// The punctuation filter: empty when the one-character string c is
// punctuation, otherwise c unchanged. A string that is not exactly one
// character (empty, or longer) comes back unchanged.
QString PuncFilter(const QString& c);

} // namespace quenby
