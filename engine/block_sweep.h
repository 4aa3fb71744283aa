#pragma once

#include <QtGlobal>
#include <array>

// The vector fast path of the engine's sweep: 32 UTF-16 units at a time, as
// long as they are below 256. Each unit's fate comes from sets built per run
// (dropped, put in place by the marker, or kept). Occurrences of the strip
// string that lie wholly in such units are found on the way by comparing its
// first characters at every position at once, and replaced there when the
// replacement's output is no longer than they are. Anything else (a unit of 256 or more, a
// slot character whose marker takes two units, a longer replacement) stops
// the sweep, and the caller settles that character on its own, then starts
// the sweep again.
namespace quenby::detail {

// A set of units below 256.
class UnitSet {
public:
    void add(char16_t u) { m_bits[u >> 3] |= quint8(1u << (u & 7)); }
    bool isEmpty() const;
    const quint8* bits() const { return m_bits.data(); }

private:
    alignas(16) std::array<quint8, 32> m_bits{};
};

constexpr qsizetype kBlockUnits = 32;
constexpr int kMaxWindows = 8;

struct BlockTables {
    UnitSet drop; // left out of the output
    UnitSet slot; // replaced by `marker`
    UnitSet stop; // settled by the caller
    char16_t marker = 0;
    bool hasStops = false;

    // The strip string, when there is one.
    bool matching = false;
    // Its first `windows` characters are compared at every position: each
    // equals the two units below 256 given for it (the same one twice when
    // only one unit compares equal to it, a unit of 256 or more when none
    // does). When the windows are the whole string, they find exactly the
    // occurrences that lie wholly in units below 256.
    int windows = 0;
    std::array<std::array<char16_t, 2>, kMaxWindows> windowUnits{};
    bool windowsAreWhole = false;
    const char32_t* fold = nullptr;    // what each unit below 256 is compared as
    const char32_t* pattern = nullptr; // the strip string's characters, compared as
    qsizetype patternSize = 0;
    // The replacement's output, written in place of each occurrence when it
    // is no longer than the occurrence (and at most kMaxWindows units);
    // otherwise each occurrence stops the sweep.
    bool replaceInBlocks = false;
    int replacementSize = 0;
    std::array<char16_t, kMaxWindows> replacement{};
    // Whole windows and no two occurrences can overlap (no proper prefix of
    // the string equals a suffix): occurrences are replaced without looking
    // at them one by one.
    bool replaceAllAtOnce = false;
    // The text goes on past the n units given to the sweep (a streaming
    // step): an occurrence that would reach past n is left to the caller
    // instead of being ruled out.
    bool textGoesOn = false;
};

// True when this processor runs the block sweep.
bool blockSweepAvailable();

// Sweeps s[0..n) block by block up to the first character that it leaves to
// the caller, or up to the last whole block, writing the output at *w (and
// moving *w on) and adding the occurrences replaced to *count; returns the
// number of units swept. *w must have room for every unit of s.
qsizetype sweepBlocks(const char16_t* s, qsizetype n, char16_t** w, qint64* count,
                      const BlockTables& tables);

} // namespace quenby::detail
