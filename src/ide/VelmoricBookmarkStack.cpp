#include "ide/VelmoricBookmarkStack.h"

#include "ide/VelmoricWizard.h"
#include "trace/traceletVelmoric.h"

TFFormVelmoricBookmarkStack* FFormVelmoricBookmarkStack = nullptr;

namespace {
void Write(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}
}  // namespace

TFFormVelmoricBookmarkStack* FormVelmoricBookmarkStack() {
  Write("Create bookmarkstack form 1");
  if (!FFormVelmoricBookmarkStack) {
    Write("create bookmark stack form");
    FFormVelmoricBookmarkStack = new TFFormVelmoricBookmarkStack(nullptr);
  }
  return FFormVelmoricBookmarkStack;
}

TFFormVelmoricBookmarkStack::TFFormVelmoricBookmarkStack(TComponent* AOwner) : TForm(AOwner) {
  SetName("FFormVelmoricBookmarkStack");
  Caption = "Bookmark stack";
  SetBounds(8, 108, 222, 339);
  Font.Name = "MS Sans Serif";
  Font.Height = -11;

  PopupMenu1 = new TPopupMenu(this);
  PopupMenu1->SetName("PopupMenu1");
  Goto1 = new TMenuItem(this);
  Goto1->SetName("Goto1");
  Goto1->Caption = "Goto";
  Goto1->OnClick = [this](TObject* Sender) { ButtonGotoClick(Sender); };
  PopupMenu1->Items()->Add(Goto1);
  Delete1 = new TMenuItem(this);
  Delete1->SetName("Delete1");
  Delete1->Caption = "Delete";
  Delete1->OnClick = [this](TObject* Sender) { ButtonDeleteClick(Sender); };
  PopupMenu1->Items()->Add(Delete1);

  ListBoxDependencies = new TListBox(this);
  ListBoxDependencies->SetName("ListBoxDependencies");
  ListBoxDependencies->SetParent(this);
  ListBoxDependencies->SetAlign(alClient);
  ListBoxDependencies->ItemHeight = 13;
  ListBoxDependencies->SetPopupMenu(PopupMenu1);
  ListBoxDependencies->OnDblClick = [this](TObject* Sender) { ButtonGotoClick(Sender); };

  OnShow = [this](TObject* Sender) { FormShow(Sender); };
  Show();
}

void TFFormVelmoricBookmarkStack::FormShow(TObject* Sender) { UpdateList(); }

void TFFormVelmoricBookmarkStack::UpdateList() {
  ListBoxDependencies->Clear();
  if (!TheVelmoricFairy || !TheVelmoricFairy->BookmarkStack) {
    Write("error");
    return;
  }
  TBookmarkStack* Stack = TheVelmoricFairy->BookmarkStack;
  for (int I = 0; I < Stack->Count(); ++I) {
    TVelmoricBookmark* B = Stack->Items(I);
    ListBoxDependencies->Items()->AddObject(
        B->Name + " " + B->Source + "(" + IntToStr(B->Line) + ")", B);
  }
  if (Stack->Top >= 0 && Stack->Top < Stack->Count()) ListBoxDependencies->SetItemIndex(Stack->Top);
}

void TFFormVelmoricBookmarkStack::ButtonGotoClick(TObject* Sender) {
  const int I = ListBoxDependencies->ItemIndex();
  if (I < 0 || !TheVelmoricFairy) return;
  auto* B = static_cast<TVelmoricBookmark*>(ListBoxDependencies->Items()->GetObject(I));
  TheVelmoricFairy->GotoLine(B->Source, B->Line, B->Col);
}

void TFFormVelmoricBookmarkStack::ButtonDeleteClick(TObject* Sender) {
  const int I = ListBoxDependencies->ItemIndex();
  if (I < 0 || !TheVelmoricFairy || !TheVelmoricFairy->BookmarkStack) return;
  TBookmarkStack* Stack = TheVelmoricFairy->BookmarkStack;
  if (I < Stack->Count()) {
    delete Stack->Items(I);
    Stack->Entries->Delete(I);
  }
  UpdateList();
}
