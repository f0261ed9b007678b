// velmoric compile [--search-path DIRS] [--verbose] FILE: compiles a unit or a program
// file as the source explorer's compile button does (used units compiled,
// implementation parts parsed, quick recompile off) and prints every unit
// of the memory project, in its order, one line each:
//   <key>\t<how>\t<file>
// where <how> is "parsed", "loaded" (from its symbol store file) or
// "missing" (not found; <file> is then the name as used). DIRS is a
// ";"-separated list of directories searched after the IDE's library path.
// A program file (.dpr, .lpr) is opened as the IDE's project first, so that the
// units it names with "in" are found. FILE must be a Pascal source (.pas,
// .pp, .dpr, .lpr); anything else is refused with status 2.
// --verbose: before the units, the folders searched after the unit's own:
//   "# library path (<where from>):" and "# search path:", each followed by
//   one "#   <folder>" line per folder, in search order. The library path
//   comes from the IDE's settings or, when they name none, from the Free
//   Pascal and Lazarus sources installed.
#include <algorithm>
#include <ostream>

#include "hosts/cli/CliCommands.h"
#include "hosts/memory/MemoryIDE.h"
#include "platform/rtl/FileSearch.h"
#include "project/VelmoricPascalProject.h"

namespace {

const char* How(const TPascalSource* S) {
  if (!S->Found) return "missing";
  return S->State == stUpdated ? "parsed" : "loaded";
}

void PrintFolders(TMemoryIDE& IDE, const std::string& LibraryPath, std::ostream& Out) {
  auto List = [&Out](const std::string& Path) {
    for (size_t Start = 0; Start < Path.size();) {
      const size_t End = std::min(Path.find(';', Start), Path.size());
      if (End > Start) Out << "#   " << Path.substr(Start, End - Start) << '\n';
      Start = End + 1;
    }
  };
  const char* From = !gUseDelphiPath                ? "not used: \"Use delphi path\" is off"
                     : !IDE.LibraryPath().empty()   ? "from the settings"
                     : LibraryPath.empty()          ? "none: no settings, no Free Pascal or Lazarus sources found"
                                                    : "the IDE's default: the Free Pascal and Lazarus sources found";
  Out << "# library path (" << From << "):\n";
  if (gUseDelphiPath) List(LibraryPath);
  Out << "# search path:\n";
  List(AdditionalSearchPath);
}

int RunCompile(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  std::string FileName;
  std::string SearchPath;
  bool HaveSearchPath = false;
  bool Verbose = false;
  for (size_t I = 0; I < Args.size(); ++I) {
    if (Args[I] == "--verbose") {
      Verbose = true;
    } else if (Args[I] == "--search-path") {
      if (I + 1 >= Args.size()) throw CliUsageError{"--search-path needs a value"};
      SearchPath = Args[++I];
      HaveSearchPath = true;
    } else if (!Args[I].empty() && Args[I][0] == '-') {
      throw CliUsageError{"unknown option " + Args[I]};
    } else if (FileName.empty()) {
      FileName = Args[I];
    } else {
      throw CliUsageError{"expects one file name"};
    }
  }
  if (FileName.empty()) throw CliUsageError{"expects one file name"};
  // Its store goes beside it under the ".pax" extension: any other file
  // could be that store, or an unrelated file.
  if (!TPascalProject::IsPascalSourceFile(FileName)) {
    Err << "velmoric compile: not a Pascal source (.pas, .pp, .dpr, .lpr): " << FileName << "\n";
    return 2;
  }
  if (!FileExists(FindFileNoCase(FileName))) {
    Err << "velmoric compile: file not found: " << FileName << "\n";
    return 1;
  }

  TMemoryIDE IDE;
  const std::string Ext = ExtractFileExt(FileName);
  if ((SameText(Ext, ".dpr") || SameText(Ext, ".lpr")) && !IDE.OpenProject(FileName)) {
    Err << "velmoric compile: " << IDE.LastError() << "\n";
    return 1;
  }
  if (HaveSearchPath) AdditionalSearchPath = SearchPath;
  gQuickRecompile = false;

  TPascalProject Memory;
  if (Verbose) PrintFolders(IDE, Memory.FSearchPath, Out);
  {
    TPascalProject Project;
    Project.FMemoryProject = &Memory;
    Project.Compile(FileName, {oCompileUnits, oCompileImplementation});
  }
  for (int I = 0; I < Memory.FUnitLIst->Count(); ++I) {
    const auto* S = static_cast<const TPascalSource*>(Memory.FUnitLIst->GetObjects(I));
    Out << Memory.FUnitLIst->Get(I) << '\t' << How(S) << '\t' << S->FileName << '\n';
  }
  Out.flush();
  return 0;
}

CliRegistration Register{{"compile", "[--search-path DIRS] [--verbose] FILE",
                          "Compiles a unit or program with the units it uses and prints them: "
                          "key, parsed/loaded/missing, file",
                          RunCompile}};

}  // namespace
