#pragma once

#include <QtGlobal>
#include <stdexcept>

// How long one run's output may be. Texts of any length are fine and the
// count is 64-bit; only the output of one run is limited.
namespace quenby {

// The most UTF-16 units one run puts out: 2^30. A run whose output would be
// longer (a long replacement for a frequent strip string) finds that out
// before it allocates the output, and throws OutputTooLong.
constexpr qsizetype kMaxOutputUnits = qsizetype(1) << 30;

class OutputTooLong : public std::length_error {
public:
    OutputTooLong()
        : std::length_error("the output would be longer than 2^30 (1073741824) UTF-16 units") {}
};

} // namespace quenby
