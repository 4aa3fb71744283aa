#pragma once

#include "engine/output_limit.h"
#include "engine/punctuation.h"
#include "engine/strip_options.h"

#include <QString>
#include <optional>

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
// one run is limited, to kMaxOutputUnits (output_limit.h).
//
// This header sits on top of the engine: the programs include it, and inside
// the engine only the entry points themselves (strip.cpp, strip_internal.h)
// do.
namespace quenby {

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

} // namespace quenby
