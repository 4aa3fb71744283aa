// The table of stored settings and the parser of stored numbers.
#include "settings/inifile.h"
#include "settings/keytable.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <string>

using namespace quenby;
using namespace quenby::test;

namespace {

// "key control kind default" for each row of an order.
QStringList describe(const SettingOrder& order) {
    QStringList rows;
    for (const SettingRow* row : order) {
        EXPECT_NE(row, nullptr);
        if (!row)
            continue;
        const char* kinds[] = {"case", "check", "slot", "text"};
        rows << QStringLiteral("%1 %2 %3 %4")
                    .arg(row->key, row->control, kinds[int(row->kind)], storedDefault(*row));
    }
    return rows;
}

QStringList keysOf(const SettingOrder& order) {
    QStringList keys;
    for (const SettingRow* row : order)
        keys << (row ? row->key : "(missing)");
    return keys;
}

QStringList controlsOf(const SettingOrder& order) {
    QStringList controls;
    for (const SettingRow* row : order)
        controls << (row ? row->control : "(missing)");
    return controls;
}

TEST(KeyTable, RestoreOrderWithControlsKindsAndDefaults) {
    const QStringList expected = {
        "CaseOption Option2 case 2",
        "StripVowels noVowels check 1",
        "incY noY check 1",
        "StripNumbers noNums check 0",
        "StripPunctuation noPunc check 0",
        "StripSpaces noGaps check 0",
        "WrapText yesWrap check 1",
        "SameCase yesCase check 1",
        "Remember yesRemember check 0",
        "AutoCopy yesCopy check 0",
        "AutoPaste yesPaste check 0",
        "Val01 A slot ",
        "Val03 E slot ",
        "Val05 I slot ",
        "Val07 O slot ",
        "Val09 U slot ",
        "Val11 Y slot ",
        "Val02 aa slot ",
        "Val04 ee slot ",
        "Val06 ii slot ",
        "Val08 oo slot ",
        "Val10 uu slot ",
        "Val12 yy slot ",
        "StripString StripString text ",
        "ReplaceString ReplaceString text ",
    };
    EXPECT_EQ(describe(restoreOrder()), expected);
}

TEST(KeyTable, SaveAllOrder) {
    const QStringList expected = {
        "Val01",
        "Val02",
        "Val03",
        "Val04",
        "Val05",
        "Val06",
        "Val07",
        "Val08",
        "Val09",
        "Val10",
        "Val11",
        "Val12",
        "Remember",
        "StripVowels",
        "incY",
        "CaseOption",
        "StripSpaces",
        "StripNumbers",
        "StripPunctuation",
        "StripString",
        "ReplaceString",
        "SameCase",
        "AutoCopy",
        "AutoPaste",
        "WrapText",
    };
    EXPECT_EQ(keysOf(saveAllOrder()), expected);
}

TEST(KeyTable, ResetOrder) {
    const QStringList expected = {
        "Option2",     "noVowels", "noY",     "noNums",      "noPunc",
        "noGaps",      "yesWrap",  "yesCopy", "yesPaste",    "yesCase",
        "yesRemember", "A",        "E",       "I",           "O",
        "U",           "Y",        "aa",      "ee",          "ii",
        "oo",          "uu",       "yy",      "StripString", "ReplaceString",
    };
    EXPECT_EQ(controlsOf(resetOrder()), expected);
}

// Storing every setting in save-all order into an emptied settings file
// leaves the keys newest-first under the header.
TEST(KeyTable, SaveAllIntoEmptiedFileListsKeysInReverse) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    writeBytes(path, "\r\n");
    for (const SettingRow* row : saveAllOrder())
        IniWrite(path, kSettingsSection, row->key, storedDefault(*row));
    const QByteArray expected =
        "[Default]\r\nWrapText=1\r\nAutoPaste=0\r\nAutoCopy=0\r\nSameCase=1\r\nReplaceString=\r\n"
        "StripString=\r\nStripPunctuation=0\r\nStripNumbers=0\r\nStripSpaces=0\r\n"
        "CaseOption=2\r\nincY=1\r\nStripVowels=1\r\nRemember=0\r\nVal12=\r\nVal11=\r\nVal10=\r\n"
        "Val09=\r\nVal08=\r\nVal07=\r\nVal06=\r\nVal05=\r\nVal04=\r\nVal03=\r\nVal02=\r\n"
        "Val01=\r\n";
    EXPECT_EQ(shown(readBytes(path)), shown(expected));
}

TEST(KeyTable, FindSettingIgnoresCase) {
    ASSERT_NE(findSetting("stripvowels"), nullptr);
    EXPECT_STREQ(findSetting("stripvowels")->control, "noVowels");
    EXPECT_STREQ(findSetting("VAL12")->control, "yy");
    EXPECT_EQ(findSetting("Val13"), nullptr);
    EXPECT_EQ(findSetting(""), nullptr);
}

struct IntegerRow {
    const char* text;
    std::optional<int> value;
};

TEST(StoredInteger, AcceptsOnlyDecimalSixteenBitNumbers) {
    const IntegerRow rows[] = {
        {"0", 0},         {"1", 1},           {"2", 2},
        {"007", 7},       {" 1 ", 1},         {"\t2\t", 2},
        {"+3", 3},        {"-1", -1},         {"-0", 0},
        {"32767", 32767}, {"-32768", -32768}, {"000000000032767", 32767},
        {"32768", {}},    {"-32769", {}},     {"99999999999999999999", {}},
        {"", {}},         {" ", {}},          {"+", {}},
        {"-", {}},        {"one", {}},        {"1a", {}},
        {"1.0", {}},      {"1,000", {}},      {"&H10", {}},
        {"1e2", {}},      {"- 1", {}},        {"1 2", {}},
        {"++1", {}},      {"\xD9\xA1", {}}, // ARABIC-INDIC DIGIT ONE
    };
    for (const IntegerRow& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(parseStoredInteger(QString::fromUtf8(row.text)), row.value);
    }
}

} // namespace
