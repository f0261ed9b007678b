// Cost of the procedure trace guard while tracing is off, against an empty
// scope. A disabled guard should cost about one branch.
#include <benchmark/benchmark.h>

#include "platform/rtl/SysUtils.h"
#include "trace/traceletVelmoric.h"

namespace {

[[gnu::noinline]] int Plain(int X) {
  benchmark::DoNotOptimize(X);
  return X + 1;
}

[[gnu::noinline]] int Traced(int X) {
  TTraceProc Trace("TBench.Traced");
  benchmark::DoNotOptimize(X);
  return X + 1;
}

[[gnu::noinline]] int TracedFormatted(int X) {
  TTraceProc Trace([&] { return Format("TBench.TracedFormatted(x=%d)", X); });
  benchmark::DoNotOptimize(X);
  return X + 1;
}

void BM_EmptyProcedure(benchmark::State& State) {
  FlagTrace = false;
  int X = 0;
  for (auto _ : State) X = Plain(X);
  benchmark::DoNotOptimize(X);
}

void BM_DisabledGuard(benchmark::State& State) {
  FlagTrace = false;
  int X = 0;
  for (auto _ : State) X = Traced(X);
  benchmark::DoNotOptimize(X);
}

void BM_DisabledFormattedGuard(benchmark::State& State) {
  FlagTrace = false;
  int X = 0;
  for (auto _ : State) X = TracedFormatted(X);
  benchmark::DoNotOptimize(X);
}

// Tracing on, no log window and no log file: the cost of building the lines.
void BM_EnabledGuardNoListener(benchmark::State& State) {
  FlagTrace = true;
  int X = 0;
  for (auto _ : State) X = Traced(X);
  FlagTrace = false;
  TraceIndent.clear();
  benchmark::DoNotOptimize(X);
}

}  // namespace

BENCHMARK(BM_EmptyProcedure);
BENCHMARK(BM_DisabledGuard);
BENCHMARK(BM_DisabledFormattedGuard);
BENCHMARK(BM_EnabledGuardNoListener);
BENCHMARK_MAIN();
