#include "engine/strip.h"

namespace quenby {

StripResult strip(const QString& input, const StripOptions&) { return {input, std::nullopt}; }

} // namespace quenby
