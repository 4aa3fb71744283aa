// Keystroke latency of the real window on big inputs, against a bare
// QPlainTextEdit holding the same text as the floor.
//
//   keystroke_bench [--quick] [--only=<lines|line|nobreak>:<chars>] [--reps=N]
//
// Each case loads an input into the window, with "Word wrap" ticked or not,
// then types one character at the end of the text or in its middle into the
// input box shown (Text1 or Text4) with a Qt Test key event and times it
// until every handler has finished and the pending events (layout and paint)
// are processed. The floor is the same keystroke into a bare QPlainTextEdit
// of the box's size and wrap mode, shown in a window of its own; window and
// floor keystrokes alternate, so that both see the same machine load. For a
// line with no break opportunity the floor box breaks lines anywhere: that is
// what wrapping such a line costs at the least. A case that names no floor
// (the ten-megabyte paragraph, where the bare box takes seconds a key) prints
// floor 0. Runs on the offscreen platform unless QT_QPA_PLATFORM says
// otherwise. Output, one line per case and "Remember settings":
//
//   keystroke <shape> <chars> <end|middle> wrap=<1|0> remember=<1|0>: p50 ...
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

enum class Where { End, Middle };

struct Case {
    Shape shape;
    qsizetype chars;
    int reps;
    Where where = Where::End;
    bool wrap = true;
    bool floor = true;
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

void focusAt(QPlainTextEdit* box, Where where) {
    box->activateWindow();
    box->setFocus(Qt::OtherFocusReason);
    // The end of the whole text, also while a big text still fills the box.
    if (auto* area = qobject_cast<quenby::TextArea*>(box))
        area->finishFill();
    QTextCursor cursor = box->textCursor();
    if (where == Where::End)
        cursor.movePosition(QTextCursor::End);
    else
        cursor.setPosition(box->document()->characterCount() / 2);
    box->setTextCursor(cursor);
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
    window.yesWrap->setValue(c.wrap ? 1 : 0);
    quenby::TextArea* in = c.wrap ? window.Text1 : window.Text4;
    quenby::TextArea* out = c.wrap ? window.Text2 : window.Text5;
    window.Text1->setText(input);
    // Typing starts once the boxes hold their whole texts.
    while (in->filling() || out->filling())
        QCoreApplication::processEvents();

    // The floor: a bare box like the input box, in a window like the real one.
    QWidget floorWindow;
    floorWindow.setFixedSize(window.size());
    auto* floor = new QPlainTextEdit(&floorWindow);
    floor->setGeometry(in->geometry());
    floor->setLineWrapMode(in->lineWrapMode());
    if (c.shape == Shape::NoBreak)
        floor->setWordWrapMode(QTextOption::WrapAnywhere);
    floor->setHorizontalScrollBarPolicy(in->horizontalScrollBarPolicy());
    floor->setVerticalScrollBarPolicy(in->verticalScrollBarPolicy());
    if (c.floor)
        floor->setPlainText(input);
    showWindow(&floorWindow);

    std::vector<double> own;
    std::vector<double> bare;
    for (int rep = 0; rep < warmUp + c.reps; ++rep) {
        focusAt(in, c.where);
        const qsizetype outputBefore = out->text().size();
        const double ownMs = timeKeystroke(in);
        // The keystroke must have gone all the way through to the output,
        // and the output box shows it (its document holds at least as many
        // positions as the text has characters).
        if (window.Text1->text().size() != input.size() + rep + 1 ||
            out->text().size() != outputBefore + 1 ||
            (c.where == Where::End && !out->text().endsWith(QLatin1Char('x'))) || out->filling() ||
            out->document()->characterCount() < out->text().size() + 1)
            fail("the keystroke did not reach the output box");

        double bareMs = 0;
        if (c.floor) {
            focusAt(floor, c.where);
            bareMs = timeKeystroke(floor);
        }
        if (rep >= warmUp) {
            own.push_back(ownMs);
            if (c.floor)
                bare.push_back(bareMs);
        }
    }
    const double p50 = percentile(own, 0.5);
    const double floorP50 = percentile(bare, 0.5);
    std::printf(
        "keystroke %s %lld %s wrap=%d remember=%d: p50 %.2f p95 %.2f floor %.2f ratio %.2f\n",
        caseName(c.shape), static_cast<long long>(c.chars),
        c.where == Where::End ? "end" : "middle", c.wrap ? 1 : 0, remember ? 1 : 0, p50,
        percentile(own, 0.95), floorP50, floorP50 > 0 ? p50 / floorP50 : 0.0);
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

    constexpr qsizetype kMiB = 1024 * 1024;
    const std::vector<Case> cases =
        args.quick
            ? std::vector<Case>{{Shape::Lines, 32 * 1024, 5},
                                {Shape::Lines, kMiB, 5},
                                {Shape::Paragraph, 100 * 1000, 5},
                                {Shape::Paragraph, kMiB, 5, Where::Middle},
                                {Shape::NoBreak, 64 * 1024, 5}}
            : std::vector<Case>{{Shape::Lines, 32 * 1024, 100},
                                {Shape::Lines, kMiB, 40},
                                {Shape::Lines, 10 * kMiB, 10},
                                {Shape::Lines, 10 * kMiB, 10, Where::Middle},
                                {Shape::Lines, 10 * kMiB, 10, Where::End, false},
                                {Shape::Lines, 10 * kMiB, 10, Where::Middle, false},
                                {Shape::Lines, 100 * kMiB, 5},
                                {Shape::Paragraph, 100 * 1000, 40},
                                {Shape::Paragraph, 10 * kMiB, 10, Where::End, true, false},
                                {Shape::Paragraph, 10 * kMiB, 10, Where::Middle, true, false},
                                {Shape::Paragraph, 10 * kMiB, 10, Where::End, false, false},
                                {Shape::Paragraph, 10 * kMiB, 10, Where::Middle, false, false},
                                {Shape::NoBreak, 64 * 1024, 20},
                                {Shape::NoBreak, 256 * 1024, 10},
                                {Shape::NoBreak, kMiB, 10}};
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
