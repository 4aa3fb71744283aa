// Start-up of the window while another process holds the settings file's
// lock and never lets go (a copy of the program that hangs), against the
// same start-up with the lock free.
//
//   locked_startup_bench [--runs N]
//
// The settings file remembers fourteen texts (twelve slots, the strip and
// the replace string), each of which start-up writes back, and an input
// text. The holder is this program started again as a child ("--hold
// PATH"), which takes the lock the way the window does and sleeps. The time
// is that of building the window, which runs the whole start-up; message
// boxes are answered at once and counted.
#include "settings/fileaccess.h"
#include "window/platform.h"
#include "window/skivler.h"
#include "window_bench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr int kDefaultRuns = 3;

class CountingDialogs : public quenby::Dialogs {
public:
    quenby::Answer show(const quenby::Message&) override {
        ++shown;
        return quenby::Answer::Ok;
    }
    int shown = 0;
};

int hold(const QString& path) {
    quenby::LockPolicy policy;
    const quenby::FileLock lock(path, policy);
    std::printf("locked\n");
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::minutes(10));
    return 0;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "locked_startup_bench: cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

struct Sample {
    double ms = 0;
    int messages = 0;
};

// One start-up over a fresh folder; with a holder of the lock when `locked`.
Sample startOnce(const QString& self, bool locked) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("qnb.ini"));
    QByteArray settings = "[Default]\r\nRemember=1\r\nStripString=is\r\nReplaceString=was\r\n";
    for (int i = 1; i <= 12; ++i)
        settings += QStringLiteral("Val%1=%2\r\n")
                        .arg(i, 2, 10, QLatin1Char('0'))
                        .arg(QChar(u'a' + i))
                        .toLatin1();
    writeFile(ini, settings);
    writeFile(dir.filePath(QStringLiteral("qnbtext.ini")), "This is kept\r\n");

    QProcess holder;
    if (locked) {
        holder.start(self, {QStringLiteral("--hold"), ini});
        QByteArray said;
        while (!said.contains("locked") && holder.waitForReadyRead(10000))
            said += holder.readAllStandardOutput();
        if (!said.contains("locked")) {
            std::fprintf(stderr, "locked_startup_bench: the holder did not take the lock\n");
            std::exit(1);
        }
    }
    quenby::bench::MemoryClipboard clipboard;
    CountingDialogs dialogs;
    quenby::bench::FixedFolder folder(dir.path());
    QElapsedTimer clock;
    clock.start();
    { Skivler window({clipboard, dialogs, folder}); }
    Sample s{double(clock.nsecsElapsed()) / 1e6, dialogs.shown};
    if (locked) {
        holder.kill();
        holder.waitForFinished(10000);
    }
    return s;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && QByteArray(argv[1]) == "--hold") {
        QCoreApplication app(argc, argv);
        return hold(QString::fromLocal8Bit(argv[2]));
    }
    int runs = kDefaultRuns;
    if (argc == 3 && QByteArray(argv[1]) == "--runs")
        runs = std::max(1, QByteArray(argv[2]).toInt());
    else if (argc != 1) {
        std::fprintf(stderr, "usage: locked_startup_bench [--runs N]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Skivler::prepareApplication();
    const QString self = QCoreApplication::applicationFilePath();
    std::vector<double> free, held;
    int messages = 0;
    for (int i = 0; i < runs; ++i) {
        free.push_back(startOnce(self, false).ms);
        const Sample s = startOnce(self, true);
        held.push_back(s.ms);
        messages = std::max(messages, s.messages);
    }
    std::printf("start-up with the settings lock held: p50 %.0f ms, max %.0f ms, %d message(s); "
                "lock free: p50 %.1f ms; ratio %.0f (%d runs each, lock wait %lld ms)\n",
                median(held), *std::max_element(held.begin(), held.end()), messages, median(free),
                median(held) / median(free), runs,
                static_cast<long long>(quenby::kLockWait.count()));
    return 0;
}
