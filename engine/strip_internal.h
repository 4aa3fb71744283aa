#pragma once

#include "engine/strip.h"
#include "engine/sweep_state.h"

// The engine's entry points with the choice of sweep made explicit, so that
// tests can hold both ways against the rules on any processor.
namespace quenby::detail {

StripResult strip(const QString& input, const StripOptions& options, SweepMode mode);
QString stringPass(const QString& input, const QString& stripString, const QString& replacement,
                   bool caseSensitive, qint64* count, SweepMode mode);
QString characterPass(const QString& text, const StripOptions& options, SweepMode mode);

} // namespace quenby::detail
