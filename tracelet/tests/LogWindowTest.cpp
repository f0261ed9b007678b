// The real log window on Qt's offscreen platform, fed through its socket.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "core/LogModel.h"
#include "platform/ipc/IpcWindow.h"
#include "platform/rtl/SysUtils.h"
#include "qt/LogView.h"
#include "qt/LogWindow.h"
#include "qt/StatisticsWindow.h"
#include "qt/StreamDialog.h"
#include "server/LogReceiver.h"

namespace {

std::string Payload(const std::string& Stream, const std::string& Text) {
  return std::string(1, static_cast<char>(Stream.size())) + Stream + Text;
}

QStringList Captions(const QList<QAction*>& Actions) {
  QStringList Texts;
  for (QAction* A : Actions) Texts << (A->isSeparator() ? "-" : A->text());
  return Texts;
}

class Window : public testing::Test {
 protected:
  void SetUp() override {
    Dir = testing::TempDir() + "tracelet-gui-XXXXXX";
    ASSERT_NE(::mkdtemp(Dir.data()), nullptr);
    std::string Error;
    ASSERT_EQ(Receiver.Listen(Dir + "/tracelet", Error), ipc::TListenResult::Ok) << Error;
    Win = std::make_unique<TLogWindow>(Model, &Receiver);
    Win->ShowError = [this](const QString& Message) { Errors << Message; };
    Win->Start();
    Sender = ipc::ConnectWindow(Dir + "/tracelet");
    ASSERT_GT(Sender, 0);
  }
  void TearDown() override {
    ipc::CloseWindow(Sender);
    Win.reset();
    std::system(("rm -rf '" + Dir + "'").c_str());
  }
  void Send(const std::string& Stream, const std::string& Text) {
    ASSERT_TRUE(ipc::SendFrame(Sender, ipc::MsgTraceLine, Payload(Stream, Text)));
    ++Sent;
  }
  // Runs the event loop until every line sent has been received.
  void Deliver() {
    QElapsedTimer Timer;
    Timer.start();
    while (Model.EventCount() < Sent && Timer.elapsed() < 10000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(Model.EventCount(), Sent);
    QCoreApplication::processEvents();
  }
  QStringList Listed() const {
    QStringList Lines;
    for (int I = 0; I < Model.LineCount(); ++I) Lines << DecodeText(Model.LineText(I));
    return Lines;
  }
  QString Markers() const {
    QString S;
    for (int I = 0; I < Model.LineCount(); ++I) S += QChar("+- "[Model.ViewEntry(I).Marker]);
    return S;
  }
  void DoubleClickRow(int Row) {
    QWidget* Viewport = Win->View()->viewport();
    int H = Win->View()->LineHeight();
    QTest::mouseDClick(Viewport, Qt::LeftButton, {}, QPoint(40, Row * H + H / 2));
  }
  // A, two hidden trace lines, B.
  void DeliverFoldedLines() {
    Send("stdOut", "A: first shown line");
    Send("velmoric.trace", "->TPascalSource.CreateSymbols");
    Send("velmoric.trace", "<-TPascalSource.CreateSymbols");
    Send("stdOut", "B: second shown line");
    Deliver();
  }

  std::string Dir;
  TLogModel Model;
  TLogReceiver Receiver{Model};
  std::unique_ptr<TLogWindow> Win;
  int Sender = 0;
  int Sent = 0;
  QStringList Errors;
};

}  // namespace

TEST_F(Window, StartsShownWithoutATrayWithItsMenusAndListsShownStreams) {
  ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
  EXPECT_TRUE(Win->isVisible());
  EXPECT_EQ(Win->windowTitle(), "Log-Window");
  EXPECT_EQ(Win->size(), QSize(600, 350));
  EXPECT_EQ(Captions(Win->menuBar()->actions()),
            QStringList({"&Datei", "&Bearbeiten", "&Font", "Spezial", "&Stream"}));
  EXPECT_EQ(Captions(Win->menuBar()->actions()[0]->menu()->actions()),
            QStringList({"Save", "Logfile", "Close Logfile", "-", "&Ende"}));
  EXPECT_EQ(Captions(Win->menuBar()->actions()[1]->menu()->actions()),
            QStringList({"&Kopieren", "&Löschen"}));
  EXPECT_EQ(Captions(Win->TrayMenu()->actions()), QStringList({"Löschen", "Streams", "Beenden"}));

  for (int I = 0; I < 3; ++I) Send("stdOut", Format("line %d", I));
  Send("velmoric.trace", "hidden");
  Send("stdError", "Fehler: ä ö ü");
  Deliver();
  EXPECT_EQ(Listed(), QStringList({"line 0", "line 1", "line 2", "Fehler: ä ö ü"}));
  EXPECT_EQ(Win->View()->verticalScrollBar()->maximum(), 4);

  Win->ToggleShown();
  EXPECT_FALSE(Win->isVisible());
  Win->ToggleShown();
  EXPECT_TRUE(Win->isVisible());
}

TEST_F(Window, StreamTogglesAndDoubleClicksFoldAndUnfold) {
  DeliverFoldedLines();
  EXPECT_EQ(Listed(), QStringList({"A: first shown line", "B: second shown line"}));
  Win->Command(cmCollapse);  // a rebuild marks A
  EXPECT_EQ(Markers(), "+ ");

  DoubleClickRow(0);
  EXPECT_EQ(Listed(), QStringList({"A: first shown line", "->TPascalSource.CreateSymbols",
                                   "<-TPascalSource.CreateSymbols", "B: second shown line"}));
  EXPECT_EQ(Markers(), "-   ");
  DoubleClickRow(0);
  EXPECT_EQ(Listed(), QStringList({"A: first shown line", "B: second shown line"}));

  // The right-button pop-up lists the streams with their check marks.
  std::unique_ptr<QMenu> Popup(Win->View()->CreateStreamPopup(Win.get()));
  QList<QAction*> Items = Popup->actions();
  EXPECT_EQ(Captions(Items), QStringList({"Collapse", "Expand", "-", "null", "stdOut", "stdError",
                                          "velmoric.trace"}));
  EXPECT_TRUE(Items[4]->isChecked());
  EXPECT_FALSE(Items[6]->isChecked());
  EXPECT_EQ(Items[6]->data().toInt(), cmStreamToggle + 3);
  Items[6]->trigger();
  EXPECT_EQ(Listed().size(), 4);
  EXPECT_TRUE(Model.Stream(3).Shown);

  Win->Command(cmStreamToggle + 1);  // stdOut off
  EXPECT_EQ(Listed(), QStringList({"->TPascalSource.CreateSymbols", "<-TPascalSource.CreateSymbols"}));
  Win->Command(cmCollapse);
  EXPECT_EQ(Listed(), QStringList());
  Win->Command(cmStreamToggle + 1);
  Win->Command(cmExpand);
  EXPECT_EQ(Listed().size(), 4);
}

TEST_F(Window, StreamDialogShowsTheSelectedStreams) {
  DeliverFoldedLines();
  Send("compile", "unit1.pas");
  Deliver();
  QStringList Shown;
  QTimer::singleShot(0, [&] {
    auto* Dialog = qobject_cast<TStreamDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(Dialog, nullptr);
    EXPECT_EQ(Dialog->windowTitle(), "Streams");
    QListWidget* List = Dialog->ListBox();
    for (int Row = 0; Row < List->count(); ++Row) {
      Shown << List->item(Row)->text().simplified();
      QString Line = QString::fromStdString(List->item(Row)->data(Qt::UserRole).toByteArray().toStdString());
      if (Line == "3\tvelmoric.trace") List->item(Row)->setSelected(true);
      if (Line == "1\tstdOut") List->item(Row)->setSelected(false);
    }
    Dialog->grab().save(TRACELET_ARTIFACTS "/tracelet-streams.png");
    Dialog->accept();
  });
  Win->Command(cmStreams);
  EXPECT_EQ(Shown, QStringList({"0 null", "1 stdOut", "2 stdError", "3 velmoric.trace", "4 compile"}));
  EXPECT_FALSE(Model.Stream(1).Shown);
  EXPECT_TRUE(Model.Stream(3).Shown);
  EXPECT_FALSE(Model.Stream(4).Shown);
  EXPECT_EQ(Listed(), QStringList({"->TPascalSource.CreateSymbols", "<-TPascalSource.CreateSymbols"}));

  QTimer::singleShot(0, [&] { QApplication::activeModalWidget()->close(); });  // Cancel
  Win->Command(cmStreams);
  EXPECT_TRUE(Model.Stream(3).Shown);
}

TEST_F(Window, CopySaveClearAndStatistics) {
  DeliverFoldedLines();
  Win->Command(cmKopieren);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "A: first shown line\nB: second shown line\n");

  QString Saved = QString::fromStdString(Dir + "/saved.txt");
  Win->ChooseFile = [&](const QString&) { return Saved; };
  Win->Command(cmSave);
  EXPECT_EQ(ReadFileBytes(Saved.toStdString()),
            "stdOut  |A: first shown line\n"
            "velmoric.trace|->TPascalSource.CreateSymbols\n"
            "velmoric.trace|<-TPascalSource.CreateSymbols\n"
            "stdOut  |B: second shown line\n");
  EXPECT_TRUE(Errors.isEmpty());
  Win->ChooseFile = [&](const QString&) { return QString::fromStdString(Dir + "/no/dir/x.txt"); };
  Win->Command(cmSave);
  EXPECT_EQ(Errors.size(), 1);

  // Logfile: later lines go to the chosen file.
  QString Log = QString::fromStdString(Dir + "/log.txt");
  Win->ChooseFile = [&](const QString&) { return Log; };
  Win->Command(cmLogfile);
  Send("stdOut", "logged");
  Deliver();
  Win->ChooseFile = [&](const QString&) { return QString(); };
  Win->Command(cmCloseLogfile);
  EXPECT_FALSE(Model.LogOpen());
  EXPECT_EQ(ReadFileBytes(Log.toStdString()), "stdOut  |logged\n");

  Win->Command(cmStatistik);
  Win->Command(cmStatistik);
  int Open = 0;
  for (QWidget* W : QApplication::topLevelWidgets())
    if (W->windowTitle() == "Informationen" && W->isVisible()) ++Open;
  EXPECT_EQ(Open, 1);
  ASSERT_NE(Win->Statistics(), nullptr);
  Win->Statistics()->grab().save(TRACELET_ARTIFACTS "/tracelet-statistics.png");
  Win->Statistics()->close();
  QCoreApplication::processEvents();
  EXPECT_EQ(Win->Statistics(), nullptr);

  Win->Command(cmLoeschen);
  EXPECT_EQ(Model.LineCount(), 0);
  EXPECT_EQ(Model.Used(), 0);
  EXPECT_EQ(Model.EventCount(), Sent);
  Win->Command(cmEchoMsdev);
  EXPECT_EQ(Model.LineCount(), 0);
}

TEST_F(Window, ANewLineOutsideTheWindowMakesTheViewJumpToAThird) {
  for (int I = 0; I < 200; ++I) Send("stdOut", Format("line %d", I));
  Deliver();
  int Rows = Win->View()->VisibleRows();
  ASSERT_GT(Rows, 3);
  EXPECT_LE(Model.TopLine(), 199);
  EXPECT_GE(Model.TopLine() + Rows - 2, 199);

  // Scrolled back to the start by pages, the next line brings the view back.
  QScrollBar* Bar = Win->View()->verticalScrollBar();
  for (int I = 0; I < 100 && Model.TopLine() > 0; ++I) Bar->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(Model.TopLine(), 0);
  EXPECT_EQ(Bar->value(), 0);
  Bar->triggerAction(QAbstractSlider::SliderToMaximum);  // ignored
  EXPECT_EQ(Model.TopLine(), 0);
  Bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(Model.TopLine(), 1);
  Send("stdOut", "line 200");
  Deliver();
  EXPECT_EQ(Model.TopLine(), 200 - Rows / 3);
  EXPECT_EQ(Bar->value(), Model.TopLine());

  Win->Command(cmFontMini);
  EXPECT_EQ(Win->View()->LineFont().pixelSize(), 10);
  EXPECT_EQ(Win->View()->LineFont().family(), "Arial");
  Win->Command(cmFontNormal);
  EXPECT_EQ(Win->View()->LineFont().pixelSize(), 14);
}

TEST_F(Window, LinesReceivedBeforeTheFirstShowFillTheWindowOnceShown) {
  // The usual start: in the tray, never shown.
  Win.reset();
  Win = std::make_unique<TLogWindow>(Model, &Receiver);
  Win->resize(600, 800);
  ASSERT_FALSE(Win->isVisible());
  const int HiddenRows = Win->View()->VisibleRows();
  for (int I = 0; I < 30; ++I) Send("stdOut", Format("line %d", I));
  Deliver();
  Win->ToggleShown();
  QCoreApplication::processEvents();
  ASSERT_TRUE(Win->isVisible());
  // The rows counted while hidden are the rows shown.
  EXPECT_EQ(HiddenRows, Win->View()->VisibleRows());
  ASSERT_GT(Win->View()->VisibleRows(), 31);
  EXPECT_EQ(Model.TopLine(), 0);
  EXPECT_EQ(Win->View()->verticalScrollBar()->value(), 0);
  EXPECT_EQ(Win->View()->LineAt(QPoint(40, Win->View()->LineHeight() * 29 + 1)), 29);
}

TEST_F(Window, AHiddenWindowCountsTheRowsOfItsOwnSize) {
  Win.reset();
  Win = std::make_unique<TLogWindow>(Model, &Receiver);
  ASSERT_FALSE(Win->isVisible());
  const int HiddenRows = Win->View()->VisibleRows();
  for (int I = 0; I < 30; ++I) Send("stdOut", Format("line %d", I));
  Deliver();
  const int HiddenTop = Model.TopLine();
  Win->ToggleShown();
  QCoreApplication::processEvents();
  const int Rows = Win->View()->VisibleRows();
  EXPECT_EQ(HiddenRows, Rows);
  ASSERT_GT(Rows, 3);
  // As in a window shown from the start: the newest line is in view and
  // the rows above it are filled.
  EXPECT_EQ(Model.TopLine(), HiddenTop);
  EXPECT_LE(Model.TopLine(), 29);
  EXPECT_GE(Model.TopLine() + Rows - 2, 29);
  EXPECT_LE(Model.TopLine(), 29 - Rows / 3);
}

TEST_F(Window, TheHorizontalOffsetFollowsTheRangeOfTheView) {
  Win->Command(cmStreamToggle + Model.RegisterStream("wide"));
  Send("wide", std::string(250, 'W'));
  Send("stdOut", "short");
  Deliver();
  QScrollBar* Bar = Win->View()->horizontalScrollBar();
  ASSERT_GT(Bar->maximum(), 0);
  for (int I = 0; I < 20; ++I) Bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  ASSERT_LT(Model.LeftOffset(), 0);

  // Hiding the wide stream: nothing left to scroll, the text starts at the left.
  Win->Command(cmStreamToggle + Model.FindStream("wide"));
  EXPECT_EQ(Model.LeftOffset(), 5);
  EXPECT_EQ(Bar->maximum(), 0);

  // A smaller font: the offset goes no further than the new range's end.
  Win->Command(cmStreamToggle + Model.FindStream("wide"));
  for (int I = 0; I < 20; ++I) Bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  const int Wide = Model.LeftOffset();
  Win->Command(cmFontMini);
  const int W = Win->View()->viewport()->width();
  EXPECT_GT(Model.LeftOffset(), Wide);
  EXPECT_GE(Model.LeftOffset(), std::min(5, W - Model.MaxWidth() - 5));
  EXPECT_LE(Bar->value(), Bar->maximum());

  // Clearing the store.
  for (int I = 0; I < 20; ++I) Bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  Win->Command(cmLoeschen);
  EXPECT_EQ(Model.LeftOffset(), 5);
  EXPECT_EQ(Bar->value(), 0);
}

TEST_F(Window, PagesCountRowsOfTheChosenFont) {
  for (int I = 0; I < 300; ++I) {
    Send("stdOut", Format("line %d", I));
    if (I % 100 == 99) Deliver();  // the socket holds only so much
  }
  QScrollBar* Bar = Win->View()->verticalScrollBar();
  for (int Id : {cmFontMini, cmFontKlein, cmFontNormal}) {
    Win->Command(Id);
    const int Painted =
        Win->View()->viewport()->height() / QFontMetrics(Win->View()->LineFont()).height();
    ASSERT_GT(Painted, 2);
    Model.SetTopLine(0);
    Bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(Model.TopLine(), Painted) << Id;
    Bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(Model.TopLine(), 2 * Painted) << Id;
    Bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(Model.TopLine(), Painted) << Id;
  }
}

TEST_F(Window, TheLogFileDialogOffersAFilterNotAName) {
  // Works the real dialog as it comes up: each step once per showing.
  std::vector<std::function<void(QFileDialog*)>> Steps;
  QStringList TypedNames;
  Steps.push_back([&](QFileDialog* D) {
    D->setDirectory(QString::fromStdString(Dir));
    auto* Name = D->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(Name, nullptr);
    TypedNames << Name->text();
    EXPECT_TRUE(D->nameFilters().join(" ").contains("*.txt")) << D->nameFilters().join(" ").toStdString();
    // A pattern typed as the name filters the list; the dialog stays.
    Name->setText("*.txt");
    QMetaObject::invokeMethod(D, "accept", Qt::DirectConnection);
  });
  Steps.push_back([&](QFileDialog* D) {
    auto* Name = D->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(Name, nullptr);
    TypedNames << Name->text();
    Name->setText("log.txt");
    QMetaObject::invokeMethod(D, "accept", Qt::DirectConnection);
  });
  size_t Next = 0;
  QTimer Driver;
  QObject::connect(&Driver, &QTimer::timeout, [&] {
    auto* D = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (D && D->isVisible() && Next < Steps.size()) Steps[Next++](D);
  });
  Driver.start(20);
  Win->Command(cmLogfile);
  Driver.stop();
  EXPECT_EQ(Next, Steps.size());
  // Offered first: no name. Then the pattern stays, as the list's filter.
  EXPECT_EQ(TypedNames, QStringList({"", "*.txt"}));
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Dir + "/*.txt")));
  EXPECT_TRUE(Model.LogOpen());
  Send("stdOut", "logged");
  Deliver();
  Model.CloseLogFile();
  EXPECT_EQ(ReadFileBytes(Dir + "/log.txt"), "stdOut  |logged\n");
}

TEST_F(Window, ScreenshotOfTheWindow) {
  Send("stdOut", "********** Welcome to Velmoric *********");
  Send("velmoric.startup", "Starting notifications...");
  Send("velmoric.startup", "Creating forms");
  Send("stdOut", "******** path=/home/user/project/");
  Send("velmoric.trace", "->TVelmoricWizard.Create");
  Send("stdOut", "******** searchpath=/usr/share/fpcsrc");
  Send("stdError", "Fehler: unit1.pas not found");
  for (int I = 0; I < 12; ++I) Send("stdOut", Format("compile\tunit%d.pas\t%d lines", I, 100 * I + 17));
  Deliver();
  Win->Command(cmCollapse);
  DoubleClickRow(0);
  Win->Command(cmStatistik);
  QCoreApplication::processEvents();
  QDir().mkpath(TRACELET_ARTIFACTS);
  QString File = TRACELET_ARTIFACTS "/tracelet-window.png";
  ASSERT_TRUE(Win->grab().save(File));
  EXPECT_GT(QFileInfo(File).size(), 1000);
}

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication App(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
