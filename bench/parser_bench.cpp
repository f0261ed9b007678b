// Parse throughput over a tree of Pascal sources, single thread, beside
// universal-ctags indexing the same files in the same run.
//
//   parser_bench [--runs N] [--no-ctags] [ROOT]     (ROOT: /usr/share/fpcsrc)
//
// Every .pas and .pp file below ROOT is read and parsed with the command
// line's default options [oCompileImplementation], then again with
// oCompileLocalVar added. The timings include reading each file into its line
// list (and freeing the model), as ctags' include its own reading; the time
// of CreateSymbols alone is shown too. Each measurement is the best of N runs
// (default 3) over files already in the page cache.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "scanner/VelmoricPascalScanner.h"

namespace {

using Clock = std::chrono::steady_clock;

struct TTotals {
  double Seconds = 0;
  double ParseSeconds = 0;  // CreateSymbols alone: the lines already read
  long long Bytes = 0;
  long long Lines = 0;
  long long LinesReached = 0;  // lines up to where each parse stopped
  long long Symbols = 0;
  long long Errors = 0;
  int GaveUp = 0;  // parses ended by the scanner's end-of-text guard
};

long long CountSymbols(const TOrvikSymbol& Sym) {
  long long N = 0;
  if (Sym.symbols)
    for (int I = 0; I < Sym.symbols->Count(); ++I)
      N += 1 + CountSymbols(*static_cast<TOrvikSymbol*>(Sym.symbols->GetObject(I)));
  return N;
}

TTotals ParseAll(const std::vector<std::string>& Files, TCompilerOptionsSet Options) {
  TTotals T;
  const auto Start = Clock::now();
  for (const std::string& F : Files) {
    auto* Lines = new TStringList;
    Lines->SetText(ReadFileBytes(F));
    T.Lines += Lines->Count();
    TPascalSource Source(new TToken(Lines));
    Source.FileName = F;
    const auto ParseStart = Clock::now();
    try {
      Source.CreateSymbols(Options);
    } catch (const Exception&) {
      ++T.GaveUp;
    }
    T.ParseSeconds += std::chrono::duration<double>(Clock::now() - ParseStart).count();
    T.LinesReached += std::min(Source.Token->Line + 1, Lines->Count());
    T.Symbols += CountSymbols(Source.symbols);
    T.Errors += Source.errors->Count();
  }
  T.Seconds = std::chrono::duration<double>(Clock::now() - Start).count();
  return T;
}

double RunCtags(const std::string& ListFile) {
  const std::string Command =
      "ctags --languages=Pascal --language-force=Pascal -f /dev/null -L '" + ListFile + "'";
  const auto Start = Clock::now();
  if (std::system(Command.c_str()) != 0) return -1;
  return std::chrono::duration<double>(Clock::now() - Start).count();
}

void Report(const char* What, const TTotals& T, double CtagsSeconds) {
  const double MB = static_cast<double>(T.Bytes) / 1e6;
  std::printf("%-34s %8.3f s %8.1f MB/s %10.0f lines/s", What, T.Seconds, MB / T.Seconds,
              static_cast<double>(T.Lines) / T.Seconds);
  if (CtagsSeconds > 0) std::printf("   ours/ctags speed %.2f", CtagsSeconds / T.Seconds);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::string Root = "/usr/share/fpcsrc";
  int Runs = 3;
  bool WithCtags = true;
  for (int I = 1; I < argc; ++I) {
    const std::string A = argv[I];
    if (A == "--runs" && I + 1 < argc) Runs = std::max(1, std::atoi(argv[++I]));
    else if (A == "--no-ctags") WithCtags = false;
    else Root = A;
  }
  std::vector<std::string> Files;
  std::error_code Ec;
  for (auto It = std::filesystem::recursive_directory_iterator(Root, Ec);
       It != std::filesystem::recursive_directory_iterator(); It.increment(Ec)) {
    const auto Ext = It->path().extension();
    if (It->is_regular_file(Ec) && (Ext == ".pas" || Ext == ".pp")) Files.push_back(It->path());
  }
  if (Files.empty()) {
    std::cerr << "parser_bench: no .pas or .pp files below " << Root << "\n";
    return 1;
  }
  std::sort(Files.begin(), Files.end());

  long long Bytes = 0;
  for (const std::string& F : Files) Bytes += static_cast<long long>(ReadFileBytes(F).size());
  const std::string ListFile = std::filesystem::temp_directory_path() / "parser_bench_files.txt";
  {
    std::ofstream L(ListFile);
    for (const std::string& F : Files) L << F << '\n';
  }

  TTotals Default, Local;
  double Ctags = -1;
  for (int R = 0; R < Runs; ++R) {
    const TTotals D = ParseAll(Files, {oCompileImplementation});
    if (R == 0 || D.Seconds < Default.Seconds) Default = D;
    const TTotals L = ParseAll(Files, {oCompileImplementation, oCompileLocalVar});
    if (R == 0 || L.Seconds < Local.Seconds) Local = L;
    if (WithCtags) {
      const double C = RunCtags(ListFile);
      if (C > 0 && (Ctags < 0 || C < Ctags)) Ctags = C;
    }
  }
  std::filesystem::remove(ListFile, Ec);
  Default.Bytes = Local.Bytes = Bytes;

  std::printf("%zu files, %.1f MB, %lld lines below %s; best of %d runs, single thread\n",
              Files.size(), static_cast<double>(Bytes) / 1e6, Default.Lines, Root.c_str(), Runs);
  Report("velmoric parse", Default, Ctags);
  Report("velmoric parse --local-vars", Local, Ctags);
  TTotals ParseOnly = Default;
  ParseOnly.Seconds = Default.ParseSeconds;
  Report("  of which CreateSymbols alone", ParseOnly, Ctags);
  if (WithCtags) {
    if (Ctags > 0) {
      TTotals C;
      C.Seconds = Ctags;
      C.Bytes = Bytes;
      C.Lines = Default.Lines;
      Report("ctags (Pascal)", C, -1);
    } else {
      std::printf("ctags: not run (not installed or failed)\n");
    }
  }
  std::printf("symbols %lld, errors %lld, parses given up at end of text %d, "
              "lines reached %.1f%%\n",
              Default.Symbols, Default.Errors, Default.GaveUp,
              100.0 * static_cast<double>(Default.LinesReached) / static_cast<double>(Default.Lines));
  return 0;
}
