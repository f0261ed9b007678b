// Scanner throughput in MB/s over Free Pascal sources (/usr/share/fpcsrc):
// the objpas runtime and fcl-base trees, loaded into line lists beforehand.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"
#include "scanner/VelmoricPascalScanner.h"

namespace fs = std::filesystem;

namespace {

struct Corpus {
  std::vector<std::unique_ptr<TStringList>> Files;
  int64_t Bytes = 0;
};

void AddTree(Corpus& C, const fs::path& Dir) {
  std::error_code Ec;
  for (auto It = fs::recursive_directory_iterator(Dir, Ec); !Ec && It != fs::end(It);
       It.increment(Ec)) {
    const std::string Ext = LowerCase(It->path().extension().string());
    if (!It->is_regular_file() || (Ext != ".pp" && Ext != ".pas" && Ext != ".inc")) continue;
    const std::string Text = ReadFileBytes(It->path().string());
    auto Lines = std::make_unique<TStringList>();
    Lines->SetText(Text);
    C.Bytes += static_cast<int64_t>(Text.size());
    C.Files.push_back(std::move(Lines));
  }
}

Corpus& FpcCorpus() {
  static Corpus C = [] {
    Corpus R;
    std::error_code Ec;
    if (!fs::is_directory("/usr/share/fpcsrc", Ec)) return R;
    for (const fs::path& Version : fs::directory_iterator("/usr/share/fpcsrc", Ec)) {
      AddTree(R, Version / "rtl/objpas");
      AddTree(R, Version / "packages/fcl-base");
    }
    return R;
  }();
  return C;
}

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
  const Corpus& C = FpcCorpus();
  if (C.Files.empty()) {
    std::cout << "scanner_bench: /usr/share/fpcsrc not found; nothing to measure\n";
    return 0;
  }
  std::cout << "corpus: " << C.Files.size() << " files, " << C.Bytes / 1024 << " KiB\n";
  benchmark::RegisterBenchmark("BM_ScanFpcSources", BM_ScanFpcSources)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BM_ScanAndClassify", BM_ScanAndClassify)->Unit(benchmark::kMillisecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
