// Scanner throughput in MB/s over a tree of Pascal sources, single thread:
// every .pas and .pp file below ROOT (default /usr/share/fpcsrc), loaded into
// line lists beforehand.
//
//   scanner_bench [ROOT] [--benchmark_... options of Google Benchmark]
//
// scripts/bench runs it with --benchmark_repetitions and reads the JSON that
// --benchmark_out writes.
#include <benchmark/benchmark.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"
#include "scanner/VelmoricPascalScanner.h"

namespace {

struct Corpus {
  std::vector<std::unique_ptr<TStringList>> Files;
  int64_t Bytes = 0;
};

Corpus Load(const std::string& Root) {
  Corpus C;
  for (const bench::TFile& F : bench::PascalFiles(Root)) {
    const std::string Text = ReadFileBytes(F.Path);
    auto Lines = std::make_unique<TStringList>();
    Lines->SetText(Text);
    C.Bytes += static_cast<int64_t>(Text.size());
    C.Files.push_back(std::move(Lines));
  }
  return C;
}

Corpus* TheCorpus = nullptr;
Corpus& FpcCorpus() { return *TheCorpus; }

// Every token of every file, as the parser reads them.
void BM_ScanFpcSources(benchmark::State& State) {
  Corpus& C = FpcCorpus();
  int64_t Tokens = 0;
  for (auto _ : State) {
    for (const auto& Lines : C.Files) {
      TToken Token(Lines.get());
      while (Token.Next()) benchmark::DoNotOptimize(Token.LowerText.data());
      Tokens += Token.TokenLine;
    }
  }
  benchmark::DoNotOptimize(Tokens);
  State.SetBytesProcessed(State.iterations() * C.Bytes);
}

// The classifiers the parser asks about each word, on top of scanning.
void BM_ScanAndClassify(benchmark::State& State) {
  Corpus& C = FpcCorpus();
  int Hits = 0;
  for (auto _ : State) {
    for (const auto& Lines : C.Files) {
      TToken Token(Lines.get());
      TDefType Def;
      TBereichTokenType Scope;
      TProcOptionsType Option;
      while (Token.Next()) {
        Hits += Token.IsDefBereich(Def) + Token.IsScope(Scope) + Token.IsProcOption(Option);
      }
    }
  }
  benchmark::DoNotOptimize(Hits);
  State.SetBytesProcessed(State.iterations() * C.Bytes);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  std::string Root = "/usr/share/fpcsrc";
  for (int I = 1; I < argc; ++I) {
    if (argv[I][0] == '-') {
      std::cerr << "scanner_bench: unknown option " << argv[I] << "\n";
      return 2;
    }
    Root = argv[I];
  }
  Corpus C = Load(Root);
  TheCorpus = &C;
  if (C.Files.empty()) {
    std::cerr << "scanner_bench: no .pas or .pp files below " << Root << "\n";
    return 1;
  }
  std::cout << "corpus: " << C.Files.size() << " files, " << C.Bytes / 1024 << " KiB below " << Root
            << "\n";
  benchmark::AddCustomContext("files", std::to_string(C.Files.size()));
  benchmark::AddCustomContext("bytes", std::to_string(C.Bytes));
  benchmark::AddCustomContext("root", Root);
  benchmark::RegisterBenchmark("BM_ScanFpcSources", BM_ScanFpcSources)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark("BM_ScanAndClassify", BM_ScanAndClassify)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
