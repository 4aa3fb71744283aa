#pragma once

#include "engine/strip.h"

#include <QStringView>
#include <optional>

// The engine's entry points with the choice of sweep made explicit, so that
// tests can hold both ways against the rules on any processor.
namespace quenby::detail {

enum class SweepMode {
    Fastest,        // blocks of units where the processor has the vectors for them
    OneUnitAtATime, // never blocks
};

StripResult strip(const QString& input, const StripOptions& options, SweepMode mode);
QString stringPass(const QString& input, const QString& stripString, const QString& replacement,
                   bool caseSensitive, qint64* count, SweepMode mode);
QString characterPass(const QString& text, const StripOptions& options, SweepMode mode);

// One step over a text that goes on after `input` (the streaming stripper's
// step). Everything before `settled` is swept; the caller makes sure that
// at least as many characters as the strip string has, less one, follow
// `settled` in input, so every occurrence starting before it is decided by
// what input holds. The sweep stops at the first character boundary from
// `settled` on that is not inside an occurrence, and sets *stoppedAt to it
// (when not null): the text from there on is left for the next step. The
// occurrences found are added to *count. With settled == input.size() the
// whole input is swept, as by strip() and stringPass().

// Both passes in one sweep, or nullopt where strip() runs the two passes one
// after the other: a lone surrogate in the replacement, or one met in input
// outside the occurrences (then *count is left alone).
std::optional<QString> stripSettled(QStringView input, qsizetype settled,
                                    const StripOptions& options, qint64* count,
                                    qsizetype* stoppedAt, SweepMode mode);

// The string pass alone, the same way (an empty strip string sweeps all of
// input).
QString stringPassSettled(QStringView input, qsizetype settled, const QString& stripString,
                          const QString& replacement, bool caseSensitive, qint64* count,
                          qsizetype* stoppedAt, SweepMode mode);

} // namespace quenby::detail
