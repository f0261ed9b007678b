// velmoric manual [--project DPR] FILE... --html DIR
// writes the manual of the units as HTML pages into DIR: "unit_<name>.html"
// per unit (its unit page), "<Class>.html" per class (the class's page and,
// below it, the page of every member that has help), "index.html" naming
// them all. Links to a class lead to its page; the pages' bodies come from
// the help table where it holds them, else from the structured comments.
#include <filesystem>
#include <ostream>

#include "help/VelmoricVirtualHelp.h"
#include "hosts/cli/CliCommands.h"
#include "hosts/memory/ExpertSession.h"
#include "hosts/memory/MemoryIDE.h"
#include "platform/rtl/FileSearch.h"
#include "project/VelmoricPascalProject.h"
#include "scanner/VelmoricSymbols.h"

namespace {

std::string Body(const std::string& Html) {
  const size_t Start = Html.find("<body>\n");
  const size_t End = Html.rfind("</body>");
  if (Start == std::string::npos || End == std::string::npos || End < Start) return Html;
  return Html.substr(Start + 7, End - Start - 7);
}

std::string Escape(const std::string& S) {
  std::string Out;
  for (char C : S) Out += C == '<' ? "&lt;" : C == '>' ? "&gt;" : C == '&' ? "&amp;" : std::string(1, C);
  return Out;
}

std::string Document(const std::string& Title, const std::string& Content) {
  return "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" + Escape(Title) +
         "</title>\n</head>\n<body>\n<p><a href=\"index.html\">Index</a></p>\n" + Content + "</body>\n</html>\n";
}

// Links to classes with a page of their own lead there.
std::string LinkClasses(std::string Html, const TStringList& Classes) {
  for (int I = 0; I < Classes.Count(); ++I) {
    const std::string From = "href=\"#" + Classes[I] + "\"";
    const std::string To = "href=\"" + Classes[I] + ".html\"";
    for (size_t P; (P = Html.find(From)) != std::string::npos;) Html.replace(P, From.size(), To);
  }
  return Html;
}

int RunManual(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  std::string ProjectFile, OutDir;
  std::vector<std::string> Files;
  for (size_t I = 0; I < Args.size(); ++I) {
    if (Args[I] == "--project" || Args[I] == "--html") {
      if (I + 1 >= Args.size()) throw CliUsageError{Args[I] + " needs a value"};
      (Args[I] == "--project" ? ProjectFile : OutDir) = Args[++I];
    } else if (!Args[I].empty() && Args[I][0] == '-') {
      throw CliUsageError{"unknown option " + Args[I]};
    } else {
      Files.push_back(Args[I]);
    }
  }
  if (Files.empty() || OutDir.empty()) throw CliUsageError{"expects FILE... --html DIR"};
  for (const std::string& F : Files)
    if (!FileExists(FindFileNoCase(F))) {
      Err << "velmoric manual: file not found: " << F << "\n";
      return 1;
    }
  std::error_code Ec;
  std::filesystem::create_directories(OutDir, Ec);
  if (Ec) {
    Err << "velmoric manual: cannot create " << OutDir << ": " << Ec.message() << "\n";
    return 1;
  }

  TMemoryIDE IDE;
  if (!ProjectFile.empty() && !IDE.OpenProject(ProjectFile)) {
    Err << "velmoric manual: " << IDE.LastError() << "\n";
    return 1;
  }
  TPascalProject Memory;
  for (const std::string& F : Files) {
    TPascalProject Project;
    Project.FMemoryProject = &Memory;
    Project.Compile(F, {oCompileUnits, oCompileImplementation});
  }
  // The data directory, as the expert would start with it.
  if (VelmoricPath.empty()) VelmoricPath = TExpertSession::DefaultDataDirectory();
  TVelmoricHelpStore Store;
  std::string Error;
  if (!Store.Open(Error) && FileExists(Session().DatabaseFileName("Velmoric")))
    Err << "velmoric manual: the help table cannot be read (" << Error << "); the pages come from the comments\n";
  TVelmoricHelpStore* Pages = Store.Active() ? &Store : nullptr;

  // The units asked for and their classes.
  std::vector<TPascalSource*> Sources;
  TStringList Classes;
  Classes.SetSorted(true);
  Classes.SetDuplicates(dupIgnore);
  for (const std::string& F : Files) {
    const int I = Memory.FUnitLIst->IndexOf(TPascalProject::UnitKey(F));
    auto* S = I >= 0 ? static_cast<TPascalSource*>(Memory.FUnitLIst->GetObjects(I)) : nullptr;
    if (!S) {
      Err << "velmoric manual: " << F << " was not compiled\n";
      return 1;
    }
    Sources.push_back(S);
    if (S->symbols.symbols)
      for (int J = 0; J < S->symbols.symbols->Count(); ++J)
        if (S->symbols.symbols->GetSymbol(J)->Typ == typClass) Classes.AddObject(S->symbols.symbols->GetSymbol(J)->name, S->symbols.symbols->GetSymbol(J));
  }

  std::string Index = "<h1>Manual</h1>\n<ul>\n";
  for (TPascalSource* S : Sources) {
    TOrvikSymbol* Unit = &S->symbols;
    const std::string UnitFile = "unit_" + LowerCase(Unit->name) + ".html";
    const std::string Html =
        RenderHelpPage(ComposeHelpPage(Unit, &Memory, Pages), THelpFormat::Html, "Unit " + Unit->name);
    WriteFileBytes(OutDir + "/" + UnitFile, Document("Unit " + Unit->name, LinkClasses(Body(Html), Classes)));
    Out << UnitFile << "\n";
    Index += "<li><a href=\"" + UnitFile + "\">Unit " + Escape(Unit->name) + "</a>\n<ul>\n";
    for (int J = 0; Unit->symbols && J < Unit->symbols->Count(); ++J) {
      TOrvikSymbol* C = Unit->symbols->GetSymbol(J);
      if (C->Typ != typClass) continue;
      std::string Content = Body(RenderHelpPage(ComposeHelpPage(C, &Memory, Pages), THelpFormat::Html, C->name));
      for (int K = 0; C->symbols && K < C->symbols->Count(); ++K) {
        TOrvikSymbol* M = C->symbols->GetSymbol(K);
        if (M->Typ != typProcedure && M->Typ != typProperty && M->Typ != typVar) continue;
        if (!HelpAvailable(M, Pages)) continue;
        // A member's headings sit one level below its class's.
        std::string Member = Body(RenderHelpPage(ComposeHelpPage(M, &Memory, Pages), THelpFormat::Html, M->name));
        for (const auto& [From, To] : {std::pair<std::string, std::string>{"h2>", "h3>"}, {"h1>", "h2>"}})
          for (size_t P; (P = Member.find(From)) != std::string::npos;) Member.replace(P, From.size(), To);
        Content += "<hr>\n<div id=\"" + Escape(M->name) + "\">\n" + Member + "</div>\n";
      }
      const std::string ClassFile = C->name + ".html";
      WriteFileBytes(OutDir + "/" + ClassFile, Document(C->name, LinkClasses(Content, Classes)));
      Out << ClassFile << "\n";
      Index += "<li><a href=\"" + ClassFile + "\">" + Escape(C->name) + "</a></li>\n";
    }
    Index += "</ul>\n</li>\n";
  }
  Index += "</ul>\n";
  WriteFileBytes(OutDir + "/index.html", Document("Manual", Index));
  Out << "index.html\n";
  Out.flush();
  return 0;
}

CliRegistration Register{{"manual", "[--project DPR] FILE... --html DIR",
                          "Writes the manual of units as HTML pages: one per unit and class, and an index",
                          RunManual}};

}  // namespace
