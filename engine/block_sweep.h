#pragma once

#include "engine/sweep_state.h"

#include <QString>
#include <memory>

// The vector fast path of the engine's sweep: 32 UTF-16 units at a time, as
// long as they are below 256. Each unit's fate comes from sets built per run
// (dropped, put in place by the marker, or kept). Occurrences of the strip
// string that lie wholly in such units are found on the way by comparing its
// first characters at every position at once, and for a string longer than
// those its last character too (at the distance it lies from the first);
// where all of them agree, a string no longer than the compared characters
// is an occurrence, and a longer one is put to the run's Finder. Occurrences
// are replaced there when the replacement's output is no longer than they
// are. Anything else (a unit of 256 or more, a slot character whose marker
// takes two units, a longer replacement) stops the sweep, and the caller
// settles that character on its own, then starts the sweep again.
//
// The path is one unit, block_sweep.h and block_sweep.cpp: the sweep
// (sweep.cpp, Sweeper::run) builds a BlockSweep per run and hands over to
// it in the two statements under the comments "Vector path"; nothing else
// knows of it. It only ever takes work off the unit-at-a-time sweep, so the
// output is the same without it. To drop it, delete those two statements,
// the include of this header, these two files and their line in
// engine/CMakeLists.txt; to replace it, keep this class's public members.
namespace quenby::detail {

class CharacterRules;
class Finder;
class Matcher;

class BlockSweep {
public:
    // Ready for one run over a text of n units, by the rules, the strip
    // string (matcher null: none) and the replacement's output; `stop` tells
    // whether the text goes on past n (a streaming step). Stays inactive
    // where blocks do not pay: a processor without the vectors, a text of
    // fewer than a few blocks, a strip string that no unit below 256 can
    // begin.
    BlockSweep(const CharacterRules& rules, const Matcher* matcher, const QString& replacement,
               qsizetype n, Stop stop);
    ~BlockSweep();

    bool active() const { return m_tables != nullptr; }

    // Sweeps s[0..n) block by block up to the first character that it leaves
    // to the caller, or up to the last whole block, writing the output at *w
    // (and moving *w on) and adding the occurrences replaced to count;
    // returns the number of units swept. *w must have room for every unit of
    // s. finder: the run's, whose text holds s at `offset` (null without a
    // strip string). Only while active().
    qsizetype sweep(const char16_t* s, qsizetype n, char16_t** w, qint64& count, Finder* finder,
                    qsizetype offset) const;

    // After sweep() stopped at s[i]: up to where the caller goes on one unit
    // at a time before it hands back (at most n).
    qsizetype resumeAt(const char16_t* s, qsizetype i, qsizetype n) const;

    struct Tables; // the sets and the strip string's windows, built per run

private:
    std::unique_ptr<const Tables> m_tables;
};

} // namespace quenby::detail
