// Memory of the window after many big pastes: each "Paste Input" of a new
// 10 MiB text keeps the text it replaced in the input box's undo history,
// whose budget bounds what all of them may hold together.
//
//   paste_memory_bench [--quick] [--reps=N]
//
// Pastes N (default 12; --quick 4) different texts of 10 MiB in lines, one
// after another, each filled into its box before the next, and prints the
// resident memory of the process after each paste:
//
//   paste <n>: rss <MiB> (<ratio> of the rss after paste 2)
#include "window/skivler.h"
#include "window_bench.h"

#include <QApplication>
#include <QFile>
#include <QTest>
#include <cstdio>

namespace {

using namespace quenby::bench;

// The process's resident memory in MiB, from /proc/self/status.
double residentMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        fail("paste_memory_bench", "/proc/self/status cannot be read");
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    fail("paste_memory_bench", "no VmRSS in /proc/self/status");
}

} // namespace

int main(int argc, char** argv) {
    const Arguments args = readArguments(argc, argv, Arguments::None, "paste_memory_bench",
                                         "usage: paste_memory_bench [--quick] [--reps=N]");
    QApplication app(argc, argv);
    Skivler::prepareApplication();

    MemoryClipboard clipboard;
    NoDialogs dialogs;
    TemporaryFolder folder;
    Skivler w(quenby::Platform{clipboard, dialogs, folder});
    showWindow(&w);

    const int pastes = args.reps > 0 ? args.reps : args.quick ? 4 : 12;
    double afterTwo = 0;
    for (int n = 1; n <= pastes; ++n) {
        clipboard.SetText(sampleText(Shape::Lines, 10 * 1024 * 1024, quint32(n)));
        QTest::mouseClick(w.cmdInput, Qt::LeftButton, Qt::NoModifier,
                          QPoint(4, w.cmdInput->height() / 2));
        do
            settle();
        while (w.Text1->filling() || w.Text2->filling());
        clipboard.Clear();
        const double rss = residentMiB();
        if (n == 2)
            afterTwo = rss;
        std::printf("paste %d: rss %.0f MiB", n, rss);
        if (afterTwo > 0)
            std::printf(" (%.2f of the rss after paste 2)", rss / afterTwo);
        std::printf("\n");
        std::fflush(stdout);
    }
    return 0;
}
