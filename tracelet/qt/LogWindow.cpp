#include "qt/LogWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QSocketNotifier>
#include <cstdio>

#include "qt/LogView.h"
#include "qt/StatisticsWindow.h"
#include "qt/StreamDialog.h"
#include "server/LogReceiver.h"

namespace {

// The program's icon: a small sheet of lines.
QIcon MakeIcon() {
  QPixmap Pixmap(32, 32);
  Pixmap.fill(Qt::transparent);
  QPainter Painter(&Pixmap);
  Painter.setPen(QPen(Qt::black, 2));
  Painter.setBrush(Qt::white);
  Painter.drawRect(5, 2, 22, 28);
  Painter.setPen(QPen(QColor(0, 0, 160), 2));
  for (int Y = 8; Y <= 24; Y += 4) Painter.drawLine(9, Y, Y % 8 ? 19 : 23, Y);
  return QIcon(Pixmap);
}

// The file choice: "*.txt" filters the list, the name starts empty. A
// pattern typed as the name becomes the filter and the dialog stays, so
// no file is ever named after a pattern.
QString DefaultChooseFile(QWidget* Parent, const QString& Caption) {
  QFileDialog Dialog(Parent, Caption, QString(), "*.txt");
  Dialog.setFileMode(QFileDialog::AnyFile);
  Dialog.setAcceptMode(QFileDialog::AcceptSave);
  for (;;) {
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty()) return QString();
    const QString File = Dialog.selectedFiles().first();
    const QFileInfo Info(File);
    const QString Name = Info.fileName();
    if (!Name.contains('*') && !Name.contains('?')) return File;
    Dialog.setDirectory(Info.absolutePath());
    Dialog.setNameFilter(Name);
  }
}

}  // namespace

TLogWindow::TLogWindow(TLogModel& Model, TLogReceiver* Receiver)
    : FModel(Model), FReceiver(Receiver) {
  setWindowTitle("Log-Window");
  setWindowIcon(MakeIcon());
  FView = new TLogView(FModel, this);
  FView->OnCommand = [this](int Id) { Command(Id); };
  FView->OnUnfold = [this](int Line) { UnfoldLine(Line); };
  setCentralWidget(FView);
  CreateMenus();
  CreateTray();
  move(100, 100);
  resize(600, 350);
  ChooseFile = [this](const QString& Caption) { return DefaultChooseFile(this, Caption); };
  ShowError = [this](const QString& Message) { QMessageBox::warning(this, "Log-Window", Message); };
  if (FReceiver) WatchReceiver();
}

TLogWindow::~TLogWindow() {
  if (FTray) FTray->hide();
}

void TLogWindow::CreateMenus() {
  auto Item = [this](QMenu* Menu, const QString& Caption, int Id) {
    QAction* Action = Menu->addAction(Caption);
    Action->setData(Id);
    connect(Action, &QAction::triggered, this, [this, Id] { Command(Id); });
  };
  QMenu* Datei = menuBar()->addMenu("&Datei");
  Item(Datei, "Save", cmSave);
  Item(Datei, "Logfile", cmLogfile);
  Item(Datei, "Close Logfile", cmCloseLogfile);
  Datei->addSeparator();
  Item(Datei, "&Ende", cmEnde);
  QMenu* Bearbeiten = menuBar()->addMenu("&Bearbeiten");
  Item(Bearbeiten, "&Kopieren", cmKopieren);
  Item(Bearbeiten, "&Löschen", cmLoeschen);
  QMenu* Font = menuBar()->addMenu("&Font");
  Item(Font, "&Normal", cmFontNormal);
  Item(Font, "&Klein", cmFontKlein);
  Item(Font, "&Mini", cmFontMini);
  QMenu* Spezial = menuBar()->addMenu("Spezial");
  Item(Spezial, "Statistik...", cmStatistik);
  Item(Spezial, "Echo in msdev", cmEchoMsdev);
  QAction* Stream = menuBar()->addAction("&Stream");
  Stream->setData(cmStreams);
  connect(Stream, &QAction::triggered, this, [this] { Command(cmStreams); });
}

void TLogWindow::CreateTray() {
  FTrayMenu = new QMenu(this);
  for (auto [Caption, Id] : {std::pair{"Löschen", cmLoeschen}, {"Streams", cmStreams},
                             {"Beenden", cmEnde}}) {
    QAction* Action = FTrayMenu->addAction(QString::fromUtf8(Caption));
    Action->setData(Id);
    connect(Action, &QAction::triggered, this, [this, Id = Id] { Command(Id); });
  }
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
  FTray = new QSystemTrayIcon(windowIcon(), this);
  FTray->setToolTip("Zodaridazo");
  connect(FTray, &QSystemTrayIcon::activated, this, &TLogWindow::TrayActivated);
  FTray->show();
}

void TLogWindow::TrayActivated(QSystemTrayIcon::ActivationReason Reason) {
  if (Reason == QSystemTrayIcon::Trigger) {
    ToggleShown();
  } else if (Reason == QSystemTrayIcon::Context) {
    // Opened at the bottom right corner of the desktop.
    QRect Desktop = QGuiApplication::primaryScreen()->availableGeometry();
    FTrayMenu->popup(Desktop.bottomRight() - QPoint(FTrayMenu->sizeHint().width(),
                                                     FTrayMenu->sizeHint().height()));
  }
}

void TLogWindow::Start() {
  if (!FTray) show();  // hidden, it could not be reached without a tray
}

void TLogWindow::ToggleShown() {
  if (isHidden()) {
    showNormal();
    raise();
    activateWindow();
  } else {
    hide();
  }
}

void TLogWindow::WatchReceiver() {
  FReceiver->OnLine = [this](const TReceived& Received) { ShowLine(Received); };
  auto* Listener = new QSocketNotifier(FReceiver->ListenFd(), QSocketNotifier::Read, this);
  connect(Listener, &QSocketNotifier::activated, this, [this] {
    for (int Fd; (Fd = FReceiver->AcceptPeer()) >= 0;) WatchPeer(Fd);
  });
}

void TLogWindow::WatchPeer(int Fd) {
  auto* Notifier = new QSocketNotifier(Fd, QSocketNotifier::Read, this);
  connect(Notifier, &QSocketNotifier::activated, this, [this, Fd, Notifier] {
    if (FReceiver->ReadPeer(Fd)) return;
    // The sender has gone and its descriptor is closed.
    Notifier->setEnabled(false);
    Notifier->deleteLater();
  });
}

void TLogWindow::ShowLine(const TReceived& Received) { FView->ShowNewLine(Received.Line); }

void TLogWindow::UnfoldLine(int Line) {
  FModel.Unfold(Line);
  FView->Refresh();
}

void TLogWindow::Command(int Id) {
  if (Id >= cmStreamToggle && Id < cmStreamToggle + kStreamSlots) {
    FModel.ToggleStream(Id - cmStreamToggle);
    FView->Refresh();
    return;
  }
  switch (Id) {
    case cmSave: {
      QString File = ChooseFile("Save");
      std::string Error;
      if (!File.isEmpty() && !FModel.SaveToFile(File.toStdString(), &Error))
        ShowError(QString::fromStdString(Error));
      break;
    }
    case cmLogfile:
      ChooseLogFile();
      break;
    case cmCloseLogfile:
      FModel.CloseLogFile();
      ChooseLogFile();
      break;
    case cmEnde:
      QApplication::quit();
      break;
    case cmKopieren:
      QGuiApplication::clipboard()->setText(DecodeText(FModel.ListedText()));
      break;
    case cmLoeschen:
      FModel.Clear();
      FView->Refresh();
      break;
    case cmFontNormal:
      SetFont("System", 14);
      break;
    case cmFontKlein:
      SetFont("Arial", 12);
      break;
    case cmFontMini:
      SetFont("Arial", 10);
      break;
    case cmStatistik:
      if (!FStatistics) {
        FStatistics = new TStatisticsWindow(FModel, this);
        FStatistics->show();
      }
      FStatistics->raise();
      break;
    case cmStreams:
      ShowStreamDialog();
      break;
    case cmCollapse:
      FModel.Collapse();
      FView->Refresh();
      break;
    case cmExpand:
      FModel.Expand();
      FView->Refresh();
      break;
    case cmEchoMsdev:
    default:
      break;
  }
}

void TLogWindow::SetFont(const char* Face, int Height) {
  QFont Font(Face);
  Font.setPixelSize(Height);
  Font.setWeight(QFont::Normal);
  FView->SetLineFont(Font);
  FModel.RebuildView();  // MaxWidth in the new font's pixels
  FView->Refresh();
}

void TLogWindow::ChooseLogFile() {
  QString File = ChooseFile("Logfile");
  std::string Error;
  if (!File.isEmpty() && !FModel.OpenLogFile(File.toStdString(), &Error))
    ShowError(QString::fromStdString(Error));
}

void TLogWindow::ShowStreamDialog() {
  TStreamDialog Dialog(FModel, this);
  if (Dialog.exec() == QDialog::Accepted)
    FModel.StreamDialogOk(Dialog.SelectedLines());
  else
    FModel.RebuildView();
  FView->Refresh();
}

void TLogWindow::closeEvent(QCloseEvent* Event) {
  Event->accept();
  QApplication::quit();
}

int RunLogWindow(int argc, char** argv, const std::string& SocketPath) {
  QApplication App(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);  // the window starts hidden
  std::string LogFile;
  QStringList Args = QApplication::arguments();
  for (qsizetype I = 1; I < Args.size(); ++I) {
    if (Args[I] == "--log" && I + 1 < Args.size()) {
      LogFile = Args[++I].toStdString();
    } else {
      std::fprintf(stderr, "tracelet: unknown argument %s\nusage: tracelet [--headless] [--log FILE]\n",
                   qPrintable(Args[I]));
      return 2;
    }
  }

  TLogModel Model;
  std::string Error;
  if (!LogFile.empty() && !Model.OpenLogFile(LogFile, &Error)) {
    std::fprintf(stderr, "tracelet: %s\n", Error.c_str());
    return 1;
  }
  TLogReceiver Receiver(Model);
  ipc::TListenResult Listening = Receiver.Listen(SocketPath, Error);
  if (Listening != ipc::TListenResult::Ok) {
    QString Message = Listening == ipc::TListenResult::AlreadyRunning
                          ? QString("Tracelet is already running (%1).").arg(SocketPath.c_str())
                          : QString::fromStdString(Error);
    std::fprintf(stderr, "tracelet: %s\n", qPrintable(Message));
    QMessageBox::information(nullptr, "Tracelet", Message);
    return 1;
  }

  TLogWindow Window(Model, &Receiver);
  Window.Start();
  return App.exec();
}
