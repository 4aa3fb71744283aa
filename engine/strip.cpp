#include "engine/strip.h"

#include "engine/passes.h"
#include "engine/strip_internal.h"

// The entry points: the passes set up from the options, and where a lone
// surrogate asks for it, the two passes one after the other.
namespace quenby {
namespace detail {

QString stringPass(const QString& input, const QString& stripString, const QString& replacement,
                   bool caseSensitive, qint64* count, SweepMode mode) {
    StripOptions options;
    options.stripString = stripString;
    options.replacement = replacement;
    options.caseSensitive = caseSensitive;
    SweepState state;
    QString text = Passes(options, mode).stringPass(input, Stop::AtEnd, state);
    if (count)
        *count = state.count;
    return text;
}

QString characterPass(const QString& text, const StripOptions& options, SweepMode mode) {
    StripOptions characterOptions = options;
    characterOptions.stripString.clear();
    return Passes(characterOptions, mode).characterPass(text);
}

StripResult strip(const QString& input, const StripOptions& options, SweepMode mode) {
    const Passes passes(options, mode);
    SweepState state;
    std::optional<QString> text = passes.strip(input, Stop::AtEnd, state);
    if (!text)
        text = passes.characterPass(passes.stringPass(input, Stop::AtEnd, state));
    if (options.stripString.isEmpty())
        return {*text, std::nullopt};
    return {*text, state.count};
}

} // namespace detail

QString stringPass(const QString& input, const QString& stripString, const QString& replacement,
                   bool caseSensitive, qint64* count) {
    return detail::stringPass(input, stripString, replacement, caseSensitive, count,
                              detail::SweepMode::Fastest);
}

QString characterPass(const QString& text, const StripOptions& options) {
    return detail::characterPass(text, options, detail::SweepMode::Fastest);
}

StripResult strip(const QString& input, const StripOptions& options) {
    return detail::strip(input, options, detail::SweepMode::Fastest);
}

} // namespace quenby
