// The language server's features, each over the expert and the model.
#include <algorithm>
#include <memory>
#include <set>
#include <tuple>

#include "hosts/lsp/LspModel.h"
#include "hosts/lsp/LspServer.h"
#include "hosts/memory/EditWindow.h"
#include "hosts/memory/ExpertSession.h"
#include "ide/VelmoricEditorStrings.h"
#include "ide/VelmoricNavigation.h"
#include "help/VelmoricVirtualHelp.h"
#include "ide/VelmoricWizard.h"
#include "platform/opentools/ToolIntf.h"
#include "platform/rtl/FileSearch.h"
#include "project/VelmoricPascalProject.h"
#include "scanner/VelmoricPascalScanner.h"

namespace {

bool IsWordChar(char C) { return isalnum(C); }

// The last part of the dotted expression at byte P of Line, as the cursor
// query isolates it: left over blanks, right to the word's end.
std::string WordAt(const std::string& Line, int P) {
  const int N = static_cast<int>(Line.size());
  if (N == 0) return {};
  P = std::clamp(P, 0, N - 1);
  while (P > 0 && (Line[P] == ' ' || Line[P] == '\t')) --P;
  int E = P;
  while (E < N && IsWordChar(Line[E])) ++E;
  int S = E;
  while (S > 0 && IsWordChar(Line[S - 1])) --S;
  return Line.substr(S, E - S);
}

// The byte index of the Nth (0-based) whole-word occurrence of Word in Line
// (case ignored), or -1.
int FindWord(const std::string& Line, const std::string& Word, int Nth = 0) {
  if (Word.empty()) return -1;
  const std::string L = LowerCase(Line);
  const std::string W = LowerCase(Word);
  for (size_t P = L.find(W); P != std::string::npos; P = L.find(W, P + 1)) {
    const bool Before = P > 0 && IsWordChar(L[P - 1]);
    const bool After = P + W.size() < L.size() && IsWordChar(L[P + W.size()]);
    if (!Before && !After && Nth-- == 0) return static_cast<int>(P);
  }
  return -1;
}

// Keeps the items in the order given.
std::string SortText(int Rank) {
  std::string S = std::to_string(Rank);
  return std::string(S.size() < 6 ? 6 - S.size() : 0, '0') + S;
}

bool ContainsNoCase(const std::string& Text, const std::string& Lower) {
  return LowerCase(Text).find(Lower) != std::string::npos;
}

// Sets and restores a global for the length of a scope.
template <typename T>
class TScopedValue {
 public:
  TScopedValue(T& Slot, T Value) : FSlot(Slot), FSaved(Slot) { FSlot = Value; }
  ~TScopedValue() { FSlot = FSaved; }
  TScopedValue(const TScopedValue&) = delete;
  TScopedValue& operator=(const TScopedValue&) = delete;

 private:
  T& FSlot;
  T FSaved;
};

TOrvikSymbol* ChildAt(const TOrvikSymbol* Sym, int I) {
  return static_cast<TOrvikSymbol*>(Sym->symbols->GetObject(I));
}

// A symbol named Word (case ignored) below Owner whose heading or
// declaration is on the 0-based Line.
TOrvikSymbol* DeclaredAt(const TOrvikSymbol* Owner, const std::string& Word, int Line, int Depth = 0) {
  if (!Owner->symbols || Depth > 64) return nullptr;
  for (int I = 0; I < Owner->symbols->Count(); ++I) {
    TOrvikSymbol* S = ChildAt(Owner, I);
    if (!S || S->Typ == typParameter) continue;
    if (SameText(S->name, Word)) {
      const bool Here = S->Typ == typProcedure
                            ? S->DeclLine == Line || (S->Line != -1 && S->defbegin == Line)
                            : S->Line == Line;
      if (Here) return S;
    }
    if (TOrvikSymbol* Hit = DeclaredAt(S, Word, Line, Depth + 1)) return Hit;
  }
  return nullptr;
}

// The heading line of a procedure's body, else its declaration line;
// the declaration line for other kinds.
int StartLine(const TOrvikSymbol* S) {
  if (S->Typ == typProcedure) {
    if (S->Line != -1 && S->defbegin >= 0) return S->defbegin;
    return S->DeclLine != -1 ? S->DeclLine : std::max(S->Line, 0);
  }
  return std::max(S->Line, 0);
}

}  // namespace

// ---------------------------------------------------------------- helpers

TPascalSource* TLspServer::MemorySource(const TDocument& D) {
  TVelmoricWizard* Expert = FSession->Expert();
  if (!Expert || !Expert->Project || !Expert->Project->FUnitLIst) return nullptr;
  TSaveStringList* List = Expert->Project->FUnitLIst;
  auto Matches = [&](int I) {
    auto* S = static_cast<TPascalSource*>(List->Objects(I));
    return S && SameText(ExpandFileName(S->FileName), D.Path) ? S : nullptr;
  };
  const int I = List->IndexOf(TPascalProject::UnitKey(D.Path));
  if (I >= 0)
    if (TPascalSource* S = Matches(I)) return S;
  for (int J = 0; J < List->Count(); ++J)
    if (TPascalSource* S = Matches(J)) return S;
  return nullptr;
}

json TLspServer::WordRange(const std::string& Path, int Line, const std::string& Word) {
  std::shared_ptr<TFileText> T = Text(Path);
  Line = std::clamp(Line, 0, T->Lines.LineCount() - 1);
  const std::string L = T->Line(Line);
  const int P = FindWord(L, Word);
  if (P >= 0) return Range(Path, Line, P, Line, P + static_cast<int>(Word.size()));
  int B = 0;
  while (B < static_cast<int>(L.size()) && (L[B] == ' ' || L[B] == '\t')) ++B;
  return Range(Path, Line, B, Line, B);
}

int TLspServer::NameLine(const TOrvikSymbol* Sym, int Line) {
  // A type's record carries the line of the token after "class" or
  // "record"; its name may stand a line or two above.
  if (Sym->Typ == typProcedure || Line < 0) return Line;
  std::shared_ptr<TFileText> T = Text(SymbolFile(Sym));
  for (int L = Line; L >= 0 && L >= Line - 2 && L < T->Lines.LineCount(); --L)
    if (FindWord(T->Line(L), Sym->name) >= 0) return L;
  return Line;
}

json TLspServer::SymbolLocation(const TOrvikSymbol* Sym, int Line) {
  const std::string File = SymbolFile(Sym);
  if (File.empty() || Line < 0) return nullptr;
  Line = NameLine(Sym, Line);
  return {{"uri", UriOf(File)}, {"range", WordRange(File, Line, Sym->name)}};
}

TOrvikSymbol* TLspServer::SymbolAtCursor(TDocument& D, const json& P, std::string& Word,
                                         TOrvikSymbol** Proc) {
  int Line = 0;
  int Byte = 0;
  PlaceCursor(D, P.contains("position") ? P["position"] : json(), Line, Byte);
  TPascalSource* S = MemorySource(D);
  if (!S || !S->Token) return nullptr;
  TFindSymbol Find;
  S->GetSymbolFromCursor(&Find, Word);
  if (Proc) *Proc = Find.Proc && Find.Proc->Typ == typProcedure ? Find.Proc : nullptr;
  if (Find.Symbol) return Find.Symbol;
  if (Word.empty()) Word = WordAt(Text(D.Path)->Line(Line), Byte);
  // A declaration or heading under the cursor names its own symbol.
  return Word.empty() ? nullptr : DeclaredAt(&S->symbols, Word, Line);
}

// ------------------------------------------------------------- definition

json TLspServer::Definition(const json& P) {
  TDocument& D = Document(P);
  Freshen(&D);  // the hyperjump parses the document itself
  int Line = 0;
  int Byte = 0;
  PlaceCursor(D, P.contains("position") ? P["position"] : json(), Line, Byte);
  const std::string Word = WordAt(Text(D.Path)->Line(Line), Byte);
  TMemoryIDE& IDE = FSession->IDE();
  // Held during the jump, so that a new parse shows as another source.
  TPascalSource* Old = MemorySource(D);
  if (Old) ++Old->RefCount;
  std::set<std::string> Before;
  for (int I = 0; I < IDE.GetModuleCount(); ++I) Before.insert(IDE.GetModuleName(I));
  // GotoLine moves the top of the view: a top of 0 that stays says nothing moved.
  IDE.Buffer(D.Path).Top.Line = 0;
  FCandidates.clear();
  try {
    IDE.ClickMenuItem("Velmoric9");  // Hyper&jump
  } catch (...) {
    if (Old) ReleaseSource(Old);
    throw;
  }
  if (TPascalSource* New = MemorySource(D); New && New != Old && New->Token) {
    // Its parse errors are the document's diagnostics.
    D.Dirty = false;
    D.DiagnosticsDue = true;
    D.Errors.clear();
    for (int I = 0; New->errors && I < New->errors->Count(); ++I) D.Errors.push_back(New->errors->Get(I));
  }
  if (Old) ReleaseSource(Old);
  if (D.Dirty) CompileDocument(D);

  json Result = nullptr;
  if (!FCandidates.empty()) {
    Result = json::array();
    for (const TCandidate& C : FCandidates)
      if (!C.File.empty() && C.Line >= 0)
        Result.push_back({{"uri", UriOf(C.File)}, {"range", WordRange(C.File, C.Line, C.Name)}});
    FCandidates.clear();
  } else {
    const std::string Current = IDE.GetCurrentFile();
    TEditBuffer& Here = IDE.Buffer(D.Path);
    if (!Current.empty() && (!SameText(Current, D.Path) || Here.Top.Line != 0)) {
      TEditBuffer& B = IDE.Buffer(Current);
      const int Landed = B.EditPosToCharPos(B.Cursor).Line - 1;
      Result = json{{"uri", UriOf(Current)}, {"range", WordRange(Current, Landed, Word)}};
    }
  }
  TEditBuffer& Here = IDE.Buffer(D.Path);
  if (Here.Top.Line == 0) Here.Top.Line = std::max(Line + 1 - 5, 1);
  // Files the jump opened are not the client's documents.
  for (int I = IDE.GetModuleCount() - 1; I >= 0; --I) {
    const std::string Name = IDE.GetModuleName(I);
    TEditBufferPtr B = IDE.FindBuffer(Name);
    if (!Before.count(Name) && B && !FDocuments.count(B->FileName()) && !B->Modified) {
      FBufferTexts.erase(B->FileName());
      IDE.CloseFile(Name);
    }
  }
  IDE.ActivateFile(D.Path);
  return Result;
}

json TLspServer::HeadingJump(const json& P, bool ToDeclaration) {
  TDocument& D = Document(P);
  Freshen();
  std::string Word;
  TOrvikSymbol* Proc = nullptr;
  TOrvikSymbol* Sym = SymbolAtCursor(D, P, Word, &Proc);
  if (!Sym) Sym = Proc;  // anywhere in a body: its procedure
  if (!Sym) return nullptr;
  int Target = -1;
  if (Sym->Typ == typProcedure) {
    if (ToDeclaration) Target = Sym->DeclLine != -1 ? Sym->DeclLine : (Sym->Line != -1 ? Sym->defbegin : -1);
    else Target = Sym->Line != -1 ? Sym->defbegin : -1;
  } else if (ToDeclaration) {
    Target = Sym->Line;
  }
  return SymbolLocation(Sym, Target);
}

// -------------------------------------------------------- document symbols

json TLspServer::DocumentSymbol(const TOrvikSymbol* Sym, const std::string& Path) {
  std::shared_ptr<TFileText> T = Text(Path);
  const int Last = T->Lines.LineCount() - 1;
  const int Start = std::clamp(NameLine(Sym, StartLine(Sym)), 0, Last);
  int End = Start;
  int Stop = -1;
  if (Sym->Typ == typProcedure && Sym->Line != -1) Stop = Sym->defend;
  else if (Sym->Typ == typClass || Sym->Typ == typInterface || Sym->Typ == typRecord) Stop = Sym->defend;
  else if (Sym->Typ == typProcedure) End = std::clamp(std::max(Sym->DeclEndLine, Start), Start, Last);
  if (Stop > Start) {
    // The range ends with the line of its "end".
    End = std::min(Stop, Last);
    while (End > Start && FindWord(T->Line(End), "end") < 0) --End;
    if (End == Start) End = std::min(Stop, Last);
  }
  json Children = json::array();
  if (Sym->symbols) {
    std::vector<const TOrvikSymbol*> Members;
    const bool Nested = Sym->Typ == typProcedure;
    for (int I = 0; I < Sym->symbols->Count(); ++I) {
      const TOrvikSymbol* M = ChildAt(Sym, I);
      if (!M || M->Typ == typParameter || M->Typ == typUnit) continue;
      if (Nested && M->Typ != typProcedure) continue;  // locals stay out
      Members.push_back(M);
    }
    std::stable_sort(Members.begin(), Members.end(), [](const TOrvikSymbol* A, const TOrvikSymbol* B) {
      return StartLine(A) < StartLine(B);
    });
    for (const TOrvikSymbol* M : Members) Children.push_back(DocumentSymbol(M, Path));
  }
  json Selection = WordRange(Path, Start, Sym->name);
  json Result = {{"name", ToUtf8(Sym->name, T->Encoding)},
                 {"kind", LspSymbolKind(Sym)},
                 {"range", Range(Path, Start, 0, End, T->Lines.LineLength(End))},
                 {"selectionRange", Selection}};
  if (const std::string Detail = SymbolDetail(Sym); !Detail.empty())
    Result["detail"] = ToUtf8(Detail, T->Encoding);
  if (!Children.empty()) Result["children"] = Children;
  return Result;
}

json TLspServer::DocumentSymbols(const json& P) {
  TDocument& D = Document(P);
  Freshen();
  json List = json::array();
  TPascalSource* S = MemorySource(D);
  if (!S || !S->symbols.symbols) return List;
  std::vector<const TOrvikSymbol*> Top;
  for (int I = 0; I < S->symbols.symbols->Count(); ++I) {
    const TOrvikSymbol* Sym = ChildAt(&S->symbols, I);
    if (Sym && Sym->Typ != typParameter && Sym->Typ != typUnit) Top.push_back(Sym);
  }
  std::stable_sort(Top.begin(), Top.end(), [](const TOrvikSymbol* A, const TOrvikSymbol* B) {
    return StartLine(A) < StartLine(B);
  });
  for (const TOrvikSymbol* Sym : Top) List.push_back(DocumentSymbol(Sym, D.Path));
  return List;
}

// ------------------------------------------------------- workspace symbols

json TLspServer::WorkspaceSymbols(const json& P) {
  const std::string Query = P.contains("query") && P["query"].is_string() ? P["query"].get<std::string>() : "";
  Freshen();
  TVelmoricWizard* Expert = FSession->Expert();
  const TSymTypSet Kinds{typProcedure, typClass, typType, typRecord, typVar,
                         typProperty, typConst, typInterface};
  const std::vector<TExplorerEntry> List = SymbolExplorerList(Expert ? Expert->Project : nullptr, Kinds, true);
  const std::string Lower = LowerCase(Query);
  json Result = json::array();
  for (size_t I = SymbolExplorerSearch(List, Query); I < List.size(); ++I) {
    const TOrvikSymbol* Sym = List[I].Symbol;
    if (LowerCase(Sym->name).compare(0, Lower.size(), Lower) != 0) continue;
    json Location = SymbolLocation(Sym, JumpLine(Sym));
    if (Location.is_null()) continue;
    json Item = {{"name", Sym->name}, {"kind", LspSymbolKind(Sym)}, {"location", Location}};
    if (Sym->Parent && Sym->Parent->Typ != typUnit) Item["containerName"] = Sym->Parent->name;
    Result.push_back(Item);
  }
  return Result;
}

// -------------------------------------------------------------- completion

json TLspServer::Completion(const json& P) {
  TDocument& D = Document(P);
  if (!FProjectCompiled) Freshen();
  int Line = 0;
  int Byte = 0;
  PlaceCursor(D, P.contains("position") ? P["position"] : json(), Line, Byte);
  std::shared_ptr<TFileText> T = Text(D.Path);
  const std::string L = T->Line(Line);
  int Start = Byte;
  while (Start > 0 && IsWordChar(L[Start - 1])) --Start;
  json Items = json::array();
  TVelmoricWizard* Expert = FSession->Expert();

  if (Start > 0 && L[Start - 1] == '.') {
    // Members of the type before the point.
    if (Start < 2 || !IsWordChar(L[Start - 2])) return {{"isIncomplete", false}, {"items", Items}};
    Freshen();  // the model of the text as it is now
    TEditBuffer& B = FSession->IDE().Buffer(D.Path);
    B.Cursor = B.CharPosToEditPos(TCharPos{static_cast<int16_t>(std::min(Start - 2, 32767)), Line + 1});
    TPascalSource* S = MemorySource(D);
    if (!S || !S->Token) return {{"isIncomplete", false}, {"items", Items}};
    TFindSymbol Find;
    std::string Word;
    S->GetSymbolFromCursor(&Find, Word);
    const json Edit = Range(D.Path, Line, Start, Line, Byte);
    int Rank = 0;
    for (TOrvikSymbol* M : TypeMembers(Expert->Project, Find.Symbol)) {
      json Item = {{"label", M->name},
                   {"kind", LspCompletionKind(M)},
                   {"sortText", SortText(Rank++)},
                   {"textEdit", {{"range", Edit}, {"newText", M->name}}}};
      if (std::string Detail = SymbolDetail(M); !Detail.empty()) Item["detail"] = Detail;
      Items.push_back(Item);
    }
    return {{"isIncomplete", false}, {"items", Items}};
  }

  // Expand word's candidates, the most frequent first: from the editor's
  // text, no model needed.
  FSession->IDE().ActivateFile(D.Path);
  if (!Expert->GetEditor()) return {{"isIncomplete", false}, {"items", Items}};
  TExpandWord W;
  try {
    W = ExpandWordCandidates(Expert->EditorStrings, Line + 1, Byte);
  } catch (...) {
    Expert->ReleaseEditor();
    throw;
  }
  Expert->ReleaseEditor();
  const int First = W.Last >= W.First ? W.First - 1 : Byte;
  const int Last = std::max(W.Last >= W.First ? W.Last : Byte, Byte);
  const json Edit = Range(D.Path, Line, First, Line, Last);
  int Rank = 0;
  for (const auto& [Spelling, Count] : W.Candidates) {
    const std::string Label = ToUtf8(Spelling, T->Encoding);
    Items.push_back({{"label", Label},
                     {"kind", 1},
                     {"detail", Format("%d in this unit", Count)},
                     {"sortText", SortText(Rank++)},
                     {"filterText", Label},
                     {"textEdit", {{"range", Edit}, {"newText", Label}}}});
  }
  return {{"isIncomplete", false}, {"items", Items}};
}

// -------------------------------------------------------------- references

json TLspServer::References(const json& P) {
  TDocument& D = Document(P);
  Freshen();
  std::string Word;
  TOrvikSymbol* Target = SymbolAtCursor(D, P, Word);
  json Result = json::array();
  if (!Target) return Result;
  const std::string Key = SymbolKey(Target);
  const std::string Name = LowerCase(Target->name);
  const std::string TargetFile = ExpandFileName(SymbolFile(Target));
  std::set<int> DeclLines;
  if (Target->DeclLine != -1) DeclLines.insert(Target->DeclLine);
  if (Target->Typ == typProcedure && Target->Line != -1) DeclLines.insert(Target->defbegin);
  if (Target->Typ != typProcedure && Target->Line != -1) DeclLines.insert(Target->Line);
  bool WithDeclaration = true;
  if (auto C = P.find("context"); C != P.end() && C->is_object())
    WithDeclaration = C->value("includeDeclaration", true);

  std::set<std::tuple<std::string, int, int>> Seen;
  auto Add = [&](const std::string& File, int Line, int Byte) {
    if (!Seen.insert({File, Line, Byte}).second) return;
    Result.push_back({{"uri", UriOf(File)},
                      {"range", Range(File, Line, Byte, Line, Byte + static_cast<int>(Name.size()))}});
  };
  if (WithDeclaration)
    for (int L : DeclLines) {
      const int At = FindWord(Text(TargetFile)->Line(std::clamp(L, 0, Text(TargetFile)->Lines.LineCount() - 1)), Name);
      if (At >= 0) Add(TargetFile, L, At);
    }

  TPascalProject* Memory = FSession->Expert()->Project;
  std::vector<std::string> Files;
  for (int I = 0; I < Memory->FUnitLIst->Count(); ++I) {
    auto* S = static_cast<TPascalSource*>(Memory->FUnitLIst->Objects(I));
    if (!S || !S->Found || S->FileName.empty()) continue;
    const std::string F = ExpandFileName(S->FileName);
    if (std::find(Files.begin(), Files.end(), F) == Files.end()) Files.push_back(F);
  }
  TScopedValue<bool> NoStatus(DisplayCompilerProcess, false);
  for (const std::string& File : Files) {
    std::shared_ptr<TFileText> T = Text(File);
    if (!ContainsNoCase(T->Text, Name)) continue;
    // Each unit is parsed again from its text; every occurrence of the
    // word is resolved by the cursor query, as outside the IDE.
    auto* Lines = new TSaveStringList("strings", "TLspServer");
    for (int I = 0; I < T->Lines.LineCount(); ++I) Lines->Add(T->Line(I));
    std::unique_ptr<TPascalSource> S;
    try {
      auto* Token = new TToken(Lines);
      S = std::make_unique<TPascalSource>(Token);
    } catch (...) {
      delete Lines;
      throw;
    }
    S->FileName = File;
    S->Project = Memory;
    try {
      S->CreateSymbols(TCompilerOptionsSet{oCompileImplementation});
    } catch (const std::exception& E) {
      Log("References: " + File + ": " + E.what());
    }
    S->Project = Memory;
    TToken Scan(Lines);
    Scan.SetLine(0);
    std::map<int, int> OnLine;  // occurrences seen per line
    try {
      while (Scan.Next()) {
        if (Scan.IsString || Scan.LowerText != Name) continue;
        const int L = Scan.TokenLine;
        const int Nth = OnLine[L]++;
        const std::string LineText = T->Line(L);
        int At = Scan.Line == L ? Scan.Column - 1 - static_cast<int>(Scan.TokenText.size()) : -1;
        if (At < 0 || FindWord(LineText.substr(At), Name) != 0) At = FindWord(LineText, Name, Nth);
        if (At < 0) continue;
        TFindSymbol Find;
        Find.CursorLine = L + 1;
        Find.CursorCol = At + 1;
        std::string W;
        {
          TScopedValue<TIToolServices*> NoIDE(ToolServices, nullptr);
          S->GetSymbolFromCursor(&Find, W);
        }
        const bool Declaration = SameText(File, TargetFile) && DeclLines.count(L);
        if (Declaration ? WithDeclaration : Find.Symbol && SymbolKey(Find.Symbol) == Key)
          Add(File, L, At);
      }
    } catch (const std::exception& E) {
      Log("References: " + File + ": " + E.what());
    }
  }
  return Result;
}

// ------------------------------------------------------------------- hover

json TLspServer::Hover(const json& P) {
  TDocument& D = Document(P);
  Freshen();
  std::string Word;
  TOrvikSymbol* Sym = SymbolAtCursor(D, P, Word);
  if (!Sym) return nullptr;
  json Result = {{"contents", {{"kind", "markdown"}, {"value", HelpPage(Sym)}}}};
  int Line = 0;
  int Byte = 0;
  PlaceCursor(D, P.contains("position") ? P["position"] : json(), Line, Byte);
  const std::string Here = Text(D.Path)->Line(Line);
  const int At = FindWord(Here, Word);
  if (At >= 0 && At <= Byte && Byte <= At + static_cast<int>(Word.size()))
    Result["range"] = Range(D.Path, Line, At, Line, At + static_cast<int>(Word.size()));
  return Result;
}

// The virtual help page of Sym as Markdown: its heading, the declaration
// as the source has it, then the page's body (the structured comment's
// parameters and description, or the stored page).
std::string TLspServer::HelpPage(TOrvikSymbol* Sym) {
  const std::string File = SymbolFile(Sym);
  std::shared_ptr<TFileText> T = Text(File);
  // The declaration up to its ";" (a type's first line).
  std::string Declaration;
  int L = Sym->Typ == typProcedure && Sym->DeclLine != -1 ? Sym->DeclLine : NameLine(Sym, StartLine(Sym));
  for (int I = 0; I < 8 && Sym->Typ != typUnit && L >= 0 && L < T->Lines.LineCount(); ++I, ++L) {
    const std::string Text = Trim(T->Line(L));
    Declaration += (Declaration.empty() ? "" : "\n") + Text;
    if (Text.find(';') != std::string::npos) break;
    if (Sym->Typ == typClass || Sym->Typ == typRecord || Sym->Typ == typInterface) break;
  }

  TVelmoricHelpStore Store;
  std::string Error;
  if (!Store.Open(Error)) Store.Close();
  TVelmoricWizard* Expert = FSession->Expert();
  const TVelmoricHelpPage Page = ComposeHelpPage(Sym, Expert ? Expert->Project : nullptr,
                                                 Store.Active() ? &Store : nullptr);
  const std::string Title = Sym->Typ == typUnit ? "Unit " + Sym->name : NameOfSymbol(Sym);
  // The renderer writes the IDE's character set as UTF-8; a UTF-8 source
  // was that already.
  auto Render = [&](const TVelmoricHelpPage& Part) {
    const std::string Md = RenderHelpPage(Part, THelpFormat::Markdown, Title);
    return T->Encoding == TTextEncoding::Utf8 ? FromLatin1Utf8(Md) : Md;
  };
  std::string Heading = "# " + Title;
  const std::string Header = Render({Page.Header, ""});
  if (Header.rfind("# ", 0) == 0) Heading = Header.substr(0, Header.find('\n'));
  std::string Md = Heading;
  if (!Declaration.empty()) Md += "\n\n```pascal\n" + ToUtf8(Declaration, T->Encoding) + "\n```";
  if (const std::string Body = Trim(Render({"", Page.Body})); !Body.empty()) Md += "\n\n" + Body;
  if (!File.empty()) Md += "\n\n*" + ToUtf8(ExtractFileName(File), T->Encoding) + "*";
  return Md;
}

// ---------------------------------------------------------------- commands

json TLspServer::FindPosition(const json& Params) {
  TDocument& D = Document(Params);
  Freshen();
  int Line = 0;
  int Byte = 0;
  PlaceCursor(D, Params.contains("position") ? Params["position"] : json(), Line, Byte);
  TVelmoricWizard* Expert = FSession->Expert();
  TEditWindow* Window = FSession->IDE().EditWindow(D.Path);
  if (!Expert || !Window) return nullptr;
  Expert->LastFindLine = -1;  // asked for: search even on the same line
  const std::string Empty;
  Window->Caption = Empty;
  FSession->IDE().ClickMenuItem("Velmoric18");  // Find position
  std::string Caption = Window->Caption;
  const std::string Suffix = " - " + D.Path;
  if (Caption.size() >= Suffix.size() && Caption.compare(Caption.size() - Suffix.size(), Suffix.size(), Suffix) == 0)
    Caption.erase(Caption.size() - Suffix.size());
  Window->Caption = ExtractFileName(D.Path);
  if (Caption.empty()) return nullptr;
  return Caption;
}

json TLspServer::ExecuteCommand(const json& P) {
  if (!P.contains("command") || !P["command"].is_string())
    throw TLspError{lspInvalidParams, "command is missing"};
  const std::string Command = P["command"];
  const json Args = P.contains("arguments") && P["arguments"].is_array() ? P["arguments"] : json::array();
  // A document position: {textDocument, position}, or a URI and a position.
  auto At = [&]() -> json {
    if (!Args.empty() && Args[0].is_object() && Args[0].contains("textDocument")) return Args[0];
    if (Args.size() >= 2 && Args[0].is_string())
      return {{"textDocument", {{"uri", Args[0]}}}, {"position", Args[1]}};
    throw TLspError{lspInvalidParams, Command + " needs a document and a position"};
  };
  if (Command == "velmoric.findPosition") return FindPosition(At());
  if (Command == "velmoric.hyperjump") return Definition(At());
  if (Command == "velmoric.clearMemory") {
    FSession->IDE().ClickMenuItem("Velmoric16");  // Clear Memory
    FProjectCompiled = false;
    for (auto& [Path, D] : FDocuments) D.Dirty = true;
    return nullptr;
  }
  if (Command == "velmoric.compile") {
    FProjectCompiled = false;
    Freshen();
    TVelmoricWizard* Expert = FSession->Expert();
    return {{"units", Expert && Expert->Project ? Expert->Project->FUnitLIst->Count() : 0}};
  }
  throw TLspError{lspInvalidParams, "Unknown command: " + Command};
}
