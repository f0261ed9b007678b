// The IDE's tool services: files, modules, the project, the main menu and
// add-in notifiers. The global ToolServices is nullptr when no IDE is
// present; every caller then skips its IDE step.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/opentools/EditIntf.h"
#include "platform/opentools/VirtIntf.h"

// Key code in the low byte, modifiers above: Shift 0x2000, Ctrl 0x4000,
// Alt 0x8000 (Alt+S is 0x8053).
using TShortCut = uint16_t;

enum TIMenuFlag { mfInvalid, mfEnabled, mfVisible, mfChecked, mfBreak, mfBarBreak, mfRadioItem };
// A set of TIMenuFlag, one bit per flag.
using TIMenuFlags = uint32_t;
constexpr TIMenuFlags MenuFlag(TIMenuFlag F) { return TIMenuFlags(1) << F; }
constexpr TIMenuFlags mfsEnabledVisible = MenuFlag(mfEnabled) | MenuFlag(mfVisible);

class TIMenuItemIntf;
using TIMenuClickEvent = std::function<void(TIMenuItemIntf* Sender)>;

// One item of the IDE's main menu. Releasing the interface that InsertItem
// returned removes that item (and its sub-items) from the menu; releasing an
// interface obtained any other way leaves the item in place.
class TIMenuItemIntf : public TInterface {
 public:
  virtual bool DestroyMenuItem() = 0;
  virtual int GetIndex() = 0;  // -1 when the item is no longer in the menu
  virtual int GetItemCount() = 0;
  virtual TIMenuItemIntf* GetItem(int Index) = 0;  // new interface or nullptr
  virtual std::string GetName() = 0;
  virtual TIMenuItemIntf* GetParent() = 0;  // new interface, nullptr for the top
  virtual std::string GetCaption() = 0;
  virtual bool SetCaption(const std::string& Caption) = 0;
  virtual TShortCut GetShortCut() = 0;
  virtual bool SetShortCut(TShortCut ShortCut) = 0;
  virtual TIMenuFlags GetFlags() = 0;
  virtual bool SetFlags(TIMenuFlags Mask, TIMenuFlags Flags) = 0;
  virtual int GetGroupIndex() = 0;
  virtual bool SetGroupIndex(int GroupIndex) = 0;
  virtual std::string GetHint() = 0;
  virtual bool SetHint(const std::string& Hint) = 0;
  virtual int GetContext() = 0;
  virtual bool SetContext(int Context) = 0;
  virtual TIMenuClickEvent GetOnClick() = 0;
  virtual bool SetOnClick(TIMenuClickEvent Click) = 0;
  // Inserts a new sub-item at Index (clamped to 0..count) and returns its
  // interface; the caller owns it.
  virtual TIMenuItemIntf* InsertItem(int Index, const std::string& Caption,
                                     const std::string& Name, const std::string& Hint,
                                     TShortCut ShortCut, int Context, int GroupIndex,
                                     TIMenuFlags Flags, TIMenuClickEvent EventHandler) = 0;
};

class TIMainMenuIntf : public TInterface {
 public:
  // The invisible root whose sub-items are the menu bar's entries.
  virtual TIMenuItemIntf* GetMenuItems() = 0;
  // The item of that component name anywhere in the menu (case ignored), or nullptr.
  virtual TIMenuItemIntf* FindMenuItem(const std::string& Name) = 0;
};

enum TFileNotification {
  fnFileOpening,
  fnFileOpened,
  fnFileClosing,
  fnProjectOpening,
  fnProjectOpened,
  fnProjectClosing,
  fnAddedToProject,
  fnRemovedFromProject,
  fnDefaultDesktopLoad,
  fnDefaultDesktopSave,
  fnProjectDesktopLoad,
  fnProjectDesktopSave,
  fnPackageInstalled,
  fnPackageUninstalled
};

enum TEventNotification { enBeforeCompile, enAfterCompile };

// Receives the IDE's file and event notifications. Registered with
// ToolServices->AddNotifier; the IDE does not own it.
class TIAddInNotifier : public TInterface {
 public:
  // Setting Cancel on an "...ing" code stops the operation.
  virtual void FileNotification(TFileNotification NotifyCode, const std::string& FileName,
                                bool& Cancel) = 0;
  virtual void EventNotification(TEventNotification NotifyCode, bool& Cancel) {}
};

enum TCreateModuleFlag {
  cmAddToProject,
  cmShowSource,
  cmShowForm,
  cmUnNamed,
  cmNewUnit,
  cmNewForm,
  cmMainForm,
  cmMarkModified,
  cmNewFile,
  cmExisting
};
using TCreateModuleFlags = uint32_t;
constexpr TCreateModuleFlags CreateModuleFlag(TCreateModuleFlag F) {
  return TCreateModuleFlags(1) << F;
}

class TIToolServices : public TInterface {
 public:
  // Project.
  virtual bool CloseProject() = 0;
  virtual bool OpenProject(const std::string& ProjName) = 0;
  virtual bool SaveProject() = 0;
  virtual std::string GetProjectName() = 0;
  // The project's files: index 0 is the project file itself, then the units
  // named with "in" in its uses clause.
  virtual int GetUnitCount() = 0;
  virtual std::string GetUnitName(int Index) = 0;
  // The form files of the project's units that name a form.
  virtual int GetFormCount() = 0;
  virtual std::string GetFormName(int Index) = 0;

  // Files.
  virtual bool CloseFile(const std::string& FileName) = 0;
  virtual bool SaveFile(const std::string& FileName) = 0;
  virtual bool OpenFile(const std::string& FileName) = 0;
  virtual bool ReloadFile(const std::string& FileName) = 0;
  virtual bool IsFileOpen(const std::string& FileName) = 0;
  // The file of the active editor; empty when no file is open.
  virtual std::string GetCurrentFile() = 0;
  // A new module holding Source; with cmAddToProject it joins the project,
  // with cmShowSource its editor comes to the front.
  virtual bool CreateModule(const std::string& ModuleName, const std::string& Source,
                            TCreateModuleFlags CreateFlags) = 0;
  virtual int GetModuleCount() = 0;
  virtual std::string GetModuleName(int Index) = 0;
  // A new interface for the module of an open file, or nullptr.
  virtual TIModuleInterface* GetModuleInterface(const std::string& FileName) = 0;

  // Menu and notifiers.
  virtual TIMainMenuIntf* GetMainMenu() = 0;
  virtual bool AddNotifier(TIAddInNotifier* AddInNotifier) = 0;
  virtual bool RemoveNotifier(TIAddInNotifier* AddInNotifier) = 0;

  // The IDE's registry key below the current user ("Software\Borland\Delphi\3.0").
  virtual std::string GetBaseRegistryKey() = 0;
  // The library search path (";"-separated) the IDE uses when its settings
  // name none; empty when it has no default of its own.
  virtual std::string GetDefaultLibraryPath() { return {}; }
};

extern TIToolServices* ToolServices;
