#include "engine/stream.h"
#include "engine/strip.h"
#include "support/random_options.h"
#include "support/rows.h"
#include "text_dump.h"

#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <vector>

namespace {

using quenby::StreamStripper;
using quenby::StripOptions;
using quenby::test::dump;
using quenby::test::operator<<;

// Feeds text in the given pieces, then finishes; the whole output.
QString streamed(StreamStripper& s, const QString& text, const std::vector<qsizetype>& cuts) {
    QString out;
    qsizetype from = 0;
    for (const qsizetype to : cuts) {
        s.feed(QStringView(text).mid(from, to - from), out);
        from = to;
    }
    s.feed(QStringView(text).mid(from), out);
    s.finish(out);
    return out;
}

struct Row {
    const char* name;
    QString input;
    QString strip;
    QString replacement;
    bool caseSensitive;
    QString expected;
    qint64 count;
};

class StreamRows : public ::testing::TestWithParam<Row> {};

// Every way of cutting the text into two and three pieces, so that cuts fall
// inside each occurrence, between occurrences and between the halves of a pair.
TEST_P(StreamRows, EveryCutGivesTheWholeTextsResult) {
    const Row& row = GetParam();
    StripOptions o;
    o.stripVowels = false;
    o.stripString = row.strip;
    o.replacement = row.replacement;
    o.caseSensitive = row.caseSensitive;
    const qsizetype n = row.input.size();
    for (qsizetype a = 0; a <= n; ++a) {
        for (qsizetype b = a; b <= n; ++b) {
            StreamStripper s(o);
            const QString got = streamed(s, row.input, {a, b});
            EXPECT_EQ(got, row.expected) << "cuts at " << a << " and " << b << ": " << dump(got);
            EXPECT_EQ(s.count(), row.count) << "cuts at " << a << " and " << b;
        }
    }
}

const QString kEmoji = QString::fromUtf8("\xF0\x9F\x98\x80");

INSTANTIATE_TEST_SUITE_P(
    Cuts, StreamRows,
    ::testing::Values(Row{"NoOverlapFour", "aaaa", "aa", "b", true, "bb", 2},
                      Row{"NoOverlapFive", "aaaaa", "aa", "b", true, "bba", 2},
                      // After "aba" the search goes on after it, not from its last "a".
                      Row{"ResumesAfterTheOccurrence", "ababab", "aba", "X", true, "Xbab", 1},
                      Row{"IgnoringCase", "xCaTcatCATx", "cat", "-", false, "x---x", 3},
                      Row{"AtBothEnds", "catdogcat", "cat", "", true, "dog", 2},
                      Row{"PrefixThatFails", "cacacat", "cat", "!", true, "caca!", 1},
                      Row{"PairInsideTheString", "a" + kEmoji + "b" + kEmoji + "b", kEmoji + "b",
                          "=", true, "a==", 2},
                      Row{"SharpSStaysOneCharacter", QString::fromUtf8("ßSSß"),
                          QString::fromUtf8("ß"), "s", false, "sSSs", 2},
                      Row{"LongerThanTheText", "abc", "abcd", "x", true, "abc", 0},
                      Row{"FallsBackToAShorterPartialMatch", "aaab", "aab", "-", true, "a-", 1},
                      Row{"OverlappingCandidatesCountOnce", "abababab", "ABAB", "-", false, "--",
                          2},
                      Row{"PairsInAFallBack", kEmoji + "a" + kEmoji + "a" + kEmoji + "b",
                          kEmoji + "a" + kEmoji + "b", "-", true, kEmoji + "a-", 1}),
    quenby::test::RowName());

// Characters with edges: vowels, case pairs beyond ASCII, a letter whose
// upper case crosses 256, line breaks, digits, punctuation, a pair and both
// of its halves alone (so the two passes one after the other take over).
const std::vector<QString>& alphabet() {
    static const std::vector<QString> letters = {"a",
                                                 "A",
                                                 "e",
                                                 "y",
                                                 "Y",
                                                 "b",
                                                 "t",
                                                 "T",
                                                 " ",
                                                 "\r",
                                                 "\n",
                                                 "0",
                                                 "!",
                                                 QString::fromUtf8("é"),
                                                 QString::fromUtf8("É"),
                                                 QString::fromUtf8("ß"),
                                                 QString::fromUtf8("ÿ"),
                                                 QString::fromUtf8("Ÿ"),
                                                 QString::fromUtf8("中"),
                                                 kEmoji,
                                                 QString(QChar(0xD83D)),
                                                 QString(QChar(0xDE00))};
    return letters;
}

struct Shape {
    const char* name;
    unsigned seed;
    int runs;
    int maxInput;     // characters
    int maxCut;       // the longest strip string, in units cut from the text
    int maxPiece;     // the longest piece fed at once, in units
    int plainPercent; // chance of one of the first nine (plain) letters
};

quenby::test::Generator generator(const Shape& shape) {
    const std::vector<QString>& letters = alphabet();
    quenby::test::OptionOdds odds{};
    // Most runs with a strip string cut from the input.
    odds.cutPercent = 80;
    odds.maxCut = shape.maxCut;
    odds.typedPercent = 50;
    odds.maxReplacement = 4;
    odds.classPercent = 30;
    odds.slotPercent = 20;
    odds.markerPercent = 50;
    return quenby::test::Generator(
        shape.seed, {{letters.begin(), letters.begin() + 9}, letters, shape.plainPercent}, odds);
}

// Cut positions in units: anywhere, inside pairs too.
std::vector<qsizetype> randomCuts(quenby::test::Generator& g, qsizetype size, int maxPiece) {
    std::vector<qsizetype> at;
    for (qsizetype p = 0;;) {
        p += 1 + g.below(maxPiece);
        if (p >= size)
            return at;
        at.push_back(p);
    }
}

class StreamAgainstStrip : public ::testing::TestWithParam<Shape> {};

TEST_P(StreamAgainstStrip, RandomPiecesGiveStripsTextAndCount) {
    const Shape& shape = GetParam();
    quenby::test::Generator g = generator(shape);
    int failures = 0;
    int withOccurrences = 0;
    for (int run = 0; run < shape.runs && failures < 5; ++run) {
        const QString input = g.text(shape.maxInput);
        const StripOptions o = g.options(input);
        const std::vector<qsizetype> cuts = randomCuts(g, input.size(), shape.maxPiece);
        const quenby::StripResult want = quenby::strip(input, o);
        StreamStripper s(o);
        const QString got = streamed(s, input, cuts);
        if (got != want.text || s.count() != want.count.value_or(0)) {
            ++failures;
            std::ostringstream pieces;
            for (const qsizetype c : cuts)
                pieces << c << ' ';
            ADD_FAILURE() << "run " << run << "\n  input " << dump(input) << "\n  strip "
                          << dump(o.stripString) << " replacement " << dump(o.replacement)
                          << " caseSensitive " << o.caseSensitive << "\n  cuts " << pieces.str()
                          << "\n  got " << dump(got) << " count " << s.count() << "\n  want "
                          << dump(want.text) << " count " << want.count.value_or(0);
        }
        if (want.count.value_or(0) > 0)
            ++withOccurrences;
    }
    // Worth something only when the string pass has work.
    EXPECT_GT(withOccurrences, shape.runs / 3);
}

// Short texts in tiny pieces; long plain texts in pieces big enough for the
// engine's vector sweep, with strip strings longer than its compare windows;
// and long texts of every kind of character.
INSTANTIATE_TEST_SUITE_P(Texts, StreamAgainstStrip,
                         ::testing::Values(Shape{"ShortTextsTinyPieces", 91, 4000, 30, 4, 3, 50},
                                           Shape{"LongPlainTexts", 92, 600, 3000, 24, 700, 97},
                                           Shape{"LongMixedTexts", 93, 600, 2000, 12, 400, 60}),
                         quenby::test::RowName());

// Strip strings longer than the engine's vector compare windows (eight
// characters), in texts thick with them and with their beginnings, cut into
// pieces long enough for the vector sweep: occurrences that a piece cuts off
// near its last block must wait for the next piece, not be ruled out.
TEST(StreamStripper, LongStringsCutNearTheEndOfAPiece) {
    std::mt19937 random(17);
    auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    int failures = 0;
    for (int run = 0; run < 400 && failures < 5; ++run) {
        QString pattern;
        for (int k = 10 + below(20); k > 0; --k)
            pattern += QChar(u"abcAB"[below(5)]);
        QString text;
        while (text.size() < 4000) {
            const int pick = below(4);
            text += pick == 0   ? pattern
                    : pick == 1 ? pattern.left(1 + below(int(pattern.size())))
                                : QString(QChar(u"xyz \n"[below(5)]));
        }
        StripOptions o;
        o.stripString = pattern;
        o.replacement = QString(below(12), QLatin1Char('r'));
        o.caseSensitive = below(2) == 0;
        o.stripVowels = below(2) == 0;
        std::vector<qsizetype> cuts;
        for (qsizetype p = 0;;) {
            p += 100 + below(600);
            if (p >= text.size())
                break;
            cuts.push_back(p);
        }
        const quenby::StripResult want = quenby::strip(text, o);
        StreamStripper s(o);
        const QString got = streamed(s, text, cuts);
        if (got != want.text || s.count() != want.count.value_or(0)) {
            ++failures;
            ADD_FAILURE() << "run " << run << ": strip " << dump(pattern) << " count " << s.count()
                          << ", want " << want.count.value_or(0);
        }
    }
}

// What waits between pieces is bounded by the strip string, however much text
// goes through: the stripper's memory does not grow with the text. Each
// piece ends with the start of an occurrence that the next one completes.
TEST(StreamStripper, WaitsForNoMoreThanTheStripStringLessOne) {
    StripOptions o;
    o.stripString = QStringLiteral("needle in");
    o.replacement = QStringLiteral("*");
    o.caseSensitive = false;
    const QString piece =
        QStringLiteral("n hay, a needle in hay, a NEEDLE IN hay, needle i").repeated(500);
    constexpr int kPieces = 200;
    StreamStripper s(o);
    QString out;
    qsizetype mostWaiting = 0;
    for (int k = 0; k < kPieces; ++k) {
        s.feed(piece, out);
        mostWaiting = std::max(mostWaiting, s.waiting());
    }
    s.finish(out);
    const quenby::StripResult want = quenby::strip(piece.repeated(kPieces), o);
    EXPECT_LE(mostWaiting, o.stripString.size() - 1);
    EXPECT_EQ(s.count(), want.count);
    EXPECT_EQ(out, want.text);
}

// A strip string far longer than the pieces, whose beginning the text holds
// over and over: what waits between pieces (a partial match carried over with
// how much of the string it matches) stays below the string's length, and
// every occurrence, count and character comes out as strip() gives them.
TEST(StreamStripper, LongPeriodicStringInTinyPieces) {
    std::mt19937 random(5);
    const QString a(1, QLatin1Char('a'));
    const QString text = a.repeated(250) + "b" + a.repeated(400) + "b" + a.repeated(300) + "b" +
                         a.repeated(300) + "B" + a.repeated(299);
    for (const bool caseSensitive : {true, false}) {
        StripOptions o;
        o.stripVowels = false;
        o.stripString = a.repeated(300) + "b";
        o.replacement = QStringLiteral("-");
        o.caseSensitive = caseSensitive;
        StreamStripper s(o);
        QString out;
        qsizetype mostWaiting = 0;
        for (qsizetype from = 0; from < text.size();) {
            const qsizetype size = 1 + std::uniform_int_distribution<qsizetype>(0, 6)(random);
            s.feed(QStringView(text).mid(from, size), out);
            from += size;
            mostWaiting = std::max(mostWaiting, s.waiting());
        }
        s.finish(out);
        const quenby::StripResult want = quenby::strip(text, o);
        EXPECT_EQ(want.count, caseSensitive ? 2 : 3);
        EXPECT_EQ(s.count(), want.count) << "caseSensitive " << caseSensitive;
        EXPECT_EQ(out, want.text) << "caseSensitive " << caseSensitive;
        EXPECT_LT(mostWaiting, o.stripString.size()) << "caseSensitive " << caseSensitive;
    }
}

// A surrogate pair cut between two pieces is one character: a slot matches it
// and the punctuation test (for a symbol beyond the code page) sees it whole.
TEST(StreamStripper, PairCutBetweenPiecesIsOneCharacter) {
    StripOptions o;
    o.stripVowels = false;
    o.slots[0] = kEmoji;
    o.marker = QStringLiteral("#");
    StreamStripper s(o);
    QString out;
    s.feed(QStringView(kEmoji).first(1), out);
    EXPECT_EQ(out, QString());
    s.feed(QStringView(kEmoji).mid(1), out);
    s.finish(out);
    EXPECT_EQ(out, QStringLiteral("#"));
}

} // namespace
