#include "browsers/VelmoricSymbols.h"

#include "ide/VelmoricNavigation.h"
#include "ide/VelmoricWizard.h"
#include "platform/vcl/FormBuilding.h"
#include "project/VelmoricPascalProject.h"
#include "trace/traceletVelmoric.h"

TFFormVelmoricSymbols* FFormVelmoricSymbols = nullptr;

namespace {

void Write(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

constexpr uint16_t VK_UP = 38, VK_DOWN = 40;

const char* const Headers[] = {"Symbol", "Is Member Of", "Typ", "Scope", "Unit"};

// The source whose editor shows the symbol.
TPascalSource* SourceOf(TOrvikSymbol* Sym) {
  if (Sym->Source) return Sym->Source;
  TOrvikSymbol* Root = Sym;
  while (Root->Parent) Root = Root->Parent;
  return Root->Source;
}

}  // namespace

TFFormVelmoricSymbols* FormVelmoricSymbols() {
  if (!FFormVelmoricSymbols) FFormVelmoricSymbols = new TFFormVelmoricSymbols(nullptr);
  return FFormVelmoricSymbols;
}

TFFormVelmoricSymbols::TFFormVelmoricSymbols(TComponent* AOwner) : TForm(AOwner) {
  TTraceProc Trace("TFFormVelmoricSymbols.Create");
  SetName("FFormVelmoricSymbols");
  Caption = "Symbol Explorer";
  BaseCaption = Caption;
  SetBounds(Left(), Top(), 560, 420);
  OnShow = [this](TObject* Sender) { FormShow(Sender); };
  OnClose = [this](TObject* Sender, TCloseAction& Action) { FormClose(Sender, Action); };

  PopupMenu1 = new TPopupMenu(this);
  PopupMenu1->SetName("PopupMenu1");
  PopupMenu1->OnPopup = [this](TObject* S) { PopupMenu1Popup(S); };
  ExploreSymbol1 = AddMenuItem(PopupMenu1, "ExploreSymbol1", "Explore Symbol",
                               [this](TObject* S) { ExploreSymbol1Click(S); });
  ExploreTyp1 = AddMenuItem(PopupMenu1, "ExploreTyp1", "Explore typ",
                            [this](TObject* S) { ExploreTyp1Click(S); });
  GoToBaseclass1 = AddMenuItem(PopupMenu1, "GoToBaseclass1", "Go to Baseclass",
                               [this](TObject* S) { GoToBaseclass1Click(S); });
  GoBack1 = AddMenuItem(PopupMenu1, "GoBack1", "Go back", [this](TObject* S) { GoBack1Click(S); });
  GoToRoot1 = AddMenuItem(PopupMenu1, "GoToRoot1", "Go to Root",
                          [this](TObject* S) { GoToRoot1Click(S); });

  PanelTop = MakeControl<TPanel>(this, this, "PanelTop", 0, 0, 560, 58);
  PanelTop->SetAlign(alTop);
  struct Box {
    TCheckBox** Field;
    const char* Name;
    const char* Caption;
  };
  const Box Boxes[] = {{&CheckBoxProcedures, "CheckBoxProcedures", "procedures"},
                       {&CheckBoxClasses, "CheckBoxClasses", "classes"},
                       {&CheckBoxVariables, "CheckBoxVariables", "variables"},
                       {&CheckBoxRecords, "CheckBoxRecords", "records"},
                       {&CheckBoxProperties, "CheckBoxProperties", "properties"},
                       {&CheckBoxConstants, "CheckBoxConstants", "constants"},
                       {&CheckBoxTypes, "CheckBoxTypes", "types"}};
  int X = 8;
  for (const Box& B : Boxes) {
    TCheckBox* C = MakeControl<TCheckBox>(this, PanelTop, B.Name, X, 6, 74, 17);
    C->Caption = B.Caption;
    C->Checked = true;
    C->OnClick = [this](TObject* S) { CheckBoxClick(S); };
    *B.Field = C;
    X += 78;
  }
  CheckBoxSubSymbols = MakeControl<TCheckBox>(this, PanelTop, "CheckBoxSubSymbols", 8, 30, 130, 17);
  CheckBoxSubSymbols->Caption = "Display sub symbols";
  CheckBoxSubSymbols->OnClick = [this](TObject* S) { CheckBoxClick(S); };
  LabelSearch = MakeControl<TLabel>(this, PanelTop, "LabelSearch", 150, 32, 40, 13);
  LabelSearch->Caption = "Search:";
  EditSearch = MakeControl<TEdit>(this, PanelTop, "EditSearch", 196, 28, 200, 21);
  EditSearch->OnChange = [this](TObject* S) { EditSearchChange(S); };
  EditSearch->OnKeyDown = [this](TObject* S, uint16_t& Key, TShiftState Shift) {
    EditSearchKeyDown(S, Key, Shift);
  };

  PanelBottom = MakeControl<TPanel>(this, this, "PanelBottom", 0, 300, 560, 120);
  PanelBottom->SetAlign(alBottom);
  EditInfo = MakeControl<TEdit>(this, PanelBottom, "EditInfo", 8, 6, 544, 21);
  EditInfo->ReadOnly = true;
  EditLines = MakeControl<TEdit>(this, PanelBottom, "EditLines", 8, 30, 544, 21);
  EditLines->ReadOnly = true;
  MemoComment = MakeControl<TMemo>(this, PanelBottom, "MemoComment", 8, 54, 300, 60);
  MemoComment->ReadOnly = true;
  LabelTime = MakeControl<TLabel>(this, PanelBottom, "LabelTime", 316, 56, 120, 13);
  LabelTime->Caption = "time:";
  LabelSymbols = MakeControl<TLabel>(this, PanelBottom, "LabelSymbols", 316, 72, 120, 13);
  LabelSymbols->Caption = "symbols:";
  ButtonJump = MakeControl<TButton>(this, PanelBottom, "ButtonJump", 316, 90, 75, 25);
  ButtonJump->Caption = "&Jump";
  ButtonJump->OnClick = [this](TObject* S) { ButtonJumpClick(S); };
  ButtonJumpPrototype = MakeControl<TButton>(this, PanelBottom, "ButtonJumpPrototype", 396, 90, 100, 25);
  ButtonJumpPrototype->Caption = "&Jump to Prottype";
  ButtonJumpPrototype->OnClick = [this](TObject* S) { ButtonJumpPrototypeClick(S); };
  ButtonOK = MakeControl<TButton>(this, PanelBottom, "ButtonOK", 500, 90, 52, 25);
  ButtonOK->Caption = "OK";
  ButtonOK->ModalResult = mrOk;

  DrawGrid1 = MakeControl<TDrawGrid>(this, this, "DrawGrid1", 0, 58, 560, 242);
  DrawGrid1->SetAlign(alClient);
  DrawGrid1->SetFixedCols(0);
  DrawGrid1->SetColCount(5);
  DrawGrid1->SetFixedRows(1);
  DrawGrid1->SetRowCount(2);
  DrawGrid1->Options |= goRowSelect;
  DrawGrid1->SetPopupMenu(PopupMenu1);
  const int Widths[] = {140, 110, 80, 70, 140};
  for (int I = 0; I < 5; ++I) DrawGrid1->SetColWidths(I, Widths[I]);
  DrawGrid1->OnDrawCell = [this](TObject* S, int C, int R, const TRect& Rect, TGridDrawState St) {
    DrawGrid1DrawCell(S, C, R, Rect, St);
  };
  DrawGrid1->OnSelectCell = [this](TObject* S, int C, int R, bool& CanSelect) {
    DrawGrid1SelectCell(S, C, R, CanSelect);
  };
  DrawGrid1->OnDblClick = [this](TObject* S) { DrawGrid1DblClick(S); };

  Entries = new TStringList;
  Entries->SetSorted(true);
  Entries->SetDuplicates(dupAccept);
}

TFFormVelmoricSymbols::~TFFormVelmoricSymbols() {
  delete Entries;
  Entries = nullptr;
  if (FFormVelmoricSymbols == this) FFormVelmoricSymbols = nullptr;
}

void TFFormVelmoricSymbols::CreateList() {
  TTraceProc Trace("TFFormVelmoricSymbols.CreateList");
  Caption = Explored ? Explored->name + " " + BaseCaption : BaseCaption;
  TSymbolKindChoice Choice;
  Choice.Procedures = CheckBoxProcedures->Checked;
  Choice.Classes = CheckBoxClasses->Checked;
  Choice.Variables = CheckBoxVariables->Checked;
  Choice.Records = CheckBoxRecords->Checked;
  Choice.Properties = CheckBoxProperties->Checked;
  Choice.Constants = CheckBoxConstants->Checked;
  Choice.Types = CheckBoxTypes->Checked;
  FillSymbolEntries(Project, Explored, SymbolKindFilter(Choice), CheckBoxSubSymbols->Checked,
                    Entries);
  DrawGrid1->SetRowCount(std::max(2, Entries->Count() + 1));
  LabelSymbols->Caption = "symbols: " + IntToStr(Entries->Count());
  SelectRow(1);
  DrawGrid1->Invalidate();
}

TOrvikSymbol* TFFormVelmoricSymbols::RowSymbol(int Row) const {
  const int I = Row - 1;
  if (!Entries || I < 0 || I >= Entries->Count()) return nullptr;
  return static_cast<TOrvikSymbol*>(Entries->Objects(I));
}

void TFFormVelmoricSymbols::SelectRow(int Row) {
  if (Row < 1) Row = 1;
  if (Row >= DrawGrid1->RowCount()) Row = DrawGrid1->RowCount() - 1;
  DrawGrid1->SetRow(Row);
  ShowDetails(RowSymbol(Row));
}

void TFFormVelmoricSymbols::ShowDetails(TOrvikSymbol* Sym) {
  TTraceProc Trace([&] {
    return Format("TFFormVelmoricSymbols.DrawGrid1SelectCell(Col=%d,Row=%d)", DrawGrid1->Col(),
                  DrawGrid1->Row());
  });
  ButtonJumpPrototype->Enabled = Sym && Sym->Typ == typProcedure && Sym->DeclLine != -1;
  ButtonJump->Enabled = Sym != nullptr;
  const std::string Comment = Sym ? Sym->Comment : std::string();
  MemoComment->Lines()->SetText(Comment);
  DrawGrid1->Hint = Comment;
  DrawGrid1->ShowHint = !Comment.empty();
  EditInfo->SetText(Sym ? SymbolInfoText(Sym) : std::string());
  EditLines->SetText(Sym ? SymbolLinesText(Sym) : std::string());
}

void TFFormVelmoricSymbols::FormShow(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricSymbols.FormShow");
  HelpFile = GetVelmoricPath() + "velmoric.hlp";
  HelpContext = 5;
  if (Source && !Project) Project = Source->Project;
  Explored = nullptr;
  CreateList();
  SelectRow(1);
  LabelTime->Caption = "time: " + IntToStr(Source ? Source->ParseTime : 0);
  // The expert releases the editor's interfaces when the form has closed.
  if (Source)
    for (int I = 0; Source->errors && I < Source->errors->Count(); ++I) Write(Source->errors->Get(I));
  EditSearchChange(EditSearch);
  if (InitialSymbol) {
    Write("there is a symbol..");
    std::string Name;
    GetFullNameOfSymbol(InitialSymbol, Name);
    FSearching = true;
    EditSearch->SetText(Name);
    FSearching = false;
    const int I = Entries->IndexOfObject(InitialSymbol);
    if (I >= 0) SelectRow(I + 1);
  }
  EditSearch->SetFocus();
}

void TFFormVelmoricSymbols::FormClose(TObject* Sender, TCloseAction& Action) {
  TTraceProc Trace("TFFormVelmoricSymbols.FormClose");
  Entries->Clear();
  InitialSymbol = nullptr;
  Explored = nullptr;
}

void TFFormVelmoricSymbols::CheckBoxClick(TObject* Sender) { CreateList(); }

void TFFormVelmoricSymbols::DrawGrid1DrawCell(TObject* Sender, int ACol, int ARow,
                                              const TRect& Rect, TGridDrawState State) {
  std::string Text;
  if (ARow == 0) {
    if (ACol >= 0 && ACol < 5) Text = Headers[ACol];
  } else if (TOrvikSymbol* Sym = RowSymbol(ARow)) {
    switch (ACol) {
      case 0: Text = Sym->name; break;
      case 1: Text = SymbolOwnerName(Sym); break;
      case 2: Text = SymbolKindText(Sym); break;
      case 3: Text = SymbolScopeText(Sym); break;
      case 4: Text = SymbolUnitText(Sym); break;
      default: break;
    }
  } else {
    return;  // rows outside the list draw nothing
  }
  DrawGrid1->Canvas()->TextRect(Rect, Rect.Left + 2, Rect.Top + 2, Text);
}

void TFFormVelmoricSymbols::DrawGrid1SelectCell(TObject* Sender, int ACol, int ARow,
                                                bool& CanSelect) {
  ShowDetails(RowSymbol(ARow));
}

void TFFormVelmoricSymbols::DrawGrid1DblClick(TObject* Sender) { ButtonJumpClick(Sender); }

void TFFormVelmoricSymbols::EditSearchChange(TObject* Sender) {
  if (FSearching) return;
  const int I = SearchSymbolEntry(Entries, EditSearch->Text());
  if (I >= 0) SelectRow(I + 1);
}

void TFFormVelmoricSymbols::EditSearchKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift) {
  if (tracelet) tracelet->start();
  const int Row = DrawGrid1->Row();
  if (Key == VK_RETURN) {
    ButtonJumpClick(Sender);
  } else if (Key == VK_DOWN) {
    if (Row < Entries->Count()) SelectRow(Row + 1);
    Key = 0;
  } else if (Key == VK_UP) {
    if (Row > 1) SelectRow(Row - 1);
    Key = 0;
  }
}

void TFFormVelmoricSymbols::Jump(TOrvikSymbol* Sym, int Line) {
  TPascalSource* Target = SourceOf(Sym);
  if (!Target) return;
  if (!Expert)
    Write("wizard = NIL");
  else if (!Expert->BookmarkStack)
    Write("bookmarks = NIL");
  else
    Expert->BookmarkStack->PushPosition();
  Target->GotoLine(Line + 1, 1);
  ModalResult = mrOk;
}

void TFFormVelmoricSymbols::ButtonJumpClick(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricSymbols.ButtonJumpClick");
  TOrvikSymbol* Sym = SelectedSymbol();
  if (!Sym) return;
  Jump(Sym, JumpLine(Sym));
}

void TFFormVelmoricSymbols::ButtonJumpPrototypeClick(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricSymbols.ButtonJumpPrototypeClick");
  TOrvikSymbol* Sym = SelectedSymbol();
  if (!Sym || Sym->Typ != typProcedure || Sym->DeclLine == -1) return;
  Jump(Sym, Sym->DeclLine);
}

void TFFormVelmoricSymbols::Explore(TOrvikSymbol* Sym) {
  Explored = Sym;
  CreateList();
  DrawGrid1->Invalidate();
}

void TFFormVelmoricSymbols::PopupMenu1Popup(TObject* Sender) {
  TOrvikSymbol* Sym = SelectedSymbol();
  GoBack1->Enabled = Explored != nullptr;
  const std::string TypeText = Sym ? Sym->TypeName : std::string();
  if (Sym && ExplorableTypeText(TypeText)) {
    ExploreTyp1->Caption = "Explore typ " + TypeText;
    ExploreTyp1->Enabled = true;
  } else {
    ExploreTyp1->Caption = "Explore typ";
    ExploreTyp1->Enabled = false;
  }
  const bool HasBase = Sym && !Sym->Ancestor().empty() && FindTypeSymbol(Project, Sym->Ancestor());
  GoToBaseclass1->Caption = HasBase ? "Goto baseclass " + Sym->Ancestor() : std::string("Go to Baseclass");
  GoToBaseclass1->Enabled = HasBase;
  ExploreSymbol1->Enabled = Sym != nullptr;
}

void TFFormVelmoricSymbols::ExploreSymbol1Click(TObject* Sender) {
  TOrvikSymbol* Sym = SelectedSymbol();
  if (!Sym) return;
  if (Sym->symbols && Sym->symbols->Count() > 0) return Explore(Sym);
  if (TOrvikSymbol* Type = FindTypeSymbol(Project, Sym->TypeName); Type && Type != Sym)
    return Explore(Type);
  if (Sym->Parent) Explore(Sym->Parent);
}

void TFFormVelmoricSymbols::ExploreTyp1Click(TObject* Sender) {
  TOrvikSymbol* Sym = SelectedSymbol();
  if (!Sym || !ExplorableTypeText(Sym->TypeName)) return;
  if (TOrvikSymbol* Type = FindTypeSymbol(Project, Sym->TypeName)) Explore(Type);
}

void TFFormVelmoricSymbols::GoToBaseclass1Click(TObject* Sender) {
  TOrvikSymbol* Sym = SelectedSymbol();
  if (!Sym || Sym->Ancestor().empty()) return;
  if (TOrvikSymbol* Base = FindTypeSymbol(Project, Sym->Ancestor())) Explore(Base);
}

void TFFormVelmoricSymbols::GoBack1Click(TObject* Sender) {
  Explore(Explored ? Explored->Parent : nullptr);
}

void TFFormVelmoricSymbols::GoToRoot1Click(TObject* Sender) { Explore(nullptr); }
