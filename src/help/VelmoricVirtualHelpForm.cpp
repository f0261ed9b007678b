// The help window of VelmoricVirtualHelp.
#include <algorithm>
#include <set>
#include <tuple>

#include "help/VelmoricCreateTable.h"
#include "help/VelmoricFormatBar.h"
#include "help/VelmoricRTFUtil.h"
#include "help/VelmoricVHManualCreate.h"
#include "help/VelmoricVirtualHelp.h"
#include "help/VelmoricVirtualHelpIndex.h"
#include "help/VelmoricVirtualHelpProperty.h"
#include "ide/VelmoricAmbuingity.h"
#include "ide/VelmoricWizard.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/FormBuilding.h"
#include "project/VelmoricPascalCoco.h"
#include "project/VelmoricPascalProject.h"
#include "scanner/VelmoricSymbols.h"
#include "trace/traceletVelmoric.h"

namespace {

void Write(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

constexpr int MaxAncestors = 64;

template <typename T>
T* Make(TComponent* Owner, TWinControl* Parent, const char* Name) {
  T* C = new T(Owner);
  C->SetName(Name);
  C->SetParent(Parent);
  return C;
}

}  // namespace

TFormVelmoricVirtualHelp* FormVelmoricVirtualHelp = nullptr;

TFormVelmoricVirtualHelp::TFormVelmoricVirtualHelp(TComponent* AOwner) : TForm(AOwner) {
  TTraceProc Trace("TFormVelmoricVirtualHelp.FormCreate");
  SetName("FormVelmoricVirtualHelp");
  Caption = "virtual help";
  SetBounds(Left(), Top(), 560, 480);
  PanelLabels = Make<TPanel>(this, this, "PanelLabels");
  PanelLabels->SetAlign(alTop);
  PanelLabels->SetHeight(22);
  PanelButtons = Make<TPanel>(this, this, "PanelButtons");
  PanelButtons->SetAlign(alBottom);
  PanelButtons->SetHeight(30);
  PanelFormat = Make<TPanel>(this, this, "PanelFormat");
  PanelFormat->SetAlign(alTop);
  PanelFormat->SetHeight(26);
  PanelFormat->Hide();
  RichEditHeader = Make<TRichEdit>(this, this, "RichEditHeader");
  RichEditHeader->SetAlign(alTop);
  RichEditHeader->SetHeight(90);
  RichEditHeader->ReadOnly = true;
  Panel2 = Make<TPanel>(this, this, "Panel2");
  Panel2->SetAlign(alClient);
  RichEditText = Make<TRichEdit>(this, Panel2, "RichEditText");
  RichEditText->SetAlign(alClient);
  RichEditText->ScrollBars = ssBoth;
  RichEditText->OnChange = [this](TObject* S) { RichEditTextChange(S); };
  RichEditText->OnSelectionChange = [this](TObject* S) { RichEditTextSelectionChange(S); };
  RichEditClip = Make<TRichEdit>(this, this, "RichEditClip");
  RichEditClip->Hide();
  RichEditClip2 = Make<TRichEdit>(this, this, "RichEditClip2");
  RichEditClip2->Hide();

  ButtonSave = Make<TButton>(this, PanelButtons, "ButtonSave");
  ButtonSave->Caption = "Save";
  ButtonSave->SetBounds(4, 3, 75, 25);
  ButtonSave->OnClick = [this](TObject* S) { ButtonSaveClick(S); };
  ButtonIndex = Make<TButton>(this, PanelButtons, "ButtonIndex");
  ButtonIndex->Caption = "Index";
  ButtonIndex->SetBounds(84, 3, 75, 25);
  ButtonIndex->OnClick = [this](TObject* S) { ButtonIndexClick(S); };
  CheckBoxUpdateSource = Make<TCheckBox>(this, PanelButtons, "CheckBoxUpdateSource");
  CheckBoxUpdateSource->Caption = "Update source code";
  CheckBoxUpdateSource->Enabled = false;
  CheckBoxUpdateSource->SetBounds(170, 6, 130, 17);
  CheckBoxUpdateManual = Make<TCheckBox>(this, PanelButtons, "CheckBoxUpdateManual");
  CheckBoxUpdateManual->Caption = "Update manual page";
  CheckBoxUpdateManual->Checked = true;
  CheckBoxUpdateManual->SetBounds(310, 6, 130, 17);

  FormatBar = std::make_unique<TVelmoricFormatBar>(this, PanelFormat, RichEditText);
  ButtonHidePanel = Make<TButton>(this, PanelFormat, "ButtonHidePanel");
  ButtonHidePanel->Caption = "Hide panel";
  ButtonHidePanel->SetBounds(384, 1, 75, 23);
  ButtonHidePanel->OnClick = [this](TObject*) { PanelFormat->Hide(); };

  // The window's File menu: Create Documentation, Unit or Class.
  MenuFile = new TPopupMenu(this);
  MenuFile->SetName("MenuFile");
  auto* Create = AddMenuItem(MenuFile, "MenuCreateDoc", "Create Documentation", nullptr);
  for (auto [Name, Caption, Click] :
       {std::tuple{"MenuCreateDocUnit", "Unit", &TFormVelmoricVirtualHelp::MenuCreateDocUnitClick},
        std::tuple{"MenuCreateDocClass", "Class", &TFormVelmoricVirtualHelp::MenuCreateDocClassClick}}) {
    auto* Item = new TMenuItem(this);
    Item->SetName(Name);
    Item->Caption = Caption;
    Item->OnClick = [this, Click = Click](TObject* S) { (this->*Click)(S); };
    Create->Add(Item);
  }
  SetPopupMenu(MenuFile);

  OnShow = [this](TObject* S) { FormShow(S); };
  // Closing frees the window.
  OnClose = [](TObject*, TCloseAction& Action) { Action = caFree; };
}

TFormVelmoricVirtualHelp::~TFormVelmoricVirtualHelp() {
  TTraceProc Trace("TFormVelmoricVirtualHelp.FormDestroy");
  BeginDestroy();
  if (FormVelmoricVirtualHelp == this) FormVelmoricVirtualHelp = nullptr;
  try {
    Store.Close();
  } catch (const Exception& E) {
    Write("close table: " + E.Message());
  }
  delete NameIndex;
  if (FOwnsProject) delete FMemoryProject;
}

void TFormVelmoricVirtualHelp::FormShow(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricVirtualHelp.FormShow");
  if (!FMemoryProject) {
    FMemoryProject = new TPascalProject;
    FOwnsProject = true;
  }
  if (Store.Active()) return;
  Write("open table");
  std::string Error;
  if (Store.Open(Error)) {
    Write("open table ok");
    // A page shown before the table was open may have a stored body.
    if (helpsymbol && helpsymbol->Typ != typUnit) LoadRichText(helpsymbol);
    return;
  }
  Write(Error);
  TMessageBoxRequest Ask;
  Ask.Caption = "Velmoric virtual help";
  Ask.Text = "Could not open the table \r\nDo you like to create the tables? (make shure you have an VELMORIC alias)";
  Ask.DlgType = mtConfirmation;
  Ask.Buttons = MsgDlgButton(mbYes) | MsgDlgButton(mbNo);
  if (ShowMessageBox(Ask) != mrYes) return;
  try {
    CreateDataFiles();
    if (!Store.Open(Error)) throw EDatabaseError(Error);
    if (helpsymbol && helpsymbol->Typ != typUnit) LoadRichText(helpsymbol);
  } catch (const Exception& E) {
    Write(E.Message());
    TMessageBoxRequest Fail;
    Fail.Caption = "Velmoric virtual help";
    Fail.Text = "Unable to create tables";
    Fail.DlgType = mtError;
    ShowMessageBox(Fail);
  }
}

void TFormVelmoricVirtualHelp::ClearLists() {
  for (auto* L : {&Hierarchy, &Methods, &UnlistedMethods, &Properties, &Events, &Variables, &Abstract, &Overwrite,
                  &SeeAlso, &UnitSymbols})
    L->clear();
}

void TFormVelmoricVirtualHelp::UpdateHelpWindow(TOrvikSymbol* Symbol) {
  TTraceProc Trace("TFormVelmoricVirtualHelp.UpdateHelpWindow");
  if (!Symbol) return;
  helpsymbol = Symbol;
  Caption = "virtual help " + NameOfSymbol(Symbol);
  CheckBoxUpdateSource->Enabled = CanUpdateSource(Symbol);
  if (!CheckBoxUpdateSource->Enabled) CheckBoxUpdateSource->Checked = false;
  FUpdating = true;
  RichEditText->Clear();
  RichEditHeader->Clear();
  FUpdating = false;
  ClearLists();
  switch (Symbol->Typ) {
    case typUnit: UpdateHelpUnit(Symbol); break;
    case typProcedure: UpdateHelpProcedure(Symbol); break;
    case typClass: UpdateHelpClass(Symbol); break;
    case typVar: UpdateHelpVar(Symbol); break;
    case typProperty: UpdateHelpProperty(Symbol); break;
    default: ClearLabels(Symbol); break;
  }
}

void TFormVelmoricVirtualHelp::LoadHeader(TStrings& Lines) {
  TStringStream Stream(Lines.GetText());
  RichEditHeader->Lines()->LoadFromStream(Stream);
}

void TFormVelmoricVirtualHelp::LoadRichText(TOrvikSymbol* Symbol) {
  TTraceProc Trace("TFormVelmoricVirtualHelp.LoadRichText");
  const std::string Body = HelpBody(Symbol, Store.Active() ? &Store : nullptr);
  FUpdating = true;
  RichEditText->SetRtfText(Body);
  FUpdating = false;
}

void TFormVelmoricVirtualHelp::UpdateHelpUnit(TOrvikSymbol* Symbol) {
  TTraceProc Trace("TFormVelmoricVirtualHelp.UpdateHelpUnit");
  ClearLabels(Symbol);
  TStringList Lines;
  CreateUnitPage(Symbol, Lines);
  if (Symbol->symbols)
    for (int I = 0; I < Symbol->symbols->Count(); ++I) UnitSymbols.push_back(Symbol->symbols->GetSymbol(I));
  AddLabel(UnitSymbols, "unit");
  FUpdating = true;
  RichEditText->SetRtfText(Lines.GetText());
  FUpdating = false;
}

void TFormVelmoricVirtualHelp::UpdateHelpProcedure(TOrvikSymbol* Symbol) {
  TTraceProc Trace("TFormVelmoricVirtualHelp.UpdateHelpProcedure");
  ClearLabels(Symbol);
  TStringList Lines;
  CreateHelpHeader(Symbol, FMemoryProject, Lines, &SeeAlso);
  LoadHeader(Lines);
  LoadRichText(Symbol);
  AddClassLabel();
  AddLabel(SeeAlso, "See also");
}

void TFormVelmoricVirtualHelp::UpdateHelpClass(TOrvikSymbol* Symbol) {
  TTraceProc Trace("TFormVelmoricVirtualHelp.UpdateHelpClass");
  ClearLabels(Symbol);
  std::set<TOrvikSymbol*> Seen;
  for (TOrvikSymbol* C = Symbol; C && Seen.insert(C).second && static_cast<int>(Seen.size()) <= MaxAncestors;
       C = (FMemoryProject && !C->Ancestor().empty()) ? FMemoryProject->FindSymbol(C->Ancestor(), typClass) : nullptr) {
    Hierarchy.push_back(C);
    if (!C->symbols) continue;
    for (int I = 0; I < C->symbols->Count(); ++I) {
      TOrvikSymbol* M = C->symbols->GetSymbol(I);
      if (M->Typ == typProcedure) {
        ((M->Bereich == tPublic || M->Bereich == tPublished) ? Methods : UnlistedMethods).push_back(M);
        if (M->Options.Contains(tAbstract)) Abstract.push_back(M);
        if (M->Options.Contains(tOverride) || M->Options.Contains(tVirtual)) Overwrite.push_back(M);
      } else if (M->Typ == typVar) {
        Variables.push_back(M);
      } else if (M->Typ == typProperty && (!M->ReadAccess().empty() || !M->WriteAccess().empty())) {
        TOrvikSymbol* T = FindVartype(FMemoryProject, M->TypeName);
        const std::string Text = T ? LowerCase(T->TypeName) : std::string();
        const bool IsEvent = Text.find("procedure") != std::string::npos || Text.find("function") != std::string::npos;
        (IsEvent ? Events : Properties).push_back(M);
      }
    }
  }
  TStringList Lines;
  CreateHelpHeader(Symbol, FMemoryProject, Lines);
  LoadHeader(Lines);
  LoadRichText(Symbol);
  AddLabel(Hierarchy, "Hirarchie");
  AddLabel(Properties, "Properties");
  AddLabel(Methods, "Methods");
  AddLabel(Events, "Events");
  AddLabel(Variables, "Variables");
  AddLabel(Abstract, "Abstract");
  AddLabel(Overwrite, "Overwrite");
}

void TFormVelmoricVirtualHelp::UpdateHelpVar(TOrvikSymbol* Symbol) {
  TTraceProc Trace("TFormVelmoricVirtualHelp.UpdateHelpVar");
  ClearLabels(Symbol);
  TStringList Lines;
  CreateHelpHeader(Symbol, FMemoryProject, Lines, &SeeAlso);
  LoadHeader(Lines);
  LoadRichText(Symbol);
  // The owner class and its ancestors.
  std::set<TOrvikSymbol*> Seen;
  for (TOrvikSymbol* C = Symbol->Parent; C && C->Typ == typClass && Seen.insert(C).second &&
                                         static_cast<int>(Seen.size()) <= MaxAncestors;
       C = (FMemoryProject && !C->Ancestor().empty()) ? FMemoryProject->FindSymbol(C->Ancestor(), typClass) : nullptr)
    Hierarchy.push_back(C);
  AddClassLabel();
  AddLabel(Hierarchy, "Hirarchie");
  AddLabel(SeeAlso, "See also");
}

void TFormVelmoricVirtualHelp::UpdateHelpProperty(TOrvikSymbol* Symbol) {
  TTraceProc Trace("TFormVelmoricVirtualHelp.UpdateHelpProperty");
  UpdateHelpVar(Symbol);
}

void TFormVelmoricVirtualHelp::ClearLabels(TOrvikSymbol* Symbol) {
  TTraceProc Trace("TFormVelmoricVirtualHelp.ClearLabels");
  // A label may be clearing the labels from its own click: the labels go
  // away one page later.
  for (TLabel* L : FOldLabels) delete L;
  FOldLabels = FLabels;
  for (TLabel* L : FOldLabels) L->Hide();
  FLabels.clear();
  FLabelLists.clear();
  TOrvikSymbol* Unit = nullptr;
  for (TOrvikSymbol* S = Symbol ? Symbol->Parent : nullptr; S; S = S->Parent)
    if (S->Typ == typUnit) Unit = S;
  if (!Unit) return;
  auto* L = new TLabel(this);
  L->SetParent(PanelLabels);
  L->Caption = Unit->name + ".pas";
  L->Font.Color = 0x8000;
  L->SetBounds(0, 3, 6 * static_cast<int>(L->Caption.size()), 13);
  L->OnClick = [this, Unit](TObject*) { UpdateHelpWindow(Unit); };
  FLabels.push_back(L);
  FLabelLists.push_back(nullptr);
}

namespace {
int NextLeft(const std::vector<TLabel*>& Labels) {
  return Labels.empty() ? 0 : Labels.back()->Left() + Labels.back()->Width() + 20;
}
}  // namespace

void TFormVelmoricVirtualHelp::AddClassLabel() {
  TTraceProc Trace("TFormVelmoricVirtualHelp.AddClassLabel");
  TOrvikSymbol* Owner = helpsymbol ? helpsymbol->Parent : nullptr;
  if (!Owner) return;
  auto* L = new TLabel(this);
  L->SetParent(PanelLabels);
  L->Caption = Owner->name;
  L->Font.Color = 0x8000;
  L->SetBounds(NextLeft(FLabels), 3, 6 * static_cast<int>(L->Caption.size()), 13);
  L->OnClick = [this, Owner](TObject*) { UpdateHelpWindow(Owner); };
  FLabels.push_back(L);
  FLabelLists.push_back(nullptr);
}

void TFormVelmoricVirtualHelp::AddLabel(const std::vector<TOrvikSymbol*>& List, const std::string& Caption) {
  TTraceProc Trace([&] { return "TFormVelmoricVirtualHelp.AddLabel(" + Caption + ")"; });
  if (List.empty()) return;
  auto* L = new TLabel(this);
  L->SetParent(PanelLabels);
  L->Caption = Caption;
  L->Font.Color = 0x8000;
  L->SetBounds(NextLeft(FLabels), 3, 6 * static_cast<int>(Caption.size()), 13);
  const std::vector<TOrvikSymbol*>* Target = &List;
  L->OnClick = [this, Target](TObject*) { ShowMembers(Target); };
  FLabels.push_back(L);
  FLabelLists.push_back(Target);
}

void TFormVelmoricVirtualHelp::ShowMembers(const std::vector<TOrvikSymbol*>* List) {
  TTraceProc Trace("TFormVelmoricVirtualHelp.ShowMembers");
  if (!FormProperty) {
    FormProperty = new TFormVelmoricVirtualHelpProperty(this);
    FormProperty->ShowSymbol = [this](TOrvikSymbol* S) { UpdateHelpWindow(S); };
  }
  // The window keeps its own copy: the lists change with the next page.
  FormProperty->ShowList(*List, true);
  FormProperty->Show();
}

TOrvikSymbol* TFormVelmoricVirtualHelp::GetFromMemoryProject(TOrvikSymbol* Symbol) {
  TTraceProc Trace("TFormVelmoricVirtualHelp.GetFromMemoryProject");
  if (!Symbol || !FMemoryProject || !FMemoryProject->FUnitLIst) return Symbol;
  std::vector<TOrvikSymbol*> Chain;
  for (TOrvikSymbol* S = Symbol; S; S = S->Parent) Chain.push_back(S);
  const int I = FMemoryProject->FUnitLIst->IndexOf(TPascalProject::UnitKey(Chain.back()->name));
  if (I < 0) return Symbol;
  auto* Source = static_cast<TPascalSource*>(FMemoryProject->FUnitLIst->GetObjects(I));
  TOrvikSymbol* At = &Source->symbols;
  for (int K = static_cast<int>(Chain.size()) - 2; K >= 0; --K) {
    Write("looking for symbol " + Chain[K]->name);
    TOrvikSymbol* Next = nullptr;
    if (At->symbols)
      for (int J = 0; J < At->symbols->Count() && !Next; ++J)
        if (SameText(At->symbols->GetSymbol(J)->name, Chain[K]->name)) Next = At->symbols->GetSymbol(J);
    if (!Next) break;
    At = Next;
    Write("found : " + At->name);
  }
  return At;
}

void TFormVelmoricVirtualHelp::GetSymbolFromCursor() {
  TTraceProc Trace("TFormVelmoricVirtualHelp.GetSymbolFromCursor");
  TVelmoricWizard* Expert = TheVelmoricFairy;
  if (!Expert) return;
  bool Got = false;
  try {
    Got = Expert->GetCompiledEditor();
    if (Got) {
      TFindSymbol Find;
      std::string Word;
      Expert->Source->GetSymbolFromCursor(&Find, Word);
      if (Find.Symbol) {
        UpdateHelpWindow(GetFromMemoryProject(Find.Symbol));
      } else {
        TFormVelmoricAmbuingity Dialog(nullptr);
        Dialog.Word = Word;
        Dialog.Project = Expert->Project;
        Dialog.ShowModal();
        if (Dialog.Selected) UpdateHelpWindow(Dialog.Selected);
      }
    }
  } catch (const Exception& E) {
    Write(E.Message());
    TMessageBoxRequest Fail;
    Fail.Caption = "Error";
    Fail.Text = "GetSymbolFromCursor failed";
    Fail.DlgType = mtError;
    ShowMessageBox(Fail);
  }
  if (Got) {
    Expert->ReleaseEditor();
    FreeAndNil(Expert->CompileProject);
  }
}

bool TFormVelmoricVirtualHelp::HelpAvailable(TOrvikSymbol* Symbol) {
  return ::HelpAvailable(Symbol, Store.Active() ? &Store : nullptr);
}

void TFormVelmoricVirtualHelp::ButtonSaveClick(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricVirtualHelp.ButtonSaveClick");
  if (!helpsymbol) return;
  if (CheckBoxUpdateSource->Checked && CheckBoxUpdateSource->Enabled) SaveIntoSource();
  if (CheckBoxUpdateManual->Checked && Store.Active()) {
    const std::string Owner = helpsymbol->Parent ? NameOfSymbol(helpsymbol->Parent) : std::string();
    Store.SavePage(NameOfSymbol(helpsymbol), Owner, RichEditText->RtfText());
  }
}

TPascalSource* TFormVelmoricVirtualHelp::SourceOf(TOrvikSymbol* Symbol) const {
  while (Symbol && Symbol->Parent) Symbol = Symbol->Parent;
  if (!Symbol) return nullptr;
  if (Symbol->Source) return Symbol->Source;
  if (FMemoryProject && FMemoryProject->FUnitLIst)
    for (int I = 0; I < FMemoryProject->FUnitLIst->Count(); ++I) {
      auto* S = static_cast<TPascalSource*>(FMemoryProject->FUnitLIst->GetObjects(I));
      if (S && &S->symbols == Symbol) return S;
    }
  return nullptr;
}

bool TFormVelmoricVirtualHelp::CanUpdateSource(TOrvikSymbol* Symbol) const {
  // The source modifier rewrites the comments of procedures and variables.
  return Symbol && (Symbol->Typ == typProcedure || Symbol->Typ == typVar) && Symbol->Line > 0 && SourceOf(Symbol);
}

void TFormVelmoricVirtualHelp::SaveIntoSource() {
  TTraceProc Trace("TFormVelmoricVirtualHelp.SaveIntoSource");
  std::string Text = RichEditText->Document().VisibleText();
  while (!Text.empty() && (Text.back() == '\n' || Text.back() == '\r' || Text.back() == ' ')) Text.pop_back();
  // A variable's comment stands behind its declaration: one line.
  if (helpsymbol->Typ == typVar) {
    std::string Line;
    for (char C : Text) Line += (C == '\r' || C == '\n') ? ' ' : C;
    Text = Line;
  }
  helpsymbol->Comment = Text;
  TPascalCoco Coco(SourceOf(helpsymbol));
  Coco.InsertSymbol(helpsymbol);
}

void TFormVelmoricVirtualHelp::ButtonIndexClick(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricVirtualHelp.ButtonIndexClick");
  if (!FMemoryProject) throw EAbort("no project for the index");
  if (!NameIndex) {
    NameIndex = new TStringList;
    NameIndex->SetSorted(true);
    NameIndex->SetDuplicates(dupIgnore);
    std::vector<TOrvikSymbol*> Stack;
    if (FMemoryProject->FUnitLIst)
      for (int I = 0; I < FMemoryProject->FUnitLIst->Count(); ++I)
        if (auto* S = static_cast<TPascalSource*>(FMemoryProject->FUnitLIst->GetObjects(I))) Stack.push_back(&S->symbols);
    while (!Stack.empty()) {
      TOrvikSymbol* S = Stack.back();
      Stack.pop_back();
      if (!S->symbols) continue;
      for (int I = 0; I < S->symbols->Count(); ++I) {
        TOrvikSymbol* C = S->symbols->GetSymbol(I);
        NameIndex->AddObject(C->name, C);
        Stack.push_back(C);
      }
    }
  }
  if (!FormIndex) {
    FormIndex = new TFormVirtualHelpIndex(this);
    FormIndex->ShowSymbol = [this](TOrvikSymbol* S) { UpdateHelpWindow(S); };
  }
  FormIndex->Project = FMemoryProject;
  FormIndex->ListBoxList->Items()->Assign(*NameIndex);
  FormIndex->ShowModal();
}

void TFormVelmoricVirtualHelp::RichEditTextChange(TObject* Sender) {
  if (!FUpdating) PanelFormat->Show();
}

void TFormVelmoricVirtualHelp::RichEditTextSelectionChange(TObject* Sender) {
  if (!FUpdating) FormatBar->SelectionChanged();
}

// ------------------------------------------------------ document creation

namespace {

const char* const TimesHeader =
    "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans Serif;}{\\f1\\froman\\fcharset2 Symbol;}"
    "{\\f2\\froman Times New Roman;}}";
const char* const BlackOnly = "{\\colortbl\\red0\\green0\\blue0;}";

}  // namespace

void TFormVelmoricVirtualHelp::ClipNewLine() {
  const TRichTextDocument& D = RichEditClip->Document();
  RichEditClip->SetSelStart(RichEditClip->GetTextLen());
  if (!D.Empty() && D.Paragraph(D.ParagraphCount() - 1).Length() > 0) RichEditClip->SetSelText("\r\n");
}

void TFormVelmoricVirtualHelp::CopyRichEdit(TRichEdit& Source) {
  TTraceProc Trace("TFormVelmoricVirtualHelp.CopyRichEdit");
  int Length = 0;
  for (int I = 0; I < Source.Lines()->Count(); ++I) Length += static_cast<int>(Source.Lines()->Get(I).size()) + 2;
  if (Length == 0) return;
  Source.Select(0, Length);
  Source.CopyToClipboard();
  ClipNewLine();
  RichEditClip->PasteFromClipboard();
  RichEditClip->SetSelStart(RichEditClip->GetTextLen());
}

void TFormVelmoricVirtualHelp::PasteHeader(int Tag) {
  TTraceProc Trace("TFormVelmoricVirtualHelp.PasteHeader");
  ClipNewLine();
  RichEditClip->SetSelText(TVelmoricRTF::GetSpecialTag(Tag) + "\r\n");
  CopyRichEdit(*RichEditHeader);
}

void TFormVelmoricVirtualHelp::PasteText() {
  TTraceProc Trace("TFormVelmoricVirtualHelp.PasteText");
  CopyRichEdit(*RichEditText);
}

void TFormVelmoricVirtualHelp::PasteBlock(TStrings& Lines) {
  TStringStream Stream(Lines.GetText());
  RichEditClip2->Lines()->LoadFromStream(Stream);
  CopyRichEdit(*RichEditClip2);
}

bool TFormVelmoricVirtualHelp::StartDocument() {
  TTraceProc Trace("TFormVelmoricVirtualHelp.StartDocument");
  if (!FormManual) FormManual = new TFormVelmoricManualCreate(this);
  FormManual->Project = FMemoryProject;
  if (FormManual->ShowModal() != mrOk) return false;
  CreatingDocument = true;
  TStringList Start;
  FormManual->RTF.CopyStart(Start);
  RichEditClip->Clear();
  if (Start.Count() > 0) TVelmoricRTF::CopyLinesToControl(Start, *RichEditClip);
  return true;
}

void TFormVelmoricVirtualHelp::CreateDocForClass() {
  TTraceProc Trace("TFormVelmoricVirtualHelp.CreateDocForClass");
  TOrvikSymbol* Cls = helpsymbol;
  if (!Cls) return;
  struct TNamedList {
    const char* Caption;
    std::vector<TOrvikSymbol*> TFormVelmoricVirtualHelp::*List;
  };
  const TNamedList Six[] = {{"Properties", &TFormVelmoricVirtualHelp::Properties},
                            {"Methods", &TFormVelmoricVirtualHelp::Methods},
                            {"Variables", &TFormVelmoricVirtualHelp::Variables},
                            {"Overwrite", &TFormVelmoricVirtualHelp::Overwrite},
                            {"Abstract", &TFormVelmoricVirtualHelp::Abstract},
                            {"See also", &TFormVelmoricVirtualHelp::SeeAlso}};
  // The class's own lists: every page shown below refills them.
  std::vector<std::vector<TOrvikSymbol*>> ClassLists;
  for (const TNamedList& N : Six) ClassLists.push_back(this->*N.List);

  PasteHeader(3);
  PasteText();
  std::vector<TOrvikSymbol*> Members = ClassLists[0];
  Members.insert(Members.end(), ClassLists[1].begin(), ClassLists[1].end());
  for (TOrvikSymbol* M : Members) {
    if (!M->Parent || M->Parent->Typ != typClass || !HelpAvailable(M)) continue;
    UpdateHelpWindow(M);
    if (M->Typ == typProcedure || M->Typ == typVar) {
      PasteHeader(4);
    } else if (M->Typ == typUnit) {
      PasteHeader(2);
    } else {
      CopyRichEdit(*RichEditHeader);
    }
    TStringList Block;
    Block.Add(TimesHeader);
    Block.Add(BlackOnly);
    std::string Links;
    for (const TNamedList& N : Six)
      if (!(this->*N.List).empty())
        Links += std::string("/link[") + N.Caption + "<" + N.Caption + "_" + M->Parent->name + ">property]  ";
    Block.Add(Links);
    Block.Add("\\pard\\plain\\s1\\keepn");
    Block.Add("\\plain");
    Block.Add("\\par \\fs3 }");
    PasteBlock(Block);
    PasteText();
  }
  if (!FormManual || !FormManual->MakeHelp) return;
  TStringList Block;
  Block.Add(TimesHeader);
  Block.Add(BlackOnly);
  for (size_t I = 0; I < std::size(Six); ++I) {
    if (ClassLists[I].empty()) continue;
    const std::string Caption = Six[I].Caption;
    Block.Add("\\pard\\plain\\s1 ");
    Block.Add("\\par " + TVelmoricRTF::GetSpecialTag(4));
    Block.Add("\\par " + Caption + "<" + Caption + "_" + Cls->name);
    std::string Previous;
    for (TOrvikSymbol* M : ClassLists[I]) {
      const std::string Owner = M->Parent ? M->Parent->name : std::string();
      if (Owner != Previous) Block.Add("\\par {\\ul " + Owner + "}");
      Previous = Owner;
      if (HelpAvailable(M)) Block.Add("\\par /link[" + M->name + "<" + Owner + "_" + M->name + ">main]");
    }
  }
  Block.Add("\\par }");
  PasteBlock(Block);
}

void TFormVelmoricVirtualHelp::CreateDocForUnit() {
  TTraceProc Trace("TFormVelmoricVirtualHelp.CreateDocForUnit");
  std::vector<std::string> Files;
  if (FormManual)
    for (int I = 0; I < FormManual->Units.Count(); ++I) Files.push_back(FormManual->Units[I]);
  if (Files.empty() && helpsymbol) {
    TOrvikSymbol* Unit = helpsymbol;
    while (Unit->Parent) Unit = Unit->Parent;
    if (Unit->Source) Files.push_back(Unit->Source->FileName);
  }
  if (!FMemoryProject || !FMemoryProject->FUnitLIst) return;
  for (const std::string& File : Files) {
    for (int I = 0; I < FMemoryProject->FUnitLIst->Count(); ++I) {
      auto* Source = static_cast<TPascalSource*>(FMemoryProject->FUnitLIst->GetObjects(I));
      if (!Source || !SameText(Source->FileName, File)) continue;
      UpdateHelpWindow(&Source->symbols);
      PasteHeader(3);
      PasteText();
      std::vector<TOrvikSymbol*> Classes;
      for (TOrvikSymbol* S : UnitSymbols)
        if (S->Typ == typClass) Classes.push_back(S);
      for (TOrvikSymbol* C : Classes) {
        UpdateHelpWindow(C);
        CreateDocForClass();
      }
    }
  }
}

bool TFormVelmoricVirtualHelp::FinishDocument(const std::vector<std::string>& UnitNames) {
  TTraceProc Trace("TFormVelmoricVirtualHelp.FinishDocument");
  TSaveDialog Dialog(nullptr);
  Dialog.Filter = "rich text|*.rtf";
  Dialog.DefaultExt = "RTF";
  if (!Dialog.Execute() || Dialog.FileName.empty()) {
    CreatingDocument = false;
    return false;
  }
  TStringList Block;
  Block.Add(TimesHeader);
  Block.Add(BlackOnly);
  Block.Add("\\par " + TVelmoricRTF::GetSpecialTag(3));
  Block.Add("\\par " + TVelmoricRTF::GetSpecialTag(1));
  for (const std::string& U : UnitNames) Block.Add("\\par /link[" + U + "<unit_" + U + ">main]");
  Block.Add("\\par }");
  PasteBlock(Block);
  if (!FormManual) FormManual = new TFormVelmoricManualCreate(this);
  const bool Help = FormManual->MakeHelp;
  FormManual->RTF.SaveFileWithPostProcess(*RichEditClip, Dialog.FileName, Help);
  if (Help) {
    const std::string& Out = Dialog.FileName;
    TStringList Hpj;
    for (const char* L : {"[OPTIONS]", "ERRORLOG=test.ERR", "COMPRESS=0x0", "LCID=0x0409 0x0 0x0",
                          "CONTENTS=Contents", "TITLE=Virtual help project", "COPYRIGHT=Copyright \xa9Virtual Help", "",
                          "[WINDOWS]", "main=\"\",(226,17,606,486),0,,(r12632256)",
                          "property=\"properties\",(5,9,181,428),0,(r16776960),", "", "[FILES]"})
      Hpj.Add(L);
    Hpj.Add(Out);
    Hpj.SaveToFile(Copy(Out, 1, static_cast<int>(Out.size()) - 4) + ".hpj");
  }
  CreatingDocument = false;
  return true;
}

namespace {

// Lower-cased file names without ".pas" of the units documented.
std::vector<std::string> UnitNamesOf(const std::vector<std::string>& Files) {
  std::vector<std::string> Names;
  for (const std::string& F : Files) {
    std::string N = LowerCase(ExtractFileName(F));
    if (N.size() > 4 && N.compare(N.size() - 4, 4, ".pas") == 0) N.resize(N.size() - 4);
    Names.push_back(N);
  }
  return Names;
}

}  // namespace

void TFormVelmoricVirtualHelp::MenuCreateDocClassClick(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricVirtualHelp.MenuCreateDocClassClick");
  if (!helpsymbol || !StartDocument()) return;
  CreateDocForClass();
  std::vector<std::string> Files;
  for (int I = 0; I < FormManual->Units.Count(); ++I) Files.push_back(FormManual->Units[I]);
  FinishDocument(UnitNamesOf(Files));
}

void TFormVelmoricVirtualHelp::MenuCreateDocUnitClick(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricVirtualHelp.MenuCreateDocUnitClick");
  if (!StartDocument()) return;
  std::vector<std::string> Files;
  for (int I = 0; I < FormManual->Units.Count(); ++I) Files.push_back(FormManual->Units[I]);
  CreateDocForUnit();
  FinishDocument(UnitNamesOf(Files));
}
