#include "engine/strip.h"
#include "engine/strip_internal.h"

#include <QSaveFile>
#include <QString>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

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

// Worst cases for finding the strip string: strings that a matcher going
// character by character compares far into at nearly every position of the
// text, each against a two-character string over the same text, in the same
// run: the long string's first character and the one character of it that
// the text never holds. Neither string occurs, so both give the same output
// and differ only in the finding. Options are the defaults (vowels of both
// cases and Y stripped).
//   periodic: 'a' again and again, and 'a' x 20,000 then 'b': every position
//             starts 20,000 matching characters. Two characters: "ab".
//   prefix:   a sentence again and again, and its first 20,000 characters
//             then '!': every sentence start shares those 20,000. "T!".
//   interior: 'a' again and again, and 'a' x 10,000, 'b', 'a' x 10,000: its
//             first and last characters are everywhere, so that only reading
//             the text rules positions out. "ab".
enum class MatchingText { Periodic, Prefix, Interior };

constexpr qsizetype kLongString = 20000; // characters

void Matching(benchmark::State& state, MatchingText shape, bool caseSensitive, bool longString,
              quenby::detail::SweepMode mode) {
    const qsizetype size = state.range(0);
    const QString sentence =
        QStringLiteral("The cat sat on the mat, then the dog sat on the cat. ");
    const QString half(kLongString / 2, QLatin1Char('a'));
    QString text;
    QString worst;
    QString two;
    switch (shape) {
    case MatchingText::Periodic:
        text = QString(size, QLatin1Char('a'));
        worst = QString(kLongString, QLatin1Char('a')) + QLatin1Char('b');
        two = QStringLiteral("ab");
        break;
    case MatchingText::Prefix:
        text = sentence.repeated(size / sentence.size() + 1).left(size);
        worst = sentence.repeated(kLongString / sentence.size() + 1).left(kLongString) +
                QLatin1Char('!');
        two = QStringLiteral("T!");
        break;
    case MatchingText::Interior:
        text = QString(size, QLatin1Char('a'));
        worst = half + QLatin1Char('b') + half;
        two = QStringLiteral("ab");
        break;
    }
    quenby::StripOptions options;
    options.stripString = longString ? worst : two;
    if (!caseSensitive)
        options.stripString = options.stripString.toUpper();
    options.replacement = QStringLiteral("-");
    options.caseSensitive = caseSensitive;
    for (auto _ : state) {
        const quenby::StripResult result = quenby::detail::strip(text, options, mode);
        benchmark::DoNotOptimize(result.text.constData());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * size);
}

// The console report, and after it each long string's time over its
// two-character string's, from the times of this run: wall time, and
// processor time (which other work on the machine disturbs less); with
// --benchmark_repetitions, the best of the repetitions.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            const std::pair<double, double> times = {run.GetAdjustedRealTime(),
                                                     run.GetAdjustedCPUTime()};
            const auto [at, added] = m_times.emplace(run.benchmark_name(), times);
            if (!added)
                at->second = {std::min(at->second.first, times.first),
                              std::min(at->second.second, times.second)};
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [name, times] : m_times) {
            const size_t at = name.find("/long/");
            if (at == std::string::npos)
                continue;
            const std::string stem = name.substr(0, at);
            const std::string size = name.substr(at + 6);
            const auto plain = m_times.find(stem + "/two/" + size);
            if (plain != m_times.end())
                std::printf("ratio %s/%s: long string / two characters = wall %.2f cpu %.2f\n",
                            stem.c_str(), size.c_str(), times.first / plain->second.first,
                            times.second / plain->second.second);
        }
    }

private:
    std::map<std::string, std::pair<double, double>> m_times; // wall, processor
};

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
    // The ratios follow the console report; another format goes as it is.
    bool console = true;
    for (int k = 1; k < argc; ++k)
        console = console && (qstrncmp(argv[k], "--benchmark_format=", 19) != 0 ||
                              qstrcmp(argv[k], "--benchmark_format=console") == 0);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    // Matching/<text>/<case>/<sweep>/<string>/<characters of text>
    for (const auto& [shapeName, shape] :
         {std::pair("periodic", MatchingText::Periodic), std::pair("prefix", MatchingText::Prefix),
          std::pair("interior", MatchingText::Interior)})
        for (const bool caseSensitive : {true, false})
            for (const auto& [modeName, mode] :
                 {std::pair("vector", quenby::detail::SweepMode::Fastest),
                  std::pair("scalar", quenby::detail::SweepMode::OneUnitAtATime)})
                for (const bool longString : {false, true})
                    benchmark::RegisterBenchmark((std::string("Matching/") + shapeName +
                                                  (caseSensitive ? "/case/" : "/nocase/") +
                                                  modeName + (longString ? "/long" : "/two"))
                                                     .c_str(),
                                                 Matching, shape, caseSensitive, longString, mode)
                        ->Arg(qsizetype(1) << 18)
                        ->Arg(qsizetype(1) << 20)
                        ->Unit(benchmark::kMillisecond);
    RatioReporter reporter;
    if (console)
        benchmark::RunSpecifiedBenchmarks(&reporter);
    else
        benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
