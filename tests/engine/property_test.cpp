#include "engine/strip.h"
#include "engine/strip_internal.h"
#include "reference_strip.h"
#include "support/random_options.h"
#include "support/rows.h"
#include "text_dump.h"

#include <gtest/gtest.h>
#include <sstream>
#include <vector>

namespace {

using quenby::detail::SweepMode;
using quenby::test::dump;
using quenby::test::nameOf;
using quenby::test::operator<<;

// Characters where the rules have edges: vowels of both cases and Y, accented
// letters, ß, letters whose upper case crosses the 256 line, the whitespace
// that is not a space, digits and their neighbours, code-page punctuation,
// a C1 control the code page maps, a symbol and a letter beyond the code
// page, a surrogate pair and both of its halves alone.
const std::vector<QString>& edgeAlphabet() {
    static const std::vector<QString> letters = {"a",
                                                 "A",
                                                 "e",
                                                 "E",
                                                 "y",
                                                 "Y",
                                                 "x",
                                                 "s",
                                                 "S",
                                                 QString::fromUtf8("é"),
                                                 QString::fromUtf8("É"),
                                                 QString::fromUtf8("ß"),
                                                 QString::fromUtf8("ÿ"),
                                                 QString::fromUtf8("Ÿ"),
                                                 QString::fromUtf8("ſ"),
                                                 " ",
                                                 "\t",
                                                 "\n",
                                                 "0",
                                                 "9",
                                                 "/",
                                                 ":",
                                                 "!",
                                                 QString(QChar(0x00A0)),
                                                 QString(QChar(0x20AC)),
                                                 QString(QChar(0x0081)),
                                                 QString::fromUtf8("←"),
                                                 QString::fromUtf8("中"),
                                                 QString::fromUtf8("\xF0\x9F\x98\x80"),
                                                 QString(QChar(0xD83D)),
                                                 QString(QChar(0xDE00))};
    return letters;
}

// Plain text with few letters, so that long strings repeat and overlap.
const std::vector<QString>& plainAlphabet() {
    static const std::vector<QString> letters = {"a", "A", "e", "t", "T", "h", " ", "y", "0", "."};
    return letters;
}

// A table's shape: texts of up to maxInput characters, strip strings cut
// from them up to maxCut units long, and a chance of edgePercent of an edge
// character instead of a plain one.
struct Shape {
    int maxInput;
    int maxCut;
    int edgePercent;
};

quenby::test::Generator generator(unsigned seed, const Shape& shape) {
    quenby::test::OptionOdds odds{};
    // A fifth of the runs without a strip string, two fifths with one cut
    // from the input.
    odds.cutPercent = 40;
    odds.maxCut = shape.maxCut;
    odds.typedPercent = 67;
    odds.maxReplacement = 3;
    odds.classPercent = 40;
    odds.slotPercent = 30;
    odds.markerPercent = 60;
    return quenby::test::Generator(seed, {edgeAlphabet(), plainAlphabet(), shape.edgePercent},
                                   odds);
}

std::string describe(const QString& input, const quenby::StripOptions& o) {
    std::ostringstream s;
    s << "input " << dump(input) << "\n  strip " << dump(o.stripString) << " replacement "
      << dump(o.replacement) << " caseSensitive " << o.caseSensitive << "\n  punctuation "
      << o.stripPunctuation << " numbers " << o.stripNumbers << " spaces " << o.stripSpaces
      << " vowels " << o.stripVowels << " includeY " << o.includeY << " case " << int(o.caseChoice)
      << "\n  slots";
    for (const QString& slot : o.slots)
        s << ' ' << dump(slot);
    s << " marker " << dump(o.marker);
    return s.str();
}

constexpr int kRuns = 3000;

struct Case {
    const char* name;
    unsigned seed;
    Shape shape;
};

class EngineAgainstReference : public ::testing::TestWithParam<Case> {};

TEST_P(EngineAgainstReference, StripAgreesInBothSweeps) {
    const Case& c = GetParam();
    quenby::test::Generator g = generator(c.seed, c.shape);
    int failures = 0;
    int withOccurrences = 0;
    for (int run = 0; run < kRuns && failures < 5; ++run) {
        const QString input = g.text(c.shape.maxInput);
        const quenby::StripOptions o = g.options(input);
        const quenby::StripResult want = quenby::reference::strip(input, o);
        for (const SweepMode mode : {SweepMode::Fastest, SweepMode::OneUnitAtATime}) {
            const quenby::StripResult got = quenby::detail::strip(input, o, mode);
            if (got.text != want.text || got.count != want.count) {
                ++failures;
                ADD_FAILURE() << "seed " << c.seed << " run " << run << " sweep " << nameOf(mode)
                              << "\n  " << describe(input, o) << "\n  got " << dump(got.text)
                              << " count " << got.count.value_or(-1) << "\n  want "
                              << dump(want.text) << " count " << want.count.value_or(-1);
            }
        }
        if (want.count.value_or(0) > 0)
            ++withOccurrences;
    }
    // The comparison is only worth something when the string pass has work.
    EXPECT_GT(withOccurrences, kRuns / 4);
}

TEST_P(EngineAgainstReference, EachPassAgreesInBothSweeps) {
    const Case& c = GetParam();
    quenby::test::Generator g = generator(c.seed + 1, c.shape);
    int failures = 0;
    for (int run = 0; run < kRuns && failures < 5; ++run) {
        const QString input = g.text(c.shape.maxInput);
        const quenby::StripOptions o = g.options(input);
        qint64 wantCount = -2;
        const QString wantString = quenby::reference::stringPass(
            input, o.stripString, o.replacement, o.caseSensitive, &wantCount);
        const QString wantCharacters = quenby::reference::characterPass(input, o);
        for (const SweepMode mode : {SweepMode::Fastest, SweepMode::OneUnitAtATime}) {
            qint64 gotCount = -1;
            const QString gotString = quenby::detail::stringPass(
                input, o.stripString, o.replacement, o.caseSensitive, &gotCount, mode);
            const QString gotCharacters = quenby::detail::characterPass(input, o, mode);
            if (gotString != wantString || gotCount != wantCount ||
                gotCharacters != wantCharacters) {
                ++failures;
                ADD_FAILURE() << "seed " << c.seed + 1 << " run " << run << " sweep "
                              << nameOf(mode) << "\n  " << describe(input, o)
                              << "\n  string pass got " << dump(gotString) << " count " << gotCount
                              << ", want " << dump(wantString) << " count " << wantCount
                              << "\n  character pass got " << dump(gotCharacters) << ", want "
                              << dump(wantCharacters);
            }
        }
    }
}

// Short texts of edge characters; long ones, where the sweep goes by blocks
// of units and occurrences cross from block to block; and long plain texts
// with a few edge characters, where long strip strings and strings that
// overlap themselves ("aa", "a a") occur often.
INSTANTIATE_TEST_SUITE_P(Texts, EngineAgainstReference,
                         ::testing::Values(Case{"ShortEdgeTexts", 20260607, {24, 3, 100}},
                                           Case{"LongEdgeTexts", 20260611, {300, 12, 100}},
                                           Case{"LongPlainTexts", 20260613, {400, 12, 3}}),
                         quenby::test::RowName());

} // namespace
