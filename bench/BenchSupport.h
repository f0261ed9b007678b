// What the benchmark programs share: the Pascal files of a tree, a scratch
// folder, clocks, the peak resident size and the JSON result file that
// scripts/bench reads.
#pragma once

#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "scanner/VelmoricPascalSource.h"
#include "scanner/VelmoricSymbols.h"

namespace bench {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Json = nlohmann::json;

inline double SecondsSince(Clock::time_point Start) {
  return std::chrono::duration<double>(Clock::now() - Start).count();
}

// CPU time of the process (user and system), all threads.
inline double CpuSeconds() {
  timespec T{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &T);
  return static_cast<double>(T.tv_sec) + static_cast<double>(T.tv_nsec) / 1e9;
}

struct TFile {
  std::string Path;
  long long Bytes = 0;
};

// Every regular .pas and .pp file below Root (Root itself when it is such a
// file), sorted by path. Symbolic links are not followed.
inline std::vector<TFile> PascalFiles(const std::string& Root) {
  std::vector<TFile> Files;
  std::error_code Ec;
  auto Take = [&](const fs::directory_entry& E) {
    const auto Ext = E.path().extension();
    if (E.is_regular_file(Ec) && !E.is_symlink(Ec) && (Ext == ".pas" || Ext == ".pp"))
      Files.push_back({E.path().string(), static_cast<long long>(E.file_size(Ec))});
  };
  if (fs::is_regular_file(Root, Ec)) {
    Take(fs::directory_entry(Root, Ec));
    return Files;
  }
  for (auto It = fs::recursive_directory_iterator(Root, Ec); !Ec && It != fs::end(It);
       It.increment(Ec))
    Take(*It);
  std::sort(Files.begin(), Files.end(),
            [](const TFile& A, const TFile& B) { return A.Path < B.Path; });
  return Files;
}

inline long long TotalBytes(const std::vector<TFile>& Files) {
  long long N = 0;
  for (const TFile& F : Files) N += F.Bytes;
  return N;
}

// A fresh folder below the temporary directory, lower-case (the project
// model finds lower-case names without listing folders), removed with
// everything in it unless kept.
class TScratchDir {
 public:
  explicit TScratchDir(const std::string& Prefix) {
    std::string T = (fs::temp_directory_path() / (Prefix + "-XXXXXX")).string();
    if (!::mkdtemp(T.data())) throw std::runtime_error("cannot create a folder below " + T);
    // mkdtemp's letters may be upper case: the folder is renamed to lower case.
    std::string Lower = T;
    std::transform(Lower.begin(), Lower.end(), Lower.begin(),
                   [](unsigned char C) { return C >= 'A' && C <= 'Z' ? C + 32 : C; });
    std::error_code Ec;
    if (Lower != T && !fs::exists(Lower, Ec) && (fs::rename(T, Lower, Ec), !Ec)) T = Lower;
    Path = T;
  }
  ~TScratchDir() {
    if (Keep) return;
    std::error_code Ec;
    fs::remove_all(Path, Ec);
  }
  TScratchDir(const TScratchDir&) = delete;
  TScratchDir& operator=(const TScratchDir&) = delete;

  std::string Path;
  bool Keep = false;
};

// Copies the given files below From to the same places below To.
inline void CopyFiles(const std::vector<TFile>& Files, const std::string& From,
                      const std::string& To) {
  for (const TFile& F : Files) {
    const fs::path Target = fs::path(To) / fs::relative(F.Path, From);
    fs::create_directories(Target.parent_path());
    fs::copy_file(F.Path, Target, fs::copy_options::overwrite_existing);
  }
}

// Copies of the given Pascal files of Root below a scratch folder, to be
// compiled without touching the originals: the settings and the trace socket
// live in the folder too, and the compiling status window is off.
struct TScratchTree {
  TScratchTree(const std::string& Prefix, const std::string& Root, const std::vector<TFile>& Sources)
      : Scratch(Prefix) {
    const std::string Tree = Scratch.Path + "/tree";
    const std::string RootDir = fs::is_directory(Root) ? Root : fs::path(Root).parent_path().string();
    CopyFiles(Sources, RootDir, Tree);
    for (const TFile& F : Sources) Files.push_back((fs::path(Tree) / fs::relative(F.Path, RootDir)).string());
    ::setenv("VELMORIC_REGISTRY", (Scratch.Path + "/registry").c_str(), 1);
    ::setenv("TRACELET_SOCKET", (Scratch.Path + "/tracelet").c_str(), 1);
    DisplayCompilerProcess = false;
  }

  TScratchDir Scratch;
  std::vector<std::string> Files;  // the copies, in the order of Sources
};

// A value of /proc/self/status in KiB ("VmHWM", "VmRSS"); -1 when missing.
inline long long ProcStatusKiB(const std::string& Key) {
  std::ifstream In("/proc/self/status");
  std::string Line;
  while (std::getline(In, Line))
    if (Line.compare(0, Key.size() + 1, Key + ":") == 0) return std::atoll(Line.c_str() + Key.size() + 1);
  return -1;
}

inline long long MaxRssKiB() {
  rusage U{};
  ::getrusage(RUSAGE_SELF, &U);
  return U.ru_maxrss;
}

inline double Median(std::vector<double> V) {
  if (V.empty()) return 0;
  std::sort(V.begin(), V.end());
  const size_t N = V.size();
  return N % 2 ? V[N / 2] : (V[N / 2 - 1] + V[N / 2]) / 2;
}

// The Q-quantile (0..1) by the nearest rank.
inline double Quantile(std::vector<double> V, double Q) {
  if (V.empty()) return 0;
  std::sort(V.begin(), V.end());
  size_t Rank = static_cast<size_t>(Q * static_cast<double>(V.size()) + 0.999999);
  return V[std::clamp<size_t>(Rank, 1, V.size()) - 1];
}

// The symbols below Sym, at any depth.
inline long long CountSymbols(const TOrvikSymbol& Sym) {
  long long N = 0;
  if (Sym.symbols)
    for (int I = 0; I < Sym.symbols->Count(); ++I)
      N += 1 + CountSymbols(*static_cast<TOrvikSymbol*>(Sym.symbols->GetObject(I)));
  return N;
}

// Writes the result for scripts/bench; file names that are no valid UTF-8
// keep their valid bytes.
inline void WriteJson(const std::string& FileName, const Json& J) {
  if (FileName.empty()) return;
  std::ofstream Out(FileName);
  Out << J.dump(1, ' ', false, Json::error_handler_t::replace) << '\n';
  if (!Out) throw std::runtime_error("cannot write " + FileName);
}

}  // namespace bench
