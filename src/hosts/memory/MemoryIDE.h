// The in-process IDE: the tool services over editor buffers held in
// memory, with the main menu, the project read from a program file, module
// and add-in notifiers, one "TEditWindow" per open file, the experts it has
// loaded, and a clock of its own. Tests, the command line and the language
// server run the add-in inside it.
//
// Time stands still until the host moves it: AdvanceTime fires the timers
// as their times come, PumpEvents fires those already due.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hosts/memory/EditBuffer.h"
#include "platform/opentools/ExptIntf.h"
#include "platform/opentools/ToolIntf.h"

class TAppBuilder;
class TDesignedForm;
class TEditWindow;
struct TMenuNode;
using TMenuNodePtr = std::shared_ptr<TMenuNode>;

class TMemoryIDE : public TIToolServices {
 public:
  // Becomes the global ToolServices and the receiver of registered experts,
  // installs its clock (starting at 0) and creates the main window and menu.
  // Only one may exist at a time.
  TMemoryIDE();
  // Unloads the experts, closes every file and the project, and restores
  // the globals it took over.
  ~TMemoryIDE() override;

  // --- TIToolServices
  bool CloseProject() override;
  bool OpenProject(const std::string& ProjName) override;
  bool SaveProject() override;
  std::string GetProjectName() override { return FProjectName; }
  int GetUnitCount() override;
  std::string GetUnitName(int Index) override;
  int GetFormCount() override;
  std::string GetFormName(int Index) override;
  bool CloseFile(const std::string& FileName) override;
  bool SaveFile(const std::string& FileName) override;
  bool OpenFile(const std::string& FileName) override;
  bool ReloadFile(const std::string& FileName) override;
  bool IsFileOpen(const std::string& FileName) override;
  std::string GetCurrentFile() override;
  bool CreateModule(const std::string& ModuleName, const std::string& Source,
                    TCreateModuleFlags CreateFlags) override;
  int GetModuleCount() override { return static_cast<int>(FBuffers.size()); }
  std::string GetModuleName(int Index) override;
  TIModuleInterface* GetModuleInterface(const std::string& FileName) override;
  TIMainMenuIntf* GetMainMenu() override;
  bool AddNotifier(TIAddInNotifier* AddInNotifier) override;
  bool RemoveNotifier(TIAddInNotifier* AddInNotifier) override;
  std::string GetBaseRegistryKey() override { return "Software\\Borland\\Delphi\\3.0"; }
  // $VELMORIC_LIBRARY_PATH when set (empty: none), else the source folders
  // of the Free Pascal and Lazarus installations found (LibrarySources.h),
  // looked for once.
  std::string GetDefaultLibraryPath() override;

  // --- experts
  // Runs a package's registration procedure; the experts it registers with
  // RegisterLibraryExpert stay loaded until UnloadExperts.
  void LoadPackage(const std::function<void()>& Register);
  // Releases every expert, the last loaded first.
  void UnloadExperts();
  int ExpertCount() const { return static_cast<int>(FExperts.size()); }
  TIExpert* Experts(int Index) const { return FExperts.at(Index).Expert; }

  // --- files, for the host
  // The buffer of an open file (name compared without regard to case), or nullptr.
  TEditBufferPtr FindBuffer(const std::string& FileName) const;
  // The open buffer; raises Exception "File not open: %s" when there is none.
  TEditBuffer& Buffer(const std::string& FileName) const;
  // Replaces Count characters at Pos as one undoable change.
  void EditText(const std::string& FileName, int Pos, int Count, const std::string& Text);
  bool Undo(const std::string& FileName);
  bool Redo(const std::string& FileName);
  // Brings the file's editor window to the front.
  bool ActivateFile(const std::string& FileName);
  TEditWindow* EditWindow(const std::string& FileName) const;
  // Writes every modified buffer to its file; raises EInOutError for the
  // first that fails.
  void SaveAllFiles();
  // Why the last SaveFile, OpenFile or OpenProject failed.
  const std::string& LastError() const { return FLastError; }

  // --- menu, for the host
  // Chooses the menu item of that name as the user would; false when there
  // is none or it is disabled.
  bool ClickMenuItem(const std::string& Name);
  // Chooses the enabled menu item with that short cut; false when none.
  bool PressShortCut(TShortCut ShortCut);

  // --- time
  uint32_t Now() const { return FClock; }
  // Moves the clock forward, firing each timer at every time it comes due.
  void AdvanceTime(uint32_t Milliseconds);
  // Frees released forms and fires the timers that are due now.
  void PumpEvents();

  // The IDE's library search path, kept in the registry below
  // GetBaseRegistryKey() + "\Library" as "SearchPath".
  std::string LibraryPath();
  void SetLibraryPath(const std::string& Path);

  TAppBuilder* MainWindow() const { return FMainWindow; }

  // --- form designer
  // Opens a form file in the designer (a unit's name opens the ".dfm" or
  // ".lfm" beside it), or gives the one open already. Raises EFOpenError,
  // EReadError (no form file) or EParserError (bad text).
  TDesignedForm& OpenForm(const std::string& FileName);
  // Closes the form in the designer; false when it was not open.
  bool CloseForm(const std::string& FileName);
  int DesignedFormCount() const { return static_cast<int>(FForms.size()); }

  // --- the user's program
  // While it runs the main window's caption ends in " [Running]", as the
  // IDE shows it.
  void SetRunning(bool Value);
  bool Running() const { return FRunning; }
  // Minimises the main window or restores it.
  void SetMinimized(bool Value);

  // Called by the buffers' interfaces.
  void BufferChanged(TEditBuffer& Buffer);
  bool ShowBuffer(const TEditBufferPtr& Buffer);

 private:
  struct TExpertEntry {
    TIExpert* Expert;
    TMenuNodePtr MenuItem;  // its entry in the Help menu, if any
  };
  struct TProjectEntry {
    std::string FileName;
    std::string FormName;
  };

  void BuildMainMenu();
  void RegisterExpert(TIExpert* Expert);
  // Sends a file notification to every add-in notifier; true when one cancelled.
  bool FileNotify(TFileNotification Code, const std::string& FileName);
  void NotifyModule(TEditBuffer& Buffer, TNotifyCode Code);
  TEditBufferPtr AddBuffer(const std::string& FileName, std::string Text);
  void RemoveBuffer(TEditBufferPtr Buffer);
  bool RunMenuNode(const TMenuNodePtr& Node);
  // The current file's buffer, or nullptr.
  TEditBufferPtr CurrentBuffer();

  std::vector<TEditBufferPtr> FBuffers;
  std::vector<std::unique_ptr<TDesignedForm>> FForms;
  std::vector<TIAddInNotifier*> FNotifiers;
  std::vector<TExpertEntry> FExperts;
  std::string FProjectName;
  std::vector<TProjectEntry> FProjectUnits;
  TMenuNodePtr FMenuRoot;
  TAppBuilder* FMainWindow = nullptr;
  uint32_t FClock = 0;
  bool FRunning = false;
  std::string FLastError;
  std::function<void(TIExpert*)> FSavedExpertProc;
};
