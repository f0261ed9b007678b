#include "hosts/ide/IdeWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include "hosts/ide/CodeEditor.h"
#include "hosts/memory/EditWindow.h"
#include "hosts/memory/ExpertSession.h"
#include "platform/opentools/ToolIntf.h"
#include "platform/rtl/FileSearch.h"
#include "platform/qt/QtHost.h"
#include "platform/qt/QtRenderer.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Menus.h"
#include "project/VelmoricProjectSettings.h"

namespace {

QString Q(const std::string& S) { return QString::fromLatin1(S.data(), static_cast<qsizetype>(S.size())); }

// Releases an interface object at the end of a scope.
struct TReleaser {
  TIMenuItemIntf* Item;
  ~TReleaser() {
    if (Item) Item->Release();
  }
};

// What shows of the menu below Item: names, captions, short cuts, flags.
void MenuSignature(TIMenuItemIntf* Item, std::string& Out) {
  Out += Item->GetName() + '\t' + Item->GetCaption() + '\t' + std::to_string(Item->GetShortCut()) + '\t' +
         std::to_string(Item->GetFlags()) + '\n';
  for (int I = 0; I < Item->GetItemCount(); ++I) {
    TIMenuItemIntf* Sub = Item->GetItem(I);
    TReleaser Release{Sub};
    if (Sub) MenuSignature(Sub, Out);
  }
  Out += ")\n";
}

}  // namespace

TIdeWindow::TIdeWindow(const TIdeOptions& Options) : FRenderer(std::make_unique<TQtRenderer>()) {
  FSavedHost = InstallQtHost(*FRenderer);
  FSession = std::make_unique<TExpertSession>();
  FSession->SetDataDirectory(Options.DataDirectory.empty() ? TExpertSession::DefaultDataDirectory()
                                                           : Options.DataDirectory);
  // The editor windows the IDE makes get their code editor.
  TMemoryIDE& IDE = FSession->IDE();
  FRenderer->RegisterWidgetClass(
      "TEditControl",
      {[&IDE](TControl* Control) -> QWidget* {
         auto* Window = dynamic_cast<TEditWindow*>(Control->Owner());
         return Window ? new TCodeEditor(IDE, Window->FileName()) : nullptr;
       },
       [](TControl*, QWidget* Widget) {
         if (auto* Editor = dynamic_cast<TCodeEditor*>(Widget)) Editor->SyncFromBuffer();
       }});
  if (!Options.Project.empty()) {
    AddHostSearchFolder(ExtractFilePath(ExpandFileName(Options.Project)));
    FSession->OpenProject(Options.Project);
  }
  FSession->RegisterExpert();
  if (!FSession->Expert()) throw Exception("The expert did not load");
  for (const std::string& File : Options.Files) FSession->OpenFile(File);

  FStatus = new QLabel(this);
  FStatus->setMargin(6);
  setCentralWidget(FStatus);
  resize(1024, 80);
  move(0, 0);

  FElapsed.start();
  FClock = new QTimer(this);
  connect(FClock, &QTimer::timeout, this, [this] { Tick(); });
  FClock->start(Options.TickInterval);
  Sync();
}

TIdeWindow::~TIdeWindow() {
  FClock->stop();
  // The expert goes first, then the files and their windows; the widgets
  // of the forms freed go before the renderer.
  FSession->ReleaseExpert();
  TMemoryIDE& IDE = FSession->IDE();
  while (IDE.GetModuleCount() > 0) {
    const std::string Name = IDE.GetModuleName(IDE.GetModuleCount() - 1);
    if (TCodeEditor* E = Editor(Name)) E->Detach();
    if (!IDE.CloseFile(Name)) break;
  }
  for (TCodeEditor* E : findChildren<TCodeEditor*>()) E->Detach();
  FSession.reset();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  FRenderer.reset();
  VclHost() = FSavedHost;
  FSavedSearchPaths.Restore();
}

TCodeEditor* TIdeWindow::Editor(const std::string& FileName) const {
  TEditWindow* Window = FSession->IDE().EditWindow(FileName);
  return Window ? dynamic_cast<TCodeEditor*>(FRenderer->WidgetOf(Window->Editor)) : nullptr;
}

QWidget* TIdeWindow::EditWindow(const std::string& FileName) const {
  TEditWindow* Window = FSession->IDE().EditWindow(FileName);
  return Window ? FRenderer->WidgetOf(Window) : nullptr;
}

// ------------------------------------------------------------------ time

void TIdeWindow::Tick() {
  if (FTicking) return;  // message processing inside the IDE's timers
  FTicking = true;
  const auto Elapsed = static_cast<uint32_t>(FElapsed.restart());
  Application->Guard([&] { FSession->IDE().AdvanceTime(Elapsed); });
  Sync();
  FTicking = false;
}

void TIdeWindow::Sync() {
  TMemoryIDE& IDE = FSession->IDE();
  // Every form that shows gets its window; the IDE's main form is this one.
  for (int I = 0; I < Screen->FormCount(); ++I) {
    TCustomForm* Form = Screen->Forms(I);
    if (Form == IDE.MainWindow() || !Form->Visible() || FRenderer->WidgetOf(Form)) continue;
    if (auto* Window = dynamic_cast<TEditWindow*>(Form)) Equip(Window);
    FRenderer->Render(Form)->raise();
  }
  FRenderer->Sync();
  setWindowTitle(Q(IDE.MainWindow()->Caption));
  const std::string Project = IDE.GetProjectName();
  FStatus->setText(Project.empty() ? QString("No project")
                                   : QString("Project %1: %2 units").arg(Q(Project)).arg(IDE.GetUnitCount()));
  SyncMenuBar();
}

// ------------------------------------------------------------------ menu

void TIdeWindow::SyncMenuBar() {
  // Not while the user is in a menu.
  if (QApplication::activePopupWidget()) return;
  TIMainMenuIntf* MainMenu = ToolServices->GetMainMenu();
  TIMenuItemIntf* Root = MainMenu->GetMenuItems();
  MainMenu->Release();
  TReleaser ReleaseRoot{Root};
  std::string Signature;
  MenuSignature(Root, Signature);
  if (Signature == FMenuSignature) return;
  FMenuSignature = Signature;
  menuBar()->clear();
  for (int I = 0; I < Root->GetItemCount(); ++I) {
    TIMenuItemIntf* Top = Root->GetItem(I);
    TReleaser Release{Top};
    if (!Top || !(Top->GetFlags() & MenuFlag(mfVisible))) continue;
    QMenu* Menu = menuBar()->addMenu(Q(Top->GetCaption()));
    Menu->setObjectName(Q(Top->GetName()));
    Menu->setEnabled(Top->GetFlags() & MenuFlag(mfEnabled));
    FillMenu(Menu, Top);
  }
}

void TIdeWindow::FillMenu(QMenu* Menu, TIMenuItemIntf* Parent) {
  for (int I = 0; I < Parent->GetItemCount(); ++I) {
    TIMenuItemIntf* Item = Parent->GetItem(I);
    TReleaser Release{Item};
    if (!Item) continue;
    const TIMenuFlags Flags = Item->GetFlags();
    if (!(Flags & MenuFlag(mfVisible))) continue;
    if (Item->GetCaption() == "-") {
      Menu->addSeparator();
      continue;
    }
    if (Item->GetItemCount() > 0) {
      QMenu* Sub = Menu->addMenu(Q(Item->GetCaption()));
      Sub->setObjectName(Q(Item->GetName()));
      Sub->setEnabled(Flags & MenuFlag(mfEnabled));
      FillMenu(Sub, Item);
      continue;
    }
    QAction* Action = Menu->addAction(Q(Item->GetCaption()));
    Action->setObjectName(Q(Item->GetName()));
    Action->setEnabled(Flags & MenuFlag(mfEnabled));
    Action->setCheckable(Flags & MenuFlag(mfChecked));
    Action->setChecked(Flags & MenuFlag(mfChecked));
    Action->setToolTip(Q(Item->GetHint()));
    if (Item->GetShortCut() != scNone) {
      Action->setShortcut(QKeySequence(Q(ShortCutToText(Item->GetShortCut()))));
      // The IDE's short cuts work in every window of it.
      Action->setShortcutContext(Qt::ApplicationShortcut);
    }
    connect(Action, &QAction::triggered, this, [this, Name = Item->GetName()] { RunMenuItem(Name); });
  }
}

void TIdeWindow::RunMenuItem(const std::string& Name) {
  TMemoryIDE& IDE = FSession->IDE();
  FRenderer->Sync();  // what the user typed is in the controls
  if (Name == "FileOpenItem") OpenFiles();
  else if (Name == "FileExitItem") close();
  else if (Name == "FileCloseItem") {
    const std::string File = IDE.GetCurrentFile();
    if (!File.empty() && QuerySave(File)) IDE.CloseFile(File);
  } else IDE.ClickMenuItem(Name);
  Sync();
}

// ----------------------------------------------------------------- files

void TIdeWindow::OpenFiles() {
  TOpenDialog Dialog(nullptr);
  Dialog.Title = "Open";
  Dialog.Filter = "Pascal files|*.pas;*.pp;*.dpr;*.lpr;*.inc|All files|*";
  if (Dialog.Execute() && !Dialog.FileName.empty()) OpenFile(Dialog.FileName);
}

bool TIdeWindow::OpenFile(const std::string& FileName) {
  bool Ok = false;
  Application->Guard([&] {
    TMemoryIDE& IDE = FSession->IDE();
    // A program file opens as the project too.
    const std::string Ext = LowerCase(ExtractFileExt(FileName));
    if ((Ext == ".dpr" || Ext == ".lpr") && IDE.GetProjectName().empty()) FSession->OpenProject(FileName);
    FSession->OpenFile(FileName);
    Ok = true;
  });
  Sync();
  return Ok;
}

bool TIdeWindow::QuerySave(const std::string& FileName) {
  TMemoryIDE& IDE = FSession->IDE();
  TEditBufferPtr B = IDE.FindBuffer(FileName);
  if (!B || !B->Modified) return true;
  switch (MessageDlg("Save changes to " + ExtractFileName(FileName) + "?", mtConfirmation, mbYesNoCancel, 0)) {
    case mrYes:
      if (IDE.SaveFile(FileName)) return true;
      MessageDlg(IDE.LastError(), mtError, MsgDlgButton(mbOK), 0);
      return false;
    case mrNo: return true;
    default: return false;
  }
}

bool TIdeWindow::QuerySaveAll() {
  TMemoryIDE& IDE = FSession->IDE();
  for (int I = 0; I < IDE.GetModuleCount(); ++I)
    if (!QuerySave(IDE.GetModuleName(I))) return false;
  return true;
}

void TIdeWindow::Equip(TEditWindow* Window) {
  // Closing an editor window closes its file, once the user agreed.
  Window->OnClose = [this, Window](TObject*, TCloseAction& Action) {
    Action = caNone;
    const std::string File = Window->FileName();
    QTimer::singleShot(0, this, [this, File] {
      if (QuerySave(File)) FSession->IDE().CloseFile(File);
      Sync();
    });
  };
}

void TIdeWindow::closeEvent(QCloseEvent* Event) {
  if (FClosing || QuerySaveAll()) {
    FClosing = true;
    Event->accept();
    // The forms' windows go with the IDE.
    QCoreApplication::quit();
  } else {
    Event->ignore();
  }
}
