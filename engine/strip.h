#pragma once

#include <QString>
#include <array>
#include <optional>
#include <stdexcept>

// The text passes behind the output box: pure functions, no widgets, no files.
//
// The string pass finds every occurrence of the strip string (left to right,
// no overlap), counts them and puts the replacement in their place; the
// character pass then drops or keeps each character by the option classes
// and the ten slots, putting the marker in place of each slot character.
//
// Characters are code points: a surrogate pair is one character everywhere
// and is never split; a lone surrogate is a character of its own.
// Character classes are decided on the Windows-1252 code of a character
// (U+0000-U+007F and U+00A0-U+00FF are their own codes; the 27 typographic
// characters of codes 128-159 and the five unused codes 129, 141, 143, 144,
// 157 as U+0081, U+008D, U+008F, U+0090, U+009D). A character without such a
// code is punctuation when Unicode calls it punctuation or a symbol (general
// categories P and S), and never a digit, space or vowel.
//
// Texts of any length are fine and the count is 64-bit; only the output of
// one run is limited, to kMaxOutputUnits.
namespace quenby {

// The most UTF-16 units one run puts out: 2^30. A run whose output would be
// longer (a long replacement for a frequent strip string) finds that out
// before it allocates the output, and throws OutputTooLong.
constexpr qsizetype kMaxOutputUnits = qsizetype(1) << 30;

class OutputTooLong : public std::length_error {
public:
    OutputTooLong();
};

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
    // Each empty or one character. An empty slot matches nothing; a slot
    // holding more than one character matches nothing either (no single
    // character equals it). Slots compare code point for code point, always
    // case-sensitive.
    std::array<QString, 10> slots;
    // Put in place of each slot character, unchanged and untested; empty:
    // slot characters are dropped.
    QString marker;
};

struct StripResult {
    QString text;
    std::optional<qint64> count; // set only when there is a strip string
};

// Both passes: the string pass when the strip string is not empty, then the
// character pass over its result. The result is the same as
// characterPass(stringPass(...)), only computed in one sweep.
StripResult strip(const QString& input, const StripOptions& options);

// The string pass alone: the text with every occurrence replaced, and the
// number of occurrences in *count (when count is not null). Occurrences are
// found left to right without overlap and start and end on character
// boundaries. Without caseSensitive, characters are compared after mapping
// each to its simple upper case (one code point to one code point, so "ß"
// stays "ß" and positions match the input). The text between occurrences is
// taken from the input as typed. An empty strip string occurs nowhere: the
// input comes back unchanged with a count of 0.
QString stringPass(const QString& input, const QString& stripString, const QString& replacement,
                   bool caseSensitive, qint64* count);

// The character pass alone (the string-pass fields of options are ignored).
// Per character, in this order and each only while the character is still
// there: punctuation, digits (codes 48-57), spaces (code 32 only), vowels
// (A E I O U, Y with includeY; exact letters, never accented ones), then the
// slot test, which puts the marker in place of a slot character.
QString characterPass(const QString& text, const StripOptions& options);

// True when the code point counts as punctuation: Windows-1252 codes 33-47,
// 58-64, 91-96 and 123-191, or, without such a code, Unicode categories P and S.
bool isPunctuation(char32_t codePoint);

// The punctuation filter: empty when the one-character string c is
// punctuation, otherwise c unchanged. A string that is not exactly one
// character (empty, or longer) comes back unchanged.
QString PuncFilter(const QString& c);

} // namespace quenby
