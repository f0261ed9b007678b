// Cold against warm compile over a copy of a tree of Pascal sources.
//
//   project_bench [--keep] [ROOT]        (ROOT: /usr/share/fpcsrc)
//
// ROOT is copied whole to a scratch folder. Cold: every .pas and .pp file is
// compiled by a fresh project ([oCompileImplementation]), which parses it and
// writes its symbol store beside it. Warm: the same again, now loading every
// unit from its store. One run, single thread; the files are in the page
// cache for both passes (the copy has just read and written them).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "project/VelmoricPascalProject.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

struct TPass {
  double Seconds = 0;
  int Parsed = 0;
  int Loaded = 0;
  int Failed = 0;  // the parser gave up (the store is written all the same)
  long long Symbols = 0;
};

long long CountSymbols(const TOrvikSymbol& Sym) {
  long long N = 0;
  if (Sym.symbols)
    for (int I = 0; I < Sym.symbols->Count(); ++I)
      N += 1 + CountSymbols(*static_cast<TOrvikSymbol*>(Sym.symbols->GetObject(I)));
  return N;
}

TPass CompileAll(const std::vector<std::string>& Files) {
  TPass P;
  const auto Start = Clock::now();
  for (const std::string& F : Files) {
    TPascalProject Project;
    try {
      Project.Compile(F, {oCompileImplementation});
    } catch (const Exception&) {
      ++P.Failed;
    }
    if (Project.FUnitLIst->Count() == 0) continue;
    const auto* S = static_cast<const TPascalSource*>(Project.FUnitLIst->GetObjects(0));
    (S->State == stUpdated ? P.Parsed : P.Loaded) += 1;
    P.Symbols += CountSymbols(S->symbols);
  }
  P.Seconds = std::chrono::duration<double>(Clock::now() - Start).count();
  return P;
}

void Report(const char* What, const TPass& P) {
  std::printf("%-6s %8.3f s   parsed %5d  loaded %5d  parser gave up %3d  symbols %lld\n", What,
              P.Seconds, P.Parsed, P.Loaded, P.Failed, P.Symbols);
}

}  // namespace

int main(int argc, char** argv) {
  std::string Root = "/usr/share/fpcsrc";
  bool Keep = false;
  for (int I = 1; I < argc; ++I) {
    const std::string A = argv[I];
    if (A == "--keep") Keep = true;
    else Root = A;
  }
  // A lower-case scratch path: the project model looks names up without
  // regard to case, and lower-case parts are found without listing folders.
  const fs::path Scratch = fs::temp_directory_path() / ("velmoric-bench-" + std::to_string(::getpid()));
  const fs::path Copy = Scratch / "tree";
  std::error_code Ec;
  fs::create_directories(Scratch, Ec);
  const auto CopyStart = Clock::now();
  fs::copy(Root, Copy, fs::copy_options::recursive | fs::copy_options::skip_symlinks, Ec);
  if (Ec) {
    std::cerr << "project_bench: copying " << Root << " failed: " << Ec.message() << "\n";
    fs::remove_all(Scratch, Ec);
    return 1;
  }
  const double CopySeconds = std::chrono::duration<double>(Clock::now() - CopyStart).count();

  std::vector<std::string> Files;
  long long Bytes = 0;
  for (auto It = fs::recursive_directory_iterator(Copy, Ec); It != fs::recursive_directory_iterator();
       It.increment(Ec)) {
    const auto Ext = It->path().extension();
    if (It->is_regular_file(Ec) && (Ext == ".pas" || Ext == ".pp")) {
      Files.push_back(It->path());
      Bytes += static_cast<long long>(It->file_size(Ec));
    }
  }
  std::sort(Files.begin(), Files.end());
  // Sources that share a name with a different extension (x.pas, x.pp) share
  // one store file; keep the first of each so that warm loads every unit.
  std::vector<std::string> Units;
  std::set<std::string> Seen;
  for (const std::string& F : Files)
    if (Seen.insert(TPascalProject::StoreFileName(F)).second) Units.push_back(F);

  DisplayCompilerProcess = false;
  std::printf("%zu files (%zu with a store of their own), %.1f MB, copied from %s in %.1f s\n",
              Files.size(), Units.size(), static_cast<double>(Bytes) / 1e6, Root.c_str(),
              CopySeconds);
  const TPass Cold = CompileAll(Units);
  long long StoreBytes = 0;
  for (const std::string& F : Units)
    StoreBytes += static_cast<long long>(fs::file_size(TPascalProject::StoreFileName(F), Ec));
  const TPass Warm = CompileAll(Units);
  Report("cold", Cold);
  Report("warm", Warm);
  std::printf("stores %.1f MB; warm is %.1f times faster than cold (goal: 10)\n",
              static_cast<double>(StoreBytes) / 1e6, Cold.Seconds / Warm.Seconds);
  if (!Keep) fs::remove_all(Scratch, Ec);
  return 0;
}
