// Cold against warm compile over a copy of a tree of Pascal sources.
//
//   project_bench [--runs N] [--json FILE] [--keep] [ROOT]   (ROOT: /usr/share/fpcsrc)
//   project_bench --tree DIR             (a copy kept before: both passes warm,
//                                         for profiling the load)
//
// ROOT is copied whole to a scratch folder. Cold: every .pas and .pp file is
// compiled by a fresh project ([oCompileImplementation]), which parses it and
// writes its symbol store beside it. Warm: the same again, now loading every
// unit from its store. Each of the N runs (default 1) does both passes on a
// copy of its own (nothing is deleted before the end); single thread; the
// files are in the page cache for both passes (the copy has just written
// them). The time of the Compile calls is the measure (the median of the
// runs); freeing the projects again is shown beside it. --json writes every
// run's figures.
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "project/VelmoricPascalProject.h"

namespace fs = std::filesystem;

namespace {

using bench::Clock;
using bench::CpuSeconds;

struct TPass {
  double Seconds = 0;         // the Compile calls
  double WithRelease = 0;     // and freeing the projects again
  double Cpu = 0;             // CPU time of the whole pass, freeing included
  int Parsed = 0;
  int Loaded = 0;
  int Failed = 0;  // the parser gave up (the store is written all the same)
  long long Symbols = 0;
};

TPass CompileAll(const std::vector<std::string>& Files) {
  TPass P;
  const auto Start = Clock::now();
  const double CpuStart = CpuSeconds();
  Clock::duration InCompile{};
  for (const std::string& F : Files) {
    TPascalProject Project;
    const auto CompileStart = Clock::now();
    try {
      Project.Compile(F, {oCompileImplementation});
    } catch (const Exception& E) {
      if (++P.Failed <= 3) std::fprintf(stderr, "%s: %s\n", F.c_str(), E.Message().c_str());
    }
    InCompile += Clock::now() - CompileStart;
    if (Project.FUnitLIst->Count() == 0) continue;
    const auto* S = static_cast<const TPascalSource*>(Project.FUnitLIst->GetObjects(0));
    (S->State == stUpdated ? P.Parsed : P.Loaded) += 1;
    P.Symbols += bench::CountSymbols(S->symbols);
  }
  P.Seconds = std::chrono::duration<double>(InCompile).count();
  P.WithRelease = std::chrono::duration<double>(Clock::now() - Start).count();
  P.Cpu = CpuSeconds() - CpuStart;
  return P;
}

bench::Json PassJson(const TPass& P) {
  return {{"seconds", P.Seconds},     {"with_freeing_seconds", P.WithRelease},
          {"cpu_seconds", P.Cpu},     {"parsed", P.Parsed},
          {"loaded", P.Loaded},       {"failed", P.Failed},
          {"symbols", P.Symbols}};
}

void Report(const char* What, const TPass& P) {
  std::printf("%-6s %7.3f s (%7.3f s with freeing, CPU %7.3f s)   parsed %5d  loaded %5d  "
              "parser gave up %3d  symbols %lld\n",
              What, P.Seconds, P.WithRelease, P.Cpu, P.Parsed, P.Loaded, P.Failed, P.Symbols);
}

}  // namespace

int main(int argc, char** argv) {
  std::string Root = "/usr/share/fpcsrc";
  bool Keep = false;
  std::string Tree, JsonFile;
  int Runs = 1;
  for (int I = 1; I < argc; ++I) {
    const std::string A = argv[I];
    const bool HasValue = I + 1 < argc;
    if (A == "--keep") Keep = true;
    else if (A == "--tree" && HasValue) Tree = argv[++I];
    else if (A == "--runs" && HasValue) Runs = std::max(1, std::atoi(argv[++I]));
    else if (A == "--json" && HasValue) JsonFile = argv[++I];
    else if (!A.empty() && A[0] == '-') {
      std::cerr << "usage: project_bench [--runs N] [--json FILE] [--keep] [ROOT] | --tree DIR\n";
      return 2;
    } else Root = A;
  }
  // A lower-case scratch path: the project model looks names up without
  // regard to case, and lower-case parts are found without listing folders.
  const fs::path Scratch =
      Tree.empty() ? fs::temp_directory_path() / ("velmoric-bench-" + std::to_string(::getpid()))
                   : fs::path(Tree).parent_path();
  const fs::path Copy = Tree.empty() ? Scratch / "tree" : fs::path(Tree);
  std::error_code Ec;
  const std::string Origin = Root;
  const auto CopyStart = Clock::now();
  if (Tree.empty()) {
    fs::create_directories(Scratch, Ec);
    fs::copy(Root, Copy, fs::copy_options::recursive | fs::copy_options::skip_symlinks, Ec);
    Root += " to " + Copy.string();
  } else {
    Keep = true;
    Root = Tree;
  }
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
  if (Units.empty()) {
    std::cerr << "project_bench: no .pas or .pp files below " << Root << "\n";
    if (!Keep) fs::remove_all(Scratch, Ec);
    return 1;
  }
  std::vector<TPass> Colds, Warms;
  bool Complete = true;
  long long StoreBytes = 0;
  // The units below the copy, for the copies of later runs.
  std::vector<std::string> Relative;
  for (const std::string& F : Units) Relative.push_back(F.substr(Copy.string().size()));
  for (int R = 0; R < Runs; ++R) {
    // A run after the first starts cold again on a copy of its own. Nothing
    // is deleted before the end: a file system that has just deleted
    // thousands of files makes the next thousands of new files dearer (ext4
    // skips inodes freed within the last minutes), which would slow the cold
    // pass for the clean-up of the run before.
    if (R > 0 && Tree.empty()) {
      const std::string RunCopy = (Scratch / ("tree-" + std::to_string(R + 1))).string();
      fs::copy(Origin, RunCopy, fs::copy_options::recursive | fs::copy_options::skip_symlinks, Ec);
      if (Ec) {
        std::cerr << "project_bench: copying " << Origin << " failed: " << Ec.message() << "\n";
        if (!Keep) fs::remove_all(Scratch, Ec);
        return 1;
      }
      for (size_t I = 0; I < Units.size(); ++I) Units[I] = RunCopy + Relative[I];
    }
    Colds.push_back(CompileAll(Units));
    StoreBytes = 0;
    for (const std::string& F : Units) {
      const auto Size = fs::file_size(TPascalProject::StoreFileName(F), Ec);
      if (!Ec) StoreBytes += static_cast<long long>(Size);
    }
    Warms.push_back(CompileAll(Units));
    Report("cold", Colds.back());
    Report("warm", Warms.back());
    // A run counts only when cold parsed every unit and warm loaded every one
    // (the copy may be damaged from outside, a store may not be written).
    if (Colds.back().Parsed != static_cast<int>(Units.size()) ||
        Warms.back().Loaded != static_cast<int>(Units.size())) {
      std::fprintf(stderr, "project_bench: run %d did not parse, then load, all %zu units\n", R + 1,
                   Units.size());
      Complete = false;
    }
  }
  auto MedianOf = [](const std::vector<TPass>& V, double TPass::*Field) {
    std::vector<double> X;
    for (const TPass& P : V) X.push_back(P.*Field);
    return bench::Median(X);
  };
  std::vector<double> Ratios;
  for (int R = 0; R < Runs; ++R) Ratios.push_back(Colds[R].Seconds / Warms[R].Seconds);
  std::printf("stores %.1f MB; median of %d runs: cold %.3f s, warm %.3f s; warm compile is "
              "%.1f times faster than cold (goal: 20), %.1f times with freeing, %.1f times in "
              "CPU time\n",
              static_cast<double>(StoreBytes) / 1e6, Runs, MedianOf(Colds, &TPass::Seconds),
              MedianOf(Warms, &TPass::Seconds), bench::Median(Ratios),
              MedianOf(Colds, &TPass::WithRelease) / MedianOf(Warms, &TPass::WithRelease),
              MedianOf(Colds, &TPass::Cpu) / MedianOf(Warms, &TPass::Cpu));
  bench::Json J = {{"root", Root},          {"files", Files.size()}, {"units", Units.size()},
                   {"bytes", Bytes},        {"store_bytes", StoreBytes},
                   {"cold", bench::Json::array()}, {"warm", bench::Json::array()}};
  for (int R = 0; R < Runs; ++R) {
    J["cold"].push_back(PassJson(Colds[R]));
    J["warm"].push_back(PassJson(Warms[R]));
  }
  J["complete"] = Complete;
  bench::WriteJson(JsonFile, J);
  if (!Keep) fs::remove_all(Scratch, Ec);
  return Complete ? 0 : 1;
}
