// Peak resident size of the model of a whole tree of Pascal sources, against
// the size of those sources.
//
//   memory_bench [--json FILE] [ROOT]        (ROOT: /usr/share/fpcsrc)
//
// The .pas and .pp files below ROOT are copied to a scratch folder (compiling
// writes each unit's store beside it) and compiled, in path order, into one
// project with [oCompileImplementation], as the memory project holds them:
// every unit parsed and kept. A project holds one unit per name, so of files
// that share a name (the same unit for several targets) the first is taken.
// The figure is the process's peak resident size (VmHWM) once every unit is
// in, against the bytes of the sources of the units the project holds; run it
// in a process of its own so that the peak is the model's.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "project/VelmoricPascalProject.h"
#include "project/VelmoricProjectSettings.h"

using namespace bench;

int main(int argc, char** argv) {
  std::string Root = "/usr/share/fpcsrc", JsonFile;
  for (int I = 1; I < argc; ++I) {
    const std::string A = argv[I];
    if (A == "--json" && I + 1 < argc) JsonFile = argv[++I];
    else if (!A.empty() && A[0] == '-') {
      std::cerr << "usage: memory_bench [--json FILE] [ROOT]\n";
      return 2;
    } else Root = A;
  }
  const std::vector<TFile> Files = PascalFiles(Root);
  if (Files.empty()) {
    std::cerr << "memory_bench: no .pas or .pp files below " << Root << "\n";
    return 1;
  }
  TScratchDir Scratch("velmoric-memory-bench");
  const std::string Tree = Scratch.Path + "/tree";
  const std::string RootDir = fs::is_directory(Root) ? Root : fs::path(Root).parent_path().string();
  CopyFiles(Files, RootDir, Tree);
  ::setenv("VELMORIC_REGISTRY", (Scratch.Path + "/registry").c_str(), 1);
  ::setenv("TRACELET_SOCKET", (Scratch.Path + "/tracelet").c_str(), 1);
  DisplayCompilerProcess = false;

  const long long BaseRss = ProcStatusKiB("VmRSS");
  const long long BaseHwm = ProcStatusKiB("VmHWM");
  int Failed = 0;
  long long UnitBytes = 0, Symbols = 0;
  int Units = 0;
  double Seconds = 0;
  long long PeakKiB = 0, RssKiB = 0, MaxRss = 0;
  {
    TPascalProject Project;
    const auto Start = Clock::now();
    for (const TFile& F : Files) {
      const std::string Copy = (fs::path(Tree) / fs::relative(F.Path, RootDir)).string();
      try {
        Project.Compile(Copy, {oCompileImplementation});
      } catch (const Exception&) {
        ++Failed;  // the parser gave up; the unit stays in the project
      }
    }
    Seconds = SecondsSince(Start);
    PeakKiB = ProcStatusKiB("VmHWM");
    RssKiB = ProcStatusKiB("VmRSS");
    MaxRss = MaxRssKiB();
    std::error_code Ec;
    for (int I = 0; I < Project.FUnitLIst->Count(); ++I) {
      const auto* S = static_cast<const TPascalSource*>(Project.FUnitLIst->GetObjects(I));
      if (!S || !S->Found) continue;
      ++Units;
      UnitBytes += static_cast<long long>(fs::file_size(S->FileName, Ec));
      Symbols += CountSymbols(S->symbols);
    }
  }

  const double Ratio = static_cast<double>(PeakKiB) * 1024.0 / static_cast<double>(UnitBytes);
  std::printf("%zu files below %s, %d units in one project (%.1f MB of sources), compiled in %.1f s, "
              "parser gave up on %d\n",
              Files.size(), Root.c_str(), Units, static_cast<double>(UnitBytes) / 1e6, Seconds, Failed);
  std::printf("peak resident %.1f MB (before compiling %.1f MB), resident at the end %.1f MB: "
              "peak / sources %.2f\n",
              static_cast<double>(PeakKiB) * 1024 / 1e6, static_cast<double>(BaseRss) * 1024 / 1e6,
              static_cast<double>(RssKiB) * 1024 / 1e6, Ratio);
  Json J = {{"root", Root},
            {"files", Files.size()},
            {"units", Units},
            {"unit_bytes", UnitBytes},
            {"all_bytes", TotalBytes(Files)},
            {"symbols", Symbols},
            {"failed", Failed},
            {"seconds", Seconds},
            {"base_rss_kib", BaseRss},
            {"base_hwm_kib", BaseHwm},
            {"peak_kib", PeakKiB},
            {"ru_maxrss_kib", MaxRss},
            {"rss_end_kib", RssKiB},
            {"peak_per_source_byte", Ratio}};
  WriteJson(JsonFile, J);
  return 0;
}
