// The log window "Log-Window": menus of MENU_1, the tray icon with its
// pop-up, the painted view, the stream dialog, the statistics window and the
// file choice. Every menu item, pop-up item and tray item ends in Command.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QSystemTrayIcon>
#include <functional>
#include <string>

#include "core/LogModel.h"
#include "qt/StatisticsWindow.h"

class QMenu;
class TLogReceiver;
class TLogView;

// Command identifiers of the menus.
enum TLogCommand {
  cmEnde = 101,
  cmKopieren = 201,
  cmLoeschen = 202,
  cmFontNormal = 301,
  cmFontKlein = 302,
  cmFontMini = 303,
  cmCollapse = 1000,
  cmExpand = 1001,
  cmStreamToggle = 2000,  // + slot
  cmStreams = 40001,
  cmSave = 40002,
  cmLogfile = 40003,
  cmCloseLogfile = 40004,
  cmStatistik = 40005,
  cmEchoMsdev = 40008,
};

class TLogWindow : public QMainWindow {
  Q_OBJECT
 public:
  // Receiver may be null (no socket): lines then come only through ShowLine.
  TLogWindow(TLogModel& Model, TLogReceiver* Receiver);
  ~TLogWindow() override;

  // Shows the window at start when there is no tray icon to reach it by.
  void Start();
  void Command(int Id);
  // Draws a line the receiver has just stored.
  void ShowLine(const TReceived& Received);
  // Double click on a listed line: unfold or fold what is hidden below it.
  void UnfoldLine(int Line);
  // The tray icon's left button: hidden <-> shown.
  void ToggleShown();

  TLogView* View() const { return FView; }
  QMenu* TrayMenu() const { return FTrayMenu; }
  QSystemTrayIcon* TrayIcon() const { return FTray; }
  TStatisticsWindow* Statistics() const { return FStatistics; }

  // The file choice; returns an empty string when cancelled. Tests replace it.
  std::function<QString(const QString& Caption)> ChooseFile;
  // Reports a failure to the user. Tests replace it.
  std::function<void(const QString& Message)> ShowError;

 protected:
  void closeEvent(QCloseEvent* Event) override;

 private:
  void CreateMenus();
  void CreateTray();
  void WatchReceiver();
  void WatchPeer(int Fd);
  void SetFont(const char* Face, int Height);
  void ChooseLogFile();
  void ShowStreamDialog();
  void TrayActivated(QSystemTrayIcon::ActivationReason Reason);

  TLogModel& FModel;
  TLogReceiver* FReceiver;
  TLogView* FView;
  QSystemTrayIcon* FTray = nullptr;
  QMenu* FTrayMenu = nullptr;
  QPointer<TStatisticsWindow> FStatistics;
};

// `tracelet` with a window. Returns the program's exit status.
int RunLogWindow(int argc, char** argv, const std::string& SocketPath);
