// Scripts run through TScriptHost: the shell-like words, and a test dialog
// with every kind of control shown by a timer of the IDE, answered from the
// script, with message boxes, file dialogs, the clipboard and the errors.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <sstream>
#include <string>
#include <vector>

#include "../support/ScratchDir.h"
#include "hosts/memory/EditWindow.h"
#include "hosts/memory/ExpertSession.h"
#include "hosts/script/ScriptHost.h"
#include "hosts/script/ScriptWords.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Grids.h"

namespace {

using Words = std::vector<std::string>;

TEST(ScriptWords, SplitAsTheShellDoes) {
  EXPECT_EQ(SplitScriptWords("  open   a.pas "), Words({"open", "a.pas"}));
  EXPECT_EQ(SplitScriptWords(R"(menu "Velmoric > Find position")"), Words({"menu", "Velmoric > Find position"}));
  EXPECT_EQ(SplitScriptWords(R"(type 'it''s' a"b c"d)"), Words({"type", "its", "ab cd"}));
  EXPECT_EQ(SplitScriptWords(R"(set E "" x\ y \"q\")"), Words({"set", "E", "", "x y", "\"q\""}));
  // Inside double quotes only \ " $ ` lose their backslash; inside single
  // quotes nothing does.
  EXPECT_EQ(SplitScriptWords(R"(type "a\nb\\c\"d" 'e\nf')"), Words({"type", R"(a\nb\c"d)", R"(e\nf)"}));
  EXPECT_EQ(SplitScriptWords(R"(type a\nb)"), Words({"type", "anb"}));
  EXPECT_EQ(SplitScriptWords("select ListBox1 #2"), Words({"select", "ListBox1", "#2"}));
  EXPECT_THROW(SplitScriptWords("type 'open"), Exception);
  EXPECT_THROW(SplitScriptWords("type \"open\\\""), Exception);
  EXPECT_EQ(ScriptText(R"(a\nb\tc\\n\q)"), "a\nb\tc\\n\\q");
}

std::vector<std::string>* Log = nullptr;

// A dialog with a control of each kind. Its show handler fills the lists,
// so that answers can only work once it has run.
class TTestDialog : public TForm {
 public:
  explicit TTestDialog(TComponent* Owner, const std::string& Name = "TestDialog") : TForm(Owner) {
    SetName(Name);
    Caption = "Test dialog";
    EditName = Make<TEdit>("EditName");
    MemoComment = Make<TMemo>("MemoComment");
    ComboBoxKind = Make<TComboBox>("ComboBoxKind");
    ComboBoxKind->Style = csDropDownList;
    ListBoxUnits = Make<TListBox>("ListBoxUnits");
    ListBoxUnits->MultiSelect = true;
    CheckBoxVirtual = Make<TCheckBox>("CheckBoxVirtual");
    CheckBoxVirtual->Caption = "Virtual";
    RadioGroupScope = Make<TRadioGroup>("RadioGroupScope");
    RadioGroupScope->Items()->Add("private");
    RadioGroupScope->Items()->Add("public");
    PageControl1 = Make<TPageControl>("PageControl1");
    for (const char* N : {"First", "Second"}) {
      auto* Sheet = new TTabSheet(this);
      Sheet->SetName(std::string("TabSheet") + N);
      Sheet->Caption = N;
      Sheet->SetPageControl(PageControl1);
    }
    PageControl1->OnChange = [](TObject* S) {
      Log->push_back("page " + static_cast<TPageControl*>(S)->ActivePage()->Caption);
    };
    DrawGrid1 = Make<TDrawGrid>("DrawGrid1");
    DrawGrid1->SetColCount(2);
    DrawGrid1->SetRowCount(3);
    DrawGrid1->SetFixedCols(0);
    DrawGrid1->Options |= goRowSelect;
    DrawGrid1->OnDrawCell = [this](TObject*, int C, int R, const TRect& Rect, TGridDrawState) {
      static const char* const Cells[3][2] = {{"Name", "Kind"}, {"Draw", "procedure"}, {"Area", "function"}};
      DrawGrid1->Canvas()->TextRect(Rect, Rect.Left + 2, Rect.Top + 2, Cells[R][C]);
    };
    DrawGrid1->OnMouseUp = [this](TObject*, TMouseButton, TShiftState Shift, int X, int Y) {
      int C, R;
      DrawGrid1->MouseToCell(X, Y, C, R);
      if (R == 0) Log->push_back(Format("sort by %d%s", C, Shift == ssRight ? " (right)" : ""));
    };
    TreeView1 = Make<TTreeView>("TreeView1");
    TreeView1->Items()->Add(nullptr, "Root")->SetHasChildren(true);
    TreeView1->OnExpanding = [this](TObject*, TTreeNode* Node, bool&) {
      if (Node->Count() == 0) TreeView1->Items()->AddChild(Node, "Child");
    };
    LabelResult = Make<TLabel>("LabelResult");
    ButtonAsk = MakeButton("ButtonAsk", "Ask", mrNone);
    ButtonAsk->OnClick = [this](TObject*) {
      const int R = MessageDlg("Keep the changes?", mtConfirmation, mbYesNoCancel, 0);
      LabelResult->Caption = "asked " + IntToStr(R);
    };
    ButtonFile = MakeButton("ButtonFile", "...", mrNone);
    ButtonFile->OnClick = [this](TObject*) {
      TOpenDialog Dialog(nullptr);
      LabelResult->Caption = Dialog.Execute() ? "file " + ExtractFileName(Dialog.FileName) : "no file";
    };
    ButtonNested = MakeButton("ButtonNested", "Nested", mrNone);
    ButtonNested->OnClick = [this](TObject*) {
      TTestDialog Nested(nullptr, "NestedDialog");
      Nested.Caption = "Nested";
      LabelResult->Caption = "nested " + IntToStr(Nested.ShowModal());
    };
    ButtonRaise = MakeButton("ButtonRaise", "Raise", mrNone);
    ButtonRaise->OnClick = [](TObject*) { throw Exception("broken handler"); };
    ButtonOff = MakeButton("ButtonOff", "Off", mrNone);
    ButtonOff->Enabled = false;
    ButtonOk = MakeButton("ButtonOk", "OK", mrOk);
    ButtonOk->Default = true;
    ButtonCancel = MakeButton("ButtonCancel", "Cancel", mrCancel);
    ButtonCancel->Cancel = true;
    OnShow = [this](TObject*) {
      ComboBoxKind->Items()->Clear();
      for (const char* S : {"procedure", "function"}) ComboBoxKind->Items()->Add(S);
      ListBoxUnits->Items()->Clear();
      for (const char* S : {"Base", "Mid", "Zoo"}) ListBoxUnits->Items()->Add(S);
    };
  }

  std::string ClassName() const override { return "TTestDialog"; }

  // What the dialog holds after it closed, for the log.
  std::string State() const {
    std::string Units;
    for (int I = 0; I < ListBoxUnits->Items()->Count(); ++I)
      if (ListBoxUnits->Selected(I)) Units += ListBoxUnits->Items()->Get(I) + ",";
    return Format("name=%s kind=%s units=%s virtual=%d scope=%d row=%d memo=%s", EditName->Text(),
                  ComboBoxKind->Text(), Units, CheckBoxVirtual->Checked ? 1 : 0,
                  RadioGroupScope->ItemIndex(), DrawGrid1->Row(), MemoComment->Text());
  }

  TEdit* EditName;
  TMemo* MemoComment;
  TComboBox* ComboBoxKind;
  TListBox* ListBoxUnits;
  TCheckBox* CheckBoxVirtual;
  TRadioGroup* RadioGroupScope;
  TPageControl* PageControl1;
  TDrawGrid* DrawGrid1;
  TTreeView* TreeView1;
  TLabel* LabelResult;
  TButton *ButtonAsk, *ButtonFile, *ButtonNested, *ButtonRaise, *ButtonOff, *ButtonOk, *ButtonCancel;

 private:
  template <typename T>
  T* Make(const std::string& Name) {
    auto* C = new T(this);
    C->SetName(Name);
    C->SetParent(this);
    return C;
  }
  TButton* MakeButton(const std::string& Name, const std::string& Caption, int Result) {
    auto* B = Make<TButton>(Name);
    B->Caption = Caption;
    B->ModalResult = Result;
    return B;
  }
};

class ScriptHostTest : public testing::Test {
 protected:
  void SetUp() override {
    ::setenv("VELMORIC_REGISTRY", Dir.File("registry").c_str(), 1);
    ::setenv("VELMORIC_DATA", Dir.File("data").c_str(), 1);
    Log = &Lines;
  }
  void TearDown() override {
    ::unsetenv("VELMORIC_REGISTRY");
    ::unsetenv("VELMORIC_DATA");
    Log = nullptr;
  }

  // Runs Script; each "wait 100" shows the test dialog modally once, and
  // then its result and state go to the log, which is added to Out.
  int Run(const std::string& Script) {
    std::ostringstream O, E;
    TScriptHost Host(O, E);
    TScriptOptions Options;
    Options.Prepare = [&](TExpertSession& Session) {
      auto* Timer = new TTimer(Session.IDE().MainWindow());
      Timer->SetInterval(100);
      Timer->OnTimer = [&](TObject*) {
        TTestDialog Dialog(nullptr);
        const int R = Dialog.ShowModal();
        O << "result " << R << ' ' << Dialog.State() << '\n';
        for (const std::string& L : Lines) O << L << '\n';
        Lines.clear();
      };
    };
    const int Status = Host.Run(Script, Options);
    Out = O.str();
    Err = E.str();
    return Status;
  }

  TScratchDir Dir;
  std::vector<std::string> Lines;
  std::string Out, Err;
};

TEST_F(ScriptHostTest, DialogAnswersWorkEveryControlAfterTheShowHandler) {
  const int Status = Run(
      "dialog TTestDialog\n"
      "  select ComboBoxKind function\n"
      "  set EditName 'Foo\\tBar'\n"
      "  select ListBoxUnits Base\n"
      "  select ListBoxUnits #2\n"
      "  unselect ListBoxUnits base\n"
      "  check CheckBoxVirtual\n"
      "  select RadioGroupScope public\n"
      "  tab PageControl1 Second\n"
      "  row DrawGrid1 2\n"
      "  header DrawGrid1 Kind right\n"
      "  select TreeView1 Root > Child\n"
      "  set MemoComment \"one\\ntwo\"\n"
      "  print ComboBoxKind\n"
      "  print TreeView1\n"
      "  print DrawGrid1\n"
      "  keypress EditName Enter\n"
      "end\n"
      "wait 100\n");
  EXPECT_EQ(Status, 0) << Err;
  EXPECT_EQ(Err, "");
  EXPECT_EQ(Out,
            "TComboBox ComboBoxKind \"function\"\n"
            "    procedure\n"
            "  * function\n"
            "TTreeView TreeView1\n"
            "    [-] Root\n"
            "  *   Child\n"
            "TDrawGrid DrawGrid1\n"
            "    Name | Kind\n"
            "    Draw | procedure\n"
            "  * Area | function\n"
            "result 1 name=Foo\tBar kind=function units=Zoo, virtual=1 scope=1 row=2 memo=one\r\ntwo\n"
            "page Second\n"
            "sort by 1 (right)\n");
}

TEST_F(ScriptHostTest, PrintShowsTheWholeFormAndClosingWithoutResultCancels) {
  const int Status = Run(
      "dialog \"Test dialog\"\n"
      "print\n"
      "end\n"
      "wait 100\n");
  EXPECT_EQ(Status, 0) << Err;
  EXPECT_EQ(Out,
            "TTestDialog TestDialog \"Test dialog\"\n"
            "TEdit EditName \"\"\n"
            "TMemo MemoComment\n"
            "TComboBox ComboBoxKind \"\"\n"
            "    procedure\n"
            "    function\n"
            "TListBox ListBoxUnits\n"
            "    Base\n"
            "    Mid\n"
            "    Zoo\n"
            "TCheckBox CheckBoxVirtual \"Virtual\"\n"
            "  unchecked\n"
            "TRadioGroup RadioGroupScope \"\"\n"
            "    private\n"
            "    public\n"
            "TPageControl PageControl1\n"
            "  * TabSheetFirst \"First\"\n"
            "    TabSheetSecond \"Second\"\n"
            "TTabSheet TabSheetFirst \"First\"\n"
            "TTabSheet TabSheetSecond \"Second\" hidden\n"
            "TDrawGrid DrawGrid1\n"
            "    Name | Kind\n"
            "  * Draw | procedure\n"
            "    Area | function\n"
            "TTreeView TreeView1\n"
            "    [+] Root\n"
            "TLabel LabelResult \"\"\n"
            "TButton ButtonAsk \"Ask\"\n"
            "TButton ButtonFile \"...\"\n"
            "TButton ButtonNested \"Nested\"\n"
            "TButton ButtonRaise \"Raise\"\n"
            "TButton ButtonOff \"Off\" disabled\n"
            "TButton ButtonOk \"OK\"\n"
            "TButton ButtonCancel \"Cancel\"\n"
            "result 2 name= kind= units= virtual=0 scope=-1 row=1 memo=\n");
}

TEST_F(ScriptHostTest, MessageBoxesFileDialogsAndNestedDialogsTakeTheirAnswersInOrder) {
  const int Status = Run(
      "message No\n"
      "file units/Zoo.pas\n"
      "dialog TestDialog\n"
      "  click ButtonAsk\n"
      "  print LabelResult\n"
      "  click ButtonAsk\n"
      "  print LabelResult\n"
      "  click ButtonFile\n"
      "  print LabelResult\n"
      "  click ButtonFile\n"
      "  print LabelResult\n"
      "  click ButtonNested\n"
      "  print LabelResult\n"
      "  click ButtonRaise\n"
      "  keypress ButtonCancel Escape\n"
      "end\n"
      "dialog NestedDialog\n"
      "  print EditName\n"
      "  close OK\n"
      "end\n"
      "clipboard 'a\\tb'\n"
      "print clipboard\n"
      "wait 100\n");
  EXPECT_EQ(Status, 0) << Err;
  EXPECT_EQ(Out,
            "a\tb\n"
            "message \"Confirm\" Keep the changes? -> No\n"
            "TLabel LabelResult \"asked 7\"\n"
            "message \"Confirm\" Keep the changes? -> Cancel\n"
            "TLabel LabelResult \"asked 2\"\n"
            "TLabel LabelResult \"file Zoo.pas\"\n"
            "TLabel LabelResult \"no file\"\n"
            "TEdit EditName \"\"\n"
            "TLabel LabelResult \"nested 1\"\n"
            "message \"Velmoric IDE\" broken handler -> OK\n"
            "result 2 name= kind= units= virtual=0 scope=-1 row=1 memo=\n");
}

TEST_F(ScriptHostTest, UnansweredDialogsAreCancelledAndTheScriptGoesOn) {
  const int Status = Run(
      "wait 100\n"
      "dialog TestDialog\n"
      "  click ButtonOk\n"
      "end\n"
      "wait 100\n"
      "dialog Nobody\n"
      "end\n");
  EXPECT_EQ(Status, 1);
  EXPECT_EQ(Out,
            "unanswered dialog TTestDialog \"Test dialog\"\n"
            "result 2 name= kind= units= virtual=0 scope=-1 row=1 memo=\n"
            "result 1 name= kind= units= virtual=0 scope=-1 row=1 memo=\n");
  EXPECT_EQ(Err, "script:6: note: no dialog Nobody was shown\n");
}

TEST_F(ScriptHostTest, ActionsThatCannotBeDoneStopTheScriptWithTheirLine) {
  struct TCase {
    const char* Action;
    const char* Error;
  };
  const TCase Cases[] = {
      {"select ComboBoxKind record", "ComboBoxKind has no item \"record\""},
      {"select ListBoxUnits #3", "ListBoxUnits has no item #3 (3 items)"},
      {"click ButtonMissing", "TestDialog has no control ButtonMissing"},
      {"click ButtonOff", "ButtonOff is disabled"},
      {"tab PageControl1 Third", "PageControl1 has no tab \"Third\""},
      {"check EditName", "check does not apply to TEdit EditName"},
      {"row DrawGrid1 3", "DrawGrid1 has no row 3 (3 rows)"},
      {"select TreeView1 Root > Nobody", "TreeView1 has no node \"Root > Nobody\""},
      {"keypress EditName Hyper", "unknown key Hyper"},
      {"close Maybe", "unknown modal result Maybe"},
  };
  for (const TCase& C : Cases) {
    const int Status = Run(std::string("dialog TTestDialog\n") + C.Action + "\nend\nwait 100\nprint clipboard\n");
    EXPECT_EQ(Status, 2) << C.Action;
    EXPECT_EQ(Err, std::string("script:2: ") + C.Error + "\n") << C.Action;
    // The form was cancelled and nothing after the error ran.
    EXPECT_EQ(Out, "result 2 name= kind= units= virtual=0 scope=-1 row=1 memo=\n") << C.Action;
  }
  // After the form got its result, it cannot be worked.
  EXPECT_EQ(Run("dialog TTestDialog\nclick ButtonOk\nset EditName x\nend\nwait 100\n"), 2);
  EXPECT_EQ(Err, "script:3: TestDialog is closed already\n");
  // Parse errors inside a block name their own line.
  EXPECT_EQ(Run("\ndialog TTestDialog\n# note\npush ButtonOk\nend\n"), 2);
  EXPECT_EQ(Err, "script:4: unknown action push\n");
  EXPECT_EQ(Run("dialog TTestDialog\nclick ButtonOk\n"), 2);
  EXPECT_EQ(Err, "script:1: dialog TTestDialog has no end\n");
  EXPECT_EQ(Run("form TTestDialog\nprint\nend\n"), 2);
  EXPECT_EQ(Err, "script:1: no form TTestDialog is shown\n");
  EXPECT_EQ(Run("message Yes\ndialog TTestDialog\nclick ButtonRaise\nend\nwait 100\n"), 2);
  EXPECT_EQ(Err, "script:1: the message box has no Yes button (OK)\n");
  EXPECT_EQ(Out, "message \"Velmoric IDE\" broken handler -> OK\n"
                 "result 2 name= kind= units= virtual=0 scope=-1 row=1 memo=\n");
}

}  // namespace
