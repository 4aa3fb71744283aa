#include "engine/strip.h"

#include <benchmark/benchmark.h>

static void Engine(benchmark::State& state) {
    QString s(int(state.range(0)), QLatin1Char('a'));
    quenby::StripOptions o;
    for (auto _ : state)
        benchmark::DoNotOptimize(quenby::strip(s, o));
}
BENCHMARK(Engine)->Arg(32768);
BENCHMARK_MAIN();
