#include "engine/passes.h"

#include "engine/character_rules.h"
#include "engine/codepoints.h"
#include "engine/string_matcher.h"
#include "engine/sweep.h"

// The passes set up from the options, each run as one sweep.
namespace quenby::detail {
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

std::optional<QString> Passes::strip(QStringView input, Stop stop, SweepState& state) const {
    if (!m_matcher)
        return Sweeper(*m_rules, nullptr, QString(), m_mode).run(input, stop, state);
    if (!m_sweptReplacement)
        return std::nullopt;
    return Sweeper(*m_rules, m_matcher.get(), *m_sweptReplacement, m_mode)
        .run(input, stop | Stop::AtLoneSurrogate, state);
}

QString Passes::stringPass(QStringView input, Stop stop, SweepState& state) const {
    if (!m_matcher) {
        state.stoppedAt = input.size();
        return input.toString();
    }
    return *Sweeper(*m_keepAll, m_matcher.get(), m_replacement, m_mode).run(input, stop, state);
}

QString Passes::characterPass(const QString& text) const {
    SweepState state;
    return *Sweeper(*m_rules, nullptr, QString(), m_mode).run(text, Stop::AtEnd, state);
}

} // namespace quenby::detail
