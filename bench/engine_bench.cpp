#include "engine/strip.h"
#include "engine/strip_internal.h"

#include <QSaveFile>
#include <QString>
#include <benchmark/benchmark.h>
#include <random>

namespace {

// English-like text: common words, a capital after each full stop, commas,
// now and then a number, word-wrapped at 80 characters a line. The same
// size always gives the same text.
QString englishText(qsizetype size) {
    static const char* const kWords[] = {
        "the",   "of",     "and",    "to",    "in",    "is",    "that",   "it",      "was",
        "for",   "on",     "are",    "as",    "with",  "his",   "they",   "at",      "be",
        "this",  "from",   "have",   "or",    "by",    "one",   "had",    "not",     "but",
        "what",  "all",    "were",   "when",  "we",    "there", "can",    "an",      "your",
        "which", "their",  "said",   "if",    "do",    "will",  "each",   "about",   "how",
        "up",    "out",    "them",   "then",  "she",   "many",  "some",   "so",      "these",
        "would", "other",  "into",   "has",   "more",  "her",   "two",    "like",    "him",
        "see",   "time",   "could",  "no",    "make",  "than",  "first",  "been",    "its",
        "who",   "now",    "people", "my",    "made",  "over",  "did",    "down",    "only",
        "way",   "find",   "use",    "may",   "water", "long",  "little", "very",    "after",
        "words", "called", "just",   "where", "most",  "know",  "garden", "quickly", "yellow",
        "sky"};
    std::mt19937 random(1234);
    QString text;
    text.reserve(size + 100);
    QString line;
    bool capital = true;
    while (text.size() < size) {
        QString word = random() % 40 == 0
                           ? QString::number(random() % 2000)
                           : QString::fromLatin1(kWords[random() % std::size(kWords)]);
        if (capital)
            word[0] = word[0].toUpper();
        const auto mark = random() % 16;
        capital = mark == 0;
        if (mark == 0)
            word += QLatin1Char('.');
        else if (mark == 1)
            word += QLatin1Char(',');
        if (line.size() + 1 + word.size() > 80) {
            text += line;
            text += QLatin1Char('\n');
            line.clear();
        }
        if (!line.isEmpty())
            line += QLatin1Char(' ');
        line += word;
    }
    text.truncate(size);
    return text;
}

// Every option on: both passes with all of their work.
quenby::StripOptions everyOption() {
    quenby::StripOptions o;
    o.stripString = QStringLiteral("the");
    o.replacement = QStringLiteral("da");
    o.caseSensitive = false;
    o.stripPunctuation = true;
    o.stripNumbers = true;
    o.stripSpaces = true;
    o.stripVowels = true;
    o.includeY = true;
    o.caseChoice = quenby::CaseChoice::Both;
    o.slots[0] = QStringLiteral("n");
    o.slots[1] = QStringLiteral("s");
    o.slots[5] = QStringLiteral("r");
    o.marker = QStringLiteral("#");
    return o;
}

// Both passes over the text, by one sweep: "vector" goes by blocks of units
// where the processor has the vectors for them (what the program runs),
// "scalar" one unit at a time.
void Engine(benchmark::State& state, quenby::detail::SweepMode mode) {
    const QString text = englishText(state.range(0));
    const quenby::StripOptions options = everyOption();
    for (auto _ : state) {
        const quenby::StripResult result = quenby::detail::strip(text, options, mode);
        benchmark::DoNotOptimize(result.text.constData());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The floor: a deep copy of the same text.
void Copy(benchmark::State& state) {
    const QString text = englishText(state.range(0));
    for (auto _ : state) {
        const QString copy(text.constData(), text.size());
        benchmark::DoNotOptimize(copy.constData());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK_CAPTURE(Engine, vector, quenby::detail::SweepMode::Fastest)
    ->Arg(32768)
    ->Arg(1000000)
    ->Arg(10000000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Engine, scalar, quenby::detail::SweepMode::OneUnitAtATime)
    ->Arg(32768)
    ->Arg(1000000)
    ->Arg(10000000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(Copy)->Arg(32768)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMicrosecond);

// With --write-text=<file> <size>, writes the benchmark text as Latin-1
// bytes (it is all ASCII) and exits, so that other tools can be timed on it.
int main(int argc, char** argv) {
    if (argc == 3 && qstrncmp(argv[1], "--write-text=", 13) == 0) {
        QSaveFile file(QString::fromLocal8Bit(argv[1] + 13));
        const QByteArray bytes = englishText(QByteArray(argv[2]).toLongLong()).toLatin1();
        const bool ok = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
        return ok && file.commit() ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
