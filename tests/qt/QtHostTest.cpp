// The Qt answers of the host hooks: modal forms, message boxes, file
// dialogs and the clipboard, worked through Qt's test tools.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include "ide/VelmoricAbout.h"
#include "platform/qt/QtHost.h"
#include "platform/qt/QtRenderer.h"
#include "../support/QtApplication.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/RichEdit.h"

namespace {


// Runs Action on the modal widget of type T once it is up.
template <typename T>
void WhenModal(std::function<void(T*)> Action) {
  auto* Poll = new QTimer;
  QObject::connect(Poll, &QTimer::timeout, [Poll, Action] {
    if (auto* W = qobject_cast<T*>(QApplication::activeModalWidget())) {
      Poll->stop();
      Poll->deleteLater();
      Action(W);
    }
  });
  Poll->start(10);
}

class QtHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    Previous = InstallQtHost(*Renderer);
  }
  void TearDown() override {
    VclHost() = Previous;
    Renderer.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  std::unique_ptr<TQtRenderer> Renderer = std::make_unique<TQtRenderer>();
  TVclHost Previous;
};

TEST_F(QtHostTest, AModalFormRunsUntilItsButtonSetsTheResult) {
  TFFormVelmoricAbout About(nullptr);
  bool WasModal = false;
  QTimer::singleShot(30, [&] {
    QWidget* Window = Renderer->WidgetOf(&About);
    WasModal = Window && Window->isVisible() && Window->isModal();
    QTest::mouseClick(Renderer->WidgetOf(About.ButtonOK), Qt::LeftButton);
  });
  EXPECT_EQ(About.ShowModal(), mrOk);
  EXPECT_TRUE(WasModal);
  QCoreApplication::processEvents();
  EXPECT_FALSE(Renderer->WidgetOf(&About)->isVisible());

  // Closing the window cancels.
  QTimer::singleShot(30, [&] { Renderer->WidgetOf(&About)->close(); });
  EXPECT_EQ(About.ShowModal(), mrCancel);
  QCoreApplication::processEvents();
  EXPECT_FALSE(Renderer->WidgetOf(&About)->isVisible());
}

TEST_F(QtHostTest, MessageBoxesHaveTheLibrarysButtonsAndCaptions) {
  QString Title, Text;
  QStringList Buttons;
  WhenModal<QMessageBox>([&](QMessageBox* Box) {
    Title = Box->windowTitle();
    Text = Box->text();
    for (QAbstractButton* B : Box->buttons()) Buttons << B->text();
    for (QAbstractButton* B : Box->buttons())
      if (B->text() == "&No") QTest::mouseClick(B, Qt::LeftButton);
  });
  EXPECT_EQ(MessageDlg("Save changes?", mtConfirmation, mbYesNoCancel, 0), mrNo);
  EXPECT_EQ(Title, "Confirm");
  EXPECT_EQ(Text, "Save changes?");
  Buttons.sort();
  EXPECT_EQ(Buttons, QStringList({"&No", "&Yes", "Cancel"}));

  // Escape takes the cancel button.
  WhenModal<QMessageBox>([](QMessageBox* Box) { QTest::keyClick(Box, Qt::Key_Escape); });
  EXPECT_EQ(Application->MessageBox("Really?", "Velmoric", MB_YESNOCANCEL), IDCANCEL);
}

TEST_F(QtHostTest, FileDialogsGiveTheChosenFile) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  TSaveDialog Save(nullptr);
  Save.Filter = "Pascal units|*.pas;*.pp|All files|*.*";
  Save.InitialDir = Dir.path().toStdString();
  Save.DefaultExt = "pas";
  QStringList Filters;
  WhenModal<QFileDialog>([&](QFileDialog* D) {
    Filters = D->nameFilters();
    D->selectFile(Dir.filePath("Unit2"));
    QMetaObject::invokeMethod(D, "accept");
  });
  ASSERT_TRUE(Save.Execute());
  EXPECT_EQ(Filters, QStringList({"Pascal units (*.pas *.pp)", "All files (*.*)"}));
  EXPECT_EQ(Save.FileName, Dir.filePath("Unit2.pas").toStdString());

  TOpenDialog Open(nullptr);
  Open.InitialDir = Save.InitialDir;
  WhenModal<QFileDialog>([](QFileDialog* D) { D->reject(); });
  EXPECT_FALSE(Open.Execute());
}

TEST_F(QtHostTest, TheClipboardIsTheSystems) {
  Clipboard().SetAsText("procedure Foo;");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "procedure Foo;");
  QGuiApplication::clipboard()->setText("begin");
  EXPECT_EQ(Clipboard().AsText(), "begin");
}

}  // namespace

TEST_F(QtHostTest, RichEditsPrintThroughThePrintDialog) {
  TRichEdit Edit(nullptr);
  Edit.SetText("Page one");
  QString Title;
  WhenModal<QPrintDialog>([&](QPrintDialog* Dialog) {
    Title = Dialog->windowTitle();
    Dialog->reject();
  });
  Edit.Print("Velmoric manual");
  EXPECT_EQ(Title, "Velmoric manual");
}
