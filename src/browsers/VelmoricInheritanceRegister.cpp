// The class wizard's registrations: the unit's Register procedure read and
// rewritten, component registration and property editors.
#include <memory>

#include "browsers/VelmoricInheritance.h"
#include "browsers/VelmoricRegisterComponent.h"
#include "browsers/VelmoricSourceExplorer.h"
#include "ide/VelmoricEditorStrings.h"
#include "project/VelmoricPascalProject.h"
#include "trace/traceletVelmoric.h"
#include "wizards/VelmoricNewPropertyEditor.h"

namespace {

void Write(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

// The first top-level procedure "register" with an implementation, or nil.
TOrvikSymbol* RegisterProcedure(TPascalSource* Source) {
  const TOrvikSymbols* Top = Source->symbols.symbols;
  for (int I = 0; Top && I < Top->Count(); ++I)
    if (TOrvikSymbol* S = Top->GetSymbol(I); S->Typ == typProcedure && LowerCase(S->name) == "register")
      return S->Line >= 0 ? S : nullptr;
  return nullptr;
}

bool IsRegistrationCall(const std::string& Lower) {
  return Lower == "registercomponents" || Lower == "registerpropertyeditor";
}

// Removes the registration call that starts on line Line (its word, the
// bracketed arguments, a ";" behind them) and keeps any other text of the
// lines it stood on; a line left blank goes. False when the call's word is
// not on that line.
bool RemoveCall(TStrings& Lines, int Line) {
  const std::string Text = Lines.Get(Line);
  const std::string Lower = LowerCase(Text);
  size_t Start = std::string::npos;
  for (const char* Word : {"registercomponents", "registerpropertyeditor"})
    Start = std::min(Start, Lower.find(Word));
  if (Start == std::string::npos) return false;
  // Walk to the bracket that closes the arguments, over strings and lines.
  int EndLine = Line;
  size_t End = Start;
  int Depth = 0;
  bool Opened = false, InString = false, Done = false;
  for (; EndLine < Lines.Count() && !Done; ++EndLine, End = 0) {
    const std::string L = EndLine == Line ? Text : Lines.Get(EndLine);
    for (End = EndLine == Line ? Start : 0; End < L.size(); ++End) {
      const char C = L[End];
      if (C == '\'') InString = !InString;
      if (InString) continue;
      if (C == '(') {
        ++Depth;
        Opened = true;
      } else if (C == ')' && --Depth <= 0 && Opened) {
        ++End;
        while (End < L.size() && L[End] == ' ') ++End;
        if (End < L.size() && L[End] == ';') ++End;
        Done = true;
        break;
      } else if (!Opened && C == ';') {
        Done = true;
        break;
      }
    }
    if (Done) break;
  }
  if (!Done) {  // an unclosed call: the rest of its line goes
    EndLine = Line;
    End = Text.size();
  }
  // Text behind the call keeps the call's indentation.
  const std::string Before = Text.substr(0, Start), After = Lines.Get(EndLine).substr(End);
  const std::string Rest = Before + (Trim(Before).empty() ? TrimLeft(After) : After);
  for (int I = EndLine; I > Line; --I) Lines.Delete(I);
  if (Trim(Rest).empty()) Lines.Delete(Line);
  else Lines.Put(Line, TrimRight(Rest));
  return true;
}

}  // namespace

std::string RegistrationLine(TComponent* Entry) {
  if (auto* P = dynamic_cast<TPropertyEditorInfo*>(Entry))
    return Format("   RegisterPropertyEditor(%s,%s,'%s',%s);", P->PropertyType, P->ComponentClass, P->PropertyName,
                  P->EditorClass);
  auto* C = static_cast<TComponenInfo*>(Entry);
  return Format("   RegisterComponents('%s',[%s]);", C->Page, C->FClassName);
}

// ------------------------------------------------------ Register procedure

void TFormVelmoricClasses::ReadRegister() {
  TTraceProc Trace("TFormVelmoricClasses.ReadRegister");
  if (!Source || !Source->Token || !Source->symbols.symbols) return;
  TOrvikSymbol* Reg = RegisterProcedure(Source);
  if (!Reg) return;
  TToken T(Source->Token->Lines);
  T.SetLine(Reg->Line);
  bool More = true;
  while ((More = T.Next())) {
    Write(T.TokenText);
    if (T.LowerText == "begin") break;
  }
  // Tokens the calls are made of; reading ends with the text.
  auto Next = [&] { return More && (More = T.Next()); };
  while (Next()) {
    if (T.LowerText == "registercomponents") {
      if (!Next() || T.TokenText != "(" || !Next()) continue;
      const std::string Page = T.TokenText;
      if (!Next() || T.TokenText != "," || !Next() || T.TokenText != "[") continue;
      while (Next() && IsPascalIdentifier(T.TokenText)) {
        auto* Info = new TComponenInfo(this);
        Info->FClassName = T.TokenText;
        Info->Page = Page;
        FRegistered->Add(Info);
        if (!Next() || T.TokenText != ",") break;
      }
    } else if (T.LowerText == "registerpropertyeditor") {
      if (!Next() || T.TokenText != "(") continue;
      std::string Type;
      while (Next() && T.TokenText != ",") ConCatTo(Type, T.TokenText);
      std::string Parts[3];
      bool Complete = Next();
      for (int I = 0; I < 3 && Complete; ++I) {
        Parts[I] = T.TokenText;
        Complete = I == 2 || (Next() && T.TokenText == "," && Next());
      }
      if (!Complete) continue;
      auto* Info = new TPropertyEditorInfo(this);
      Info->PropertyType = Type;
      Info->ComponentClass = Parts[0];
      Info->PropertyName = Parts[1];
      Info->EditorClass = Parts[2];
      FRegistered->Add(Info);
      Next();
    }
  }
}

void TFormVelmoricClasses::WriteRegister() {
  TTraceProc Trace("TFormVelmoricClasses.WriteRegister");
  if (!FRegisterChanged || !Source || !Source->Token) return;
  TStrings& Lines = *Source->Token->Lines;
  auto InsertEntries = [&](int At) {
    for (int I = 0; I < FRegistered->Count(); ++I)
      Lines.Insert(At++, RegistrationLine(static_cast<TComponent*>(FRegistered->Get(I))));
    return At;
  };
  if (TOrvikSymbol* Reg = RegisterProcedure(Source)) {
    TToken T(&Lines);
    T.SetLine(Reg->Line);
    bool Found = false;
    while (!Found && T.Next()) Found = T.LowerText == "begin";
    if (!Found) return;
    const int At = T.TokenLine + 1;
    while (T.Next()) {
      if (!IsRegistrationCall(T.LowerText)) continue;
      const int Line = T.TokenLine;
      if (RemoveCall(Lines, Line)) T.SetLine(Line);
    }
    InsertEntries(At);
  } else {
    if (FRegistered->Count() == 0) return;  // no procedure to write
    int From = 0;
    {
      TToken T(&Lines);
      while (T.Next())
        if (T.LowerText == "implementation") {
          Lines.Insert(T.TokenLine, "procedure Register;");
          From = T.TokenLine + 2;
          break;
        }
    }
    const int End = UnitEndLine(Lines, From);
    if (End < 0) return;
    Lines.Insert(End, "procedure Register;");
    Lines.Insert(End + 1, "begin");
    Lines.Insert(InsertEntries(End + 2), "end;");
  }
  if (auto* Editor = dynamic_cast<TEditorStrings*>(&Lines)) Editor->SaveToEditor();
}

// ------------------------------------------------------------ components

TComponenInfo* TFormVelmoricClasses::FindRegisterComponents(TOrvikSymbol* Cls) {
  for (int I = 0; Cls && I < FRegistered->Count(); ++I)
    if (auto* C = dynamic_cast<TComponenInfo*>(static_cast<TComponent*>(FRegistered->Get(I))))
      if (SameText(C->FClassName, Cls->name)) return C;
  return nullptr;
}

void TFormVelmoricClasses::UpdateRegisterButton() {
  TTraceProc Trace("TFormVelmoricClasses.UpdateRegisterButton");
  ButtonRegister->Caption = FindRegisterComponents(CurrentClass) ? "Unregister" : "Register";
  ButtonRegister->Enabled = true;
}

void TFormVelmoricClasses::ButtonRegisterClick(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricClasses.ButtonRegisterClick");
  if (!CurrentClass) return;
  if (TComponenInfo* Info = FindRegisterComponents(CurrentClass)) {
    FRegistered->Remove(Info);
    delete Info;
  } else {
    auto Dialog = std::make_unique<TFormRegisterComponent>(nullptr);
    if (Dialog->ShowModal() != mrOk) return;
    const std::string Page = Trim(Dialog->Edit1->Text());
    if (Page.empty() || Page.find('\'') != std::string::npos) {
      Application->MessageBox("Enter the name of a palette page.", "Velmoric", MB_OK | MB_ICONINFORMATION);
      return;
    }
    auto* Entry = new TComponenInfo(this);
    Entry->FClassName = CurrentClass->name;
    Entry->Page = Page;
    FRegistered->Add(Entry);
  }
  UpdateRegisterButton();
  FRegisterChanged = true;
}

// ------------------------------------------------------- property editors

void TFormVelmoricClasses::UpdatePropertyEditors() {
  TTraceProc Trace("TFormVelmoricClasses.UpdatePropertyEditors");
  if (FPropertyEditorsLoaded) return;
  FPropertyEditorsLoaded = true;
  TPascalProject* M = Memory();
  if (!M) return;
  for (int I = 0; I < M->FUnitLIst->Count(); ++I) {
    auto* Src = static_cast<TPascalSource*>(M->FUnitLIst->GetObjects(I));
    const TOrvikSymbols* Top = Src ? Src->symbols.symbols : nullptr;
    for (int J = 0; Top && J < Top->Count(); ++J) {
      TOrvikSymbol* Cls = Top->GetSymbol(J);
      if (Cls->Typ != typClass) continue;
      for (TOrvikSymbol* C : ClassChain(Cls, [M](TOrvikSymbol* X) { return M->BaseClassOf(X); }))
        if (C->Ancestor() == "TPropertyEditor") {
          if (ListBoxPropertyEditors->Items()->IndexOf(Cls->name) < 0)
            ListBoxPropertyEditors->Items()->AddObject(Cls->name, Cls);
          break;
        }
    }
  }
}

TPropertyEditorInfo* TFormVelmoricClasses::FindPropertyEditor(TOrvikSymbol* Prop) {
  if (!Prop || !FRegistered) return nullptr;
  for (int I = 0; I < FRegistered->Count(); ++I)
    if (auto* P = dynamic_cast<TPropertyEditorInfo*>(static_cast<TComponent*>(FRegistered->Get(I))))
      if (Prop->Parent && SameText(P->ComponentClass, Prop->Parent->name) && SameText(P->PropertyName, Prop->name))
        return P;
  return nullptr;
}

TOrvikSymbol* TFormVelmoricClasses::SelectedPropertyWithEdit() const {
  const int Row = DrawGridPropertyWithEdit->Row();
  if (Row < 1 || Row > FPropertyWithEdit->Count()) return nullptr;
  return static_cast<TOrvikSymbol*>(FPropertyWithEdit->GetObjects(Row - 1));
}

void TFormVelmoricClasses::SpeedButton2Click(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricClasses.SpeedButton2Click");
  TOrvikSymbol* Prop = SelectedPropertyWithEdit();
  const int Editor = ListBoxPropertyEditors->ItemIndex();
  if (!Prop || !Prop->Parent || Editor < 0) return;
  FRegisterChanged = true;
  TPropertyEditorInfo* Info = FindPropertyEditor(Prop);
  if (!Info) {
    Info = new TPropertyEditorInfo(this);
    FRegistered->Add(Info);
  }
  Info->PropertyType = Format("Typinfo(%s)", Prop->TypeName);
  Info->ComponentClass = Prop->Parent->name;
  Info->PropertyName = Prop->name;
  Info->EditorClass = ListBoxPropertyEditors->Items()->Get(Editor);
  DrawGridPropertyWithEdit->Invalidate();
}

void TFormVelmoricClasses::SpeedButton1Click(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricClasses.SpeedButton1Click");
  if (TPropertyEditorInfo* Info = FindPropertyEditor(SelectedPropertyWithEdit())) {
    FRegistered->Remove(Info);
    delete Info;
    FRegisterChanged = true;
  }
  DrawGridPropertyWithEdit->Invalidate();
}

void TFormVelmoricClasses::ForgetSymbols() {
  CurrentClass = nullptr;
  for (TSaveList* L : {FProceduresList, FInheritedProcedures, FMessageList, FExportProperties}) L->Clear();
  for (TSaveStringList* L : {FVarList, FPropList, FPropertyWithEdit}) L->Clear();
  ListBoxExportVariables->Clear();
  ListBoxExportProperties->Clear();
  ListBoxPropertyEditors->Clear();
  // The source explorer's boxes hold the old symbols too.
  if (FFormSourceExplorer) {
    FFormSourceExplorer->ComboBoxFinde->Clear();
    FFormSourceExplorer->ComboBoxClass->Clear();
  }
}

void TFormVelmoricClasses::NewPropertyEditor() {
  TTraceProc Trace("TFormVelmoricClasses.NewPropertyEditor");
  auto Wizard = std::make_unique<TFormVelmoricNewPropertyEditor>(nullptr);
  Wizard->Project = Project;
  Wizard->Lines = Source && Source->Token ? Source->Token->Lines : nullptr;
  const bool Created = Wizard->ShowModal() == mrOk;
  Wizard.reset();
  if (Created && Source && Source->Token) {
    // The unit is parsed again from its changed lines: its symbols are new.
    const std::string Class = ComboBoxClass->Text();
    ForgetSymbols();
    ReleaseOrvikSymbolChildren(Source->symbols);
    if (Source->usesList) Source->usesList->Clear();
    if (Source->errors) Source->errors->Clear();
    Source->CreateSymbols({oCompileImplementation});
    if (FBaseClasses) FBaseClasses->Clear();
    if (FFormSourceExplorer) FFormSourceExplorer->UpdateClassBox();
    BuildClassList();
    ComboBoxClass->SetItemIndex(ComboBoxClass->Items()->IndexOf(Class));
    ComboBoxClass->SetText(ComboBoxClass->ItemIndex() >= 0 ? Class : std::string());
    ComboBoxClassChange(this);
  }
  ListBoxPropertyEditors->Clear();
  FPropertyEditorsLoaded = false;
  UpdatePropertyEditors();
}
