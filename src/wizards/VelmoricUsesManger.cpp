#include "wizards/VelmoricUsesManger.h"

#include <memory>

#include "ide/VelmoricEditorStrings.h"
#include "platform/vcl/FormBuilding.h"
#include "scanner/VelmoricPascalScanner.h"
#include "trace/traceletVelmoric.h"
#include "wizards/VelmoricUsesManagerAdd.h"

TFormVelmoricUsesManager* FormVelmoricUsesManager = nullptr;

namespace {

TSpeedButton* MakeButton(TFormVelmoricUsesManager* Form, TWinControl* Parent, const char* Name,
                         const char* Caption, const char* Hint, int Left, int Top,
                         void (TFormVelmoricUsesManager::*Click)(TObject*)) {
  auto* B = MakeControl<TSpeedButton>(Form, Parent, Name, Left, Top, 23, 22);
  B->Caption = Caption;
  B->Hint = Hint;
  B->ShowHint = true;
  if (Click) B->OnClick = [Form, Click](TObject* Sender) { (Form->*Click)(Sender); };
  return B;
}

TStrings* LinesOf(TPascalSource* Source) { return Source && Source->Token ? Source->Token->Lines : nullptr; }

}  // namespace

TFormVelmoricUsesManager::TFormVelmoricUsesManager(TComponent* AOwner) : TForm(AOwner) {
  TTraceProc Trace("TFormVelmoricUsesManager.Create");
  SetName("FormVelmoricUsesManager");
  Caption = "Unit manager";
  BorderStyle = bsDialog;
  SetBounds(Left(), Top(), 420, 330);
  OnShow = [this](TObject* Sender) { FormShow(Sender); };

  using F = TFormVelmoricUsesManager;
  GroupBox1 = MakeControl<TGroupBox>(this, this, "GroupBox1", 8, 8, 175, 250);
  GroupBox1->Caption = "interface uses";
  ListBoxInterface = MakeControl<TListBox>(this, GroupBox1, "ListBoxInterface", 8, 18, 159, 196);
  SpeedButton7 = MakeButton(this, GroupBox1, "SpeedButton7", "+", "Add a unit", 8, 220, &F::SpeedButton7Click);
  SpeedButton5 = MakeButton(this, GroupBox1, "SpeedButton5", "X", "Delete the unit", 32, 220, &F::SpeedButton5Click);
  SpeedButton6 = MakeButton(this, GroupBox1, "SpeedButton6", "v", "Move down", 120, 220, &F::SpeedButton6Click);
  SpeedButton8 = MakeButton(this, GroupBox1, "SpeedButton8", "^", "Move up", 144, 220, &F::SpeedButton8Click);

  GroupBox2 = MakeControl<TGroupBox>(this, this, "GroupBox2", 232, 8, 175, 250);
  GroupBox2->Caption = "Implementation uses";
  ListBoxImplementation = MakeControl<TListBox>(this, GroupBox2, "ListBoxImplementation", 8, 18, 159, 196);
  SpeedButton10 = MakeButton(this, GroupBox2, "SpeedButton10", "+", "Add a unit", 8, 220, &F::SpeedButton10Click);
  SpeedButton9 = MakeButton(this, GroupBox2, "SpeedButton9", "X", "Delete the unit", 32, 220, &F::SpeedButton9Click);
  SpeedButton11 = MakeButton(this, GroupBox2, "SpeedButton11", "v", "Move down", 120, 220, &F::SpeedButton11Click);
  SpeedButton12 = MakeButton(this, GroupBox2, "SpeedButton12", "^", "Move up", 144, 220, &F::SpeedButton12Click);

  SpeedButton2 = MakeButton(this, this, "SpeedButton2", ">", "Move to the implementation uses", 196, 100, &F::SpeedButton2Click);
  SpeedButton1 = MakeButton(this, this, "SpeedButton1", "<", "Move to the interface uses", 196, 130, &F::SpeedButton1Click);
  SpeedButton3 = MakeButton(this, this, "SpeedButton3", "+", "", 196, 160, nullptr);
  SpeedButton4 = MakeButton(this, this, "SpeedButton4", "X", "", 196, 190, nullptr);

  for (TListBox* L : {ListBoxInterface, ListBoxImplementation}) L->Items()->SetDuplicates(dupAccept);

  StatusBar1 = MakeControl<TStatusBar>(this, this, "StatusBar1", 0, 311, 420, 19);
  StatusBar1->SetAlign(alBottom);
  StatusBar1->AddPanel().Width = 400;
  Panel1 = MakeControl<TPanel>(this, this, "Panel1", 0, 264, 420, 41);
  Panel1->SetAlign(alBottom);
  Button3 = MakeControl<TButton>(this, Panel1, "Button3", 8, 8, 75, 25);
  Button3->Caption = "Sort";
  Button3->OnClick = [this](TObject* Sender) { Button3Click(Sender); };
  Button2 = MakeControl<TButton>(this, Panel1, "Button2", 248, 8, 75, 25);
  Button2->Caption = "Ok";
  Button2->Default = true;
  Button2->OnClick = [this](TObject* Sender) { Button2Click(Sender); };
  Button1 = MakeControl<TButton>(this, Panel1, "Button1", 332, 8, 75, 25);
  Button1->Caption = "Cancel";
  Button1->Cancel = true;
  Button1->ModalResult = mrCancel;
}

TFormVelmoricUsesManager::~TFormVelmoricUsesManager() {
  FormDestroy(this);
  if (FormVelmoricUsesManager == this) FormVelmoricUsesManager = nullptr;
}

void TFormVelmoricUsesManager::FormDestroy(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricUsesManager.FormDestroy");
  FreeUsesInfos(ListBoxInterface->Items());
  FreeUsesInfos(ListBoxImplementation->Items());
}

bool TFormVelmoricUsesManager::ListsSorted() const { return ListBoxImplementation->Sorted(); }

void TFormVelmoricUsesManager::SetListsSorted(bool Value) {
  ListBoxInterface->SetSorted(Value);
  ListBoxImplementation->SetSorted(Value);
}

void TFormVelmoricUsesManager::ScanUses() {
  TTraceProc Trace("TFormVelmoricUsesManager.ScanUses");
  TStrings* Lines = LinesOf(Source);
  if (!Lines) {
    FreeUsesInfos(ListBoxInterface->Items());
    FreeUsesInfos(ListBoxImplementation->Items());
    return;
  }
  ScanUsesClauses(Lines, ListBoxInterface->Items(), ListBoxImplementation->Items());
}

void TFormVelmoricUsesManager::FormShow(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricUsesManager.FormShow");
  ScanUses();
  if (UnitName.empty()) return;
  const int I = ListBoxInterface->Items()->IndexOf(UnitName);
  const int J = ListBoxImplementation->Items()->IndexOf(UnitName);
  if (I >= 0) ListBoxInterface->SetItemIndex(I);
  if (J >= 0) ListBoxImplementation->SetItemIndex(J);
  const std::string Own = Source ? LowerCase(Source->symbols.name) : std::string();
  if (I >= 0 || J >= 0 || LowerCase(UnitName) == Own) return;
  auto* Info = new TUsesInfo(UnitName, "");
  const int K = ListBoxInterface->Items()->AddObject(UnitName, Info);
  ListBoxInterface->SetItemIndex(K);
  if (Symbol) StatusBar1->Panels(0).Text = "Addes uses for symbol " + Symbol->name;
}

void TFormVelmoricUsesManager::AddUnit(TListBox* List) {
  auto Dialog = std::make_unique<TFormAddUses>(nullptr);
  if (Dialog->ShowModal() != mrOk) return;
  const std::string Name = Trim(Dialog->Edit1->Text());
  if (Name.empty()) return;
  List->Items()->AddObject(Name, new TUsesInfo(Name, ""));
}

void TFormVelmoricUsesManager::DeleteUnit(TListBox* List) {
  const int I = List->ItemIndex();
  if (I < 0) return;
  delete List->Items()->Objects(I);
  List->Items()->Delete(I);
}

void TFormVelmoricUsesManager::MoveUnit(TListBox* From, TListBox* To) {
  const int I = From->ItemIndex();
  if (I < 0) return;
  To->Items()->AddObject(From->Items()->Get(I), From->Items()->Objects(I));
  From->Items()->Delete(I);
  const int Count = From->Items()->Count();
  From->SetItemIndex(I < Count ? I : Count - 1);
}

void TFormVelmoricUsesManager::MoveWithin(TListBox* List, int Delta) {
  const int I = List->ItemIndex();
  const int J = I + Delta;
  if (I < 0 || J < 0 || J >= List->Items()->Count()) return;
  // A hand-made order ends the sorted state.
  SetListsSorted(false);
  List->Items()->Exchange(I, J);
  List->SetItemIndex(J);
}

void TFormVelmoricUsesManager::SpeedButton7Click(TObject*) { AddUnit(ListBoxInterface); }
void TFormVelmoricUsesManager::SpeedButton10Click(TObject*) { AddUnit(ListBoxImplementation); }
void TFormVelmoricUsesManager::SpeedButton5Click(TObject*) { DeleteUnit(ListBoxInterface); }
void TFormVelmoricUsesManager::SpeedButton9Click(TObject*) { DeleteUnit(ListBoxImplementation); }
void TFormVelmoricUsesManager::SpeedButton2Click(TObject*) {
  MoveUnit(ListBoxInterface, ListBoxImplementation);
}
void TFormVelmoricUsesManager::SpeedButton1Click(TObject*) {
  MoveUnit(ListBoxImplementation, ListBoxInterface);
}
void TFormVelmoricUsesManager::SpeedButton6Click(TObject*) { MoveWithin(ListBoxInterface, 1); }
void TFormVelmoricUsesManager::SpeedButton8Click(TObject*) { MoveWithin(ListBoxInterface, -1); }
void TFormVelmoricUsesManager::SpeedButton11Click(TObject*) { MoveWithin(ListBoxImplementation, 1); }
void TFormVelmoricUsesManager::SpeedButton12Click(TObject*) { MoveWithin(ListBoxImplementation, -1); }

void TFormVelmoricUsesManager::Button3Click(TObject*) { SetListsSorted(true); }

void TFormVelmoricUsesManager::Button2Click(TObject*) {
  TTraceProc Trace("TFormVelmoricUsesManager.Button2Click");
  Rewrite();
  ModalResult = mrOk;
}

void TFormVelmoricUsesManager::Rewrite() {
  TTraceProc Trace("TFormVelmoricUsesManager.Rewrite");
  TStrings* Lines = LinesOf(Source);
  if (!Lines) return;
  RewriteUsesClauses(Lines, ListBoxInterface->Items(), ListBoxImplementation->Items());
  if (auto* Editor = dynamic_cast<TEditorStrings*>(Lines); Editor && Editor->Editor())
    Editor->SaveToEditor();
}

void TFormVelmoricUsesManager::ListBoxDragOver(TObject* Sender, TObject* Source, int, int,
                                                bool& Accept) {
  Accept = Source != Sender && (Source == ListBoxInterface || Source == ListBoxImplementation);
}

void TFormVelmoricUsesManager::ListBoxDragDrop(TObject* Sender, TObject* Source, int, int) {
  TTraceProc Trace("TFormVelmoricUsesManager.ListBoxDragDrop");
  if (Source == ListBoxInterface && Sender == ListBoxImplementation)
    MoveUnit(ListBoxInterface, ListBoxImplementation);
  else if (Source == ListBoxImplementation && Sender == ListBoxInterface)
    MoveUnit(ListBoxImplementation, ListBoxInterface);
}
