#include "hosts/memory/MemoryIDE.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "hosts/memory/EditWindow.h"
#include "hosts/memory/LibrarySources.h"
#include "hosts/memory/MemoryIntf.h"
#include "hosts/memory/ProjectFile.h"
#include "platform/registry/Registry.h"
#include "platform/rtl/AtomicFile.h"
#include "platform/rtl/FileSearch.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/FormReader.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"

namespace {

// Writes Data to FileName through a temporary file, keeping the file's mode.
void SaveText(const std::string& FileName, const std::string& Data) {
  const TAtomicWriteResult R = TryWriteFileAtomically(FileName, Data);
  if (!R)
    throw EInOutError(Format("Cannot write %s: %s", FileName, std::strerror(R.Error)), R.Error);
}

// The offsets of the buffer's selected block; false when there is none.
bool Block(TEditBuffer& B, int& From, int& To) {
  From = B.CharPosToPos(B.EditPosToCharPos(B.BlockStart));
  To = B.CharPosToPos(B.EditPosToCharPos(B.BlockAfter));
  if (From > To) std::swap(From, To);
  return From < To;
}

struct TMenuDef {
  int Level;  // 0: menu bar entry, 1: its item
  const char* Name;
  const char* Caption;
  TShortCut ShortCut;
};

// The IDE's own menu, as its add-ins find it by name.
const TMenuDef MainMenuDefs[] = {
    {0, "FileMenu", "&File", 0},
    {1, "FileNewItem", "&New...", 0},
    {1, "FileNewApplicationItem", "New Applicatio&n", 0},
    {1, "FileNewFormItem", "New &Form", 0},
    {1, "FileN1", "-", 0},
    {1, "FileOpenItem", "&Open...", 0},
    {1, "FileClosedFilesItem", "&Reopen", 0},
    {1, "FileSaveItem", "&Save", scCtrl | 'S'},
    {1, "FileSaveAsItem", "Save &As...", 0},
    {1, "FileSaveAllItem", "Sav&e All", 0},
    {1, "FileCloseItem", "&Close", 0},
    {1, "FileCloseAllItem", "C&lose All", 0},
    {1, "FileN2", "-", 0},
    {1, "FileUseUnitItem", "&Use Unit...", 0},
    {1, "FilePrintItem", "&Print...", 0},
    {1, "FileN3", "-", 0},
    {1, "FileExitItem", "E&xit", 0},
    {0, "EditMenu", "&Edit", 0},
    {1, "EditUndoItem", "&Undo", scCtrl | 'Z'},
    {1, "EditRedoItem", "&Redo", scShift | scCtrl | 'Z'},
    {1, "EditN1", "-", 0},
    {1, "EditCutItem", "Cu&t", scCtrl | 'X'},
    {1, "EditCopyItem", "&Copy", scCtrl | 'C'},
    {1, "EditPasteItem", "&Paste", scCtrl | 'V'},
    {1, "EditSelectAllItem", "Se&lect All", scCtrl | 'A'},
    {0, "SearchMenu", "&Search", 0},
    {1, "SearchFindItem", "&Find...", scCtrl | 'F'},
    {1, "SearchReplaceItem", "&Replace...", scCtrl | 'R'},
    {1, "SearchAgainItem", "&Search Again", 0x72},
    {1, "SearchGoToItem", "&Go to Line Number...", scAlt | 'G'},
    {0, "ViewsMenu", "&View", 0},
    {1, "ViewPrjMgrItem", "&Project Manager", 0},
    {1, "ViewObjInspItem", "&Object Inspector", 0x7A},
    {0, "ProjectMenu", "&Project", 0},
    {1, "ProjectAddItem", "&Add to Project...", 0},
    {1, "ProjectRemoveItem", "&Remove from Project...", 0},
    {1, "ProjectCompileItem", "&Compile", scCtrl | 0x78},
    {1, "ProjectOptionsItem", "&Options...", 0},
    {0, "RunMenu", "&Run", 0},
    {1, "RunRunItem", "&Run", 0x78},
    {0, "ComponentMenu", "&Component", 0},
    {1, "ComponentInstallItem", "Install &Component...", 0},
    {0, "DatabaseMenu", "&Database", 0},
    {1, "DatabaseExploreItem", "&Explore", 0},
    {0, "ToolsMenu", "&Tools", 0},
    {1, "ToolsOptionsItem", "&Environment Options...", 0},
    {0, "HelpMenu", "&Help", 0},
    {1, "HelpContentsItem", "&Contents", 0},
    {1, "HelpAboutItem", "&About...", 0},
};

}  // namespace

// ------------------------------------------------------------- life cycle

TMemoryIDE::TMemoryIDE() {
  if (ToolServices) throw Exception("Another IDE is already running in this process");
  ToolServices = this;
  FSavedExpertProc = LibraryExpertProc;
  LibraryExpertProc = [this](TIExpert* Expert) { RegisterExpert(Expert); };
  SetTickCountSource([this] { return FClock; });
  Application->Title = "Velmoric IDE";
  FMainWindow = new TAppBuilder(Application);
  FMainWindow->Caption = Application->Title;
  Application->MainForm = FMainWindow;
  FMainWindow->Show();
  BuildMainMenu();
}

TMemoryIDE::~TMemoryIDE() {
  UnloadExperts();
  FForms.clear();
  while (!FBuffers.empty()) RemoveBuffer(FBuffers.back());
  FProjectUnits.clear();
  FProjectName.clear();
  FMenuRoot->Destroy();
  delete FMainWindow;
  Application->ProcessMessages();
  LibraryExpertProc = FSavedExpertProc;
  SetTickCountSource({});
  ToolServices = nullptr;
  // The interface objects the IDE handed out are the caller's to release;
  // this one is the IDE itself.
}

void TMemoryIDE::BuildMainMenu() {
  FMenuRoot = std::make_shared<TMenuNode>();
  FMenuRoot->IsRoot = true;
  TMenuNode* Top = nullptr;
  for (const TMenuDef& D : MainMenuDefs) {
    auto Node = std::make_shared<TMenuNode>();
    Node->Name = D.Name;
    Node->Caption = D.Caption;
    Node->ShortCut = D.ShortCut;
    TMenuNode* Parent = D.Level == 0 ? FMenuRoot.get() : Top;
    Node->Parent = Parent;
    Parent->Items.push_back(Node);
    if (D.Level == 0) Top = Node.get();
  }
  auto Bind = [&](const char* Name, std::function<void()> Action) {
    FMenuRoot->Find(Name)->Action = std::move(Action);
  };
  auto OnCurrent = [this](void (*Run)(TMemoryIDE&, const std::string&)) {
    return [this, Run] {
      if (TEditBufferPtr B = CurrentBuffer()) Run(*this, B->FileName());
    };
  };
  Bind("EditUndoItem", OnCurrent([](TMemoryIDE& I, const std::string& F) { I.Undo(F); }));
  Bind("EditRedoItem", OnCurrent([](TMemoryIDE& I, const std::string& F) { I.Redo(F); }));
  Bind("FileSaveItem", OnCurrent([](TMemoryIDE& I, const std::string& F) {
         if (!I.SaveFile(F)) throw Exception(I.LastError());
       }));
  Bind("FileCloseItem", OnCurrent([](TMemoryIDE& I, const std::string& F) { I.CloseFile(F); }));
  // The selected block and the clipboard.
  Bind("EditCopyItem", OnCurrent([](TMemoryIDE& I, const std::string& F) {
         int From, To;
         TEditBuffer& B = I.Buffer(F);
         if (Block(B, From, To)) Clipboard().SetAsText(B.Text().substr(From, To - From));
       }));
  Bind("EditCutItem", OnCurrent([](TMemoryIDE& I, const std::string& F) {
         int From, To;
         TEditBuffer& B = I.Buffer(F);
         if (!Block(B, From, To)) return;
         Clipboard().SetAsText(B.Text().substr(From, To - From));
         I.EditText(F, From, To - From, "");
         B.Cursor = B.CharPosToEditPos(B.PosToCharPos(From));
         B.BlockStart = B.BlockAfter = B.Cursor;
       }));
  Bind("EditPasteItem", OnCurrent([](TMemoryIDE& I, const std::string& F) {
         const std::string Text = Clipboard().AsText();
         TEditBuffer& B = I.Buffer(F);
         const int Pos = B.CharPosToPos(B.EditPosToCharPos(B.Cursor));
         if (Text.empty()) return;
         I.EditText(F, Pos, 0, Text);
         B.Cursor = B.CharPosToEditPos(B.PosToCharPos(Pos + static_cast<int>(Text.size())));
       }));
  Bind("EditSelectAllItem", OnCurrent([](TMemoryIDE& I, const std::string& F) {
         TEditBuffer& B = I.Buffer(F);
         B.BlockStart = TEditPos{};
         B.BlockAfter = B.CharPosToEditPos(B.PosToCharPos(B.Length()));
       }));
  Bind("FileSaveAllItem", [this] { SaveAllFiles(); });
  Bind("FileCloseAllItem", [this] {
    while (!FBuffers.empty())
      if (!CloseFile(FBuffers.back()->FileName())) break;
  });
}

// ---------------------------------------------------------------- experts

void TMemoryIDE::LoadPackage(const std::function<void()>& Register) { Register(); }

void TMemoryIDE::RegisterExpert(TIExpert* Expert) {
  const std::string Id = Expert->GetIDString();
  for (const TExpertEntry& E : FExperts) {
    if (E.Expert->GetIDString() == Id) {
      Expert->Release();
      throw Exception(Format("An expert with the ID %s is already registered", Id));
    }
  }
  TExpertEntry Entry{Expert, nullptr};
  if (Expert->GetStyle() == esStandard) {
    auto Help = FMenuRoot->Find("HelpMenu");
    auto Node = std::make_shared<TMenuNode>();
    for (int N = 1; !Node->Name.size(); ++N)
      if (!FMenuRoot->Find("ExpertMenuItem" + IntToStr(N))) Node->Name = "ExpertMenuItem" + IntToStr(N);
    Node->Caption = Expert->GetMenuText();
    Node->Flags = (Expert->GetState() & ExpertState(esEnabled)) ? mfsEnabledVisible
                                                               : MenuFlag(mfVisible);
    Node->Action = [Expert] { Expert->Execute(); };
    Node->Parent = Help.get();
    Help->Items.push_back(Node);
    Entry.MenuItem = Node;
  }
  FExperts.push_back(Entry);
}

void TMemoryIDE::UnloadExperts() {
  while (!FExperts.empty()) {
    TExpertEntry Entry = FExperts.back();
    FExperts.pop_back();
    if (Entry.MenuItem) Entry.MenuItem->Destroy();
    Application->Guard([&] { Entry.Expert->Release(); });
  }
}

// ------------------------------------------------------------- notifiers

bool TMemoryIDE::AddNotifier(TIAddInNotifier* AddInNotifier) {
  if (!AddInNotifier) return false;
  if (std::find(FNotifiers.begin(), FNotifiers.end(), AddInNotifier) == FNotifiers.end())
    FNotifiers.push_back(AddInNotifier);
  return true;
}

bool TMemoryIDE::RemoveNotifier(TIAddInNotifier* AddInNotifier) {
  auto It = std::find(FNotifiers.begin(), FNotifiers.end(), AddInNotifier);
  if (It == FNotifiers.end()) return false;
  FNotifiers.erase(It);
  return true;
}

bool TMemoryIDE::FileNotify(TFileNotification Code, const std::string& FileName) {
  bool Cancel = false;
  const std::vector<TIAddInNotifier*> Snapshot = FNotifiers;
  for (TIAddInNotifier* N : Snapshot) {
    if (std::find(FNotifiers.begin(), FNotifiers.end(), N) == FNotifiers.end()) continue;
    Application->Guard([&] { N->FileNotification(Code, FileName, Cancel); });
  }
  return Cancel;
}

void TMemoryIDE::NotifyModule(TEditBuffer& Buffer, TNotifyCode Code) {
  const std::vector<TIModuleNotifier*> Snapshot = Buffer.Notifiers;
  for (TIModuleNotifier* N : Snapshot) {
    const auto& Live = Buffer.Notifiers;
    if (std::find(Live.begin(), Live.end(), N) == Live.end()) continue;
    Application->Guard([&] { N->Notify(Code); });
  }
}

void TMemoryIDE::BufferChanged(TEditBuffer& Buffer) {
  Buffer.ClampView();
  NotifyModule(Buffer, ncEditorModified);
}

// ------------------------------------------------------------------ files

TEditBufferPtr TMemoryIDE::FindBuffer(const std::string& FileName) const {
  if (FileName.empty()) return nullptr;
  const std::string Full = ExpandFileName(FileName);
  for (const TEditBufferPtr& B : FBuffers)
    if (SameText(B->FileName(), Full)) return B;
  return nullptr;
}

TEditBuffer& TMemoryIDE::Buffer(const std::string& FileName) const {
  TEditBufferPtr B = FindBuffer(FileName);
  if (!B) throw Exception(Format("File not open: %s", FileName));
  return *B;
}

TEditBufferPtr TMemoryIDE::AddBuffer(const std::string& FileName, std::string Text) {
  auto B = std::make_shared<TEditBuffer>(FileName, std::move(Text));
  B->IDE = this;
  B->Window = new TEditWindow(Application, FileName);
  // Named as the IDE names its editor windows, so that layouts find them.
  for (int N = 0;; ++N) {
    const std::string Name = "EditWindow_" + IntToStr(N);
    if (!Application->FindComponent(Name)) {
      B->Window->SetName(Name);
      break;
    }
  }
  FBuffers.push_back(B);
  return B;
}

void TMemoryIDE::RemoveBuffer(TEditBufferPtr B) {
  FBuffers.erase(std::find(FBuffers.begin(), FBuffers.end(), B));
  B->Closed = true;
  B->IDE = nullptr;
  FreeAndNil(B->Window);
}

bool TMemoryIDE::IsFileOpen(const std::string& FileName) { return FindBuffer(FileName) != nullptr; }

bool TMemoryIDE::OpenFile(const std::string& FileName) {
  if (TEditBufferPtr B = FindBuffer(FileName)) return ShowBuffer(B);
  const std::string Found = FindFileNoCase(ExpandFileName(FileName));
  struct stat St;
  if (Found.empty() || ::stat(Found.c_str(), &St) != 0 || !S_ISREG(St.st_mode)) {
    FLastError = Format("File not found: %s", FileName);
    return false;
  }
  if (FileNotify(fnFileOpening, Found)) return false;
  std::string Text;
  try {
    Text = ReadFileBytes(Found);
  } catch (const Exception& E) {
    FLastError = E.Message();
    return false;
  }
  TEditBufferPtr B = AddBuffer(Found, std::move(Text));
  FileNotify(fnFileOpened, Found);
  return ShowBuffer(B);
}

bool TMemoryIDE::ReloadFile(const std::string& FileName) {
  TEditBufferPtr B = FindBuffer(FileName);
  if (!B) return false;
  try {
    B->Reset(ReadFileBytes(B->FileName()));
    B->ClampView();
  } catch (const Exception& E) {
    FLastError = E.Message();
    return false;
  }
  B->Modified = false;
  NotifyModule(*B, ncEditorModified);
  return true;
}

bool TMemoryIDE::CloseFile(const std::string& FileName) {
  TEditBufferPtr B = FindBuffer(FileName);
  if (!B) return false;
  if (FileNotify(fnFileClosing, B->FileName())) return false;
  NotifyModule(*B, ncModuleDeleted);
  if (std::find(FBuffers.begin(), FBuffers.end(), B) != FBuffers.end()) RemoveBuffer(B);
  return true;
}

bool TMemoryIDE::SaveFile(const std::string& FileName) {
  TEditBufferPtr B = FindBuffer(FileName);
  if (!B) {
    FLastError = Format("File not open: %s", FileName);
    return false;
  }
  NotifyModule(*B, ncBeforeSave);
  try {
    SaveText(B->FileName(), B->Text());
  } catch (const Exception& E) {
    FLastError = E.Message();
    return false;
  }
  B->Modified = false;
  NotifyModule(*B, ncAfterSave);
  return true;
}

void TMemoryIDE::SaveAllFiles() {
  const std::vector<TEditBufferPtr> Snapshot = FBuffers;
  for (const TEditBufferPtr& B : Snapshot)
    if (B->Modified && !SaveFile(B->FileName())) throw EInOutError(FLastError, 0);
}

std::string TMemoryIDE::GetCurrentFile() {
  TEditBufferPtr B = CurrentBuffer();
  return B ? B->FileName() : std::string();
}

TEditBufferPtr TMemoryIDE::CurrentBuffer() {
  // The frontmost visible editor window on the screen holds the current file.
  for (int I = 0; I < Screen->FormCount(); ++I)
    if (auto* W = dynamic_cast<TEditWindow*>(Screen->Forms(I)); W && W->Visible())
      for (const TEditBufferPtr& B : FBuffers)
        if (B->Window == W) return B;
  return nullptr;
}

bool TMemoryIDE::ShowBuffer(const TEditBufferPtr& B) {
  if (!B || B->Closed || !B->Window) return false;
  B->Window->Activate();
  return true;
}

bool TMemoryIDE::ActivateFile(const std::string& FileName) { return ShowBuffer(FindBuffer(FileName)); }

TEditWindow* TMemoryIDE::EditWindow(const std::string& FileName) const {
  TEditBufferPtr B = FindBuffer(FileName);
  return B ? B->Window : nullptr;
}

std::string TMemoryIDE::GetModuleName(int Index) {
  if (Index < 0 || Index >= GetModuleCount()) return {};
  return FBuffers[Index]->FileName();
}

TIModuleInterface* TMemoryIDE::GetModuleInterface(const std::string& FileName) {
  TEditBufferPtr B = FindBuffer(FileName);
  return B ? new TMemoryModule(B) : nullptr;
}

bool TMemoryIDE::CreateModule(const std::string& ModuleName, const std::string& Source,
                              TCreateModuleFlags CreateFlags) {
  const std::string Name = ExpandFileName(ModuleName);
  if (FindBuffer(Name)) return false;
  TEditBufferPtr B = AddBuffer(Name, Source);
  B->Modified = (CreateFlags & CreateModuleFlag(cmMarkModified)) != 0;
  if ((CreateFlags & CreateModuleFlag(cmAddToProject)) && !FProjectName.empty()) {
    FProjectUnits.push_back({Name, ""});
    FileNotify(fnAddedToProject, Name);
  }
  if (CreateFlags & CreateModuleFlag(cmShowSource)) ShowBuffer(B);
  return true;
}

void TMemoryIDE::EditText(const std::string& FileName, int Pos, int Count, const std::string& Text) {
  TEditBufferPtr B = FindBuffer(FileName);
  if (!B) throw Exception(Format("File not open: %s", FileName));
  TMemoryEditor Editor(B);
  TIEditWriter* W = Editor.CreateUndoableWriter();
  try {
    W->CopyTo(Pos);
    W->DeleteTo(Pos + std::max(Count, 0));
    W->Insert(Text.c_str());
  } catch (...) {
    W->Release();
    throw;
  }
  W->Release();
}

bool TMemoryIDE::Undo(const std::string& FileName) {
  TEditBufferPtr B = FindBuffer(FileName);
  if (!B || B->ActiveWriters > 0 || !B->Undo()) return false;
  BufferChanged(*B);
  return true;
}

bool TMemoryIDE::Redo(const std::string& FileName) {
  TEditBufferPtr B = FindBuffer(FileName);
  if (!B || B->ActiveWriters > 0 || !B->Redo()) return false;
  BufferChanged(*B);
  return true;
}

// ---------------------------------------------------------------- project

bool TMemoryIDE::OpenProject(const std::string& ProjName) {
  std::string Found = FindFileNoCase(ExpandFileName(ProjName));
  if (Found.empty()) {
    FLastError = Format("File not found: %s", ProjName);
    return false;
  }
  if (!FProjectName.empty() && !CloseProject()) return false;
  if (FileNotify(fnProjectOpening, Found)) return false;
  std::string Text;
  if (TEditBufferPtr B = FindBuffer(Found)) {
    Text = B->Text();
  } else {
    try {
      Text = ReadFileBytes(Found);
    } catch (const Exception& E) {
      FLastError = E.Message();
      return false;
    }
  }
  FProjectName = Found;
  FProjectUnits.clear();
  const std::string Dir = ExtractFilePath(Found);
  for (const TProjectUses& U : ReadProjectUses(Text)) {
    if (U.InFile.empty()) continue;
    std::string Path = UnixPath(U.InFile);
    if (Path.empty() || Path[0] != '/') Path = Dir + Path;
    Path = ExpandFileName(Path);
    const std::string OnDisk = FindFileNoCase(Path);
    FProjectUnits.push_back({OnDisk.empty() ? Path : OnDisk, U.FormName});
  }
  Application->Title = "Velmoric IDE - " + ChangeFileExt(ExtractFileName(Found), "");
  FMainWindow->Caption = Application->Title;
  SetRunning(FRunning);
  FileNotify(fnProjectOpened, Found);
  return true;
}

bool TMemoryIDE::CloseProject() {
  if (FProjectName.empty()) return true;
  if (FileNotify(fnProjectClosing, FProjectName)) return false;
  FProjectName.clear();
  FProjectUnits.clear();
  Application->Title = "Velmoric IDE";
  FMainWindow->Caption = Application->Title;
  SetRunning(FRunning);
  return true;
}

bool TMemoryIDE::SaveProject() {
  if (FProjectName.empty()) return false;
  bool Ok = true;
  auto SaveIfModified = [&](const std::string& Name) {
    TEditBufferPtr B = FindBuffer(Name);
    if (B && B->Modified) Ok = SaveFile(Name) && Ok;
  };
  SaveIfModified(FProjectName);
  for (const TProjectEntry& U : FProjectUnits) SaveIfModified(U.FileName);
  return Ok;
}

int TMemoryIDE::GetUnitCount() {
  return FProjectName.empty() ? 0 : 1 + static_cast<int>(FProjectUnits.size());
}

std::string TMemoryIDE::GetUnitName(int Index) {
  if (Index < 0 || Index >= GetUnitCount()) return {};
  return Index == 0 ? FProjectName : FProjectUnits[Index - 1].FileName;
}

int TMemoryIDE::GetFormCount() {
  return static_cast<int>(std::count_if(FProjectUnits.begin(), FProjectUnits.end(),
                                        [](const TProjectEntry& U) { return !U.FormName.empty(); }));
}

std::string TMemoryIDE::GetFormName(int Index) {
  for (const TProjectEntry& U : FProjectUnits) {
    if (U.FormName.empty()) continue;
    if (Index-- == 0) {
      // A Delphi form file, else a Lazarus one.
      const std::string Dfm = ChangeFileExt(U.FileName, ".dfm");
      if (const std::string OnDisk = FindFileNoCase(Dfm); FileExists(OnDisk)) return OnDisk;
      const std::string Lfm = FindFileNoCase(ChangeFileExt(U.FileName, ".lfm"));
      return FileExists(Lfm) ? Lfm : Dfm;
    }
  }
  return {};
}

// ------------------------------------------------------------------- menu

TIMainMenuIntf* TMemoryIDE::GetMainMenu() { return new TMemoryMainMenu(FMenuRoot); }

bool TMemoryIDE::RunMenuNode(const TMenuNodePtr& Node) {
  if (!Node || Node->Destroyed || !(Node->Flags & MenuFlag(mfEnabled))) return false;
  if (Node->Action) {
    const std::function<void()> Action = Node->Action;
    Application->Guard(Action);
  } else if (Node->OnClick) {
    const TIMenuClickEvent Click = Node->OnClick;
    TIMenuItemIntf* Sender = new TMemoryMenuItem(Node, false, FMenuRoot.get());
    Application->Guard([&] { Click(Sender); });
    Sender->Release();
  }
  return true;
}

bool TMemoryIDE::ClickMenuItem(const std::string& Name) { return RunMenuNode(FMenuRoot->Find(Name)); }

bool TMemoryIDE::PressShortCut(TShortCut ShortCut) {
  return ShortCut != 0 && RunMenuNode(FMenuRoot->FindShortCut(ShortCut));
}

// ------------------------------------------------------------------- time

void TMemoryIDE::AdvanceTime(uint32_t Milliseconds) {
  const uint32_t Target = FClock + Milliseconds;
  uint32_t Due;
  // Fire each timer at the times it comes due, earliest first.
  while (NextTimerDue(Due) && static_cast<int32_t>(Target - Due) >= 0) {
    if (static_cast<int32_t>(Due - FClock) > 0) FClock = Due;
    ProcessTimers();
  }
  FClock = Target;
  PumpEvents();
}

void TMemoryIDE::PumpEvents() {
  Application->ProcessMessages();
  ProcessTimers();
}

// ------------------------------------------------------ the user's program

namespace {
const std::string RunningSuffix = " [Running]";
}

void TMemoryIDE::SetRunning(bool Value) {
  FRunning = Value;
  std::string& Caption = FMainWindow->Caption;
  const bool Shown = Caption.size() >= RunningSuffix.size() &&
                     Caption.compare(Caption.size() - RunningSuffix.size(), RunningSuffix.size(),
                                     RunningSuffix) == 0;
  if (Value && !Shown) Caption += RunningSuffix;
  if (!Value && Shown) Caption.erase(Caption.size() - RunningSuffix.size());
}

void TMemoryIDE::SetMinimized(bool Value) {
  FMainWindow->WindowState = Value ? wsMinimized : wsNormal;
}

// -------------------------------------------------------- library path

std::string TMemoryIDE::LibraryPath() {
  TRegistry Reg;
  if (!Reg.OpenKeyReadOnly("\\" + GetBaseRegistryKey() + "\\Library")) return {};
  return Reg.ReadString("SearchPath");
}

std::string TMemoryIDE::GetDefaultLibraryPath() {
  if (const char* Given = std::getenv("VELMORIC_LIBRARY_PATH")) return Given;
  static const std::string Path = [] {
    std::string Joined;
    for (const std::string& Dir : LibraryFolders(FindLibraryInstallations()))
      Joined += (Joined.empty() ? "" : ";") + Dir;
    return Joined;
  }();
  return Path;
}

void TMemoryIDE::SetLibraryPath(const std::string& Path) {
  TRegistry Reg;
  Reg.OpenKey("\\" + GetBaseRegistryKey() + "\\Library", true);
  Reg.WriteString("SearchPath", Path);
}
