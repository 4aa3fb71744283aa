// Time until the window takes input again after each of the user's actions
// on big texts, against a bare QPlainTextEdit's fill of the same text.
//
//   action_bench [--quick] [--only=<shape>:<chars>] [--action=<name>] [--reps=N]
//
// Shapes: 10 MiB and 1 MiB of English-like words in 80-character lines, 10 MiB
// and 1 MiB of the same words as one paragraph, 256 KiB of letters and digits
// with no break opportunity. Actions: "Paste Input" (over a one-character input),
// each option toggle clicked from the window's first state ("Vowels",
// "Include Y", the three case buttons, "Spaces", "Numbers", "Punctuation",
// "Case sensitive" with the strip string "yes"), "Word wrap" unticked and
// ticked again, "Use output as new input", "Clear Text", one keystroke into
// the empty strip string, and "Use output as new input", "Clear Text" and
// "Paste Input" (of another text) right after a "Paste Input" of the text,
// while the input box still fills (paste-out-to-in, paste-clear,
// paste-paste). Each is done as the user does it (a mouse
// click, a key) and timed until it has run and the events it posted are
// processed: from then on the window takes the next input. Per shape and
// action it prints
//
//   action <name> <shape> <chars>: p50 <ms> floor <ms> ratio <x>
//   after <name> <shape> <chars>: key p50 <ms> whole p50 <ms>
//
// The floor is a bare QPlainTextEdit of Text1's size and wrap mode, in a
// window like the real one, given the input text with setPlainText from
// empty, timed the same way; floor and action alternate, so that both see the
// same machine load. For the text with no break opportunity the floor box
// breaks lines anywhere: that is what showing such a text wrapped costs at
// the least. "key" is one keystroke into the shown input box right after the
// action (where its caret stands), "whole" the time from the start of the
// action until every shown text box's document holds its whole text. One
// line per shape gives the keystroke of "key" in the window at rest:
//
//   key <shape> <chars>: p50 <ms>
//
// Every run checks that the output stands for the input and the options.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include "engine/strip.h"
#include "window/skivler.h"
#include "window_bench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTest>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using namespace quenby::bench;
using quenby::TextArea;

void fail(const char* what) {
    quenby::bench::fail("action_bench", what);
}

double msSince(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

void click(QWidget* control) {
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, QPoint(4, control->height() / 2));
}

// Every shown text box's document holds the box's whole text (as many
// positions as the text has characters, or more where it cuts long lines).
bool whole(const Skivler& w) {
    for (const TextArea* box : {w.Text1, w.Text2, w.Text4, w.Text5})
        if (box->isVisible() &&
            (box->filling() || box->document()->characterCount() - 1 < box->text().size()))
            return false;
    return true;
}

void waitWhole(const Skivler& w) {
    QElapsedTimer timer;
    timer.start();
    while (!whole(w)) {
        if (timer.elapsed() > 300000)
            fail("a text box never took its whole text");
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
}

void check(Skivler& w) {
    waitWhole(w);
    if (w.Text2->text() != quenby::strip(w.Text1->text(), w.readOptions()).text ||
        w.Text4->text() != w.Text1->text() || w.Text5->text() != w.Text2->text())
        fail("the output does not stand for the input");
}

TextArea* shownInput(const Skivler& w) {
    return w.yesWrap->value() == 1 ? w.Text1 : w.Text4;
}

double timeKey(Skivler& w) {
    TextArea* box = shownInput(w);
    box->setFocus(Qt::OtherFocusReason);
    const qsizetype before = w.Text1->text().size();
    QElapsedTimer timer;
    timer.start();
    QTest::keyClick(box, 'x');
    settle();
    const double ms = msSince(timer);
    if (w.Text1->text().size() != before + 1)
        fail("the keystroke did not reach the input");
    return ms;
}

// The window's first state, holding `text` as its input.
void rest(Skivler& w, const QString& text) {
    w.yesWrap->setValue(1);
    w.StripString->setText(QString());
    w.Option2[2]->setChecked(true);
    w.noVowels->setValue(1);
    w.noY->setValue(1);
    w.noGaps->setValue(0);
    w.noNums->setValue(0);
    w.noPunc->setValue(0);
    w.yesCase->setValue(1);
    w.Text1->setText(text);
    waitWhole(w);
    settle();
}

struct Action {
    const char* name;
    // Brings the window from its first state to where the action starts.
    std::function<void(Skivler&, quenby::Clipboard&, const QString&)> prepare;
    std::function<void(Skivler&)> act;
    // Whether the action starts with every box holding its whole text;
    // otherwise it starts while a fill is pending.
    bool whole = true;
};

// "Paste Input" of the text over a one-character input, left filling.
void pasteLeftFilling(Skivler& w, quenby::Clipboard& clipboard, const QString& text) {
    clipboard.SetText(text);
    w.Text1->setText(QStringLiteral("x"));
    waitWhole(w);
    click(w.cmdInput);
    settle();
    if (!w.Text1->filling())
        fail("the pasted text did not leave a fill pending");
}

std::vector<Action> actions() {
    const auto none = [](Skivler&, quenby::Clipboard&, const QString&) {};
    const auto clicking = [](quenby::CheckBox* const Skivler::*box) {
        return [box](Skivler& w) { click(w.*box); };
    };
    return {
        {"paste",
         [](Skivler& w, quenby::Clipboard& clipboard, const QString& text) {
             clipboard.SetText(text);
             w.Text1->setText(QStringLiteral("x"));
         },
         [](Skivler& w) { click(w.cmdInput); }},
        {"noVowels", none, clicking(&Skivler::noVowels)},
        {"noY", none, clicking(&Skivler::noY)},
        {"uppr", none, [](Skivler& w) { click(w.Option2[0]); }},
        {"lwr", none, [](Skivler& w) { click(w.Option2[1]); }},
        {"both",
         [](Skivler& w, quenby::Clipboard&, const QString&) { w.Option2[0]->setChecked(true); },
         [](Skivler& w) { click(w.Option2[2]); }},
        {"noGaps", none, clicking(&Skivler::noGaps)},
        {"noNums", none, clicking(&Skivler::noNums)},
        {"noPunc", none, clicking(&Skivler::noPunc)},
        {"yesCase",
         [](Skivler& w, quenby::Clipboard&, const QString&) {
             w.StripString->setText(QStringLiteral("yes"));
         },
         clicking(&Skivler::yesCase)},
        {"wrap-off", none, clicking(&Skivler::yesWrap)},
        // The input changed while it was not wrapped.
        {"wrap-on",
         [](Skivler& w, quenby::Clipboard&, const QString&) {
             w.yesWrap->setValue(0);
             timeKey(w);
         },
         clicking(&Skivler::yesWrap)},
        {"out-to-in", none, [](Skivler& w) { click(w.cmdOutToIn); }},
        {"clear", none, [](Skivler& w) { click(w.cmdClearTexts); }},
        {"strip-key", none,
         [](Skivler& w) {
             w.StripString->setFocus(Qt::OtherFocusReason);
             QTest::keyClick(w.StripString, 't');
         }},
        {"paste-out-to-in", pasteLeftFilling, [](Skivler& w) { click(w.cmdOutToIn); }, false},
        {"paste-clear", pasteLeftFilling, [](Skivler& w) { click(w.cmdClearTexts); }, false},
        {"paste-paste",
         [](Skivler& w, quenby::Clipboard& clipboard, const QString& text) {
             pasteLeftFilling(w, clipboard, text);
             // Another text of the same shape and length.
             clipboard.SetText(text.mid(text.size() / 2) + text.left(text.size() / 2));
         },
         [](Skivler& w) { click(w.cmdInput); }, false},
    };
}

struct Case {
    Shape shape;
    qsizetype chars;
    int reps;
};

void runCase(const Case& c, const QString& onlyAction) {
    const QString text = sampleText(c.shape, c.chars);
    const char* shape = shapeName(c.shape);
    const long long chars = c.chars;

    MemoryClipboard clipboard;
    NoDialogs dialogs;
    TemporaryFolder folder;
    Skivler w({clipboard, dialogs, folder});
    showWindow(&w);

    QWidget floorWindow;
    floorWindow.setFixedSize(w.size());
    auto* floor = new QPlainTextEdit(&floorWindow);
    floor->setGeometry(w.Text1->geometry());
    floor->setLineWrapMode(w.Text1->lineWrapMode());
    if (c.shape == Shape::NoBreak)
        floor->setWordWrapMode(QTextOption::WrapAnywhere);
    floor->setHorizontalScrollBarPolicy(w.Text1->horizontalScrollBarPolicy());
    floor->setVerticalScrollBarPolicy(w.Text1->verticalScrollBarPolicy());
    showWindow(&floorWindow);

    std::vector<double> atRest;
    for (int rep = 0; rep < c.reps; ++rep) {
        rest(w, text);
        atRest.push_back(timeKey(w));
    }
    std::printf("key %s %lld: p50 %.1f\n", shape, chars, percentile(atRest, 0.5));
    std::fflush(stdout);

    for (const Action& a : actions()) {
        if (!onlyAction.isEmpty() && onlyAction != QLatin1String(a.name))
            continue;
        std::vector<double> own, bare, key, full;
        for (int rep = 0; rep < c.reps; ++rep) {
            rest(w, text);
            a.prepare(w, clipboard, text);
            if (a.whole) {
                check(w);
                settle();
            }

            floor->setPlainText(QString());
            settle();
            QElapsedTimer timer;
            timer.start();
            floor->setPlainText(text);
            settle();
            bare.push_back(msSince(timer));

            timer.start();
            a.act(w);
            settle();
            own.push_back(msSince(timer));
            // Every other run types right after the action, the others wait
            // for the boxes to take their whole texts.
            if (rep % 2 == 0) {
                key.push_back(timeKey(w));
            } else {
                waitWhole(w);
                full.push_back(msSince(timer));
            }
            check(w);
        }
        const double p50 = percentile(own, 0.5);
        const double floorP50 = percentile(bare, 0.5);
        std::printf("action %s %s %lld: p50 %.1f floor %.1f ratio %.2f\n", a.name, shape, chars,
                    p50, floorP50, p50 / floorP50);
        std::printf("after %s %s %lld: key p50 %.1f whole p50 %.1f\n", a.name, shape, chars,
                    percentile(key, 0.5), percentile(full, 0.5));
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char** argv) {
    const Arguments args =
        readArguments(argc, argv, Arguments::Action, "action_bench",
                      "usage: action_bench [--quick] [--only=<lines|paragraph|nobreak>:<chars>] "
                      "[--action=<name>] [--reps=N]");
    QApplication app(argc, argv);
    Skivler::prepareApplication();

    const int few = args.quick ? 2 : 4;
    const int more = args.quick ? 2 : 8;
    const std::vector<Case> cases = {{Shape::Lines, 10 * 1024 * 1024, few},
                                     {Shape::Lines, 1024 * 1024, more},
                                     {Shape::Paragraph, 10 * 1024 * 1024, few},
                                     {Shape::Paragraph, 1024 * 1024, more},
                                     {Shape::NoBreak, 256 * 1024, more}};
    for (Case c : cases) {
        const QString name =
            QStringLiteral("%1:%2").arg(QString::fromLatin1(shapeName(c.shape))).arg(c.chars);
        if (!args.only.isEmpty() && args.only != name)
            continue;
        if (args.reps > 0)
            c.reps = args.reps;
        runCase(c, args.action);
    }
    return 0;
}
