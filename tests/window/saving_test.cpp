// The window's writes, done in the background, are all in the files before
// the window closes and before the program ends on a signal.
#include "quit_child.h"
#include "settings/savedtexts.h"
#include "window_fixture.h"

#include <QProcess>
#include <csignal>

using namespace quenby;
using namespace quenby::testing;

using SavingTest = WindowTest;

namespace {

TEST_F(SavingTest, ClosingWritesWhatIsStillPending) {
    Skivler& s = open();
    click(s.yesRemember);
    const QString text = quitChildText(100000);
    s.Text1->setText(text); // its write waits for a pause in typing
    s.close();
    EXPECT_EQ(TxtLoad(folder.path()), text);
}

struct EndingSignal {
    const char* name;
    int signal;
};

void PrintTo(const EndingSignal& row, std::ostream* os) {
    *os << row.name;
}

class EndedBySignal : public ::testing::TestWithParam<EndingSignal> {};

TEST_P(EndedBySignal, WritesWhatIsStillPendingAndEndsCleanly) {
    const FakeFolder folder;
    QProcess child;
    child.start(QStringLiteral(QUENBY_QUIT_CHILD), {folder.path(), QStringLiteral("100000")});
    ASSERT_TRUE(child.waitForStarted(10000));
    ASSERT_TRUE(child.waitForReadyRead(20000)) << child.readAllStandardError().toStdString();
    ASSERT_EQ(child.readAllStandardOutput(), QByteArray("ready\n"));
    ::kill(pid_t(child.processId()), GetParam().signal);
    ASSERT_TRUE(child.waitForFinished(20000));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0);
    const QByteArray errors = child.readAllStandardError();
    EXPECT_FALSE(errors.contains("message:") || errors.contains("could not save"))
        << errors.toStdString();
    EXPECT_EQ(TxtLoad(folder.path()), quitChildText(100000));
}

INSTANTIATE_TEST_SUITE_P(Signals, EndedBySignal,
                         ::testing::Values(EndingSignal{"SIGTERM", SIGTERM},
                                           EndingSignal{"SIGINT", SIGINT},
                                           EndingSignal{"SIGHUP", SIGHUP}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
