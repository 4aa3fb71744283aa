#include "window_bench.h"

#include <QCoreApplication>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace quenby::bench {

Answer NoDialogs::show(const Message& message) {
    std::fprintf(stderr, "unexpected message box: %s\n", qPrintable(message.text));
    std::exit(1);
}

const char* shapeName(Shape shape) {
    switch (shape) {
    case Shape::Lines:
        return "lines";
    case Shape::Paragraph:
        return "paragraph";
    case Shape::NoBreak:
        return "nobreak";
    }
    return "?";
}

QString sampleText(Shape shape, qsizetype chars, quint32 seed) {
    QString text;
    text.reserve(chars + 16);
    if (shape == Shape::NoBreak) {
        static const char kAlphabet[] =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        while (text.size() < chars) {
            seed = seed * 1103515245u + 12345u;
            text += QLatin1Char(kAlphabet[(seed >> 16) % (sizeof(kAlphabet) - 1)]);
        }
        return text;
    }
    static const char* const kWords[] = {
        "the",   "quick", "brown",   "fox",   "jumps", "over",  "lazy",     "dog,",
        "and",   "then",  "it",      "runs",  "away.", "A",     "bright",   "morning",
        "with",  "tea",   "in",      "cups;", "every", "year",  "people",   "write",
        "long",  "texts", "about",   "their", "lives", "(and",  "gardens)", "Yes!",
        "quiet", "river", "flowing", "north", "under", "stone", "bridges",  "42"};
    constexpr std::size_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);
    while (text.size() < chars) {
        seed = seed * 1103515245u + 12345u;
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += QLatin1String(kWords[(seed >> 16) % kWordCount]);
    }
    text.truncate(chars);
    if (shape == Shape::Lines)
        for (qsizetype i = 79; i < text.size(); i += 80)
            text[i] = QLatin1Char('\n');
    return text;
}

void settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t i = std::min(values.size() - 1, std::size_t(p * double(values.size() - 1)));
    return values[i];
}

void showWindow(QWidget* window) {
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        fail("bench", "a window was not exposed");
}

void fail(const char* program, const char* what) {
    std::fprintf(stderr, "%s: %s\n", program, what);
    std::exit(1);
}

Arguments readArguments(int argc, char** argv, int extra, const char* program, const char* usage) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Arguments a;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const auto value = [&](const char* name) {
            const QString prefix = QString::fromLatin1(name);
            return arg.startsWith(prefix) ? std::optional<QString>(arg.mid(prefix.size()))
                                          : std::nullopt;
        };
        if (arg == QLatin1String("--quick"))
            a.quick = true;
        else if (const auto only = value("--only="))
            a.only = *only;
        else if (const auto action = value("--action="); action && (extra & Arguments::Action))
            a.action = *action;
        else if (const auto reps = value("--reps="); reps && reps->toInt() > 0)
            a.reps = reps->toInt();
        else if (const auto warmUp = value("--warmup=");
                 warmUp && (extra & Arguments::WarmUp) && warmUp->toInt() >= 0)
            a.warmUp = warmUp->toInt();
        else
            fail(program, usage);
    }
    return a;
}

} // namespace quenby::bench
