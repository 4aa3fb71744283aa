// Every stored value at its extremes, and a settings file of 50 MB. Each
// start shows the messages listed and no other, the window holds what the
// row says and is live, and what it writes back reads back whole.
#include "fault_window.h"
#include "settings/inifile.h"
#include "settings/savedtexts.h"
#include "settings/test_support.h"
#include "support/rows.h"

using namespace quenby;
using namespace quenby::faults;

namespace {

using quenby::test::operator<<;

const QString kDefault = QStringLiteral("Default");

struct NumberRow {
    const char* key;
    const char* stored;
    const char* holds; // the held() entry afterwards
    bool bad;          // told "internal error: #197"
};

void PrintTo(const NumberRow& row, std::ostream* os) {
    *os << row.key << "=" << row.stored;
}

const NumberRow kNumberRows[] = {
    {"CaseOption", "-32768", "Option2=2", true},
    {"CaseOption", "32767", "Option2=2", true},
    {"CaseOption", "99999", "Option2=2", true},
    {"CaseOption", "3", "Option2=2", true},
    {"CaseOption", "-1", "Option2=2", true},
    {"CaseOption", "1e3", "Option2=2", true},
    {"CaseOption", "0x1", "Option2=2", true},
    {"CaseOption", "1.0", "Option2=2", true},
    {"CaseOption", "\xD9\xA1", "Option2=2", true}, // an Arabic-Indic digit one
    {"CaseOption", "-0", "Option2=0", false},
    {"CaseOption", "+1", "Option2=1", false},
    {"CaseOption", " \t1 ", "Option2=1", false},
    {"CaseOption", "00000000000000000001", "Option2=1", false},
    {"StripVowels", "-32768", "noVowels=1", true},
    {"StripVowels", "32767", "noVowels=1", true},
    {"StripVowels", "65536", "noVowels=1", true},
    {"StripVowels", "99999999999999999999", "noVowels=1", true},
    {"StripVowels", "2", "noVowels=2", false},
    {"StripVowels", "0", "noVowels=0", false},
    {"WrapText", "-32769", "yesWrap=1", true},
    {"Remember", "32768", "yesRemember=0", true},
};

class NumberExtremes : public FaultWindow, public ::testing::WithParamInterface<NumberRow> {};

TEST_P(NumberExtremes, TakesTheDefaultAndSaysSoOnce) {
    const NumberRow& row = GetParam();
    write("qnb.ini", "[Default]\r\n" + QByteArray(row.key) + "=" + row.stored + "\r\n");
    if (row.bad)
        dialogs.answers = {Answer::Ok};
    Skivler& s = open();
    ASSERT_EQ(dialogs.shown.size(), row.bad ? 1u : 0u);
    if (row.bad) {
        EXPECT_EQ(dialogs.shown[0].text, QStringLiteral("internal error: #197"));
    }
    EXPECT_TRUE(held(s).contains(QLatin1String(row.holds)));
    EXPECT_EQ(s.sus->value(), 0);
    type(s.Text1, QStringLiteral("ab"));
    EXPECT_FALSE(s.Text2->text().isEmpty()) << "live";
}

INSTANTIATE_TEST_SUITE_P(Values, NumberExtremes, ::testing::ValuesIn(kNumberRows));

TEST_F(FaultWindow, EveryNumberBadAtOnceIsToldOnce) {
    QByteArray ini = "[Default]\r\n";
    for (const NumberRow& row : kNumberRows)
        if (row.bad)
            ini += QByteArray(row.key) + "=" + row.stored + "\r\n";
    write("qnb.ini", ini);
    dialogs.answers = {Answer::Ok};
    Skivler& s = open();
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(s.sus->value(), 0);
}

struct TextRow {
    const char* name;
    QString ini;       // after "[Default]\r\nRemember=1\r\n"
    QString text;      // the saved text, as stored (CR LF breaks)
    QStringList shows; // held() entries afterwards
    bool invalidInput; // the strip string is longer than the input
};

// With a blank in every 16 characters: a word-wrapping text box lays out a
// line with no break opportunity in time quadratic in its length (Qt 6.4),
// which belongs to a benchmark, not to these tests.
const QString kMegabyte = QStringLiteral("0123456789abcde ").repeated(64 * 1024);
const QString kEmoji = QStringLiteral("\U0001F600");

const TextRow kTextRows[] = {
    {"SlotOfManyCharacters",
     QStringLiteral("Val01=") + QString(100000, QLatin1Char('x')),
     {},
     {QStringLiteral("A=x")},
     false},
    {"SlotStartingWithAPair",
     QStringLiteral("Val03=") + kEmoji + QString(50000, QLatin1Char('y')),
     {},
     {QStringLiteral("E=") + kEmoji},
     false},
    {"MarkerOfManyCharacters",
     QStringLiteral("Val12=") + kMegabyte,
     {},
     {QStringLiteral("yy=0")},
     false},
    {"EverySlotFull",
     [] {
         QString ini;
         for (int i = 1; i <= 12; ++i)
             ini += QStringLiteral("Val%1=%2\r\n")
                        .arg(i, 2, 10, QLatin1Char('0'))
                        .arg(kMegabyte.left(128 * 1024));
         return ini;
     }(),
     {},
     {QStringLiteral("A=0"), QStringLiteral("Y=0"), QStringLiteral("yy=0")},
     false},
    {"MegabyteStripStringAndInput",
     QStringLiteral("StripString=") + kMegabyte,
     kMegabyte + QStringLiteral("!\r\n"),
     {QStringLiteral("StripString=") + kMegabyte, QStringLiteral("txtN=1"),
      QStringLiteral("Text2=!")},
     false},
    {"MegabyteStripStringShortInput",
     QStringLiteral("StripString=") + kMegabyte,
     QStringLiteral("short\r\n"),
     {QStringLiteral("StripString="), QStringLiteral("Text2=shrt")},
     true},
    {"MegabyteReplacement",
     QStringLiteral("StripString=b\r\nReplaceString=") + kMegabyte +
         QStringLiteral("\r\nSameCase=1"),
     QStringLiteral("abc\r\n"),
     {QStringLiteral("ReplaceString=") + kMegabyte, QStringLiteral("txtN=1"),
      QStringLiteral("Text2=") +
          QString(kMegabyte).remove(QLatin1Char('a')).remove(QLatin1Char('e')) +
          QStringLiteral("c")},
     false},
    {"MegabyteInputOneLine",
     {},
     kMegabyte + QStringLiteral("\r\n"),
     {QStringLiteral("Text1=") + kMegabyte},
     false},
    {"MegabyteInputShortLines",
     {},
     QStringLiteral("line\r\n").repeated(150000),
     {QStringLiteral("Text1=") + QStringLiteral("line\n").repeated(150000).chopped(1)},
     false},
};

class TextExtremes : public FaultWindow, public ::testing::WithParamInterface<TextRow> {};

TEST_P(TextExtremes, RestoredCutOrRefusedAndStoredWhole) {
    const TextRow& row = GetParam();
    write("qnb.ini", "[Default]\r\nRemember=1\r\n" + row.ini.toUtf8() + "\r\n");
    write("qnbtext.ini", row.text.toUtf8());
    if (row.invalidInput)
        dialogs.answers = {Answer::Ok};
    Skivler& s = open();
    ASSERT_EQ(dialogs.shown.size(), row.invalidInput ? 1u : 0u);
    if (row.invalidInput) {
        EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("Invalid Input"));
    }
    const QStringList holds = held(s);
    for (const QString& entry : row.shows) {
        EXPECT_TRUE(holds.contains(entry)) << "expected " << entry.left(60).toStdString() << "... ("
                                           << entry.size() << " characters)";
    }
    // What the window wrote back reads back as it holds it.
    s.finishWrites();
    const QString ini = folder.file(QStringLiteral("qnb.ini"));
    const std::initializer_list<std::pair<const char*, const LineBox*>> stored = {
        {"Val01", s.A},
        {"Val03", s.E},
        {"Val12", s.yy},
        {"StripString", s.StripString},
        {"ReplaceString", s.ReplaceString}};
    for (const auto& [key, box] : stored)
        EXPECT_EQ(IniRead(ini, kDefault, QLatin1String(key)), box->text()) << key;
    EXPECT_EQ(TxtLoad(folder.path()), s.Text1->text());
    if (!row.text.isEmpty()) {
        EXPECT_EQ(bytes("qnbtext.ini"), row.text.toUtf8()) << "the saved text does not grow";
    }
    type(s.Text1, QStringLiteral("Z"));
    EXPECT_TRUE(s.Text2->text().endsWith(QLatin1Char('Z'))) << "live";
}

INSTANTIATE_TEST_SUITE_P(Values, TextExtremes, ::testing::ValuesIn(kTextRows),
                         quenby::test::RowName());

// A settings file of 50 MB: remembered values at the top, then filler lines
// and another section. Start-up restores the values (and writes two of them
// back), a click stores one more, and every filler byte survives.
TEST_F(FaultWindow, AFiftyMegabyteSettingsFileIsReadAndRewrittenWhole) {
    const QByteArray head = "[Default]\r\nRemember=1\r\nVal01=q\r\nStripString=is\r\n";
    QByteArray filler;
    filler.reserve(50 * 1024 * 1024 + 100);
    for (int i = 0; filler.size() < 50 * 1024 * 1024; ++i)
        filler += "Filler" + QByteArray::number(i).rightJustified(7, '0') + "=" +
                  QByteArray(64, char('a' + i % 26)) + "\r\n";
    const QByteArray tail = "\r\n[Other]\r\nStripSpaces=0\r\n";
    write("qnb.ini", head + filler + tail);
    write("qnbtext.ini", "This is kept\r\n");

    Skivler& s = open();
    EXPECT_EQ(s.A->text(), QStringLiteral("q"));
    EXPECT_EQ(s.StripString->text(), QStringLiteral("is"));
    EXPECT_EQ(s.Text2->text(), QStringLiteral("Th  kpt"));
    click(s.noGaps);
    EXPECT_EQ(s.Text2->text(), QStringLiteral("Thkpt"));

    const QByteArray after = bytes("qnb.ini");
    const QByteArray newHead = "[Default]\r\nStripSpaces=1\r\n" + head.mid(11);
    EXPECT_EQ(after.size(), newHead.size() + filler.size() + tail.size());
    EXPECT_TRUE(after.startsWith(newHead)) << test::shown(after.left(200));
    EXPECT_TRUE(after.mid(newHead.size(), filler.size()) == filler) << "every filler line kept";
    EXPECT_TRUE(after.endsWith(tail));
    EXPECT_EQ(strayEntries(), QStringList());
}

} // namespace
