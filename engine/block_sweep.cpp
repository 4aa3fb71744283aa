#include "engine/block_sweep.h"

#include "engine/character_rules.h"
#include "engine/string_matcher.h"

#include <QChar>
#include <algorithm>
#include <array>

#if defined(__x86_64__)
#include <immintrin.h>
#define QUENBY_BLOCK_SWEEP 1
#endif

namespace quenby::detail {
namespace {

// A set of units below 256.
class UnitSet {
public:
    void add(char16_t u) { m_bits[u >> 3] |= quint8(1u << (u & 7)); }
    bool isEmpty() const {
        return std::all_of(m_bits.begin(), m_bits.end(), [](quint8 b) { return b == 0; });
    }
    const quint8* bits() const { return m_bits.data(); }

private:
    alignas(16) std::array<quint8, 32> m_bits{};
};

constexpr qsizetype kBlockUnits = 32;
constexpr int kMaxWindows = 8;

// True when this processor runs the block sweep.
bool blockSweepAvailable();

} // namespace

struct BlockSweep::Tables {
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
    // A string longer than the windows is put to the finder where they
    // agree; but first, where its last character takes one unit, that
    // character is compared too, lastAt units after the first (against
    // lastUnits as for a window, while a unit of 256 or more always passes,
    // since it may compare equal to it).
    bool lastFilter = false;
    qsizetype lastAt = 0;
    std::array<char16_t, 2> lastUnits{};
    bool lastAnyNarrow = false;
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

namespace {

using Tables = BlockSweep::Tables;

// The units below 256 that compare equal to the character c, at most
// three: the first and the last of them (the same one twice when there is
// one) and how many there are.
std::pair<std::array<char16_t, 2>, int> unitsEqualTo(const Matcher& matcher, char32_t c) {
    std::array<char16_t, 3> units{};
    int found = 0;
    for (char16_t u = 0; u < 256 && found < 3; ++u)
        if (matcher.fold(u) == c)
            units[size_t(found++)] = u;
    return {{units[0], units[size_t(std::max(found, 1) - 1)]}, found};
}

void addMatching(Tables& t, const Matcher& matcher, const QString& replacement) {
    t.matching = true;
    t.fold = matcher.latin1Fold();
    t.pattern = matcher.pattern();
    t.patternSize = matcher.size();
    t.windows = int(std::min<qsizetype>(matcher.size(), kMaxWindows));
    for (int j = 0; j < t.windows; ++j) {
        const auto [units, found] = unitsEqualTo(matcher, matcher.pattern()[j]);
        if (found == 3) { // no letter has three cases below 256; compare no further
            t.windows = j;
            break;
        }
        // A unit of 256 or more never counts in a window: 0x100 stands for none.
        t.windowUnits[size_t(j)] = found == 0 ? std::array<char16_t, 2>{0x100, 0x100} : units;
    }
    t.windowsAreWhole = t.windows == matcher.size();
    const char32_t last = matcher.pattern()[matcher.size() - 1];
    if (!t.windowsAreWhole && !QChar::requiresSurrogates(last)) {
        const auto [units, found] = unitsEqualTo(matcher, last);
        t.lastFilter = found < 3;
        t.lastAt = matcher.unitsOf(matcher.size()) - 1;
        t.lastUnits = units;
        t.lastAnyNarrow = found > 0;
    }
    // An output no longer than the occurrence it replaces keeps the output
    // within the input's size.
    t.replaceInBlocks = replacement.size() <= std::min<qsizetype>(matcher.size(), kMaxWindows);
    if (t.replaceInBlocks) {
        t.replacementSize = int(replacement.size());
        for (qsizetype k = 0; k < replacement.size(); ++k)
            t.replacement[size_t(k)] = replacement[k].unicode();
    }
    t.replaceAllAtOnce = t.windowsAreWhole && t.replaceInBlocks && !matcher.canOverlap();
}

std::unique_ptr<Tables> tablesFor(const CharacterRules& rules, const Matcher* matcher,
                                  const QString& replacement) {
    auto t = std::make_unique<Tables>();
    const QString& marker = rules.marker();
    for (char16_t u = 0; u < 256; ++u) {
        switch (rules.action(u)) {
        case Action::Drop:
            t->drop.add(u);
            break;
        case Action::Keep:
            break;
        case Action::Slot:
            if (marker.isEmpty())
                t->drop.add(u);
            else if (marker.size() == 1)
                t->slot.add(u);
            else
                t->stop.add(u);
            break;
        }
    }
    if (marker.size() == 1)
        t->marker = marker.front().unicode();
    t->hasStops = !t->stop.isEmpty();
    if (matcher)
        addMatching(*t, *matcher, replacement);
    return t;
}

} // namespace

BlockSweep::BlockSweep(const CharacterRules& rules, const Matcher* matcher,
                       const QString& replacement, qsizetype n, Stop stop) {
    // The tables pay off only on texts of a few blocks or more.
    if (n < 4 * kBlockUnits || !blockSweepAvailable())
        return;
    std::unique_ptr<Tables> t = tablesFor(rules, matcher, replacement);
    t->textGoesOn = stopsAt(stop, Stop::WhereTextToComeDecides);
    if (matcher && t->windows == 0)
        return;
    m_tables = std::move(t);
}

BlockSweep::~BlockSweep() = default;

qsizetype BlockSweep::resumeAt(const char16_t* s, qsizetype i, qsizetype n) const {
    // Characters from 256 up tend to come in runs, so take the rest of their
    // block too; and near the end, where no whole block is left, take
    // everything.
    if (n - i < 2 * kBlockUnits)
        return n;
    return std::min(n, s[i] < 256 ? i + 1 : i + kBlockUnits);
}

#ifdef QUENBY_BLOCK_SWEEP

// AVX2 for the vectors, POPCNT for the counts; checked at run time.
#define QUENBY_BLOCK_TARGET __attribute__((target("avx2,popcnt")))

namespace {

// For each 8-bit mask of kept units, the shuffle that moves those units
// (two bytes each) to the front, in order.
struct PackTable {
    alignas(16) quint8 rows[256][16];
};

constexpr PackTable makePackTable() {
    PackTable t{};
    for (int mask = 0; mask < 256; ++mask) {
        int k = 0;
        for (int lane = 0; lane < 8; ++lane) {
            if (mask & (1 << lane)) {
                t.rows[mask][k++] = quint8(2 * lane);
                t.rows[mask][k++] = quint8(2 * lane + 1);
            }
        }
        while (k < 16)
            t.rows[mask][k++] = 0x80;
    }
    return t;
}

constexpr PackTable kPack = makePackTable();

using Lanes = quint32; // a bit for each unit of a block

Lanes lanesBelow(qsizetype k) {
    return k <= 0 ? 0 : k >= kBlockUnits ? ~Lanes(0) : (Lanes(1) << k) - 1;
}

int lowestLane(Lanes lanes) {
    return lanes ? __builtin_ctz(lanes) : int(kBlockUnits);
}

QUENBY_BLOCK_TARGET inline __m256i load(const char16_t* s) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
}

QUENBY_BLOCK_TARGET inline __m256i broadcast(const quint8* sixteenBytes) {
    return _mm256_broadcastsi128_si256(
        _mm_load_si128(reinterpret_cast<const __m128i*>(sixteenBytes)));
}

// Two vectors of 16 units as 32 bytes in order, units from 256 up turned
// into 255 (the pack works within each 128-bit half, hence the permute).
QUENBY_BLOCK_TARGET inline __m256i packUnsigned(__m256i a, __m256i b) {
    return _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8);
}

// A bit for each unit whose 16-bit mask in the two vectors is set.
QUENBY_BLOCK_TARGET inline Lanes lanesOf(__m256i maskA, __m256i maskB) {
    return Lanes(
        _mm256_movemask_epi8(_mm256_permute4x64_epi64(_mm256_packs_epi16(maskA, maskB), 0xD8)));
}

// A bit for each unit below 256.
QUENBY_BLOCK_TARGET inline Lanes narrowLanes(__m256i a, __m256i b) {
    const __m256i zero = _mm256_setzero_si256();
    return lanesOf(_mm256_cmpeq_epi16(_mm256_srli_epi16(a, 8), zero),
                   _mm256_cmpeq_epi16(_mm256_srli_epi16(b, 8), zero));
}

// 32 units narrowed to bytes, ready to be looked up in unit sets.
struct Lookup {
    __m256i lowerIndex; // byte of the set's first half, or none for units from 128
    __m256i upperIndex; // byte of the set's second half, or none for units below 128
    __m256i bit;        // bit within that byte
};

QUENBY_BLOCK_TARGET inline Lookup prepare(__m256i bytes) {
    const __m256i topBit = _mm256_set1_epi8(char(0x80));
    // A shuffle yields 0 where its control byte has the top bit set.
    const __m256i index = _mm256_and_si256(_mm256_srli_epi16(bytes, 3), _mm256_set1_epi8(0x1F));
    const __m256i high = _mm256_and_si256(bytes, topBit);
    const __m256i bitOf =
        _mm256_setr_epi8(1, 2, 4, 8, 16, 32, 64, char(128), 1, 2, 4, 8, 16, 32, 64, char(128), 1, 2,
                         4, 8, 16, 32, 64, char(128), 1, 2, 4, 8, 16, 32, 64, char(128));
    return {_mm256_or_si256(index, high), _mm256_or_si256(index, _mm256_xor_si256(high, topBit)),
            _mm256_shuffle_epi8(bitOf, _mm256_and_si256(bytes, _mm256_set1_epi8(7)))};
}

// A unit set's two halves, each in both halves of a vector.
struct SetVectors {
    __m256i lower;
    __m256i upper;
};

QUENBY_BLOCK_TARGET inline SetVectors vectorsOf(const UnitSet& set) {
    return {broadcast(set.bits()), broadcast(set.bits() + 16)};
}

// 0xFF in each byte whose unit is in the set.
QUENBY_BLOCK_TARGET inline __m256i contains(const SetVectors& set, const Lookup& l) {
    const __m256i bytes = _mm256_or_si256(_mm256_shuffle_epi8(set.lower, l.lowerIndex),
                                          _mm256_shuffle_epi8(set.upper, l.upperIndex));
    return _mm256_cmpeq_epi8(_mm256_and_si256(bytes, l.bit), l.bit);
}

// 0xFFFF in each of the 16 units whose bit is set in lanes.
QUENBY_BLOCK_TARGET inline __m256i unitMask(Lanes lanes) {
    const __m256i bits = _mm256_setr_epi16(1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096,
                                           8192, 16384, short(32768));
    return _mm256_cmpeq_epi16(_mm256_and_si256(_mm256_set1_epi16(short(lanes)), bits), bits);
}

// Writes the units of an 8-unit group whose bit is set in keep (its low 8
// bits), in order.
QUENBY_BLOCK_TARGET inline void pack(char16_t* w, __m128i units, Lanes keep) {
    const __m128i shuffle =
        _mm_load_si128(reinterpret_cast<const __m128i*>(kPack.rows[keep & 0xFF]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(w), _mm_shuffle_epi8(units, shuffle));
}

// Writes the units of a block whose bit is set in keep, in order; returns
// the new end. The four groups' places are counted apart from one another,
// so that only one count lies on the path from block to block.
QUENBY_BLOCK_TARGET inline char16_t* packBlock(char16_t* w, __m256i a, __m256i b, Lanes keep) {
    pack(w, _mm256_castsi256_si128(a), keep);
    pack(w + _mm_popcnt_u32(keep & 0xFF), _mm256_extracti128_si256(a, 1), keep >> 8);
    pack(w + _mm_popcnt_u32(keep & 0xFFFF), _mm256_castsi256_si128(b), keep >> 16);
    pack(w + _mm_popcnt_u32(keep & 0xFFFFFF), _mm256_extracti128_si256(b, 1), keep >> 24);
    return w + _mm_popcnt_u32(keep);
}

// The units each window compares equal to, as vectors of bytes.
struct Windows {
    int count = 0;
    bool anyInNarrowText = true; // false when some window matches no unit below 256
    __m256i one[kMaxWindows];
    __m256i other[kMaxWindows];
};

// The 32 bytes from byte j of [block, next] on (j below 8).
QUENBY_BLOCK_TARGET inline __m256i bytesFrom(__m256i block, __m256i straddle, int j) {
    // straddle holds bytes 16 to 47: the shifts work within 16-byte halves.
    switch (j) {
    case 0:
        return block;
    case 1:
        return _mm256_alignr_epi8(straddle, block, 1);
    case 2:
        return _mm256_alignr_epi8(straddle, block, 2);
    case 3:
        return _mm256_alignr_epi8(straddle, block, 3);
    case 4:
        return _mm256_alignr_epi8(straddle, block, 4);
    case 5:
        return _mm256_alignr_epi8(straddle, block, 5);
    case 6:
        return _mm256_alignr_epi8(straddle, block, 6);
    default:
        return _mm256_alignr_epi8(straddle, block, 7);
    }
}

// The lanes where the first characters of the strip string start, among
// units below 256. bytes holds the block's 32 units and next the 8 after
// them, narrowed.
QUENBY_BLOCK_TARGET inline Lanes windowStarts(__m256i bytes, __m128i next, const Windows& windows) {
    if (!windows.anyInNarrowText)
        return 0;
    const __m256i straddle = _mm256_permute2x128_si256(
        bytes, _mm256_inserti128_si256(_mm256_setzero_si256(), next, 0), 0x21);
    __m256i found = _mm256_set1_epi8(char(0xFF));
    for (int j = 0; j < windows.count; ++j) {
        const __m256i window = bytesFrom(bytes, straddle, j);
        found =
            _mm256_and_si256(found, _mm256_or_si256(_mm256_cmpeq_epi8(window, windows.one[j]),
                                                    _mm256_cmpeq_epi8(window, windows.other[j])));
    }
    return Lanes(_mm256_movemask_epi8(found));
}

constexpr qsizetype kUndecided = -2;

// The end of the occurrence of the strip string at s[p], -1 when there is
// none, or kUndecided when a unit of 256 or more comes first or the
// occurrence would reach past n into text still to come.
qsizetype occurrenceEnd(const char16_t* s, qsizetype p, qsizetype n, const Tables& t) {
    if (p + t.patternSize > n)
        return t.textGoesOn ? kUndecided : -1;
    for (qsizetype j = 0; j < t.patternSize; ++j) {
        const char16_t u = s[p + j];
        if (u >= 256)
            return kUndecided;
        if (t.fold[u] != t.pattern[j])
            return -1;
    }
    return p + t.patternSize;
}

// The lanes of the block at s[i] where an occurrence may start as far as the
// strip string's last character tells: the unit t.lastAt on may compare
// equal to it.
QUENBY_BLOCK_TARGET inline Lanes lastMayMatch(const char16_t* s, qsizetype i, qsizetype n,
                                              const Tables& t, __m256i lastOne, __m256i lastOther) {
    const qsizetype q = i + t.lastAt;
    __m256i a;
    __m256i b;
    if (q + kBlockUnits <= n) {
        a = load(s + q);
        b = load(s + q + 16);
    } else { // past the end: units of 256 or more, which pass
        char16_t tail[kBlockUnits];
        for (qsizetype k = 0; k < kBlockUnits; ++k)
            tail[k] = q + k < n ? s[q + k] : char16_t(0x100);
        a = load(tail);
        b = load(tail + 16);
    }
    const __m256i highBytes = _mm256_set1_epi16(short(0xFF00));
    Lanes lanes = _mm256_testz_si256(_mm256_or_si256(a, b), highBytes) ? 0 : ~narrowLanes(a, b);
    if (t.lastAnyNarrow) {
        const __m256i bytes = packUnsigned(a, b);
        lanes |= Lanes(_mm256_movemask_epi8(_mm256_or_si256(_mm256_cmpeq_epi8(bytes, lastOne),
                                                            _mm256_cmpeq_epi8(bytes, lastOther))));
    }
    // Where the text ends before the last character, no occurrence starts,
    // unless the text goes on.
    if (!t.textGoesOn)
        lanes &= lanesBelow(n - q);
    return lanes;
}

// kLongString: a strip string longer than the windows, put to the finder
// (a copy of the loop of its own, so that the loop for short strings and for
// none keeps its registers).
template <bool kLongString>
QUENBY_BLOCK_TARGET qsizetype sweepBlocks(const char16_t* s, qsizetype n, char16_t** wp,
                                          qint64& count, const Tables& t, Finder* finder,
                                          qsizetype offset) {
    // Everything the loop reads lives in locals: the stores of the output
    // could otherwise alias the tables, and each block would reload them.
    const SetVectors drop = vectorsOf(t.drop);
    const SetVectors slot = vectorsOf(t.slot);
    const SetVectors stop = vectorsOf(t.stop);
    const bool hasStops = t.hasStops;
    const bool matching = t.matching;
    const bool replaceAllAtOnce = t.replaceAllAtOnce;
    const qsizetype patternSize = t.patternSize;
    Windows windows;
    if (matching) {
        windows.count = t.windows;
        for (int j = 0; j < t.windows; ++j) {
            const auto& units = t.windowUnits[size_t(j)];
            windows.anyInNarrowText = windows.anyInNarrowText && units[0] < 256;
            windows.one[j] = _mm256_set1_epi8(char(units[0]));
            windows.other[j] = _mm256_set1_epi8(char(units[1]));
        }
    }
    // The replacement's units, each written at the lane that many units into
    // its occurrence; those past the block go into the next one.
    const int replacementSize = t.replaceInBlocks ? t.replacementSize : 0;
    __m256i replacement[kMaxWindows];
    Lanes carriedReplacement[kMaxWindows] = {};
    for (int j = 0; j < replacementSize; ++j)
        replacement[j] = _mm256_set1_epi16(short(t.replacement[size_t(j)]));
    // How far past a block's first unit the windows look, and how far the
    // block reads: with a strip string, 8 units on.
    const qsizetype look = matching ? windows.count - 1 : 0;
    const qsizetype reach = kBlockUnits + (matching ? 8 : 0);
    const bool lastFilter = t.lastFilter;
    const __m256i lastOne = _mm256_set1_epi8(char(t.lastUnits[0]));
    const __m256i lastOther = _mm256_set1_epi8(char(t.lastUnits[1]));
    const __m256i marker = _mm256_set1_epi16(short(t.marker));
    const __m256i highBytes = _mm256_set1_epi16(short(0xFF00));
    char16_t* w = *wp;
    qint64 replacedCount = 0;
    Lanes carry = 0;            // all at once: lanes inside an occurrence from the block before
    qsizetype coveredUntil = 0; // one at a time: the end of the last occurrence replaced
    qsizetype noneUntil = 0;    // the finder says no occurrence starts before here
    qsizetype i = 0;
    bool stopped = false;
    for (; i + reach <= n; i += kBlockUnits) {
        const __m256i a = load(s + i);
        const __m256i b = load(s + i + 16);
        // Units of 256 or more saturate to 255 here; the block stops at them.
        const __m256i bytes = packUnsigned(a, b);
        const Lookup l = prepare(bytes);

        // Lanes left to the caller: units of 256 or more, and with a strip
        // string, every start whose windows could reach one (there a
        // character may take two units, or match by case folding).
        Lanes hard = 0;
        Lanes found = 0;
        if (matching) {
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 32));
            const __m256i any = _mm256_or_si256(
                _mm256_or_si256(a, b), _mm256_inserti128_si256(_mm256_setzero_si256(), next, 0));
            if (!_mm256_testz_si256(any, highBytes)) {
                const Lanes wide = ~narrowLanes(a, b);
                const __m128i nextNarrow =
                    _mm_cmpeq_epi16(_mm_srli_epi16(next, 8), _mm_setzero_si128());
                const int nextWide = lowestLane(
                    ~Lanes(_mm_movemask_epi8(_mm_packs_epi16(nextNarrow, nextNarrow))) & 0xFF);
                const int firstWide = wide ? lowestLane(wide) : int(kBlockUnits) + nextWide;
                hard = ~lanesBelow(firstWide - look);
            }
            found = windowStarts(bytes, _mm_packus_epi16(next, next), windows);
            // A string longer than the windows: what the finder has ruled
            // out, and then the last character. In ordinary text the first
            // characters rarely agree, and neither need be looked at.
            if constexpr (kLongString) {
                if (found) {
                    found &= ~lanesBelow(noneUntil - i);
                    if (lastFilter)
                        found &= lastMayMatch(s, i, n, t, lastOne, lastOther);
                }
            }
        } else if (!_mm256_testz_si256(_mm256_or_si256(a, b), highBytes)) {
            hard = ~narrowLanes(a, b);
        }
        if (hasStops)
            hard |= Lanes(_mm256_movemask_epi8(contains(stop, l)));
        const Lanes starts = found & ~hard;

        Lanes covered = 0;  // inside an occurrence, past its first unit
        Lanes replaced = 0; // the first units of the occurrences replaced
        int stopAt = kBlockUnits;
        if (replaceAllAtOnce) {
            // Occurrences found by whole windows cannot overlap one another,
            // so what they cover follows from the starts alone, and no
            // branch waits on them: they come too irregularly to predict.
            quint64 spread = 0;
            for (qsizetype j = 1; j < patternSize; ++j)
                spread |= quint64(starts) << j;
            covered = carry | Lanes(spread);
            carry = Lanes(spread >> 32);
            stopAt = lowestLane(hard & ~covered);
            replaced = starts & lanesBelow(stopAt);
            replacedCount += _mm_popcnt_u32(replaced);
        } else {
            covered = lanesBelow(coveredUntil - i);
            // One possible start at a time, left to right.
            for (Lanes pending = (starts | hard) & ~covered; pending;) {
                const int p = lowestLane(pending);
                if (hard >> p & 1) {
                    stopAt = p;
                    break;
                }
                qsizetype end = kUndecided;
                if constexpr (!kLongString) {
                    end = occurrenceEnd(s, i + p, n, t);
                } else {
                    // The finder takes the occurrence only where it is
                    // replaced here; otherwise the caller asks again.
                    const qsizetype answer =
                        finder->occurrenceAt(offset + i + p, t.replaceInBlocks);
                    if (answer == Finder::kNone) {
                        noneUntil = finder->noneBefore() - offset;
                        pending &= ~(lanesBelow(noneUntil - i) & ~hard);
                        continue;
                    }
                    if (answer >= 0)
                        end = answer - offset;
                }
                if (end == kUndecided || (end >= 0 && !t.replaceInBlocks)) {
                    stopAt = p;
                    break;
                }
                if (end >= 0) {
                    ++replacedCount;
                    replaced |= Lanes(1) << p;
                    covered |= lanesBelow(end - i) & ~lanesBelow(p + 1);
                    coveredUntil = end;
                }
                pending &= ~lanesBelow(p + 1) & ~covered;
            }
        }

        const __m256i slots = contains(slot, l);
        __m256i outA =
            _mm256_blendv_epi8(a, marker, _mm256_cvtepi8_epi16(_mm256_castsi256_si128(slots)));
        __m256i outB =
            _mm256_blendv_epi8(b, marker, _mm256_cvtepi8_epi16(_mm256_extracti128_si256(slots, 1)));
        Lanes written = 0; // lanes of occurrences that take a unit of the replacement
        for (int j = 0; j < replacementSize; ++j) {
            const quint64 lanes = quint64(replaced) << j;
            const Lanes here = Lanes(lanes) | carriedReplacement[j];
            carriedReplacement[j] = Lanes(lanes >> 32);
            outA = _mm256_blendv_epi8(outA, replacement[j], unitMask(here));
            outB = _mm256_blendv_epi8(outB, replacement[j], unitMask(here >> 16));
            written |= here;
        }
        const Lanes dropped = Lanes(_mm256_movemask_epi8(contains(drop, l)));
        const Lanes keep = ((~dropped & ~covered & ~replaced) | written) & lanesBelow(stopAt);
        w = packBlock(w, outA, outB, keep);
        if (stopAt < kBlockUnits) {
            // Nothing replaced before the stop reaches past it.
            i += stopAt;
            stopped = true;
            break;
        }
    }
    if (!stopped) {
        // The last occurrence may reach past the last block: write the rest
        // of its replacement, and go on after it.
        for (int j = 0; j < replacementSize; ++j)
            if (carriedReplacement[j])
                *w++ = t.replacement[size_t(j)];
        i = std::max(i + _mm_popcnt_u32(carry), coveredUntil);
    }
    *wp = w;
    count += replacedCount;
    return i;
}

bool blockSweepAvailable() {
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
}

} // namespace

qsizetype BlockSweep::sweep(const char16_t* s, qsizetype n, char16_t** w, qint64& count,
                            Finder* finder, qsizetype offset) const {
    const Tables& t = *m_tables;
    if (t.matching && !t.windowsAreWhole)
        return sweepBlocks<true>(s, n, w, count, t, finder, offset);
    return sweepBlocks<false>(s, n, w, count, t, finder, offset);
}

#else

namespace {

bool blockSweepAvailable() {
    return false;
}

} // namespace

qsizetype BlockSweep::sweep(const char16_t*, qsizetype, char16_t**, qint64&, Finder*,
                            qsizetype) const {
    return 0;
}

#endif

} // namespace quenby::detail
