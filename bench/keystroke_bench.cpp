// Keystroke latency of the real window on big inputs, against a bare
// QPlainTextEdit holding the same text as the floor.
//
//   keystroke_bench [--quick] [--only=<lines|line|nobreak>:<chars>] [--reps=N]
//
// Each case loads an input into Text1, then types one character at its end
// with a Qt Test key event and times it until every handler has finished and
// the pending events (layout and paint) are processed. The floor is the same
// keystroke into a bare QPlainTextEdit of Text1's size and wrap mode, shown in
// a window of its own; window and floor keystrokes alternate, so that both
// see the same machine load. For a line with no break opportunity the floor
// box breaks lines anywhere: that is what wrapping such a line costs at the
// least. Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include "window/skivler.h"
#include "window_bench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTest>
#include <cstdio>
#include <vector>

namespace {

using namespace quenby::bench;

struct Case {
    Shape shape;
    qsizetype chars;
    int reps;
};

// The names of the command line and of the output.
const char* caseName(Shape shape) {
    return shape == Shape::Paragraph ? "line" : shapeName(shape);
}

// One keystroke at the end of box, until everything it caused has run.
double timeKeystroke(QWidget* box) {
    QElapsedTimer timer;
    timer.start();
    QTest::keyClick(box, 'x');
    settle();
    return double(timer.nsecsElapsed()) / 1e6;
}

void focusAtEnd(QPlainTextEdit* box) {
    box->activateWindow();
    box->setFocus(Qt::OtherFocusReason);
    // The end of the whole text, also while a big text still fills the box.
    if (auto* area = qobject_cast<quenby::TextArea*>(box))
        area->finishFill();
    box->moveCursor(QTextCursor::End);
    settle();
}

void fail(const char* what) {
    quenby::bench::fail("keystroke_bench", what);
}

void runCase(const Case& c, int warmUp, bool remember) {
    const QString input = sampleText(c.shape, c.chars);

    MemoryClipboard clipboard;
    NoDialogs dialogs;
    TemporaryFolder folder;
    Skivler window({clipboard, dialogs, folder});
    showWindow(&window);
    window.yesRemember->setValue(remember ? 1 : 0);
    window.Text1->setText(input);
    // Typing starts once the boxes hold their whole texts.
    while (window.Text1->filling() || window.Text2->filling())
        QCoreApplication::processEvents();

    // The floor: a bare box like Text1, in a window like the real one.
    QWidget floorWindow;
    floorWindow.setFixedSize(window.size());
    auto* floor = new QPlainTextEdit(&floorWindow);
    floor->setGeometry(window.Text1->geometry());
    floor->setLineWrapMode(window.Text1->lineWrapMode());
    if (c.shape == Shape::NoBreak)
        floor->setWordWrapMode(QTextOption::WrapAnywhere);
    floor->setHorizontalScrollBarPolicy(window.Text1->horizontalScrollBarPolicy());
    floor->setVerticalScrollBarPolicy(window.Text1->verticalScrollBarPolicy());
    floor->setPlainText(input);
    showWindow(&floorWindow);

    std::vector<double> own;
    std::vector<double> bare;
    for (int rep = 0; rep < warmUp + c.reps; ++rep) {
        focusAtEnd(window.Text1);
        const qsizetype outputBefore = window.Text2->text().size();
        const double ownMs = timeKeystroke(window.Text1);
        // The keystroke must have gone all the way through to the output.
        if (window.Text1->text().size() != input.size() + rep + 1 ||
            window.Text2->text().size() != outputBefore + 1 ||
            !window.Text2->text().endsWith(QLatin1Char('x')) ||
            window.Text2->document()->characterCount() != window.Text2->text().size() + 1)
            fail("the keystroke did not reach the output box");

        focusAtEnd(floor);
        const double bareMs = timeKeystroke(floor);
        if (rep >= warmUp) {
            own.push_back(ownMs);
            bare.push_back(bareMs);
        }
    }
    const double p50 = percentile(own, 0.5);
    const double floorP50 = percentile(bare, 0.5);
    std::printf("keystroke %s %lld remember=%d: p50 %.2f p95 %.2f floor %.2f ratio %.2f\n",
                caseName(c.shape), static_cast<long long>(c.chars), remember ? 1 : 0, p50,
                percentile(own, 0.95), floorP50, p50 / floorP50);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    const Arguments args =
        readArguments(argc, argv, Arguments::WarmUp, "keystroke_bench",
                      "usage: keystroke_bench [--quick] [--only=<lines|line|nobreak>:<chars>] "
                      "[--reps=N] [--warmup=N]");
    const int warmUp = args.warmUp >= 0 ? args.warmUp : 2;
    QApplication app(argc, argv);
    Skivler::prepareApplication();

    const std::vector<Case> cases =
        args.quick ? std::vector<Case>{{Shape::Lines, 32 * 1024, 5},
                                       {Shape::Lines, 1024 * 1024, 5},
                                       {Shape::Paragraph, 100 * 1000, 5},
                                       {Shape::NoBreak, 64 * 1024, 5}}
                   : std::vector<Case>{
                         {Shape::Lines, 32 * 1024, 100},       {Shape::Lines, 1024 * 1024, 40},
                         {Shape::Lines, 10 * 1024 * 1024, 10}, {Shape::Lines, 100 * 1024 * 1024, 5},
                         {Shape::Paragraph, 100 * 1000, 40},   {Shape::NoBreak, 64 * 1024, 20},
                         {Shape::NoBreak, 256 * 1024, 10},     {Shape::NoBreak, 1024 * 1024, 10}};
    for (Case c : cases) {
        const QString name =
            QStringLiteral("%1:%2").arg(QString::fromLatin1(caseName(c.shape))).arg(c.chars);
        if (!args.only.isEmpty() && args.only != name)
            continue;
        if (args.reps > 0)
            c.reps = args.reps;
        for (bool remember : {true, false})
            runCase(c, warmUp, remember);
    }
    return 0;
}
