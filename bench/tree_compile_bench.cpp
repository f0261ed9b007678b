// A whole tree of Pascal sources compiled into one project: on one thread
// against every core, and whether both give the same model.
//
//   tree_compile_bench [--runs N] [--threads T] [--json FILE] [ROOT]
//                                           (ROOT: /usr/share/fpcsrc; T: the cores)
//
// Each compile takes a fresh copy of the .pas and .pp files below ROOT (made
// before any compile of its run, all removed at the end) and compiles it cold,
// in path order, into one fresh project with [oCompileImplementation], as
// memory_bench does: on one thread and with T threads parsing ahead
// (TParseAhead), the order of the two alternating from run to run, after one
// untimed compile that grows the heap for both. Nothing is deleted between
// the compiles of a process: a file system that has just deleted thousands of
// files makes the next thousands of new files dearer (ext4 skips inodes freed
// within the last minutes), which would charge one compile for the other's
// clean-up. The time of the Compile calls is the measure. After each compile
// the model is summed up unit by unit (key, file, errors, uses
// and the symbol tree as the store writes it, the exceptions raised): the
// T-thread model must equal the one-thread model, in every unit and in their
// order, or the run fails. The copy's own folder is taken out of every text
// compared.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "project/VelmoricParseAhead.h"
#include "project/VelmoricPascalProject.h"

using namespace bench;

namespace {

// FNV-1a over a unit's summary.
uint64_t Hash(uint64_t H, std::string_view Bytes) {
  for (const unsigned char C : Bytes) H = (H ^ C) * 1099511628211ull;
  return H;
}

// User and system CPU time of the process so far, all threads.
std::pair<double, double> CpuTimes() {
  rusage U{};
  ::getrusage(RUSAGE_SELF, &U);
  const auto Sec = [](const timeval& T) { return static_cast<double>(T.tv_sec) + static_cast<double>(T.tv_usec) / 1e6; };
  return {Sec(U.ru_utime), Sec(U.ru_stime)};
}

double ThreadCpuSeconds() {
  timespec T{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &T);
  return static_cast<double>(T.tv_sec) + static_cast<double>(T.tv_nsec) / 1e9;
}

struct TCompiled {
  double Seconds = 0;
  double User = 0, System = 0;  // CPU seconds of the compile, all threads
  double Main = 0;              // CPU seconds of the compiling thread
  int Failed = 0;               // compiles that raised
  std::vector<std::string> Keys;  // the project's units, in order
  std::vector<uint64_t> Units;    // their summaries
  uint64_t Exceptions = 14695981039346656037ull;  // where and what was raised
};

// Text with every mention of the copy's folder taken out.
std::string BelowTree(const std::string& Tree, std::string Text) {
  for (size_t At; (At = Text.find(Tree)) != std::string::npos;) Text.erase(At, Tree.size());
  return Text;
}

// Files: the copies of one scratch tree, below Tree.
TCompiled CompileTree(const std::string& Tree, const std::vector<std::string>& Files, unsigned Threads) {
  TCompiled C;
  TPascalProject Project;
  {
    const auto Start = Clock::now();
    const auto [User, System] = CpuTimes();
    const double Main = ThreadCpuSeconds();
    TParseAhead Ahead(Project, Files, {oCompileImplementation}, Threads);
    for (const std::string& F : Files) {
      try {
        Project.Compile(F, {oCompileImplementation});
      } catch (const Exception& E) {
        ++C.Failed;
        C.Exceptions = Hash(Hash(C.Exceptions, BelowTree(Tree, F)), BelowTree(Tree, E.Message()));
      }
    }
    C.Seconds = SecondsSince(Start);
    C.Main = ThreadCpuSeconds() - Main;
    C.User = CpuTimes().first - User;
    C.System = CpuTimes().second - System;
  }
  TOrvikSymbolstore Store;
  for (int I = 0; I < Project.FUnitLIst->Count(); ++I) {
    auto* S = static_cast<TPascalSource*>(Project.FUnitLIst->GetObjects(I));
    uint64_t H = Hash(14695981039346656037ull, Project.FUnitLIst->Get(I));
    H = Hash(H, BelowTree(Tree, S->FileName));
    H = Hash(H, BelowTree(Tree, S->errors->GetText()));
    H = Hash(H, std::string(1, static_cast<char>(S->State)) + (S->Modified ? "m" : "-"));
    H = Hash(H, BelowTree(Tree, Store.SaveToImage(S->usesList, S->symbols)));
    C.Keys.push_back(Project.FUnitLIst->Get(I));
    C.Units.push_back(H);
  }
  return C;
}

// The first difference of B from A, empty when there is none.
std::string Difference(const TCompiled& A, const TCompiled& B) {
  if (A.Failed != B.Failed || A.Exceptions != B.Exceptions) return "the exceptions raised differ";
  if (A.Units.size() != B.Units.size())
    return "unit count " + std::to_string(A.Units.size()) + " against " + std::to_string(B.Units.size());
  for (size_t I = 0; I < A.Units.size(); ++I)
    if (A.Keys[I] != B.Keys[I] || A.Units[I] != B.Units[I])
      return "unit " + std::to_string(I) + " (" + A.Keys[I] + ", " + B.Keys[I] + ")";
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  std::string Root = "/usr/share/fpcsrc", JsonFile;
  int Runs = 1;
  unsigned Threads = TParseAhead::Cores();
  for (int I = 1; I < argc; ++I) {
    const std::string A = argv[I];
    const bool HasValue = I + 1 < argc;
    if (A == "--runs" && HasValue) Runs = std::max(1, std::atoi(argv[++I]));
    else if (A == "--threads" && HasValue) Threads = static_cast<unsigned>(std::max(1, std::atoi(argv[++I])));
    else if (A == "--json" && HasValue) JsonFile = argv[++I];
    else if (!A.empty() && A[0] == '-') {
      std::cerr << "usage: tree_compile_bench [--runs N] [--threads T] [--json FILE] [ROOT]\n";
      return 2;
    } else Root = A;
  }
  const std::vector<TFile> Sources = PascalFiles(Root);
  if (Sources.empty()) {
    std::cerr << "tree_compile_bench: no .pas or .pp files below " << Root << "\n";
    return 1;
  }
  const auto Copy = [&] { return std::make_unique<TScratchTree>("velmoric-tree-compile-bench", Root, Sources); };
  const auto Compile = [](const TScratchTree& C, unsigned T) { return CompileTree(C.Scratch.Path + "/tree", C.Files, T); };
  std::vector<std::unique_ptr<TScratchTree>> Copies;

  Json J = {{"root", Root}, {"files", Sources.size()}, {"bytes", TotalBytes(Sources)},
            {"threads", Threads}, {"runs", Json::array()}};
  // The first compile of a process also grows the heap (page faults); an
  // untimed one first lets both timed compiles find it grown.
  Copies.push_back(Copy());
  Compile(*Copies.back(), 1);
  bool Same = true;
  for (int R = 0; R < Runs; ++R) {
    Copies.push_back(Copy());
    const TScratchTree& ForOne = *Copies.back();
    Copies.push_back(Copy());
    const TScratchTree& ForAll = *Copies.back();
    const bool OneFirst = R % 2 == 0;
    TCompiled One, All;
    if (OneFirst) {
      One = Compile(ForOne, 1);
      All = Compile(ForAll, Threads);
    } else {
      All = Compile(ForAll, Threads);
      One = Compile(ForOne, 1);
    }
    const std::string Diff = Difference(One, All);
    if (!Diff.empty()) {
      std::fprintf(stderr, "run %d: the %u-thread model differs from the one-thread model: %s\n",
                   R + 1, Threads, Diff.c_str());
      Same = false;
    }
    std::printf("run %d (%s first): %zu units, one thread %.3f s (CPU %.3f s user, %.3f s system), %u threads %.3f s "
                "(CPU %.3f s user, %.3f s system, %.3f s on the compiling thread): %.2fx, %s model\n",
                R + 1, OneFirst ? "one thread" : "threads", One.Units.size(), One.Seconds, One.User, One.System,
                Threads, All.Seconds, All.User, All.System, All.Main, One.Seconds / All.Seconds,
                Diff.empty() ? "the same" : "NOT the same");
    J["runs"].push_back({{"one_thread_seconds", One.Seconds},
                         {"all_threads_seconds", All.Seconds},
                         {"one_thread_first", OneFirst},
                         {"one_thread_cpu", {{"user", One.User}, {"system", One.System}}},
                         {"all_threads_cpu", {{"user", All.User}, {"system", All.System}, {"compiling_thread", All.Main}}},
                         {"units", One.Units.size()},
                         {"failed", One.Failed},
                         {"same_model", Diff.empty()}});
  }
  J["same_model"] = Same;
  WriteJson(JsonFile, J);
  return Same ? 0 : 1;
}
