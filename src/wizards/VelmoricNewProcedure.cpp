// The class expert: the form, its showing, the Procedure and Variable tabs.
#include "wizards/VelmoricNewProcedure.h"

#include <memory>

#include "ide/VelmoricWizard.h"
#include "project/VelmoricPascalCoco.h"
#include "project/VelmoricPascalProject.h"
#include "project/VelmoricSymbolStore.h"
#include "trace/traceletVelmoric.h"
#include "wizards/VelmoricLike.h"

TFormVelmoricNewProcedure* FormVelmoricNewProcedure = nullptr;
TOrvikSymbol* gSym = nullptr;

namespace {

void Write(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

std::string ScopeString(TBereichTokenType Kind) {
  std::string S;
  BereichTokenTypeToString(Kind, S);
  return S;
}

std::string ProcTypString(TProcTokenType Kind) {
  std::string S;
  ProcTypToString(Kind, S);
  return S;
}

std::vector<std::string> SplitCrLf(const std::string& Text) {
  std::vector<std::string> Parts;
  size_t Start = 0;
  for (;;) {
    const size_t End = Text.find("\r\n", Start);
    if (End == std::string::npos) {
      Parts.push_back(Text.substr(Start));
      return Parts;
    }
    Parts.push_back(Text.substr(Start, End - Start));
    Start = End + 2;
  }
}

template <typename T>
T* Make(TWinControl* Parent, const std::string& Name, int Left, int Top, int Width, int Height) {
  auto* C = new T(GetParentForm(Parent) ? static_cast<TComponent*>(GetParentForm(Parent))
                                        : static_cast<TComponent*>(Parent));
  C->SetName(Name);
  C->SetParent(Parent);
  C->SetBounds(Left, Top, Width, Height);
  return C;
}

TLabel* MakeLabel(TWinControl* Parent, const std::string& Name, const std::string& Caption, int Left,
                  int Top) {
  auto* L = Make<TLabel>(Parent, Name, Left, Top, 80, 13);
  L->Caption = Caption;
  return L;
}

}  // namespace

// ------------------------------------------------------------------ form

TFormVelmoricNewProcedure::TFormVelmoricNewProcedure(TComponent* AOwner) : TForm(AOwner) {
  TTraceProc Trace("TFormVelmoricNewProcedure.Create");
  SetName("FormVelmoricNewProcedure");
  Caption = "Class expert";
  HelpContext = 7;
  BorderStyle = bsDialog;
  SetBounds((Screen ? Screen->Width - 552 : 0) / 2, (Screen ? Screen->Height - 359 : 0) / 2, 552, 359);

  Panel1 = Make<TPanel>(this, "Panel1", 0, 318, 544, 41);
  Panel1->SetAlign(alBottom);
  ButtonLike = Make<TButton>(Panel1, "ButtonLike", 8, 8, 75, 25);
  ButtonLike->Caption = "Like...";
  ButtonLike->OnClick = [this](TObject* S) { ButtonLikeClick(S); };
  ButtonCreate = Make<TButton>(Panel1, "ButtonCreate", 376, 8, 75, 25);
  ButtonCreate->Caption = "Create";
  ButtonCreate->Default = true;
  ButtonCreate->OnClick = [this](TObject* S) { ButtonCreateClick(S); };
  Button1 = Make<TButton>(Panel1, "Button1", 464, 8, 75, 25);
  Button1->Caption = "Cancel";
  Button1->Cancel = true;
  Button1->ModalResult = mrCancel;

  PageControl1 = Make<TPageControl>(this, "PageControl1", 0, 0, 544, 318);
  PageControl1->SetAlign(alClient);

  // Procedure
  TTabSheet* P = TabSheetNewProcedure = AddSheet("TabSheetNewProcedure", "Procedure");
  LabelProctyp = MakeLabel(P, "LabelProctyp", "Kind", 8, 8);
  ComboBoxProctyp = Make<TComboBox>(P, "ComboBoxProctyp", 8, 24, 121, 21);
  ComboBoxProctyp->Style = csDropDownList;
  for (const char* K : {"procedure", "function", "constructor", "destructor"}) ComboBoxProctyp->Items()->Add(K);
  ComboBoxProctyp->OnChange = [this](TObject* S) { ComboBoxProctypChange(S); };
  LabelClass1 = MakeLabel(P, "LabelClass1", "Class", 136, 8);
  ComboBoxClass1 = Make<TComboBox>(P, "ComboBoxClass1", 136, 24, 145, 21);
  ComboBoxClass1->OnChange = [this](TObject* S) { ComboBoxClass1Change(S); };
  LabelProcName = MakeLabel(P, "LabelProcName", "Name", 288, 8);
  EditProcName = Make<TEdit>(P, "EditProcName", 288, 24, 241, 21);
  LabelParameter = MakeLabel(P, "LabelParameter", "Parameter", 8, 48);
  EditParameter = Make<TEdit>(P, "EditParameter", 8, 64, 521, 21);
  LabelResult = MakeLabel(P, "LabelResult", "Result", 8, 88);
  ComboBoxResult = Make<TComboBox>(P, "ComboBoxResult", 8, 104, 145, 21);
  ComboBoxResult->OnChange = [this](TObject* S) { ComboBoxResultChange(S); };
  LabelProcScope = MakeLabel(P, "LabelProcScope", "Scope", 160, 88);
  ComboBoxProcScope = Make<TComboBox>(P, "ComboBoxProcScope", 160, 104, 121, 21);
  CheckBoxVirtual = Make<TCheckBox>(P, "CheckBoxVirtual", 288, 104, 65, 17);
  CheckBoxVirtual->Caption = "Virtual";
  CheckBoxOverride = Make<TCheckBox>(P, "CheckBoxOverride", 360, 104, 65, 17);
  CheckBoxOverride->Caption = "Override";
  CheckBoxAbstract = Make<TCheckBox>(P, "CheckBoxAbstract", 432, 104, 65, 17);
  CheckBoxAbstract->Caption = "Abstract";
  LabelComment = MakeLabel(P, "LabelComment", "&Comment", 8, 128);
  MemoComment = Make<TMemo>(P, "MemoComment", 8, 144, 521, 137);
  MemoComment->Font.Name = "Courier New";
  MemoComment->WordWrap = false;  // both scroll bars
  MemoComment->WantTabs = true;

  // Variable
  TTabSheet* V = TabSheetNewVariable = AddSheet("TabSheetNewVariable", "Variable");
  LabelClassVar = MakeLabel(V, "LabelClassVar", "Class", 8, 8);
  ComboBoxClassVar = Make<TComboBox>(V, "ComboBoxClassVar", 8, 24, 145, 21);
  LabelVarName = MakeLabel(V, "LabelVarName", "Name", 160, 8);
  EditVarName = Make<TEdit>(V, "EditVarName", 160, 24, 145, 21);
  EditVarName->OnChange = [this](TObject* S) { EditVarNameChange(S); };
  LabelVarScope = MakeLabel(V, "LabelVarScope", "Scope", 312, 8);
  ComboBoxVarScope = Make<TComboBox>(V, "ComboBoxVarScope", 312, 24, 105, 21);
  ComboBoxVarScope->OnChange = [this](TObject* S) { ComboBoxVarScopeChange(S); };
  LabelLocalTo = MakeLabel(V, "LabelLocalTo", "Local to", 424, 8);
  ComboBoxLocalTo = Make<TComboBox>(V, "ComboBoxLocalTo", 424, 24, 105, 21);
  ComboBoxLocalTo->OnChange = [this](TObject* S) { ComboBoxLocalToChange(S); };
  LabelVarType = MakeLabel(V, "LabelVarType", "Type", 8, 48);
  ComboBoxVarType = Make<TComboBox>(V, "ComboBoxVarType", 8, 64, 145, 21);
  ComboBoxVarType->SetText("integer");
  ComboBoxVarType->OnChange = [this](TObject* S) { ComboBoxVarTypeChange(S); };
  LabelVarComment = MakeLabel(V, "LabelVarComment", "Comment", 160, 48);
  EditVarComment = Make<TEdit>(V, "EditVarComment", 160, 64, 369, 21);
  LabelConstructor = MakeLabel(V, "LabelConstructor", "Constructor", 8, 88);
  EditConstructor = Make<TEdit>(V, "EditConstructor", 8, 104, 521, 21);
  LabelDestructor = MakeLabel(V, "LabelDestructor", "Destructor", 8, 128);
  EditDestructor = Make<TEdit>(V, "EditDestructor", 8, 144, 521, 21);
  LabelConstructorPos = MakeLabel(V, "LabelConstructorPos", "Construct / Destruct", 8, 168);
  ComboBoxConstructorPos = Make<TComboBox>(V, "ComboBoxConstructorPos", 8, 184, 145, 21);
  ComboBoxConstructorPos->Style = csDropDownList;
  ComboBoxConstructorPos->Items()->Add("none");
  ComboBoxConstructorPos->Items()->Add("both");

  // Property
  TTabSheet* R = TabSheetProperty = AddSheet("TabSheetProperty", "Property");
  LabelClassProperty = MakeLabel(R, "LabelClassProperty", "Class", 8, 8);
  ComboBoxClassProperty = Make<TComboBox>(R, "ComboBoxClassProperty", 8, 24, 145, 21);
  ComboBoxClassProperty->Hint = "Select the class you want to add the property to.";
  ComboBoxClassProperty->OnChange = [this](TObject* S) { ComboBoxClassPropertyChange(S); };
  LabelNameProperty = MakeLabel(R, "LabelNameProperty", "Name", 160, 8);
  EditNameProperty = Make<TEdit>(R, "EditNameProperty", 160, 24, 145, 21);
  EditNameProperty->Hint = "Select the name. The variable will be Fname";
  EditNameProperty->OnChange = [this](TObject* S) { EditNamePropertyChange(S); };
  LabelPropScope = MakeLabel(R, "LabelPropScope", "Scope", 312, 8);
  ComboBoxPropScope = Make<TComboBox>(R, "ComboBoxPropScope", 312, 24, 105, 21);
  LabelPropType = MakeLabel(R, "LabelPropType", "Type", 8, 48);
  ComboBoxPropType = Make<TComboBox>(R, "ComboBoxPropType", 8, 64, 145, 21);
  LabelPropVariable = MakeLabel(R, "LabelPropVariable", "Variable", 160, 48);
  ComboBoxPropVariable = Make<TComboBox>(R, "ComboBoxPropVariable", 160, 64, 145, 21);
  LabelPropArray = MakeLabel(R, "LabelPropArray", "Array", 312, 48);
  ComboBoxPropArray = Make<TComboBox>(R, "ComboBoxPropArray", 312, 64, 105, 21);
  ComboBoxPropArray->Hint = "Select the type, if you want to make an array.";
  for (const char* K : {"integer", "char", "cardinal", ""}) ComboBoxPropArray->Items()->Add(K);
  LabelRange = MakeLabel(R, "LabelRange", "Range", 424, 48);
  EditRange = Make<TEdit>(R, "EditRange", 424, 64, 105, 21);
  EditRange->SetText("0..");
  EditRange->Hint = "Enter the array bounds here";
  CheckBoxUpdateNotification = Make<TCheckBox>(R, "CheckBoxUpdateNotification", 8, 96, 145, 17);
  CheckBoxUpdateNotification->Caption = "Update Notification()";
  CheckBoxUpdateNotification->Hint =
      "This will create or update the Notification procedure. This sets the variable to NIL if it is "
      "deleted in another component.";
  CheckBoxUpdateNotification->OnClick = [this](TObject* S) { CheckBoxUpdateNotificationClick(S); };
  CheckBoxHide = Make<TCheckBox>(R, "CheckBoxHide", 160, 96, 97, 17);
  CheckBoxHide->Caption = "Hide";
  CheckBoxHide->Hint = "Hide the property.";
  CheckBoxHide->OnClick = [this](TObject* S) { CheckBoxHideClick(S); };
  CheckBoxGet = Make<TCheckBox>(R, "CheckBoxGet", 8, 128, 97, 17);
  CheckBoxGet->Caption = "Get function";
  EditGet = Make<TEdit>(R, "EditGet", 112, 128, 193, 21);
  CheckBoxSet = Make<TCheckBox>(R, "CheckBoxSet", 8, 160, 97, 17);
  CheckBoxSet->Caption = "Set procedure";
  EditPut = Make<TEdit>(R, "EditPut", 112, 160, 193, 21);

  // Messages
  TTabSheet* M = TabSheetMessages = AddSheet("TabSheetMessages", "Messages");
  LabelMessageClass = MakeLabel(M, "LabelMessageClass", "Class", 8, 8);
  ComboBoxMessageClass = Make<TComboBox>(M, "ComboBoxMessageClass", 8, 24, 145, 21);
  ComboBoxMessageClass->OnChange = [this](TObject* S) { ComboBoxClassPropertyChange(S); };
  LabelMessageName = MakeLabel(M, "LabelMessageName", "Name", 160, 8);
  EditMessageName = Make<TEdit>(M, "EditMessageName", 160, 24, 145, 21);
  EditMessageName->OnChange = [this](TObject* S) { EditNamePropertyChange(S); };
  LabelMessage = MakeLabel(M, "LabelMessage", "Message", 8, 48);
  ComboBoxMessage = Make<TComboBox>(M, "ComboBoxMessage", 8, 64, 145, 21);
  ComboBoxMessage->SetSorted(true);
  ComboBoxMessage->OnChange = [this](TObject* S) { ComboBoxMessageChange(S); };
  LabelMessageStruct = MakeLabel(M, "LabelMessageStruct", "Message structure", 160, 48);
  ComboBoxMessageStruct = Make<TComboBox>(M, "ComboBoxMessageStruct", 160, 64, 145, 21);
  ComboBoxMessageStruct->SetSorted(true);
  StaticText1 = Make<TLabel>(M, "StaticText1", 8, 104, 521, 41);
  StaticText1->AutoSize = false;
  StaticText1->Caption =
      "To use this, Velmoric needs to have access to the messages.pas file. Either install a pat to "
      "..\\delphi 3\\source\\rtl or copy the messages.pas file to a directory where Velmoric can find it.";

  // Export Property
  TTabSheet* E = TabSheetExport = AddSheet("TabSheetExport", "Export Property");
  TabSheetExport->SetTabVisible(false);
  LabelPrefix = MakeLabel(E, "LabelPrefix", "Prefix", 8, 8);
  EditPrefix = Make<TEdit>(E, "EditPrefix", 8, 24, 121, 21);
  EditPrefix->SetText("Combine");
  EditPrefix->OnChange = [this](TObject* S) { EditPrefixChange(S); };
  LabelFormat = MakeLabel(E, "LabelFormat", "Format", 136, 8);
  EditFormat = Make<TEdit>(E, "EditFormat", 136, 24, 121, 21);
  EditFormat->SetText("%s%s");
  EditFormat->OnChange = [this](TObject* S) { EditPrefixChange(S); };
  CheckBoxCombine = Make<TCheckBox>(E, "CheckBoxCombine", 264, 24, 121, 17);
  CheckBoxCombine->Caption = "Combine objects";
  CheckBoxCombine->Checked = true;
  CheckBoxCombine->Hint =
      "Creates one property to set the same property in all objects. Otherwise for every object and "
      "every property will be created one property";
  CheckBoxCombine->OnClick = [this](TObject* S) { EditPrefixChange(S); };
  LabelProperties = MakeLabel(E, "LabelProperties", "Properties", 8, 48);
  ListBoxProperties = Make<TListBox>(E, "ListBoxProperties", 8, 64, 257, 217);
  LabelExportedPropertes = MakeLabel(E, "LabelExportedPropertes", "Exported properties", 272, 48);
  ListBoxExportedPropertes = Make<TListBox>(E, "ListBoxExportedPropertes", 272, 64, 257, 217);

  OnShow = [this](TObject* S) { FormShow(S); };
  FormCreate(this);
}

TFormVelmoricNewProcedure::~TFormVelmoricNewProcedure() {
  FormDestroy(this);
  if (FormVelmoricNewProcedure == this) FormVelmoricNewProcedure = nullptr;
}

TTabSheet* TFormVelmoricNewProcedure::AddSheet(const std::string& Name, const std::string& Caption) {
  auto* Sheet = new TTabSheet(this);
  Sheet->SetName(Name);
  Sheet->Caption = Caption;
  Sheet->SetPageControl(PageControl1);
  return Sheet;
}

void TFormVelmoricNewProcedure::ShowTab(TTabSheet* Sheet) {
  Sheet->SetTabVisible(true);
  PageControl1->SetActivePage(Sheet);
}

void TFormVelmoricNewProcedure::FormCreate(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricNewProcedure.FormCreate");
  FSymbolList = new TSaveStringList("FormCreate.FSymbolList", this);
  FSymbolList->SetSorted(true);
  ExportProperties = new TSaveStringList("FormCreate.ExportProperties", this);
  ExportObjects = new TSaveList("FormCreate.ExportObjects", this);
  TypList = new TSaveStringList("FormCreate.TypList", this);
  TypList->SetSorted(true);
  TypList->SetDuplicates(dupAccept);
  ClassList = new TSaveStringList("FormCreate.ClassList", this);
  ClassList->SetSorted(true);
  ClassList->SetDuplicates(dupAccept);
  ContextSymbol = nullptr;
  EditSymbol = nullptr;
  OldCaption = Caption;
  for (const char* S : {"local", "public", "private", "protected", "published"}) ComboBoxProcScope->Items()->Add(S);
  ComboBoxPropScope->Items()->Assign(*ComboBoxProcScope->Items());
  ComboBoxVarScope->Items()->Assign(*ComboBoxProcScope->Items());
  PageControl1->SetActivePage(TabSheetNewVariable);
}

void TFormVelmoricNewProcedure::FormDestroy(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricNewProcedure.FormDestroy");
  delete FSymbolList;
  FSymbolList = nullptr;
  delete ExportProperties;
  ExportProperties = nullptr;
  delete ExportObjects;
  ExportObjects = nullptr;
  delete ClassList;
  ClassList = nullptr;
  delete TypList;
  TypList = nullptr;
}

TBereichTokenType TFormVelmoricNewProcedure::GetScope(const std::string& Scope) {
  const std::string S = LowerCase(Scope);
  if (S == "public") return tPublic;
  if (S == "private") return tPrivate;
  if (S == "protected") return tProtected;
  if (S == "published") return tPublished;
  return tLocal;
}

int TFormVelmoricNewProcedure::FindSymbol(TComboBox* Box, const std::string& Name) {
  TTraceProc Trace([&] { return Format("TFormVelmoricNewProcedure.FindSymbol(sym=%s)", Name); });
  for (int I = 0; I < Box->Items()->Count(); ++I)
    if (SameText(Box->Items()->Get(I), Name)) return I;
  return -1;
}

TOrvikSymbol* TFormVelmoricNewProcedure::SelectedClass(TComboBox* Box) const {
  const int I = Box->ItemIndex();
  if (I < 0 || I >= ClassList->Count()) return nullptr;
  return static_cast<TOrvikSymbol*>(ClassList->GetObjects(I));
}

TOrvikSymbol* TFormVelmoricNewProcedure::NamedClass(TComboBox* Box) const {
  TOrvikSymbol* Chosen = SelectedClass(Box);
  if (Chosen && SameText(Chosen->name, Box->Text())) return Chosen;
  return Project ? Project->FindFlatSymbol(Box->Text()) : nullptr;
}

int TFormVelmoricNewProcedure::ClassIndexOf(TOrvikSymbol* Sym) {
  const int I = ClassList->IndexOfObject(Sym);
  return I >= 0 ? I : FindSymbol(ComboBoxClass1, Sym->name);
}

TPascalSource* TFormVelmoricNewProcedure::FindSource(TComboBox* Box) {
  TTraceProc Trace("TFormVelmoricNewProcedure.FindSource");
  TOrvikSymbol* Sym = SelectedClass(Box);
  if (!Sym) return nullptr;
  while (Sym && Sym->Typ != typUnit) Sym = Sym->Parent;
  if (!Sym || !Project) return nullptr;
  Caption = Sym->name + " " + OldCaption;
  for (int I = 0; I < Project->FUnitLIst->Count(); ++I) {
    auto* S = static_cast<TPascalSource*>(Project->FUnitLIst->GetObjects(I));
    if (S && &S->symbols == Sym) return S;
  }
  return nullptr;
}

void TFormVelmoricNewProcedure::ModifyCaption(TComboBox* Box) {
  TTraceProc Trace("TFormVelmoricNewProcedure.ModifyCaption");
  TOrvikSymbol* Sym = SelectedClass(Box);
  while (Sym && Sym->Typ != typUnit) Sym = Sym->Parent;
  if (Sym) Caption = Sym->name + " " + OldCaption;
}

std::string TFormVelmoricNewProcedure::MakeComment(const std::vector<std::string>& OldLines,
                                                   const std::string& Description,
                                                   const std::string& Heading) {
  return MakeCommentBlock(OldLines, Description, Heading, EditParameter->Text());
}

void TFormVelmoricNewProcedure::FindOtherSymbol(const std::string& Name) {
  TTraceProc Trace("TFormVelmoricNewProcedure.FindOtherSymbol");
  if (!TheVelmoricFairy || !TheVelmoricFairy->Project) return;
  FSymbolList->Clear();
  if (Name.empty()) return;
  const std::string Lower = LowerCase(Name);
  TSaveStringList* Units = TheVelmoricFairy->Project->FUnitLIst;
  auto Walk = [&](auto& Self, TOrvikSymbol* Owner, int Depth) -> void {
    if (!Owner->symbols || Depth > 100) return;
    for (int I = 0; I < Owner->symbols->Count(); ++I) {
      TOrvikSymbol* S = Owner->symbols->GetSymbol(I);
      if (!S) continue;
      if (LowerCase(S->name) == Lower) {
        const std::string Key = S->name + ":" + S->TypeName;
        if (FSymbolList->IndexOf(Key) < 0) FSymbolList->AddObject(Key, S);
      }
      Self(Self, S, Depth + 1);
    }
  };
  for (int I = 0; I < Units->Count(); ++I)
    if (auto* S = static_cast<TPascalSource*>(Units->GetObjects(I))) Walk(Walk, &S->symbols, 0);
}

// ------------------------------------------------------------- showing

void TFormVelmoricNewProcedure::FormShow(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricNewProcedure.FormShow");
  HelpContext = 7;
  HelpFile = GetVelmoricPath() + "velmoric.hlp";
  TypList->Clear();
  ClassList->Clear();
  if (Project) Project->CreateSymbolList(typClass, ClassList);
  SavedLine = SavedDefBegin = SavedDeclLine = -1;
  ComboBoxLocalTo->Items()->Clear();
  if (EditSymbol) {
    SavedLine = EditSymbol->Line;
    SavedDefBegin = EditSymbol->defbegin;
    SavedDeclLine = EditSymbol->DeclLine;
  }
  if (ContextSymbol) {
    if (ContextSymbol->Typ == typProcedure) {
      for (TOrvikSymbol* S = ContextSymbol; S; S = S->Parent && S->Parent->Typ == typProcedure ? S->Parent : nullptr)
        ComboBoxLocalTo->Items()->AddObject(S->name, S);
      ComboBoxLocalTo->SetItemIndex(0);
    }
    for (TOrvikSymbol* S = ContextSymbol; S; S = S->Parent)
      if (S->Typ == typProcedure || S->Typ == typClass || S->Typ == typRecord)
        if (ClassList->IndexOfObject(S) < 0) ClassList->AddObject(S->name, S);
  }
  for (const char* T : {"integer", "longint", "boolean", "string", "shortString", "real"}) TypList->Add(T);
  EditNameProperty->SetText(EditProcName->Text());
  EditVarName->SetText(EditProcName->Text());
  for (int I = 0; I < ClassList->Count(); ++I) TypList->AddObject(ClassList->Get(I), ClassList->GetObjects(I));
  if (Project) Project->CreateSymbolList(typType, TypList);
  UpdateComboboxes();
  if (ContextSymbol && ContextSymbol->Typ == typProcedure && ContextSymbol->Parent)
    ComboBoxClass1->SetText(ContextSymbol->Parent->name);

  if (EditSymbol) {
    TOrvikSymbol* E = EditSymbol;
    EditProcName->SetText(E->name);
    EditVarName->SetText(E->name);
    EditNameProperty->SetText(E->name);
    EditParameter->SetText(Trim(E->Params));
    ComboBoxResult->SetText(Trim(E->ResultType));
    const std::string Scope = LowerCase(ScopeString(E->Bereich));
    ComboBoxProcScope->SetText(Scope);
    ComboBoxVarScope->SetText(Scope);
    ComboBoxPropScope->SetText(Scope);
    ComboBoxVarType->SetText(Trim(E->TypeName));
    ComboBoxPropType->SetText(Trim(E->TypeName));
    EditVarComment->SetText(E->Comment);
    CheckBoxOverride->Checked = E->Options.Contains(tOverride);
    CheckBoxAbstract->Checked = E->Options.Contains(tAbstract);
    CheckBoxVirtual->Checked = E->Options.Contains(tVirtual);
    EditPut->SetText(E->WriteAccess());
    EditGet->SetText(E->ReadAccess());
    ComboBoxPropVariable->SetText(E->Reserved());
    for (TOrvikSymbol* S = E; S; S = S->Parent)
      if (S->Typ == typClass) {
        ComboBoxClass1->SetText(S->name);
        break;
      }
    // The description part of the comment.
    std::vector<std::string> Memo = E->Comment.empty() ? std::vector<std::string>() : SplitCrLf(E->Comment);
    int Desc = -1;
    bool Created = false;
    for (size_t I = 0; I < Memo.size(); ++I) {
      const std::string Lower = LowerCase(Memo[I]);
      if (Lower.find("created :") != std::string::npos) Created = true;
      if (Lower.find("description:") != std::string::npos) {
        Desc = int(I);
        break;
      }
    }
    if (Desc >= 0) {
      Memo.erase(Memo.begin(), Memo.begin() + Desc + 1);
      if (!Memo.empty()) Memo.pop_back();
      for (std::string& L : Memo)
        if (!L.empty()) L.erase(0, 1);
    } else if (Created) {
      Memo.clear();
    }
    MemoComment->Lines()->Clear();
    for (const std::string& L : Memo) MemoComment->Lines()->Add(L);

    if (E->Typ == typProcedure) ShowTab(TabSheetNewProcedure);
    else if (E->Typ == typVar) ShowTab(TabSheetNewVariable);
    else if (E->Typ == typProperty) ShowTab(TabSheetProperty);
  }

  if (ChangeMode) {
    Caption = "Change symbol";
    for (TControl* C : std::initializer_list<TControl*>{EditProcName, ComboBoxClassVar, EditConstructor, EditDestructor,
                                                      ComboBoxConstructorPos, ComboBoxClassProperty, ComboBoxClass1})
      C->Enabled = false;
    ButtonCreate->Caption = "Change";
    for (TTabSheet* Sheet : {TabSheetNewProcedure, TabSheetNewVariable, TabSheetProperty})
      if (Sheet != PageControl1->ActivePage()) Sheet->SetTabVisible(false);
    FSymbolList->Clear();
  } else {
    if (!EditSymbol) Write("symbol = NIL");
    FindOtherSymbol(EditVarName->Text());
    Caption = "New symbol";
    ButtonCreate->Caption = "Create";
    ComboBoxPropType->SetText("integer");
    ComboBoxPropScope->SetText("published");
  }
  ButtonLike->Enabled = FSymbolList->Count() > 0;
  // A symbol handed in to be inserted (an overriding method) keeps its
  // scope and kind.
  if (!ChangeMode && ContextSymbol && !EditSymbol) {
    ComboBoxVarScope->SetText(ContextSymbol->Typ == typProcedure ? "local" : "public");
    ComboBoxProcScope->SetText("public");
  }
  EditPrefixChange(this);
  if (!ChangeMode && !EditSymbol) ComboBoxResultChange(this);
  if (velmoricVariables->Count() == 0) velmoricVariables->LoadFromFile();
  if (!ChangeMode && velmoricVariables->find(EditVarName->Text())) {
    ShowTab(TabSheetNewVariable);
    EditVarComment->SetText(velmoricVariables->FoundComment);
    ComboBoxVarType->SetText(velmoricVariables->FoundType);
  }
}

void TFormVelmoricNewProcedure::UpdateComboboxes() {
  TTraceProc Trace("TFormVelmoricNewProcedure.UpdateComboboxes");
  for (int I = 0; I < TypList->Count(); ++I)
    for (TComboBox* Box : {ComboBoxResult, ComboBoxVarType, ComboBoxPropType})
      Box->Items()->AddObject(TypList->Get(I), TypList->GetObjects(I));
  for (int I = 0; I < ClassList->Count(); ++I)
    for (TComboBox* Box : {ComboBoxClass1, ComboBoxClassVar, ComboBoxClassProperty, ComboBoxMessageClass})
      Box->Items()->AddObject(ClassList->Get(I), ClassList->GetObjects(I));
  ComboBoxProctyp->SetItemIndex(0);
  if (EditSymbol) {
    const int K = ComboBoxProctyp->Items()->IndexOf(LowerCase(ProcTypString(EditSymbol->ProcTyp)));
    if (K >= 0) ComboBoxProctyp->SetItemIndex(K);
  }
  if (ContextSymbol) {
    const int I = ClassIndexOf(ContextSymbol);
    for (TComboBox* Box : {ComboBoxClass1, ComboBoxClassVar, ComboBoxMessageClass}) Box->SetItemIndex(I);
    if (ContextSymbol->Typ == typClass)
      ComboBoxClassProperty->SetItemIndex(I);
    else if (ContextSymbol->Parent)
      ComboBoxClassProperty->SetItemIndex(ClassIndexOf(ContextSymbol->Parent));
  }
  if (EditSymbol) {
    for (TOrvikSymbol* S = EditSymbol->Parent; S; S = S->Parent)
      if (S->Typ == typProcedure) ComboBoxProcScope->Items()->Add(S->name);
    const int K = ComboBoxPropScope->Items()->IndexOf(LowerCase(ScopeString(EditSymbol->Bereich)));
    for (TComboBox* Box : {ComboBoxPropScope, ComboBoxVarScope, ComboBoxProcScope})
      if (K < Box->Items()->Count()) Box->SetItemIndex(K);
  }
  TPascalProject* Memory = Project ? (Project->FMemoryProject ? Project->FMemoryProject : Project) : nullptr;
  if (Memory) {
    for (int I = 0; I < Memory->FUnitLIst->Count(); ++I) {
      auto* S = static_cast<TPascalSource*>(Memory->FUnitLIst->GetObjects(I));
      if (S && LowerCase(S->symbols.name) == "messages") {
        UpdateMessagesComboBoxes(S);
        break;
      }
    }
  }
}

// ------------------------------------------------------------- actions

void TFormVelmoricNewProcedure::ButtonCreateClick(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricNewProcedure.ButtonCreateClick");
  TTabSheet* Page = PageControl1->ActivePage();
  // A symbol is changed only by the page of its kind: a class or a constant
  // under the cursor must not be rewritten as a variable.
  if (ChangeMode && EditSymbol) {
    const TSymTyp Wanted = Page == TabSheetNewVariable ? typVar
                           : Page == TabSheetProperty  ? typProperty
                           : Page == TabSheetExport    ? EditSymbol->Typ
                                                       : typProcedure;
    if (EditSymbol->Typ != Wanted) {
      Application->MessageBox(Format("%s can not be changed here", EditSymbol->name), "Velmoric",
                              MB_OK | MB_ICONINFORMATION);
      ModalResult = mrNone;
      return;
    }
  }
  try {
    if (Page == TabSheetNewProcedure) CreateProcedure();
    else if (Page == TabSheetNewVariable) CreateVariable();
    else if (Page == TabSheetProperty) CreateProperty();
    else if (Page == TabSheetExport) CreateExportProperties();
    else if (Page == TabSheetMessages) CreateMessage();
  } catch (const std::exception& E) {
    // Nothing was written; the dialog stays open.
    Application->MessageBox(E.what(), "Velmoric", MB_OK | MB_ICONERROR);
    ModalResult = mrNone;
    return;
  }
  ModalResult = mrOk;
}

void TFormVelmoricNewProcedure::ButtonLikeClick(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricNewProcedure.ButtonLikeClick");
  auto Like = std::make_unique<TFormVelmoricLike>(nullptr);
  Like->SymbolList = FSymbolList;
  if (Like->ShowModal() != mrOk || !Like->Selected) return;
  TOrvikSymbol* S = Like->Selected;
  if (S->Typ == typProcedure) {
    EditParameter->SetText(Trim(S->Params));
    ComboBoxResult->SetText(Trim(S->ResultType));
    MemoComment->Lines()->Clear();
    if (!S->Comment.empty())
      for (const std::string& L : SplitCrLf(S->Comment)) MemoComment->Lines()->Add(L);
    ShowTab(TabSheetNewProcedure);
  } else if (S->Typ == typVar) {
    ComboBoxVarType->SetText(Trim(S->TypeName));
    EditVarComment->SetText(S->Comment);
    ShowTab(TabSheetNewVariable);
  } else if (S->Typ == typProperty) {
    ComboBoxPropType->SetText(Trim(S->TypeName));
    ShowTab(TabSheetProperty);
  }
}

TOrvikSymbol* TFormVelmoricNewProcedure::NewSymbol(TPascalSource* Source) {
  TOrvikSymbolstore Store;
  TOrvikSymbol* Sym = Store.Allocate(Source);
  Sym->defbegin = -1;
  Sym->defend = -1;
  return Sym;
}

void TFormVelmoricNewProcedure::Adopt(TOrvikSymbol* Parent, TOrvikSymbol* Sym) {
  if (!Parent || !Sym) return;
  if (Parent->symbols && Parent->symbols->IndexOfObject(Sym) >= 0) {
    Sym->Parent = Parent;
    return;
  }
  AddOrvikSymbol(Parent, Sym);
}

void TFormVelmoricNewProcedure::Insert(TPascalCoco& Coco, TOrvikSymbol* Sym) {
  Coco.InsertSymbol(Sym);
  if (Sym->code()) {  // a symbol without rare texts gets no block for this
    delete Sym->code();
    Sym->Extra().code = nullptr;
  }
  if (Sym->RefCount <= 0) delete Sym;  // no tree took it
}

void TFormVelmoricNewProcedure::AddToBody(TPascalCoco& Coco, TOrvikSymbol* Proc, const std::string& Text) {
  TTraceProc Trace("TFormVelmoricNewProcedure.AddToBody");
  if (Proc->Line < 0 || Proc->defend <= Proc->Line) return;
  TStrings* Lines = Coco.lines;
  // Directly before the body's closing "end".
  for (int I = std::min(Proc->defend, Lines->Count() - 1); I > Proc->Line; --I) {
    const std::string T = LowerCase(Trim(Lines->Get(I)));
    if (T.starts_with("end")) {
      Coco.InsertLine(I, Text);
      Coco.AddLine(I, 1);
      return;
    }
  }
}

void TFormVelmoricNewProcedure::CreateProcedure() {
  TTraceProc Trace("TFormVelmoricNewProcedure.CreateProcedure");
  TPascalSource* Src = FindSource(ComboBoxClass1);
  if (!Src) {
    Write("src = NIL");
    return;
  }
  TPascalCoco Coco(Src);
  TOrvikSymbol* Sym;
  if (EditSymbol) {
    Sym = EditSymbol;
    if (ContextSymbol) Adopt(ContextSymbol, Sym);
  } else {
    Sym = NewSymbol(Src);
    Adopt(SelectedClass(ComboBoxClass1), Sym);
  }
  TOrvikSymbol* Parent = NamedClass(ComboBoxClass1);
  if (!Parent && EditSymbol) Parent = EditSymbol->Parent;
  Sym->Parent = Parent;
  const std::string Kind = LowerCase(ComboBoxProctyp->Text());
  Sym->ProcTyp = Kind == "function" ? tFunction
                 : Kind == "constructor" ? tConstructor
                 : Kind == "destructor" ? tDestructor
                                        : tProcedure;
  TProcOptionsSet Options = EditSymbol ? EditSymbol->Options : TProcOptionsSet();
  if (CheckBoxVirtual->Checked) Options.Include(tVirtual);
  if (CheckBoxOverride->Checked) Options.Include(tOverride);
  if (CheckBoxAbstract->Checked) Options.Include(tAbstract);
  Sym->Options = Options;
  Sym->Typ = typProcedure;
  Sym->name = EditProcName->Text();
  Sym->Params = EditParameter->Text();
  Sym->ResultType = ComboBoxResult->Text();
  Sym->Bereich = GetScope(ComboBoxProcScope->Text());
  std::vector<std::string> Old;
  if (EditSymbol && !EditSymbol->Comment.empty()) Old = SplitCrLf(EditSymbol->Comment);
  std::string Heading = ComboBoxProctyp->Text() + " " + ComboBoxClass1->Text() + " " + EditProcName->Text();
  if (!EditParameter->Text().empty()) Heading += "(" + EditParameter->Text() + ")";
  Sym->Comment = MakeComment(Old, MemoComment->Text(), Heading);
  Sym->Line = SavedLine;
  Sym->DeclLine = SavedDeclLine;
  Sym->defbegin = SavedDefBegin;
  Insert(Coco, Sym);
}

void TFormVelmoricNewProcedure::CreateVariable() {
  TTraceProc Trace("TFormVelmoricNewProcedure.CreateVariable");
  const std::string Comment = EditVarComment->Text();
  const std::string Type = ComboBoxVarType->Text();
  const std::string Name = EditVarName->Text();
  velmoricVariables->Add(Name, Type, Comment);
  TPascalSource* Src = FindSource(ComboBoxClassVar);
  if (!Src) {
    Write("src = NIL");
    return;
  }
  TPascalCoco Coco(Src);
  // The selected item while it shows the text, else the first item of
  // that text, else the selected one.
  int ClassIndex = ComboBoxClassVar->ItemIndex();
  if (ClassIndex < 0 || ComboBoxClassVar->Items()->Get(ClassIndex) != ComboBoxClassVar->Text())
    for (int I = 0; I < ComboBoxClassVar->Items()->Count(); ++I)
      if (ComboBoxClassVar->Items()->Get(I) == ComboBoxClassVar->Text()) {
        ClassIndex = I;
        break;
      }
  TOrvikSymbol* Cls = ClassIndex >= 0 && ClassIndex < ClassList->Count()
                          ? static_cast<TOrvikSymbol*>(ClassList->GetObjects(ClassIndex))
                          : nullptr;
  TOrvikSymbol* Sym;
  if (EditSymbol) {
    Sym = EditSymbol;
    if (Cls) Sym->Parent = Cls;
    if (ContextSymbol) Adopt(ContextSymbol, Sym);
  } else {
    Sym = NewSymbol(Src);
    Sym->Line = -1;
    Adopt(Cls, Sym);
  }
  if (LowerCase(ComboBoxVarScope->Text()) == "local" && ComboBoxLocalTo->ItemIndex() >= 0) {
    auto* Local = static_cast<TOrvikSymbol*>(ComboBoxLocalTo->Items()->Objects(ComboBoxLocalTo->ItemIndex()));
    if (Local && Local != Sym->Parent) {
      if (!EditSymbol && Sym->Parent && Sym->Parent->symbols) {
        // Moves from the class to the procedure.
        const int I = Sym->Parent->symbols->IndexOfObject(Sym);
        if (I >= 0) {
          Sym->Parent->symbols->Delete(I);
          --Sym->RefCount;
        }
      }
      Adopt(Local, Sym);
    }
  }
  Sym->Options = TProcOptionsSet();
  Sym->name = Name;
  Sym->TypeName = Type;
  Sym->Comment = Comment;
  Sym->Typ = typVar;
  Sym->Bereich = GetScope(ComboBoxVarScope->Text());
  TOrvikSymbol* Parent = Sym->Parent;
  Insert(Coco, Sym);

  if (ComboBoxConstructorPos->ItemIndex() >= 1 && Parent && Parent->Typ == typClass && Cls) {
    auto FirstOfKind = [&](TProcTokenType Kind) -> TOrvikSymbol* {
      if (!Parent->symbols) return nullptr;
      for (int I = 0; I < Parent->symbols->Count(); ++I) {
        TOrvikSymbol* C = Parent->symbols->GetSymbol(I);
        if (C && C->Typ == typProcedure && C->ProcTyp == Kind) return C;
      }
      return nullptr;
    };
    auto Make = [&](TProcTokenType Kind, const std::string& ProcName, const std::string& Body) {
      TOrvikSymbol* P = NewSymbol(Src);
      P->Typ = typProcedure;
      P->ProcTyp = Kind;
      P->name = ProcName;
      P->Bereich = GetScope(ComboBoxVarScope->Text());
      P->Parent = Cls;
      P->Line = -2;
      P->DeclLine = -1;
      P->defbegin = -1;
      P->Extra().code = new TStringList;
      P->code()->Add(Body);
      Adopt(Cls, P);
      return P;
    };
    if (TOrvikSymbol* C = FirstOfKind(tConstructor)) {
      AddToBody(Coco, C, "   " + EditConstructor->Text());
      gSym = C;
    } else {
      TOrvikSymbol* C2 = Make(tConstructor, "Create", "   " + EditConstructor->Text());
      gSym = C2;
      Insert(Coco, C2);
    }
    if (TOrvikSymbol* D = FirstOfKind(tDestructor)) {
      AddToBody(Coco, D, "   " + EditDestructor->Text());
    } else {
      Insert(Coco, Make(tDestructor, "Destroy", EditDestructor->Text()));
    }
  }
}

// ------------------------------------------------------------- handlers

void TFormVelmoricNewProcedure::ComboBoxProctypChange(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricNewProcedure.ComboBoxProctypChange");
  if (ComboBoxProctyp->Text() == "constructor") EditProcName->SetText("Create");
  else if (ComboBoxProctyp->Text() == "destructor") EditProcName->SetText("Destroy");
}

void TFormVelmoricNewProcedure::ComboBoxResultChange(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricNewProcedure.ComboBoxResultChange");
  ComboBoxProctyp->SetItemIndex(ComboBoxResult->Text().empty() ? 0 : 1);
}

void TFormVelmoricNewProcedure::ComboBoxClass1Change(TObject* Sender) { ModifyCaption(ComboBoxClass1); }

void TFormVelmoricNewProcedure::ComboBoxVarTypeChange(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricNewProcedure.ComboBoxVarTypeChange");
  const int I = ComboBoxVarType->ItemIndex();
  if (I < 0) return;
  auto* Cls = static_cast<TOrvikSymbol*>(ComboBoxVarType->Items()->Objects(I));
  if (!Cls || Cls->Typ != typClass) return;
  std::string Args;
  if (Cls->symbols)
    for (int K = 0; K < Cls->symbols->Count(); ++K) {
      TOrvikSymbol* C = Cls->symbols->GetSymbol(K);
      if (C && LowerCase(C->name) == "create") {
        if (!Trim(C->Params).empty()) Args = "(" + Trim(C->Params) + ")";
        break;
      }
    }
  const std::string Name = EditVarName->Text();
  EditConstructor->SetText(Format("%s := %s.Create%s", Name, Cls->name, Args));
  EditDestructor->SetText(Format("%s.Free", Name));
}

void TFormVelmoricNewProcedure::ComboBoxVarScopeChange(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricNewProcedure.ComboBoxVarScopeChange");
  if (!ContextSymbol) return;
  const std::string Scope = LowerCase(ComboBoxVarScope->Text());
  if (Scope == "local") {
    ComboBoxClassVar->SetText(ContextSymbol->name);
    if (ComboBoxLocalTo->Items()->Count() > 0) ComboBoxLocalTo->SetItemIndex(0);
  } else {
    if (ContextSymbol->Parent) ComboBoxClassVar->SetText(ContextSymbol->Parent->name);
    ComboBoxLocalTo->SetItemIndex(-1);
    if (Scope == "global") ComboBoxClassVar->SetText("");
  }
}

void TFormVelmoricNewProcedure::ComboBoxLocalToChange(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricNewProcedure.ComboBoxLocalToChange");
  const int I = ComboBoxVarScope->Items()->IndexOf("local");
  if (I >= 0) ComboBoxVarScope->SetItemIndex(I);
}

void TFormVelmoricNewProcedure::EditVarNameChange(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricNewProcedure.EditVarNameChange");
  if (velmoricVariables->find(EditVarName->Text())) {
    ComboBoxVarType->SetText(velmoricVariables->FoundType);
    EditVarComment->SetText(velmoricVariables->FoundComment);
  }
}
