// Parse throughput over a tree of Pascal sources, single thread, beside
// universal-ctags indexing the same files in the same run.
//
//   parser_bench [--runs N] [--no-ctags] [--json FILE] [--per-file FILE] [ROOT]
//
// ROOT defaults to /usr/share/fpcsrc. Every .pas and .pp file below it is read
// and parsed with the command line's default options [oCompileImplementation],
// then again with oCompileLocalVar added (the fullest parse), then ctags
// indexes the same list of files. The timings include reading each file into
// its line list (and freeing the model), as ctags' include its own reading;
// the time of CreateSymbols alone is kept too. Each run does all three in
// turn, so that ours and ctags' see the same load on the machine; the
// figures are the median of N runs (default 3) over files in the page cache.
//
// ctags is called once for all files, as a single process with the file list
// on its command line's -L, the Pascal parser forced for every file, no
// options files read, no sorting and the tags written to /dev/null.
//
// --json writes every run's figures; --per-file writes one line per file,
// "<bytes> <seconds>", the median time of CreateSymbols of the
// fullest parse.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "platform/rtl/SysUtils.h"
#include "scanner/VelmoricPascalScanner.h"

extern char** environ;

namespace {

using namespace bench;

struct TTotals {
  double Seconds = 0;       // wall clock, reading, parsing and freeing
  double Cpu = 0;           // CPU time of the same
  double ParseSeconds = 0;  // CreateSymbols alone: the lines already read
  long long Lines = 0;
  long long LinesReached = 0;  // lines up to where each parse stopped
  long long Symbols = 0;
  long long Errors = 0;
  int GaveUp = 0;  // parses ended by the scanner's end-of-text guard
};

// PerFile, when given, receives each file's CreateSymbols time.
TTotals ParseAll(const std::vector<TFile>& Files, TCompilerOptionsSet Options,
                 std::vector<double>* PerFile) {
  TTotals T;
  const auto Start = Clock::now();
  const double CpuStart = CpuSeconds();
  for (size_t I = 0; I < Files.size(); ++I) {
    auto* Lines = new TStringList;
    Lines->SetText(ReadFileBytes(Files[I].Path));
    T.Lines += Lines->Count();
    TPascalSource Source(new TToken(Lines));
    Source.FileName = Files[I].Path;
    const auto ParseStart = Clock::now();
    try {
      Source.CreateSymbols(Options);
    } catch (const Exception&) {
      ++T.GaveUp;
    }
    const double Parse = SecondsSince(ParseStart);
    T.ParseSeconds += Parse;
    if (PerFile) (*PerFile)[I] = Parse;
    T.LinesReached += std::min(Source.Token->Line + 1, Lines->Count());
    T.Symbols += CountSymbols(Source.symbols);
    T.Errors += Source.errors->Count();
  }
  T.Seconds = SecondsSince(Start);
  T.Cpu = CpuSeconds() - CpuStart;
  return T;
}

std::vector<std::string> CtagsArgs(const std::string& ListFile) {
  return {"ctags",     "--options=NONE", "--quiet=yes", "--language-force=Pascal",
          "--sort=no", "-f",             "/dev/null",   "-L",
          ListFile};
}

std::string Joined(const std::vector<std::string>& Args) {
  std::string S;
  for (const std::string& A : Args) S += (S.empty() ? "" : " ") + A;
  return S;
}

struct TCtagsRun {
  double Seconds = -1;  // wall clock; -1 when ctags failed or is missing
  double Cpu = -1;      // its user and system time
};

// Runs ctags as a child process; its standard error (the notice that no
// options files are read) is dropped.
TCtagsRun RunCtags(const std::vector<std::string>& Args) {
  std::vector<char*> Argv;
  for (const std::string& A : Args) Argv.push_back(const_cast<char*>(A.c_str()));
  Argv.push_back(nullptr);
  posix_spawn_file_actions_t Actions;
  posix_spawn_file_actions_init(&Actions);
  posix_spawn_file_actions_addopen(&Actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&Actions, 2, "/dev/null", O_WRONLY, 0);
  TCtagsRun R;
  pid_t Pid = 0;
  const auto Start = Clock::now();
  const int Spawned = posix_spawnp(&Pid, Argv[0], &Actions, nullptr, Argv.data(), environ);
  posix_spawn_file_actions_destroy(&Actions);
  if (Spawned != 0) return R;
  int Status = 0;
  rusage Usage{};
  if (::wait4(Pid, &Status, 0, &Usage) != Pid) return R;
  const double Seconds = SecondsSince(Start);
  if (!WIFEXITED(Status) || WEXITSTATUS(Status) != 0) return R;
  R.Seconds = Seconds;
  R.Cpu = static_cast<double>(Usage.ru_utime.tv_sec + Usage.ru_stime.tv_sec) +
          static_cast<double>(Usage.ru_utime.tv_usec + Usage.ru_stime.tv_usec) / 1e6;
  return R;
}

std::string CtagsVersion() {
  std::string V;
  if (FILE* P = ::popen("ctags --version 2>/dev/null", "r")) {
    char Buf[256];
    if (std::fgets(Buf, sizeof Buf, P)) V = Buf;
    ::pclose(P);
  }
  while (!V.empty() && (V.back() == '\n' || V.back() == '\r')) V.pop_back();
  return V;
}

Json RunJson(const TTotals& T) {
  return {{"seconds", T.Seconds}, {"cpu_seconds", T.Cpu}, {"create_symbols_seconds", T.ParseSeconds}};
}

void Report(const char* What, double Seconds, long long Bytes, long long Lines, double Ctags) {
  std::printf("%-34s %8.3f s %8.1f MB/s %10.0f lines/s", What, Seconds,
              static_cast<double>(Bytes) / 1e6 / Seconds, static_cast<double>(Lines) / Seconds);
  if (Ctags > 0) std::printf("   ctags time / ours %.2f", Ctags / Seconds);
  std::printf("\n");
}

int Usage() {
  std::cerr << "usage: parser_bench [--runs N] [--no-ctags] [--json FILE] [--per-file FILE] [ROOT]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string Root = "/usr/share/fpcsrc";
  std::string JsonFile, PerFileFile;
  int Runs = 3;
  bool WithCtags = true;
  for (int I = 1; I < argc; ++I) {
    const std::string A = argv[I];
    const bool HasValue = I + 1 < argc;
    if (A == "--runs" && HasValue) Runs = std::max(1, std::atoi(argv[++I]));
    else if (A == "--no-ctags") WithCtags = false;
    else if (A == "--json" && HasValue) JsonFile = argv[++I];
    else if (A == "--per-file" && HasValue) PerFileFile = argv[++I];
    else if (!A.empty() && A[0] == '-') return Usage();
    else Root = A;
  }
  const std::vector<TFile> Files = PascalFiles(Root);
  if (Files.empty()) {
    std::cerr << "parser_bench: no .pas or .pp files below " << Root << "\n";
    return 1;
  }
  const long long Bytes = TotalBytes(Files);

  TScratchDir Scratch("velmoric-parser-bench");
  const std::string ListFile = Scratch.Path + "/files.txt";
  {
    std::ofstream L(ListFile);
    for (const TFile& F : Files) L << F.Path << '\n';
  }
  const std::vector<std::string> Ctags = CtagsArgs(ListFile);

  std::vector<TTotals> Default, Local;
  std::vector<TCtagsRun> CtagsRuns;
  std::vector<std::vector<double>> PerFile(Runs, std::vector<double>(Files.size()));
  for (int R = 0; R < Runs; ++R) {
    Default.push_back(ParseAll(Files, {oCompileImplementation}, nullptr));
    Local.push_back(ParseAll(Files, {oCompileImplementation, oCompileLocalVar}, &PerFile[R]));
    if (WithCtags) CtagsRuns.push_back(RunCtags(Ctags));
  }

  auto MedianOf = [](const auto& V, auto Field) {
    std::vector<double> X;
    for (const auto& E : V) X.push_back(E.*Field);
    return Median(X);
  };
  const double DefaultSeconds = MedianOf(Default, &TTotals::Seconds);
  const double LocalSeconds = MedianOf(Local, &TTotals::Seconds);
  const double ParseSeconds = MedianOf(Default, &TTotals::ParseSeconds);
  bool CtagsOk = WithCtags;
  for (const TCtagsRun& C : CtagsRuns) CtagsOk &= C.Seconds > 0;
  const double CtagsSeconds = CtagsOk ? MedianOf(CtagsRuns, &TCtagsRun::Seconds) : -1;
  const TTotals& D = Default.front();

  std::printf("%zu files, %.1f MB, %lld lines below %s; median of %d runs, single thread\n",
              Files.size(), static_cast<double>(Bytes) / 1e6, D.Lines, Root.c_str(), Runs);
  Report("velmoric parse", DefaultSeconds, Bytes, D.Lines, CtagsSeconds);
  Report("velmoric parse --local-vars", LocalSeconds, Bytes, D.Lines, CtagsSeconds);
  Report("  of which CreateSymbols alone", ParseSeconds, Bytes, D.Lines, CtagsSeconds);
  if (CtagsOk) {
    Report("ctags (Pascal)", CtagsSeconds, Bytes, D.Lines, -1);
    std::printf("  called as: %s\n", Joined(Ctags).c_str());
  } else if (WithCtags) {
    std::printf("ctags: not run (not installed or failed): %s\n", Joined(Ctags).c_str());
  }
  std::printf("symbols %lld, errors %lld (%.2f per 1000 lines), parses given up at end of text %d, "
              "lines reached %.1f%%\n",
              D.Symbols, D.Errors, 1000.0 * static_cast<double>(D.Errors) / static_cast<double>(D.Lines),
              D.GaveUp, 100.0 * static_cast<double>(D.LinesReached) / static_cast<double>(D.Lines));

  Json J = {{"root", Root},
            {"files", Files.size()},
            {"bytes", Bytes},
            {"lines", D.Lines},
            {"symbols", D.Symbols},
            {"errors", D.Errors},
            {"gave_up", D.GaveUp},
            {"lines_reached", D.LinesReached},
            {"default", Json::array()},
            {"local_vars", Json::array()},
            {"ctags", Json::array()}};
  for (int R = 0; R < Runs; ++R) {
    J["default"].push_back(RunJson(Default[R]));
    J["local_vars"].push_back(RunJson(Local[R]));
  }
  if (WithCtags) {
    J["ctags_command"] = Joined(Ctags);
    J["ctags_version"] = CtagsVersion();
    for (const TCtagsRun& C : CtagsRuns)
      J["ctags"].push_back(C.Seconds > 0 ? Json{{"seconds", C.Seconds}, {"cpu_seconds", C.Cpu}}
                                         : Json(nullptr));
  }
  WriteJson(JsonFile, J);

  if (!PerFileFile.empty()) {
    std::ofstream Out(PerFileFile);
    for (size_t I = 0; I < Files.size(); ++I) {
      std::vector<double> T;
      for (int R = 0; R < Runs; ++R) T.push_back(PerFile[R][I]);
      Out << Files[I].Bytes << ' ' << Median(T) << '\n';
    }
  }
  return 0;
}
