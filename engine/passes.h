#pragma once

#include "engine/strip_options.h"
#include "engine/sweep_state.h"

#include <QString>
#include <QStringView>
#include <memory>
#include <optional>

// What the passes need besides the text, made once from the options: the
// rules, the strip string's matcher and the replacement's output. The entry
// points (strip.h) make one per run; the streaming stripper keeps one for all
// of its steps.
namespace quenby::detail {

class CharacterRules;
class Matcher;

class Passes {
public:
    Passes(const StripOptions& options, SweepMode mode);
    ~Passes();

    // Both passes in one sweep over input, or nullopt where the two passes
    // must run one after the other: a lone surrogate in the replacement, or
    // one met in input outside the occurrences (then state is left as it
    // was). `stop` is Stop::AtEnd for a whole text, or
    // Stop::WhereTextToComeDecides for one step of a text that goes on; state
    // carries the count and the partial match from step to step, and says
    // where the sweep stopped (sweep_state.h).
    std::optional<QString> strip(QStringView input, Stop stop, SweepState& state) const;

    // The string pass alone, the same way (without a strip string, all of
    // input comes back).
    QString stringPass(QStringView input, Stop stop, SweepState& state) const;

    // The character pass alone.
    QString characterPass(const QString& text) const;

private:
    SweepMode m_mode;
    std::unique_ptr<const CharacterRules> m_rules;
    std::unique_ptr<const CharacterRules> m_keepAll;
    std::unique_ptr<const Matcher> m_matcher; // null without a strip string
    QString m_replacement;
    // The replacement through the character pass, put in as it is in the
    // one sweep; none where the replacement holds a lone surrogate.
    std::optional<QString> m_sweptReplacement;
};

} // namespace quenby::detail
