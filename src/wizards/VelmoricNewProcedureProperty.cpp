// The class expert's Property, Messages and Export Property tabs.
#include <memory>

#include "ide/VelmoricWizard.h"
#include "project/VelmoricPascalCoco.h"
#include "project/VelmoricPascalProject.h"
#include "trace/VelmoricStatus.h"
#include "trace/traceletVelmoric.h"
#include "wizards/VelmoricNewProcedure.h"

namespace {

void Write(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

// "Text:string" -> "Text" and "string".
void SplitPropertyLine(const std::string& Line, std::string& Name, std::string& Type) {
  const size_t Colon = Line.find(':');
  Name = Trim(Line.substr(0, Colon));
  Type = Colon == std::string::npos ? std::string() : Trim(Line.substr(Colon + 1));
}

// Formats Fmt (the Format box) with two texts; a format the user mistyped
// joins them plainly.
std::string FormatName(const std::string& Fmt, const std::string& A, const std::string& B) {
  try {
    return Format(Fmt, A, B);
  } catch (const std::exception&) {
    return A + B;
  }
}

}  // namespace

void TFormVelmoricNewProcedure::ExportProperty(const TStrings& Lines, const TList& Objects,
                                               TOrvikSymbol* Context) {
  TTraceProc Trace("TFormVelmoricNewProcedure.ExportProperty");
  ContextSymbol = Context;
  ExportProperties->Clear();
  ExportProperties->AddStrings(Lines);
  ExportObjects->Clear();
  for (int I = 0; I < Objects.Count(); ++I) ExportObjects->Add(Objects.Get(I));
  ShowTab(TabSheetExport);
  ListBoxProperties->Clear();
  for (int I = 0; I < Lines.Count(); ++I) ListBoxProperties->Items()->AddObject(Lines.Get(I), Lines.Objects(I));
}

// --------------------------------------------------------------- property

void TFormVelmoricNewProcedure::EditNamePropertyChange(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricNewProcedure.EditNamePropertyChange");
  std::string N = EditNameProperty->Text();
  if (!N.empty()) N = UpperCase(N.substr(0, 1)) + N.substr(1);
  EditGet->SetText("Get" + N);
  EditPut->SetText("Put" + N);
  ComboBoxPropVariable->SetText("F" + N);
}

void TFormVelmoricNewProcedure::ComboBoxClassPropertyChange(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricNewProcedure.ComboBoxClassPropertyChange");
  ComboBoxPropVariable->Items()->Clear();
  TOrvikSymbol* Cls = SelectedClass(ComboBoxClassProperty);
  if (!Cls || !Cls->symbols) return;
  for (int I = 0; I < Cls->symbols->Count(); ++I) {
    TOrvikSymbol* C = Cls->symbols->GetSymbol(I);
    if (C && C->Typ == typVar) ComboBoxPropVariable->Items()->Add(C->name);
  }
}

void TFormVelmoricNewProcedure::CheckBoxUpdateNotificationClick(TObject* Sender) {
  if (CheckBoxUpdateNotification->Checked) CheckBoxSet->Checked = true;
}

void TFormVelmoricNewProcedure::CheckBoxHideClick(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricNewProcedure.CheckBoxHideClick");
  const bool On = !CheckBoxHide->Checked;
  for (TControl* C : std::initializer_list<TControl*>{CheckBoxUpdateNotification, CheckBoxSet, EditPut, CheckBoxGet,
                                                    EditGet, ComboBoxPropVariable, ComboBoxPropArray, EditRange})
    C->Enabled = On;
  if (!On) {
    CheckBoxGet->Checked = false;
    CheckBoxSet->Checked = false;
    CheckBoxUpdateNotification->Checked = false;
  }
}

void TFormVelmoricNewProcedure::CreateProperty() {
  TTraceProc Trace("TFormVelmoricNewProcedure.CreateProperty");
  const std::string V = ComboBoxPropVariable->Text();
  const std::string T = ComboBoxPropType->Text();
  const std::string A = ComboBoxPropArray->Text();
  const std::string N = EditNameProperty->Text();
  TOrvikSymbol* C = SelectedClass(ComboBoxClassProperty);
  TPascalSource* Src = FindSource(ComboBoxClassProperty);
  if (!Src || !C) {
    Write("src = NIL");
    return;
  }
  TPascalCoco Coco(Src);
  TOrvikSymbol* P;
  if (EditSymbol) {
    P = EditSymbol;
    if (ContextSymbol) Adopt(ContextSymbol, P);
  } else {
    P = NewSymbol(Src);
    Adopt(C, P);
  }
  TOrvikSymbol* Named = NamedClass(ComboBoxClassProperty);
  P->Parent = Named ? Named : C;
  P->Options = EditSymbol ? EditSymbol->Options : TProcOptionsSet();
  P->name = N;
  P->Typ = typProperty;
  P->Bereich = GetScope(ComboBoxPropScope->Text());
  P->TypeName = T;
  P->Line = SavedLine;
  P->DeclLine = SavedDeclLine;
  P->defbegin = SavedDefBegin;
  if (!A.empty()) {
    P->Extra().IndexName = "index";
    P->Extra().IndexType = A;
  }
  P->Extra().ReadAccess = CheckBoxGet->Checked ? EditGet->Text() : V;
  P->Extra().WriteAccess = CheckBoxSet->Checked ? EditPut->Text() : V;
  if (CheckBoxHide->Checked) {
    P->Extra().WriteAccess.clear();
    P->Extra().ReadAccess = "FDummy";
    P->TypeName = "integer";
  }
  TOrvikSymbol* Owner = P->Parent;
  auto HasProcedure = [&](const std::string& Name) {
    return Owner && Owner->symbols && Owner->symbols->FindSymbol({typProcedure}, Name);
  };

  if (CheckBoxGet->Checked && !HasProcedure(EditGet->Text())) {
    TOrvikSymbol* G = NewSymbol(Src);
    Adopt(C, G);
    G->Typ = typProcedure;
    G->ProcTyp = tFunction;
    G->Bereich = tPrivate;
    G->name = EditGet->Text();
    G->TypeName = T;
    G->ResultType = T;
    if (!A.empty()) G->Params = "index : " + A;
    G->Extra().code = new TStringList;
    G->code()->Add(A.empty() ? "  result := " + V + ";" : "  result := " + V + "[index];");
    G->Line = G->DeclLine = G->defbegin = -1;
    Insert(Coco, G);
  }
  if (CheckBoxSet->Checked && !HasProcedure(EditPut->Text())) {
    TOrvikSymbol* S = NewSymbol(Src);
    Adopt(C, S);
    S->Typ = typProcedure;
    S->ProcTyp = tProcedure;
    S->Bereich = tPrivate;
    S->name = EditPut->Text();
    S->TypeName = T;
    S->Params = "value : " + T;
    if (!A.empty()) S->Params = "index :" + A + "; " + S->Params;
    S->Extra().code = new TStringList;
    S->code()->Add(A.empty() ? "  " + V + " := value;" : "  " + V + "[index] := value;");
    if (CheckBoxUpdateNotification->Checked) {
      S->code()->Add("  if value <> NIL then ");
      S->code()->Add("     value.FreeNotification(self);");
    }
    S->Line = S->DeclLine = S->defbegin = -1;
    Insert(Coco, S);
  }
  if (P->Line == -1) {
    TOrvikSymbol* F = NewSymbol(Src);
    F->Parent = C;
    F->name = V;
    F->Typ = typVar;
    F->TypeName = T;
    F->Bereich = tPrivate;
    F->Comment = "Variable used in property";
    if (CheckBoxHide->Checked) {
      F->TypeName = "integer";
      F->name = "FDummy";
    }
    if (!A.empty()) F->TypeName = "array [" + EditRange->Text() + "] of " + F->TypeName;
    Insert(Coco, F);
  }
  Insert(Coco, P);

  if (CheckBoxUpdateNotification->Checked) {
    const std::string Statement =
        Format("   if (operation = opRemove) and (AComponent = %s) then %s := NIL;", N, N);
    TOrvikSymbol* M = nullptr;
    if (C->symbols)
      for (int I = 0; I < C->symbols->Count() && !M; ++I) {
        TOrvikSymbol* X = C->symbols->GetSymbol(I);
        if (X && X->Typ == typProcedure && LowerCase(X->name) == "notification") M = X;
      }
    if (M) {
      Write(Format("sym.line = %d,sym.defbegin=%d, sym.defend = %d", M->Line, M->defbegin, M->defend));
      AddToBody(Coco, M, Statement);
    } else {
      TOrvikSymbol* X = NewSymbol(Src);
      Adopt(C, X);
      X->Typ = typProcedure;
      X->ProcTyp = tProcedure;
      X->name = "Notification";
      X->Bereich = GetScope(ComboBoxVarScope->Text());
      X->Options = {tOverride};
      X->Line = -2;
      X->DeclLine = -1;
      X->defbegin = -1;
      X->Params = "AComponent: TComponent; Operation: TOperation";
      X->Extra().code = new TStringList;
      X->code()->Add(Statement);
      Insert(Coco, X);
    }
  }
}

// --------------------------------------------------------------- messages

void TFormVelmoricNewProcedure::UpdateMessagesComboBoxes(TPascalSource* Unit) {
  TTraceProc Trace("TFormVelmoricNewProcedure.UpdateMessagesComboBoxes");
  if (!Unit || !Unit->symbols.symbols) return;
  TOrvikSymbols* List = Unit->symbols.symbols;
  for (int I = 0; I < List->Count(); ++I) {
    TOrvikSymbol* S = List->GetSymbol(I);
    if (!S) continue;
    if (S->Typ == typConst) ComboBoxMessage->Items()->AddObject(S->name, S);
    else if (S->Typ == typRecord) ComboBoxMessageStruct->Items()->AddObject(S->name, S);
  }
}

void TFormVelmoricNewProcedure::ComboBoxMessageChange(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricNewProcedure.ComboBoxMessageChange");
  std::string M = ComboBoxMessage->Text();
  if (const size_t U = M.find('_'); U != std::string::npos) M.erase(U, 1);
  const std::string S = "T" + M;
  int Found = -1;
  for (int I = 0; I < ComboBoxMessageStruct->Items()->Count() && Found < 0; ++I)
    if (SameText(ComboBoxMessageStruct->Items()->Get(I), S)) Found = I;
  if (Found < 0) Found = ComboBoxMessageStruct->Items()->IndexOf("TMessage");
  if (Found >= 0) ComboBoxMessageStruct->SetItemIndex(Found);
  EditMessageName->SetText("On" + Copy(S, 2, 3) + LowerCase(Copy(S, 5, int(S.size()))));
}

void TFormVelmoricNewProcedure::CreateMessage() {
  TTraceProc Trace("TFormVelmoricNewProcedure.CreateMessage");
  TOrvikSymbol* C = SelectedClass(ComboBoxMessageClass);
  TPascalSource* Src = FindSource(ComboBoxMessageClass);
  if (!Src || !C) {
    Write("src = NIL");
    return;
  }
  TPascalCoco Coco(Src);
  TOrvikSymbol* H;
  if (EditSymbol) {
    H = EditSymbol;
    if (ContextSymbol) Adopt(ContextSymbol, H);
  } else {
    H = NewSymbol(Src);
    Adopt(C, H);
  }
  TOrvikSymbol* Named = NamedClass(ComboBoxMessageClass);
  H->Parent = Named ? Named : C;
  H->ProcTyp = tProcedure;
  H->Options = EditSymbol ? EditSymbol->Options : TProcOptionsSet{tMessage};
  H->Extra().MessageId = ComboBoxMessage->Text();
  H->name = EditMessageName->Text();
  H->Typ = typProcedure;
  // The parameter needs a type: without a structure, the generic TMessage.
  const std::string Struct = Trim(ComboBoxMessageStruct->Text());
  H->Params = "var message : " + (Struct.empty() ? std::string("TMessage") : Struct);
  H->ResultType.clear();
  H->Bereich = tPublic;
  H->Comment = MakeCommentBlock({}, "MessageHandler",
                                "procedure " + ComboBoxMessageClass->Text() + " " + EditMessageName->Text() +
                                    "(" + H->Params + ")",
                                H->Params);
  H->Line = SavedLine;
  H->DeclLine = SavedDeclLine;
  H->defbegin = SavedDefBegin;
  Insert(Coco, H);
}

// --------------------------------------------------------- export property

void TFormVelmoricNewProcedure::EditPrefixChange(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricNewProcedure.EditPrefixChange");
  ListBoxExportedPropertes->Clear();
  if (CheckBoxCombine->Checked) {
    for (int I = 0; I < ListBoxProperties->Items()->Count(); ++I)
      ListBoxExportedPropertes->Items()->Add(
          FormatName(EditFormat->Text(), EditPrefix->Text(), ListBoxProperties->Items()->Get(I)));
  } else {
    for (int O = 0; O < ExportObjects->Count(); ++O) {
      auto* Obj = static_cast<TOrvikSymbol*>(ExportObjects->Get(O));
      for (int I = 0; I < ExportProperties->Count(); ++I)
        ListBoxExportedPropertes->Items()->Add(
            FormatName(EditFormat->Text(), Obj ? Obj->name : std::string(), ExportProperties->Get(I)));
    }
  }
}

void TFormVelmoricNewProcedure::CreateExportProperties() {
  TTraceProc Trace("TFormVelmoricNewProcedure.CreateExportProperties");
  TFormVelmoricCompiling* Status = FormVelmoricCompiling;
  if (Status) Status->ShowStatus("Inserting symbols...");
  struct THide {
    TFormVelmoricCompiling* Status;
    ~THide() {
      if (Status) Status->HideStatus(0);
    }
  } Hide{Status};
  if (!ContextSymbol || !ContextSymbol->Source) {
    Write("src = NIL");
    return;
  }
  TPascalSource* Src = FindSource(ComboBoxClassProperty);
  if (!Src) {
    Write("src = NIL");
    return;
  }
  TOrvikSymbol* Named = NamedClass(ComboBoxClassProperty);
  auto Fresh = [&](TSymTyp Typ, const std::string& Name) {
    TOrvikSymbol* S = NewSymbol(Src);
    Adopt(ContextSymbol, S);
    S->Typ = Typ;
    S->name = Name;
    S->Line = S->DeclLine = S->defbegin = -1;
    return S;
  };
  auto ObjectName = [&](int O) {
    auto* Obj = static_cast<TOrvikSymbol*>(ExportObjects->Get(O));
    return Obj ? Obj->name : std::string();
  };
  auto Owned = std::make_unique<TPascalCoco>(Src);
  TPascalCoco& Coco = *Owned;
  if (CheckBoxCombine->Checked) {
    for (int I = 0; I < ListBoxProperties->Items()->Count(); ++I) {
      std::string Name, Type;
      SplitPropertyLine(ListBoxProperties->Items()->Get(I), Name, Type);
      const std::string PName = FormatName(EditFormat->Text(), EditPrefix->Text(), Name);
      TOrvikSymbol* P = Fresh(typProperty, PName);
      P->Bereich = tPublished;
      P->TypeName = Type;
      P->Extra().ReadAccess = "Get" + PName;
      P->Extra().WriteAccess = "Put" + PName;
      if (Named) P->Parent = Named;
      TOrvikSymbol* G = Fresh(typProcedure, "Get" + PName);
      G->ProcTyp = tFunction;
      G->Bereich = tPrivate;
      G->ResultType = Type;
      G->Extra().code = new TStringList;
      G->code()->Add(Format(" result := %s.%s;", ExportObjects->Count() > 0 ? ObjectName(0) : std::string(), Name));
      Insert(Coco, G);
      TOrvikSymbol* S = Fresh(typProcedure, "Put" + PName);
      S->ProcTyp = tProcedure;
      S->Bereich = tPrivate;
      S->Params = Format("value : %s", Type);
      S->Extra().code = new TStringList;
      for (int O = 0; O < ExportObjects->Count(); ++O) S->code()->Add(Format("  %s.%s := value;", ObjectName(O), Name));
      Insert(Coco, S);
      Insert(Coco, P);
    }
  } else {
    Write("Create uncombined");
    Write("coco = ");
    const int Last = ListBoxProperties->Items()->Count() - 1;
    for (int O = 0; O < ExportObjects->Count(); ++O) {
      const std::string Obj = ObjectName(O);
      Write("obj = " + Obj);
      for (int I = 0; I <= Last; ++I) {
        Write(Format("symbol %d von %d", I, Last));
        std::string Name, Type;
        SplitPropertyLine(ListBoxProperties->Items()->Get(I), Name, Type);
        auto* Source = static_cast<TOrvikSymbol*>(ListBoxProperties->Items()->Objects(I));
        if (!Source && Project)
          if (TOrvikSymbol* Owner = Project->FindAnySymbol(Type); Owner && Owner->symbols)
            Source = Owner->symbols->FindSymbol({typProperty}, Name);
        Write(Source ? "propsym = " + Source->name : std::string("propsym = NIL"));
        const std::string PName = FormatName(EditFormat->Text(), Obj, Name);
        TOrvikSymbol* P = Fresh(typProperty, PName);
        P->Bereich = tPublished;
        P->TypeName = Type;
        P->Extra().ReadAccess = "Get" + PName;
        P->Extra().WriteAccess = "Put" + PName;
        if (Source) {
          P->Extra().IndexName = Source->IndexName();
          P->Extra().IndexType = Trim(Source->IndexType());
        }
        if (Named) P->Parent = Named;
        Write("sym ok");
        TOrvikSymbol* G = Fresh(typProcedure, "Get" + PName);
        G->ProcTyp = tFunction;
        G->Bereich = tPrivate;
        G->ResultType = Type;
        G->Extra().code = new TStringList;
        if (!P->IndexName().empty()) {
          G->Params = "index : " + P->IndexType();
          G->code()->Add(Format(" result := %s.%s[index];", Obj, Name));
        } else {
          G->code()->Add(Format(" result := %s.%s;", Obj, Name));
        }
        Write("psym ok");
        Insert(Coco, G);
        Write("psym inserted");
        TOrvikSymbol* S = Fresh(typProcedure, "Put" + PName);
        S->ProcTyp = tProcedure;
        S->Bereich = tPrivate;
        S->Extra().code = new TStringList;
        if (!P->IndexName().empty()) {
          S->code()->Add(Format("  %s.%s[index] := value;", Obj, Name));
          S->Params = Format("index: %s; value : %s", P->IndexType(), Type);
        } else {
          S->code()->Add(Format("  %s.%s := value;", Obj, Name));
          S->Params = Format("value : %s", Type);
        }
        Insert(Coco, S);
        Write("psym2 inserted");
        Insert(Coco, P);
        Write("sym inserted");
      }
    }
  }
  Owned.reset();
  if (!CheckBoxCombine->Checked) Write("coco freed");
}
