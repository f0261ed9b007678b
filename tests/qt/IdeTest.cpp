// velmoric-ide under Qt's offscreen platform, end to end with Qt's test
// tools on a copy of the demo: typing into the code editor, the find
// position timer naming the method in the caption, a hyperjump by Alt+J,
// a method made by the class expert (Alt+T) and taken back by undo.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include "../support/QtApplication.h"
#include "../support/ScratchDir.h"
#include "hosts/ide/CodeEditor.h"
#include "hosts/ide/IdeWindow.h"
#include "hosts/memory/ExpertSession.h"
#include "platform/qt/QtRenderer.h"

namespace {

QString Plain(QString Caption) { return Caption.remove('&'); }

// The action of the menu bar below the menu captioned Menu (without '&').
QAction* MenuAction(QMenuBar* Bar, const QString& Menu, const QString& Item) {
  for (QAction* Top : Bar->actions()) {
    if (Plain(Top->text()) != Menu || !Top->menu()) continue;
    for (QAction* A : Top->menu()->actions())
      if (Plain(A->text()) == Item) return A;
  }
  return nullptr;
}

// The shown window of a form of that class, or nullptr.
QWidget* FormWindow(const char* ClassName) {
  for (QWidget* W : QApplication::topLevelWidgets())
    if (W->isVisible() && W->property("vclClass").toString() == ClassName) return W;
  return nullptr;
}

void SaveScreenshot(QWidget* Window, const QString& Name) { EXPECT_TRUE(SaveTestScreenshot(Window->grab(), Name)); }

// Every shown window drawn where it stands, the IDE's main window first.
void SaveDesktop(QWidget* Main, const QString& Name) {
  QRect All;
  QList<QWidget*> Windows{Main};
  for (QWidget* W : QApplication::topLevelWidgets())
    if (W != Main && W->isVisible() && !W->property("vclClass").isNull()) Windows << W;
  for (QWidget* W : Windows) All |= W->geometry();
  QPixmap Desktop(All.size());
  Desktop.fill(QColor(0x3a, 0x6e, 0xa5));
  QPainter Painter(&Desktop);
  for (QWidget* W : Windows) Painter.drawPixmap(W->geometry().topLeft() - All.topLeft(), W->grab());
  Painter.end();
  EXPECT_TRUE(SaveTestScreenshot(Desktop, Name));
}

class IdeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    for (const auto& E : std::filesystem::directory_iterator(std::string(VELMORIC_SOURCE_DIR) + "/examples/demo"))
      std::filesystem::copy_file(E.path(), Dir.File(E.path().filename().string()));
    ::setenv("VELMORIC_REGISTRY", Dir.File("registry").c_str(), 1);
  }
  void TearDown() override {
    Ide.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ::unsetenv("VELMORIC_REGISTRY");
  }

  void Start(const std::vector<std::string>& Files) {
    TIdeOptions Options;
    Options.Project = Dir.File("Demo.dpr");
    Options.Files = Files;
    Options.DataDirectory = Dir.File("data");
    std::filesystem::create_directories(Options.DataDirectory);
    Ide = std::make_unique<TIdeWindow>(Options);
    Ide->show();
  }

  // Compiles the project as the user does: the source explorer's button.
  void Compile() {
    QAction* Explorer = MenuAction(Ide->menuBar(), "Velmoric", "Source explorer...");
    ASSERT_NE(Explorer, nullptr);
    Explorer->trigger();
    QWidget* Window = FormWindow("TFFormSourceExplorer");
    ASSERT_NE(Window, nullptr);
    auto* Button = Window->findChild<QToolButton*>("SpeedButtonCompile");
    ASSERT_NE(Button, nullptr);
    QTest::mouseClick(Button, Qt::LeftButton);
    Window->close();
    Ide->Sync();
  }

  TEditBuffer& Buffer(const std::string& Name) { return Ide->Session().IDE().Buffer(Dir.File(Name)); }

  TScratchDir Dir;
  std::unique_ptr<TIdeWindow> Ide;
};

TEST_F(IdeTest, TheDemoInTheVisibleIde) {
  Start({Dir.File("Shapes.pas")});
  const std::string Shapes = Dir.File("Shapes.pas");
  TCodeEditor* Editor = Ide->Editor(Shapes);
  QWidget* Window = Ide->EditWindow(Shapes);
  ASSERT_NE(Editor, nullptr);
  ASSERT_NE(Window, nullptr);
  EXPECT_EQ(Window->property("vclClass").toString(), "TEditWindow");
  EXPECT_EQ(Editor->text().toStdString(), Buffer("Shapes.pas").Text());
  // The expert's menu and its panel above the editor.
  EXPECT_NE(MenuAction(Ide->menuBar(), "Velmoric", "Source explorer..."), nullptr);
  EXPECT_NE(Window->findChild<QWidget*>("VelmoricPanel1"), nullptr);
  Compile();
  Window->activateWindow();
  QTest::qWait(50);

  // Typing: each key an undoable edit of the buffer.
  const std::string Before = Buffer("Shapes.pas").Text();
  Editor->setFocus();
  Editor->setCursorPosition(258, 2);  // line 259, before DrawHandles
  QTest::keyClicks(Editor, "Changed; ");
  EXPECT_NE(Buffer("Shapes.pas").Text().find("  Changed; DrawHandles(Canvas);"), std::string::npos);
  EXPECT_TRUE(Buffer("Shapes.pas").Modified);
  for (int I = 0; I < 9; ++I) QTest::keyClick(Editor, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Buffer("Shapes.pas").Text(), Before);
  EXPECT_EQ(Editor->text().toStdString(), Before);

  // The find position timer names the method the cursor is in.
  Editor->setCursorPosition(254, 0);
  QTest::keyClick(Editor, Qt::Key_Down);
  EXPECT_EQ(Buffer("Shapes.pas").Cursor.Line, 256);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Window->windowTitle().contains("TEllipseShape.Draw"); }, 5000))
      << Window->windowTitle().toStdString();

  // Alt+J on DrawHandles jumps into TShape.DrawHandles, two classes up.
  Editor->setCursorPosition(258, 4);
  QTest::keyClick(Editor, Qt::Key_J, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Editor->CursorPos().Line == 172; }, 2000))
      << Editor->CursorPos().Line;
  EXPECT_EQ(Buffer("Shapes.pas").Cursor.Line, 172);
  SaveScreenshot(Window, "velmoric-ide-editor");

  // Alt+T opens the class expert; the dialog is filled as the user does.
  const std::string BeforeExpert = Buffer("Shapes.pas").Text();
  bool Filled = false;
  QTimer::singleShot(100, [&] {
    QWidget* Dialog = FormWindow("TFormVelmoricNewProcedure");
    if (!Dialog) return;
    SaveScreenshot(Dialog, "velmoric-ide-class-expert");
    auto* Tabs = Dialog->findChild<QWidget*>("PageControl1")->findChild<QTabBar*>();
    for (int T = 0; T < Tabs->count(); ++T)
      if (Plain(Tabs->tabText(T)) == "Procedure") QTest::mouseClick(Tabs, Qt::LeftButton, {}, Tabs->tabRect(T).center());
    auto* Class = Dialog->findChild<QComboBox*>("ComboBoxClass1");
    const int Index = Class->findText("TShape");
    emit Class->activated(Index);  // picked from the list
    auto* Name = Dialog->findChild<QLineEdit*>("EditProcName");
    QTest::mouseClick(Name, Qt::LeftButton);
    QTest::keyClick(Name, Qt::Key_A, Qt::ControlModifier);  // over the word it proposes
    QTest::keyClicks(Name, "Resize");
    SaveScreenshot(Dialog, "velmoric-ide-class-expert-filled");
    QTest::mouseClick(Dialog->findChild<QPushButton*>("ButtonCreate"), Qt::LeftButton);
    Filled = true;
  });
  QTest::keyClick(Editor, Qt::Key_T, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Filled && !FormWindow("TFormVelmoricNewProcedure"); }, 5000));
  Ide->Sync();
  const std::string After = Buffer("Shapes.pas").Text();
  EXPECT_NE(After.find("Procedure TShape.Resize"), std::string::npos) << After.substr(0, 3000);
  EXPECT_NE(Editor->text().toStdString().find("Procedure TShape.Resize"), std::string::npos);
  // The user moves the bookmark stack aside and scrolls to the new method.
  if (QWidget* Stack = FormWindow("TFFormVelmoricBookmarkStack")) Stack->move(760, 100);
  const QString Shown = Editor->text();
  Editor->setCursorPosition(static_cast<int>(Shown.left(Shown.indexOf("Procedure TShape.Resize")).count('\n')), 0);
  SaveDesktop(Ide.get(), "velmoric-ide");

  // The editor's undo takes the method back.
  for (int I = 0; I < 10 && Buffer("Shapes.pas").Text() != BeforeExpert; ++I)
    QTest::keyClick(Editor, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Buffer("Shapes.pas").Text(), BeforeExpert);
  EXPECT_EQ(Editor->text().toStdString(), BeforeExpert);
}

}  // namespace
