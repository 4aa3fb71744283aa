#pragma once

// What the window benchmarks share: stand-ins for the desktop, the sample
// texts, and the event loop steps they time.
#include "window/platform.h"

#include <QString>
#include <QTemporaryDir>
#include <utility>
#include <vector>

class QWidget;

namespace quenby::bench {

// A clipboard in memory, so that no desktop clipboard is touched.
class MemoryClipboard : public Clipboard {
public:
    QString GetText() override { return m_text; }
    void Clear() override { m_text.clear(); }
    void SetText(const QString& text) override { m_text = text; }

private:
    QString m_text;
};

// No message may appear while a benchmark runs: one would mean the run
// measured something else than the action it names.
class NoDialogs : public Dialogs {
public:
    Answer show(const Message& message) override;
};

// The program folder at a path the benchmark chose.
class FixedFolder : public ProgramFolder {
public:
    explicit FixedFolder(QString path) : m_path(std::move(path)) {}
    QString path() const override { return m_path; }

private:
    QString m_path;
};

class TemporaryFolder : public ProgramFolder {
public:
    QString path() const override { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

enum class Shape {
    Lines,     // English-like words in 80-character lines (79 characters and LF)
    Paragraph, // the same words as one line
    NoBreak,   // letters and digits with no break opportunity at all
};

const char* shapeName(Shape shape);

// Exactly `chars` characters of the shape; the same text every run for the
// same seed.
QString sampleText(Shape shape, qsizetype chars, quint32 seed = 12345);

// Delivers the events that are pending now, the ones they post in turn
// included, and one pass of the event loop: what has to run before the
// window takes the next input.
void settle();

double percentile(std::vector<double> values, double p);

// Shows a window on the screen and waits until it is exposed.
void showWindow(QWidget* window);

[[noreturn]] void fail(const char* program, const char* what);

// The command line of the benchmarks that time the window's actions:
// --quick, --only=<shape>:<chars>, --reps=N, and where the program takes
// them --action=<name> and --warmup=N. Anything else fails with `usage`.
// Also picks the offscreen platform unless QT_QPA_PLATFORM names one.
struct Arguments {
    enum Extra { None = 0, Action = 1, WarmUp = 2 };
    bool quick = false;
    QString only;
    QString action;
    int reps = 0;    // 0: the case's own count
    int warmUp = -1; // -1: the program's own count
};
Arguments readArguments(int argc, char** argv, int extra, const char* program, const char* usage);

} // namespace quenby::bench
