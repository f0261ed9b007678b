// velmoric units [--project DPR] [--dot [OUT] | --svg OUT] FILE: the unit
// dependency graph of the compiled project, the graph the unit dependency
// browser builds. FILE is compiled as the navigation commands compile it
// (the program when DPR is given, else FILE with the units it uses); FILE
// may also be a folder, whose every Pascal source (.pas, .pp, .dpr, .lpr)
// is compiled with the units it uses.
//
// Output: one line per unit, "<unit>\t<file>", then its uses indented by
// two blanks the same way ("not found" instead of the file for a unit the
// project did not find); with --dot the graph in Graphviz's language (to
// OUT when given); with --svg the graph drawn by Graphviz to OUT: units as
// nodes grouped by folder, uses as edges, cycles in red, units not found
// dashed.
#include <algorithm>
#include <filesystem>
#include <ostream>

#include "browsers/VelmoricUnitGraph.h"
#include "hosts/cli/CliCommands.h"
#include "hosts/cli/GraphvizSvg.h"
#include "hosts/cli/NavigationSession.h"
#include "hosts/memory/MemoryIDE.h"
#include "ide/VelmoricWizard.h"
#include "platform/rtl/FileSearch.h"
#include "project/VelmoricParseAhead.h"
#include "project/VelmoricPascalProject.h"

namespace {

bool IsPascalSource(const std::filesystem::path& P) {
  const std::string Ext = LowerCase(P.extension().string());
  return Ext == ".pas" || Ext == ".pp" || Ext == ".dpr" || Ext == ".lpr";
}

// Compiles every Pascal source of Dir into Memory: first each file on its
// own (parsed on every core), so that a file of the folder is never taken
// for a missing unit, then the units they use.
void CompileFolder(const std::string& Dir, TPascalProject& Memory) {
  std::vector<std::string> Files;
  for (const auto& E : std::filesystem::directory_iterator(Dir))
    if (E.is_regular_file() && IsPascalSource(E.path())) Files.push_back(ExpandFileName(E.path().string()));
  std::sort(Files.begin(), Files.end());
  TPascalProject Project;
  Project.FMemoryProject = &Memory;
  {
    TParseAhead Ahead(Project, Files, {oCompileImplementation}, TParseAhead::Cores());
    for (const std::string& F : Files) Project.Compile(F, {oCompileImplementation});
  }
  const int Parsed = Project.FUnitLIst->Count();
  for (int I = 0; I < Parsed; ++I) {
    auto* S = static_cast<TPascalSource*>(Project.FUnitLIst->GetObjects(I));
    if (!S || !S->usesList) continue;
    std::vector<std::string> Uses;
    for (int J = 0; J < S->usesList->Count(); ++J) Uses.push_back(S->usesList->Get(J));
    for (const std::string& U : Uses) Project.Compile(U, {oCompileUnits, oCompileImplementation});
  }
}

bool WriteOutput(const std::string& FileName, const std::string& Text, std::ostream& Err) {
  try {
    WriteFileBytes(FileName, Text);
    return true;
  } catch (const Exception& E) {
    Err << "velmoric units: " << E.Message() << "\n";
    return false;
  }
}

int RunUnits(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  enum { Text, Dot, Svg } Mode = Text;
  std::string OutFile;
  std::vector<std::string> Rest;
  std::string AfterDot;  // the argument right after --dot, when it is no option
  for (size_t I = 0; I < Args.size(); ++I) {
    if (Args[I] == "--dot" || Args[I] == "--svg") {
      if (Mode != Text) throw CliUsageError{"--dot and --svg exclude each other"};
      Mode = Args[I] == "--dot" ? Dot : Svg;
      if (Mode == Svg) {
        if (I + 1 >= Args.size()) throw CliUsageError{"--svg needs a file name"};
        OutFile = Args[++I];
      } else if (I + 1 < Args.size() && !Args[I + 1].empty() && Args[I + 1][0] != '-') {
        AfterDot = Args[I + 1];
      }
    } else {
      Rest.push_back(Args[I]);
    }
  }
  TNavigationArgs A = ParseNavigationArgs(Rest, false);
  // "--dot OUT FILE": the argument after --dot names the output.
  if (Mode == Dot && A.Rest.size() == 2 && !AfterDot.empty()) {
    const auto At = std::find(A.Rest.begin(), A.Rest.end(), AfterDot);
    if (At != A.Rest.end()) {
      OutFile = *At;
      A.Rest.erase(At);
    }
  }
  if (A.Rest.size() != 1) throw CliUsageError{"expects one FILE"};
  const std::string FileName = A.Rest[0];
  for (const std::string& F : {FileName, A.Project}) {
    if (!F.empty() && FindFileNoCase(F).empty()) {
      Err << "velmoric units: file not found: " << F << "\n";
      return 1;
    }
  }
  if (!OutFile.empty() && SameText(ExpandFileName(OutFile), ExpandFileName(FileName)))
    throw CliUsageError{"the output would overwrite " + FileName};

  TUnitDependGraph Graph;
  if (DirectoryExists(FindFileNoCase(FileName))) {
    const std::string Dir = FindFileNoCase(FileName);
    TMemoryIDE IDE;
    if (!A.Project.empty() && !IDE.OpenProject(A.Project)) {
      Err << "velmoric units: " << IDE.LastError() << "\n";
      return 1;
    }
    const std::string SavedPath = AdditionalSearchPath;
    const bool SavedQuick = gQuickRecompile;
    AdditionalSearchPath += (AdditionalSearchPath.empty() ? "" : ";") + ExpandFileName(Dir);
    gQuickRecompile = false;
    TPascalProject Memory;
    try {
      CompileFolder(Dir, Memory);
    } catch (...) {
      AdditionalSearchPath = SavedPath;
      gQuickRecompile = SavedQuick;
      throw;
    }
    AdditionalSearchPath = SavedPath;
    gQuickRecompile = SavedQuick;
    Graph.Build(&Memory);
  } else {
    TNavigationSession Session(A.Project, FileName);
    Graph.Build(Session.Expert()->Project);
  }

  switch (Mode) {
    case Text:
      Out << Graph.ToText();
      break;
    case Dot:
      if (OutFile.empty())
        Out << Graph.ToDot();
      else if (!WriteOutput(OutFile, Graph.ToDot(), Err))
        return 1;
      break;
    case Svg: {
      std::string Picture, Error;
      if (!RenderDotToSvg(Graph.ToDot(), Picture, Error)) {
        Err << "velmoric units: " << Error << "\n";
        return 1;
      }
      if (!WriteOutput(OutFile, Picture, Err)) return 1;
      break;
    }
  }
  Out.flush();
  return 0;
}

CliRegistration Register{{"units", "[--project DPR] [--dot [OUT] | --svg OUT] FILE",
                          "The unit dependency graph of the compiled project: text, Graphviz DOT "
                          "or an SVG picture",
                          RunUnits}};

}  // namespace
