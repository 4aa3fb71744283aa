#include "window_bench.h"

#include <QCoreApplication>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

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

} // namespace quenby::bench
