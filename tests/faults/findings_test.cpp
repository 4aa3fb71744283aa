// What the fuzzers and fault tests found wrong in the settings routines,
// each as the smallest input that once failed, now kept as the check that
// it stays mended.
#include "settings/fileaccess.h"
#include "settings/inifile.h"
#include "settings/programfolder.h"
#include "settings/savedtexts.h"
#include "settings/test_support.h"

#include <gtest/gtest.h>

using namespace quenby;
using namespace quenby::test;

namespace {

const QString kDefault = QStringLiteral("Default");

struct LineRow {
    const char* name;
    std::string file;  // the file before the write
    const char* key;   // written into "Default" with the value "v"
    const char* other; // a section whose value of the key must stay
    const char* otherValue;
};

void PrintTo(const LineRow& row, std::ostream* os) {
    *os << row.name;
}

// Reader and writer see the same lines in files edited by hand, with a lone
// CR or a lone LF as a line end. (Once the writer found a line's start by
// the LF before it, the reader by a CR: a write went into the wrong line or
// section, or was repeated at every write.)
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

INSTANTIATE_TEST_SUITE_P(Findings, WriterLines, ::testing::ValuesIn(kLineRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A "[Default]" header on the file's last line without a line break is a
// header to the writer as to the reader: the key goes under it, no second
// section is appended.
TEST(Findings, WriterSeesAHeaderOnTheLastLine) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    writeBytes(path, "[Default]");
    IniWrite(path, kDefault, QStringLiteral("StripString"), QStringLiteral("v"));
    EXPECT_EQ(shown(readBytes(path)), shown("[Default]\r\nStripString=v\r\n"));
}

// A file whose first line is control characters and a header (say NUL bytes
// left by a crash, then "[Default]"): the value written reads back. (Once
// the writer appended a section, its clean-up then stripped the NUL bytes,
// and the older section it uncovered shadowed the value just written.)
TEST(Findings, ACleanUpDoesNotUncoverAnOlderSection) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    writeBytes(path, bytes(std::string("\0\0[Default]\r\nStripString=old\r\n", 30)));
    IniWrite(path, kDefault, QStringLiteral("StripString"), QStringLiteral("new"));
    EXPECT_EQ(IniRead(path, kDefault, QStringLiteral("StripString")), QStringLiteral("new"));
}

// A text or value that begins with U+FEFF (a zero-width no-break space)
// keeps it through a save and a load, although its bytes EF BB BF look like
// a byte-order mark, which QString::fromUtf8 drops.
TEST(Findings, ALeadingZeroWidthNoBreakSpaceIsKept) {
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
// mark (which made start-up show the defaults and the writer append a second
// "[Default]" section).
TEST(Findings, AByteOrderMarkDoesNotHideTheFirstSection) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    writeBytes(path, "\xEF\xBB\xBF[Default]\r\nStripVowels=0\r\n");
    EXPECT_EQ(IniRead(path, kDefault, QStringLiteral("StripVowels")), QStringLiteral("0"));
    IniWrite(path, kDefault, QStringLiteral("incY"), QStringLiteral("0"));
    EXPECT_EQ(readBytes(path).count("[Default]"), 1) << shown(readBytes(path));
}

// When the lock file cannot be made (a read-only folder, a full disk, a
// file-size limit), the reason carries the system's words for the cause, so
// the user can tell a full disk from a read-only folder. Here the process may
// write no file past 16 bytes, which the lock file's content exceeds.
TEST(Findings, ALockFileFailureSaysWhy) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    const FileSizeLimit limit(16);
    try {
        IniWrite(path, kDefault, QStringLiteral("StripVowels"), QStringLiteral("0"));
        ADD_FAILURE() << "the write should fail";
    } catch (const FileError& e) {
        EXPECT_TRUE(e.reason().contains(QLatin1String("File too large")))
            << e.reason().toStdString();
    }
}

} // namespace
