// Latency of the navigation commands in the in-process IDE on the largest
// unit of a tree of Pascal sources.
//
//   navigation_bench [--positions N] [--hyperjumps N] [--runs N] [--seed S]
//                    [--with-procedures] [--verbose] [--json FILE] [--file FILE | ROOT]
//
// The largest .pas or .pp file below ROOT (default /usr/share/fpcsrc), or
// FILE, is measured. The largest units of a tree may be tables without a
// procedure (find position then finds nothing and only .pas units are looked
// at by it); --with-procedures takes instead the largest .pas unit in which
// at least half of the lines lie in a procedure. The unit is copied with the Pascal files of its folder to a scratch folder, so
// that its store and the expert's data stay there. The expert is loaded into
// the in-process IDE with the unit open in an editor, and the source
// explorer's compile button is pressed, as a user would start. Then:
//
//   find position  on N cursor lines (default 3000) spread uniformly over the
//                  unit, each line other than the one before (the command
//                  does nothing when the line has not moved);
//   hyperjump      on N cursor positions (default 500), each on a word of a
//                  line spread uniformly over the unit, after an edit
//                  elsewhere: a blank added at the end of another line drawn
//                  at random; the ambiguity dialog is cancelled. Hyperjump
//                  compiles the edited buffer, as the command does.
//
// Each command is timed alone (placing the cursor and editing are not); the positions come
// from a fixed seed, so every run and every machine uses the same ones. Each of
// the runs (default 1) goes through all positions again; --json writes the
// median, 99th percentile and the other figures of every run.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "browsers/VelmoricSourceExplorer.h"
#include "hosts/memory/EditBuffer.h"
#include "hosts/memory/EditWindow.h"
#include "hosts/memory/ExpertSession.h"
#include "ide/VelmoricWizard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/VclHost.h"
#include "project/VelmoricFileRepository.h"
#include "project/VelmoricProjectSettings.h"
#include "scanner/VelmoricPascalScanner.h"

namespace {

using namespace bench;

struct TPosition {
  int Line = 1;  // 1-based, as the editor shows them
  int Col = 1;
};

bool IsWordStart(char C) {
  return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || C == '_';
}
bool IsWordChar(char C) { return IsWordStart(C) || (C >= '0' && C <= '9'); }

// The 0-based starts and lengths of the words of a line.
std::vector<std::pair<int, int>> Words(const std::string& Line) {
  std::vector<std::pair<int, int>> W;
  for (size_t I = 0; I < Line.size();) {
    if (IsWordStart(Line[I]) && (I == 0 || !IsWordChar(Line[I - 1]))) {
      size_t E = I;
      while (E < Line.size() && IsWordChar(Line[E])) ++E;
      W.push_back({static_cast<int>(I), static_cast<int>(E - I)});
      I = E;
    } else {
      ++I;
    }
  }
  return W;
}

std::vector<std::string> SplitLines(const std::string& Text) {
  std::vector<std::string> Lines;
  size_t Start = 0;
  while (Start <= Text.size()) {
    size_t End = Text.find('\n', Start);
    if (End == std::string::npos) End = Text.size();
    std::string L = Text.substr(Start, End - Start);
    if (!L.empty() && L.back() == '\r') L.pop_back();
    Lines.push_back(std::move(L));
    if (End == Text.size()) break;
    Start = End + 1;
  }
  return Lines;
}

struct TStats {
  int Count = 0;
  double Median = 0, P99 = 0, Mean = 0, Max = 0;  // seconds
};

TStats StatsOf(const std::vector<double>& Seconds) {
  TStats S;
  S.Count = static_cast<int>(Seconds.size());
  if (Seconds.empty()) return S;
  S.Median = Median(Seconds);
  S.P99 = Quantile(Seconds, 0.99);
  for (double X : Seconds) {
    S.Mean += X;
    S.Max = std::max(S.Max, X);
  }
  S.Mean /= static_cast<double>(Seconds.size());
  return S;
}

Json StatsJson(const TStats& S) {
  return {{"count", S.Count}, {"median_seconds", S.Median}, {"p99_seconds", S.P99},
          {"mean_seconds", S.Mean}, {"max_seconds", S.Max}};
}

void Report(const char* What, const TStats& S) {
  std::printf("%-14s %5d positions   median %9.3f ms   p99 %9.3f ms   mean %9.3f ms   max %9.3f ms\n",
              What, S.Count, S.Median * 1e3, S.P99 * 1e3, S.Mean * 1e3, S.Max * 1e3);
}

// Whether at least half of 200 lines spread over the parsed unit lie in a
// procedure.
bool MostlyProcedures(const TFile& F) {
  auto* Lines = new TStringList;
  Lines->SetText(ReadFileBytes(F.Path));
  TPascalSource Source(new TToken(Lines));
  Source.FileName = F.Path;
  try {
    Source.CreateSymbols({oCompileImplementation});
  } catch (const Exception&) {
  }
  const int Count = Lines->Count();
  if (Count == 0) return false;
  int In = 0;
  for (int I = 0; I < 200; ++I) {
    const TOrvikSymbol* Proc = Source.GetProcedureFromCursor(static_cast<int>(1LL * I * Count / 200));
    In += Proc && Proc->Parent;
  }
  return In >= 100;
}

int Usage() {
  std::cerr << "usage: navigation_bench [--positions N] [--hyperjumps N] [--runs N] [--seed S] "
               "[--json FILE] [--file FILE | ROOT]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string Root = "/usr/share/fpcsrc", Target, JsonFile;
  int Positions = 3000, Hyperjumps = 500, Runs = 1;
  unsigned long long Seed = 1;
  bool Verbose = false, WithProcedures = false;
  for (int I = 1; I < argc; ++I) {
    const std::string A = argv[I];
    const bool HasValue = I + 1 < argc;
    if (A == "--positions" && HasValue) Positions = std::max(0, std::atoi(argv[++I]));
    else if (A == "--hyperjumps" && HasValue) Hyperjumps = std::max(0, std::atoi(argv[++I]));
    else if (A == "--runs" && HasValue) Runs = std::max(1, std::atoi(argv[++I]));
    else if (A == "--seed" && HasValue) Seed = std::strtoull(argv[++I], nullptr, 10);
    else if (A == "--json" && HasValue) JsonFile = argv[++I];
    else if (A == "--file" && HasValue) Target = argv[++I];
    else if (A == "--verbose") Verbose = true;
    else if (A == "--with-procedures") WithProcedures = true;
    else if (!A.empty() && A[0] == '-') return Usage();
    else Root = A;
  }
  if (Target.empty()) {
    std::vector<TFile> Files = PascalFiles(Root);
    std::stable_sort(Files.begin(), Files.end(),
                     [](const TFile& A, const TFile& B) { return A.Bytes > B.Bytes; });
    for (const TFile& F : Files) {
      if (WithProcedures && (fs::path(F.Path).extension() != ".pas" || !MostlyProcedures(F)))
        continue;
      Target = F.Path;
      break;
    }
    if (Target.empty()) {
      std::cerr << "navigation_bench: no " << (WithProcedures ? ".pas unit made mostly of procedures" : ".pas or .pp file")
                << " below " << Root << "\n";
      return 1;
    }
  }
  std::error_code Ec;
  if (!fs::is_regular_file(Target, Ec)) {
    std::cerr << "navigation_bench: " << Target << " is no file\n";
    return 1;
  }

  // The unit and the Pascal files beside it, in a scratch folder with the
  // expert's registry, data directory and trace socket.
  TScratchDir Scratch("velmoric-navigation-bench");
  const std::string Folder = Scratch.Path + "/src";
  std::vector<TFile> Beside;
  for (const fs::directory_entry& E : fs::directory_iterator(fs::path(Target).parent_path(), Ec)) {
    const auto Ext = E.path().extension();
    if (E.is_regular_file(Ec) && (Ext == ".pas" || Ext == ".pp" || Ext == ".inc"))
      Beside.push_back({E.path().string(), static_cast<long long>(E.file_size(Ec))});
  }
  CopyFiles(Beside, fs::path(Target).parent_path().string(), Folder);
  const std::string Unit = Folder + "/" + fs::path(Target).filename().string();
  ::setenv("VELMORIC_REGISTRY", (Scratch.Path + "/registry").c_str(), 1);
  ::setenv("TRACELET_SOCKET", (Scratch.Path + "/tracelet").c_str(), 1);
  gUseDelphiPath = false;
  AdditionalSearchPath = Folder;
  fs::create_directories(Scratch.Path + "/data", Ec);

  int Dialogs = 0, Boxes = 0, Beeps = 0;
  VclHost().ShowModal = [&](TCustomForm&) {
    ++Dialogs;
    return int(mrCancel);
  };
  VclHost().MessageBox = [&](const TMessageBoxRequest&) {
    ++Boxes;
    return int(mrOk);
  };
  VclHost().Beep = [&](uint32_t) { ++Beeps; };

  const std::string Text = ReadFileBytes(Unit);
  const std::vector<std::string> Lines = SplitLines(Text);
  const int LineCount = static_cast<int>(Lines.size());

  double OpenSeconds = 0;
  std::vector<TStats> FindRuns, JumpRuns;
  int Named = 0, Moved = 0;
  int FirstDialogs = 0, FirstBeeps = 0, FirstBoxes = 0;
  {
    TExpertSession Session;
    Session.SetDataDirectory(Scratch.Path + "/data");
    const auto OpenStart = Clock::now();
    const std::string File = Session.OpenFile(Unit);
    Session.RegisterExpert();
    TVelmoricWizard* Expert = Session.Expert();
    if (!Expert) {
      std::cerr << "navigation_bench: the expert did not load\n";
      return 1;
    }
    Session.IDE().ActivateFile(File);
    FormSourceExplorer()->SpeedButtonCompileClick(nullptr);
    OpenSeconds = SecondsSince(OpenStart);
    TEditBuffer& Buffer = Session.IDE().Buffer(File);

    // The same positions on every run.
    std::mt19937_64 Rng(Seed);
    std::vector<TPosition> FindAt;
    for (int I = 0; I < Positions; ++I) {
      int Line = static_cast<int>(Rng() % static_cast<unsigned>(LineCount)) + 1;
      if (!FindAt.empty() && Line == FindAt.back().Line) Line = Line % LineCount + 1;
      FindAt.push_back({Line, 1});
    }
    std::vector<TPosition> JumpAt;
    for (int I = 0, Tries = 0; I < Hyperjumps && Tries < 100 * Hyperjumps + 100; ++Tries) {
      const int Line = static_cast<int>(Rng() % static_cast<unsigned>(LineCount)) + 1;
      const auto W = Words(Lines[Line - 1]);
      if (W.empty()) continue;
      const auto [Start, Len] = W[Rng() % W.size()];
      const int Index = Start + static_cast<int>(Rng() % static_cast<unsigned>(Len));
      if (Index > 32767) continue;
      const TEditPos P = Buffer.CharPosToEditPos(TCharPos{static_cast<int16_t>(Index), Line});
      JumpAt.push_back({Line, P.Col});
      ++I;
    }

    for (int R = 0; R < Runs; ++R) {
      std::vector<double> Find, Jump;
      Expert->LastFindLine = 0;
      for (const TPosition& P : FindAt) {
        Session.SetCursor(File, P.Line, P.Col);
        TEditWindow* Window = Session.IDE().EditWindow(File);
        Window->Caption = File;
        const auto Start = Clock::now();
        Expert->MenuClickFindPosition(nullptr);
        Find.push_back(SecondsSince(Start));
        if (R == 0 && Window->Caption != File) ++Named;
      }
      std::mt19937_64 EditRng(Seed + 1);
      for (const TPosition& P : JumpAt) {
        int EditLine = static_cast<int>(EditRng() % static_cast<unsigned>(LineCount)) + 1;
        if (EditLine == P.Line) EditLine = EditLine % LineCount + 1;
        Session.IDE().EditText(File, Buffer.LineStart(EditLine) + Buffer.LineLength(EditLine), 0, " ");
        Session.SetCursor(File, P.Line, P.Col);
        const auto Start = Clock::now();
        Expert->MenuClickHyperjump(nullptr);
        Jump.push_back(SecondsSince(Start));
        const std::string Now = Session.IDE().GetCurrentFile();
        const TEditPos At = Session.IDE().Buffer(Now).Cursor;
        if (R == 0 && (Now != File || At.Line != P.Line || At.Col != P.Col)) ++Moved;
        if (R == 0 && Verbose)
          std::printf("hyperjump %d:%d %.3f ms -> %s:%d:%d  %s\n", P.Line, P.Col, Jump.back() * 1e3,
                      fs::path(Now).filename().c_str(), At.Line, At.Col,
                      Lines[P.Line - 1].substr(0, 60).c_str());
      }
      FindRuns.push_back(StatsOf(Find));
      JumpRuns.push_back(StatsOf(Jump));
      if (R == 0) {
        FirstDialogs = Dialogs;
        FirstBeeps = Beeps;
        FirstBoxes = Boxes;
      }
    }
  }
  VclHost() = TVclHost();

  std::printf("%s: %lld bytes, %d lines; opened and compiled in %.3f s; %d runs\n", Target.c_str(),
              static_cast<long long>(fs::file_size(Target, Ec)), LineCount, OpenSeconds, Runs);
  for (int R = 0; R < Runs; ++R) {
    Report("find position", FindRuns[R]);
    Report("hyperjump", JumpRuns[R]);
  }
  std::printf("find position named a procedure at %d of %zu lines; hyperjump moved the cursor "
              "from %d of %d positions; dialogs %d, beeps %d, message boxes %d (first run)\n",
              Named, static_cast<size_t>(Positions), Moved,
              JumpRuns[0].Count, FirstDialogs, FirstBeeps, FirstBoxes);

  Json J = {{"file", Target},
            {"with_procedures", WithProcedures},
            {"bytes", fs::file_size(Target, Ec)},
            {"lines", LineCount},
            {"seed", Seed},
            {"open_seconds", OpenSeconds},
            {"find_named", Named},
            {"hyperjump_moved", Moved},
            {"hyperjump_dialogs", FirstDialogs},
            {"hyperjump_beeps", FirstBeeps},
            {"find_position", Json::array()},
            {"hyperjump", Json::array()}};
  for (int R = 0; R < Runs; ++R) {
    J["find_position"].push_back(StatsJson(FindRuns[R]));
    J["hyperjump"].push_back(StatsJson(JumpRuns[R]));
  }
  WriteJson(JsonFile, J);
  return 0;
}
