#include "browsers/VelmoricSymbolList.h"

#include <functional>

#include "project/VelmoricPascalProject.h"
#include "trace/traceletVelmoric.h"

namespace {

constexpr int MaxKind = 15;

bool IsUnitRoot(const TOrvikSymbol* Sym) { return !Sym || Sym->Typ == typUnit; }

}  // namespace

uint32_t SymbolKindFilter(const TSymbolKindChoice& C) {
  uint32_t F = 0;
  auto Add = [&F](TSymTyp K) { F |= 1u << K; };
  if (C.Procedures) Add(typProcedure);
  if (C.Classes) {
    Add(typClass);
    Add(typInterface);
  }
  if (C.Variables) {
    Add(typVar);
    Add(typParameter);
  }
  if (C.Records) Add(typRecord);
  if (C.Properties) Add(typProperty);
  if (C.Constants) Add(typConst);
  if (C.Types) Add(typType);
  return F;
}

bool KindPasses(uint32_t Filter, TSymTyp Kind) { return Kind <= MaxKind && (Filter >> Kind) & 1u; }

std::string SymbolOwnerName(const TOrvikSymbol* Sym) {
  return Sym && Sym->Parent && !IsUnitRoot(Sym->Parent) ? Sym->Parent->name : std::string();
}

std::string SymbolEntryKey(const TOrvikSymbol* Sym) {
  return Format("%-10s%s", Sym->name, SymbolOwnerName(Sym));
}

void FillSymbolEntries(TPascalProject* Project, TOrvikSymbol* Explored, uint32_t Filter,
                       bool SubSymbols, TStringList* Entries) {
  TTraceProc Trace("TFFormVelmoricSymbols.FillEntries");
  Entries->SetSorted(false);
  Entries->Clear();
  Entries->SetDuplicates(dupAccept);
  std::function<void(TOrvikSymbols*, int)> AddMembers = [&](TOrvikSymbols* Members, int Depth) {
    if (!Members || Depth > 64) return;
    for (int I = 0; I < Members->Count(); ++I) {
      TOrvikSymbol* Sym = Members->GetSymbol(I);
      if (!Sym) continue;
      if (KindPasses(Filter, Sym->Typ)) {
        Entries->AddObject(SymbolEntryKey(Sym), Sym);
        if (SubSymbols) AddMembers(Sym->symbols, Depth + 1);
      }
    }
  };
  if (Explored) {
    AddMembers(Explored->symbols, 0);
  } else if (Project && Project->FUnitLIst) {
    for (int I = 0; I < Project->FUnitLIst->Count(); ++I) {
      auto* S = static_cast<TPascalSource*>(Project->FUnitLIst->GetObjects(I));
      if (S) AddMembers(S->symbols.symbols, 0);
    }
  }
  const uint32_t Start = GetTickCount();
  Entries->SetSorted(true);
  if (tracelet) tracelet->write("Time to sort: " + IntToStr(static_cast<int>(GetTickCount() - Start)));
}

std::string SymbolKindText(const TOrvikSymbol* Sym) {
  switch (Sym->Typ) {
    case typProcedure: {
      std::string S;
      ProcTypToString(Sym->ProcTyp, S);
      return S;
    }
    case typClass: return "Class";
    case typType: return "Type";
    case typRecord: return "Record";
    case typVar: return "Var";
    case typProperty: return "Property";
    case typConst: return "Const";
    case typInterface: return "Interface";
    case typParameter: return "Parameter";
    case typUnit: return "Unit";
    default: return "";
  }
}

std::string SymbolScopeText(const TOrvikSymbol* Sym) {
  static const char* const Texts[] = {"private", "public", "protected", "published", "global", "local"};
  const int B = Sym->Bereich;
  return B >= 0 && B < 6 ? Texts[B] : "";
}

std::string SymbolUnitText(const TOrvikSymbol* Sym) {
  if (Sym->Source && !Sym->Source->FileName.empty()) return ExtractFileName(Sym->Source->FileName);
  const TOrvikSymbol* Root = Sym;
  while (Root->Parent) Root = Root->Parent;
  return Root->Typ == typUnit ? ExtractFileName(Root->TypeName) : std::string();
}

std::string SymbolOptionsText(const TOrvikSymbol* Sym) {
  static const std::pair<TProcOptionsType, const char*> Flags[] = {
      {tOverride, "Override "}, {tAbstract, "Abstract "}, {tVirtual, "Virtual "},
      {tExternal, "External "}, {tMessage, "Message "},   {tDynamic, "Dynamic "}};
  std::string S;
  for (const auto& [Flag, Text] : Flags)
    if (Sym->Options.Contains(Flag)) S += Text;
  return S;
}

std::string SymbolInfoText(const TOrvikSymbol* Sym) {
  if (Sym->Typ == typProcedure) {
    const std::string Heading = Sym->ProcTyp == tFunction
                                    ? "function (" + Sym->Params + "):" + Sym->ResultType
                                    : "procedure (" + Sym->Params + ")";
    return Heading + " " + SymbolOptionsText(Sym);
  }
  if (Sym->Typ == typProperty) {
    std::string S = "property " + Sym->name;
    if (!Sym->ReadAccess().empty()) S += " read " + Sym->ReadAccess();
    if (!Sym->WriteAccess().empty()) S += " write " + Sym->WriteAccess();
    if (!Sym->DefaultValue().empty()) S += " default " + Sym->DefaultValue();
    return S;
  }
  return Sym->TypeName;
}

std::string SymbolLinesText(const TOrvikSymbol* Sym) {
  if (Sym->Typ == typConst) return Sym->ConstType();
  return Format("line = %d defbegin=%d defend = %d,prototyp=%d", Sym->Line, Sym->defbegin,
                Sym->defend, Sym->DeclLine);
}

int SearchSymbolEntry(const TStringList* Entries, const std::string& Text) {
  if (Entries->Count() == 0) return -1;
  const std::string Lower = LowerCase(Text);
  for (int I = 0; I < Entries->Count(); ++I) {
    const auto* Sym = static_cast<const TOrvikSymbol*>(Entries->Objects(I));
    if (Sym && LowerCase(Sym->name) >= Lower) return I;
  }
  return Entries->Count() - 1;
}

bool ExplorableTypeText(const std::string& TypeText) {
  const std::string T = LowerCase(TypeText);
  return !T.empty() && T != "integer" && T != "boolean" && T != "string" &&
         T.find(' ') == std::string::npos;
}

TOrvikSymbol* FindTypeSymbol(TPascalProject* Project, const std::string& TypeText) {
  if (!Project || TypeText.empty()) return nullptr;
  TOrvikSymbol* Sym = Project->FindSymbol(TypeText, typClass);
  if (!Sym) Sym = Project->FindFlatSymbol(TypeText);
  return Sym;
}
