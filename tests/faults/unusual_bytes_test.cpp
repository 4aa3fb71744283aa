// Settings and saved-texts files holding bytes that the program never writes
// but must read and write soundly: lone CR or LF line ends, a header on the
// last line without a line break, control bytes before the first header, a
// UTF-8 byte-order mark, and a text or value beginning with U+FEFF.
#include "settings/fileaccess.h"
#include "settings/inifile.h"
#include "settings/programfolder.h"
#include "settings/savedtexts.h"
#include "settings/test_support.h"
#include "support/rows.h"

#include <gtest/gtest.h>

using namespace quenby;
using namespace quenby::test;

namespace {

using quenby::test::operator<<;

const QString kDefault = QStringLiteral("Default");

struct LineRow {
    const char* name;
    std::string file;  // the file before the write
    const char* key;   // written into "Default" with the value "v"
    const char* other; // a section whose value of the key must stay
    const char* otherValue;
};

// Reader and writer see the same lines in files edited by hand, with a lone
// CR or a lone LF as a line end: a write goes into the line and section the
// reader reads it from, and is not repeated at every write.
const LineRow kLineRows[] = {
    // The lone CR before "[Other]" ends Default: the key goes into Default,
    // Other keeps its own line.
    {"LoneCrBeforeAHeader", "[Default]\r\nnote\r[Other]\r\nStripString=x\r\n", "StripString",
     "Other", "x"},
    // A key line after a lone LF is replaced and read back.
    {"LoneLfBeforeAKey", "[Default]\r\nnote\nStripString=x\r\n", "StripString", nullptr, nullptr},
    // A header ended by a lone CR: the line inserted under it is found
    // again by the next write, not added a second time.
    {"HeaderEndedByALoneCr", "[Default]\rnote\r\n", "incY", nullptr, nullptr},
};

class WriterLines : public ::testing::TestWithParam<LineRow> {};

// Two writes of the same value: the value reads back, the second write
// changes nothing, and another section keeps its own value.
TEST_P(WriterLines, WriterSplitsLinesAsTheReaderDoes) {
    const LineRow& row = GetParam();
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    writeBytes(path, bytes(row.file));
    IniWrite(path, kDefault, QString::fromLatin1(row.key), QStringLiteral("v"));
    const QByteArray once = readBytes(path);
    IniWrite(path, kDefault, QString::fromLatin1(row.key), QStringLiteral("v"));
    EXPECT_EQ(IniRead(path, kDefault, QString::fromLatin1(row.key)), QStringLiteral("v"));
    EXPECT_EQ(shown(readBytes(path)), shown(once)) << "the same write again changes nothing";
    if (row.other) {
        EXPECT_EQ(IniRead(path, QString::fromLatin1(row.other), QString::fromLatin1(row.key)),
                  QString::fromLatin1(row.otherValue));
    }
}

INSTANTIATE_TEST_SUITE_P(LoneLineEnds, WriterLines, ::testing::ValuesIn(kLineRows),
                         quenby::test::RowName());

// A "[Default]" header on the file's last line without a line break is a
// header to the writer as to the reader: the key goes under it, no second
// section is appended.
TEST(UnusualBytes, WriterSeesAHeaderOnTheLastLine) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    writeBytes(path, "[Default]");
    IniWrite(path, kDefault, QStringLiteral("StripString"), QStringLiteral("v"));
    EXPECT_EQ(shown(readBytes(path)), shown("[Default]\r\nStripString=v\r\n"));
}

// A file whose first line is control characters and a header (say NUL bytes
// left by a crash, then "[Default]"): the value written reads back, not
// shadowed by the section that the writer's clean-up of those leading bytes
// brings to light.
TEST(UnusualBytes, ControlBytesBeforeTheFirstHeaderDoNotHideAWrite) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    writeBytes(path, bytes(std::string("\0\0[Default]\r\nStripString=old\r\n", 30)));
    IniWrite(path, kDefault, QStringLiteral("StripString"), QStringLiteral("new"));
    EXPECT_EQ(IniRead(path, kDefault, QStringLiteral("StripString")), QStringLiteral("new"));
}

// A text or value that begins with U+FEFF (a zero-width no-break space)
// keeps it through a save and a load, although its bytes EF BB BF look like
// a byte-order mark, which QString::fromUtf8 drops.
TEST(UnusualBytes, ATextOrValueBeginningWithFeffKeepsIt) {
    const TempFolder folder;
    const QString text = QChar(0xFEFF) + QStringLiteral("abc");
    TxtSave(folder.path(), kSavedTextsFileName, text);
    EXPECT_EQ(TxtLoad(folder.path()), text) << "saved texts";
    const QString path = folder.file("qnb.ini");
    IniWrite(path, kDefault, QStringLiteral("StripString"), text);
    EXPECT_EQ(IniRead(path, kDefault, QStringLiteral("StripString")), text) << "settings";
}

// A settings file saved by an editor that puts a UTF-8 byte-order mark at the
// start: its first section is read, and written into, not hidden behind the
// mark: start-up finds the stored values and the writer adds no second
// "[Default]" section.
TEST(UnusualBytes, AByteOrderMarkDoesNotHideTheFirstSection) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    writeBytes(path, "\xEF\xBB\xBF[Default]\r\nStripVowels=0\r\n");
    EXPECT_EQ(IniRead(path, kDefault, QStringLiteral("StripVowels")), QStringLiteral("0"));
    IniWrite(path, kDefault, QStringLiteral("incY"), QStringLiteral("0"));
    EXPECT_EQ(readBytes(path).count("[Default]"), 1) << shown(readBytes(path));
}

} // namespace
