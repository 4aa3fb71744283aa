#include "engine/strip.h"

#include "engine/character_rules.h"
#include "engine/codepoints.h"
#include "engine/string_matcher.h"
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

Passes::Passes(const StripOptions& options, SweepMode mode)
    : m_mode(mode), m_rules(std::make_unique<CharacterRules>(options)),
      m_keepAll(std::make_unique<CharacterRules>()), m_replacement(options.replacement) {
    if (options.stripString.isEmpty())
        return;
    m_matcher = std::make_unique<Matcher>(options.stripString, options.caseSensitive);
    // A lone surrogate could pair up with another one that the string pass
    // brings next to it, making one character out of two; only the two passes
    // run one after the other see that character, so they take over then.
    if (!hasLoneSurrogate(options.replacement))
        m_sweptReplacement = characterPass(options.replacement);
}

Passes::~Passes() = default;

std::optional<QString> Passes::strip(QStringView input, bool textGoesOn, qsizetype* matched,
                                     qint64* count, qsizetype* stoppedAt) const {
    if (!m_matcher)
        return Sweeper(*m_rules, nullptr, QString(), m_mode)
            .run(input.utf16(), input.size(), textGoesOn, nullptr, nullptr, false, stoppedAt);
    if (!m_sweptReplacement)
        return std::nullopt;
    qint64 found = 0;
    std::optional<QString> text =
        Sweeper(*m_rules, m_matcher.get(), *m_sweptReplacement, m_mode)
            .run(input.utf16(), input.size(), textGoesOn, matched, &found, true, stoppedAt);
    if (text && count)
        *count += found;
    return text;
}

QString Passes::stringPass(QStringView input, bool textGoesOn, qsizetype* matched, qint64* count,
                           qsizetype* stoppedAt) const {
    if (!m_matcher) {
        if (stoppedAt)
            *stoppedAt = input.size();
        return input.toString();
    }
    qint64 found = 0;
    QString text =
        *Sweeper(*m_keepAll, m_matcher.get(), m_replacement, m_mode)
             .run(input.utf16(), input.size(), textGoesOn, matched, &found, false, stoppedAt);
    if (count)
        *count += found;
    return text;
}

QString Passes::characterPass(const QString& text) const {
    return *Sweeper(*m_rules, nullptr, QString(), m_mode).run(text, nullptr, false);
}

QString stringPass(const QString& input, const QString& stripString, const QString& replacement,
                   bool caseSensitive, qint64* count, SweepMode mode) {
    StripOptions options;
    options.stripString = stripString;
    options.replacement = replacement;
    options.caseSensitive = caseSensitive;
    qint64 n = 0;
    QString text = Passes(options, mode).stringPass(input, false, nullptr, &n, nullptr);
    if (count)
        *count = n;
    return text;
}

QString characterPass(const QString& text, const StripOptions& options, SweepMode mode) {
    StripOptions characterOptions = options;
    characterOptions.stripString.clear();
    return Passes(characterOptions, mode).characterPass(text);
}

StripResult strip(const QString& input, const StripOptions& options, SweepMode mode) {
    const Passes passes(options, mode);
    qint64 count = 0;
    std::optional<QString> text = passes.strip(input, false, nullptr, &count, nullptr);
    if (!text)
        text = passes.characterPass(passes.stringPass(input, false, nullptr, &count, nullptr));
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
