#include "cli/codec.h"
#include "engine/windows1252.h"
#include "support/rows.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

using quenby::test::operator<<;

using quenby::cli::decodeUtf8Prefix;
using quenby::cli::Utf8Decoded;

struct DecodeRow {
    const char* name;
    QByteArray bytes;
    QString text;       // decoded before the stop
    qsizetype consumed; // where it stopped
    bool invalid;
};

class CliUtf8Decode : public ::testing::TestWithParam<DecodeRow> {};

TEST_P(CliUtf8Decode, StopsWhereTheRulesSay) {
    const DecodeRow& row = GetParam();
    // Behind a long ASCII run too, so that the sixteen-at-a-time path leads in.
    for (const QByteArray& lead : {QByteArray(), QByteArray(37, 'x')}) {
        QString out = QStringLiteral("kept");
        const QByteArray bytes = lead + row.bytes;
        const Utf8Decoded d = decodeUtf8Prefix(bytes.constData(), bytes.size(), out);
        EXPECT_EQ(out, QStringLiteral("kept") + QString::fromLatin1(lead) + row.text);
        EXPECT_EQ(d.consumed, lead.size() + row.consumed);
        EXPECT_EQ(d.invalid, row.invalid);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, CliUtf8Decode,
    ::testing::Values(
        DecodeRow{"Ascii", "plain", "plain", 5, false},
        DecodeRow{"EveryLength", "\x24\xC2\xA2\xE2\x82\xAC\xF0\x9F\x98\x80",
                  QString::fromUtf8("$¢€\xF0\x9F\x98\x80"), 10, false},
        DecodeRow{"Extremes", "\xC2\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF",
                  QString(QChar(0x80)) + QChar(0xFFFF) + QChar(0xDBFF) + QChar(0xDFFF), 9, false},
        DecodeRow{"LoneContinuation", "ab\x80", "ab", 2, true},
        DecodeRow{"OverlongTwo", "a\xC0\xAF", "a", 1, true},
        DecodeRow{"OverlongTwoC1", "a\xC1\xBF", "a", 1, true},
        DecodeRow{"OverlongThree", "a\xE0\x80\xAF", "a", 1, true},
        DecodeRow{"OverlongFour", "a\xF0\x80\x80\xAF", "a", 1, true},
        DecodeRow{"Surrogate", "a\xED\xA0\x80", "a", 1, true},
        DecodeRow{"AboveTheLast", "a\xF4\x90\x80\x80", "a", 1, true},
        DecodeRow{"NoSuchLead", "a\xF5\x80\x80\x80", "a", 1, true},
        DecodeRow{"ByteFF", "a\xFF", "a", 1, true},
        DecodeRow{"ShortBeforeAscii", "a\xE2\x82z", "a", 1, true},
        DecodeRow{"CutOffAtTheEnd", "a\xE2\x82", "a", 1, false},
        DecodeRow{"CutOffFourAtTheEnd", "a\xF0\x9F\x98", "a", 1, false}),
    quenby::test::RowName());

// Random text split anywhere and decoded piece by piece, keeping the bytes of
// a cut-off sequence for the next piece as a reader does, gives the text back.
TEST(CliUtf8, DecodesPiecesCutAnywhere) {
    std::mt19937 random(7);
    auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    const char32_t samples[] = {U'a',   U' ',   U'\n',  0x7F,   0x80,   0xE9,    0x7FF,   0x800,
                                0x20AC, 0xD7FF, 0xE000, 0xFFFD, 0xFFFF, 0x10000, 0x1F600, 0x10FFFF};
    for (int run = 0; run < 500; ++run) {
        QString text;
        for (int k = below(200); k > 0; --k) {
            const char32_t cp = below(3) ? U'a' + char32_t(below(26)) : samples[below(16)];
            text += QString::fromUcs4(&cp, 1);
        }
        const QByteArray bytes = text.toUtf8();
        QString out;
        QByteArray held;
        for (qsizetype from = 0; from < bytes.size();) {
            const qsizetype to = std::min<qsizetype>(bytes.size(), from + 1 + below(20));
            const QByteArray piece = held + bytes.mid(from, to - from);
            const Utf8Decoded d = decodeUtf8Prefix(piece.constData(), piece.size(), out);
            ASSERT_FALSE(d.invalid);
            ASSERT_LE(piece.size() - d.consumed, 3);
            held = piece.mid(d.consumed);
            from = to;
        }
        EXPECT_TRUE(held.isEmpty());
        EXPECT_EQ(out, text) << "run " << run;
    }
}

TEST(CliUtf8, EncodesAsQtDoesAndLoneHalvesAsReplacement) {
    std::mt19937 random(11);
    auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    const char32_t samples[] = {0x7F, 0x80, 0xE9, 0x7FF, 0x800, 0xFFFF, 0x10000, 0x1F600};
    for (int run = 0; run < 300; ++run) {
        QString text;
        for (int k = below(300); k > 0; --k) {
            // Long ASCII runs of any length, then now and then something wider.
            const char32_t cp = below(10) ? U'a' + char32_t(below(26)) : samples[below(8)];
            text += QString::fromUcs4(&cp, 1);
        }
        QByteArray out = "kept";
        quenby::cli::encodeUtf8(text, out);
        EXPECT_EQ(out, "kept" + text.toUtf8()) << "run " << run;
    }
    QByteArray out;
    quenby::cli::encodeUtf8(QString(QChar(0xD83D)) + "a" + QChar(0xDE00), out);
    EXPECT_EQ(out, "\xEF\xBF\xBD"
                   "a\xEF\xBF\xBD");
}

TEST(CliWindows1252, DecodesEveryByteAsTheCodePageDoes) {
    QByteArray bytes;
    QString want;
    for (int b = 0; b < 256; ++b) {
        bytes += char(b);
        want += QChar(quenby::windows1252ToUnicode(static_cast<unsigned char>(b)));
    }
    QString out = QStringLiteral("kept");
    quenby::cli::decodeWindows1252(bytes.constData(), bytes.size(), out);
    EXPECT_EQ(out, QStringLiteral("kept") + want);
    EXPECT_EQ(out.at(4 + 0x80), QChar(0x20AC));
    EXPECT_EQ(out.at(4 + 0x93), QChar(0x201C));
    EXPECT_EQ(out.at(4 + 0xE9), QChar(0xE9));
}

} // namespace
