#include "cli/arguments.h"
#include "engine/strip.h"
#include "support/rows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using quenby::test::operator<<;

const QString kProgram = QStringLiteral(QUENBY_STRIP);

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

struct Launch {
    QString program = kProgram;
    QString workingDirectory;
    QString outputFile;      // standard output goes there instead of being read
    int closedFd = -1;       // a standard descriptor the program starts without
    rlim_t addressSpace = 0; // a bound on the program's memory, when not 0
};

// Runs the program to its end with the arguments and standard input given.
Result run(const QStringList& arguments, const QByteArray& input = QByteArray(),
           const Launch& launch = Launch()) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8")); // messages in English
    p.setProcessEnvironment(env);
    if (!launch.workingDirectory.isEmpty())
        p.setWorkingDirectory(launch.workingDirectory);
    if (!launch.outputFile.isEmpty())
        p.setStandardOutputFile(launch.outputFile);
    p.setChildProcessModifier([launch] {
        if (launch.closedFd >= 0)
            ::close(launch.closedFd);
        if (launch.addressSpace > 0) {
            const rlimit bound{launch.addressSpace, launch.addressSpace};
            ::setrlimit(RLIMIT_AS, &bound);
        }
    });
    p.start(launch.program, arguments);
    Result r;
    if (!p.waitForStarted(10000)) {
        ADD_FAILURE() << "could not start " << launch.program.toStdString();
        return r;
    }
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(50000) || p.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "the program did not end normally";
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QByteArray utf8(const char* s) {
    return QByteArray(s);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// ---------------------------------------------------------------------------
// The engine's rules, through the program.

struct RuleRow {
    const char* name;
    QStringList arguments;
    QByteArray input;
    QByteArray out;
    QByteArray err; // the count, when asked for
};

class CliProgramRules : public ::testing::TestWithParam<RuleRow> {};

TEST_P(CliProgramRules, WritesWhatTheRulesSay) {
    const RuleRow& row = GetParam();
    const Result r = run(row.arguments, row.input);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, row.out);
    EXPECT_EQ(r.err, row.err);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliProgramRules,
    ::testing::Values(
        RuleRow{"DefaultsTakeVowelsAndY", {}, "Yay, Quenby!\n", ", Qnb!\n", ""},
        RuleRow{"LowerCaseWithoutY", {"--case=lower", "--no-include-y"}, "AaEeYy\n", "AEYy\n", ""},
        RuleRow{"IncludeYWithoutVowels", {"--no-vowels", "--include-y"}, "Yay", "Yay", ""},
        RuleRow{"IgnoringCaseCountsAll",
                {"--no-vowels", "--strip=cat", "--replace=dog", "--ignore-case", "--count"},
                "Cat CAT cat",
                "dog dog dog",
                "3\n"},
        RuleRow{"CaseSensitiveCountsOne",
                {"--no-vowels", "--strip", "cat", "--replace", "dog", "--count"},
                "Cat CAT cat",
                "Cat CAT dog",
                "1\n"},
        RuleRow{"NoOverlap",
                {"--no-vowels", "--strip=aa", "--replace=b", "--count"},
                "aaa",
                "ba",
                "1\n"},
        RuleRow{"ReplacementIsStripped", {"--strip=x", "--replace=e"}, "axb", "b", ""},
        RuleRow{"DigitsKeepSlashAndColon", {"--no-vowels", "--digits"}, "a2/b:9", "a/b:", ""},
        RuleRow{"SpacesKeepTabsAndBreaks",
                {"--no-vowels", "--spaces"},
                "a b\tc\r\nd e\n",
                "ab\tc\r\nde\n",
                ""},
        RuleRow{"PunctuationByCodePage",
                {"--no-vowels", "--punctuation"},
                utf8("Hi! ~x\u00A0\u20AC \u00C0\u00F7"),
                utf8("Hi x \u00C0\u00F7"),
                ""},
        RuleRow{"SlotWithMarker", {"--no-vowels", "--slot=x", "--marker=#"}, "xyzX", "#yzX", ""},
        RuleRow{"SlotWithoutMarker", {"--no-vowels", "--slot=x"}, "xyz", "yz", ""},
        RuleRow{"UniqueStartsOfLongOptions",
                {"--no-vow", "--str", "b", "--rep=p", "--co", "--case-s"},
                "abBa",
                "apBa",
                "1\n"},
        RuleRow{"PairAsSlotAndMarker",
                {"--no-vowels", QString::fromUtf8("--slot=\xF0\x9F\x98\x80"),
                 QString::fromUtf8("--marker=\xE2\x98\x85")},
                "a\xF0\x9F\x98\x80"
                "b",
                "a\xE2\x98\x85"
                "b",
                ""},
        RuleRow{"SharpSIgnoringCase",
                {"--no-vowels", "--ignore-case", QString::fromUtf8("--strip=\u00DF"), "--replace=-",
                 "--count"},
                utf8("SS\u00DFss"),
                "SS-ss",
                "1\n"},
        RuleRow{
            "AccentedIgnoringCase",
            {"--no-vowels", "--ignore-case", QString::fromUtf8("--strip=\u00E9"), "--replace=-"},
            utf8("\u00C9t\u00C9\u00E9"),
            "-t--",
            ""},
        RuleRow{"CrLfKept", {}, "line one\r\nline two\r\n", "ln n\r\nln tw\r\n", ""},
        RuleRow{"CountWithoutStripString", {"--count"}, "abc", "bc", "0\n"},
        RuleRow{"EmptyInput", {"--strip=x", "--count"}, "", "", "0\n"}),
    quenby::test::RowName());

// ---------------------------------------------------------------------------
// Reads of any size: the text cut wherever the reads end, inside UTF-8
// sequences, inside occurrences of the strip string and inside pairs.

QString mixedText(int characters, unsigned seed) {
    std::mt19937 random(seed);
    const QStringList pieces = {"a",
                                "e",
                                "t",
                                " ",
                                "\r\n",
                                "cat",
                                "CAT",
                                "needle in a haystack",
                                "NEEDLE IN A",
                                "1",
                                "!",
                                QString::fromUtf8("\u00E9"),
                                QString::fromUtf8("\u00C9"),
                                QString::fromUtf8("\u20AC"),
                                QString::fromUtf8("\u4E2D"),
                                QString::fromUtf8("\xF0\x9F\x98\x80")};
    QString text;
    while (text.size() < characters)
        text += pieces[int(random() % pieces.size())];
    return text;
}

struct ChunkCase {
    const char* name;
    QStringList arguments;
    quenby::StripOptions options; // the same, for the engine
};

quenby::StripOptions withString(const char* s, const char* replacement, bool caseSensitive) {
    quenby::StripOptions o;
    o.stripString = QString::fromUtf8(s);
    o.replacement = QString::fromUtf8(replacement);
    o.caseSensitive = caseSensitive;
    return o;
}

class CliProgramChunks : public ::testing::TestWithParam<ChunkCase> {};

TEST_P(CliProgramChunks, AnyReadSizeGivesTheWholeTextsResult) {
    const ChunkCase& c = GetParam();
    const QString text = mixedText(20000, 5);
    const quenby::StripResult want = quenby::strip(text, c.options);
    ASSERT_GT(want.count.value_or(0), 10);
    for (const int chunk : {1, 2, 3, 5, 7, 64, 257, 4099, 1 << 20}) {
        QStringList arguments = c.arguments;
        arguments << QStringLiteral("--count") << QStringLiteral("--chunk-size=%1").arg(chunk);
        const Result r = run(arguments, text.toUtf8());
        EXPECT_EQ(r.exitCode, 0) << "chunk " << chunk;
        EXPECT_TRUE(r.out == want.text.toUtf8()) << "chunk " << chunk;
        EXPECT_EQ(r.err, QByteArray::number(*want.count) + '\n') << "chunk " << chunk;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Options, CliProgramChunks,
    ::testing::Values(
        ChunkCase{"ShortStringIgnoringCase",
                  {"--strip=cat", "--replace=dog", "--ignore-case"},
                  withString("cat", "dog", false)},
        // Longer than the engine's compare windows; the replacement is longer too.
        ChunkCase{"LongStringIgnoringCase",
                  {"--strip=needle in a", "--replace=<found>", "--ignore-case", "--punctuation"},
                  [] {
                      quenby::StripOptions o = withString("needle in a", "<found>", false);
                      o.stripPunctuation = true;
                      return o;
                  }()},
        ChunkCase{"PairInTheString",
                  {QString::fromUtf8("--strip=\u20AC\xF0\x9F\x98\x80"), "--replace=E"},
                  withString("\u20AC\xF0\x9F\x98\x80", "E", true)}),
    quenby::test::RowName());

// ---------------------------------------------------------------------------
// Files.

class CliProgramFiles : public ::testing::Test {
protected:
    QString path(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)); }
    QString file(const char* name, const QByteArray& bytes) {
        writeFile(path(name), bytes);
        return path(name);
    }

    QTemporaryDir m_dir;
};

// The files are one text: an occurrence may begin in one and end in the next.
TEST_F(CliProgramFiles, AreOneTextInTheirOrder) {
    const QString a = file("a.txt", "xx c");
    const QString b = file("b.txt", "t yy\n");
    const Result r =
        run({a, "--no-vowels", "-", "--strip=cat", b, "--replace=dog", "--count"}, "a");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "xx dog yy\n");
    EXPECT_EQ(r.err, "1\n");
}

TEST_F(CliProgramFiles, DoubleDashEndsTheOptions) {
    file("--vowels", "aei");
    Launch l;
    l.workingDirectory = m_dir.path();
    const Result r = run({"--no-vowels", "--", "--vowels"}, "", l);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "aei");
}

// As cat does: a file that cannot be read is reported, the others are read.
TEST_F(CliProgramFiles, MissingFileIsReportedAndTheRestRead) {
    const QString a = file("a.txt", "one ");
    const QString b = file("b.txt", "two");
    const QString missing = path("missing.txt");
    const Result r = run({"--no-vowels", a, missing, m_dir.path(), b});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "one two");
    EXPECT_EQ(QString::fromUtf8(r.err),
              QStringLiteral("quenby-strip: %1: No such file or directory\n"
                             "quenby-strip: %2: Is a directory\n")
                  .arg(missing, m_dir.path()));
}

// A UTF-8 sequence may run across files, and through standard input between.
TEST_F(CliProgramFiles, AreOneTextAcrossASequence) {
    const Result r = run({file("a.txt", "x\xF0"), "-", file("b.txt", "\x80")}, "\x9F\x98");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "x\xF0\x9F\x98\x80");
    EXPECT_EQ(r.err, "");
}

// ---------------------------------------------------------------------------
// Invalid input: the stripped text before the bad sequence is written, then
// the program stops with the sequence's byte offset in the file where it
// begins.

struct BadTextRow {
    const char* name;
    QByteArray first;
    QByteArray second;
    QByteArray out;
    int file;                        // where the bad sequence begins: 1 or 2
    qint64 offset;                   // in that file
    QByteArray third = "never read"; // nothing of it is written
};

class CliProgramBadText : public ::testing::TestWithParam<BadTextRow> {};

TEST_P(CliProgramBadText, StopsAtTheOffsetWithStatusOne) {
    const BadTextRow& row = GetParam();
    QTemporaryDir dir;
    const QString first = dir.filePath("first.txt");
    const QString second = dir.filePath("second.txt");
    const QString third = dir.filePath("third.txt");
    writeFile(first, row.first);
    writeFile(second, row.second);
    writeFile(third, row.third);
    for (const char* chunk : {"--chunk-size=1", "--chunk-size=3", "--chunk-size=65536"}) {
        const Result r = run({chunk, "--strip=cat", "--replace=dog", first, second, third});
        EXPECT_EQ(r.exitCode, 1) << chunk;
        EXPECT_EQ(r.out, row.out) << chunk;
        EXPECT_EQ(QString::fromUtf8(r.err),
                  QStringLiteral("quenby-strip: %1: invalid UTF-8 at byte offset %2\n")
                      .arg(row.file == 1 ? first : second)
                      .arg(row.offset))
            << chunk;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliProgramBadText,
    ::testing::Values(
        BadTextRow{"Latin1Byte", "xca", "t caf\xE9 cat", "xdg cf", 2, 5},
        // An occurrence cut off by the bad sequence is not one.
        BadTextRow{"InsideAnOccurrence", "", "\xE2\x82\xAC ca\xC3(t", "\xE2\x82\xAC c", 2, 6},
        BadTextRow{"CutOffByTheNextFile", "b", "\xE2\x82\xAC\xE2\x82", "b\xE2\x82\xAC", 2, 3},
        BadTextRow{"CutOffAtTheEnd", "b", "\xE2\x82\xAC\xE2\x82", "b\xE2\x82\xAC", 2, 3, ""},
        BadTextRow{"Surrogate", "", "zz\xED\xA0\x80", "zz", 2, 2},
        // The offset counts from the second file's start, not from
        // the start of the sequence completed there.
        BadTextRow{"AfterASequenceAcrossFiles", "ca\xF0\x9F", "\x98\x80t\xFF", "c\xF0\x9F\x98\x80t",
                   2, 3},
        BadTextRow{"BegunInTheFirstFile", "xc\xE2\x82", "t", "xc", 1, 2}),
    quenby::test::RowName());

TEST(CliProgramEncoding, Windows1252InputWhenAskedFor) {
    const QByteArray bytes = "\x80 \x93q\x94 caf\xE9";
    const Result r = run({"--input-encoding=windows-1252", "--no-vowels", "--punctuation"}, bytes);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, utf8(" q caf\u00E9"));
    EXPECT_EQ(r.err, "");
    const Result strict = run({"--no-vowels", "--punctuation"}, bytes);
    EXPECT_EQ(strict.exitCode, 1);
    EXPECT_EQ(strict.out, "");
    EXPECT_EQ(strict.err, "quenby-strip: standard input: invalid UTF-8 at byte offset 0\n");
}

// ---------------------------------------------------------------------------
// The window's settings file as the starting point.

const QByteArray kSettings = "[Default]\r\n"
                             "CaseOption=1\r\n"
                             "StripVowels=1\r\n"
                             "incY=0\r\n"
                             "StripNumbers=1\r\n"
                             "StripPunctuation=0\r\n"
                             "StripSpaces=abc\r\n"
                             "SameCase=0\r\n"
                             "Val01=x\r\n"
                             "Val04=q\r\n"
                             "Val11=z\r\n"
                             "Val12=#\r\n"
                             "StripString=CAT\r\n"
                             "ReplaceString=dog\r\n";
const QByteArray kSettingsInput = "A cat, x, q, z, y 42 Cat!";

class CliProgramSettings : public ::testing::Test {
protected:
    QString settingsFile(const QByteArray& bytes) {
        const QString path = m_dir.filePath(QStringLiteral("qnb.ini"));
        writeFile(path, bytes);
        return path;
    }
    QString warning(const QString& path) const {
        return QStringLiteral(
                   "quenby-strip: warning: %1: StripSpaces=abc is not 0, 1 or 2; using 0\n")
            .arg(path);
    }

    QTemporaryDir m_dir;
};

// Lower-case vowels without Y, digits, a case-insensitive strip string whose
// replacement loses its vowel, slots A and ee (slot Y is not the engine's),
// the marker; spaces keep their default after the warning.
TEST_F(CliProgramSettings, GiveTheStartingOptions) {
    const QString path = settingsFile(kSettings);
    const Result r = run({"--count", "--settings=" + path}, kSettingsInput);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "A dg, #, #, z, y  dg!");
    EXPECT_EQ(QString::fromUtf8(r.err), warning(path) + QStringLiteral("2\n"));
}

// Wherever they stand, the other options win over the file.
TEST_F(CliProgramSettings, OtherOptionsOverrideThem) {
    const QString path = settingsFile(kSettings);
    const QStringList overrides = {"--case=both", "--spaces", "--strip=", "--no-slots"};
    for (const QStringList& arguments : {QStringList{"--settings=" + path} + overrides,
                                         overrides + QStringList{"--settings=" + path}}) {
        const Result r = run(arguments, kSettingsInput);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out, "ct,x,q,z,yCt!");
        EXPECT_EQ(QString::fromUtf8(r.err), warning(path));
    }
}

// As in the window: 2 (a grey check box) is unticked, 3 is no value at all.
TEST_F(CliProgramSettings, ValuesOutsideTheBoxesTakeTheDefault) {
    const QString path = settingsFile("[Default]\r\nStripVowels=2\r\nCaseOption=3\r\n");
    const Result r = run({"--settings=" + path}, "aeiou");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "aeiou");
    EXPECT_EQ(QString::fromUtf8(r.err),
              QStringLiteral("quenby-strip: warning: %1: CaseOption=3 is not 0, 1 or 2; using 2\n")
                  .arg(path));
}

// Without a name, the file the window uses: beside the program, which may
// write there. A missing file is an error and is not created.
TEST_F(CliProgramSettings, DefaultIsTheWindowsFileBesideTheProgram) {
    Launch l;
    l.program = m_dir.filePath(QStringLiteral("quenby-strip"));
    ASSERT_TRUE(QFile::copy(kProgram, l.program));
    const QString path = settingsFile("[Default]\r\nStripVowels=0\r\nStripString=x\r\n");
    const Result r = run({"--settings"}, "axa", l);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "aa");

    ASSERT_TRUE(QFile::remove(path));
    const Result missing = run({"--settings"}, "axa", l);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(QString::fromUtf8(missing.err),
              QStringLiteral("quenby-strip: --settings: %1: the file does not exist\n").arg(path));
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(CliProgramSettings, MissingNamedFileIsAnErrorAndNotCreated) {
    const QString path = m_dir.filePath(QStringLiteral("none.ini"));
    const Result r = run({"--settings=" + path}, "abc");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(QString::fromUtf8(r.err),
              QStringLiteral("quenby-strip: --settings: %1: the file does not exist\n").arg(path));
    EXPECT_FALSE(QFile::exists(path));
}

// A file too large to read and a link to another user's file: one line,
// status 1, the file left as it is.
TEST_F(CliProgramSettings, UnusableFileIsOneLineAndStatusOne) {
    const QString huge = m_dir.filePath(QStringLiteral("huge.ini"));
    QFile file(huge);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(qint64(2) << 30));
    file.close();
    const QString theirs = m_dir.filePath(QStringLiteral("theirs.ini"));
    writeFile(theirs, "[Default]\r\nStripVowels=1\r\n");
    ASSERT_EQ(::chown(QFile::encodeName(theirs).constData(), 65534, 65534), 0);
    const QString link = m_dir.filePath(QStringLiteral("qnb.ini"));
    ASSERT_TRUE(QFile::link(theirs, link));
    for (const auto& [path, reason] :
         {std::pair(huge, "more than the 1 GiB"), std::pair(link, "belongs to another user")}) {
        const Result r = run({"--settings=" + path}, "abc");
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(r.err.startsWith("quenby-strip: --settings: " + path.toUtf8() + ": "));
        EXPECT_TRUE(r.err.contains(reason)) << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1);
    }
    EXPECT_EQ(QFileInfo(huge).size(), qint64(2) << 30);
}

// ---------------------------------------------------------------------------
// The command line itself.

struct UsageRow {
    const char* name;
    QStringList arguments;
    const char* message;
};

class CliProgramUsage : public ::testing::TestWithParam<UsageRow> {};

TEST_P(CliProgramUsage, BadUsageIsStatusTwoWithTheReasonAndAPointerToTheHelp) {
    const UsageRow& row = GetParam();
    const Result r = run(row.arguments, "text");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, QByteArray("quenby-strip: ") + row.message +
                         "\nTry 'quenby-strip --help' for more information.\n");
}

QStringList elevenSlots() {
    QStringList a;
    for (char c = 'a'; c <= 'k'; ++c)
        a << QStringLiteral("--slot=") + QLatin1Char(c);
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliProgramUsage,
    ::testing::Values(
        UsageRow{"Unknown", {"--bogus"}, "unrecognized option '--bogus'"},
        UsageRow{"UnknownWithValue", {"--bogus=1"}, "unrecognized option '--bogus'"},
        UsageRow{"UnknownAfterFiles", {"-", "--bogus"}, "unrecognized option '--bogus'"},
        UsageRow{"ShortOption", {"-x"}, "invalid option -- 'x'"},
        UsageRow{"ShortOptionBeforeHelpsLetter", {"-xh"}, "invalid option -- 'x'"},
        UsageRow{"ShortOptionNotAscii", {"-\u00e9"}, "invalid option -- '\u00e9'"},
        UsageRow{"Ambiguous",
                 {"--no-"},
                 "option '--no-' is ambiguous; possibilities: '--no-digits' '--no-include-y' "
                 "'--no-punctuation' '--no-slots' '--no-spaces' '--no-vowels'"},
        UsageRow{"AmbiguousWithValue",
                 {"--s=x"},
                 "option '--s' is ambiguous; possibilities: '--settings' '--slot' '--spaces' "
                 "'--strip'"},
        UsageRow{"AbbreviatedFlagWithValue",
                 {"--vow=yes"},
                 "option '--vowels' doesn't allow an argument"},
        UsageRow{"SettingsWithEmptyValue", {"--settings="}, "--settings: '' is not a file name"},
        UsageRow{
            "SettingsAbbreviatedWithEmptyValue", {"--set="}, "--settings: '' is not a file name"},
        UsageRow{"CaseWord", {"--case=middle"}, "--case: 'middle' is not upper, lower or both"},
        UsageRow{"CaseWithoutValue", {"--case"}, "option '--case' requires an argument"},
        UsageRow{"SlotOfTwo", {"--slot=ab"}, "--slot: 'ab' is not one character"},
        UsageRow{"SlotEmpty", {"--slot="}, "--slot: '' is not one character"},
        UsageRow{"ElevenSlots", elevenSlots(), "--slot: more than ten slots"},
        UsageRow{"MarkerOfTwo", {"--marker=ab"}, "--marker: 'ab' is not one character (or empty)"},
        UsageRow{"FlagWithValue", {"--vowels=yes"}, "option '--vowels' doesn't allow an argument"},
        UsageRow{"Encoding",
                 {"--input-encoding=latin9"},
                 "--input-encoding: 'latin9' is not utf-8 or windows-1252"},
        UsageRow{"ChunkSize",
                 {"--chunk-size=0"},
                 "--chunk-size: '0' is not a number from 1 to 16777216"},
        UsageRow{"HelpAfterAnError", {"--bogus", "--help"}, "unrecognized option '--bogus'"},
        UsageRow{"ControlCharactersShownAsEscapes",
                 {"--bo\x1b[2Jgus"},
                 "unrecognized option '--bo\\x1B[2Jgus'"}),
    quenby::test::RowName());

TEST(CliProgramUsageInProcess, ValuesMayFollowAndMustBeUtf8) {
    using quenby::cli::parseArguments;
    const quenby::cli::Invocation inv =
        parseArguments({"--case", "upper", "--strip", "-x-", "--settings", "f.txt"});
    EXPECT_EQ(inv.overrides.caseChoice, quenby::CaseChoice::Upper);
    EXPECT_EQ(inv.overrides.stripString, QStringLiteral("-x-"));
    // An optional value only comes after "=": here f.txt is an input.
    EXPECT_TRUE(inv.useSettings);
    EXPECT_TRUE(inv.settingsFile.isEmpty());
    EXPECT_EQ(inv.files, std::vector<QByteArray>{"f.txt"});
    EXPECT_THROW(parseArguments({"--strip=a\xFF"}), quenby::cli::UsageError);
}

TEST(CliProgramHelp, HelpAndVersionGoToStandardOutput) {
    const Result help = run({"--no-vowels", "--help", "--bogus"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: quenby-strip [OPTION]... [FILE]...\n"));
    EXPECT_TRUE(help.out.contains("--settings[=FILE]"));
    EXPECT_EQ(help.err, "");
    // The short forms, and any unique start of the long ones.
    for (const QStringList& asked : {QStringList{"-h"}, QStringList{"--he"}, QStringList{"-hV"}})
        EXPECT_EQ(run(asked).out, help.out) << asked.join(' ').toStdString();
    for (const QStringList& asked :
         {QStringList{"--version"}, QStringList{"-V"}, QStringList{"--vers"}, QStringList{"-Vh"}}) {
        const Result version = run(asked);
        EXPECT_EQ(version.exitCode, 0);
        EXPECT_EQ(version.out, "quenby-strip 5.0\n") << asked.join(' ').toStdString();
        EXPECT_EQ(version.err, "");
    }
}

// An unknown option's bytes that are not UTF-8 are shown as escapes, so the
// user sees which byte the shell passed (here a Latin-1 "é").
TEST(CliProgramUsage, UnknownBytesAreShownAsEscapes) {
    Launch shell;
    shell.program = QStringLiteral("/bin/sh");
    const Result r = run({"-c", "exec \"$0\" \"$(printf '%s\\351' --caf)\"", kProgram}, "", shell);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "quenby-strip: unrecognized option '--caf\\xE9'\n"
                     "Try 'quenby-strip --help' for more information.\n");
}

TEST(CliProgramUsageInProcess, UnknownBytesAreShownAsEscapes) {
    using quenby::cli::parseArguments;
    const auto message = [](const QByteArray& argument) -> std::string {
        try {
            parseArguments({argument});
        } catch (const quenby::cli::UsageError& e) {
            return e.what();
        }
        return "(accepted)";
    };
    EXPECT_EQ(message("--caf\xE9"), "unrecognized option '--caf\\xE9'");
    EXPECT_EQ(message("--caf\xC3\xA9=\xFF"), "unrecognized option '--caf\u00e9'");
    EXPECT_EQ(message("--\xF0\x9F\x98"), "unrecognized option '--\\xF0\\x9F\\x98'");
    EXPECT_EQ(message("-\xFF"), "invalid option -- '\\xFF'");
}

// A standard descriptor the program starts without fails as a closed one
// does, and is not taken by a file the program opens.
struct ClosedRow {
    const char* name;
    int fd;
    QStringList arguments;
    QByteArray input;
    int exitCode;
    QByteArray out;
    QByteArray err;
};

class CliProgramClosed : public ::testing::TestWithParam<ClosedRow> {};

TEST_P(CliProgramClosed, FailsWithTheSystemsReason) {
    const ClosedRow& row = GetParam();
    Launch l;
    l.closedFd = row.fd;
    const Result r = run(row.arguments, row.input, l);
    EXPECT_EQ(r.exitCode, row.exitCode);
    EXPECT_EQ(r.out, row.out);
    EXPECT_EQ(r.err, row.err);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliProgramClosed,
    ::testing::Values(
        ClosedRow{
            "Output", 1, {}, "bcdfghjk", 1, "", "quenby-strip: write error: Bad file descriptor\n"},
        ClosedRow{"OutputWithNothingToWrite", 1, {}, "", 0, "", ""},
        ClosedRow{"Input", 0, {}, "", 1, "", "quenby-strip: standard input: Bad file descriptor\n"},
        // The count is output as well.
        ClosedRow{"ErrorWithCount", 2, {"--count"}, "bad", 1, "bd", ""}),
    quenby::test::RowName());

// /dev/full refuses every write with ENOSPC.
TEST(CliProgramOutput, WriteFailureIsStatusOne) {
    Launch l;
    l.outputFile = QStringLiteral("/dev/full");
    for (const QStringList& arguments : {QStringList{}, QStringList{"--help"}}) {
        const Result r = run(arguments, "some text", l);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, "quenby-strip: write error: No space left on device\n");
    }
}

} // namespace

// Memory that runs out while a piece is stripped ends the run with a message
// and status 1, not an abort.
TEST(CliProgramMemory, RunningOutIsAFailureWithAMessage) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the bound leaves";
#else
    // A file, so that one read takes all of it. The program and its libraries
    // load in about 60 MB; each of the 16 Mi "a" becomes 24 characters, which
    // takes over 150 MB however the output is cut.
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("a.txt"));
    QFile file(input);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(QByteArray(16 << 20, 'a')), 16 << 20);
    file.close();
    Launch l;
    l.addressSpace = rlim_t(100) << 20;
    const Result r = run(
        {"--chunk-size=16777216", "--strip=a", "--replace=xzxzxzxzxzxzxzxzxzxzxzxz", input}, {}, l);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "quenby-strip: out of memory\n");
#endif
}
