// The Qt renderer under Qt's offscreen platform: every form of the add-in
// shows its controls where the component library has them, and the user's
// input reaches the controls' events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <cstdlib>
#include <functional>
#include <memory>

#include <QTextEdit>

#include "browsers/VelmoricSourceExplorer.h"
#include "browsers/VelmoricSymbols.h"
#include "browsers/VelmoricUnits.h"
#include "help/VelmoricVHManualCreate.h"
#include "help/VelmoricVirtualHelp.h"
#include "help/VelmoricVirtualHelpIndex.h"
#include "help/VelmoricVirtualHelpProperty.h"
#include "ide/VelmoricAbout.h"
#include "ide/VelmoricAmbuingity.h"
#include "ide/VelmoricBookmarkStack.h"
#include "options/VelmoricOptions.h"
#include "platform/vcl/RichEdit.h"
#include "tools/VelmoracDesktopManager.h"
#include "tools/VelmoricDFMView.h"
#include "trace/VelmoricStatus.h"
#include "wizards/VelmoricExpandWord.h"
#include "wizards/VelmoricLike.h"
#include "wizards/VelmoricNewProcedure.h"
#include "wizards/VelmoricUsesManagerAdd.h"
#include "wizards/VelmoricUsesManger.h"
#include "platform/qt/QtRenderer.h"
#include "../support/QtApplication.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Grids.h"
#include "platform/vcl/Menus.h"

namespace {


QString Q(const std::string& S) { return QString::fromLatin1(S.c_str()); }

// Checks the widget of Control and of every control below it.
void ExpectMirrored(const TQtRenderer& Renderer, TControl* Control, QWidget* Window) {
  SCOPED_TRACE(Control->ClassName() + " " + Control->Name());
  QWidget* W = Renderer.WidgetOf(Control);
  ASSERT_NE(W, nullptr);
  EXPECT_EQ(Renderer.ControlOf(W), Control);
  EXPECT_EQ(W->objectName(), Q(Control->Name()));
  EXPECT_EQ(W->isEnabled(), Control->Enabled && (!Control->Parent() || Renderer.WidgetOf(Control->Parent())->isEnabled()));
  if (W == Window) {
    EXPECT_EQ(W->windowTitle(), Q(Control->Caption));
  } else if (dynamic_cast<TTabSheet*>(Control) || dynamic_cast<TTabControl*>(Control->Parent())) {
    // A sheet (or what fills a tab control) fills it below the tab bar.
    QWidget* PagesWidget = Renderer.WidgetOf(Control->Parent());
    const int Bar = PagesWidget->findChild<QTabBar*>()->height();
    EXPECT_EQ(W->parentWidget(), PagesWidget);
    if (dynamic_cast<TTabSheet*>(Control) || Control->Align() == alClient)
      EXPECT_EQ(W->geometry(), QRect(0, Bar, PagesWidget->width(), PagesWidget->height() - Bar));
    else
      EXPECT_EQ(W->geometry(), QRect(Control->Left(), Control->Top() + Bar, Control->Width(), Control->Height()));
    EXPECT_EQ(W->isVisibleTo(Window), Control->Visible());
  } else {
    EXPECT_EQ(W->parentWidget(), Renderer.WidgetOf(Control->Parent()));
    EXPECT_EQ(W->geometry(), QRect(Control->Left(), Control->Top(), Control->Width(), Control->Height()));
    EXPECT_EQ(W->isVisibleTo(Window), Control->Visible() && (Control->Parent() == nullptr ||
                                                             Renderer.WidgetOf(Control->Parent())->isVisibleTo(Window) ||
                                                             Renderer.WidgetOf(Control->Parent()) == Window));
  }
  if (!dynamic_cast<TTabSheet*>(Control) && !dynamic_cast<TTabControl*>(Control->Parent()))
    EXPECT_EQ(W->size(), QSize(Control->Width(), Control->Height()));
  if (auto* B = qobject_cast<QPushButton*>(W)) EXPECT_EQ(B->text(), Q(Control->Caption));
  if (auto* C = qobject_cast<QCheckBox*>(W)) EXPECT_EQ(C->text(), Q(Control->Caption));
  if (auto* L = qobject_cast<QLabel*>(W); L && dynamic_cast<TLabel*>(Control))
    EXPECT_EQ(L->text(), Q(StripHotkey(Control->Caption)));
  if (auto* T = dynamic_cast<TSpeedButton*>(Control)) {
    auto* B = qobject_cast<QToolButton*>(W);
    // A glyph shows as its picture; an unknown one by its name.
    EXPECT_EQ(B->text(), Q(T->Caption.empty() && B->icon().isNull() ? T->Glyph : T->Caption));
    if (!B->icon().isNull()) EXPECT_FALSE(T->Glyph.empty());
  }
  if (auto* Rich = dynamic_cast<TRichEdit*>(Control)) {
    auto* T = qobject_cast<QTextEdit*>(W);
    ASSERT_NE(T, nullptr);
    EXPECT_EQ(T->toPlainText(), Q(Rich->Text()).replace("\r\n", "\n"));
  }
  if (auto* Combo = dynamic_cast<TComboBox*>(Control)) {
    auto* C = qobject_cast<QComboBox*>(W);
    ASSERT_NE(C, nullptr);
    EXPECT_EQ(C->count(), Combo->Items()->Count());
    if (C->isEditable()) EXPECT_EQ(C->currentText(), Q(Combo->Text()));
  }
  if (auto* List = dynamic_cast<TListBox*>(Control)) {
    auto* L = qobject_cast<QListWidget*>(W);
    ASSERT_NE(L, nullptr);
    ASSERT_EQ(L->count(), List->Items()->Count());
    for (int I = 0; I < L->count(); ++I) EXPECT_EQ(L->item(I)->text(), Q(List->Items()->Get(I)));
  }
  if (auto* Win = dynamic_cast<TWinControl*>(Control))
    for (int I = 0; I < Win->ControlCount(); ++I) ExpectMirrored(Renderer, Win->Controls(I), Window);
}

void SaveScreenshot(QWidget* Window, const std::string& Name) {
  EXPECT_TRUE(SaveTestScreenshot(Window->grab(), Q(Name)));
}

class QtRendererTest : public ::testing::Test {
 protected:
  void SetUp() override { TestApplication(); }
  void TearDown() override {
    Renderer.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // Shows and renders the form, checks every control's widget and saves a screenshot.
  QWidget* ShowMirrored(TCustomForm& Form, const std::string& Name) {
    Form.Show();
    QWidget* Window = Renderer->Render(&Form);
    ExpectMirrored(*Renderer, &Form, Window);
    SaveScreenshot(Window, Name);
    return Window;
  }
  std::unique_ptr<TQtRenderer> Renderer = std::make_unique<TQtRenderer>();
};

struct TFormCase {
  const char* Name;
  std::function<TCustomForm*()> Make;
};

template <class TFormClass>
TFormCase FormCase(const char* Name) {
  return {Name, [] { return static_cast<TCustomForm*>(new TFormClass(nullptr)); }};
}

class QtRendererFormTest : public QtRendererTest, public ::testing::WithParamInterface<TFormCase> {};

TEST_P(QtRendererFormTest, RendersEveryControlWhereTheFormHasIt) {
  std::unique_ptr<TCustomForm> Form(GetParam().Make());
  QWidget* Window = Renderer->Render(Form.get());
  ASSERT_NE(Window, nullptr);
  EXPECT_TRUE(Window->isWindow());
  EXPECT_EQ(Window->isVisible(), Form->Visible());
  ExpectMirrored(*Renderer, Form.get(), Window);
  SaveScreenshot(Window, Form->ClassName());
}

INSTANTIATE_TEST_SUITE_P(
    AddInForms, QtRendererFormTest,
    ::testing::Values(
        TFormCase{"About", [] { return static_cast<TCustomForm*>(new TFFormVelmoricAbout(nullptr)); }},
        TFormCase{"Ambiguity",
                  [] {
                    auto* F = new TFormVelmoricAmbuingity(nullptr);
                    F->ListBox1->Items()->Add("Unit1.TFoo.Bar");
                    F->ListBox1->Items()->Add("Unit2.Bar");
                    return static_cast<TCustomForm*>(F);
                  }},
        TFormCase{"BookmarkStack",
                  [] { return static_cast<TCustomForm*>(new TFFormVelmoricBookmarkStack(nullptr)); }},
        TFormCase{"SourceExplorer",
                  [] { return static_cast<TCustomForm*>(new TFFormSourceExplorer(nullptr)); }},
        FormCase<TFormVelmoricCompiling>("Compiling"), FormCase<TFFormVelmoricOptions>("Options"),
        FormCase<TFFormVelmoricUnits>("Units"), FormCase<TFFormVelmoricSymbols>("Symbols"),
        FormCase<TFormDesktopManager>("DesktopManager"), FormCase<TFFormVelmoricDFMView>("DFMView"),
        FormCase<TFormVirtualHelpIndex>("VirtualHelpIndex"), FormCase<TFormVelmoricManualCreate>("ManualCreate"),
        FormCase<TFormVelmoricVirtualHelp>("VirtualHelp"),
        FormCase<TFormVelmoricVirtualHelpProperty>("VirtualHelpProperty"),
        FormCase<TFormVelmoricExpandWord>("ExpandWord"), FormCase<TFormVelmoricUsesManager>("UsesManager"),
        FormCase<TFormVelmoricNewProcedure>("NewProcedure"), FormCase<TFormAddUses>("AddUses"),
        FormCase<TFormVelmoricLike>("Like")),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(QtRendererTest, ClicksAndKeysOfRealFormsReachTheirControls) {
  TFFormVelmoricAbout About(nullptr);
  Renderer->Render(&About);
  QTest::mouseClick(Renderer->WidgetOf(About.ButtonOK), Qt::LeftButton);
  EXPECT_EQ(About.ModalResult, mrOk);

  TFormVelmoricAmbuingity Ambiguity(nullptr);
  Ambiguity.ListBox1->Items()->Add("Unit1.Bar");
  Ambiguity.ListBox1->Items()->Add("Unit2.Bar");
  Ambiguity.Show();
  auto* List = qobject_cast<QListWidget*>(Renderer->Render(&Ambiguity)->findChild<QListWidget*>("ListBox1"));
  ASSERT_NE(List, nullptr);
  const QRect Second = List->visualItemRect(List->item(1));
  QTest::mouseClick(List->viewport(), Qt::LeftButton, {}, Second.center());
  EXPECT_EQ(Ambiguity.ListBox1->ItemIndex(), 1);
  EXPECT_TRUE(List->item(1)->isSelected());
  // Escape reaches the list's own key handler.
  uint16_t Seen = 0;
  Ambiguity.ListBox1->OnKeyDown = [&](TObject*, uint16_t& Key, TShiftState) { Seen = Key; };
  QTest::keyClick(List, Qt::Key_Escape);
  EXPECT_EQ(Seen, VK_ESCAPE);
}

// A form with one control of each kind and counters on its events.
class TSampleForm : public TForm {
 public:
  explicit TSampleForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("SampleForm");
    Caption = "Sample";
    SetBounds(10, 20, 400, 300);
    Edit = Make<TEdit>("Edit1", 8, 8, 120, 21);
    Edit->OnChange = [this](TObject*) { ++Changes; };
    Edit->OnKeyPress = [](TObject*, char& Key) {
      if (Key == 'x') Key = 0;
    };
    Check = Make<TCheckBox>("Check1", 8, 36, 120, 17);
    Check->Caption = "&Check";
    Combo = Make<TComboBox>("Combo1", 140, 8, 120, 21);
    Combo->Items()->Add("one");
    Combo->Items()->Add("two");
    Combo->OnChange = [this](TObject*) { ++ComboChanges; };
    Multi = Make<TListBox>("Multi1", 140, 40, 120, 80);
    Multi->MultiSelect = true;
    for (const char* S : {"a", "b", "c"}) Multi->Items()->Add(S);
    OK = Make<TButton>("OK", 300, 260, 75, 25);
    OK->Caption = "OK";
    OK->Default = true;
    OK->OnClick = [this](TObject*) { ++OKClicks; };
    Label = Make<TLabel>("Label1", 8, 60, 80, 13);
    Label->Caption = "&Name";
    Grid = Make<TStringGrid>("Grid1", 8, 130, 200, 100);
    Grid->SetColCount(3);
    Grid->SetRowCount(4);
    Grid->SetDefaultColWidth(60);
    Grid->SetDefaultRowHeight(20);
    Grid->SetCells(1, 0, "Name");
    Grid->SetCells(1, 2, "Row two");
    Tree = Make<TTreeView>("Tree1", 270, 130, 120, 100);
    TTreeNode* Root = Tree->Items()->Add(nullptr, "Root");
    Tree->Items()->AddChild(Root, "Child");
    Pages = Make<TPageControl>("Pages1", 220, 240, 70, 50);
    for (const char* S : {"First", "Second"}) {
      auto* Sheet = new TTabSheet(this);
      Sheet->Caption = S;
      Sheet->SetPageControl(Pages);
    }
    Pages->SetActivePageIndex(0);
    Pages->OnChange = [this](TObject*) { ++PageChanges; };
    Group = Make<TRadioGroup>("Group1", 270, 40, 120, 80);
    Group->Caption = "Mode";
    Group->Items()->Add("Fast");
    Group->Items()->Add("Slow");
    Group->OnClick = [this](TObject*) { ++GroupClicks; };
    Status = new TStatusBar(this);
    Status->SetName("Status1");
    Status->SetParent(this);
    Status->SimpleText = "Ready";
    Status->SimplePanel = true;
    Scroll = Make<TScrollBar>("Scroll1", 8, 236, 200, 16);
  }
  template <typename T>
  T* Make(const char* Name, int L, int T_, int W, int H) {
    auto* C = new T(this);
    C->SetName(Name);
    C->SetParent(this);
    C->SetBounds(L, T_, W, H);
    return C;
  }
  TEdit* Edit;
  TCheckBox* Check;
  TComboBox* Combo;
  TListBox* Multi;
  TButton* OK;
  TLabel* Label;
  TStringGrid* Grid;
  TTreeView* Tree;
  TPageControl* Pages;
  TRadioGroup* Group;
  TStatusBar* Status;
  TScrollBar* Scroll;
  int Changes = 0, ComboChanges = 0, OKClicks = 0, PageChanges = 0, GroupClicks = 0;
};

TEST_F(QtRendererTest, TypingAndClickingFireTheControlsEvents) {
  TSampleForm Form(nullptr);
  QWidget* Window = ShowMirrored(Form, "SampleForm");

  auto* Edit = qobject_cast<QLineEdit*>(Renderer->WidgetOf(Form.Edit));
  QTest::keyClicks(Edit, "abxc");
  EXPECT_EQ(Form.Edit->Text(), "abc");  // OnKeyPress swallowed the x
  EXPECT_EQ(Form.Changes, 3);
  QTest::keyClick(Edit, Qt::Key_Return);
  EXPECT_EQ(Form.OKClicks, 1);  // the default button

  // On the box, not beside its caption.
  QWidget* Check = Renderer->WidgetOf(Form.Check);
  QTest::mouseClick(Check, Qt::LeftButton, {}, QPoint(6, Check->height() / 2));
  EXPECT_TRUE(Form.Check->Checked);
  EXPECT_TRUE(qobject_cast<QCheckBox*>(Renderer->WidgetOf(Form.Check))->isChecked());

  auto* Combo = qobject_cast<QComboBox*>(Renderer->WidgetOf(Form.Combo));
  QTest::keyClicks(Combo->lineEdit(), "tw");
  EXPECT_EQ(Form.Combo->Text(), "tw");
  EXPECT_EQ(Form.ComboChanges, 2);
  emit Combo->activated(1);  // the user picks from the list
  EXPECT_EQ(Form.Combo->ItemIndex(), 1);
  EXPECT_EQ(Form.Combo->Text(), "two");
  EXPECT_EQ(Combo->currentText(), "two");

  auto* Multi = qobject_cast<QListWidget*>(Renderer->WidgetOf(Form.Multi));
  auto ClickItem = [&](int I) {
    QTest::mouseClick(Multi->viewport(), Qt::LeftButton, {}, Multi->visualItemRect(Multi->item(I)).center());
  };
  ClickItem(0);
  ClickItem(2);
  EXPECT_EQ(Form.Multi->SelCount(), 2);
  ClickItem(0);
  EXPECT_FALSE(Form.Multi->Selected(0));
  EXPECT_TRUE(Form.Multi->Selected(2));
  EXPECT_FALSE(Multi->item(0)->isSelected());

  QWidget* Grid = Renderer->WidgetOf(Form.Grid);
  const TRect Cell = Form.Grid->CellRect(2, 3);
  QTest::mouseClick(Grid, Qt::LeftButton, {}, QPoint(Cell.Left + 3, Cell.Top + 3));
  EXPECT_EQ(Form.Grid->Col(), 2);
  EXPECT_EQ(Form.Grid->Row(), 3);
  QTest::keyClick(Grid, Qt::Key_Up);
  EXPECT_EQ(Form.Grid->Row(), 2);

  auto* Bar = Renderer->WidgetOf(Form.Pages)->findChild<QTabBar*>();
  ASSERT_EQ(Bar->count(), 2);
  QTest::mouseClick(Bar, Qt::LeftButton, {}, Bar->tabRect(1).center());
  EXPECT_EQ(Form.Pages->ActivePageIndex(), 1);
  EXPECT_EQ(Form.PageChanges, 1);
  EXPECT_FALSE(Renderer->WidgetOf(Form.Pages->Pages(0))->isVisibleTo(Window));
  EXPECT_TRUE(Renderer->WidgetOf(Form.Pages->Pages(1))->isVisibleTo(Window));

  auto Buttons = Renderer->WidgetOf(Form.Group)->findChildren<QRadioButton*>();
  ASSERT_EQ(Buttons.size(), 2);
  QTest::mouseClick(Buttons[1], Qt::LeftButton, {}, QPoint(6, Buttons[1]->height() / 2));
  EXPECT_EQ(Form.Group->ItemIndex(), 1);
  EXPECT_EQ(Form.GroupClicks, 1);
  EXPECT_TRUE(Buttons[1]->isChecked());

  auto* Tree = qobject_cast<QTreeWidget*>(Renderer->WidgetOf(Form.Tree));
  Tree->expandItem(Tree->topLevelItem(0));
  EXPECT_TRUE(Form.Tree->Items()->GetFirstNode()->Expanded());
  Tree->setCurrentItem(Tree->topLevelItem(0)->child(0));
  ASSERT_NE(Form.Tree->Selected(), nullptr);
  EXPECT_EQ(Form.Tree->Selected()->Text, "Child");

  qobject_cast<QScrollBar*>(Renderer->WidgetOf(Form.Scroll))->setValue(40);
  EXPECT_EQ(Form.Scroll->Position(), 40);
}

TEST_F(QtRendererTest, ChangesOfTheControlsShowAfterSync) {
  TSampleForm Form(nullptr);
  QWidget* Window = Renderer->Render(&Form);
  EXPECT_FALSE(Window->isVisible());
  Form.Show();
  Form.Caption = "Renamed";
  Form.Label->Caption = "Other";
  Form.OK->Enabled = false;
  Form.Check->Hide();
  Form.Edit->SetBounds(20, 30, 50, 22);
  Form.Multi->Items()->Add("d");
  Form.Grid->SetCells(2, 1, "new");
  auto* Late = new TButton(&Form);
  Late->SetName("Late");
  Late->Caption = "Late";
  Late->SetParent(&Form);
  Late->SetBounds(1, 2, 30, 20);
  Renderer->Sync();
  EXPECT_TRUE(Window->isVisible());
  EXPECT_EQ(Window->windowTitle(), "Renamed");
  ExpectMirrored(*Renderer, &Form, Window);
  EXPECT_FALSE(Renderer->WidgetOf(Form.OK)->isEnabled());
  EXPECT_EQ(Renderer->WidgetOf(Form.Edit)->geometry(), QRect(20, 30, 50, 22));
  EXPECT_EQ(qobject_cast<QListWidget*>(Renderer->WidgetOf(Form.Multi))->count(), 4);
  ASSERT_NE(Renderer->WidgetOf(Late), nullptr);

  // A freed control takes its widget along.
  delete Late;
  EXPECT_EQ(Renderer->WidgetOf(Late), nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(Window->findChild<QPushButton*>("Late"), nullptr);
  Renderer->Sync();

  // Resizing and moving the window moves the form.
  Window->resize(420, 310);
  EXPECT_EQ(Form.Width(), 420);
  EXPECT_EQ(Form.Height(), 310);
  Window->move(30, 40);
  EXPECT_EQ(Form.Left(), 30);
  EXPECT_EQ(Form.Top(), 40);

  // Closing the window closes the form; the form hides and so does the window.
  Window->close();
  EXPECT_FALSE(Form.Visible());
  EXPECT_FALSE(Window->isVisible());
}

TEST_F(QtRendererTest, FreeingARenderedFormIsSafe) {
  auto* Form = new TSampleForm(nullptr);
  Form->Show();
  QPointer<QWidget> Window = Renderer->Render(Form);
  delete Form;
  Renderer->Sync();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(Window.isNull());
}

// A control class of the host's own, shown by a widget the host makes.
class TGauge : public TWinControl {
 public:
  using TWinControl::TWinControl;
  std::string ClassName() const override { return "TGauge"; }
  int Percent = 0;
};

TEST_F(QtRendererTest, HostsShowTheirOwnControlClassesByTheirOwnWidgets) {
  Renderer->RegisterWidgetClass(
      "TGauge", {[](TControl*) { return static_cast<QWidget*>(new QScrollBar(Qt::Horizontal)); },
                 [](TControl* C, QWidget* W) {
                   static_cast<QScrollBar*>(W)->setValue(static_cast<TGauge*>(C)->Percent);
                 }});
  TForm Form(nullptr);
  auto* Gauge = new TGauge(&Form);
  Gauge->SetParent(&Form);
  Gauge->SetBounds(5, 6, 100, 16);
  Gauge->Percent = 42;
  Renderer->Render(&Form);
  auto* Bar = qobject_cast<QScrollBar*>(Renderer->WidgetOf(Gauge));
  ASSERT_NE(Bar, nullptr);
  EXPECT_EQ(Bar->geometry(), QRect(5, 6, 100, 16));
  EXPECT_EQ(Bar->value(), 42);
  Gauge->Percent = 7;
  Gauge->Enabled = false;
  Renderer->Sync();
  EXPECT_EQ(Bar->value(), 7);
  EXPECT_FALSE(Bar->isEnabled());
}

TEST_F(QtRendererTest, MenusAreFilledFromMenuItems) {
  TPopupMenu Popup(nullptr);
  int Clicks = 0;
  auto Add = [&](TMenuItem* Parent, const char* Caption) {
    auto* Item = new TMenuItem(&Popup);
    Item->Caption = Caption;
    Parent->Add(Item);
    return Item;
  };
  TMenuItem* Go = Add(Popup.Items(), "&Goto");
  Go->ShortCut = TextToShortCut("Ctrl+G");
  Go->OnClick = [&](TObject*) { ++Clicks; };
  Add(Popup.Items(), "-");
  TMenuItem* Off = Add(Popup.Items(), "Off");
  Off->Enabled = false;
  Add(Popup.Items(), "Hidden")->Visible = false;
  TMenuItem* Sub = Add(Popup.Items(), "More");
  Add(Sub, "Inner")->Checked = true;

  QMenu Menu;
  int Afters = 0;
  TQtRenderer::FillMenu(&Menu, Popup.Items(), [&] { ++Afters; });
  const auto Actions = Menu.actions();
  ASSERT_EQ(Actions.size(), 4);
  EXPECT_EQ(Actions[0]->text(), "&Goto");
  EXPECT_EQ(Actions[0]->shortcut(), QKeySequence("Ctrl+G"));
  EXPECT_TRUE(Actions[1]->isSeparator());
  EXPECT_FALSE(Actions[2]->isEnabled());
  ASSERT_NE(Actions[3]->menu(), nullptr);
  EXPECT_TRUE(Actions[3]->menu()->actions()[0]->isChecked());
  Actions[0]->trigger();
  EXPECT_EQ(Clicks, 1);
  EXPECT_EQ(Afters, 1);
}

}  // namespace

namespace {

// A rich edit, a speed button with a glyph and a splitter beside a panel.
class TRichForm : public TForm {
 public:
  explicit TRichForm(TComponent* AOwner) : TForm(AOwner) {
    SetBounds(0, 0, 400, 300);
    Left = new TPanel(this);
    Left->SetName("Left");
    Left->SetWidth(100);
    Left->SetParent(this);
    Left->SetAlign(alLeft);
    Splitter = new TSplitter(this);
    Splitter->SetName("Splitter");
    Splitter->SetParent(this);
    Splitter->SetLeft(100);
    Splitter->SetAlign(alLeft);
    Splitter->MinSize = 40;
    Splitter->OnMoved = [this](TObject*) { ++Moves; };
    Rich = new TRichEdit(this);
    Rich->SetName("Rich");
    Rich->SetParent(this);
    Rich->SetAlign(alClient);
    Rich->SetRtfText("{\\rtf1 Plain {\\b bold} text\\par second line}");
    Rich->OnChange = [this](TObject*) { ++Changes; };
    Up = new TSpeedButton(this);
    Up->SetName("Up");
    Up->SetParent(Left);
    Up->SetBounds(4, 4, 24, 24);
    Up->Glyph = "ARROWUP";
  }
  TPanel* Left;
  TSplitter* Splitter;
  TRichEdit* Rich;
  TSpeedButton* Up;
  int Moves = 0, Changes = 0;
};

}  // namespace

TEST_F(QtRendererTest, RichEditsGlyphsAndSplitters) {
  TRichForm Form(nullptr);
  ShowMirrored(Form, "RichForm");

  // The rich text shows with its formatting.
  auto* Text = qobject_cast<QTextEdit*>(Renderer->WidgetOf(Form.Rich));
  ASSERT_NE(Text, nullptr);
  EXPECT_EQ(Text->toPlainText(), "Plain bold text\nsecond line");
  QTextCursor Bold(Text->document());
  Bold.setPosition(8);
  EXPECT_EQ(Bold.charFormat().fontWeight(), QFont::Bold);
  Bold.setPosition(3);
  EXPECT_NE(Bold.charFormat().fontWeight(), QFont::Bold);

  // Typing in the second paragraph reaches the document there.
  QTextCursor At(Text->document());
  At.setPosition(16 + 6);  // after "second"
  Text->setTextCursor(At);
  Text->setFocus();
  QTest::keyClicks(Text, "!");
  EXPECT_EQ(Form.Rich->Text(), "Plain bold text\r\nsecond! line");
  EXPECT_GE(Form.Changes, 1);
  EXPECT_EQ(Form.Rich->SelStart(), 17 + 7);  // the caret after the "!", breaks counted twice
  Bold.setPosition(8);
  EXPECT_EQ(Bold.charFormat().fontWeight(), QFont::Bold);  // the rest kept its formatting

  // The control's selection shows in the widget.
  Form.Rich->Select(6, 4);
  Renderer->Sync();
  EXPECT_EQ(Text->textCursor().selectedText(), "bold");

  auto* Up = qobject_cast<QToolButton*>(Renderer->WidgetOf(Form.Up));
  EXPECT_FALSE(Up->icon().isNull());
  EXPECT_TRUE(Up->text().isEmpty());

  // Dragging the splitter sizes the panel before it, not below MinSize.
  QWidget* Split = Renderer->WidgetOf(Form.Splitter);
  QTest::mousePress(Split, Qt::LeftButton, {}, QPoint(1, 50));
  QMouseEvent Move(QEvent::MouseMove, QPointF(31, 50), Split->mapToGlobal(QPointF(31, 50)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Split, &Move);
  QTest::mouseRelease(Split, Qt::LeftButton, {}, QPoint(1, 50));
  EXPECT_EQ(Form.Left->Width(), 130);
  EXPECT_EQ(Form.Splitter->Left(), 130);
  EXPECT_EQ(Renderer->WidgetOf(Form.Left)->width(), 130);
  EXPECT_EQ(Form.Moves, 1);
  QTest::mousePress(Split, Qt::LeftButton, {}, QPoint(1, 50));
  QMouseEvent Far(QEvent::MouseMove, QPointF(-500, 50), Split->mapToGlobal(QPointF(-500, 50)), Qt::NoButton,
                  Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Split, &Far);
  EXPECT_EQ(Form.Left->Width(), 40);
}
