// The class wizard: the form, the lists, grids, tabs, buttons and sorting.
#include "browsers/VelmoricInheritance.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "ide/VelmoricWizard.h"
#include "platform/vcl/FormBuilding.h"
#include "project/VelmoricPascalProject.h"
#include "project/VelmoricSymbolStore.h"
#include "trace/traceletVelmoric.h"
#include "wizards/VelmoricNewProcedure.h"
#include "wizards/VelmoricNewPropertyEditor.h"

namespace {

void Write(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

std::string ParentName(const TOrvikSymbol* S) { return S->Parent ? std::string(S->Parent->name) : std::string(); }

std::string KindText(const TOrvikSymbol* S) {
  std::string T;
  ProcTypToString(S->ProcTyp, T);
  return T;
}

// The scope word followed by " virtual", " abstract", " override" as present.
std::string ScopeText(const TOrvikSymbol* S) {
  std::string T;
  BereichTokenTypeToString(S->Bereich, T);
  if (S->Options.Contains(tVirtual)) T += " virtual";
  if (S->Options.Contains(tAbstract)) T += " abstract";
  if (S->Options.Contains(tOverride)) T += " override";
  return T;
}

std::string ScopeWord(const TOrvikSymbol* S) {
  std::string T;
  BereichTokenTypeToString(S->Bereich, T);
  return T;
}

// One column of a grid: its header and the text of an item's cell.
struct TColumn {
  const char* Header;
  std::function<std::string(const TOrvikSymbol*)> Text;
};

const TColumn ProcedureColumns[] = {{"Type", KindText},
                                    {"Scope", ScopeText},
                                    {"Name", [](const TOrvikSymbol* S) { return std::string(S->name); }},
                                    {"Class", ParentName}};

// Row r >= 1 shows item r - 1; rows beyond the list are empty.
void BindGrid(TDrawGrid* Grid, std::vector<TColumn> Columns, std::function<TOrvikSymbol*(int)> Item) {
  Grid->SetColCount(static_cast<int>(Columns.size()));
  Grid->OnDrawCell = [Grid, Columns = std::move(Columns), Item = std::move(Item)](
                         TObject*, int Col, int Row, const TRect& Rect, TGridDrawState) {
    if (Col >= static_cast<int>(Columns.size())) return;
    std::string Text;
    if (Row == 0) {
      Text = Columns[Col].Header;
    } else if (const TOrvikSymbol* S = Item(Row - 1)) {
      Text = Columns[Col].Text(S);
    }
    if (!Text.empty()) Grid->Canvas()->TextRect(Rect, Rect.Left + 2, Rect.Top + 2, Text);
  };
}

std::function<TOrvikSymbol*(int)> ItemsOf(TSaveList* const& List) {
  return [&List](int I) { return I < List->Count() ? static_cast<TOrvikSymbol*>(List->Get(I)) : nullptr; };
}

std::function<TOrvikSymbol*(int)> ItemsOf(TSaveStringList* const& List) {
  return [&List](int I) { return I < List->Count() ? static_cast<TOrvikSymbol*>(List->GetObjects(I)) : nullptr; };
}

// Selection sort: the smallest remaining element goes to each position in
// turn; of equal elements the earlier one stays first.
void SelectionSort(int Count, const std::function<int(int, int)>& Compare,
                   const std::function<void(int, int)>& Swap) {
  for (int I = 0; I < Count; ++I) {
    int Min = I;
    for (int J = I + 1; J < Count; ++J)
      if (Compare(J, Min) < 0) Min = J;
    if (Min != I) Swap(I, Min);
  }
}

int CompareText3(const std::string& A, const std::string& B) { return A.compare(B); }

// The key of a procedure column: kind, scope, name, class.
int CompareProcedures(const TOrvikSymbol* A, const TOrvikSymbol* B, int Column) {
  switch (Column) {
    case 0: return int(A->ProcTyp) - int(B->ProcTyp);
    case 1: return int(A->Bereich) - int(B->Bereich);
    case 2: return CompareText3(A->name, B->name);
    default: return CompareText3(ParentName(A), ParentName(B));
  }
}

// The key of a variable or property column: class, name, type, read, write.
int CompareMembers(const TOrvikSymbol* A, const TOrvikSymbol* B, int Column) {
  switch (Column) {
    case 0: return CompareText3(ParentName(A), ParentName(B));
    case 1: return CompareText3(A->name, B->name);
    case 2: return CompareText3(A->TypeName, B->TypeName);
    case 3: return CompareText3(A->ReadAccess(), B->ReadAccess());
    default: return CompareText3(A->WriteAccess(), B->WriteAccess());
  }
}

}  // namespace

// ------------------------------------------------------------------ form

TFormVelmoricClasses::TFormVelmoricClasses(TComponent* AOwner) : TForm(AOwner) {
  TTraceProc Trace("TFormVelmoricClasses.Create");
  SetName("FormVelmoricClasses");
  Caption = "Inheritance Experte";
  SetBounds((Screen ? Screen->Width - 651 : 0) / 2, (Screen ? Screen->Height - 411 : 0) / 2, 651, 411);
  ShowHint = true;

  Panel1 = MakeControl<TPanel>(this, this, "Panel1", 0, 0, 643, 41);
  Panel1->SetAlign(alTop);
  Label1 = MakeControl<TLabel>(this, Panel1, "Label1", 8, 12, 30, 13);
  Label1->Caption = "Class";
  ComboBoxClass = MakeControl<TComboBox>(this, Panel1, "ComboBoxClass", 48, 8, 233, 21);
  ComboBoxClass->Style = csDropDownList;
  ComboBoxClass->OnChange = [this](TObject* S) { ComboBoxClassChange(S); };

  Panel2 = MakeControl<TPanel>(this, this, "Panel2", 0, 343, 643, 41);
  Panel2->SetAlign(alBottom);
  Label4 = MakeControl<TLabel>(this, Panel2, "Label4", 8, 14, 80, 13);
  Label4->Caption = "Class functions";
  auto Button = [&](const std::string& Name, const std::string& Caption, int Left) {
    auto* B = MakeControl<TButton>(this, Panel2, Name, Left, 8, 75, 25);
    B->Caption = Caption;
    return B;
  };
  ButtonProcNew = Button("ButtonProcNew", "New", 96);
  ButtonProcNew->OnClick = [this](TObject* S) { ButtonProcNewClick(S); };
  ButtonProcInherit = Button("ButtonProcInherit", "Inherit", 176);
  ButtonProcInherit->OnClick = [this](TObject* S) { ButtonProcInheritClick(S); };
  ButtonRegister = Button("ButtonRegister", "Register", 336);
  ButtonRegister->Hint = "Writes the procedure register that registeres this class as a component.";
  ButtonRegister->Enabled = false;
  ButtonRegister->OnClick = [this](TObject* S) { ButtonRegisterClick(S); };

  PageControl1 = MakeControl<TPageControl>(this, this, "PageControl1", 0, 41, 643, 302);
  PageControl1->SetAlign(alClient);
  PageControl1->OnChange = [this](TObject* S) { PageControl1Change(S); };
  auto Group = [&](TWinControl* Parent, const std::string& Name, const std::string& Caption, int Left,
                   int Top, int Width, int Height) {
    auto* G = MakeControl<TGroupBox>(this, Parent, Name, Left, Top, Width, Height);
    G->Caption = Caption;
    return G;
  };

  TabSheetProcedure = AddSheet("TabSheetProcedure", "Procedures");
  GroupBox1 = Group(TabSheetProcedure, "GroupBox1", "Procedures in selected class", 0, 0, 635, 110);
  DrawGridProcedures = MakeGrid(GroupBox1, "DrawGridProcedures", 4, 2, 15, 631, 93);
  GroupBox2 = Group(TabSheetProcedure, "GroupBox2", "Inerited procedures", 0, 110, 635, 110);
  DrawGridInherited = MakeGrid(GroupBox2, "DrawGridInherited", 4, 2, 15, 631, 93);
  GroupBox3 = Group(TabSheetProcedure, "GroupBox3", "Comment", 0, 220, 635, 54);
  MemoProcComment = MakeControl<TMemo>(this, GroupBox3, "MemoProcComment", 2, 15, 631, 37);
  MemoProcComment->ReadOnly = true;
  BindGrid(DrawGridProcedures, {std::begin(ProcedureColumns), std::end(ProcedureColumns)}, ItemsOf(FProceduresList));
  BindGrid(DrawGridInherited, {std::begin(ProcedureColumns), std::end(ProcedureColumns)}, ItemsOf(FInheritedProcedures));
  DrawGridProcedures->OnClick = [this](TObject*) { ShowComment(DrawGridProcedures, FProceduresList); };
  DrawGridInherited->OnClick = [this](TObject*) { ShowComment(DrawGridInherited, FInheritedProcedures); };

  TabSheetVariables = AddSheet("TabSheetVariables", "Variables");
  DrawGridVariables = MakeGrid(TabSheetVariables, "DrawGridVariables", 4, 0, 0, 635, 274);
  BindGrid(DrawGridVariables,
           {{"Class", ParentName},
            {"Name", [](const TOrvikSymbol* S) { return std::string(S->name); }},
            {"Typ", [](const TOrvikSymbol* S) { return std::string(S->TypeName); }},
            {"", ScopeWord}},
           ItemsOf(FVarList));

  TabSheetProperties = AddSheet("TabSheetProperties", "Properties");
  DrawGridProperties = MakeGrid(TabSheetProperties, "DrawGridProperties", 5, 0, 0, 635, 242);
  BindGrid(DrawGridProperties,
           {{"Class", ParentName},
            {"Name", [](const TOrvikSymbol* S) { return std::string(S->name); }},
            {"Typ", [](const TOrvikSymbol* S) { return std::string(S->TypeName); }},
            {"Read", [](const TOrvikSymbol* S) { return std::string(S->ReadAccess()); }},
            {"Write", [](const TOrvikSymbol* S) { return std::string(S->WriteAccess()); }}},
           ItemsOf(FPropList));
  Label2 = MakeControl<TLabel>(this, TabSheetProperties, "Label2", 8, 252, 50, 13);
  Label2->Caption = "Definition";
  Edit1 = MakeControl<TEdit>(this, TabSheetProperties, "Edit1", 64, 248, 563, 21);

  TabSheetMessages = AddSheet("TabSheetMessages", "Messages");
  TabSheetMessages->Hint = "Velmoric must have access to messages.pas, the unit must include messages.pas.";
  DrawGridMessages = MakeGrid(TabSheetMessages, "DrawGridMessages", 4, 0, 0, 635, 274);
  DrawGridMessages->Hint = TabSheetMessages->Hint;
  BindGrid(DrawGridMessages, {std::begin(ProcedureColumns), std::end(ProcedureColumns)}, ItemsOf(FMessageList));

  TabSheetExport = AddSheet("TabSheetExport", "Export properties");
  Label3 = MakeControl<TLabel>(this, TabSheetExport, "Label3", 8, 4, 40, 13);
  Label3->Caption = "Objects";
  ListBoxExportVariables = MakeControl<TListBox>(this, TabSheetExport, "ListBoxExportVariables", 8, 20, 305, 250);
  ListBoxExportVariables->SetSorted(true);
  ListBoxExportVariables->MultiSelect = true;
  ListBoxExportVariables->OnClick = [this](TObject* S) { ListBoxExportVariablesClick(S); };
  LabelNumProperties = MakeControl<TLabel>(this, TabSheetExport, "LabelNumProperties", 320, 4, 80, 13);
  LabelNumProperties->Caption = "0 Properties";
  ListBoxExportProperties = MakeControl<TListBox>(this, TabSheetExport, "ListBoxExportProperties", 320, 20, 305, 250);
  ListBoxExportProperties->SetSorted(true);
  ListBoxExportProperties->MultiSelect = true;

  TabSheetPropertyEditoren = AddSheet("TabSheetPropertyEditoren", "Property editors");
  GroupBox4 = Group(TabSheetPropertyEditoren, "GroupBox4", "Property editors", 0, 0, 280, 274);
  ListBoxPropertyEditors = MakeControl<TListBox>(this, GroupBox4, "ListBoxPropertyEditors", 2, 15, 276, 257);
  ListBoxPropertyEditors->SetSorted(true);
  ListBoxPropertyEditors->Hint =
      "Velmoric must have access to dngintf to display standard property editors, the unit must include "
      "this. This works with all other units that declare property editors, too";
  SpeedButton2 = MakeControl<TSpeedButton>(this, TabSheetPropertyEditoren, "SpeedButton2", 288, 96, 50, 25);
  SpeedButton2->Caption = "Apply";
  SpeedButton2->OnClick = [this](TObject* S) { SpeedButton2Click(S); };
  SpeedButton1 = MakeControl<TSpeedButton>(this, TabSheetPropertyEditoren, "SpeedButton1", 288, 128, 50, 25);
  SpeedButton1->Caption = "Remove";
  SpeedButton1->OnClick = [this](TObject* S) { SpeedButton1Click(S); };
  GroupBox5 = Group(TabSheetPropertyEditoren, "GroupBox5", "Properties applied", 344, 0, 291, 274);
  DrawGridPropertyWithEdit = MakeGrid(GroupBox5, "DrawGridPropertyWithEdit", 3, 2, 15, 287, 257);
  BindGrid(DrawGridPropertyWithEdit,
           {{"Type", [](const TOrvikSymbol* S) { return std::string(S->TypeName); }},
            {"property", [](const TOrvikSymbol* S) { return std::string(S->name); }},
            {"Editor",
             [this](const TOrvikSymbol* S) {
               TPropertyEditorInfo* Info = FindPropertyEditor(const_cast<TOrvikSymbol*>(S));
               return Info ? Info->EditorClass : std::string();
             }}},
           ItemsOf(FPropertyWithEdit));

  for (TDrawGrid* G : {DrawGridProcedures, DrawGridInherited, DrawGridVariables, DrawGridProperties})
    G->OnMouseUp = [this, G](TObject*, TMouseButton, TShiftState Shift, int X, int Y) { GridMouseUp(G, Shift, X, Y); };

  OnShow = [this](TObject* S) { FormShow(S); };
  FormCreate(this);
}

TFormVelmoricClasses::~TFormVelmoricClasses() { FormDestroy(this); }

TTabSheet* TFormVelmoricClasses::AddSheet(const std::string& Name, const std::string& Caption) {
  return AddTabSheet(this, PageControl1, Name, Caption);
}

TDrawGrid* TFormVelmoricClasses::MakeGrid(TWinControl* Parent, const std::string& Name, int Cols, int Left,
                                          int Top, int Width, int Height) {
  auto* Grid = MakeControl<TDrawGrid>(this, Parent, Name, Left, Top, Width, Height);
  Grid->SetColCount(Cols);
  Grid->SetRowCount(2);
  Grid->SetFixedCols(0);
  Grid->SetDefaultRowHeight(16);
  Grid->Options |= goRowSelect;
  return Grid;
}

TPascalProject* TFormVelmoricClasses::Memory() const {
  return Project && Project->FMemoryProject ? Project->FMemoryProject : Project;
}

void TFormVelmoricClasses::FormCreate(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricClasses.FormCreate");
  FProceduresList = new TSaveList("FormCreate.FProceduresList", "TFormVelmoricClasses");
  FInheritedProcedures = new TSaveList("FormCreate.FInheritedProcedures", "TFormVelmoricClasses");
  FVarList = new TSaveStringList("FormCreate.FVarList", "TFormVelmoricClasses");
  FPropList = new TSaveStringList("FormCreate.FPropList", "TFormVelmoricClasses");
  FPropertyWithEdit = new TSaveStringList("FormCreate.FPropertyWithEdit", "TFormVelmoricClasses");
  FMessageList = new TSaveList("FormCreate.FMessageList", "TFormVelmoricClasses");
  FExportProperties = new TSaveList("FormCreate.FExportProperties", "TFormVelmoricClasses");
  FRegistered = new TSaveList("FormCreate.FRegistered", "TFormVelmoricClasses");
  FRegisterChanged = false;
  FPropertyEditorsLoaded = false;
}

void TFormVelmoricClasses::FormDestroy(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricClasses.FormDestroy");
  // The registration entries are components of the form: they go with it.
  for (TSaveList** L : {&FProceduresList, &FInheritedProcedures, &FMessageList, &FExportProperties, &FRegistered}) {
    delete *L;
    *L = nullptr;
  }
  for (TSaveStringList** L : {&FVarList, &FPropList, &FPropertyWithEdit}) {
    delete *L;
    *L = nullptr;
  }
}

int TFormVelmoricClasses::ShowModal() {
  const int Result = TForm::ShowModal();
  FormClose(this);
  return Result;
}

void TFormVelmoricClasses::FormShow(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricClasses.FormShow");
  HelpContext = 6;
  HelpFile = GetVelmoricPath() + "velmoric.hlp";
  PageControl1->SetActivePage(TabSheetVariables);
  ReadRegister();
  BuildClassList();
  CreateProperties();
  CreateVariables();
  CreateMessages();
  CreateExportProperties();
  DrawGridProcedures->SetRow(1);
  PageControl1->SetActivePage(TabSheetProcedure);
  PageControl1Change(this);
}

void TFormVelmoricClasses::FormClose(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricClasses.FormClose");
  WriteRegister();
}

// ------------------------------------------------------------- the lists

void TFormVelmoricClasses::BuildClassList() {
  TTraceProc Trace("TFormVelmoricClasses.BuildClassList");
  ComboBoxClass->Clear();
  const TOrvikSymbols* Top = Source ? Source->symbols.symbols : nullptr;
  for (int I = 0; Top && I < Top->Count(); ++I)
    if (TOrvikSymbol* S = Top->GetSymbol(I); S && S->Typ == typClass) ComboBoxClass->Items()->AddObject(S->name, S);
}

void TFormVelmoricClasses::ComboBoxClassChange(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricClasses.ComboBoxClassChange");
  ButtonRegister->Enabled = true;
  const std::pair<const char*, void (TFormVelmoricClasses::*)()> Steps[] = {
      {"Error in DisplayClass", &TFormVelmoricClasses::DisplayClass},
      {"Error in CreateVariables", &TFormVelmoricClasses::CreateVariables},
      {"Error in CreateProperties", &TFormVelmoricClasses::CreateProperties},
      {"Error in CreateExportProperties", &TFormVelmoricClasses::CreateExportProperties},
      {"Error in CreateMessages", &TFormVelmoricClasses::CreateMessages}};
  for (const auto& [Text, Step] : Steps) {
    try {
      (this->*Step)();
    } catch (const std::exception& E) {
      Write(E.what());
      Application->MessageBox(Text, "Velmoric", MB_OK);
    }
  }
}

void TFormVelmoricClasses::DisplayClass() {
  TTraceProc Trace("TFormVelmoricClasses.DisplayClass");
  CurrentClass = nullptr;
  if (DrawGridInherited->RowCount() < 1) return;
  FProceduresList->Clear();
  FInheritedProcedures->Clear();
  DrawGridProcedures->SetRow(1);
  DrawGridInherited->SetRow(1);
  const TOrvikSymbols* Top = Source ? Source->symbols.symbols : nullptr;
  for (int I = 0; Top && I < Top->Count() && !CurrentClass; ++I)
    if (TOrvikSymbol* S = Top->GetSymbol(I); S && S->name == ComboBoxClass->Text()) CurrentClass = S;
  if (CurrentClass) UpdateProcedures(CurrentClass, FProceduresList);
  UpdateRegisterButton();
  UpdateInheritance();
}

void TFormVelmoricClasses::UpdateProcedures(TOrvikSymbol* Cls, TSaveList* List) {
  TTraceProc Trace("TFormVelmoricClasses.UpdateProcedures");
  for (int I = 0; Cls->symbols && I < Cls->symbols->Count(); ++I)
    if (TOrvikSymbol* S = Cls->symbols->GetSymbol(I); S->Typ == typProcedure) List->Add(S);
  DrawGridProcedures->SetRowCount(List->Count() + 2);
  DrawGridProcedures->SetRow(1);
}

void TFormVelmoricClasses::UpdateInheritance() {
  TTraceProc Trace("TFormVelmoricClasses.UpdateInheritance");
  FInheritedProcedures->Clear();
  // The first class of that name in the project's units, in unit order.
  auto Ancestor = [this](TOrvikSymbol* Cls) -> TOrvikSymbol* {
    if (Cls->Typ != typClass || Cls->Ancestor().empty() || !Project) return nullptr;
    const std::string Lower = LowerCase(Cls->Ancestor());
    for (int I = 0; I < Project->FUnitLIst->Count(); ++I) {
      auto* Src = static_cast<TPascalSource*>(Project->FUnitLIst->GetObjects(I));
      const TOrvikSymbols* Top = Src ? Src->symbols.symbols : nullptr;
      for (int J = 0; Top && J < Top->Count(); ++J)
        if (TOrvikSymbol* S = Top->GetSymbol(J); S->Typ == typClass && LowerCase(S->name) == Lower) return S;
    }
    return nullptr;
  };
  if (CurrentClass) {
    const std::vector<TOrvikSymbol*> Chain = ClassChain(CurrentClass, Ancestor);
    for (size_t I = 1; I < Chain.size(); ++I) UpdateInheritedProcedures(Chain[I], FInheritedProcedures);
  }
  DrawGridInherited->SetRowCount(std::max(FInheritedProcedures->Count() + 1, 2));
  DrawGridInherited->Invalidate();
  DrawGridProcedures->Invalidate();
}

void TFormVelmoricClasses::UpdateInheritedProcedures(TOrvikSymbol* Cls, TSaveList* List) {
  TTraceProc Trace("TFormVelmoricClasses.UpdateInheritedProcedures");
  for (int I = 0; Cls->symbols && I < Cls->symbols->Count(); ++I) {
    TOrvikSymbol* S = Cls->symbols->GetSymbol(I);
    if (S->Typ != typProcedure || S->Bereich == tPrivate) continue;
    if (S->Options.Contains(tAbstract) || S->Options.Contains(tVirtual) || S->Options.Contains(tOverride)) List->Add(S);
  }
  DrawGridProcedures->SetRowCount(FProceduresList->Count() + 2);
  DrawGridProcedures->SetRow(1);
}

void TFormVelmoricClasses::CreateVariables() {
  TTraceProc Trace("TFormVelmoricClasses.CreateVariables");
  FVarList->Clear();
  DrawGridVariables->SetRowCount(2000);
  DrawGridVariables->SetRow(1);
  if (!CurrentClass) {
    Write("classSym = NIL");
    DrawGridVariables->SetRowCount(2);
    return;
  }
  auto Ancestor = [this](TOrvikSymbol* Cls) -> TOrvikSymbol* {
    if (Cls->Ancestor().empty() || !Cls->Source || !Project) return nullptr;
    return Project->FindSymbol(Cls->Ancestor(), typClass);
  };
  for (TOrvikSymbol* Cls : ClassChain(CurrentClass, Ancestor))
    for (int I = 0; Cls->symbols && I < Cls->symbols->Count(); ++I)
      if (TOrvikSymbol* S = Cls->symbols->GetSymbol(I); S->Typ == typVar) FVarList->AddObject(S->name, S);
  DrawGridVariables->SetRowCount(FVarList->Count() + 1);
}

void TFormVelmoricClasses::CreateProperties() {
  TTraceProc Trace("TFormVelmoricClasses.CreateProperties");
  for (TDrawGrid* G : {DrawGridProperties, DrawGridPropertyWithEdit}) {
    G->SetRow(1);
    G->SetRowCount(2);
  }
  FPropList->Clear();
  FPropertyWithEdit->Clear();
  if (!CurrentClass) {
    Write("classSym = NIL");
    return;
  }
  TPascalProject* M = Memory();
  const std::vector<TOrvikSymbol*> Chain =
      ClassChain(CurrentClass, [M](TOrvikSymbol* C) { return M ? M->BaseClassOf(C) : nullptr; });
  for (size_t K = 0; K < Chain.size(); ++K) {
    TOrvikSymbol* Cls = Chain[K];
    for (int I = 0; Cls->symbols && I < Cls->symbols->Count(); ++I) {
      TOrvikSymbol* S = Cls->symbols->GetSymbol(I);
      Write("Create properties:" + S->name);
      if (S->Typ != typProperty) continue;
      FPropList->AddObject(S->name, S);
      if (Cls == CurrentClass) FPropertyWithEdit->AddObject("", S);
    }
    Write("get baseclass...");
    if (K + 1 < Chain.size()) Write("baseclass = " + Chain[K + 1]->name);
  }
  DrawGridProperties->SetRowCount(FPropList->Count() + 1);
  DrawGridPropertyWithEdit->SetRowCount(FPropertyWithEdit->Count() + 1);
}

void TFormVelmoricClasses::CreateMessages() {
  TTraceProc Trace("TFormVelmoricClasses.CreateMessages");
  DrawGridMessages->SetRow(1);
  DrawGridMessages->SetRowCount(2);
  FMessageList->Clear();
  if (!CurrentClass) {
    Write("classSym = NIL");
    return;
  }
  TPascalProject* P = Project;
  for (TOrvikSymbol* Cls : ClassChain(CurrentClass, [P](TOrvikSymbol* C) { return P ? P->BaseClassOf(C) : nullptr; }))
    for (int I = 0; Cls->symbols && I < Cls->symbols->Count(); ++I)
      if (TOrvikSymbol* S = Cls->symbols->GetSymbol(I); S->Typ == typProcedure && !S->MessageId().empty())
        FMessageList->Add(S);
  DrawGridMessages->SetRowCount(FMessageList->Count() + 1);
}

void TFormVelmoricClasses::CreateExportProperties() {
  TTraceProc Trace("TFormVelmoricClasses.CreateExportProperties");
  FExportProperties->Clear();
  ListBoxExportVariables->Clear();
  ListBoxExportProperties->Clear();
  LabelNumProperties->Caption = "0 Properties";
  TPascalProject* M = Memory();
  if (!CurrentClass || !CurrentClass->symbols || !M) return;
  auto Exportable = [M](const TOrvikSymbol* Var) {
    TOrvikSymbol* Type = M->FindSymbol(Var->TypeName, typClass);
    if (!Type || !Type->symbols) return false;
    for (TOrvikSymbol* Cls : ClassChain(Type, [M](TOrvikSymbol* C) { return M->BaseClassOf(C); }))
      for (int I = 0; Cls->symbols && I < Cls->symbols->Count(); ++I)
        if (Cls->symbols->GetSymbol(I)->Typ == typProperty) return true;
    return false;
  };
  for (int I = 0; I < CurrentClass->symbols->Count(); ++I)
    if (TOrvikSymbol* S = CurrentClass->symbols->GetSymbol(I); S->Typ == typVar && Exportable(S))
      FExportProperties->Add(S);
  for (int I = 0; I < FExportProperties->Count(); ++I) {
    auto* S = static_cast<TOrvikSymbol*>(FExportProperties->Get(I));
    ListBoxExportVariables->Items()->AddObject(S->name + ":" + S->TypeName, S);
  }
}

void TFormVelmoricClasses::ListBoxExportVariablesClick(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricClasses.ListBoxExportVariablesClick");
  ListBoxExportProperties->Clear();
  TPascalProject* M = Memory();
  std::vector<std::pair<std::string, TOrvikSymbol*>> Common;
  bool First = true;
  for (int I = 0; M && I < ListBoxExportVariables->Items()->Count(); ++I) {
    if (!ListBoxExportVariables->Selected(I)) continue;
    auto* Var = static_cast<TOrvikSymbol*>(ListBoxExportVariables->Items()->Objects(I));
    TOrvikSymbol* Type = M->FindSymbol(Var->TypeName, typClass);
    std::vector<std::pair<std::string, TOrvikSymbol*>> Collected;
    for (TOrvikSymbol* Cls : ClassChain(Type, [M](TOrvikSymbol* C) { return M->BaseClassOf(C); }))
      for (int K = 0; Cls->symbols && K < Cls->symbols->Count(); ++K)
        if (TOrvikSymbol* P = Cls->symbols->GetSymbol(K); P->Typ == typProperty && !P->TypeName.empty())
          Collected.emplace_back(P->name + ":" + P->TypeName, P);
    auto Has = [](const auto& List, const std::string& Text) {
      return std::any_of(List.begin(), List.end(), [&](const auto& E) { return E.first == Text; });
    };
    if (First) {
      for (const auto& E : Collected)
        if (!Has(Common, E.first)) Common.push_back(E);
    } else {
      std::erase_if(Common, [&](const auto& E) { return !Has(Collected, E.first); });
    }
    First = false;
  }
  for (const auto& [Text, Prop] : Common) ListBoxExportProperties->Items()->AddObject(Text, Prop);
  LabelNumProperties->Caption = Format("%d Properties", static_cast<int>(Common.size()));
}

// ------------------------------------------------------- buttons and tabs

void TFormVelmoricClasses::ButtonProcNewClick(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricClasses.ButtonProcNewClick");
  TTabSheet* Page = PageControl1->ActivePage();
  if (Page == TabSheetPropertyEditoren) {
    NewPropertyEditor();
    return;
  }
  std::unique_ptr<TFormVelmoricNewProcedure> Form(new TFormVelmoricNewProcedure(Application));
  FormVelmoricNewProcedure = Form.get();
  Form->Project = Project;
  Form->ContextSymbol = CurrentClass;
  Form->EditSymbol = nullptr;
  if (Page == TabSheetVariables) Form->PageControl1->SetActivePage(Form->TabSheetNewVariable);
  else if (Page == TabSheetProcedure) Form->PageControl1->SetActivePage(Form->TabSheetNewProcedure);
  else if (Page == TabSheetProperties) Form->PageControl1->SetActivePage(Form->TabSheetProperty);
  else if (Page == TabSheetMessages) Form->PageControl1->SetActivePage(Form->TabSheetMessages);
  else if (Page == TabSheetExport) CallExportProperties(Form.get());
  Form->ShowModal();
  Form.reset();
  // The new member shows in every list of the class.
  ComboBoxClassChange(this);
}

void TFormVelmoricClasses::ButtonProcInheritClick(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricClasses.ButtonProcInheritClick");
  const int Row = DrawGridInherited->Row();
  if (!CurrentClass || !Source || Row < 1 || Row > FInheritedProcedures->Count()) return;
  auto* From = static_cast<TOrvikSymbol*>(FInheritedProcedures->Get(Row - 1));
  TOrvikSymbolstore Store;
  TOrvikSymbol* Sym = Store.Allocate(Source);
  Sym->Typ = typProcedure;
  Sym->name = From->name;
  Sym->Params = From->Params;
  Sym->Bereich = From->Bereich;
  Sym->ResultType = From->ResultType;
  Sym->ProcTyp = From->ProcTyp;
  Sym->Options = TProcOptionsSet({tOverride});
  Sym->defbegin = -1;
  Sym->defend = -1;
  ++Sym->RefCount;  // held here while the class expert runs
  {
    std::unique_ptr<TFormVelmoricNewProcedure> Form(new TFormVelmoricNewProcedure(Application));
    FormVelmoricNewProcedure = Form.get();
    Form->Project = Project;
    Form->ContextSymbol = CurrentClass;
    Form->EditSymbol = Sym;
    Form->ChangeMode = false;
    Form->PageControl1->SetActivePage(Form->TabSheetNewProcedure);
    try {
      Form->ShowModal();
    } catch (...) {
      Form.reset();
      ReleaseOrvikSymbol(Sym);
      throw;
    }
  }
  ReleaseOrvikSymbol(Sym);
  DisplayClass();
  DrawGridProcedures->Invalidate();
}

void TFormVelmoricClasses::CallExportProperties(TFormVelmoricNewProcedure* Expert) {
  TTraceProc Trace("TFormVelmoricClasses.CallExportProperties");
  TList Objects;
  TStringList Texts;
  for (int I = 0; I < ListBoxExportVariables->Items()->Count(); ++I)
    if (ListBoxExportVariables->Selected(I)) Objects.Add(ListBoxExportVariables->Items()->Objects(I));
  for (int I = 0; I < ListBoxExportProperties->Items()->Count(); ++I)
    if (ListBoxExportProperties->Selected(I)) Texts.Add(ListBoxExportProperties->Items()->Get(I));
  Expert->ExportProperty(Texts, Objects, CurrentClass);
}

void TFormVelmoricClasses::PageControl1Change(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricClasses.PageControl1Change");
  TTabSheet* Page = PageControl1->ActivePage();
  ButtonProcInherit->Enabled = Page == TabSheetProcedure;
  if (Page == TabSheetExport) ButtonProcNew->Enabled = true;
  if (Page == TabSheetPropertyEditoren) UpdatePropertyEditors();
}

void TFormVelmoricClasses::ShowComment(TDrawGrid* Grid, TSaveList* List) {
  TTraceProc Trace("TFormVelmoricClasses.ShowComment");
  const int Row = Grid->Row();
  if (Row < 1 || Row > List->Count()) return;
  const std::string Comment(static_cast<TOrvikSymbol*>(List->Get(Row - 1))->Comment);
  const size_t At = LowerCase(Comment).find("description:");
  MemoProcComment->SetText(At == std::string::npos ? Comment : Comment.substr(At));
}

// --------------------------------------------------------------- sorting

void TFormVelmoricClasses::GridMouseUp(TDrawGrid* Grid, TShiftState Shift, int X, int Y) {
  int Col, Row;
  Grid->MouseToCell(X, Y, Col, Row);
  if (Row != 0 || Col < 0 || Shift != ssRight) return;
  if (Grid == DrawGridProcedures) SorTSaveList1(FProceduresList, Col);
  else if (Grid == DrawGridInherited) SorTSaveList1(FInheritedProcedures, Col);
  else if (Grid == DrawGridVariables) SorTSaveList(FVarList, Col, false);
  else if (Grid == DrawGridProperties) SorTSaveList(FPropList, Col, true);
  Grid->Invalidate();
}

void TFormVelmoricClasses::SorTSaveList(TSaveStringList* List, int Column, bool Properties) {
  TTraceProc Trace("TFormVelmoricClasses.SorTSaveList");
  if (Column > (Properties ? 4 : 2)) return;
  auto At = [List](int I) { return static_cast<const TOrvikSymbol*>(List->GetObjects(I)); };
  SelectionSort(
      List->Count(), [&](int A, int B) { return CompareMembers(At(A), At(B), Column); },
      [List](int A, int B) { List->Exchange(A, B); });
}

void TFormVelmoricClasses::SorTSaveList1(TSaveList* List, int Column) {
  TTraceProc Trace("TFormVelmoricClasses.SorTSaveList1");
  if (Column > 3) return;
  auto At = [List](int I) { return static_cast<const TOrvikSymbol*>(List->Get(I)); };
  SelectionSort(
      List->Count(), [&](int A, int B) { return CompareProcedures(At(A), At(B), Column); },
      [List](int A, int B) { List->Exchange(A, B); });
}
