// The language server's code actions. Each runs the expert's own dialog on
// the document's buffer, answered by the server as a user would: the class
// expert opened on a class (as the source explorer opens it) declares a
// field or a method, writes missing bodies or an override; the uses manager
// command adds the unit of the word under the cursor. The edit is the
// difference of the buffer before and after; the buffer is put back.
#include <algorithm>
#include <memory>
#include <set>

#include "hosts/lsp/LspModel.h"
#include "hosts/lsp/LspServer.h"
#include "hosts/memory/ExpertSession.h"
#include "ide/VelmoricAmbuingity.h"
#include "ide/VelmoricWizard.h"
#include "platform/vcl/Forms.h"
#include "project/VelmoricPascalCoco.h"
#include "project/VelmoricPascalProject.h"
#include "wizards/VelmoricNewProcedure.h"
#include "wizards/VelmoricUsesManger.h"
#include "wizards/VelmoricVariableTable.h"

namespace {

constexpr int MaxAncestorSteps = 100;

bool IsReservedWord(const std::string& Word) {
  static const std::set<std::string> Words = {
      "and", "array", "as", "asm", "begin", "case", "class", "const", "constructor", "destructor",
      "div", "do", "downto", "else", "end", "except", "exit", "false", "file", "finally", "for",
      "function", "goto", "if", "implementation", "in", "inherited", "interface", "is", "mod", "nil",
      "not", "object", "of", "or", "packed", "procedure", "program", "property", "raise", "record",
      "repeat", "result", "self", "set", "shl", "shr", "string", "then", "to", "true", "try", "type",
      "unit", "until", "uses", "var", "while", "with", "xor"};
  return Words.count(LowerCase(Word)) > 0;
}

bool IsIdentifier(const std::string& Word) {
  if (Word.empty() || !(isalpha(static_cast<unsigned char>(Word[0])) || Word[0] == '_')) return false;
  return std::all_of(Word.begin(), Word.end(),
                     [](char C) { return isalnum(static_cast<unsigned char>(C)) || C == '_'; });
}

template <typename F>
void ForChildren(const TOrvikSymbol* Owner, F Each) {
  for (int I = 0; Owner && Owner->symbols && I < Owner->symbols->Count(); ++I)
    if (TOrvikSymbol* C = Owner->symbols->GetSymbol(I)) Each(C);
}

const TOrvikSymbol* Outermost(const TOrvikSymbol* Sym) {
  while (Sym && Sym->Parent) Sym = Sym->Parent;
  return Sym;
}

TOrvikSymbol* FindClass(TPascalSource* S, const std::string& Name) {
  TOrvikSymbol* Found = nullptr;
  ForChildren(&S->symbols, [&](TOrvikSymbol* C) {
    if (!Found && C->Typ == typClass && SameText(C->name, Name)) Found = C;
  });
  return Found;
}

// Methods declared in the class without a body.
std::vector<TOrvikSymbol*> MissingBodies(const TOrvikSymbol* Cls) {
  std::vector<TOrvikSymbol*> List;
  ForChildren(Cls, [&](TOrvikSymbol* C) {
    if (C->Typ == typProcedure && C->DeclLine != -1 && C->Line == -1 && !C->Options.Contains(tAbstract) &&
        !C->Options.Contains(tExternal))
      List.push_back(C);
  });
  return List;
}

// The virtual, dynamic, abstract or overriding methods of the ancestors
// that the class may override: not private, not declared in the class, the
// nearest of each name; with the ancestor that declares each.
std::vector<std::pair<TOrvikSymbol*, TOrvikSymbol*>> Overridable(TPascalProject* Project, const TOrvikSymbol* Cls) {
  std::vector<std::pair<TOrvikSymbol*, TOrvikSymbol*>> List;
  if (!Project) return List;
  std::set<std::string> Names;
  ForChildren(Cls, [&](TOrvikSymbol* C) { Names.insert(LowerCase(C->name)); });
  TOrvikSymbol* Type = Cls->Ancestor().empty() ? nullptr : Project->FindSymbol(Cls->Ancestor(), typClass);
  for (int Step = 0; Type && Type != Cls && Step < MaxAncestorSteps; ++Step) {
    ForChildren(Type, [&](TOrvikSymbol* M) {
      if (!Names.insert(LowerCase(M->name)).second || M->Typ != typProcedure || M->Bereich == tPrivate) return;
      const TProcOptionsSet& O = M->Options;
      if (O.Contains(tVirtual) || O.Contains(tDynamic) || O.Contains(tAbstract) || O.Contains(tOverride))
        List.push_back({Type, M});
    });
    Type = Type->Ancestor().empty() ? nullptr : Project->FindSymbol(Type->Ancestor(), typClass);
  }
  return List;
}

std::string ScopeName(TBereichTokenType Bereich) {
  std::string S;
  BereichTokenTypeToString(Bereich, S);
  return LowerCase(S);
}

}  // namespace

// The class whose method body holds the cursor (Proc), or whose
// declaration holds the 0-based Line.
static TOrvikSymbol* ClassAt(TPascalSource* S, TOrvikSymbol* Proc, int Line,
                             const std::function<int(const TOrvikSymbol*, int)>& NameLine) {
  for (TOrvikSymbol* P = Proc; P; P = P->Parent)
    if (P->Typ == typClass) return P;
  TOrvikSymbol* Found = nullptr;
  ForChildren(&S->symbols, [&](TOrvikSymbol* C) {
    if (!Found && C->Typ == typClass && C->Line >= 0 && NameLine(C, C->Line) <= Line && Line <= C->defend)
      Found = C;
  });
  return Found;
}

json TLspServer::CodeActions(const json& P) {
  TDocument& D = Document(P);
  const json& Range = P.contains("range") ? P["range"] : json();
  if (!Range.is_object() || !Range.contains("start")) throw TLspError{lspInvalidParams, "range is missing"};
  Freshen();
  std::string Word;
  TOrvikSymbol* Proc = nullptr;
  TOrvikSymbol* Sym = SymbolAtCursor(D, {{"position", Range["start"]}}, Word, &Proc);
  const int Line = Range["start"].at("line").get<int>();
  json Actions = json::array();
  TPascalSource* S = MemorySource(D);
  TVelmoricWizard* Expert = FSession->Expert();
  if (!S || !Expert) return Actions;

  std::vector<std::string> Only;
  if (auto C = P.find("context"); C != P.end() && C->is_object() && C->contains("only") && (*C)["only"].is_array())
    for (const json& K : (*C)["only"])
      if (K.is_string()) Only.push_back(K);
  auto Offer = [&](const std::string& Title, const char* Kind, json Data) {
    if (!Only.empty() && std::none_of(Only.begin(), Only.end(), [&](const std::string& K) {
          return std::string(Kind).rfind(K, 0) == 0;
        }))
      return;
    Data["textDocument"] = {{"uri", D.Uri}, {"version", D.Version}};
    Actions.push_back({{"title", Title}, {"kind", Kind}, {"data", Data}});
  };

  auto LineOfName = [this](const TOrvikSymbol* C, int L) { return NameLine(C, L); };
  TOrvikSymbol* Cls = ClassAt(S, Proc, Line, LineOfName);
  const bool Identifier = IsIdentifier(Word) && !IsReservedWord(Word);
  // An unknown word in a method body.
  const std::string ClassName = Cls ? Cls->name : std::string();
  if (!Sym && Identifier && Proc && Cls) {
    Offer("Declare field", "quickfix", {{"action", "declareField"}, {"class", ClassName}, {"name", Word}});
    Offer("Declare method", "quickfix", {{"action", "declareMethod"}, {"class", ClassName}, {"name", Word}});
  }
  if (Cls && !MissingBodies(Cls).empty())
    Offer("Implement missing method bodies", "quickfix", {{"action", "implementBodies"}, {"class", ClassName}});
  if (Cls)
    for (const auto& [Ancestor, M] : Overridable(Expert->Project, Cls))
      Offer("Override inherited method " + Ancestor->name + "." + M->name, "refactor",
            {{"action", "override"}, {"class", ClassName}, {"ancestor", Ancestor->name}, {"name", M->name}});

  // The unit that declares the word, when the uses clauses do not name it.
  if (Identifier) {
    std::set<std::string> Seen = {LowerCase(S->symbols.name)};
    for (int I = 0; S->usesList && I < S->usesList->Count(); ++I) Seen.insert(LowerCase(S->usesList->Get(I)));
    std::vector<const TOrvikSymbol*> Declaring;
    if (Sym) {
      Declaring.push_back(Outermost(Sym));
    } else if (Expert->Project && Expert->Project->FUnitLIst) {
      TSaveStringList* List = Expert->Project->FUnitLIst;
      for (int I = 0; I < List->Count(); ++I)
        if (auto* U = static_cast<TPascalSource*>(List->Objects(I)))
          ForChildren(&U->symbols, [&](TOrvikSymbol* C) {
            if (SameText(C->name, Word)) Declaring.push_back(&U->symbols);
          });
    }
    for (const TOrvikSymbol* U : Declaring)
      if (U && U->Typ == typUnit && Seen.insert(LowerCase(U->name)).second)
        Offer("Add unit to uses: " + U->name, "quickfix",
              {{"action", "addUses"}, {"unit", U->name}, {"position", Range["start"]}});
  }
  if (FResolveEdits) return Actions;
  // Each edit parses the document again: the symbols above are gone then.
  json WithEdits = json::array();
  for (json& Action : Actions) {
    try {
      Action["edit"] = ActionEdit(Action["data"]);
      WithEdits.push_back(std::move(Action));
    } catch (const TLspError& E) {
      Log(Action["title"].get<std::string>() + ": " + E.Message);
    }
  }
  return WithEdits;
}

json TLspServer::ResolveCodeAction(const json& Action) {
  if (!Action.contains("data") || !Action["data"].is_object())
    throw TLspError{lspInvalidParams, "The code action carries no data"};
  json Resolved = Action;
  Resolved["edit"] = ActionEdit(Action["data"]);
  return Resolved;
}

json TLspServer::ActionEdit(const json& Data) {
  TDocument& D = Document(Data);
  if (Data["textDocument"].value("version", D.Version) != D.Version)
    throw TLspError{lspContentModified, "The document has changed since the action was offered"};
  Freshen();
  TVelmoricWizard* Expert = FSession->Expert();
  TPascalSource* S = MemorySource(D);
  const std::string Action = Data.value("action", "");
  if (!S || !Expert) throw TLspError{lspRequestFailed, "The document is not compiled"};

  if (Action == "addUses") {
    const std::string Unit = Data.value("unit", "");
    return BufferEdit(D, [&] {
      int Line = 0;
      int Byte = 0;
      PlaceCursor(D, Data.contains("position") ? Data["position"] : json(), Line, Byte);
      // The ambiguity list gets the symbol of that unit; the manager's "Ok".
      FDialog = [&](TCustomForm& Form) -> int {
        if (auto* List = dynamic_cast<TFormVelmoricAmbuingity*>(&Form)) {
          TStringList* Items = List->ListBox1->Items();
          for (int I = 0; I < Items->Count() && !List->Selected; ++I) {
            auto* Sym = static_cast<TOrvikSymbol*>(Items->Objects(I));
            if (Sym && SameText(Outermost(Sym)->name, Unit)) List->Selected = Sym;
          }
          return List->Selected ? int(mrOk) : int(mrCancel);
        }
        if (auto* Manager = dynamic_cast<TFormVelmoricUsesManager*>(&Form)) {
          Manager->Button2Click(nullptr);
          return int(mrOk);
        }
        return int(mrCancel);
      };
      FSession->IDE().ClickMenuItem("Velmoric4");  // Uses manager
    });
  }

  const std::string ClassName = Data.value("class", "");
  const std::string Name = Data.value("name", "");
  TOrvikSymbol* Cls = FindClass(S, ClassName);
  if (!Cls) throw TLspError{lspContentModified, "No class " + ClassName + " in the document"};
  if (Action == "declareField")
    return BufferEdit(D, [&] {
      RunClassExpert(Cls, nullptr, Name, [](TFormVelmoricNewProcedure& F) {
        F.PageControl1->SetActivePage(F.TabSheetNewVariable);
        F.ComboBoxVarScope->SetText("private");
      });
    });
  if (Action == "declareMethod")
    return BufferEdit(D, [&] {
      RunClassExpert(Cls, nullptr, Name, [](TFormVelmoricNewProcedure& F) {
        F.PageControl1->SetActivePage(F.TabSheetNewProcedure);
        F.ComboBoxProctyp->SetItemIndex(0);
        F.ComboBoxResult->SetText("");
        F.ComboBoxProcScope->SetText("private");
      });
    });
  if (Action == "override") {
    const std::string AncestorName = Data.value("ancestor", "");
    TOrvikSymbol* Inherited = nullptr;
    for (const auto& [Ancestor, M] : Overridable(Expert->Project, Cls))
      if (SameText(Ancestor->name, AncestorName) && SameText(M->name, Name)) Inherited = M;
    if (!Inherited) throw TLspError{lspContentModified, AncestorName + "." + Name + " cannot be overridden here"};
    return BufferEdit(D, [&] {
      RunClassExpert(Cls, nullptr, Name, [&](TFormVelmoricNewProcedure& F) {
        F.PageControl1->SetActivePage(F.TabSheetNewProcedure);
        F.ComboBoxProctyp->SetItemIndex(static_cast<int>(Inherited->ProcTyp));
        F.EditParameter->SetText(JoinTokens(Inherited->Params));
        F.ComboBoxResult->SetText(JoinTokens(Inherited->ResultType));
        F.ComboBoxProcScope->SetText(ScopeName(ClassScope(Inherited->Bereich)));
        F.CheckBoxVirtual->Checked = false;
        F.CheckBoxAbstract->Checked = false;
        F.CheckBoxOverride->Checked = true;
      });
    });
  }
  if (Action == "implementBodies") {
    std::vector<std::string> Names;
    for (const TOrvikSymbol* M : MissingBodies(Cls)) Names.push_back(M->name);
    return BufferEdit(D, [&] {
      // One change per method, each on the model of the text as it is now.
      for (const std::string& Method : Names) {
        CompileDocument(D);
        TPascalSource* Now = MemorySource(D);
        TOrvikSymbol* Owner = Now ? FindClass(Now, ClassName) : nullptr;
        TOrvikSymbol* M = nullptr;
        for (TOrvikSymbol* C : MissingBodies(Owner))
          if (!M && SameText(C->name, Method)) M = C;
        // The parameters as source text, not as the parser's tokens.
        if (M)
          RunClassExpert(Owner, M, "", [](TFormVelmoricNewProcedure& F) {
            F.EditParameter->SetText(JoinTokens(F.EditParameter->Text()));
          });
      }
    });
  }
  throw TLspError{lspInvalidParams, "Unknown code action: " + Action};
}

void TLspServer::RunClassExpert(TOrvikSymbol* Context, TOrvikSymbol* Edit, const std::string& Name,
                                const std::function<void(TFormVelmoricNewProcedure&)>& Fill) {
  std::unique_ptr<TFormVelmoricNewProcedure> Form(new TFormVelmoricNewProcedure(Application));
  FormVelmoricNewProcedure = Form.get();
  Form->Project = FSession->Expert()->Project;
  Form->ContextSymbol = Context;
  Form->EditSymbol = Edit;
  Form->ChangeMode = Edit != nullptr;
  Form->EditProcName->SetText(Name);
  FDialog = [&](TCustomForm& Shown) -> int {
    if (&Shown != Form.get()) return int(mrCancel);
    if (Fill) Fill(*Form);
    Form->ButtonCreateClick(nullptr);
    return int(mrOk);
  };
  Form->ShowModal();
}

json TLspServer::BufferEdit(TDocument& D, const std::function<void()>& Run) {
  TMemoryIDE& IDE = FSession->IDE();
  const std::string Before = IDE.Buffer(D.Path).Text();
  const bool Modified = IDE.Buffer(D.Path).Modified;
  // A preview remembers no variable defaults.
  const int Remembered = velmoricVariables ? velmoricVariables->Count() : 0;
  std::string After;
  FLastMessage.clear();
  struct TPutBack {
    std::function<void()> Do;
    ~TPutBack() { Do(); }
  } PutBack{[&] {
    FDialog = nullptr;
    TEditBuffer& B = IDE.Buffer(D.Path);
    if (B.Text() != Before) {
      B.Reset(Before);
      B.Modified = Modified;
      IDE.BufferChanged(B);
    }
    if (velmoricVariables && velmoricVariables->Count() > Remembered) {
      for (int I = velmoricVariables->Count() - 1; I >= Remembered; --I) {
        delete velmoricVariables->Objects(I);
        velmoricVariables->Delete(I);
      }
      velmoricVariables->SaveToFile();
    }
    IDE.ActivateFile(D.Path);
    D.Dirty = true;
  }};
  Run();
  After = IDE.Buffer(D.Path).Text();
  if (After == Before)
    throw TLspError{lspRequestFailed, FLastMessage.empty() ? "The expert made no change" : FLastMessage};
  return {{"changes", {{D.Uri, TextEdits(Before, After)}}}};
}

json TLspServer::TextEdits(const std::string& Before, const std::string& After) {
  const std::vector<std::string_view> Old = LinesWithEnds(Before);
  const std::vector<std::string_view> New = LinesWithEnds(After);
  const TTextEncoding Encoding = DetectEncoding(Before);
  const int Last = static_cast<int>(Old.size()) - 1;
  const json End = {{"line", Last}, {"character", Utf16Length(Old.back(), static_cast<int>(Old.back().size()), Encoding)}};
  auto At = [&](int Line) { return Line > Last ? End : json{{"line", Line}, {"character", 0}}; };
  json Edits = json::array();
  for (const TLineChange& C : LineDiff(Old, New)) {
    std::string Text;
    for (std::string_view L : C.Lines) Text += L;
    Edits.push_back({{"range", {{"start", At(C.Start)}, {"end", At(C.Start + C.Count)}}},
                     {"newText", ToUtf8(Text, Encoding)}});
  }
  return Edits;
}
