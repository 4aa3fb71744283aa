// The settings reader and writer on real files, compared byte for byte.
#include "settings/fileaccess.h"
#include "settings/inifile.h"
#include "settings/initext.h"
#include "support/rows.h"
#include "test_support.h"

#include <QDateTime>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <sys/stat.h>

using namespace std::string_literals;
using namespace quenby;
using namespace quenby::test;

namespace {

using quenby::test::operator<<;

// ---------------------------------------------------------------- writer rows

struct WriteRow {
    const char* name;
    std::optional<std::string> before; // nullopt: no file yet
    const char* section;
    const char* key;
    QString value;
    std::string after;
};

// Names the row in test output instead of dumping its bytes.
const WriteRow kWriteRows[] = {
    {"NewFile", std::nullopt, "Default", "StripVowels", "1", "[Default]\r\nStripVowels=1\r\n"},
    {"ZeroLengthFile", ""s, "Default", "StripVowels", "1", "[Default]\r\nStripVowels=1\r\n"},
    {"EmptiedFile", "\r\n"s, "Default", "StripVowels", "1", "[Default]\r\nStripVowels=1\r\n"},
    {"SecondKeyGoesUnderHeader", "[Default]\r\nStripVowels=1\r\n"s, "Default", "incY", "1",
     "[Default]\r\nincY=1\r\nStripVowels=1\r\n"},
    {"ExistingKeyReplacedInPlace", "[Default]\r\nincY=1\r\nStripVowels=1\r\nVal01=a\r\n"s,
     "Default", "StripVowels", "0", "[Default]\r\nincY=1\r\nStripVowels=0\r\nVal01=a\r\n"},
    {"LowerCaseKeyTakesOverLine", "[Default]\r\nincY=1\r\nStripVowels=1\r\n"s, "Default",
     "stripvowels", "0", "[Default]\r\nincY=1\r\nstripvowels=0\r\n"},
    {"NewSectionAfterOneBlankLine", "[Default]\r\nA=1\r\n"s, "Other", "K", "v",
     "[Default]\r\nA=1\r\n\r\n[Other]\r\nK=v\r\n"},
    {"ExistingHeaderKeepsItsCapitalisation", "[DEFAULT]\r\nA=1\r\n"s, "Default", "B", "2",
     "[DEFAULT]\r\nB=2\r\nA=1\r\n"},
    {"HeaderWithTrailingBlankGivesSecondSection", "[Default] \r\nA=1\r\n"s, "Default", "A", "2",
     "[Default] \r\nA=1\r\n\r\n[Default]\r\nA=2\r\n"},
    {"BlanksAroundEqualsOrBeforeKeyNotMatched", "[Default]\r\nA = 1\r\n A=1\r\nA =1\r\n"s,
     "Default", "A", "2", "[Default]\r\nA=2\r\nA = 1\r\n A=1\r\nA =1\r\n"},
    {"KeyPrefixNotMatched", "[Default]\r\nAB=1\r\n"s, "Default", "A", "2",
     "[Default]\r\nA=2\r\nAB=1\r\n"},
    {"ValueWithEquals", std::nullopt, "Default", "StripString", "a=b",
     "[Default]\r\nStripString=a=b\r\n"},
    {"EmptyValue", "[Default]\r\nA=1\r\n"s, "Default", "A", "", "[Default]\r\nA=\r\n"},
    {"BlankLineRunsShrinkEverywhere",
     "[Default]\r\nA=1\r\n\r\n\r\n\r\nB=2\r\n\r\n\r\n[X]\r\nC=3\r\n\r\n\r\n\r\n\r\n\r\nD=4\r\n"s,
     "Default", "A", "3", "[Default]\r\nA=3\r\n\r\nB=2\r\n\r\n[X]\r\nC=3\r\n\r\nD=4\r\n"},
    // At the end only whole lines of control characters go, never a value's.
    {"ControlCharactersGoFromBothEnds", "\t\r\n[Default]\r\nA=1\t\t\r\n\r\n\x0b"s, "Default", "B",
     "2", "[Default]\r\nB=2\r\nA=1\t\t\r\n"},
    {"TabEndingLastValueKept", "[Default]\r\nA=1\r\n"s, "Other", "ReplaceString", "x\t",
     "[Default]\r\nA=1\r\n\r\n[Other]\r\nReplaceString=x\t\r\n"},
    {"TabValueOnLastLineReplaced", "[Default]\r\nA=1\r\nVal01=x\r\n\0"s, "Default", "Val01", "\t",
     "[Default]\r\nA=1\r\nVal01=\t\r\n"},
    {"NulAtTheEndIsAControlCharacter", "[Default]\r\nA=1\r\n\0\0"s, "Default", "A", "2",
     "[Default]\r\nA=2\r\n"},
    {"FirstKeyLineWins", "[Default]\r\nA=1\r\nA=2\r\n"s, "Default", "A", "3",
     "[Default]\r\nA=3\r\nA=2\r\n"},
    {"FirstOfDuplicateHeadersWins", "[Default]\r\nA=1\r\n\r\n[Default]\r\nB=1\r\n"s, "Default", "B",
     "2", "[Default]\r\nB=2\r\nA=1\r\n\r\n[Default]\r\nB=1\r\n"},
    {"KeyOfEarlierSectionIgnored", "[Other]\r\nA=1\r\n\r\n[Default]\r\nB=1\r\n"s, "Default", "A",
     "2", "[Other]\r\nA=1\r\n\r\n[Default]\r\nA=2\r\nB=1\r\n"},
    {"KeyOfLaterSectionIgnored", "[Default]\r\nB=1\r\n\r\n[Other]\r\nA=1\r\n"s, "Default", "A", "2",
     "[Default]\r\nA=2\r\nB=1\r\n\r\n[Other]\r\nA=1\r\n"},
    {"KeyAfterBlankLineStillInSection", "[Default]\r\nA=1\r\n\r\nB=2\r\n"s, "Default", "B", "3",
     "[Default]\r\nA=1\r\n\r\nB=3\r\n"},
    {"TextBeforeFirstHeaderKept", "; note\r\n[Default]\r\nA=1\r\n"s, "Default", "A", "2",
     "; note\r\n[Default]\r\nA=2\r\n"},
    // "[" inside a value does not end the section.
    {"BracketInValueDoesNotHideLaterKey", "[Default]\r\nStripString=[x]\r\nA=1\r\n"s, "Default",
     "A", "2", "[Default]\r\nStripString=[x]\r\nA=2\r\n"},
    {"BracketValueReplaced", "[Default]\r\nStripString=[x]\r\nB=1\r\n"s, "Default", "StripString",
     "y[", "[Default]\r\nStripString=y[\r\nB=1\r\n"},
    // A key line on the last line without a line break.
    {"LastLineWithoutBreakReplaced", "[Default]\r\nA=1\r\nB=2"s, "Default", "B", "3",
     "[Default]\r\nA=1\r\nB=3\r\n"},
    {"LastLineWithoutBreakKeptOnInsert", "[Default]\r\nA=1"s, "Default", "C", "1",
     "[Default]\r\nC=1\r\nA=1\r\n"},
    // A header needs its CR: one on the last line without a break is not seen.
    // Hand-edited line ends are made CR LF first, so the writer sees the lines
    // the reader sees.
    {"HeaderOnLastLineWithoutBreakSeen", "[Default]"s, "Default", "A", "1", "[Default]\r\nA=1\r\n"},
    {"InsertAfterHeaderEndedByLoneCr", "[Default]\rA=1\r\n"s, "Default", "B", "2",
     "[Default]\r\nB=2\r\nA=1\r\n"},
    {"ReplacedLineEndsAtLoneCr", "[Default]\r\nA=1\rB=2\r\n"s, "Default", "A", "9",
     "[Default]\r\nA=9\r\nB=2\r\n"},
    {"LoneLfLinesBecomeCrLf", "[Default]\nA=1\nB=2"s, "Default", "A", "9",
     "[Default]\r\nA=9\r\nB=2\r\n"},
    {"LeadingControlsAndMarkDropped", "\0\0\xEF\xBB\xBF[Default]\r\nA=old\r\n"s, "Default", "A",
     "new", "[Default]\r\nA=new\r\n"},
    {"LineBreakInValueCutsIt", std::nullopt, "Default", "A", "x\r\nB=1", "[Default]\r\nA=x\r\n"},
    {"NulBytesInOtherLinesKept", "[Default]\r\nX=a\0b\r\n"s, "Default", "A", "1",
     "[Default]\r\nA=1\r\nX=a\0b\r\n"s},
    {"Utf8ValueWritten", std::nullopt, "Default", "StripString",
     QString::fromUtf8("\xC3\xA4\xE2\x82\xAC"),
     "[Default]\r\nStripString=\xC3\xA4\xE2\x82\xAC\r\n"},
    {"OnlyTheLineNotUtf8IsTranscoded",
     "[Default]\nVal12=\xF0\x9F\x98\x80\rStripString=caf\xE9\r\nVal01=\xC3\xA9"s, "Default", "A",
     "1",
     "[Default]\r\nA=1\r\nVal12=\xF0\x9F\x98\x80\r\nStripString=caf\xC3\xA9\r\nVal01=\xC3\xA9\r\n"},
    {"Windows1252FileRewrittenAsUtf8",
     "[Default]\r\nStripString=caf\xE9 \x80\r\nVal01=\x9F\x81\r\n"s, "Default", "Val02",
     QString::fromUtf8("\xC3\xBC"),
     "[Default]\r\nVal02=\xC3\xBC\r\nStripString=caf\xC3\xA9 "
     "\xE2\x82\xAC\r\nVal01=\xC5\xB8\xC2\x81\r\n"},
};

class IniWriteRows : public ::testing::TestWithParam<WriteRow> {};

TEST_P(IniWriteRows, FileBytesAfterWrite) {
    const WriteRow& row = GetParam();
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    if (row.before)
        writeBytes(path, bytes(*row.before));
    IniWrite(path, row.section, row.key, row.value);
    EXPECT_EQ(shown(readBytes(path)), shown(bytes(row.after)));
    EXPECT_EQ(folder.entries(), QStringList{"qnb.ini"}) << "no temporary or lock file stays";
}

INSTANTIATE_TEST_SUITE_P(Rows, IniWriteRows, ::testing::ValuesIn(kWriteRows),
                         quenby::test::RowName());

// ---------------------------------------------------------------- reader rows

struct ReadRow {
    const char* name;
    std::string file;
    const char* section;
    const char* key;
    QString expected;
};

// Names the row in test output instead of dumping its bytes.
const ReadRow kReadRows[] = {
    {"Plain", "[Default]\r\nStripVowels=1\r\n", "Default", "StripVowels", "1"},
    {"KeyInOtherCase", "[Default]\r\nSTRIPSTRING=x\r\n", "Default", "StripString", "x"},
    {"SectionInOtherCase", "[DEFAULT]\r\nA=1\r\n", "Default", "A", "1"},
    {"BlankBeforeKey", "[Default]\r\n StripString=x\r\n", "Default", "StripString", ""},
    {"BlankBeforeEquals", "[Default]\r\nStripString =x\r\n", "Default", "StripString", ""},
    {"BlanksAroundEquals", "[Default]\r\nStripString = x\r\n", "Default", "StripString", ""},
    {"ValueWithEquals", "[Default]\r\nStripString=a=b\r\n", "Default", "StripString", "a=b"},
    {"ValueNotTrimmed", "[Default]\r\nA= x \t\r\n", "Default", "A", " x \t"},
    {"HeaderWithTrailingBlank", "[Default] \r\nA=1\r\n", "Default", "A", ""},
    {"KeyPrefixNotMatched", "[Default]\r\nAB=1\r\n", "Default", "A", ""},
    {"LineWithoutEqualsSkipped", "[Default]\r\nA\r\nA=2\r\n", "Default", "A", "2"},
    {"FirstKeyLineWins", "[Default]\r\nA=1\r\nA=2\r\n", "Default", "A", "1"},
    {"FirstEmptyKeyLineWins", "[Default]\r\nA=\r\nA=2\r\n", "Default", "A", ""},
    {"FirstOfDuplicateHeadersWins", "[Default]\r\nA=1\r\n[Default]\r\nA=2\r\n", "Default", "A",
     "1"},
    {"RepeatedHeaderOpensSectionAgain", "[Default]\r\nB=1\r\n[Other]\r\nA=3\r\n[Default]\r\nA=2",
     "Default", "A", "2"},
    {"OtherSectionNotRead", "[Other]\r\nA=1\r\n[Default]\r\nB=1\r\n", "Default", "A", ""},
    {"TextBeforeFirstHeaderIgnored", "A=1\r\n[Default]\r\nB=2\r\n", "Default", "A", ""},
    {"LineBeginningWithBracketEndsSection", "[Default]\r\n[x\r\nA=1\r\n", "Default", "A", ""},
    {"BracketValueReadable", "[Default]\r\nStripString=[x]\r\nA=1\r\n", "Default", "StripString",
     "[x]"},
    {"BracketValueDoesNotHideLaterKeys", "[Default]\r\nStripString=[x]\r\nA=1\r\n", "Default", "A",
     "1"},
    {"LastLineWithoutBreak", "[Default]\r\nA=1", "Default", "A", "1"},
    {"LoneCrEndsLine", "[Default]\rA=1\rB=2", "Default", "B", "2"},
    {"LoneLfEndsLine", "[Default]\r\nA=1\nB=2\r\n", "Default", "A", "1"},
    {"LfOnlyFile", "[Default]\nA=1\nB=2\n", "Default", "B", "2"},
    {"ByteOrderMarkBeforeHeader", "\xEF\xBB\xBF[Default]\r\nA=1\r\n", "Default", "A", "1"},
    {"NulInValue", "[Default]\r\nA=x\0y\r\n"s, "Default", "A", QString::fromUtf8("x\0y", 3)},
    {"Utf8Value", "[Default]\r\nA=\xC3\xA4\xE2\x82\xAC\r\n", "Default", "A",
     QString::fromUtf8("\xC3\xA4\xE2\x82\xAC")},
    {"Windows1252Value", "[Default]\r\nA=caf\xE9\x80\x9F\x81\r\n", "Default", "A",
     QString::fromUtf8("caf\xC3\xA9\xE2\x82\xAC\xC5\xB8\xC2\x81")},
    // A byte that is not UTF-8 spoils only its own line, whatever ends it.
    {"BadByteSpoilsOnlyItsLine", "[Default]\r\nA=\xC3\xA9\r\nB=\xE9\r\n", "Default", "A",
     QString::fromUtf8("\xC3\xA9")},
    {"BadByteBehindLoneCrOrLf", "[Default]\nB=\xE9\rA=\xF0\x9F\x98\x80\nC=\x80", "Default", "A",
     QString::fromUtf8("\xF0\x9F\x98\x80")},
};

class IniReadRows : public ::testing::TestWithParam<ReadRow> {};

TEST_P(IniReadRows, ValueRead) {
    const ReadRow& row = GetParam();
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    writeBytes(path, bytes(row.file));
    EXPECT_EQ(IniRead(path, row.section, row.key), row.expected);
    EXPECT_EQ(readBytes(path), bytes(row.file)) << "reading never changes the file";
}

INSTANTIATE_TEST_SUITE_P(Rows, IniReadRows, ::testing::ValuesIn(kReadRows),
                         quenby::test::RowName());

// ------------------------------------------------------- preparation and errors

TEST(IniPreparation, ReadingMissingFileCreatesItEmpty) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    EXPECT_EQ(IniRead(path, "Default", "A"), QString());
    ASSERT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(QFileInfo(path).size(), 0);
}

TEST(IniPreparation, ReadOnlyFileMadeWritableForOwner) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    writeBytes(path, "[Default]\r\nA=1\r\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    EXPECT_EQ(IniRead(path, "Default", "A"), "1");
    EXPECT_TRUE(QFile::permissions(path) & QFileDevice::WriteOwner);
    EXPECT_TRUE(QFile::permissions(path) & QFileDevice::ReadGroup) << "other bits untouched";
}

TEST(IniPreparation, ExistingFileNeverTruncated) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    writeBytes(path, "keep me");
    prepareFile(path);
    EXPECT_EQ(readBytes(path), "keep me");
}

// Each routine that touches the settings file, for the error tests.
struct FileOperation {
    const char* name;
    void (*run)(const QString& path);
};

const FileOperation kOperations[] = {
    {"IniRead", [](const QString& path) { IniRead(path, "Default", "A"); }},
    {"IniWrite", [](const QString& path) { IniWrite(path, "Default", "A", "1"); }},
    {"prepareFile", [](const QString& path) { prepareFile(path); }},
};

TEST(IniErrors, FolderInTheFilesPlace) {
    for (const FileOperation& op : kOperations) {
        SCOPED_TRACE(op.name);
        const TempFolder folder;
        const QString path = folder.file("qnb.ini");
        ASSERT_TRUE(QDir().mkdir(path));
        try {
            op.run(path);
            ADD_FAILURE() << "no FileError";
        } catch (const FileError& e) {
            EXPECT_EQ(e.path(), path);
            EXPECT_FALSE(e.reason().isEmpty());
        }
        EXPECT_TRUE(QFileInfo(path).isDir());
    }
}

TEST(IniErrors, MissingFolder) {
    for (const FileOperation& op : kOperations) {
        SCOPED_TRACE(op.name);
        const TempFolder parent;
        const QString folder = parent.file("gone");
        const QString path = folder + "/qnb.ini";
        try {
            op.run(path);
            ADD_FAILURE() << "no FileError";
        } catch (const FileError& e) {
            EXPECT_EQ(e.path(), path);
            EXPECT_TRUE(e.reason().contains("does not exist")) << e.what();
        }
        EXPECT_FALSE(QFileInfo::exists(folder));
    }
}

TEST(IniErrors, PipeInTheFilesPlaceIsRefusedWithoutWaiting) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_THROW(IniRead(path, "Default", "A"), FileError);
    EXPECT_THROW(IniWrite(path, "Default", "A", "1"), FileError);
}

TEST(IniErrors, FullDiskLeavesOldFileWhole) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    const QByteArray before = "[Default]\r\nA=1\r\nB=2\r\n";
    writeBytes(path, before);
    {
        const FileSizeLimit limit(4096);
        try {
            IniWrite(path, "Default", "A", QString(10000, 'x'));
            ADD_FAILURE() << "no FileError";
        } catch (const FileError& e) {
            EXPECT_EQ(e.path(), path);
            EXPECT_FALSE(e.reason().isEmpty());
        }
    }
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(folder.entries(), QStringList{"qnb.ini"}) << "temporary and lock files removed";
}

// In a folder others may write (world-writable, or sticky and not the
// user's), a file of another user could be swapped for a link by its owner
// at any moment, so it is neither read nor rewritten; in the user's own
// folder it is read and replaced as before. Root plays the user; the other
// user is uid 65534.
TEST(IniErrors, FileOfAnotherUserInASharedFolderIsRefused) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "files of another user need root to make";
    const struct {
        const char* name;
        mode_t folderMode;
        uid_t folderOwner;
        bool refused;
    } rows[] = {
        {"OwnFolder", 0755, 0, false},
        {"WorldWritable", 0777, 0, true},
        {"StickyOfOurs", 01777, 0, true},
        {"StickyOfAnother", 01755, 65534, true},
    };
    const QByteArray theirs = "[Default]\r\nA=theirs\r\n";
    for (const auto& row : rows) {
        for (const FileOperation& op : kOperations) {
            SCOPED_TRACE(std::string(row.name) + " " + op.name);
            const TempFolder folder;
            const QByteArray dir = QFile::encodeName(folder.path());
            const QString path = folder.file("qnb.ini");
            writeBytes(path, theirs);
            ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
            ASSERT_EQ(::chown(dir.constData(), row.folderOwner, 0), 0);
            ASSERT_EQ(::chmod(dir.constData(), row.folderMode), 0);
            try {
                op.run(path);
                EXPECT_FALSE(row.refused) << "no FileError";
            } catch (const FileError& e) {
                EXPECT_TRUE(row.refused) << e.what();
                EXPECT_TRUE(e.reason().contains("belongs to another user")) << e.what();
            }
            if (row.refused) {
                EXPECT_EQ(readBytes(path), theirs);
                EXPECT_EQ(QFileInfo(path).ownerId(), 65534u);
            }
        }
    }
}

// A lock file left empty (its writer died between creating and filling it)
// would otherwise block every write for Qt's stale time of 30 s.
TEST(IniLock, OldEmptyLockFileIsTakenOver) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    writeBytes(path + ".lock", "");
    QFile lockFile(path + ".lock");
    ASSERT_TRUE(lockFile.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lockFile.setFileTime(QDateTime::currentDateTime().addSecs(-10),
                                     QFileDevice::FileModificationTime));
    lockFile.close();
    IniWrite(path, "Default", "A", "1");
    EXPECT_EQ(readBytes(path), "[Default]\r\nA=1\r\n");
    EXPECT_FALSE(QFileInfo::exists(path + ".lock"));
}

// ------------------------------------------------------- round trips

TEST(IniRoundTrip, BracketValueReadsBackAndLaterKeysStayReadable) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    IniWrite(path, "Default", "A", "1");
    IniWrite(path, "Default", "StripString", "[x]");
    IniWrite(path, "Default", "B", "[");
    EXPECT_EQ(IniRead(path, "Default", "StripString"), "[x]");
    EXPECT_EQ(IniRead(path, "Default", "A"), "1");
    EXPECT_EQ(IniRead(path, "Default", "B"), "[");
    IniWrite(path, "Default", "A", "2");
    EXPECT_EQ(readBytes(path), "[Default]\r\nB=[\r\nStripString=[x]\r\nA=2\r\n");
}

TEST(IniRoundTrip, Windows1252FileReadThenRewritten) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    writeBytes(path, "[Default]\r\nStripString=\x93quoted\x94\r\nVal01=\xFC\r\n");
    EXPECT_EQ(IniRead(path, "Default", "StripString"),
              QString::fromUtf8("\xE2\x80\x9Cquoted\xE2\x80\x9D"));
    IniWrite(path, "Default", "Val02", QString::fromUtf8("\xC3\xA9"));
    EXPECT_EQ(IniRead(path, "Default", "Val01"), QString::fromUtf8("\xC3\xBC"));
    EXPECT_EQ(IniRead(path, "Default", "Val02"), QString::fromUtf8("\xC3\xA9"));
    EXPECT_EQ(IniRead(path, "Default", "StripString"),
              QString::fromUtf8("\xE2\x80\x9Cquoted\xE2\x80\x9D"));
    EXPECT_TRUE(readBytes(path).isValidUtf8());
}

// A random sequence of writes into a file the writer made itself reads back
// like a map, with the keys' capitalisation ignored.
TEST(IniRoundTrip, RandomWritesReadBackLikeAMap) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    const char* sections[] = {"Default", "Other", "two words"};
    const char* keys[] = {"A", "a", "StripString", "stripSTRING", "Val01", "Key=1"};
    const QString alphabet = QString::fromUtf8("ab[]= \t\xC3\xA9\xE2\x82\xAC");
    std::mt19937 random(12345);
    std::map<std::pair<QString, QString>, QString> model;
    for (int step = 0; step < 300; ++step) {
        const QString section = sections[random() % 3];
        const QString key = keys[random() % 6];
        QString value;
        for (int n = random() % 6; n > 0; --n)
            value += alphabet[int(random() % alphabet.size())];
        IniWrite(path, section, key, value);
        model[{section.toLower(), key.toLower()}] = value;
        for (const auto& [name, stored] : model)
            ASSERT_EQ(IniRead(path, name.first, name.second), stored)
                << "step " << step << " " << shown(readBytes(path));
    }
    EXPECT_FALSE(readBytes(path).contains("\r\n\r\n\r\n"));
}

// ------------------------------------------------------- the in-memory routines

// The blank-line clean-up in its literal form: replace every CR LF CR LF CR LF
// by CR LF CR LF, left to right, until none is left.
QByteArray collapseByRepeatedReplace(QByteArray text) {
    while (text.contains("\r\n\r\n\r\n"))
        text.replace("\r\n\r\n\r\n", "\r\n\r\n");
    return text;
}

TEST(IniText, OnePassCollapseEqualsRepeatedReplace) {
    std::mt19937 random(7);
    const char alphabet[] = {'\r', '\n', 'a'};
    for (int round = 0; round < 20000; ++round) {
        QByteArray text;
        for (int n = random() % 40; n > 0; --n)
            text += alphabet[random() % 3];
        ASSERT_EQ(shown(collapseBlankLines(text)), shown(collapseByRepeatedReplace(text)))
            << shown(text);
    }
}

// Arbitrary bytes never crash the reader or the writer, and the writer's
// output always has its clean shape.
TEST(IniText, ArbitraryBytesGiveCleanOutput) {
    std::mt19937 random(99);
    const char alphabet[] = {'\r', '\n', '[', ']', '=', 'a', 'D', '\0', '\t', ' ', '\x80', '\xC3'};
    for (int round = 0; round < 5000; ++round) {
        QByteArray text;
        for (int n = random() % 60; n > 0; --n)
            text += alphabet[random() % sizeof alphabet];
        const QByteArray out = storeIniValue(text, "d", "a", "v");
        ASSERT_TRUE(out.endsWith("\r\n")) << shown(text);
        ASSERT_FALSE(out.contains("\r\n\r\n\r\n")) << shown(text);
        ASSERT_GT(static_cast<unsigned char>(out[0]), 13) << shown(text);
        const std::optional<QByteArray> value = findIniValue(text, "d", "a");
        if (value) {
            ASSERT_FALSE(value->contains('\r')) << shown(text);
        }
    }
}

// ------------------------------------------------------- large files

// A settings file of about 50 MB: the key on its last line is found, replaced
// in place and read back; the rest of the file is unchanged.
TEST(IniLargeFile, FiftyMegabytesReadAndRewritten) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    QByteArray content = "[Default]\r\n";
    const QByteArray filler = "Filler=" + QByteArray(90, 'x') + "\r\n";
    content.reserve(52'000'000);
    while (content.size() < 50'000'000)
        content += filler;
    content += "Last=old\r\n";
    writeBytes(path, content);
    EXPECT_EQ(IniRead(path, "Default", "Last"), "old");
    IniWrite(path, "Default", "Last", "new");
    const QByteArray after = readBytes(path);
    ASSERT_EQ(after.size(), content.size());
    EXPECT_TRUE(after.endsWith("\r\nLast=new\r\n"));
    EXPECT_EQ(after.left(after.size() - 5), content.left(content.size() - 5));
    EXPECT_EQ(IniRead(path, "Default", "Last"), "new");
}

TEST(IniLargeFile, FiftyMegabyteLineWithoutBreaks) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    writeBytes(path, "[Default]\r\nA=" + QByteArray(50'000'000, '['));
    EXPECT_EQ(IniRead(path, "Default", "A").size(), 50'000'000);
    IniWrite(path, "Default", "A", "short");
    EXPECT_EQ(readBytes(path), "[Default]\r\nA=short\r\n");
}

} // namespace
