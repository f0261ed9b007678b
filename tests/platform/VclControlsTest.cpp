// The control classes beyond the basic ones (memo, page control, radio
// buttons and groups, status bar, scroll bar, grids with their canvas, tree
// view) and the script hooks every control answers: what it prints and the
// user's actions it carries out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Grids.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/ScriptHooks.h"
#include "platform/vcl/StdCtrls.h"

namespace {

std::vector<std::string> Print(const TComponent& C) {
  std::vector<std::string> Lines;
  C.ScriptPrint(Lines);
  return Lines;
}

using Lines = std::vector<std::string>;

template <typename T>
T* Make(TCustomForm* Form, const std::string& Name) {
  auto* C = new T(Form);
  C->SetName(Name);
  C->SetParent(Form);
  return C;
}

class VclControlsTest : public testing::Test {
 protected:
  void SetUp() override { Form = new TForm(nullptr); }
  void TearDown() override { delete Form; }
  TForm* Form = nullptr;
};

TEST_F(VclControlsTest, HeadLinesShowClassNameTextAndState) {
  auto* Edit = Make<TEdit>(Form, "EditName");
  Edit->SetText("say \"hi\"\n");
  auto* Button = Make<TButton>(Form, "ButtonOk");
  Button->Caption = "&Ok";
  Button->Enabled = false;
  Button->Hide();
  auto* Check = Make<TCheckBox>(Form, "CheckBoxVirtual");
  Check->Caption = "Virtual";
  EXPECT_EQ(Print(*Edit), Lines({R"(TEdit EditName "say \"hi\"\n")"}));
  EXPECT_EQ(Print(*Button), Lines({R"(TButton ButtonOk "&Ok" disabled hidden)"}));
  EXPECT_EQ(Print(*Check), Lines({R"(TCheckBox CheckBoxVirtual "Virtual")", "  unchecked"}));
  // A verb that does not apply answers false; one that applies but cannot
  // be done raises.
  EXPECT_FALSE(Button->ScriptAction("set", {"x"}));
  EXPECT_THROW(Edit->ScriptAction("set", {}), EScriptError);
}

TEST_F(VclControlsTest, SetCheckAndClickFireTheUsersEvents) {
  auto* Edit = Make<TEdit>(Form, "Edit1");
  int Changes = 0, Clicks = 0;
  Edit->OnChange = [&](TObject*) { ++Changes; };
  EXPECT_TRUE(Edit->ScriptAction("set", {"abc"}));
  EXPECT_EQ(Edit->Text(), "abc");
  EXPECT_EQ(Changes, 1);

  auto* Check = Make<TCheckBox>(Form, "Check1");
  Check->OnClick = [&](TObject*) { ++Clicks; };
  EXPECT_TRUE(Check->ScriptAction("check", {}));
  EXPECT_TRUE(Check->ScriptAction("check", {}));  // already checked: nothing
  EXPECT_TRUE(Check->Checked);
  EXPECT_EQ(Clicks, 1);
  EXPECT_TRUE(Check->ScriptAction("uncheck", {}));
  EXPECT_FALSE(Check->Checked);
  EXPECT_EQ(Clicks, 2);

  auto* Button = Make<TButton>(Form, "Button1");
  Button->ModalResult = mrOk;
  EXPECT_TRUE(Button->ScriptAction("click", {}));
  EXPECT_EQ(Form->ModalResult, mrOk);

  auto* Popup = new TPopupMenu(Form);
  auto* Item = new TMenuItem(Form);
  Item->SetName("Jump1");
  Item->Caption = "&Jump";
  Popup->Items()->Add(Item);
  Item->OnClick = [&](TObject*) { ++Clicks; };
  EXPECT_EQ(Print(*Item), Lines({R"(TMenuItem Jump1 "&Jump")"}));
  EXPECT_TRUE(Item->ScriptAction("click", {}));
  EXPECT_EQ(Clicks, 3);
  Item->Enabled = false;
  EXPECT_THROW(Item->ScriptAction("click", {}), EScriptError);
}

TEST_F(VclControlsTest, ListsSelectByTextOrIndexAndMultiSelectCollects) {
  auto* Combo = Make<TComboBox>(Form, "ComboBoxProctyp");
  Combo->Items()->Add("procedure");
  Combo->Items()->Add("function");
  Combo->Style = csDropDownList;
  int Changes = 0;
  Combo->OnChange = [&](TObject*) { ++Changes; };
  EXPECT_TRUE(Combo->ScriptAction("select", {"FUNCTION"}));
  EXPECT_EQ(Combo->Text(), "function");
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(Print(*Combo),
            Lines({R"(TComboBox ComboBoxProctyp "function")", "    procedure", "  * function"}));
  EXPECT_THROW(Combo->ScriptAction("select", {"record"}), EScriptError);
  EXPECT_THROW(Combo->ScriptAction("set", {"record"}), EScriptError);  // a drop-down list
  Combo->Style = csDropDown;
  EXPECT_TRUE(Combo->ScriptAction("set", {"record"}));
  EXPECT_EQ(Combo->ItemIndex(), -1);
  EXPECT_EQ(Combo->Text(), "record");

  auto* List = Make<TListBox>(Form, "ListBoxType");
  for (const char* S : {"published", "stored", "default"}) List->Items()->Add(S);
  EXPECT_EQ(List->SelCount(), -1);
  List->MultiSelect = true;
  EXPECT_TRUE(List->ScriptAction("select", {"#2"}));
  EXPECT_TRUE(List->ScriptAction("select", {"stored"}));
  EXPECT_EQ(List->SelCount(), 2);
  EXPECT_TRUE(List->Selected(2) && List->Selected(1) && !List->Selected(0));
  EXPECT_EQ(Print(*List), Lines({"TListBox ListBoxType", "    published", "  * stored", "  * default"}));
  EXPECT_TRUE(List->ScriptAction("unselect", {"#2"}));
  EXPECT_EQ(List->SelCount(), 1);
  EXPECT_THROW(List->ScriptAction("select", {"#3"}), EScriptError);
  EXPECT_THROW(List->Selected(3), EListError);
  List->Items()->Delete(2);
  List->Items()->Delete(1);
  EXPECT_EQ(List->SelCount(), 0);  // the selection went with the items
  List->Clear();
  EXPECT_EQ(List->SelCount(), 0);

  int DblClicks = 0;
  auto* Single = Make<TListBox>(Form, "ListBox1");
  Single->Items()->Add("a");
  Single->Items()->Add("b");
  Single->OnDblClick = [&](TObject*) { DblClicks += 1 + Single->ItemIndex(); };
  EXPECT_TRUE(Single->ScriptAction("dblclick", {"b"}));
  EXPECT_EQ(DblClicks, 2);
  EXPECT_TRUE(Single->Selected(1));
  EXPECT_TRUE(Single->ScriptAction("unselect", {"b"}));
  EXPECT_EQ(Single->ItemIndex(), -1);
}

TEST_F(VclControlsTest, KeyPressHoldsTheModifiersNamedInFront) {
  auto* Edit = Make<TEdit>(Form, "Edit1");
  std::string Trace;
  Edit->OnKeyDown = [&](TObject*, uint16_t& Key, TShiftState Shift) {
    Trace += IntToStr(Key) + "/" + IntToStr(Shift) + " ";
  };
  EXPECT_TRUE(Edit->ScriptAction("keypress", {"Ctrl+Shift+F5"}));
  EXPECT_EQ(Trace, "116/5 ");
  Trace.clear();
  EXPECT_TRUE(Edit->ScriptAction("keypress", {"alt+x"}));  // types nothing
  EXPECT_EQ(Trace, "88/2 ");
  EXPECT_EQ(Edit->Text(), "");
  EXPECT_TRUE(Edit->ScriptAction("keypress", {"+"}));
  EXPECT_EQ(Edit->Text(), "+");
  EXPECT_THROW(Edit->ScriptAction("keypress", {"Ctrl+Hyper"}), EScriptError);
}

TEST_F(VclControlsTest, KeyPressGoesThroughPreviewControlAndDialogButtons) {
  std::string Trace;
  auto* List = Make<TListBox>(Form, "ListBox1");
  auto* Ok = Make<TButton>(Form, "ButtonOk");
  Ok->Default = true;
  Ok->ModalResult = mrOk;
  auto* Cancel = Make<TButton>(Form, "ButtonCancel");
  Cancel->Cancel = true;
  Cancel->ModalResult = mrCancel;
  Form->KeyPreview = true;
  Form->OnKeyDown = [&](TObject*, uint16_t& Key, TShiftState) { Trace += "form" + IntToStr(Key) + " "; };
  List->OnKeyDown = [&](TObject*, uint16_t& Key, TShiftState) { Trace += "list" + IntToStr(Key) + " "; };
  List->OnKeyPress = [&](TObject*, char& Key) { Trace += std::string("char ") + Key + " "; };
  EXPECT_TRUE(List->ScriptAction("keypress", {"x"}));
  EXPECT_EQ(Trace, "form88 list88 char x ");
  Trace.clear();
  EXPECT_TRUE(List->ScriptAction("keypress", {"Enter"}));
  EXPECT_EQ(Trace, "form13 list13 ");
  EXPECT_EQ(Form->ModalResult, mrOk);
  EXPECT_TRUE(List->ScriptAction("keypress", {"Escape"}));
  EXPECT_EQ(Form->ModalResult, mrCancel);
  // A handler that takes the key stops it.
  Form->ModalResult = mrNone;
  List->OnKeyDown = [&](TObject*, uint16_t& Key, TShiftState) { Key = 0; };
  EXPECT_TRUE(List->ScriptAction("keypress", {"Enter"}));
  EXPECT_EQ(Form->ModalResult, mrNone);
  // A memo keeps Enter for itself.
  auto* Memo = Make<TMemo>(Form, "Memo1");
  EXPECT_TRUE(Memo->ScriptAction("keypress", {"Enter"}));
  EXPECT_EQ(Form->ModalResult, mrNone);
  EXPECT_THROW(List->ScriptAction("keypress", {"Hyper"}), EScriptError);
  uint16_t Key = 0;
  char Char = 0;
  EXPECT_TRUE(ScriptKey("Delete", Key, Char));
  EXPECT_EQ(Key, VK_DELETE);
  EXPECT_TRUE(ScriptKey("F5", Key, Char));
  EXPECT_EQ(Key, 0x74);
}

TEST_F(VclControlsTest, MemoLinesAndTextAgreeAndEveryChangeIsReported) {
  auto* Memo = Make<TMemo>(Form, "MemoComment");
  int Changes = 0;
  Memo->OnChange = [&](TObject*) { ++Changes; };
  EXPECT_TRUE(Memo->ScriptAction("set", {"first\nsecond"}));
  EXPECT_EQ(Memo->Lines()->Count(), 2);
  EXPECT_EQ(Memo->Text(), "first\r\nsecond");
  EXPECT_EQ(Changes, 1);
  Memo->Lines()->Add("third");
  EXPECT_EQ(Changes, 2);
  EXPECT_EQ(Print(*Memo), Lines({"TMemo MemoComment", "  | first", "  | second", "  | third"}));
  Memo->SetText("");
  EXPECT_EQ(Memo->Lines()->Count(), 0);
  EXPECT_EQ(Changes, 3);
  // Keys type at the end: characters, Enter for a new line, backspace.
  for (const char* K : {"a", "Enter", "b", "Backspace", "Backspace", "c"}) Memo->ScriptAction("keypress", {K});
  EXPECT_EQ(Memo->Text(), "ac");
  Memo->ReadOnly = true;
  EXPECT_THROW(Memo->ScriptAction("set", {"x"}), EScriptError);
  Memo->ScriptAction("keypress", {"x"});
  EXPECT_EQ(Memo->Text(), "ac");
}

TEST_F(VclControlsTest, KeysTypeIntoEditsUnlessTheHandlerTakesThem) {
  auto* Edit = Make<TEdit>(Form, "Edit1");
  int Changes = 0;
  Edit->OnChange = [&](TObject*) { ++Changes; };
  Edit->OnKeyPress = [](TObject*, char& Key) {
    if (Key == '!') Key = 0;
  };
  for (const char* K : {"a", "!", "b", "Backspace", "c", "Escape"}) Edit->ScriptAction("keypress", {K});
  EXPECT_EQ(Edit->Text(), "ac");
  EXPECT_EQ(Changes, 4);
  auto* Combo = Make<TComboBox>(Form, "Combo1");
  Combo->Items()->Add("x");
  Combo->ScriptAction("keypress", {"y"});
  EXPECT_EQ(Combo->Text(), "y");
  Combo->Style = csDropDownList;
  Combo->ScriptAction("keypress", {"z"});
  EXPECT_EQ(Combo->Text(), "y");
}

TEST_F(VclControlsTest, PageControlShowsOnlyTheActivePageAndAsksBeforeTheUserChanges) {
  auto* Pages = Make<TPageControl>(Form, "PageControl1");
  auto* A = new TTabSheet(Form);
  A->SetName("TabSheetProcedure");
  A->Caption = "&Procedure";
  A->SetPageControl(Pages);
  auto* B = new TTabSheet(Form);
  B->SetName("TabSheetVariable");
  B->Caption = "Variable";
  B->SetParent(Pages);  // the same as SetPageControl
  auto* C = new TTabSheet(Form);
  C->SetName("TabSheetHidden");
  C->SetPageControl(Pages);
  C->SetTabVisible(false);
  EXPECT_EQ(Pages->PageCount(), 3);
  EXPECT_EQ(Pages->ActivePage(), A);
  EXPECT_TRUE(A->Visible());
  EXPECT_FALSE(B->Visible());

  std::string Trace;
  bool Allow = false;
  Pages->OnChanging = [&](TObject*, bool& AllowChange) {
    Trace += "changing ";
    AllowChange = Allow;
  };
  Pages->OnChange = [&](TObject*) { Trace += "change " + Pages->ActivePage()->Name(); };
  EXPECT_TRUE(Pages->ScriptAction("tab", {"Variable"}));
  EXPECT_EQ(Pages->ActivePage(), A);
  Allow = true;
  EXPECT_TRUE(Pages->ScriptAction("tab", {"tabsheetvariable"}));
  EXPECT_EQ(Trace, "changing changing change TabSheetVariable");
  EXPECT_TRUE(B->Visible());
  EXPECT_FALSE(A->Visible());
  EXPECT_EQ(Print(*Pages), Lines({"TPageControl PageControl1", R"(    TabSheetProcedure "&Procedure")",
                                  R"(  * TabSheetVariable "Variable")"}));
  EXPECT_THROW(Pages->ScriptAction("tab", {"TabSheetHidden"}), EScriptError);
  EXPECT_THROW(Pages->ScriptAction("tab", {"Nothing"}), EScriptError);

  // From code: no events.
  Trace.clear();
  Pages->SetActivePageIndex(0);
  EXPECT_EQ(Pages->ActivePage(), A);
  EXPECT_EQ(Trace, "");
  B->SetPageIndex(0);
  EXPECT_EQ(Pages->Pages(0), B);
  EXPECT_EQ(A->PageIndex(), 1);
  delete A;  // the active page goes: another one shows
  EXPECT_EQ(Pages->PageCount(), 2);
  EXPECT_EQ(Pages->ActivePage(), B);
}

TEST_F(VclControlsTest, RadioButtonsAndGroupsCheckOneAtATime) {
  auto* R1 = Make<TRadioButton>(Form, "Radio1");
  auto* R2 = Make<TRadioButton>(Form, "Radio2");
  R1->SetChecked(true);
  EXPECT_TRUE(R2->ScriptAction("check", {}));
  EXPECT_TRUE(R2->Checked());
  EXPECT_FALSE(R1->Checked());
  EXPECT_THROW(R2->ScriptAction("uncheck", {}), EScriptError);

  auto* Group = Make<TRadioGroup>(Form, "RadioGroup1");
  Group->Caption = "Scope";
  Group->Items()->Add("private");
  Group->Items()->Add("public");
  int Clicks = 0;
  Group->OnClick = [&](TObject*) { ++Clicks; };
  EXPECT_TRUE(Group->ScriptAction("select", {"public"}));
  EXPECT_EQ(Group->ItemIndex(), 1);
  EXPECT_EQ(Clicks, 1);
  EXPECT_EQ(Print(*Group), Lines({R"(TRadioGroup RadioGroup1 "Scope")", "    private", "  * public"}));
  EXPECT_THROW(Group->SetItemIndex(2), EListError);
}

TEST_F(VclControlsTest, StatusBarScrollBarAndPlainControlsPrint) {
  auto* Bar = Make<TStatusBar>(Form, "StatusBar1");
  Bar->SimpleText = "3 units";
  EXPECT_EQ(Print(*Bar), Lines({R"(TStatusBar StatusBar1 "3 units")"}));
  Bar->AddPanel().Text = "left";
  Bar->AddPanel().Text = "right";
  EXPECT_EQ(Print(*Bar), Lines({"TStatusBar StatusBar1", "    left", "    right"}));
  EXPECT_THROW(Bar->Panels(2), EListError);

  auto* Scroll = Make<TScrollBar>(Form, "ScrollBar1");
  int Changes = 0;
  Scroll->OnChange = [&](TObject*) { ++Changes; };
  Scroll->SetParams(5, 0, 10);
  EXPECT_TRUE(Scroll->ScriptAction("set", {"20"}));
  EXPECT_EQ(Scroll->Position(), 10);
  EXPECT_EQ(Changes, 2);
  EXPECT_EQ(Print(*Scroll), Lines({"TScrollBar ScrollBar1", "  position 10 of 0..10"}));
  EXPECT_THROW(Scroll->ScriptAction("set", {"ten"}), EScriptError);

  EXPECT_EQ(Print(*Make<TBevel>(Form, "Bevel1")), Lines({"TBevel Bevel1"}));
  EXPECT_EQ(Print(*Make<TSplitter>(Form, "Splitter1")), Lines({"TSplitter Splitter1"}));
  auto* Group = Make<TGroupBox>(Form, "GroupBox1");
  Group->Caption = "Comment";
  EXPECT_EQ(Print(*Group), Lines({R"(TGroupBox GroupBox1 "Comment")"}));
  auto* Image = Make<TImage>(Form, "Image1");
  Image->Picture = "VELMORIC";
  EXPECT_EQ(Print(*Image), Lines({"TImage Image1", R"(  picture "VELMORIC")"}));
}

// A grid painting "r<row>c<col>" in bold on selected cells, as the forms'
// draw handlers do from their lists.
TEST_F(VclControlsTest, DrawGridPaintsThroughItsHandlerAndPrintsWhatWasPainted) {
  auto* Grid = Make<TDrawGrid>(Form, "DrawGridProcedures");
  Grid->SetColCount(2);
  Grid->SetRowCount(4);
  Grid->SetFixedCols(0);
  Grid->Options |= goRowSelect;
  Grid->OnDrawCell = [&](TObject*, int C, int R, const TRect& Rect, TGridDrawState State) {
    if (R == 3) return;  // beyond the list: blank
    Grid->Canvas()->Font.Bold = (State & gdSelected) != 0;
    Grid->Canvas()->TextRect(Rect, Rect.Left + 2, Rect.Top + 2,
                             R == 0 ? (C == 0 ? "Type" : "Name") : Format("r%dc%d", R, C));
  };
  EXPECT_EQ(Grid->PaintedText(1, 1), "r1c1");
  ASSERT_EQ(Grid->Canvas()->Ops().size(), 1u);
  EXPECT_TRUE(Grid->Canvas()->Ops()[0].Font.Bold);
  EXPECT_EQ(Grid->Canvas()->Ops()[0].BrushColor, clHighlight);
  EXPECT_EQ(Grid->Canvas()->Ops()[0].Rect.Left, Grid->CellRect(1, 1).Left);
  EXPECT_EQ(Print(*Grid), Lines({"TDrawGrid DrawGridProcedures", "    Type | Name", "  * r1c0 | r1c1",
                                 "    r2c0 | r2c1"}));

  std::string Trace;
  Grid->OnSelectCell = [&](TObject*, int C, int R, bool& CanSelect) {
    Trace += Format("select %d,%d ", C, R);
    CanSelect = R != 2;
  };
  Grid->OnClick = [&](TObject*) { Trace += "click "; };
  Grid->OnDblClick = [&](TObject*) { Trace += "dblclick "; };
  Grid->OnMouseUp = [&](TObject*, TMouseButton Button, TShiftState Shift, int X, int Y) {
    int C, R;
    Grid->MouseToCell(X, Y, C, R);
    Trace += Format("up %d,%d %d ", C, R, Shift == ssRight ? 1 : 0);
  };
  EXPECT_TRUE(Grid->ScriptAction("row", {"2"}));  // refused
  EXPECT_EQ(Grid->Row(), 1);
  EXPECT_TRUE(Grid->ScriptAction("dblclick", {"3"}));
  EXPECT_EQ(Grid->Row(), 3);
  EXPECT_EQ(Trace, "select 1,2 up 1,2 0 select 1,3 click up 1,3 0 dblclick ");
  Trace.clear();
  EXPECT_TRUE(Grid->ScriptAction("header", {"Name", "right"}));
  EXPECT_TRUE(Grid->ScriptAction("header", {"0"}));
  EXPECT_EQ(Trace, "up 1,0 1 up 0,0 0 ");
  EXPECT_THROW(Grid->ScriptAction("row", {"0"}), EScriptError);  // the header
  EXPECT_THROW(Grid->ScriptAction("row", {"4"}), EScriptError);
  EXPECT_THROW(Grid->ScriptAction("header", {"Scope"}), EScriptError);
  EXPECT_THROW(Grid->ScriptAction("header", {"0", "left"}), EScriptError);
  Trace.clear();
  EXPECT_TRUE(Grid->ScriptAction("keypress", {"Up"}));
  EXPECT_EQ(Grid->Row(), 3);  // row 2 refuses
  EXPECT_EQ(Trace, "select 1,2 ");

  // From code: the current row moves through OnSelectCell and OnClick too.
  Grid->OnSelectCell = nullptr;
  Trace.clear();
  Grid->SetRow(1);
  EXPECT_EQ(Trace, "click ");
  Grid->SetRowCount(1);  // kept above the fixed rows
  EXPECT_EQ(Grid->RowCount(), 2);
  EXPECT_EQ(Grid->Row(), 1);
  EXPECT_THROW(Grid->SetRow(5), EInvalidGridOperation);
  EXPECT_THROW(Grid->ColWidths(2), EInvalidGridOperation);
}

TEST_F(VclControlsTest, StringGridPaintsItsCells) {
  auto* Grid = Make<TStringGrid>(Form, "StringGrid1");
  Grid->SetColCount(2);
  Grid->SetRowCount(2);
  Grid->SetColWidths(0, 200);
  Grid->SetDefaultRowHeight(14);
  Grid->SetCells(0, 0, "Name");
  Grid->SetCells(1, 1, "x");
  EXPECT_EQ(Grid->Cells(1, 0), "");
  EXPECT_THROW(Grid->Cells(2, 0), EInvalidGridOperation);
  EXPECT_EQ(Grid->CellRect(1, 1).Left, 201);
  EXPECT_EQ(Grid->CellRect(1, 1).Top, 15);
  EXPECT_EQ(Grid->ColWidths(1), 64);
  EXPECT_EQ(Print(*Grid), Lines({"TStringGrid StringGrid1", "    Name | ", "  *  | x"}));
  Grid->Paint();
  EXPECT_EQ(Grid->Canvas()->Text(), "Name x");
}

TEST_F(VclControlsTest, TreeViewExpandsLazilyAndScriptsReachNodesByPath) {
  auto* Tree = Make<TTreeView>(Form, "TreeView1");
  TTreeNode* Unit = Tree->Items()->Add(nullptr, "Unit1");
  Unit->SetHasChildren(true);
  TTreeNode* Other = Tree->Items()->AddObject(nullptr, "Other", &Tree);
  EXPECT_EQ(Other->Data, &Tree);
  std::string Trace;
  Tree->OnExpanding = [&](TObject*, TTreeNode* Node, bool& Allow) {
    Trace += "expanding " + Node->Text + " ";
    if (Node == Unit && Unit->Count() == 0) {
      TTreeNode* Form1 = Tree->Items()->AddChild(Unit, "TForm1");
      Tree->Items()->AddChildObject(Form1, "Button1Click", nullptr);
      Tree->Items()->AddChild(Unit, "TForm2");
    }
  };
  Tree->OnChange = [&](TObject*, TTreeNode* Node) { Trace += "change " + (Node ? Node->Text : "-") + " "; };
  EXPECT_EQ(Print(*Tree), Lines({"TTreeView TreeView1", "    [+] Unit1", "    Other"}));
  EXPECT_TRUE(Tree->ScriptAction("select", {"Unit1 > TForm1 > Button1Click"}));
  EXPECT_EQ(Trace, "expanding Unit1 expanding TForm1 change Button1Click ");
  EXPECT_EQ(Tree->Selected()->Level(), 2);
  EXPECT_EQ(Print(*Tree), Lines({"TTreeView TreeView1", "    [-] Unit1", "      [-] TForm1",
                                 "  *     Button1Click", "      TForm2", "    Other"}));
  EXPECT_EQ(Tree->Items()->Count(), 5);
  EXPECT_EQ(Tree->Items()->Item(3)->Text, "TForm2");
  EXPECT_EQ(Unit->GetFirstChild()->GetNextSibling()->Text, "TForm2");
  EXPECT_THROW(Tree->ScriptAction("select", {"Unit1 > TForm3"}), EScriptError);

  // Collapsing over the selection moves it up; deleting it clears it.
  Trace.clear();
  EXPECT_TRUE(Tree->ScriptAction("collapse", {"Unit1", ">", "TForm1"}));
  EXPECT_EQ(Tree->Selected()->Text, "TForm1");
  EXPECT_EQ(Trace, "change TForm1 ");
  int Deleted = 0;
  Tree->OnDeletion = [&](TObject*, TTreeNode*) { ++Deleted; };
  Tree->Selected()->Delete();
  EXPECT_EQ(Deleted, 2);
  EXPECT_EQ(Tree->Selected(), nullptr);
  // A node that gets no children on expanding loses its button.
  Other->SetHasChildren(true);
  EXPECT_TRUE(Tree->ScriptAction("expand", {"other"}));
  EXPECT_FALSE(Other->HasChildren());
  EXPECT_FALSE(Other->Expanded());
  Tree->Items()->Clear();
  EXPECT_EQ(Tree->Items()->Count(), 0);
  EXPECT_EQ(Deleted, 5);
}

}  // namespace
