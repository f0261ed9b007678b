// velmoric help [--project DPR] FILE SYMBOL [--format text|markdown|html|rtf]
// velmoric help [--project DPR] FILE LINE COL [--format ...]
// prints the virtual help page of SYMBOL (a dotted name as the help table
// names pages, "TForm1.Button1Click"; the unit's own name gives the unit
// page) or of the symbol under the cursor, composed as the help window
// composes it: the header from the declaration, the body from the page
// stored in the help table or else from the symbol's structured comment.
// A help table that cannot be read is reported on stderr and the page is
// made from the comments.
#include <ostream>

#include "help/VelmoricVirtualHelp.h"
#include "hosts/cli/CliCommands.h"
#include "hosts/cli/NavigationSession.h"
#include "ide/VelmoricWizard.h"
#include "project/VelmoricPascalProject.h"
#include "scanner/VelmoricSymbols.h"

namespace {

TPascalSource* UnitSource(TPascalProject* Project, const std::string& UnitName) {
  if (!Project || !Project->FUnitLIst) return nullptr;
  const int I = Project->FUnitLIst->IndexOf(TPascalProject::UnitKey(UnitName));
  return I >= 0 ? static_cast<TPascalSource*>(Project->FUnitLIst->GetObjects(I)) : nullptr;
}

// The symbol of a dotted name below the unit root, or nullptr.
TOrvikSymbol* FindDotted(TOrvikSymbol* Unit, const std::string& Dotted) {
  if (SameText(Dotted, Unit->name) || Dotted.empty()) return Unit;
  TOrvikSymbol* S = Unit;
  size_t Start = 0;
  while (S && Start <= Dotted.size()) {
    size_t End = Dotted.find('.', Start);
    if (End == std::string::npos) End = Dotted.size();
    const std::string Name = Trim(Dotted.substr(Start, End - Start));
    S = S->symbols ? S->symbols->FindAnyFlatSymbol(Name) : nullptr;
    Start = End + 1;
  }
  return S;
}

// The same symbol in the memory project, found by its owners' names.
TOrvikSymbol* InMemory(TPascalProject* Memory, TOrvikSymbol* Symbol) {
  std::vector<TOrvikSymbol*> Chain;
  for (TOrvikSymbol* S = Symbol; S; S = S->Parent) Chain.push_back(S);
  TPascalSource* Source = UnitSource(Memory, Chain.back()->name);
  if (!Source) return Symbol;
  TOrvikSymbol* At = &Source->symbols;
  for (int I = static_cast<int>(Chain.size()) - 2; I >= 0; --I) {
    TOrvikSymbol* Next = At->symbols ? At->symbols->FindAnyFlatSymbol(Chain[I]->name) : nullptr;
    if (!Next) break;
    At = Next;
  }
  return At;
}

int RunHelp(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  THelpFormat Format = THelpFormat::Text;
  std::vector<std::string> Rest;
  for (size_t I = 0; I < Args.size(); ++I) {
    if (Args[I] != "--format") {
      Rest.push_back(Args[I]);
      continue;
    }
    if (I + 1 >= Args.size()) throw CliUsageError{"--format needs a value"};
    const std::string F = Args[++I];
    if (F == "text") Format = THelpFormat::Text;
    else if (F == "markdown") Format = THelpFormat::Markdown;
    else if (F == "html") Format = THelpFormat::Html;
    else if (F == "rtf") Format = THelpFormat::Rtf;
    else throw CliUsageError{"--format is text, markdown, html or rtf"};
  }
  const TNavigationArgs A = ParseNavigationArgs(Rest, false);
  if (A.Rest.size() != 2 && A.Rest.size() != 3) throw CliUsageError{"expects FILE SYMBOL or FILE LINE COL"};
  const bool AtCursor = A.Rest.size() == 3;
  const int Line = AtCursor ? PositiveArg(A.Rest[1], "LINE") : 0;
  const int Col = AtCursor ? PositiveArg(A.Rest[2], "COL") : 0;

  TNavigationSession Session(A.Project, A.Rest[0]);
  TVelmoricWizard* Expert = Session.Expert();
  TPascalProject* Memory = Expert ? Expert->Project : nullptr;
  TPascalSource* Source = UnitSource(Memory, A.Rest[0]);
  if (!Source) {
    Err << "velmoric help: " << A.Rest[0] << " was not compiled\n";
    return 1;
  }
  TOrvikSymbol* Symbol = nullptr;
  std::string Asked;
  if (AtCursor) {
    Session.SetCursor(Line, Col);
    if (Expert->GetCompiledEditor()) {
      try {
        TFindSymbol Find;
        std::string Word;
        Expert->Source->GetSymbolFromCursor(&Find, Word);
        Asked = Word;
        if (Find.Symbol) Symbol = InMemory(Memory, Find.Symbol);
      } catch (...) {
        Expert->ReleaseEditor();
        FreeAndNil(Expert->CompileProject);
        throw;
      }
      Expert->ReleaseEditor();
      FreeAndNil(Expert->CompileProject);
    }
  } else {
    Asked = A.Rest[1];
    Symbol = FindDotted(&Source->symbols, Asked);
  }
  if (!Symbol) {
    if (AtCursor)
      Err << "velmoric help: no symbol at " << Line << ":" << Col << " of " << A.Rest[0] << "\n";
    else
      Err << "velmoric help: no symbol " << Asked << " in " << A.Rest[0] << "\n";
    return 1;
  }

  TVelmoricHelpStore Store;
  std::string Error;
  bool Unreadable = false;
  if (!Store.Open(Error)) {
    try {
      Unreadable = Store.Table.Exists();
    } catch (const Exception&) {
      Unreadable = true;
    }
  }
  if (Unreadable)
    Err << "velmoric help: the help table cannot be read (" << Error << "); the page comes from the comments\n";
  const TVelmoricHelpPage Page = ComposeHelpPage(Symbol, Memory, Store.Active() ? &Store : nullptr);
  const std::string Title = Symbol->Typ == typUnit ? "Unit " + Symbol->name : NameOfSymbol(Symbol);
  Out << RenderHelpPage(Page, Format, Title);
  Out.flush();
  return 0;
}

CliRegistration Register{{"help", "[--project DPR] FILE (SYMBOL | LINE COL) [--format text|markdown|html|rtf]",
                          "Prints the virtual help page of a symbol", RunHelp}};

}  // namespace
