// Faults the fuzzers found in the settings routines, each as the smallest
// failing case. They stay  until the routines are mended (the fuzz
// targets leave the same inputs out meanwhile; see hitsKnownFault there);
// run them with --gtest_also_run_disabled_tests.
#include "settings/inifile.h"
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

// The reader ends a line at CR LF or a lone CR; the writer finds a line's
// start by the LF before it. So the two disagree on files with a lone CR or a
// lone LF (files edited by hand): a write goes into the wrong line or
// section, or is repeated at every write.
const LineRow kLineRows[] = {
    // The lone CR before "[Other]" ends the section for the reader, not for
    // the writer, which replaces Other's key line instead of adding one to
    // Default: Default reads empty, Other reads "v".
    {"LoneCrBeforeAHeader", "[Default]\r\nnote\r[Other]\r\nStripString=x\r\n", "StripString",
     "Other", "x"},
    // A key line after a lone LF is no line for the reader: the writer
    // replaces it and the reader still finds nothing.
    {"LoneLfBeforeAKey", "[Default]\r\nnote\nStripString=x\r\n", "StripString", nullptr, nullptr},
    // A header ended by a lone CR: the writer inserts after the CR and then
    // never finds its own line again, adding another at every write.
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
// header to the reader, but the writer looks for a CR after "]": it appends a
// second "[Default]" section, and the next write puts the key into the first
// one as well, leaving two copies.
TEST(Findings, WriterSeesAHeaderOnTheLastLine) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    writeBytes(path, "[Default]");
    IniWrite(path, kDefault, QStringLiteral("StripString"), QStringLiteral("v"));
    EXPECT_EQ(shown(readBytes(path)), shown("[Default]\r\nStripString=v\r\n"));
}

// The clean-up strips control characters from the start of the file after
// the writer has looked for the header. A file whose first line is control
// characters and a header (say NUL bytes left by a crash, then "[Default]")
// has no section for the reader or the writer, so the writer appends one;
// the clean-up then turns the first line into a header, and its old key line
// now comes first: the value just written reads back as the old one.
TEST(Findings, ACleanUpDoesNotUncoverAnOlderSection) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    writeBytes(path, bytes(std::string("\0\0[Default]\r\nStripString=old\r\n", 30)));
    IniWrite(path, kDefault, QStringLiteral("StripString"), QStringLiteral("new"));
    EXPECT_EQ(IniRead(path, kDefault, QStringLiteral("StripString")), QStringLiteral("new"));
}

// A text or value that begins with U+FEFF (a zero-width no-break space) loses
// it: the writer stores it as the bytes EF BB BF, and QString::fromUtf8,
// used when reading either file back, drops those as a byte-order mark.
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
// start: the reader takes the mark for part of the first line, so the first
// header is no header and every setting under it reads as absent (start-up
// shows the defaults); the writer appends a second "[Default]" section. The
// saved-texts file, read through QString::fromUtf8, skips such a mark.
TEST(Findings, AByteOrderMarkDoesNotHideTheFirstSection) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    writeBytes(path, "\xEF\xBB\xBF[Default]\r\nStripVowels=0\r\n");
    EXPECT_EQ(IniRead(path, kDefault, QStringLiteral("StripVowels")), QStringLiteral("0"));
    IniWrite(path, kDefault, QStringLiteral("incY"), QStringLiteral("0"));
    EXPECT_EQ(readBytes(path).count("[Default]"), 1) << shown(readBytes(path));
}

// When the lock file cannot be made (a read-only folder, a full disk, a
// file-size limit), the error says "cannot create the lock file ..." and not
// why, so the user cannot tell a full disk from a read-only folder. Here the
// process may write no file past 16 bytes, which the lock file's content
// exceeds: the reason should carry the system's words for it.
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
