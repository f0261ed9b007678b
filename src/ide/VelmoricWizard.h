// The expert: the package's entry into the IDE. Register creates the one
// TVelmoricWizard, which builds the "V&elmoric" menu and "Relevant files",
// reads the settings, equips every code editor window with a tool bar panel,
// creates the memory project, the bookmark stack, the status window and the
// source explorer, and runs the one-second find-position timer. Release
// undoes all of it and writes the file repository.
//
// Where the methods live:
//   VelmoricWizard.cpp       construction, release, menus, settings, panels,
//                            timer, editor access, the form openers
//   VelmoricBookmarks.cpp    TBookmarkStack
//   VelmoricNavigation.cpp   find position, GotoLine, GotoSymbol, FindSource,
//                            hyperjump, new symbol, clear memory, relevant
//                            files, source explorer and about box
//   VelmoricToolCommands.cpp the uses manager, the symbol explorer and
//                            expand word for the unit in the editor
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/opentools/ExptIntf.h"
#include "platform/opentools/ToolIntf.h"
#include "platform/rtl/Classes.h"

class TEditorStrings;
class TToken;
class TPascalSource;
class TPascalProject;
struct TOrvikSymbol;
class TTimer;
class TCustomForm;
class TVelmoricWizard;

// ------------------------------------------------------------ bookmarks

// One entry of the bookmark stack.
class TVelmoricBookmark : public TObject {
 public:
  int32_t Line = 0;    // the editor's cursor line, 1-based
  int32_t Col = 0;     // the cursor column as the IDE reports it
  std::string Source;  // the editor's full file name
  std::string Name;    // readable name (GetBookmarkName)
};

// The navigation history. Never two entries with the same Source and Line.
// Top is the current position, -1 when empty; not every operation keeps it
// inside the list, so readers check the range.
class TBookmarkStack : public TObject {
 public:
  TBookmarkStack();
  ~TBookmarkStack() override;
  TBookmarkStack(const TBookmarkStack&) = delete;
  TBookmarkStack& operator=(const TBookmarkStack&) = delete;

  // Frees every bookmark and the list; only the destructor calls it.
  void Clear();
  void Add(const std::string& Source, int Line, int Col, const std::string& Name);
  // Adds the cursor position of the IDE's current editor.
  void PushPosition();
  // The nearest heading line (procedure, class, ...) at or above the 1-based
  // Line, without its leading blanks; else "Zeile <Line>".
  void GetBookmarkName(TEditorStrings* Lines, int Line, std::string& Name);
  // One step back in the history.
  void Jump();
  // Opens the bookmark's file and places the cursor; nothing outside the list.
  void JumpTo(int Entry);
  // Writes the stack to the trace stream "bookmarks".
  void DisplayBookmarks();

  int Count() const { return Entries ? Entries->Count() : 0; }
  TVelmoricBookmark* Items(int Index) const {
    return static_cast<TVelmoricBookmark*>(Entries->Get(Index));
  }

  int32_t Top = -1;
  TList* Entries = nullptr;  // of TVelmoricBookmark, owned
};

// ----------------------------------------------------------------- menus

enum TInsertAction { iaBefore, iaAfter, iaChild };

// Inserts a new item into the IDE's main menu before, after or as first
// child of the item named TargetName; the caller owns the returned item.
// Raises "Cannot find menu item: %s" or "No menu parent for %s".
TIMenuItemIntf* InsertMenuItem(TInsertAction Action, const std::string& TargetName,
                               const std::string& Caption, const std::string& Name,
                               const std::string& Hint, TShortCut ShortCut, int Context,
                               int GroupIndex, TIMenuFlags Flags, TIMenuClickEvent OnClick);

// ------------------------------------------------------------- notifier

// Receives the IDE's file notifications; a closing file is detached from
// the memory project.
class TVelmoricAddInNotifier : public TIAddInNotifier {
 public:
  void FileNotification(TFileNotification NotifyCode, const std::string& FileName,
                        bool& Cancel) override;
  TVelmoricWizard* Owner = nullptr;
};

// ---------------------------------------------------------------- expert

class TVelmoricWizard : public TIExpert {
 public:
  // Runs the eight start-up blocks, each in its own guard.
  TVelmoricWizard();
  ~TVelmoricWizard() override;

  // The IDE's unload: the ten release steps, then the inherited Release.
  int Release() override;

  // Identity.
  std::string GetName() override;
  std::string GetAuthor() override;
  std::string GetComment() override;
  std::string GetPage() override;
  uintptr_t GetGlyph() override;
  TExpertStyle GetStyle() override;
  TExpertState GetState() override;
  std::string GetIDString() override;
  std::string GetMenuText() override;
  // The expert's own entry ("Velmoric-Wizard") does nothing.
  void Execute() override {}

  // Editor access. Each successful Get... is paired with one ReleaseEditor.
  // GetEditor: EditorStrings, Token and an unparsed Source over the current
  // file. GetCompiledEditor: Source parsed inside a new CompileProject (the
  // caller frees CompileProject).
  bool GetEditor();
  bool GetCompiledEditor();
  void ReleaseEditor();

  // IDE hooks.
  void OnUpdateTimer(TObject* Sender);
  void MyOnActiveFormChange(TObject* Sender);
  void MyOnActivate(TObject* Sender);
  void MyOnResizeForm(TObject* Sender);

  // --- VelmoricNavigation.cpp
  void MenuClickFindPosition(TIMenuItemIntf* Sender);
  // Opens SourceName (found through FindSource) and puts the cursor on the
  // 1-based Line, column Col + 1.
  void GotoLine(const std::string& SourceName, int Line, int Col);
  // Pushes the current position and jumps to the symbol's line.
  void GotoSymbol(TOrvikSymbol* Symbol);
  void FindSource(const std::string& SourceName, std::string& FileName);
  void UpdateQuickOpen();
  void MenuClickQuickOpen(TIMenuItemIntf* Sender);
  void MenuClickHyperjump(TIMenuItemIntf* Sender);
  void MenuClickEditSymbol(TIMenuItemIntf* Sender);
  void MenuClickClearMemory(TIMenuItemIntf* Sender);
  void MenuClickSourceExplorer(TIMenuItemIntf* Sender);
  void MenuClickAbout(TIMenuItemIntf* Sender);

  // --- form openers of this unit (features of later issues say so in a
  // message box until they come)
  void MenuClickUnitDependencies(TIMenuItemIntf* Sender);
  void MenuClickUsesManager(TIMenuItemIntf* Sender);
  void MenuClickSymbols(TIMenuItemIntf* Sender);
  void MenuClickInheritanceWizard(TIMenuItemIntf* Sender);
  void MenuClickExpandWord(TIMenuItemIntf* Sender);
  void MenuClickTableExpert(TIMenuItemIntf* Sender);
  void MenuClickBookmarkStack(TIMenuItemIntf* Sender);
  void MenuClickDFMDependencies(TIMenuItemIntf* Sender);
  void MenuClickDesktopManager(TIMenuItemIntf* Sender);
  void MenuClickDesktopCycle(TIMenuItemIntf* Sender);
  void MenuClickEditManual(TIMenuItemIntf* Sender);
  void MenuClickVirtualHelp(TIMenuItemIntf* Sender);
  void MenuClickOptions(TIMenuItemIntf* Sender);

  TList* Panels = nullptr;  // of TPanel (owned by their windows); nil with panels off
  TTimer* UpdateTimer = nullptr;
  TNotifyEvent SavedActiveFormChange;
  // The resize and activate handlers each equipped editor window had,
  // called behind the expert's and given back at release.
  struct TEditorHandlers {
    TNotifyEvent Resize;
    TNotifyEvent Activate;
  };
  std::map<const TObject*, TEditorHandlers> SavedEditorHandlers;
  TVelmoricAddInNotifier* AddInNotifier = nullptr;
  TStringList* QuickOpenFiles = nullptr;
  TList* QuickOpenItems = nullptr;  // of TIMenuItemIntf, owned
  TIMenuItemIntf* QuickOpenMenu = nullptr;  // also held by MenuItems
  TIEditorInterface* EditorIntf = nullptr;
  TEditorStrings* EditorStrings = nullptr;
  TIModuleInterface* ModuleIntf = nullptr;
  TToken* Token = nullptr;
  TPascalSource* Source = nullptr;
  TPascalProject* CompileProject = nullptr;
  TPascalProject* Project = nullptr;  // the memory project
  TBookmarkStack* BookmarkStack = nullptr;
  TList* MenuItems = nullptr;  // of TIMenuItemIntf, owned
  int32_t LastFindLine = 0;

 private:
  void CreateMenus();
  void ReadRegistry();
  void EquipEditWindow(TCustomForm* Form);
  void ReleasePanels();
  void ReleaseForms();
  void ReleaseMenuItems(TList* Items);

  bool FPanelsOn = true;  // no "nopanel" in the registry
  bool FHooked = false;   // the screen's active-form-change handler is ours
};

// The package entry: creates the expert and registers it with the IDE.
void Register();

// Runs CheckInstallation and returns VelmoricPath.
std::string GetVelmoricPath();
// Warns once per run when no data path is set.
void CheckInstallation();

extern TVelmoricWizard* TheVelmoricFairy;
// Each timer tick runs find position while set.
extern bool bFindTimer;
// The missing-path warning has been shown.
extern bool Installchecked;
// Find position writes its debug lines while set; off during timer ticks.
extern bool bFindPosDebug;
