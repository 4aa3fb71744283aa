#pragma once

#include "engine/strip.h"

#include <QString>
#include <QStringList>

// A slow, literal rendering of the stripping rules, kept apart from the
// engine's tables and single sweep so that tests and fuzzers can compare the
// two. It walks the text one character at a time and builds every result by
// appending; the string pass cuts the text into a list of pieces between
// occurrences, searching with 1-based positions, and joins them again with
// the replacement.
namespace quenby::reference {

// The text as a list of characters: each a surrogate pair or a single unit.
QStringList characters(const QString& text);

// The Windows-1252 code of a one-character string, or -1 when it has none.
int windows1252Code(const QString& character);

bool isPunctuation(const QString& character);

QString PuncFilter(const QString& character);

QString stringPass(const QString& input, const QString& stripString, const QString& replacement,
                   bool caseSensitive, qint64* count);

QString characterPass(const QString& text, const StripOptions& options);

StripResult strip(const QString& input, const StripOptions& options);

} // namespace quenby::reference
