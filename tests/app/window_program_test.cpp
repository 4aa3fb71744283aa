#include "support/rows.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The rows below live outside the unnamed namespace: their printer is found
// by argument-dependent lookup in the global namespace.
using quenby::test::operator<<;

namespace {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The environment of a session without any display: nothing tells Qt where
// a window could go.
QProcessEnvironment withoutDisplay() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "QT_QPA_PLATFORM",
                             "QT_QPA_PLATFORMTHEME", "XDG_SESSION_TYPE"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    return env;
}

Result run(const QStringList& arguments, const QProcessEnvironment& env = withoutDisplay()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(QUENBY_WINDOW), arguments);
    Result r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "the program did not end by itself with a status";
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace

TEST(WindowProgram, HelpAndVersionNeedNoDisplay) {
    const Result help = run({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_TRUE(help.out.startsWith("Usage: quenby [OPTION]... [QT-OPTION]...\n"));
    for (const char* part :
         {"-platform NAME", "qnb.ini", "qnbtext.ini", "quenby-strip(1)", "Exit status:"})
        EXPECT_TRUE(help.out.contains(part)) << part;
    // The help given by -h is the same.
    EXPECT_EQ(run({QStringLiteral("-h")}).out, help.out);

    for (const char* option : {"--version", "-V"}) {
        const Result version = run({QLatin1String(option)});
        EXPECT_EQ(version.exitCode, 0) << option;
        EXPECT_EQ(version.out, "quenby 5.0\n") << option;
        EXPECT_EQ(version.err, "") << option;
    }
}

struct RefusedRow {
    const char* name;
    QStringList arguments;
    const char* message;
};

class WindowProgramRefuses : public ::testing::TestWithParam<RefusedRow> {};

// Refused before any display is looked for: the same answer without one.
TEST_P(WindowProgramRefuses, WithStatusTwoAndAPointerToTheHelp) {
    const RefusedRow& row = GetParam();
    const Result r = run(row.arguments);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, QByteArray("quenby: ") + row.message +
                         "\nTry 'quenby --help' for more information.\n");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WindowProgramRefuses,
    ::testing::Values(
        RefusedRow{"UnknownLong", {"--bogus"}, "unrecognized option '--bogus'"},
        RefusedRow{"UnknownShort", {"-x"}, "unrecognized option '-x'"},
        RefusedRow{"UnknownAfterQtOption",
                   {"-platform", "offscreen", "--frobnicate=1"},
                   "unrecognized option '--frobnicate=1'"},
        RefusedRow{
            "QtOptionWithoutItsValue", {"-platform"}, "option '-platform' requires an argument"},
        RefusedRow{"AFile", {"notes.txt"}, "extra operand 'notes.txt' (the window opens no file)"},
        RefusedRow{"AnythingAfterDoubleDash",
                   {"--", "--help"},
                   "extra operand '--help' (the window opens no file)"},
        RefusedRow{"ErrorBeforeHelp", {"--bogus", "--help"}, "unrecognized option '--bogus'"}),
    quenby::test::RowName());

// Without a display the program says so in one line and ends with status 1,
// rather than aborting with Qt's plugin error.
TEST(WindowProgram, WithoutADisplaySaysSoInOneLine) {
    const Result unset = run({});
    EXPECT_EQ(unset.exitCode, 1);
    EXPECT_EQ(unset.out, "");
    EXPECT_EQ(unset.err, "quenby: cannot open the window: no display could be reached (DISPLAY "
                         "is not set, WAYLAND_DISPLAY is not set)\n");

    // A display named but not there: no server listens on this socket.
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    QProcessEnvironment env = withoutDisplay();
    env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4711"));
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-gone"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    const Result gone = run({}, env);
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_EQ(gone.err, "quenby: cannot open the window: no display could be reached (DISPLAY "
                        "is ':4711', WAYLAND_DISPLAY is 'wayland-gone')\n");
}

struct OpenRow {
    const char* name;
    QStringList arguments;
    const char* platform; // QT_QPA_PLATFORM, or null
};

class WindowProgramOpens : public ::testing::TestWithParam<OpenRow> {};

// Qt's options and its environment reach Qt: the offscreen platform needs no
// display, and the window starts (its start-up prepares the saved-texts
// file beside a copy of the program) and runs until it is ended.
TEST_P(WindowProgramOpens, WithQtsOptions) {
    const OpenRow& row = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString copy = QDir(dir.path()).filePath(QStringLiteral("quenby"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUENBY_WINDOW), copy));
    QProcessEnvironment env = withoutDisplay();
    if (row.platform)
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QLatin1String(row.platform));
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(copy, row.arguments);
    ASSERT_TRUE(p.waitForStarted(30000));
    const QString texts = QDir(dir.path()).filePath(QStringLiteral("qnbtext.ini"));
    const QDeadlineTimer deadline(60000);
    while (!QFile::exists(texts) && p.state() != QProcess::NotRunning && !deadline.hasExpired())
        p.waitForFinished(100);
    const bool running = p.state() != QProcess::NotRunning;
    p.terminate();
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
    }
    EXPECT_TRUE(running) << "status " << p.exitCode() << ": " << p.readAll().toStdString();
    EXPECT_TRUE(QFile::exists(texts));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WindowProgramOpens,
    ::testing::Values(OpenRow{"PlatformOption",
                              {"-platform", "offscreen", "--qwindowgeometry", "+20+20",
                               "-style=Fusion"},
                              nullptr},
                      OpenRow{"PlatformVariable", {"-reverse", "--widgetcount"}, "offscreen"}),
    quenby::test::RowName());
