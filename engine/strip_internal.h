#pragma once

#include "engine/strip.h"

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

} // namespace quenby::detail
