// The headless component library: ownership, names, layout, forms and the
// screen, modal forms and message boxes through the host hook, list
// controls, menus and timers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"

namespace {

class VclTest : public testing::Test {
 protected:
  void TearDown() override {
    VclHost() = TVclHost();
    Screen->OnActiveFormChange = nullptr;
    SetTickCountSource({});
  }
};

// Counts its destruction.
struct TCounted : TComponent {
  TCounted(TComponent* Owner, int& Count) : TComponent(Owner), FCount(Count) {}
  ~TCounted() override { ++FCount; }
  int& FCount;
};

TEST_F(VclTest, OwnersFreeWhatTheyOwnAndNamesAreUnique) {
  int Freed = 0;
  auto* Owner = new TComponent(nullptr);
  auto* A = new TCounted(Owner, Freed);
  auto* B = new TCounted(Owner, Freed);
  A->SetName("ButtonSave");
  EXPECT_EQ(Owner->FindComponent("buttonsave"), A);
  EXPECT_EQ(Owner->FindComponent(""), nullptr);
  EXPECT_THROW(B->SetName("BUTTONSAVE"), EComponentError);
  EXPECT_THROW(B->SetName("1abc"), EComponentError);
  EXPECT_EQ(B->Name(), "");
  EXPECT_EQ(B->ComponentIndex(), 1);
  delete A;  // leaves its owner
  EXPECT_EQ(Owner->ComponentCount(), 1);
  EXPECT_EQ(Owner->Components(0), B);
  delete Owner;
  EXPECT_EQ(Freed, 2);
}

TEST_F(VclTest, AlignedControlsFillTheirParent) {
  TForm Form(nullptr);
  Form.SetBounds(0, 0, 600, 400);
  auto* Bottom = new TPanel(&Form);
  Bottom->SetHeight(50);
  Bottom->SetParent(&Form);
  Bottom->SetAlign(alBottom);
  auto* Client = new TPanel(&Form);
  Client->SetParent(&Form);
  Client->SetAlign(alClient);
  auto* Top = new TPanel(&Form);
  Top->SetHeight(30);
  Top->SetParent(&Form);
  Top->SetAlign(alTop);
  EXPECT_EQ(Top->Top(), 0);
  EXPECT_EQ(Top->Width(), 600);
  EXPECT_EQ(Bottom->Top(), 350);
  EXPECT_EQ(Client->Top(), 30);
  EXPECT_EQ(Client->Height(), 320);

  // A second top panel placed below the first by its Top.
  auto* Top2 = new TPanel(&Form);
  Top2->SetHeight(20);
  Top2->SetTop(31);
  Top2->SetParent(&Form);
  Top2->SetAlign(alTop);
  EXPECT_EQ(Top2->Top(), 30);
  EXPECT_EQ(Client->Top(), 50);
  // Placed above it instead.
  Form.DisableAlign();
  Top2->SetAlign(alNone);
  Top2->SetTop(-1);
  Top2->SetAlign(alTop);
  EXPECT_EQ(Top2->Top(), -1);  // no layout while disabled
  Form.EnableAlign();
  EXPECT_EQ(Top2->Top(), 0);
  EXPECT_EQ(Top->Top(), 20);

  // Resizing the form lays out again and tells its resize handler.
  int Resized = 0;
  Form.OnResize = [&](TObject*) { ++Resized; };
  Form.SetHeight(500);
  EXPECT_EQ(Resized, 1);
  EXPECT_EQ(Bottom->Top(), 450);
  EXPECT_EQ(Client->Height(), 400);
  // Hidden controls take no room.
  Bottom->Hide();
  EXPECT_EQ(Client->Height(), 450);
}

TEST_F(VclTest, ParentsDestroyTheirChildrenWhoeverOwnsThem) {
  TForm Form(nullptr);
  auto* Panel = new TPanel(&Form);
  Panel->SetParent(&Form);
  auto* Combo = new TComboBox(&Form);  // owned by the form, shown on the panel
  Combo->SetName("ComboBoxClass");
  Combo->SetParent(Panel);
  Combo->SetFocus();
  EXPECT_EQ(Form.ActiveControl(), Combo);
  EXPECT_TRUE(Combo->Focused());
  EXPECT_EQ(GetParentForm(Combo), &Form);
  delete Panel;
  EXPECT_EQ(Form.FindComponent("ComboBoxClass"), nullptr);
  EXPECT_EQ(Form.ActiveControl(), nullptr);
  EXPECT_EQ(Form.ControlCount(), 0);
}

TEST_F(VclTest, ScreenKnowsTheActiveFormAndTellsOfChanges) {
  std::vector<TCustomForm*> Seen;
  Screen->OnActiveFormChange = [&](TObject*) { Seen.push_back(Screen->ActiveForm()); };
  auto* A = new TForm(nullptr);
  auto* B = new TForm(nullptr);
  EXPECT_FALSE(A->Visible());
  int Activated = 0;
  A->OnActivate = [&](TObject*) { ++Activated; };
  A->Show();
  B->Show();
  EXPECT_EQ(Screen->ActiveForm(), B);
  EXPECT_EQ(Screen->Forms(0), B);  // front first
  B->Hide();
  EXPECT_EQ(Screen->ActiveForm(), A);
  EXPECT_EQ(Activated, 2);
  delete A;
  EXPECT_EQ(Screen->ActiveForm(), nullptr);
  EXPECT_EQ(Seen, (std::vector<TCustomForm*>{A, B, A, nullptr}));
  delete B;
}

TEST_F(VclTest, ShowModalIsAnsweredByTheHost) {
  TForm Dialog(nullptr);
  auto* Ok = new TButton(&Dialog);
  Ok->SetParent(&Dialog);
  Ok->ModalResult = mrOk;
  auto* Edit = new TEdit(&Dialog);
  Edit->SetParent(&Dialog);

  // Without an answer the dialog is cancelled.
  EXPECT_EQ(Dialog.ShowModal(), mrCancel);
  EXPECT_FALSE(Dialog.Visible());

  bool WasVisible = false;
  VclHost().ShowModal = [&](TCustomForm& F) {
    WasVisible = F.Visible() && Screen->ActiveForm() == &F && F.Modal();
    Edit->SetText("typed");
    Ok->Click();
    return mrNone;
  };
  EXPECT_EQ(Dialog.ShowModal(), mrOk);
  EXPECT_TRUE(WasVisible);
  EXPECT_EQ(Edit->Text(), "typed");
  EXPECT_FALSE(Dialog.Visible());

  VclHost().ShowModal = [&](TCustomForm&) { return mrYes; };
  EXPECT_EQ(Dialog.ShowModal(), mrYes);
  Dialog.Show();
  EXPECT_THROW(Dialog.ShowModal(), EInvalidOperation);
}

TEST_F(VclTest, MessageBoxesFileDialogsAndClipboardGoThroughTheHost) {
  std::vector<TMessageBoxRequest> Boxes;
  VclHost().MessageBox = [&](const TMessageBoxRequest& R) {
    Boxes.push_back(R);
    return mrYes;
  };
  EXPECT_EQ(Application->MessageBox("Error in Create bookmarks", "Velmoric", MB_OK), IDYES);
  EXPECT_EQ(MessageDlg("Overwrite?", mtConfirmation, mbYesNoCancel, 0), mrYes);
  ASSERT_EQ(Boxes.size(), 2u);
  EXPECT_EQ(Boxes[0].Caption, "Velmoric");
  EXPECT_EQ(Boxes[0].Text, "Error in Create bookmarks");
  EXPECT_EQ(Boxes[0].Buttons, MsgDlgButton(mbOK));
  EXPECT_EQ(Boxes[1].Caption, "Confirm");
  EXPECT_EQ(Boxes[1].Buttons, mbYesNoCancel);

  // Without a host answer the most cautious button is taken.
  VclHost().MessageBox = nullptr;
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageDlg("Delete?", mtConfirmation, MsgDlgButton(mbYes) | MsgDlgButton(mbNo), 0), mrNo);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Confirm: Delete?\n");

  TOpenDialog Open(nullptr);
  EXPECT_FALSE(Open.Execute());
  VclHost().FileDialog = [](TOpenDialog& D) {
    D.FileName = D.InitialDir + "/x.pas";
    return true;
  };
  Open.InitialDir = "/src";
  EXPECT_TRUE(Open.Execute());
  EXPECT_EQ(Open.FileName, "/src/x.pas");

  Clipboard().SetAsText("copied");
  EXPECT_EQ(Clipboard().AsText(), "copied");
  std::string HostClip;
  VclHost().SetClipboardText = [&](const std::string& T) { HostClip = T; };
  VclHost().GetClipboardText = [&] { return HostClip + "!"; };
  Clipboard().SetAsText("x");
  EXPECT_EQ(Clipboard().AsText(), "x!");
}

TEST_F(VclTest, ListControlsKeepItemsWithObjectsAndFireUserEvents) {
  TForm Form(nullptr);
  auto* Combo = new TComboBox(&Form);
  Combo->SetSorted(true);
  TObject Obj;
  Combo->Items()->AddObject("TForm1", &Obj);
  Combo->Items()->Add("TButton");
  EXPECT_EQ(Combo->Items()->Get(0), "TButton");
  std::vector<std::string> Events;
  Combo->OnClick = [&](TObject*) { Events.push_back("click " + Combo->Text()); };
  Combo->OnChange = [&](TObject*) { Events.push_back("change " + Combo->Text()); };
  Combo->Select(1);
  EXPECT_EQ(Combo->ItemIndex(), 1);
  EXPECT_EQ(Combo->Items()->Objects(Combo->ItemIndex()), &Obj);
  Combo->TypeText("TFo");
  EXPECT_EQ(Combo->ItemIndex(), -1);
  Combo->SetItemIndex(0);  // from code: no events
  EXPECT_EQ(Combo->Text(), "TButton");
  EXPECT_EQ(Events, (std::vector<std::string>{"click TForm1", "change TForm1", "change TFo"}));
  EXPECT_THROW(Combo->SetItemIndex(2), EListError);
  Combo->Items()->Clear();
  EXPECT_EQ(Combo->ItemIndex(), -1);

  auto* List = new TListBox(&Form);
  List->Items()->Add("a");
  int Clicks = 0;
  List->OnClick = [&](TObject*) { ++Clicks; };
  List->Select(0);
  List->Enabled = false;
  List->Select(0);
  EXPECT_EQ(Clicks, 1);

  uint16_t Key = VK_RETURN;
  uint16_t Seen = 0;
  Combo->OnKeyDown = [&](TObject*, uint16_t& K, TShiftState) { Seen = K; K = 0; };
  Combo->KeyDown(Key, 0);
  EXPECT_EQ(Seen, VK_RETURN);
  EXPECT_EQ(Key, 0);
}

TEST_F(VclTest, MenuItemsNestAndShortCutsReadAsText) {
  TForm Form(nullptr);
  auto* Popup = new TPopupMenu(&Form);
  auto* Goto = new TMenuItem(&Form);
  Goto->Caption = "&Goto";
  Popup->Items()->Add(Goto);
  auto* Sub = new TMenuItem(&Form);
  Goto->Add(Sub);
  EXPECT_EQ(Popup->Items()->Find("goto"), Goto);
  EXPECT_EQ(Sub->Parent(), Goto);
  int Clicks = 0;
  Goto->OnClick = [&](TObject*) { ++Clicks; };
  Goto->Click();
  EXPECT_EQ(Clicks, 1);
  delete Goto;  // with its sub-item
  EXPECT_EQ(Popup->Items()->Count(), 0);
  EXPECT_EQ(Form.ComponentCount(), 1);

  auto* List = new TListBox(&Form);
  auto* Other = new TPopupMenu(&Form);
  List->SetPopupMenu(Other);
  delete Other;
  EXPECT_EQ(List->PopupMenu(), nullptr);

  EXPECT_EQ(ShortCutToText(0x8053), "Alt+S");
  EXPECT_EQ(ShortCutToText(0x800D), "Alt+Enter");
  EXPECT_EQ(ShortCutToText(ShortCut(0x74, ssCtrl | ssShift)), "Shift+Ctrl+F5");
  EXPECT_EQ(TextToShortCut("alt+j"), 0x804A);
  EXPECT_EQ(TextToShortCut("Hyper+J"), scNone);
  EXPECT_EQ(StripHotkey("S&ource explorer..."), "Source explorer...");
}

TEST_F(VclTest, TimersFireWhenProcessedAndDue) {
  uint32_t Now = 5000;
  SetTickCountSource([&] { return Now; });
  int Ticks = 0;
  TTimer Timer(nullptr);
  Timer.SetInterval(300);
  Timer.OnTimer = [&](TObject*) { ++Ticks; };
  ProcessTimers();
  EXPECT_EQ(Ticks, 0);
  Now += 299;
  ProcessTimers();
  EXPECT_EQ(Ticks, 0);
  Now += 1;
  ProcessTimers();
  EXPECT_EQ(Ticks, 1);
  uint32_t Due = 0;
  ASSERT_TRUE(NextTimerDue(Due));
  EXPECT_EQ(Due, 5600u);
  Timer.SetInterval(0);
  EXPECT_FALSE(NextTimerDue(Due));
  // A clock that wraps around keeps the timer going.
  Now = 0xFFFFFF00u;
  Timer.SetInterval(0x200);
  Now += 0x200;
  ProcessTimers();
  EXPECT_EQ(Ticks, 2);
}

TEST_F(VclTest, ReleasedFormsGoAtTheNextMessageProcessing) {
  auto* Form = new TForm(Application);
  int Freed = 0;
  new TCounted(Form, Freed);
  Form->OnClose = [](TObject*, TCloseAction& Action) { Action = caFree; };
  Form->Show();
  Form->Close();
  EXPECT_EQ(Freed, 0);
  EXPECT_FALSE(Form->Visible());
  Application->ProcessMessages();
  EXPECT_EQ(Freed, 1);
}

}  // namespace
