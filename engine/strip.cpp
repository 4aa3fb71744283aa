#include "engine/strip.h"

#include "engine/codepoints.h"
#include "engine/strip_internal.h"
#include "engine/sweep.h"

// The entry points: the passes set up from the options, and where a lone
// surrogate asks for it, the two passes one after the other.
namespace quenby {
namespace {

bool hasLoneSurrogate(const QString& s) {
    for (qsizetype i = 0, next = 0; i < s.size(); i = next) {
        codePointAt(s, i, &next);
        if (next == i + 1 && s[i].isSurrogate())
            return true;
    }
    return false;
}

} // namespace

OutputTooLong::OutputTooLong()
    : std::length_error("the output would be longer than 2^30 (1073741824) UTF-16 units") {}

namespace detail {

QString stringPassSettled(QStringView input, qsizetype settled, const QString& stripString,
                          const QString& replacement, bool caseSensitive, qint64* count,
                          qsizetype* stoppedAt, SweepMode mode) {
    if (stripString.isEmpty()) {
        if (stoppedAt)
            *stoppedAt = input.size();
        return input.toString();
    }
    const CharacterRules keepAll;
    const Matcher matcher(stripString, caseSensitive);
    return *Sweeper(keepAll, &matcher, replacement, mode)
                .run(input.utf16(), input.size(), settled, count, false, stoppedAt);
}

std::optional<QString> stripSettled(QStringView input, qsizetype settled,
                                    const StripOptions& options, qint64* count,
                                    qsizetype* stoppedAt, SweepMode mode) {
    const CharacterRules rules(options);
    if (options.stripString.isEmpty())
        return Sweeper(rules, nullptr, QString(), mode)
            .run(input.utf16(), input.size(), settled, nullptr, false, stoppedAt);
    // A lone surrogate could pair up with another one that the string pass
    // brings next to it, making one character out of two; only the two passes
    // run one after the other see that character, so they take over then.
    if (hasLoneSurrogate(options.replacement))
        return std::nullopt;
    const Matcher matcher(options.stripString, options.caseSensitive);
    // The replacement goes through the character pass once, not at each occurrence.
    const QString replacement =
        *Sweeper(rules, nullptr, QString(), mode).run(options.replacement, nullptr, false);
    qint64 found = 0;
    std::optional<QString> text =
        Sweeper(rules, &matcher, replacement, mode)
            .run(input.utf16(), input.size(), settled, &found, true, stoppedAt);
    if (text && count)
        *count += found;
    return text;
}

QString stringPass(const QString& input, const QString& stripString, const QString& replacement,
                   bool caseSensitive, qint64* count, SweepMode mode) {
    qint64 n = 0;
    QString text = stripString.isEmpty()
                       ? input
                       : stringPassSettled(input, input.size(), stripString, replacement,
                                           caseSensitive, &n, nullptr, mode);
    if (count)
        *count = n;
    return text;
}

QString characterPass(const QString& text, const StripOptions& options, SweepMode mode) {
    const CharacterRules rules(options);
    return *Sweeper(rules, nullptr, QString(), mode).run(text, nullptr, false);
}

StripResult strip(const QString& input, const StripOptions& options, SweepMode mode) {
    qint64 count = 0;
    std::optional<QString> text = stripSettled(input, input.size(), options, &count, nullptr, mode);
    if (!text) {
        const QString passed = stringPass(input, options.stripString, options.replacement,
                                          options.caseSensitive, &count, mode);
        text = characterPass(passed, options, mode);
    }
    if (options.stripString.isEmpty())
        return {*text, std::nullopt};
    return {*text, count};
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
