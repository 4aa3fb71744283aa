#include "engine/strip.h"
#include "engine/strip_internal.h"
#include "reference_strip.h"
#include "text_dump.h"

#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <vector>

namespace {

using quenby::detail::SweepMode;
using quenby::test::dump;
using quenby::test::nameOf;

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

struct Shape {
    int maxInput;    // characters
    int maxCut;      // longest strip string cut from the input
    int edgePercent; // chance of an edge character instead of a plain one
};

class Generator {
public:
    Generator(unsigned seed, Shape shape) : m_random(seed), m_shape(shape) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    bool chance(int percent) { return below(100) < percent; }

    QString character() {
        const auto& letters = chance(m_shape.edgePercent) ? edgeAlphabet() : plainAlphabet();
        return letters[size_t(below(int(letters.size())))];
    }

    QString text(int maxLength) {
        QString s;
        for (int k = below(maxLength + 1); k > 0; --k)
            s += character();
        return s;
    }

    QString input() { return text(m_shape.maxInput); }

    // Often a strip string cut from the input itself, at any unit (so it may
    // hold half of a surrogate pair), for occurrences that are more than rare.
    quenby::StripOptions options(const QString& input) {
        quenby::StripOptions o;
        if (chance(20))
            o.stripString = QString();
        else if (!input.isEmpty() && chance(50))
            o.stripString = input.mid(below(int(input.size())), 1 + below(m_shape.maxCut));
        else
            o.stripString = text(3);
        o.replacement = chance(30) ? QString() : text(3);
        o.caseSensitive = chance(50);
        o.stripPunctuation = chance(40);
        o.stripNumbers = chance(40);
        o.stripSpaces = chance(40);
        o.stripVowels = chance(50);
        o.includeY = chance(50);
        o.caseChoice = quenby::CaseChoice(below(3));
        for (QString& slot : o.slots)
            slot = chance(70) ? QString() : text(1);
        o.marker = chance(40) ? QString() : text(1);
        return o;
    }

private:
    std::mt19937 m_random;
    Shape m_shape;
};

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

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class EngineAgainstReference : public ::testing::TestWithParam<Case> {};

TEST_P(EngineAgainstReference, StripAgreesInBothSweeps) {
    const Case& c = GetParam();
    Generator g(c.seed, c.shape);
    int failures = 0;
    int withOccurrences = 0;
    for (int run = 0; run < kRuns && failures < 5; ++run) {
        const QString input = g.input();
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
    Generator g(c.seed + 1, c.shape);
    int failures = 0;
    for (int run = 0; run < kRuns && failures < 5; ++run) {
        const QString input = g.input();
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
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
