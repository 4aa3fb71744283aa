#include "engine/codepoints.h"
#include "engine/stream.h"
#include "engine/strip.h"
#include "engine/strip_internal.h"
#include "engine/windows1252.h"
#include "reference_strip.h"
#include "support/rows.h"
#include "text_dump.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <vector>

using quenby::CaseChoice;
using quenby::StripOptions;
using quenby::detail::SweepMode;
using quenby::test::nameOf;

namespace {

using quenby::test::operator<<;

// Options with every class off, built up one setting at a time.
struct Options {
    StripOptions o = [] {
        StripOptions none;
        none.stripVowels = false;
        none.includeY = false;
        return none;
    }();

    Options& find(const QString& s, const QString& replacement, bool caseSensitive = true) {
        o.stripString = s;
        o.replacement = replacement;
        o.caseSensitive = caseSensitive;
        return *this;
    }
    Options& vowels(CaseChoice c, bool withY) {
        o.stripVowels = true;
        o.caseChoice = c;
        o.includeY = withY;
        return *this;
    }
    Options& includeYOnly() {
        o.includeY = true;
        return *this;
    }
    Options& punctuation() {
        o.stripPunctuation = true;
        return *this;
    }
    Options& numbers() {
        o.stripNumbers = true;
        return *this;
    }
    Options& spaces() {
        o.stripSpaces = true;
        return *this;
    }
    Options& slot(int index, const QString& c) {
        o.slots[size_t(index)] = c;
        return *this;
    }
    Options& marker(const QString& m) {
        o.marker = m;
        return *this;
    }
};

struct Row {
    const char* name;
    QString input;
    StripOptions options;
    QString expected;
    std::optional<qint64> count;
};

class EngineRows : public ::testing::TestWithParam<Row> {};

// Each row as it is, and amid a plain letter that no row's options touch,
// enough of it that the vector sweep (from 128 units on) takes the row's
// characters too; the row starts 150 units in, so longer rows cross from one
// 32-unit block to the next. Both sweeps, each way.
TEST_P(EngineRows, GivesTheExpectedTextAndCount) {
    const Row& row = GetParam();
    const QString pad(150, QLatin1Char('k'));
    for (const bool padded : {false, true}) {
        const QString input = padded ? pad + row.input + pad : row.input;
        const QString expected = padded ? pad + row.expected + pad : row.expected;
        for (const SweepMode mode : {SweepMode::Fastest, SweepMode::OneUnitAtATime}) {
            const quenby::StripResult r = quenby::detail::strip(input, row.options, mode);
            EXPECT_EQ(r.text, expected)
                << (padded ? "padded, " : "") << nameOf(mode) << ": got "
                << quenby::test::dump(r.text) << ", want " << quenby::test::dump(expected);
            EXPECT_EQ(r.count, row.count) << (padded ? "padded, " : "") << nameOf(mode);
        }
    }
}

const QString kEmoji = QString::fromUtf8("\xF0\x9F\x98\x80"); // U+1F600, a surrogate pair
const QChar kHigh(char16_t(0xD83D));                          // its first half
const QChar kLow(char16_t(0xDE00));                           // its second half

// The string pass: occurrences, pieces and count.
INSTANTIATE_TEST_SUITE_P(
    StringPass, EngineRows,
    ::testing::Values(
        Row{"NoOverlapFour", "aaaa", Options().find("aa", "b").o, "bb", 2},
        Row{"NoOverlapThree", "aaa", Options().find("aa", "b").o, "ba", 1},
        Row{"IgnoringCaseFindsAll", "Cat CAT cat", Options().find("cat", "dog", false).o,
            "dog dog dog", 3},
        Row{"CaseSensitiveFindsOne", "Cat CAT cat", Options().find("cat", "dog").o, "Cat CAT dog",
            1},
        Row{"PiecesKeepTheirCase", "aBcatDeCATf", Options().find("CAT", "_", false).o, "aB_De_f",
            2},
        Row{"AtTheVeryStart", "catnap", Options().find("cat", "R").o, "Rnap", 1},
        Row{"AtTheVeryEnd", "bobcat", Options().find("cat", "R").o, "bobR", 1},
        Row{"IsTheWholeInput", "cat", Options().find("cat", "R").o, "R", 1},
        Row{"LongerThanTheInput", "ca", Options().find("cat", "R").o, "ca", 0},
        Row{"Absent", "dog", Options().find("cat", "R").o, "dog", 0},
        Row{"EmptyReplacementJoinsPieces", "a-b--c", Options().find("-", "").o, "abc", 3},
        Row{"EmptyInput", "", Options().find("x", "y").o, "", 0},
        Row{"NoStripStringNoCount", "abc", Options().o, "abc", std::nullopt},
        Row{"ReplacementIsStripped", "axb",
            Options().find("x", "e").vowels(CaseChoice::Both, false).o, "b", 1},
        Row{"ReplacementGoesThroughSlots", "aqb",
            Options().find("q", "x").slot(3, "x").marker("#").o, "a#b", 1},
        Row{"AccentedIgnoringCase", QString::fromUtf8("ÉtÉé"),
            Options().find(QString::fromUtf8("é"), "-", false).o, "-t--", 3},
        Row{"AccentedCaseSensitive", QString::fromUtf8("ÉtÉé"),
            Options().find(QString::fromUtf8("é"), "-").o, QString::fromUtf8("ÉtÉ-"), 1},
        // Upper-casing "ß" to "SS" would move every later position by one.
        Row{"SharpSStaysOneCharacter", QString::fromUtf8("ßeße"), Options().find("E", "-", false).o,
            QString::fromUtf8("ß-ß-"), 2},
        Row{"SharpSIsNotSS", QString::fromUtf8("SSßss"),
            Options().find(QString::fromUtf8("ß"), "-", false).o, "SS-ss", 1},
        // ÿ (U+00FF) upper-cases to Ÿ (U+0178), and ſ (U+017F) to S.
        Row{"UpperCaseLeavesLatin1", QString::fromUtf8("ŸxÿyŸ"),
            Options().find(QString::fromUtf8("ÿ"), "-", false).o, "-x-y-", 3},
        Row{"UpperCaseEntersAscii", QString::fromUtf8("ſsS"), Options().find("s", "-", false).o,
            "---", 3},
        Row{"SurrogatePairFound", "a" + kEmoji + "b" + kEmoji, Options().find(kEmoji, "-").o,
            "a-b-", 2},
        Row{"PairNeverSplit", kEmoji, Options().find(QString(kHigh), "-").o, kEmoji, 0},
        Row{"LowHalfNeverFound", "x" + kEmoji, Options().find(QString(kLow), "-").o, "x" + kEmoji,
            0},
        // Where a search must fall back to a shorter partial match instead of
        // starting over after it, and must not count occurrences that overlap.
        Row{"FallsBackToAShorterPartialMatch", "aaab", Options().find("aab", "-").o, "a-", 1},
        Row{"OverlappingCandidatesCountOnce", "abababab", Options().find("abab", "-").o, "--", 2},
        Row{"NoOccurrenceInsideTheLastOne", "abaabaab", Options().find("abaab", "-").o, "-aab", 1},
        Row{"LongerThanTheCompareWindows", QString("abc").repeated(7),
            Options().find(QString("abc").repeated(3), "-").o, "--abc", 2},
        Row{"PeriodicStringEndsTheText", QString(130, QLatin1Char('a')) + "b",
            Options().find(QString(20, QLatin1Char('A')) + "B", "-", false).o,
            QString(110, QLatin1Char('a')) + "-", 1},
        // The vector sweep rules out 'a' x 9 before the arrow by reading on,
        // and must still leave the arrow (punctuation beyond the code page)
        // to the character rules.
        Row{"RuledOutJustBeforeAWideCharacter",
            QString(9, QLatin1Char('a')) + QString::fromUtf8("←x"),
            Options().find(QString(9, QLatin1Char('a')) + "b", "-").punctuation().o,
            QString(9, QLatin1Char('a')) + "x", 0},
        // Pairs and lone halves inside strings that repeat themselves.
        Row{"PairsInAFallBack", kEmoji + "a" + kEmoji + "a" + kEmoji + "b",
            Options().find(kEmoji + "a" + kEmoji + "b", "-").o, kEmoji + "a-", 1},
        Row{"LoneHalvesRepeat", QString(kHigh) + "a" + kHigh + "a" + kHigh + "a" + kEmoji,
            Options().find(QString(kHigh) + "a" + kHigh + "a" + kHigh, "-").o, "-a" + kEmoji, 1},
        Row{"LoneHalfIsNoPairsFirstHalf", QString(kHigh) + "a" + kHigh + "a" + kEmoji,
            Options().find(QString(kHigh) + "a" + kHigh + "a" + kHigh, "-").o,
            QString(kHigh) + "a" + kHigh + "a" + kEmoji, 0},
        // Upper-casing makes the strings repeat themselves: "SS", "ABA".
        Row{"FoldingMakesAPeriod", QString::fromUtf8("sSſs"),
            Options().find(QString::fromUtf8("ſs"), "-", false).o, "--", 2},
        Row{"FoldingMakesABorder", "AbAbA", Options().find("aBa", "-", false).o, "-bA", 1}),
    quenby::test::RowName());

// The character pass: classes, their order, slots and marker.
INSTANTIATE_TEST_SUITE_P(
    CharacterPass, EngineRows,
    ::testing::Values(
        Row{"NumbersKeepSlashAndColon", "a2/b:9", Options().numbers().o, "a/b:", std::nullopt},
        Row{"SuperscriptIsNoDigit", QString::fromUtf8("x²٠"), Options().numbers().o,
            QString::fromUtf8("x²٠"), std::nullopt},
        Row{"SpacesKeepTabsAndBreaks", QString::fromUtf8("a b\tc\nd\r\ne\u00A0f\u3000g"),
            Options().spaces().o, QString::fromUtf8("ab\tc\nd\r\ne\u00A0f\u3000g"), std::nullopt},
        Row{"PunctuationMarks", QString::fromUtf8("Hi! ~x\u00A0€ƒŠ¿y"), Options().punctuation().o,
            "Hi xy", std::nullopt},
        Row{"PunctuationKeepsLettersFrom192", QString::fromUtf8("ÀÉ×ÿ÷\t"),
            Options().punctuation().o, QString::fromUtf8("ÀÉ×ÿ÷\t"), std::nullopt},
        Row{"PunctuationBeyondCodePage", QString::fromUtf8("a←b中c") + kEmoji + "d",
            Options().punctuation().o, QString::fromUtf8("ab中cd"), std::nullopt},
        Row{"IncludeYWithoutVowels", "Yay", Options().includeYOnly().o, "Yay", std::nullopt},
        Row{"LowerCaseVowels", "AaEeYy", Options().vowels(CaseChoice::Lower, true).o, "AEY",
            std::nullopt},
        Row{"UpperCaseVowelsWithoutY", "AaEeYyIOU", Options().vowels(CaseChoice::Upper, false).o,
            "aeYy", std::nullopt},
        Row{"BothCasesWithY", "AaEeIiOoUuYyb", Options().vowels(CaseChoice::Both, true).o, "b",
            std::nullopt},
        Row{"AccentedVowelsStay", QString::fromUtf8("éÉàÀ"),
            Options().vowels(CaseChoice::Both, true).o, QString::fromUtf8("éÉàÀ"), std::nullopt},
        Row{"SlotWithMarker", "xyz", Options().slot(0, "x").marker("#").o, "#yz", std::nullopt},
        Row{"SlotWithEmptyMarker", "xyz", Options().slot(0, "x").o, "yz", std::nullopt},
        Row{"SlotIsCaseSensitive", "XxYZ",
            Options().slot(9, "x").marker("#").find("q", "", false).o, "X#YZ", 0},
        Row{"MarkerSurvivesPunctuation", "x!y", Options().slot(0, "x").marker("#").punctuation().o,
            "#y", std::nullopt},
        Row{"MarkerIsNotTested", "xa",
            Options().slot(0, "x").marker("a").vowels(CaseChoice::Both, false).o, "a",
            std::nullopt},
        Row{"EmptySlotsMatchNothing", QString(QChar(0)) + "ab", Options().marker("#").o,
            QString(QChar(0)) + "ab", std::nullopt},
        Row{"SpaceSlotWithSpacesTicked", "a b", Options().spaces().slot(2, " ").marker("#").o, "ab",
            std::nullopt},
        Row{"SpaceSlotAlone", "a b", Options().slot(2, " ").marker("#").o, "a#b", std::nullopt},
        Row{"StrippedVowelLeavesNoMarker", "ab",
            Options().vowels(CaseChoice::Lower, false).slot(0, "a").marker("#").o, "b",
            std::nullopt},
        Row{"SurrogatePairSlot", "a" + kEmoji + "b", Options().slot(4, kEmoji).marker("#").o, "a#b",
            std::nullopt},
        Row{"SurrogatePairMarker", "xax", Options().slot(0, "x").marker(kEmoji).o,
            kEmoji + "a" + kEmoji, std::nullopt},
        Row{"HalfPairSlotMatchesNoPair", kEmoji + kHigh,
            Options().slot(0, QString(kHigh)).marker("#").o, kEmoji + "#", std::nullopt},
        Row{"SlotLongerThanOneCharacter", "ab", Options().slot(0, "ab").marker("#").o, "ab",
            std::nullopt},
        // Removing "ab" brings the two halves together into one character.
        Row{"StringPassJoinsHalves", QString(kHigh) + "ab" + kLow,
            Options().find("ab", "").slot(1, kEmoji).marker("#").o, "#", 1},
        Row{"ReplacementJoinsHalves", QString(kHigh) + "q",
            Options().find("q", QString(kLow)).punctuation().o, "", 1}),
    quenby::test::RowName());

TEST(EnginePunctuation, ClassifiesByCodePageThenUnicode) {
    struct Case {
        char32_t cp;
        bool punctuation;
    };
    const std::vector<Case> cases = {
        {U'!', true},    {U'/', true},    {U':', true},    {U'@', true},    {U'[', true},
        {U'`', true},    {U'{', true},    {U'~', true},    {0x7F, true},    {0xA0, true},
        {0xB2, true},    {0xB5, true},    {0xBF, true},    {0x20AC, true},  {0x0081, true},
        {0x009D, true},  {0x0160, true},  {0x0178, true},  {0x0192, true},  {0x02C6, true},
        {0x2122, true},  {0x2190, true},  {0x3001, true},  {0x1F600, true}, {U' ', false},
        {U'\t', false},  {U'0', false},   {U'9', false},   {U'A', false},   {U'z', false},
        {0x1F, false},   {0x80, false},   {0x9F, false},   {0xC0, false},   {0xD7, false},
        {0xF7, false},   {0xFF, false},   {0x015E, false}, {0x0394, false}, {0x4E2D, false},
        {0x0660, false}, {0x3000, false}, {0xD83D, false}, {0x1D400, false}};
    for (const Case& c : cases)
        EXPECT_EQ(quenby::isPunctuation(c.cp), c.punctuation) << "U+" << std::hex << unsigned(c.cp);
}

TEST(EnginePunctuation, FilterTakesOneCharacter) {
    struct Case {
        QString in;
        QString out;
    };
    const std::vector<Case> cases = {{"!", ""},
                                     {"a", "a"},
                                     {QString::fromUtf8("€"), ""},
                                     {QString::fromUtf8("é"), QString::fromUtf8("é")},
                                     {kEmoji, ""},
                                     {"", ""},
                                     {"!!", "!!"}};
    for (const Case& c : cases)
        EXPECT_EQ(quenby::PuncFilter(c.in), c.out) << quenby::test::dump(c.in);
}

TEST(EngineCharacters, PairIsOneLoneHalfIsOne) {
    const std::vector<std::pair<QString, qsizetype>> cases = {
        {"", 0},
        {"ab", 2},
        {kEmoji, 1},
        {"a" + kEmoji + "b", 3},
        {QString(kHigh), 1},
        {QString(kLow) + kHigh, 2},  // halves in the wrong order: two characters
        {kHigh + kEmoji + kLow, 3}}; // a lone half on each side of a pair
    for (const auto& [text, count] : cases)
        EXPECT_EQ(quenby::codePointCount(text), count) << quenby::test::dump(text);
}

TEST(EngineCodePage, BothWaysAgree) {
    for (int byte = 0; byte < 256; ++byte)
        EXPECT_EQ(quenby::windows1252Code(quenby::windows1252ToUnicode(uchar(byte))), byte) << byte;
    // Codes 128 to 159 hold other characters; those of these numbers have no code.
    EXPECT_EQ(quenby::windows1252ToUnicode(0x80), u'\u20AC');
    EXPECT_EQ(quenby::windows1252Code(0x80), -1);
    EXPECT_EQ(quenby::windows1252Code(0x9F), -1);
    EXPECT_EQ(quenby::windows1252Code(0x100), -1);
    EXPECT_EQ(quenby::windows1252Code(0x1F600), -1);
}

// Beyond any 16-bit counter: 100,000 characters, more than 65,535 occurrences,
// and an output twice the input's length.
TEST(EngineLongText, HundredThousandOccurrencesGrowTheOutput) {
    const QString input(100000, QLatin1Char('a'));
    const quenby::StripResult r = quenby::strip(input, Options().find("a", "bc").o);
    EXPECT_EQ(r.count, 100000);
    EXPECT_EQ(r.text.size(), 200000);
    EXPECT_EQ(r.text, QStringLiteral("bc").repeated(100000));
}

TEST(EngineLongText, HundredThousandMixedCharactersMatchTheReference) {
    const QString line =
        QString::fromUtf8("The Cat sat on 12 mats! Ÿes, été \u00A0€ ") + kEmoji + "\n";
    const QString input = line.repeated(100000 / line.size() + 1).left(100000);
    ASSERT_EQ(input.size(), 100000);
    Options o = Options()
                    .find("cat", "dog", false)
                    .vowels(CaseChoice::Both, true)
                    .punctuation()
                    .numbers()
                    .spaces()
                    .slot(0, "t")
                    .slot(5, "s")
                    .marker(kEmoji);
    const quenby::StripResult r = quenby::strip(input, o.o);
    const quenby::StripResult want = quenby::reference::strip(input, o.o);
    EXPECT_EQ(r.count, want.count);
    EXPECT_EQ(r.count, input.count(QLatin1String("Cat")));
    EXPECT_EQ(r.text, want.text);
}

long peakResidentKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// 1,024 occurrences, each replaced by 2^20 units, and one more character:
// one unit past the limit. Each way of running the passes stops before it
// allocates the output (2 GB); the peak memory shows it.
TEST(EngineLongText, AnOutputPastTheLimitIsReportedNotAllocated) {
    const QString input = QString(1024, QLatin1Char('e')) + QLatin1Char('b');
    const StripOptions o = Options().find("e", QString(1 << 20, QLatin1Char('x'))).o;
    const long before = peakResidentKb();
    for (const SweepMode mode : {SweepMode::Fastest, SweepMode::OneUnitAtATime}) {
        EXPECT_THROW(quenby::detail::strip(input, o, mode), quenby::OutputTooLong) << nameOf(mode);
        EXPECT_THROW(
            quenby::detail::stringPass(input, o.stripString, o.replacement, true, nullptr, mode),
            quenby::OutputTooLong)
            << nameOf(mode);
    }
    quenby::StreamStripper stream(o);
    QString out;
    EXPECT_THROW(stream.feed(input, out), quenby::OutputTooLong);
    EXPECT_LT(peakResidentKb() - before, 100 * 1024) << "KB more at the peak";
}

TEST(EnginePasses, StringPassAloneKeepsEveryCharacter) {
    qint64 n = -1;
    EXPECT_EQ(quenby::stringPass("a!e 1a", "A", "x", false, &n), "x!e 1x");
    EXPECT_EQ(n, 2);
    EXPECT_EQ(quenby::stringPass("abc", "", "x", true, &n), "abc");
    EXPECT_EQ(n, 0);
}

TEST(EnginePasses, CharacterPassIgnoresTheStripString) {
    const StripOptions o = Options().find("b", "zz").vowels(CaseChoice::Both, false).o;
    EXPECT_EQ(quenby::characterPass("abe", o), "b");
}

} // namespace
