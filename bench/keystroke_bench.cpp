// Keystroke latency of the real window on big inputs, against a bare
// QPlainTextEdit holding the same text as the floor.
//
//   keystroke_bench [--quick] [--only=<lines|line>:<chars>]
//
// Each case loads an input into Text1, then types one character at its end
// with a Qt Test key event and times it until every handler has finished and
// the pending events (layout and paint) are processed. The floor is the same
// keystroke into a bare QPlainTextEdit of Text1's size and wrap mode, shown in
// a window of its own; window and floor keystrokes alternate, so that both
// see the same machine load. Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise.
#include "window/platform.h"
#include "window/skivler.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

class MemoryClipboard : public quenby::Clipboard {
public:
    QString GetText() override { return m_text; }
    void Clear() override { m_text.clear(); }
    void SetText(const QString& text) override { m_text = text; }

private:
    QString m_text;
};

// No message may appear while typing: one would mean the run measured
// something else than a keystroke.
class NoDialogs : public quenby::Dialogs {
public:
    quenby::Answer show(const quenby::Message& message) override {
        std::fprintf(stderr, "unexpected message box: %s\n", qPrintable(message.text));
        std::exit(1);
    }
};

class TemporaryFolder : public quenby::ProgramFolder {
public:
    QString path() const override { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

enum class Shape { Lines, Line };

struct Case {
    Shape shape;
    qsizetype chars;
    int reps;
};

// English-like words, cut into 80-character lines (79 characters and LF) or
// left as one line; exactly `chars` characters, the same text every run.
QString englishText(Shape shape, qsizetype chars) {
    static const char* const kWords[] = {
        "the",   "quick", "brown",   "fox",   "jumps", "over",  "lazy",     "dog,",
        "and",   "then",  "it",      "runs",  "away.", "A",     "bright",   "morning",
        "with",  "tea",   "in",      "cups;", "every", "year",  "people",   "write",
        "long",  "texts", "about",   "their", "lives", "(and",  "gardens)", "Yes!",
        "quiet", "river", "flowing", "north", "under", "stone", "bridges",  "42"};
    constexpr std::size_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);
    QString stream;
    stream.reserve(chars + 16);
    quint32 seed = 12345;
    while (stream.size() < chars) {
        seed = seed * 1103515245u + 12345u;
        if (!stream.isEmpty())
            stream += QLatin1Char(' ');
        stream += QLatin1String(kWords[(seed >> 16) % kWordCount]);
    }
    stream.truncate(chars);
    if (shape == Shape::Line)
        return stream;
    for (qsizetype i = 79; i < stream.size(); i += 80)
        stream[i] = QLatin1Char('\n');
    return stream;
}

void settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
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
    box->moveCursor(QTextCursor::End);
    settle();
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const std::size_t i = std::min(values.size() - 1, std::size_t(p * double(values.size() - 1)));
    return values[i];
}

void fail(const char* what) {
    std::fprintf(stderr, "keystroke_bench: %s\n", what);
    std::exit(1);
}

void runCase(const Case& c, bool remember) {
    const QString input = englishText(c.shape, c.chars);

    MemoryClipboard clipboard;
    NoDialogs dialogs;
    TemporaryFolder folder;
    Skivler window({clipboard, dialogs, folder});
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        fail("the window was not exposed");
    window.yesRemember->setValue(remember ? 1 : 0);
    window.Text1->setText(input);

    // The floor: a bare box like Text1, in a window like the real one.
    QWidget floorWindow;
    floorWindow.setFixedSize(window.size());
    auto* floor = new QPlainTextEdit(&floorWindow);
    floor->setGeometry(window.Text1->geometry());
    floor->setLineWrapMode(window.Text1->lineWrapMode());
    floor->setHorizontalScrollBarPolicy(window.Text1->horizontalScrollBarPolicy());
    floor->setVerticalScrollBarPolicy(window.Text1->verticalScrollBarPolicy());
    floor->setPlainText(input);
    floorWindow.show();
    if (!QTest::qWaitForWindowExposed(&floorWindow))
        fail("the floor window was not exposed");

    std::vector<double> own;
    std::vector<double> bare;
    constexpr int kWarmUp = 2;
    for (int rep = 0; rep < kWarmUp + c.reps; ++rep) {
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
        if (rep >= kWarmUp) {
            own.push_back(ownMs);
            bare.push_back(bareMs);
        }
    }
    const double p50 = percentile(own, 0.5);
    const double floorP50 = percentile(bare, 0.5);
    std::printf("keystroke %s %lld remember=%d: p50 %.2f p95 %.2f floor %.2f ratio %.2f\n",
                c.shape == Shape::Lines ? "lines" : "line", static_cast<long long>(c.chars),
                remember ? 1 : 0, p50, percentile(own, 0.95), floorP50, p50 / floorP50);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    bool quick = false;
    QString only;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--quick"))
            quick = true;
        else if (arg.startsWith(QLatin1String("--only=")))
            only = arg.mid(7);
        else
            fail("usage: keystroke_bench [--quick] [--only=<lines|line>:<chars>]");
    }
    QApplication app(argc, argv);
    Skivler::prepareApplication();

    const std::vector<Case> cases = quick ? std::vector<Case>{{Shape::Lines, 32 * 1024, 5},
                                                              {Shape::Lines, 1024 * 1024, 5},
                                                              {Shape::Line, 100 * 1000, 5}}
                                          : std::vector<Case>{{Shape::Lines, 32 * 1024, 100},
                                                              {Shape::Lines, 1024 * 1024, 40},
                                                              {Shape::Lines, 10 * 1024 * 1024, 10},
                                                              {Shape::Line, 100 * 1000, 40}};
    for (const Case& c : cases) {
        const QString name =
            QStringLiteral("%1:%2")
                .arg(c.shape == Shape::Lines ? QStringLiteral("lines") : QStringLiteral("line"))
                .arg(c.chars);
        if (!only.isEmpty() && only != name)
            continue;
        for (bool remember : {true, false})
            runCase(c, remember);
    }
    return 0;
}
