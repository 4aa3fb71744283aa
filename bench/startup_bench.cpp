// Start-up time and idle memory of the program, as whole processes, against a
// bare Qt window program.
//
//   startup_bench [--runs N]
//
// The benchmark starts itself again as a child process, in turn in one of two
// roles, from the same executable (same build, same libraries):
// - "quenby" does what app/main.cpp does (application, its name, style and
//   fonts, the real clipboard and message boxes, the window, show), with a
//   fresh program folder of its own, so that every run is a first start;
// - "bare" shows an empty QWidget of the window's size and caption;
// - "label" is the bare window with one line of text in it, to tell the cost
//   of the font system (which a window without text never starts) from the
//   rest.
// Each child reports, on the system-wide monotonic clock, when its main()
// began (the cost of exec and of loading the libraries lies before), when the window's
// first output was computed (quenby: the constructor has run the start-up and
// its computation) and when its first frame was painted, then, after half a
// second of an idle event loop, its resident memory (VmRSS). The parent takes
// the clock just before it starts the child, so the times include exec,
// loading the libraries and everything up to that point. Runs alternate
// between the roles so that both see the same machine load.
#include "window/platform.h"
#include "window/skivler.h"
#include "window_bench.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int kIdleMs = 500;
constexpr int kDefaultRuns = 15;

qint64 monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// Reports the first frame of a window: the first paint event of the window
// itself, and then the end of that repaint (a zero timer runs after the whole
// window, children included, has been painted), followed by the idle memory.
class FrameWatch : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, this, [] {
                std::printf("frame %lld\n", static_cast<long long>(monotonicNs()));
                QTimer::singleShot(kIdleMs, [] {
                    std::printf("rss %ld\n", residentKb());
                    std::fflush(stdout);
                    QCoreApplication::quit();
                });
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

int runQuenby(int argc, char** argv, const QString& folderPath) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quenby"));
    Skivler::prepareApplication();

    quenby::QtClipboard clipboard;
    quenby::QtDialogs dialogs;
    // The program's own choice of folder runs too, but the window works in
    // a fresh folder, so that every run is a first start.
    const quenby::QtProgramFolder programFolder;
    quenby::bench::FixedFolder folder(folderPath);
    Skivler window({clipboard, dialogs, folder});
    std::printf("output %lld\n", static_cast<long long>(monotonicNs()));
    dialogs.setParent(&window);
    FrameWatch watch;
    window.installEventFilter(&watch);
    window.show();
    return app.exec();
}

int runBare(int argc, char** argv, bool withText) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Quenby 5.0"));
    window.setFixedSize(690, 531);
    if (withText)
        new QLabel(QStringLiteral("INPUT TEXT"), &window);
    FrameWatch watch;
    window.installEventFilter(&watch);
    window.show();
    return app.exec();
}

struct Sample {
    double mainMs = -1;
    double outputMs = -1; // quenby only
    double frameMs = -1;
    double rssMb = -1;
};

Sample runChild(const QString& self, const QStringList& arguments) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const qint64 start = monotonicNs();
    child.start(self, arguments);
    if (!child.waitForFinished(60000) || child.exitCode() != 0) {
        std::fprintf(stderr, "startup_bench: the %s child failed\n", qPrintable(arguments.at(1)));
        std::exit(1);
    }
    Sample s;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() != 2)
            continue;
        if (words[0] == "main")
            s.mainMs = double(words[1].toLongLong() - start) / 1e6;
        else if (words[0] == "output")
            s.outputMs = double(words[1].toLongLong() - start) / 1e6;
        else if (words[0] == "frame")
            s.frameMs = double(words[1].toLongLong() - start) / 1e6;
        else if (words[0] == "rss")
            s.rssMb = double(words[1].toLong()) / 1024.0;
    }
    if (s.frameMs < 0 || s.rssMb < 0) {
        std::fprintf(stderr, "startup_bench: the %s child reported nothing\n",
                     qPrintable(arguments.at(1)));
        std::exit(1);
    }
    return s;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int runParent(int argc, char** argv, int runs) {
    QCoreApplication app(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    std::vector<double> bareMain, bareFrame, bareRss, labelFrame, labelRss, ownMain, output, frame,
        rss;
    for (int i = 0; i < runs; ++i) {
        const Sample bare = runChild(self, {QStringLiteral("--child"), QStringLiteral("bare")});
        const Sample label = runChild(self, {QStringLiteral("--child"), QStringLiteral("label")});
        labelFrame.push_back(label.frameMs);
        labelRss.push_back(label.rssMb);
        QTemporaryDir folder;
        const Sample own =
            runChild(self, {QStringLiteral("--child"), QStringLiteral("quenby"), folder.path()});
        bareMain.push_back(bare.mainMs);
        bareFrame.push_back(bare.frameMs);
        bareRss.push_back(bare.rssMb);
        ownMain.push_back(own.mainMs);
        output.push_back(own.outputMs);
        frame.push_back(own.frameMs);
        rss.push_back(own.rssMb);
    }
    std::printf("startup bare window: main p50 %.1f ms, first frame p50 %.1f ms, idle rss p50 "
                "%.1f MB\n",
                median(bareMain), median(bareFrame), median(bareRss));
    std::printf(
        "startup bare window with one label: first frame p50 %.1f ms, idle rss p50 %.1f MB\n",
        median(labelFrame), median(labelRss));
    std::printf("startup quenby: main p50 %.1f ms, first output p50 %.1f ms, first frame p50 %.1f "
                "ms, idle rss p50 %.1f MB\n",
                median(ownMain), median(output), median(frame), median(rss));
    std::printf("startup ratio (first frame) %.2f, first output / bare first frame %.2f, "
                "idle rss above bare %.1f MB (%d runs each, platform %s)\n",
                median(frame) / median(bareFrame), median(output) / median(bareFrame),
                median(rss) - median(bareRss), runs, qgetenv("QT_QPA_PLATFORM").constData());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const qint64 entered = monotonicNs();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc >= 3 && QByteArray(argv[1]) == "--child") {
        std::printf("main %lld\n", static_cast<long long>(entered));
        if (QByteArray(argv[2]) == "bare" || QByteArray(argv[2]) == "label")
            return runBare(argc, argv, QByteArray(argv[2]) == "label");
        if (QByteArray(argv[2]) == "quenby" && argc == 4)
            return runQuenby(argc, argv, QString::fromLocal8Bit(argv[3]));
    }
    int runs = kDefaultRuns;
    if (argc == 3 && QByteArray(argv[1]) == "--runs")
        runs = std::max(1, QByteArray(argv[2]).toInt());
    else if (argc != 1) {
        std::fprintf(stderr, "usage: startup_bench [--runs N]\n");
        return 2;
    }
    return runParent(argc, argv, runs);
}
