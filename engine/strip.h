#pragma once

#include <QString>

#include <array>
#include <optional>

// The text passes behind the output box: pure functions, no widgets, no files.
//
// The string pass finds every occurrence of the strip string (left to right,
// no overlap), counts them and puts the replacement in their place; the
// character pass then drops or keeps each character by the option classes
// and the ten slots, putting the marker in place of each slot character.
//
// Characters are code points: a surrogate pair is one character everywhere.
// Character classes are decided on the Windows-1252 code of a character; a
// character without such a code is punctuation when Unicode calls it
// punctuation or a symbol, and never a digit, space or vowel.
namespace quenby {

// Which vowels "Vowels" strips; the values are the stored case option.
enum class CaseChoice { Upper = 0, Lower = 1, Both = 2 };

struct StripOptions {
    QString stripString; // empty: no string pass
    QString replacement;
    bool caseSensitive = true;
    bool stripPunctuation = false;
    bool stripNumbers = false;
    bool stripSpaces = false;
    bool stripVowels = true;
    bool includeY = true;
    CaseChoice caseChoice = CaseChoice::Both;
    std::array<QString, 10> slots; // each empty or one character
    QString marker;                // empty or one character
};

struct StripResult {
    QString text;
    std::optional<qint64> count; // set only when there is a strip string
};

// Both passes: the string pass when the strip string is not empty, then the
// character pass over its result.
StripResult strip(const QString& input, const StripOptions& options);

// The string pass alone: the text with every occurrence replaced, and the
// number of occurrences in *count. The strip string must not be empty.
QString stringPass(const QString& input, const QString& stripString, const QString& replacement,
                   bool caseSensitive, qint64* count);

// The character pass alone (the string-pass fields of options are ignored).
QString characterPass(const QString& text, const StripOptions& options);

// True when the code point counts as punctuation.
bool isPunctuation(char32_t codePoint);

// The punctuation filter: empty when the one-character string c is
// punctuation, otherwise c unchanged.
QString PuncFilter(const QString& c);

} // namespace quenby
