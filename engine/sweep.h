#pragma once

#include "engine/character_rules.h"
#include "engine/string_matcher.h"
#include "engine/strip_internal.h"

#include <QString>
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

    // The output, or nullopt when stopAtLoneSurrogate and the input holds a
    // lone surrogate outside the occurrences. Throws OutputTooLong, before it
    // allocates the output, when the output would pass kMaxOutputUnits.
    std::optional<QString> run(const QString& input, qint64* count, bool stopAtLoneSurrogate) const;

    // The same over s[0..n). With textGoesOn (a streaming step) the text goes
    // on past n: the sweep stops at the first place where an occurrence of
    // the strip string may start but only the text past n can tell, and sets
    // *stoppedAt to it (n when there is none); *matched then says how many of
    // the string's first characters the text from there matches, and on the
    // way in, how many s begins with (as the step before left them; null: 0).
    std::optional<QString> run(const char16_t* s, qsizetype n, bool textGoesOn, qsizetype* matched,
                               qint64* count, bool stopAtLoneSurrogate, qsizetype* stoppedAt) const;

private:
    // The sweep itself, putting the output through Sink: into the output
    // text from w on, or only counting its units. The position where it
    // stopped, or nullopt (a lone surrogate, as in run()). finder: null
    // without a strip string.
    template <class Sink>
    std::optional<qsizetype> sweep(typename Sink::Cursor& w, const char16_t* s, qsizetype n,
                                   Finder* finder, qint64* count, bool stopAtLoneSurrogate,
                                   WideVerdicts& wide, const BlockSweep* blocks) const;

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
