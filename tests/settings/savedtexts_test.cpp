// The saved-texts file: exact bytes written, exact text read back.
#include "settings/fileaccess.h"
#include "settings/inifile.h"
#include "settings/programfolder.h"
#include "settings/savedtexts.h"
#include "support/rows.h"
#include "test_support.h"

#include <QFileInfo>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

using namespace std::string_literals;
using namespace quenby;
using namespace quenby::test;

namespace {

using quenby::test::operator<<;

struct SaveRow {
    const char* name;
    QString text;
    std::string file;
    QString loaded; // what TxtLoad gives back
};

// Names the row in test output instead of dumping its bytes.
const SaveRow kSaveRows[] = {
    {"OneLine", "abc", "abc\r\n", "abc"},
    {"TwoLines", "abc\ndef", "abc\r\ndef\r\n", "abc\ndef"},
    {"TrailingLineBreak", "abc\n", "abc\r\n\r\n", "abc\n"},
    {"EmptyText", "", "\r\n", ""},
    {"OnlyALineBreak", "\n", "\r\n\r\n", "\n"},
    {"BlankLinesInside", "a\n\n\nb", "a\r\n\r\n\r\nb\r\n", "a\n\n\nb"},
    {"CrLfInTextIsOneBreak", "a\r\nb", "a\r\nb\r\n", "a\nb"},
    {"LoneCrInTextIsABreak", "a\rb", "a\r\nb\r\n", "a\nb"},
    {"BlanksKept", " a \t", " a \t\r\n", " a \t"},
    {"NonAscii", QString::fromUtf8("\xC3\xA4\xE2\x82\xAC"), "\xC3\xA4\xE2\x82\xAC\r\n",
     QString::fromUtf8("\xC3\xA4\xE2\x82\xAC")},
    {"Nul", QString::fromUtf8("x\0y", 3), "x\0y\r\n"s, QString::fromUtf8("x\0y", 3)},
};

class TxtSaveRows : public ::testing::TestWithParam<SaveRow> {};

TEST_P(TxtSaveRows, BytesWrittenAndTextLoaded) {
    const SaveRow& row = GetParam();
    const TempFolder folder;
    TxtSave(folder.path(), kSavedTextsFileName, row.text);
    EXPECT_EQ(shown(readBytes(folder.file("qnbtext.ini"))), shown(bytes(row.file)));
    EXPECT_EQ(TxtLoad(folder.path()), row.loaded);
    EXPECT_EQ(folder.entries(), QStringList{"qnbtext.ini"}) << "no temporary or lock file stays";
}

INSTANTIATE_TEST_SUITE_P(Rows, TxtSaveRows, ::testing::ValuesIn(kSaveRows),
                         quenby::test::RowName());

struct LoadRow {
    const char* name;
    std::string file;
    QString text;
};

// Names the row in test output instead of dumping its bytes.
const LoadRow kLoadRows[] = {
    {"ZeroLength", "", ""},
    {"EmptiedFile", "\r\n", ""},
    {"NoFinalBreak", "abc", "abc"},
    {"FinalLoneCr", "abc\r", "abc"},
    {"FinalLoneLf", "line1\nline2\n", "line1\nline2"},
    {"OnlyOneFinalBreakDropped", "a\n\r", "a\n"},
    {"LoneCrBetweenLines", "a\rb\r\n", "a\nb"},
    {"LoneCrBeforeFinalBreak", "a\r\r\n", "a\n"},
    {"LoneLfKept", "a\nb\r\n", "a\nb"},
    {"TwoEmptyLines", "\r\n\r\n", "\n"},
    {"Windows1252", "caf\xE9 \x80\r\n", QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC")},
    {"BadByteSpoilsOnlyItsLine", "\xF0\x9F\x98\x80\r\ncaf\xE9\n\xC3\xA9\r\xE9\r\n",
     QString::fromUtf8("\xF0\x9F\x98\x80\ncaf\xC3\xA9\n\xC3\xA9\n\xC3\xA9")},
};

class TxtLoadRows : public ::testing::TestWithParam<LoadRow> {};

TEST_P(TxtLoadRows, TextLoaded) {
    const LoadRow& row = GetParam();
    const TempFolder folder;
    writeBytes(folder.file("qnbtext.ini"), bytes(row.file));
    EXPECT_EQ(TxtLoad(folder.path()), row.text);
}

INSTANTIATE_TEST_SUITE_P(Rows, TxtLoadRows, ::testing::ValuesIn(kLoadRows),
                         quenby::test::RowName());

// Start-up loads the text and, with "Remember settings" ticked, saves it
// again: the file must not grow at every start, also when edited by hand.
TEST(SavedTexts, RepeatedLoadAndSaveIsStable) {
    const TempFolder folder;
    TxtSave(folder.path(), kSavedTextsFileName, "first\nsecond\n");
    const QByteArray once = readBytes(folder.file("qnbtext.ini"));
    for (int start = 0; start < 3; ++start)
        TxtSave(folder.path(), kSavedTextsFileName, TxtLoad(folder.path()));
    EXPECT_EQ(readBytes(folder.file("qnbtext.ini")), once);

    writeBytes(folder.file("qnbtext.ini"), "line1\nline2\n");
    for (int start = 0; start < 3; ++start)
        TxtSave(folder.path(), kSavedTextsFileName, TxtLoad(folder.path()));
    EXPECT_EQ(readBytes(folder.file("qnbtext.ini")), "line1\r\nline2\r\n");
}

TEST(SavedTexts, EmptyingTheSettingsFile) {
    const TempFolder folder;
    const QString settings = folder.file("qnb.ini");
    IniWrite(settings, "Default", "StripVowels", "1");
    TxtSave(folder.path(), kSettingsFileName, "");
    EXPECT_EQ(readBytes(settings), "\r\n");
    EXPECT_EQ(IniRead(settings, "Default", "StripVowels"), "");
    IniWrite(settings, "Default", "incY", "0");
    EXPECT_EQ(readBytes(settings), "[Default]\r\nincY=0\r\n");
}

TEST(SavedTexts, SavePreparesTheFile) {
    const TempFolder folder;
    const QString path = folder.file("qnbtext.ini");
    writeBytes(path, "old\r\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner));
    TxtSave(folder.path(), kSavedTextsFileName, "new");
    EXPECT_EQ(readBytes(path), "new\r\n");
    EXPECT_TRUE(QFile::permissions(path) & QFileDevice::WriteOwner);
}

TEST(SavedTexts, PathsAndNames) {
    EXPECT_EQ(joinPath("/opt/quenby", kSettingsFileName), "/opt/quenby/qnb.ini");
    EXPECT_EQ(joinPath("/opt/quenby/", kSavedTextsFileName), "/opt/quenby//qnbtext.ini");
}

// The folder the program makes for its files is its user's alone; its
// missing parents are ordinary folders, and a folder that exists keeps its mode.
TEST(SavedTexts, ProgramFolderMadePrivateOnlyWhenMadeHere) {
    const TempFolder parent;
    const QString made = parent.file("config/quenby");
    makeProgramFolder(made);
    EXPECT_EQ(modeOf(made), 0700u);
    const QString existing = parent.file("existing");
    ASSERT_TRUE(QDir().mkdir(existing));
    ASSERT_EQ(::chmod(QFile::encodeName(existing).constData(), 0755), 0);
    makeProgramFolder(existing);
    EXPECT_EQ(modeOf(existing), 0755u);
}

TEST(SavedTextsErrors, LoadingMissingFileFailsAndCreatesNothing) {
    const TempFolder folder;
    try {
        TxtLoad(folder.path());
        ADD_FAILURE() << "no FileError";
    } catch (const FileError& e) {
        EXPECT_EQ(e.path(), folder.file("qnbtext.ini"));
    }
    EXPECT_TRUE(folder.entries().isEmpty());
}

TEST(SavedTextsErrors, FolderInTheFilesPlace) {
    const TempFolder folder;
    const QString path = folder.file("qnbtext.ini");
    ASSERT_TRUE(QDir().mkdir(path));
    for (int op = 0; op < 2; ++op) {
        SCOPED_TRACE(op == 0 ? "TxtSave" : "TxtLoad");
        try {
            if (op == 0)
                TxtSave(folder.path(), kSavedTextsFileName, "x");
            else
                TxtLoad(folder.path());
            ADD_FAILURE() << "no FileError";
        } catch (const FileError& e) {
            EXPECT_EQ(e.path(), path);
            EXPECT_FALSE(e.reason().isEmpty());
        }
    }
}

TEST(SavedTextsErrors, MissingFolder) {
    const TempFolder parent;
    const QString folder = parent.file("gone");
    for (int op = 0; op < 2; ++op) {
        SCOPED_TRACE(op == 0 ? "TxtSave" : "TxtLoad");
        try {
            if (op == 0)
                TxtSave(folder, kSavedTextsFileName, "x");
            else
                TxtLoad(folder);
            ADD_FAILURE() << "no FileError";
        } catch (const FileError& e) {
            EXPECT_EQ(e.path(), folder + "/qnbtext.ini");
            EXPECT_TRUE(e.reason().contains("does not exist")) << e.what();
        }
    }
    EXPECT_FALSE(QFileInfo::exists(folder));
}

TEST(SavedTextsErrors, FullDiskLeavesOldFileWhole) {
    const TempFolder folder;
    const QString path = folder.file("qnbtext.ini");
    writeBytes(path, "old text\r\n");
    {
        const FileSizeLimit limit(4096);
        EXPECT_THROW(TxtSave(folder.path(), kSavedTextsFileName, QString(10000, 'x')), FileError);
    }
    EXPECT_EQ(readBytes(path), "old text\r\n");
    EXPECT_EQ(folder.entries(), QStringList{"qnbtext.ini"});
}

} // namespace
