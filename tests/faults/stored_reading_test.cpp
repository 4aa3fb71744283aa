// The window's start-up and quenby-strip --settings take the same options
// from the same settings file, hand-edited and broken ones included, and the
// window tells of a stored value it could not use exactly when the filter
// warns of it.
#include "fault_window.h"
#include "support/rows.h"

using namespace quenby;
using namespace quenby::faults;
using namespace std::string_literals;

namespace {

using quenby::test::operator<<;

struct ReadingRow {
    const char* name;
    std::string ini;
};

const ReadingRow kReadingRows[] = {
    {"ValueBeginningWithByteOrderMark", "[Default]\r\nStripString=\xEF\xBB\xBFx\r\n"},
    {"FileBeginningWithByteOrderMark", "\xEF\xBB\xBF[Default]\r\nReplaceString=\xEF\xBB\xBFy"},
    {"KeysInOtherCase", "[default]\r\nSTRIPVOWELS=0\r\ncaseoption=1\r\nsamecase=0\r\n"},
    {"NumbersNotZeroOneOrTwo",
     "[Default]\r\nCaseOption=3\r\nStripVowels=yes\r\nincY=1.0\r\nStripNumbers=70000\r\n"},
    {"NumbersWithBlanksAndSigns",
     "[Default]\r\nStripSpaces= 1 \r\nStripNumbers=+1\r\nStripPunctuation=\t2\r\n"},
    {"SlotsLongerThanOneCharacter",
     "[Default]\r\nVal01=abc\r\nVal02=\xF0\x9F\x98\x80z\r\nVal12=--\r\nVal09=\xED\xA0\x80x\r\n"},
    {"Windows1252", "[Default]\r\nVal03=\xE9\r\nStripString=\x80\r\nReplaceString=\x93q\x94\r\n"},
    {"RepeatedSectionsAndLoneCrs",
     "StripString=no\r[Default]\rStripString=yes\r[Other]\r\nSameCase=0\r\n[Default]\r\nVal05=k"},
    {"NulAndControlCharacters", "\x01\r\n[Default]\r\nStripString=a\0b\r\nVal12=\0\r\nincY=0\f"s},
    {"EmptyValues", "[Default]\r\nCaseOption=\r\nStripVowels=\r\nVal01=\r\nStripString=\r\n"},
};

class StoredReading : public FaultWindow, public ::testing::WithParamInterface<ReadingRow> {};

TEST_P(StoredReading, WindowAndFilterTakeTheSameOptions) {
    const QByteArray ini = QByteArray::fromStdString(GetParam().ini);
    write("qnb.ini", ini);
    // Longer than any strip string above, so that start-up asks nothing.
    write("qnbtext.ini", "A saved input text, longer than every strip string.\r\n");
    QStringList warnings;
    const QString filter = filterOptions(ini, &warnings);

    dialogs.answers.assign(warnings.isEmpty() ? 0 : 1, Answer::Ok);
    const Skivler& s = open();
    EXPECT_EQ(windowOptions(s).toStdString(), filter.toStdString());
    ASSERT_EQ(dialogs.shown.size(), warnings.isEmpty() ? 0u : 1u)
        << warnings.join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Files, StoredReading, ::testing::ValuesIn(kReadingRows),
                         quenby::test::RowName());

} // namespace
