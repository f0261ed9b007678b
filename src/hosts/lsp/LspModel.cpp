#include "hosts/lsp/LspModel.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "platform/rtl/FileSearch.h"
#include "platform/rtl/SysUtils.h"
#include "project/VelmoricPascalProject.h"
#include "scanner/VelmoricPascalScanner.h"

namespace {

constexpr int MaxAncestorSteps = 100;

TOrvikSymbol* Child(const TOrvikSymbol* Sym, int I) {
  return static_cast<TOrvikSymbol*>(Sym->symbols->GetObject(I));
}

void AddEntries(const TOrvikSymbol* Owner, TSymTypSet Kinds, bool SubSymbols,
                std::vector<TExplorerEntry>& List, int Depth) {
  if (!Owner->symbols || Depth > 64) return;
  for (int I = 0; I < Owner->symbols->Count(); ++I) {
    TOrvikSymbol* S = Child(Owner, I);
    if (!S || !Kinds.Contains(S->Typ)) continue;
    const std::string OwnerName = S->Parent && S->Parent->Typ != typUnit ? S->Parent->name.str() : std::string();
    List.push_back({Format("%-10s%s", S->name, OwnerName), S});
    if (SubSymbols) AddEntries(S, Kinds, SubSymbols, List, Depth + 1);
  }
}

bool IsType(const TOrvikSymbol* S) {
  return S->Typ == typClass || S->Typ == typRecord || S->Typ == typInterface;
}

}  // namespace

// ------------------------------------------------------- symbol explorer

std::vector<TExplorerEntry> SymbolExplorerList(TPascalProject* Project, TSymTypSet Kinds,
                                               bool SubSymbols) {
  std::vector<TExplorerEntry> List;
  if (!Project || !Project->FUnitLIst) return List;
  std::set<const TPascalSource*> Seen;
  for (int I = 0; I < Project->FUnitLIst->Count(); ++I) {
    auto* S = static_cast<TPascalSource*>(Project->FUnitLIst->Objects(I));
    if (!S || !Seen.insert(S).second) continue;
    AddEntries(&S->symbols, Kinds, SubSymbols, List, 0);
  }
  std::stable_sort(List.begin(), List.end(), [](const TExplorerEntry& A, const TExplorerEntry& B) {
    return CompareText(A.Key, B.Key) < 0;
  });
  return List;
}

int SymbolExplorerSearch(const std::vector<TExplorerEntry>& List, const std::string& Text) {
  const std::string Lower = LowerCase(Text);
  for (size_t I = 0; I < List.size(); ++I)
    if (!(LowerCase(List[I].Symbol->name) < Lower)) return static_cast<int>(I);
  return static_cast<int>(List.size());
}

// ------------------------------------------------------------ expand word

TExpandWord ExpandWordCandidates(TStrings* Lines, int L, int C) {
  TExpandWord R;
  if (!Lines || L < 1 || L > Lines->Count()) return R;
  const std::string T = Lines->Get(L - 1);
  const int N = static_cast<int>(T.size());
  // T[i] is 1-based; outside the line there is no word character.
  auto Word = [&](int I) { return I >= 1 && I <= N && isalnum(T[I - 1]); };
  int E = std::min(C, N);
  while (E >= 1 && !Word(E)) --E;
  while (E >= 1 && Word(E)) ++E;
  if (!Word(E)) --E;
  int S = E;
  while (S >= 1 && Word(S)) --S;
  if (!Word(S)) ++S;
  R.First = S;
  R.Last = E;
  if (E >= S && S >= 1) R.Partial = LowerCase(Trim(T.substr(S - 1, E - S + 1)));
  else R.Last = R.First - 1;

  // Every token that begins with the partial word, by spelling (case
  // ignored, the first spelling kept) with its count.
  const size_t Len = R.Partial.size();
  std::map<std::string, std::pair<std::string, int>> Counts;
  TToken Token(Lines);
  Token.SetLine(0);
  while (Token.Next()) {
    if (Token.IsString) continue;
    const std::string& Text = Token.TokenText;
    if (LowerCase(Text).compare(0, Len, R.Partial) != 0 || Text == R.Partial) continue;
    auto& Entry = Counts[LowerCase(Text)];
    if (Entry.second == 0) Entry.first = Text;
    ++Entry.second;
  }
  // The window lists "%4d %s" lines sorted as text, the last first.
  std::vector<std::pair<std::string, std::pair<std::string, int>>> Rows;
  for (const auto& [Key, Value] : Counts)
    Rows.push_back({Format("%4d %s", Value.second, Value.first), Value});
  std::stable_sort(Rows.begin(), Rows.end(),
                   [](const auto& A, const auto& B) { return CompareText(A.first, B.first) > 0; });
  for (const auto& Row : Rows) R.Candidates.push_back(Row.second);
  return R;
}

// ------------------------------------------------------------ type members

std::vector<TOrvikSymbol*> TypeMembers(TPascalProject* Project, TOrvikSymbol* Sym) {
  std::vector<TOrvikSymbol*> Members;
  if (!Sym) return Members;
  TOrvikSymbol* Type = Sym;
  if (!IsType(Sym)) {
    Type = nullptr;
    const std::string TypeName = Trim(Sym->TypeName);
    if (Project && !TypeName.empty()) {
      Type = Project->FindFlatSymbol(TypeName);
      if (Type && Type->TypeName.rfind('^', 0) == 0) {
        if (TOrvikSymbol* Target = Project->FindFlatSymbol(Trim(Type->TypeName.substr(1))))
          Type = Target;
      }
    }
    if (!Type) return Members;
  }
  std::set<std::string> Names;
  for (int Step = 0; Type && Step < MaxAncestorSteps; ++Step) {
    if (Type->symbols) {
      for (int I = 0; I < Type->symbols->Count(); ++I) {
        TOrvikSymbol* M = Child(Type, I);
        if (!M || M->Typ == typParameter) continue;
        if (Names.insert(LowerCase(M->name)).second) Members.push_back(M);
      }
    }
    if (!Project || Type->Ancestor().empty()) break;
    Type = Project->FindSymbol(Type->Ancestor(), typClass);
  }
  return Members;
}

// ----------------------------------------------------------------- mapping

std::string SymbolFile(const TOrvikSymbol* Sym) {
  while (Sym && Sym->Parent) Sym = Sym->Parent;
  return Sym && Sym->Typ == typUnit ? Sym->TypeName : std::string();
}

std::string SymbolKey(const TOrvikSymbol* Sym) {
  if (!Sym) return {};
  std::string Name;
  GetFullNameOfSymbol(Sym, Name);
  const int Where = Sym->Typ == typProcedure ? Sym->defbegin : Sym->Line;
  return Format("%s|%s|%d|%d|%d", LowerCase(ExpandFileName(SymbolFile(Sym))), LowerCase(Name),
                static_cast<int>(Sym->Typ), Sym->DeclLine, Where);
}

int LspSymbolKind(const TOrvikSymbol* Sym) {
  const bool InType = Sym->Parent && IsType(Sym->Parent);
  switch (Sym->Typ) {
    case typUnit: return 2;  // Module
    case typProcedure:
      if (Sym->ProcTyp == tConstructor) return 9;
      return InType ? 6 : 12;  // Method, Function
    case typClass: return 5;
    case typType: return Trim(Sym->TypeName).rfind('(', 0) == 0 ? 10 : 26;  // Enum, TypeParameter
    case typRecord: return 23;  // Struct
    case typVar: return InType ? 8 : 13;  // Field, Variable
    case typProperty: return 7;
    case typConst: return 14;
    case typInterface: return 11;
    case typParameter: return 13;
    default: return 13;
  }
}

int LspCompletionKind(const TOrvikSymbol* Sym) {
  switch (Sym->Typ) {
    case typProcedure:
      if (Sym->ProcTyp == tConstructor) return 4;
      return Sym->Parent && IsType(Sym->Parent) ? 2 : 3;  // Method, Function
    case typClass: return 7;
    case typInterface: return 8;
    case typRecord: return 22;  // Struct
    case typType: return Trim(Sym->TypeName).rfind('(', 0) == 0 ? 13 : 25;
    case typVar: return Sym->Parent && IsType(Sym->Parent) ? 5 : 6;  // Field, Variable
    case typProperty: return 10;
    case typConst: return 21;
    case typUnit: return 9;
    default: return 6;
  }
}

std::string JoinTokens(const std::string& Tokens) {
  std::string Out;
  size_t P = 0;
  while (P < Tokens.size()) {
    while (P < Tokens.size() && Tokens[P] == ' ') ++P;
    const size_t B = P;
    while (P < Tokens.size() && Tokens[P] != ' ') ++P;
    if (B == P) break;
    const std::string T = Tokens.substr(B, P - B);
    const bool Tight = T == "," || T == ";" || T == ":" || T == ")" || T == "]" || T == "." || T == "^";
    const bool AfterOpen = !Out.empty() && (Out.back() == '(' || Out.back() == '[' ||
                                            Out.back() == '.' || Out.back() == '^');
    if (!Out.empty() && !Tight && !AfterOpen) Out += ' ';
    Out += T;
  }
  return Out;
}

std::string SymbolDetail(const TOrvikSymbol* Sym) {
  switch (Sym->Typ) {
    case typProcedure: {
      std::string D;
      if (!Trim(Sym->Params).empty()) D.append("(").append(JoinTokens(Sym->Params)).append(")");
      if (!Trim(Sym->ResultType).empty()) D.append(": ").append(JoinTokens(Sym->ResultType));
      return D;
    }
    case typClass: return Sym->Ancestor().empty() ? "class" : "class(" + Sym->Ancestor() + ")";
    case typInterface: return Sym->Ancestor().empty() ? "interface" : "interface(" + Sym->Ancestor() + ")";
    case typRecord: return "record";
    case typType: return "= " + JoinTokens(Sym->TypeName);
    case typConst:
      return (Sym->ConstType().empty() ? "" : ": " + Sym->ConstType() + " ") + "= " + Sym->TypeName;
    case typVar:
    case typParameter:
    case typProperty: return ": " + JoinTokens(Sym->TypeName);
    default: return {};
  }
}
