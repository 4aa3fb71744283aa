#pragma once

#include "engine/character_rules.h"
#include "engine/string_matcher.h"
#include "engine/sweep_state.h"

#include <QString>
#include <QStringView>
#include <array>
#include <optional>

// Both passes in one sweep: at each character either an occurrence of the
// strip string starts there (write the replacement, skip the occurrence) or
// the character goes through the rules. Plain units below 256 go through a
// table, and runs of them through the vector path where the processor has it
// (block_sweep.h).
namespace quenby::detail {

class BlockSweep;
class WideVerdicts;

class Sweeper {
public:
    // matcher null: the character pass alone. replacement: written as it is
    // for each occurrence.
    Sweeper(const CharacterRules& rules, const Matcher* matcher, const QString& replacement,
            SweepMode mode);

    // The output of one sweep over text, or nullopt when it gives up at a
    // lone surrogate (Stop::AtLoneSurrogate). Where it may end early is
    // `stop`; state is read on the way in and updated on the way out, and
    // left as it was when the sweep gives up (sweep_state.h). Throws
    // OutputTooLong, before it allocates the output, when the output would
    // pass kMaxOutputUnits.
    std::optional<QString> run(QStringView text, Stop stop, SweepState& state) const;

private:
    // The sweep itself over s[0..n), putting the output through Sink: into
    // the output text from w on, or only counting its units; the occurrences
    // replaced are added to count. The position where it stopped, or
    // nullopt where it gave up (as in run()). finder: null without a strip
    // string; blocks: null, or the vector path.
    template <class Sink>
    std::optional<qsizetype> sweep(typename Sink::Cursor& w, const char16_t* s, qsizetype n,
                                   Stop stop, Finder* finder, qint64& count, WideVerdicts& wide,
                                   const BlockSweep* blocks) const;

    // True when the output can be longer than the input: a marker or a
    // replacement longer than what it stands for.
    bool mayOutgrow() const;

    static constexpr quint32 kWrite = 1u << 16; // write the low 16 bits
    static constexpr quint32 kSlow = 1u << 17;  // needs more than the table

    const CharacterRules& m_rules;
    const Matcher* m_matcher;
    const QString& m_replacement;
    bool m_blocksAllowed = true;
    std::array<quint32, 256> m_fast{};
};

} // namespace quenby::detail
