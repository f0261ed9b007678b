#include "wizards/VelmoricNewPropertyEditor.h"

#include <cctype>
#include <set>

#include "ide/VelmoricEditorStrings.h"
#include "platform/vcl/FormBuilding.h"
#include "project/VelmoricPascalProject.h"
#include "trace/traceletVelmoric.h"

const char* const PropertyAttributeNames[8] = {"paValueList",   "paSortList",   "paSubProperties",
                                               "paDialog",      "paMultiSelect", "paAutoUpdate",
                                               "paReadOnly",    "paRevertable"};

namespace {

enum { paValueList = 0, paSubProperties = 2, paDialog = 3 };

const char* const AttributeDescriptions[8] = {
    "The property editor can return an enumerated list of values for the property. When paValueList "
    "is set, the Object Inspector displays a drop-down button to the right of the property .",
    "The Object Inspector should sort the list returned by GetValues;",
    "The property has subproperties that are displayed indented and below the current property in "
    "standard outline format. If paSubProperties is set, the GetProperties method should be "
    "overridden to provide subproperties.",
    "The Edit method brings up a dialog.  When paDialog is set, the Object Inspector displays an "
    "ellipses button to the right of the property.",
    "The property can be displayed when more than one component is selected.",
    "The SetValue method is called on each change made to the editor rather than after the change "
    "has been approved.",
    "Value is not allowed to change.",
    "The property editor can restore the property value to the original value.  Properties that "
    "shouldn't be reverted are nested properties such as fonts and elements of composite properties "
    "such as set element values."};

}  // namespace

bool IsPascalIdentifier(const std::string& S) {
  if (S.empty() || !(isalpha(static_cast<unsigned char>(S[0])) || S[0] == '_')) return false;
  for (char C : S)
    if (!(isalnum(static_cast<unsigned char>(C)) || C == '_')) return false;
  return true;
}

int UnitEndLine(TStrings& Lines, int From) {
  TToken Token(&Lines);
  Token.SetLine(From);
  bool AfterEnd = false;
  int EndLine = -1;
  while (Token.Next()) {
    const std::string& T = Token.LowerText;
    if (AfterEnd && T == ".") return EndLine;
    if (T == "initialization" || T == "finalization") return Token.TokenLine;
    AfterEnd = T == "end";
    EndLine = Token.TokenLine;
  }
  return -1;
}

std::vector<TOrvikSymbol*> ClassChain(TOrvikSymbol* Cls,
                                      const std::function<TOrvikSymbol*(TOrvikSymbol*)>& Base) {
  std::vector<TOrvikSymbol*> Chain;
  std::set<TOrvikSymbol*> Seen;
  for (TOrvikSymbol* C = Cls; C && Seen.insert(C).second; C = Base(C)) Chain.push_back(C);
  return Chain;
}

bool GeneratePropertyEditor(TStrings& Lines, const TPropertyEditorSpec& S) {
  TTraceProc Trace("GeneratePropertyEditor");
  int Line = -1;
  bool NeedType = false;
  {
    TToken Token(&Lines);
    while (Line < 0 && Token.Next()) {
      if (Token.LowerText == "type") {
        Line = Token.TokenLine + 1;
      } else if (Token.LowerText == "implementation") {
        Line = Token.TokenLine;
        NeedType = true;
      }
    }
  }
  if (Line < 0) return false;
  auto Add = [&](const std::string& Text) { Lines.Insert(Line++, Text); };
  const std::string& C = S.ClassName;
  const bool Dialog = S.Attributes[paDialog], Sub = S.Attributes[paSubProperties],
             Values = S.Attributes[paValueList];

  if (NeedType) Add("type");
  Add(Format(" %s = class(%s)", C, S.Ancestor));
  Add("   function GetAttributes: TPropertyAttributes; override;");
  Add("   function GetValue: string; override;");
  Add("   procedure SetValue(const Value: string); override;");
  if (Dialog) Add("   procedure Edit; override;");
  if (Sub) Add("   procedure GetProperties(Proc: TGetPropEditProc); override;");
  if (Values) Add("   procedure GetValues(Proc: TGetStrProc); override;");
  if (!S.DisplayName.empty()) Add("   function GetName : string; override;");
  Add("end;");
  Add("");

  Line = UnitEndLine(Lines, Line);
  if (Line < 0) return true;
  using TLines = std::vector<std::string>;
  // A method: the lines before "begin" and the body.
  auto Method = [&](const TLines& Head, const TLines& Body) {
    for (const std::string& H : Head) Add(H);
    Add("begin");
    for (const std::string& B : Body) Add(B);
    Add("end;");
    Add("");
  };
  std::string Set;
  for (int I = 0; I < 8; ++I)
    if (S.Attributes[I]) Set += (Set.empty() ? "" : ",") + std::string(PropertyAttributeNames[I]);
  const bool Kind = !S.Kind.empty(), HasDialog = !S.Dialog.empty();
  Method({"// Define the property attributes", Format("function %s.GetAttributes : TPropertyAttributes;", C)},
         {"  result := [" + Set + "];"});
  Method({"// Get the value from the component", Format("function  %s.GetValue: string; ", C)},
         {Kind ? Format("  result := Get%sValue;", S.Kind) : "  // insert get code here"});
  Method({"// Write the value back to the component", Format("procedure %s.SetValue(const Value: string); ", C)},
         {Kind ? Format("  Set%sValue(value);", S.Kind) : "  // insert get code here"});
  if (Dialog) {
    TLines Head = {"// Calls the editor dialog", Format("procedure %s.Edit; ", C)};
    if (HasDialog) Head.insert(Head.end(), {"var", "  dialog : " + S.Dialog + ";"});
    Method(Head, HasDialog ? TLines{Format(" dialog := %s.Create(NIL);", S.Dialog), "  dialog.ShowModal;",
                                    "  dialog.free;"}
                           : TLines{});
  }
  if (Values) {
    TLines Body;
    for (const std::string& Item : S.Items) Body.push_back(Format("   proc('%s');", Item));
    Method({Format("procedure %s.GetValues(Proc: TGetStrProc); ", C)}, Body);
  }
  if (Sub) Method({Format("procedure %s.GetProperties(Proc: TGetPropEditProc); ", C)}, {});
  if (!S.DisplayName.empty())
    Method({Format("   function %s.GetName : string;", C)}, {"  result := '" + S.DisplayName + "';"});
  return true;
}

// ------------------------------------------------------------------ form

TFormVelmoricNewPropertyEditor::TFormVelmoricNewPropertyEditor(TComponent* AOwner) : TForm(AOwner) {
  TTraceProc Trace("TFormVelmoricNewPropertyEditor.Create");
  SetName("FormVelmoricNewPropertyEditor");
  Caption = "New property editor";
  BorderStyle = bsDialog;
  SetBounds((Screen ? Screen->Width - 460 : 0) / 2, (Screen ? Screen->Height - 320 : 0) / 2, 460, 320);

  Panel1 = MakeControl<TPanel>(this, this, "Panel1", 0, 280, 452, 40);
  Panel1->SetAlign(alBottom);
  auto Button = [&](const std::string& Name, const std::string& Caption, int Left) {
    auto* B = MakeControl<TButton>(this, Panel1, Name, Left, 8, 75, 25);
    B->Caption = Caption;
    return B;
  };
  ButtonPrev = Button("ButtonPrev", "Prev", 48);
  ButtonPrev->OnClick = [this](TObject* S) { ButtonPrevClick(S); };
  ButtonNext = Button("ButtonNext", "Next", 128);
  ButtonNext->OnClick = [this](TObject* S) { ButtonNextClick(S); };
  ButtonCreate = Button("ButtonCreate", "Create", 288);
  ButtonCreate->OnClick = [this](TObject* S) { ButtonCreateClick(S); };
  ButtonCancel = Button("ButtonCancel", "Cancel", 368);
  ButtonCancel->Cancel = true;
  ButtonCancel->ModalResult = mrCancel;

  PageControl1 = MakeControl<TPageControl>(this, this, "PageControl1", 0, 0, 452, 280);
  PageControl1->SetAlign(alClient);
  auto Sheet = [&](const std::string& Name, const std::string& Caption) {
    return AddTabSheet(this, PageControl1, Name, Caption);
  };
  auto Label = [&](TWinControl* Parent, const std::string& Name, const std::string& Caption, int Left,
                   int Top) {
    auto* L = MakeControl<TLabel>(this, Parent, Name, Left, Top, 120, 13);
    L->Caption = Caption;
    return L;
  };

  TabSheet1 = Sheet("TabSheet1", "Property editor");
  LabelName = Label(TabSheet1, "LabelName", "Class name", 8, 8);
  EditName = MakeControl<TEdit>(this, TabSheet1, "EditName", 8, 24, 200, 21);
  EditName->SetText("T");
  LabelBaseclass = Label(TabSheet1, "LabelBaseclass", "Ancestor", 224, 8);
  ComboBoxBaseclass = MakeControl<TComboBox>(this, TabSheet1, "ComboBoxBaseclass", 224, 24, 200, 21);
  ComboBoxBaseclass->SetSorted(true);
  LabelType = Label(TabSheet1, "LabelType", "Value access", 8, 48);
  ComboBoxType = MakeControl<TComboBox>(this, TabSheet1, "ComboBoxType", 8, 64, 200, 21);
  for (const char* K : {"Float", "Method", "Ord", "Str", "Var"}) ComboBoxType->Items()->Add(K);
  LabelDisplayName = Label(TabSheet1, "LabelDisplayName", "Display name", 224, 48);
  EditDisplayName = MakeControl<TEdit>(this, TabSheet1, "EditDisplayName", 224, 64, 200, 21);
  LabelAttributes = Label(TabSheet1, "LabelAttributes", "Attributes", 8, 88);
  ListBoxType = MakeControl<TListBox>(this, TabSheet1, "ListBoxType", 8, 104, 200, 140);
  ListBoxType->MultiSelect = true;
  for (const char* A : PropertyAttributeNames) ListBoxType->Items()->Add(A);
  ListBoxType->OnClick = [this](TObject* S) { ListBoxTypeClick(S); };
  Memo1 = MakeControl<TMemo>(this, TabSheet1, "Memo1", 224, 104, 200, 140);
  Memo1->ReadOnly = true;

  TabSheet2 = Sheet("TabSheet2", "Items to display");
  LabelItems = Label(TabSheet2, "LabelItems", "Items to display", 8, 8);
  MemoItems = MakeControl<TMemo>(this, TabSheet2, "MemoItems", 8, 24, 416, 220);
  TabSheet3 = Sheet("TabSheet3", "Dialog to call");
  LabelDialog = Label(TabSheet3, "LabelDialog", "Dialog to call", 8, 8);
  ComboBoxDialog = MakeControl<TComboBox>(this, TabSheet3, "ComboBoxDialog", 8, 24, 200, 21);
  ComboBoxDialog->SetSorted(true);
  TabSheet4 = Sheet("TabSheet4", "Include example source");
  RadioGroupSample = MakeControl<TRadioGroup>(this, TabSheet4, "RadioGroupSample", 8, 8, 200, 80);
  RadioGroupSample->Caption = "Include example source";
  RadioGroupSample->Items()->Add("Sample");
  RadioGroupSample->Items()->Add("Leave blank");
  RadioGroupSample->SetItemIndex(1);
  TabSheet5 = Sheet("TabSheet5", "Create");
  LabelCreate = Label(TabSheet5, "LabelCreate", "Press create to create the property editor", 8, 8);

  OnShow = [this](TObject* S) { FormShow(S); };
  ShowPage(1);
}

void TFormVelmoricNewPropertyEditor::FormShow(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricNewPropertyEditor.FormShow");
  ComboBoxBaseclass->Items()->Clear();
  ComboBoxDialog->Items()->Clear();
  ComboBoxBaseclass->Items()->Add("TPropertyEditor");
  if (Project) {
    TPascalProject* Memory = Project->FMemoryProject ? Project->FMemoryProject : Project;
    auto Base = [&](TOrvikSymbol* C) { return Memory->BaseClassOf(C); };
    TSaveStringList* Units = Project->FUnitLIst;
    for (int I = 0; I < Units->Count(); ++I) {
      auto* Src = static_cast<TPascalSource*>(Units->GetObjects(I));
      if (!Src || !Src->symbols.symbols) continue;
      for (int J = 0; J < Src->symbols.symbols->Count(); ++J) {
        TOrvikSymbol* Cls = Src->symbols.symbols->GetSymbol(J);
        if (!Cls || Cls->Typ != typClass) continue;
        const std::vector<TOrvikSymbol*> Chain = ClassChain(Cls, Base);
        for (size_t K = 1; K < Chain.size(); ++K) {
          const std::string Name = LowerCase(Chain[K]->name);
          TComboBox* Box = Name == "tform" ? ComboBoxDialog : Name == "tpropertyeditor" ? ComboBoxBaseclass : nullptr;
          if (!Box) continue;
          if (Box->Items()->IndexOf(Cls->name) < 0) Box->Items()->Add(Cls->name);
          break;
        }
      }
    }
  }
  ComboBoxBaseclass->SetItemIndex(ComboBoxBaseclass->Items()->IndexOf("TPropertyEditor"));
  ComboBoxBaseclass->SetText("TPropertyEditor");
  ShowPage(1);
}

bool TFormVelmoricNewPropertyEditor::Attribute(int Index) const { return ListBoxType->Selected(Index); }

void TFormVelmoricNewPropertyEditor::ListBoxTypeClick(TObject* Sender) {
  const int I = ListBoxType->ItemIndex();
  if (I >= 0 && I < 8) Memo1->SetText(AttributeDescriptions[I]);
}

int TFormVelmoricNewPropertyEditor::NextPage(int Page) const {
  const bool Shown[6] = {false, true, Attribute(paValueList), Attribute(paDialog), Attribute(paSubProperties), true};
  for (int P = Page + 1; P <= 5; ++P)
    if (Shown[P]) return P;
  return 5;
}

int TFormVelmoricNewPropertyEditor::PrevPage(int Page) const {
  const bool Shown[6] = {false, true, Attribute(paValueList), Attribute(paDialog), Attribute(paSubProperties), true};
  for (int P = Page - 1; P >= 1; --P)
    if (Shown[P]) return P;
  return 1;
}

void TFormVelmoricNewPropertyEditor::ShowPage(int Page) {
  FPage = Page;
  TTabSheet* Pages[5] = {TabSheet1, TabSheet2, TabSheet3, TabSheet4, TabSheet5};
  for (int I = 0; I < 5; ++I) Pages[I]->SetTabVisible(I + 1 == Page);
  PageControl1->SetActivePage(Pages[Page - 1]);
  ButtonPrev->Enabled = Page > 1;
  ButtonNext->Enabled = Page < 5;
}

void TFormVelmoricNewPropertyEditor::ButtonNextClick(TObject* Sender) { ShowPage(NextPage(FPage)); }

void TFormVelmoricNewPropertyEditor::ButtonPrevClick(TObject* Sender) { ShowPage(PrevPage(FPage)); }

TPropertyEditorSpec TFormVelmoricNewPropertyEditor::Spec() const {
  TPropertyEditorSpec S;
  S.ClassName = EditName->Text();
  S.Ancestor = ComboBoxBaseclass->Text();
  S.Kind = ComboBoxType->Text();
  S.Dialog = ComboBoxDialog->Text();
  S.DisplayName = EditDisplayName->Text();
  for (int I = 0; I < 8; ++I) S.Attributes[I] = Attribute(I);
  for (int I = 0; I < MemoItems->Lines()->Count(); ++I) S.Items.push_back(MemoItems->Lines()->Get(I));
  return S;
}

void TFormVelmoricNewPropertyEditor::ButtonCreateClick(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricNewPropertyEditor.ButtonCreateClick");
  const TPropertyEditorSpec S = Spec();
  if (!IsPascalIdentifier(S.ClassName) || S.ClassName == "T" || !IsPascalIdentifier(S.Ancestor)) {
    Application->MessageBox("Enter a class name and an ancestor.", "Velmoric", MB_OK | MB_ICONINFORMATION);
    return;
  }
  if (Lines && GeneratePropertyEditor(*Lines, S))
    if (auto* Editor = dynamic_cast<TEditorStrings*>(Lines)) Editor->SaveToEditor();
  ModalResult = mrOk;
}
