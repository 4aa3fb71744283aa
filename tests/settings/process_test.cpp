// The settings writer against other processes: killed in the middle of a
// rewrite, writing at the same time, or holding the lock.
#include "child_protocol.h"
#include "settings/fileaccess.h"
#include "settings/inifile.h"
#include "settings/initext.h"
#include "settings/savedtexts.h"
#include "test_support.h"

#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace quenby;
using namespace quenby::test;

namespace {

const QString kChild = QStringLiteral(QUENBY_SETTINGS_CHILD);

// Starts the helper program and waits until it prints `word` (when given).
void startChild(QProcess& child, const QStringList& arguments, const char* word = nullptr) {
    child.start(kChild, arguments);
    ASSERT_TRUE(child.waitForStarted(10000)) << child.errorString().toStdString();
    if (!word)
        return;
    QByteArray out;
    while (!out.contains(word)) {
        ASSERT_TRUE(child.waitForReadyRead(10000))
            << "child said: " << child.readAllStandardError().toStdString();
        out += child.readAllStandardOutput();
    }
}

void killChild(QProcess& child) {
    child.kill(); // SIGKILL
    child.waitForFinished(10000);
}

// A file of about 200 KB with the counter among other settings, so that each
// rewrite takes long enough for kills to land inside it.
QByteArray initialFile() {
    QByteArray text = "[Default]\r\n";
    for (int i = 0; i < 2000; ++i)
        text +=
            "Filler" + QByteArray::number(i) + "=" + QByteArray(80, char('a' + i % 26)) + "\r\n";
    return storeIniValue(text, "Default", "Counter", counterValue(0).toUtf8());
}

// A child rewrites the file in a loop and is killed at a random moment, 40
// times over. Every time the file is exactly the file of one counter value,
// never a mixture, and never older than before the kill. Each child's first
// write also takes over the lock the previous child was killed holding.
TEST(SettingsProcesses, KilledWriterLeavesWholeFile) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    const QByteArray initial = initialFile();
    writeBytes(path, initial);

    std::mt19937 random(std::random_device{}());
    QElapsedTimer clock;
    clock.start();
    int last = 0;
    int insideLock = 0;
    int emptyLock = 0;
    qint64 slowestRound = 0;
    const int kills = 40;
    for (int round = 0; round < kills; ++round) {
        QElapsedTimer roundClock;
        roundClock.start();
        QProcess child;
        startChild(child, {"count", path}, "started");
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 30000));
        killChild(child);
        insideLock += QFileInfo::exists(path + ".lock") ? 1 : 0;
        const QFileInfo lockInfo(path + ".lock");
        emptyLock += lockInfo.exists() && lockInfo.size() == 0 ? 1 : 0;

        const QByteArray now = readBytes(path);
        const int n = counterNumber(IniRead(path, "Default", "Counter"));
        ASSERT_GE(n, 0) << "round " << round << ": the file holds no whole counter value";
        ASSERT_EQ(now, storeIniValue(initial, "Default", "Counter", counterValue(n).toUtf8()))
            << "round " << round << ": the file is not the whole file of counter " << n;
        ASSERT_GT(n, last) << "round " << round << ": the counter must have advanced";
        last = n;
        slowestRound = std::max(slowestRound, roundClock.elapsed());
    }
    std::cout << "[ figures  ] " << kills << " kills in " << clock.elapsed()
              << " ms (slowest round " << slowestRound << " ms), " << last << " completed writes, "
              << insideLock << " kills inside the locked rewrite (" << emptyLock
              << " with the lock file still empty), files left: "
              << folder.entries().join(' ').toStdString() << "\n";
}

// Two processes each store 200 new keys in one file at the same time; the
// lock keeps every read-modify-write whole, so all 400 keys are there.
TEST(SettingsProcesses, TwoWritersLoseNothing) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    QElapsedTimer clock;
    clock.start();
    QProcess first;
    QProcess second;
    startChild(first, {"keys", path, "P", "200"});
    startChild(second, {"keys", path, "Q", "200"});
    for (QProcess* child : {&first, &second}) {
        ASSERT_TRUE(child->waitForFinished(60000));
        ASSERT_EQ(child->exitStatus(), QProcess::NormalExit);
        ASSERT_EQ(child->exitCode(), 0) << child->readAllStandardError().toStdString();
    }
    std::cout << "[ figures  ] 400 writes by two processes in " << clock.elapsed() << " ms\n";

    const QByteArray text = readBytes(path);
    EXPECT_EQ(text.count("\r\n"), 401) << "one header line and 400 key lines";
    for (const char* prefix : {"P", "Q"}) {
        for (int i = 0; i < 200; ++i) {
            const QString key = QStringLiteral("%1%2").arg(prefix).arg(i, 3, 10, QLatin1Char('0'));
            ASSERT_EQ(findIniValue(text, "Default", key.toUtf8()),
                      std::optional<QByteArray>(keyValue(prefix, i).toUtf8()))
                << key.toStdString();
        }
    }
}

// A live holder of the lock makes the writer give up after its bounded wait,
// with the file untouched and the holder named in the reason. Later writes
// with the same policy fail without a new wait while it holds on, and wait
// again once a write has taken the lock. The holder's lock file is 0600.
TEST(SettingsProcesses, LockHeldByRunningProgramTimesOutOnce) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    writeBytes(path, "[Default]\r\nA=1\r\n");
    QProcess holder;
    startChild(holder, {"hold-lock", path}, "locked");
    LockPolicy policy;
    QStringList reasons;
    for (int attempt = 0; attempt < 2; ++attempt) {
        QElapsedTimer clock;
        clock.start();
        try {
            IniWrite(path, "Default", "A", "2", policy);
            ADD_FAILURE() << "no FileError";
        } catch (const FileError& e) {
            EXPECT_EQ(e.path(), path);
            reasons << e.reason();
            std::cout << "[ figures  ] gave up after " << clock.elapsed() << " ms: " << e.what()
                      << "\n";
        }
    }
    ASSERT_EQ(reasons.size(), 2);
    EXPECT_TRUE(reasons[0].contains(QString::number(holder.processId())));
    EXPECT_TRUE(reasons[0].contains("gave up after 5000 ms"));
    EXPECT_TRUE(reasons[1].contains("still locked")) << reasons[1].toStdString();
    EXPECT_EQ(modeOf(path + ".lock"), 0600u);
    EXPECT_EQ(readBytes(path), "[Default]\r\nA=1\r\n");
    killChild(holder);
    IniWrite(path, "Default", "A", "2", policy);
    EXPECT_EQ(policy.wait(), kLockWait) << "the lock taken again, the next write may wait";
}

// The lock of a program that was killed is taken over at once.
TEST(SettingsProcesses, LockOfKilledProgramIsTakenOver) {
    const TempFolder folder;
    const QString path = folder.file("qnb.ini");
    QProcess holder;
    startChild(holder, {"hold-lock", path}, "locked");
    killChild(holder);
    ASSERT_TRUE(QFileInfo::exists(path + ".lock")) << "the killed holder leaves its lock file";
    IniWrite(path, "Default", "A", "1");
    EXPECT_EQ(readBytes(path), "[Default]\r\nA=1\r\n");
    EXPECT_FALSE(QFileInfo::exists(path + ".lock"));
}

// Another user swaps the saved texts' name for a link to a file of the
// user's and back, as fast as it can, in a folder anyone may write (and in a
// sticky one), while the user's copy saves and reads the file over and over.
// The file the link leads to never changes and is never read; what is saved
// lands in the folder or is refused. A write by the path after its check
// lands in that file within these rounds (three runs out of three).
TEST(SettingsProcesses, NameSwappedForALinkNeverLeadsAWriteAstray) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "the other user needs a uid of its own: run as root";
    const QByteArray mine = "my own file\r\n";
    // Once the user's file stands in a sticky folder, the other user can no
    // longer move it: fewer rounds show that.
    const struct {
        mode_t mode;
        int rounds;
    } folders[] = {{0777, 20000}, {01777, 300}};
    for (const auto [mode, rounds] : folders) {
        SCOPED_TRACE(mode);
        const TempFolder shared;
        const TempFolder own;
        ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), mode), 0);
        const QString victim = own.file("diary");
        writeBytes(victim, mine);
        ASSERT_EQ(::chmod(QFile::encodeName(victim).constData(), 0600), 0);

        QProcess swapper;
        startChild(swapper, {"swap", shared.path(), "qnbtext.ini", victim}, "swapping");
        LockPolicy policy;
        int saved = 0;
        int refused = 0;
        int read = 0;
        for (int round = 0; round < rounds; ++round) {
            try {
                TxtSave(shared.path(), "qnbtext.ini", QStringLiteral("typed %1").arg(round),
                        policy);
                ++saved;
            } catch (const FileError&) {
                ++refused;
            }
            try {
                ASSERT_FALSE(TxtLoad(shared.path()).contains("my own")) << "round " << round;
                ++read;
            } catch (const FileError&) {
            }
        }
        EXPECT_EQ(swapper.state(), QProcess::Running)
            << "the swapper stopped: " << swapper.readAllStandardError().toStdString();
        killChild(swapper);
        EXPECT_EQ(readBytes(victim), mine);
        EXPECT_EQ(modeOf(victim), 0600u);
        EXPECT_EQ(QFileInfo(victim).ownerId(), ::geteuid());
        EXPECT_EQ(saved + refused, rounds);
        std::cout << "[ figures  ] folder " << std::oct << mode << std::dec << ": " << saved
                  << " saves landed, " << refused << " refused, " << read
                  << " reads of the user's own file\n";
    }
}

// Two copies save the input text over and over into one folder, as two
// windows would, while a third reads it: every read is the whole text of one
// of them, and the file ends as the last writer left it.
TEST(SettingsProcesses, TwoCopiesSavingTextsLeaveWholeFiles) {
    const TempFolder folder;
    const QString first = QString(20000, QLatin1Char('a'));
    const QString second = QString(30000, QLatin1Char('b'));
    QProcess a;
    QProcess b;
    startChild(a, {"texts", folder.path(), first, "300"});
    startChild(b, {"texts", folder.path(), second, "300"});
    int reads = 0;
    while (a.state() != QProcess::NotRunning || b.state() != QProcess::NotRunning) {
        a.waitForFinished(1);
        b.waitForFinished(1);
        try {
            const QString text = TxtLoad(folder.path());
            // Empty only as made by the first save's preparation.
            ASSERT_TRUE(text == first || text == second || (text.isEmpty() && reads == 0))
                << "a torn file of " << text.size();
            reads += text.isEmpty() ? 0 : 1;
        } catch (const FileError&) {
            // not yet made
        }
    }
    for (QProcess* child : {&a, &b})
        ASSERT_EQ(child->exitCode(), 0) << child->readAllStandardError().toStdString();
    const QString last = TxtLoad(folder.path());
    EXPECT_TRUE(last == first || last == second);
    EXPECT_EQ(folder.entries(), QStringList{"qnbtext.ini"}) << "no temporary file stays";
    std::cout << "[ figures  ] " << reads << " whole reads while two copies saved\n";
}

} // namespace
