// The visible IDE: the in-process IDE with the expert loaded, shown on Qt.
// The main window carries the IDE's main menu (with what the expert put
// into it; short cuts work in every window), every form the IDE or the
// add-in shows is rendered by the Qt renderer, each editor window's code
// editor is a TCodeEditor over the file's buffer, and the IDE's clock
// follows the real one on a QTimer.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>

#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/VclHost.h"
#include "project/VelmoricProjectSettings.h"

class QLabel;
class QTimer;
class TCodeEditor;
class TExpertSession;
class TQtRenderer;
class TIMenuItemIntf;

struct TIdeOptions {
  std::string Project;             // a program file (.dpr, .lpr) to open as the IDE project
  std::vector<std::string> Files;  // opened in this order; the last is in front
  std::string DataDirectory;       // empty: the session's default
  int TickInterval = 20;           // milliseconds between clock ticks
};

class TIdeWindow : public QMainWindow {
 public:
  // Loads the expert, opens the project and the files. Raises Exception when
  // the project or a file cannot be read.
  explicit TIdeWindow(const TIdeOptions& Options);
  // Unloads the expert, closes the files and gives the host hooks back.
  ~TIdeWindow() override;

  TExpertSession& Session() { return *FSession; }
  TQtRenderer& Renderer() { return *FRenderer; }
  // The code editor and the editor window of an open file, or nullptr.
  TCodeEditor* Editor(const std::string& FileName) const;
  QWidget* EditWindow(const std::string& FileName) const;

  // The user's commands of the File menu; failures are shown in a message box.
  void OpenFiles();  // asks with a file dialog
  bool OpenFile(const std::string& FileName);
  // Asks whether to save each modified file; false when the user cancelled.
  bool QuerySaveAll();

  // Copies the IDE's state to the screen: the menu bar, the caption, every
  // form that is showing and every editor.
  void Sync();

 protected:
  void closeEvent(QCloseEvent* Event) override;

 private:
  void Tick();
  // Re-creates the menu bar when the IDE's menu changed.
  void SyncMenuBar();
  void FillMenu(class QMenu* Menu, TIMenuItemIntf* Item);
  void RunMenuItem(const std::string& Name);
  // Gives a new editor window its closing behaviour.
  void Equip(class TEditWindow* Window);
  bool QuerySave(const std::string& FileName);

  std::unique_ptr<TQtRenderer> FRenderer;
  std::unique_ptr<TExpertSession> FSession;
  TVclHost FSavedHost;
  TSavedSearchPaths FSavedSearchPaths;
  QTimer* FClock = nullptr;
  QElapsedTimer FElapsed;
  QLabel* FStatus = nullptr;
  std::string FMenuSignature;
  bool FTicking = false;
  bool FClosing = false;
};
