#include "ide/VelmoricWizard.h"

#include <functional>

#include "browsers/VelmoricSourceExplorer.h"
#include "help/VelmoricRTFEditor.h"
#include "help/VelmoricVirtualHelp.h"
#include "browsers/VelmoricSymbols.h"
#include "browsers/VelmoricUnits.h"
#include "ide/VelmoricAbout.h"
#include "ide/VelmoricBookmarkStack.h"
#include "ide/VelmoricEditorStrings.h"
#include "platform/registry/Registry.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"
#include "project/VelmoricFileRepository.h"
#include "project/VelmoricPascalProject.h"
#include "project/VelmoricProjectSettings.h"
#include "tools/VelmoricDFMView.h"
#include "tools/VelmoricTableExpert.h"
#include "scanner/VelmoricPascalScanner.h"
#include "trace/VelmoricStatus.h"
#include "trace/traceletVelmoric.h"
#include "tools/VelmoracDesktopManager.h"
#include "options/VelmoricOptions.h"

TVelmoricWizard* TheVelmoricFairy = nullptr;
bool bFindTimer = true;
bool Installchecked = false;

namespace {

// Unit initialisation: find position traces while not run by the timer.
struct TWizardUnit {
  TWizardUnit() { bFindPosDebug = true; }
} WizardUnit;

void Write(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

void WriteOn(const std::string& Stream, const std::string& Text) {
  if (tracelet) tracelet->StrWrite(Stream, Text);
}

// Runs one start-up or shut-down block; an exception shows Text in a
// message box and the caller goes on with the next block.
void Guarded(const std::string& Text, const std::function<void()>& Block) {
  try {
    Block();
  } catch (const std::exception& E) {
    Write(Text + ": " + E.what());
    Application->MessageBox(Text, "Velmoric", MB_OK);
  }
}

const char* const VelmoricKey = "\\SOFTWARE\\HALVORN\\Velmoric";
const char* const MenusKey = "\\SOFTWARE\\HALVORN\\Velmoric\\Menus";
const char* const PanelName = "VelmoricPanel1";
constexpr int PanelHeight = 30;

using TMenuHandler = void (TVelmoricWizard::*)(TIMenuItemIntf* Sender);

struct TMenuEntry {
  const char* Caption;
  const char* Hint;
  TShortCut ShortCut;
  TMenuHandler Handler;  // nullptr for a separator
};

// The entries of the "V&elmoric" menu, named "Velmoric2" onwards.
const TMenuEntry MenuEntries[] = {
    {"S&ource explorer...", "Explorer", 0, &TVelmoricWizard::MenuClickSourceExplorer},
    {"&Unit dependencies...", "Displays units and dependencies", 0,
     &TVelmoricWizard::MenuClickUnitDependencies},
    {"&Uses manager...", "Adds the uses for the symbol under the cursor", 0,
     &TVelmoricWizard::MenuClickUsesManager},
    {"&Symbol explorer...", "Finds a symbol in your source", 0x8053,
     &TVelmoricWizard::MenuClickSymbols},
    {"&Class wizard...", "View classes and inherit", 0x8057,
     &TVelmoricWizard::MenuClickInheritanceWizard},
    {"New symbol...", "information about a symbol or lets you create it", 0x8054,
     &TVelmoricWizard::MenuClickEditSymbol},
    {"Expand word", "finds the rest of a word from all the words in your source", 0x800D,
     &TVelmoricWizard::MenuClickExpandWord},
    {"Hyper&jump", "Finds a symbol in your source", 0x804A, &TVelmoricWizard::MenuClickHyperjump},
    {"Table Expert..", "Creates FieldByName etc", 0, &TVelmoricWizard::MenuClickTableExpert},
    {"-", "", 0, nullptr},
    {"Bookmark stack", "", 0, &TVelmoricWizard::MenuClickBookmarkStack},
    {"FormDependencies...", "Displays controls that are connected to other controls", 0,
     &TVelmoricWizard::MenuClickDFMDependencies},
    {"Desktop manager", "Manages positions of forms", 0, &TVelmoricWizard::MenuClickDesktopManager},
    {"Cycle desktops", "Loads the next desktop    ", 0, &TVelmoricWizard::MenuClickDesktopCycle},
    {"Clear Memory", "Clears symbols in Memory", 0, &TVelmoricWizard::MenuClickClearMemory},
    {"-", "", 0, nullptr},
    {"Find position", "Will be programmed later...", 0, &TVelmoricWizard::MenuClickFindPosition},
    {"-", "", 0, nullptr},
    {"Edit Manual", "Edit the Manual", 0, &TVelmoricWizard::MenuClickEditManual},
    {"Virtual Help", "View the virtual help for your project and edit it", 0,
     &TVelmoricWizard::MenuClickVirtualHelp},
    {"-", "", 0, nullptr},
    {"&Options", "Options", 0, &TVelmoricWizard::MenuClickOptions},
    {"&About velmoric", "Displays information about velmoric", 0,
     &TVelmoricWizard::MenuClickAbout},
};


// Copies the explorer's tool bar onto an editor window's panel: the buttons
// owned by the panel, the combo boxes by the window.
void CopyExplorerToolBar(TPanel* Panel, TCustomForm* Window) {
  TFFormSourceExplorer* Form = FFormSourceExplorer;
  if (!Form) return;
  auto CopyControl = [&](TControl* From, TControl* To) {
    To->SetBounds(From->Left(), From->Top(), From->Width(), From->Height());
    To->SetName(From->Name());
    To->Hint = From->Hint;
    To->ShowHint = From->ShowHint;
    To->Show();
    To->SetParent(Panel);
  };
  auto CopySpeedButton = [&](TSpeedButton* From) {
    auto* To = new TSpeedButton(Panel);
    CopyControl(From, To);
    To->Glyph = From->Glyph;
    To->NumGlyphs = From->NumGlyphs;
    To->Caption = From->Caption;
    To->OnClick = From->OnClick;
  };
  auto CopyBitButton = [&](TBitBtn* From) {
    auto* To = new TBitBtn(Panel);
    CopyControl(From, To);
    To->Glyph = From->Glyph;
    To->NumGlyphs = From->NumGlyphs;
    To->Caption = From->Caption;
    To->OnClick = From->OnClick;
    To->SetPopupMenu(From->PopupMenu());
  };
  auto CopyComboBox = [&](TComboBox* From) {
    auto* To = new TComboBox(Window);
    CopyControl(From, To);
    To->OnChange = From->OnChange;
    To->OnKeyDown = From->OnKeyDown;
    To->OnDropDown = From->OnDropDown;
    To->SetText(From->Text());
    To->SetPopupMenu(From->PopupMenu());
    To->TabOrder = 100;
  };
  CopySpeedButton(Form->ButtonPrev);
  CopySpeedButton(Form->ButtonNext);
  CopySpeedButton(Form->SpeedButtonCompile);
  CopyBitButton(Form->SpeedButtonFinde);
  CopySpeedButton(Form->SpeedButtonTableExpert);
  CopySpeedButton(Form->SpeedButtonBookmark);
  CopyComboBox(Form->ComboBoxClass);
  CopyComboBox(Form->ComboBoxFinde);
  CopyComboBox(Form->ComboBoxSuchen);
}

// Frees a form held in a global, writing "Release form <Name>" first;
// false when there was none.
template <typename T>
bool FreeForm(T*& Global, const std::string& Name) {
  if (!Global) return false;
  Write("Release form " + Name);
  T* Form = Global;
  Global = nullptr;
  delete Form;
  return true;
}

}  // namespace

// ---------------------------------------------------------------- Register

void Register() {
  DebugStartProcedureStartup("Register");
  RegisterLibraryExpert(new TVelmoricWizard);
  DebugEndProcedureStartup("Register");
}

// ------------------------------------------------------------ InsertMenuItem

TIMenuItemIntf* InsertMenuItem(TInsertAction Action, const std::string& TargetName,
                               const std::string& Caption, const std::string& Name,
                               const std::string& Hint, TShortCut ShortCut, int Context,
                               int GroupIndex, TIMenuFlags Flags, TIMenuClickEvent OnClick) {
  TTraceProc Trace([&] { return Format("InsertMenuItem(Target=%s,Name=%s)", TargetName, Name); });
  TIMainMenuIntf* MainMenu = ToolServices ? ToolServices->GetMainMenu() : nullptr;
  TIMenuItemIntf* Target = nullptr;
  TIMenuItemIntf* Parent = nullptr;
  try {
    if (MainMenu) Target = MainMenu->FindMenuItem(TargetName);
    if (!Target) throw Exception(Format("Cannot find menu item: %s", TargetName));
    int Index = 0;
    if (Action == iaChild) {
      Parent = Target;
      Target = nullptr;
    } else {
      Parent = Target->GetParent();
      Index = Target->GetIndex() + (Action == iaAfter ? 1 : 0);
    }
    if (!Parent) throw Exception(Format("No menu parent for %s", TargetName));
    TIMenuItemIntf* Item = Parent->InsertItem(Index, Caption, Name, Hint, ShortCut, Context,
                                              GroupIndex, Flags, std::move(OnClick));
    ReleaseInterface(Parent);
    ReleaseInterface(Target);
    ReleaseInterface(MainMenu);
    return Item;
  } catch (...) {
    ReleaseInterface(Parent);
    ReleaseInterface(Target);
    ReleaseInterface(MainMenu);
    throw;
  }
}

// --------------------------------------------------------------- settings

std::string GetVelmoricPath() {
  TTraceProc Trace("GetVelmoricPath");
  CheckInstallation();
  return VelmoricPath;
}

void CheckInstallation() {
  TTraceProc Trace("CheckInstallation");
  if (!VelmoricPath.empty() || Installchecked) return;
  Installchecked = true;
  Application->MessageBox(
      "You did not specify the Velmoric path, please select\n"
      "Velmoric/Options then General and choose a path\n"
      "You may continue with this operation, data will be stored in the current path",
      "Velmoric not installed", MB_OK);
}

// ----------------------------------------------------------------- notifier

void TVelmoricAddInNotifier::FileNotification(TFileNotification NotifyCode,
                                              const std::string& FileName, bool& Cancel) {
  static const char* const CodeNames[] = {
      "fnFileOpening",        "fnFileOpened",         "fnFileClosing",
      "fnProjectOpening",     "fnProjectOpened",      "fnProjectClosing",
      "fnAddedToProject",     "fnRemovedFromProject", "fnDefaultDesktopLoad",
      "fnDefaultDesktopSave", "fnProjectDesktopLoad", "fnprojectDesktopSave",
      "fnPackageInstalled",   "fnPackageUninstalled"};
  TTraceProcStartup Trace(Format("TVelmoricAddInNotifier.FileNotification(FileName=%s)", FileName));
  const int Code = static_cast<int>(NotifyCode);
  const std::string CodeName = Code >= 0 && Code < 14 ? CodeNames[Code] : IntToStr(Code);
  TPascalProject* Project = Owner ? Owner->Project : nullptr;
  if (NotifyCode == fnFileClosing && Project) {
    TSaveStringList* Units = Project->FUnitLIst;
    for (int I = 0; I < Units->Count(); ++I) {
      auto* S = static_cast<TPascalSource*>(Units->GetObjects(I));
      if (!S) continue;
      Write("Remove a file : looking in " + S->FileName);
      if (SameText(S->FileName, FileName)) {
        S->RemoveNotifier();
        break;
      }
    }
  }
  WriteOn("Velmoric.Notify ", Format("%s -> %s", CodeName, FileName));
}

// -------------------------------------------------------------- the expert

TVelmoricWizard::TVelmoricWizard() {
  Guarded("Error in Create", [&] {
    if (tracelet) tracelet->start();
    QuickOpenFiles = new TStringList;
    QuickOpenItems = new TList;
    DebugStartProcedureStartup("TVelmoricWizard.Create");
  });
  Guarded("Error in Create bookmarks", [&] {
    TheVelmoricFairy = this;
    WriteOn("velmoric.startup", "Starting notifications...");
    AddInNotifier = new TVelmoricAddInNotifier;
    AddInNotifier->Owner = this;
    if (ToolServices) ToolServices->AddNotifier(AddInNotifier);
    WriteOn("velmoric.startup", "Creating forms");
    BookmarkStack = new TBookmarkStack;
    Project = new TPascalProject;
  });
  Guarded("Error creating menus", [&] {
    WriteOn("velmoric.startup", "Creating menus");
    MenuItems = new TList;
    CreateMenus();
  });
  Guarded("Error reading registry", [&] {
    WriteOn("velmoric.startup", "Opening registry");
    Write("********** Welcome to Velmoric *********");
    ReadRegistry();
  });
  Guarded("Error Createing Source explorer", [&] {
    Panels = nullptr;
    if (FPanelsOn) {
      WriteOn("velmoric.startup", "Create Panel");
      Panels = new TList;
      SavedActiveFormChange = Screen->OnActiveFormChange;
      Screen->OnActiveFormChange = [this](TObject* Sender) { MyOnActiveFormChange(Sender); };
      FHooked = true;
      TFFormSourceExplorer* Explorer = FormSourceExplorer();
      Explorer->Show();
      Explorer->Hide();
      Explorer->Expert = this;
      Explorer->Bookmarks = BookmarkStack;
      WriteOn("velmoric.startup", "Create Desktop Manager");
      GetFormDesktopManager();
    }
  });
  Guarded("Error in File Repository", [&] { WriteOn("velmoric.startup", "File Repository"); });
  Guarded("Error createing compiler dialog", [&] {
    WriteOn("velmoric.startup", "Create Compile Dialog");
    if (!FormVelmoricCompiling) FormVelmoricCompiling = new TFormVelmoricCompiling(nullptr);
    WriteOn("velmoric.startup", "Read File repository");
    fileRepository->ReadFromFile();
    UpdateTimer = new TTimer(Application->MainForm ? static_cast<TComponent*>(Application->MainForm)
                                                   : Application);
    UpdateTimer->SetName("VelmoricUpdateTimer");
    UpdateTimer->OnTimer = [this](TObject* Sender) { OnUpdateTimer(Sender); };
    UpdateTimer->SetEnabled(true);
  });
  Guarded("Error creating quick file open menu", [&] {
    UpdateQuickOpen();
    DebugEndProcedureStartup("TVelmoricWizard.Create");
  });
}

TVelmoricWizard::~TVelmoricWizard() {
  DebugStartProcedureStartup("TVelmoricWizard.Destroy");
  delete QuickOpenFiles;
  QuickOpenFiles = nullptr;
  // Whatever the release did not get rid of goes now, each item once.
  for (TList** Items : {&QuickOpenItems, &MenuItems}) {
    if (!*Items) continue;
    while ((*Items)->Count() > 0) {
      auto* Item = static_cast<TIMenuItemIntf*>((*Items)->Last());
      (*Items)->Delete((*Items)->Count() - 1);
      if (Item) Item->Release();
    }
    FreeAndNil(*Items);
  }
  if (TheVelmoricFairy == this) TheVelmoricFairy = nullptr;
  DebugEndProcedureStartup("TVelmoricWizard.Destroy");
}

void TVelmoricWizard::CreateMenus() {
  TTraceProc Trace("TVelmoricWizard.CreateMenus");
  TIMenuItemIntf* Top = InsertMenuItem(iaAfter, "SearchMenu", "V&elmoric", "Velmoric1", "", 0, 0,
                                       0, mfsEnabledVisible, nullptr);
  std::string Previous = "Velmoric1";
  int K = 2;
  try {
    for (const TMenuEntry& E : MenuEntries) {
      const std::string Name = "Velmoric" + IntToStr(K);
      TIMenuClickEvent Click;
      if (E.Handler) {
        const TMenuHandler Handler = E.Handler;
        Click = [this, Handler](TIMenuItemIntf* Sender) { (this->*Handler)(Sender); };
      }
      TIMenuItemIntf* Item = InsertMenuItem(K == 2 ? iaChild : iaAfter, Previous, E.Caption,
                                            Name, E.Hint, E.ShortCut, 0, 0, mfsEnabledVisible,
                                            std::move(Click));
      MenuItems->Add(Item);
      Previous = Name;
      ++K;
    }
  } catch (...) {
    MenuItems->Add(Top);
    throw;
  }
  MenuItems->Add(Top);
  QuickOpenMenu = InsertMenuItem(iaAfter, "FileClosedFilesItem", "Relevant files",
                                 "VelmoricQuickOpen", "", 0, 0, 0, mfsEnabledVisible, nullptr);
  MenuItems->Add(QuickOpenMenu);
}

void TVelmoricWizard::ReadRegistry() {
  TTraceProc Trace("TVelmoricWizard.ReadRegistry");
  TRegistry Reg;
  Reg.RootKey = HKEY_CURRENT_USER;
  if (!Reg.KeyExists(MenusKey)) return;
  if (Reg.OpenKeyReadOnly(MenusKey) && MenuItems) {
    for (int I = 0; I < MenuItems->Count(); ++I) {
      auto* Item = static_cast<TIMenuItemIntf*>(MenuItems->Get(I));
      const std::string Caption = StripHotkey(Item->GetCaption());
      if (Reg.ValueExists(Caption)) Item->SetShortCut(static_cast<TShortCut>(Reg.ReadInteger(Caption)));
    }
  }
  Reg.CloseKey();
  if (Reg.OpenKeyReadOnly(VelmoricKey)) {
    if (Reg.ValueExists("path")) VelmoricPath = Reg.ReadString("path");
    if (Reg.ValueExists("DBPasswords")) DBPasswords = Reg.ReadString("DBPasswords");
    FPanelsOn = !Reg.ValueExists("nopanel");
    gQuickRecompile = false;
    if (Reg.ValueExists("QuickRecompile")) gQuickRecompile = Reg.ReadInteger("QuickRecompile") != 0;
    if (Reg.ValueExists("UseDelphiPath")) gUseDelphiPath = Reg.ReadInteger("UseDelphiPath") != 0;
    if (Reg.ValueExists("SearchPath")) AdditionalSearchPath = Reg.ReadString("SearchPath");
  }
  Write("******** path=" + VelmoricPath);
  Write("******** searchpath=" + AdditionalSearchPath);
}

int TVelmoricWizard::Release() {
  // Only the last reference unloads the expert.
  if (RefCount() > 1) return TIExpert::Release();
  DebugStartProcedureStartup("TVelmoricWizard.Release");
  Guarded("Error in Release Delete notifiers", [&] {
    WriteOn("velmoric.release", "Release notification");
    FreeAndNil(UpdateTimer);
    if (AddInNotifier) {
      if (ToolServices) ToolServices->RemoveNotifier(AddInNotifier);
      ReleaseInterface(AddInNotifier);
    }
    if (FHooked) {
      Screen->OnActiveFormChange = SavedActiveFormChange;
      FHooked = false;
    }
  });
  Guarded("Error in Release panels", [&] { ReleasePanels(); });
  Guarded("Error in Free bookmarks", [&] {
    Write("Free bookmarks");
    FreeAndNil(BookmarkStack);
  });
  ReleaseForms();
  Guarded("Error in Release Compiled symbols", [&] {
    WriteOn("velmoric.release", "Clear Memory");
    MenuClickClearMemory(nullptr);
    delete Project;
    Project = nullptr;
  });
  Guarded("Error in Clear panels", [&] {
    Write("Release panels");
    if (Panels) Panels->Clear();
  });
  WriteOn("velmoric.release", "Get Rid of menus");
  Guarded("Error in Release of Menus", [&] { ReleaseMenuItems(QuickOpenItems); });
  Guarded("Error in Release of Menus", [&] { ReleaseMenuItems(MenuItems); });
  QuickOpenMenu = nullptr;
  FreeAndNil(QuickOpenItems);
  FreeAndNil(MenuItems);
  FreeAndNil(Panels);
  int Result = 0;
  Guarded("Error in Release inherited", [&] { Result = TIExpert::Release(); });
  // The expert may be gone now: only globals from here on.
  Guarded("Error in Write file repository", [&] {
    WriteOn("velmoric.release", "Write file repository");
    fileRepository->WriteToFile();
  });
  DebugEndProcedureStartup("TVelmoricWizard.Release");
  return Result;
}

void TVelmoricWizard::ReleasePanels() {
  WriteOn("velmoric.release", "Release panels");
  for (int I = 0; I < Screen->FormCount(); ++I) {
    TCustomForm* Form = Screen->Forms(I);
    WriteOn("velmoric.panel", "form:" + IntToStr(I) + " " + Form->ClassName());
    if (Form->ClassName() != "TEditWindow") continue;
    TControl* Panel = nullptr;
    for (int C = 0; C < Form->ControlCount(); ++C) {
      TControl* Control = Form->Controls(C);
      WriteOn("velmoric.panel", "  control:" + Control->Name());
      if (auto* Win = dynamic_cast<TWinControl*>(Control); Win && Win->ControlCount() > 0) {
        WriteOn("velmoric.panel", "***Has controls");
        for (int S = 0; S < Win->ControlCount(); ++S)
          WriteOn("velmoric.panel", " sub control " + Win->Controls(S)->Name());
      }
      if (Control->Name() == PanelName) {
        Panel = Control;
        break;
      }
    }
    // Only the windows this expert equipped get their handlers back.
    if (Panel) {
      if (auto It = SavedEditorHandlers.find(Form); It != SavedEditorHandlers.end()) {
        Form->OnResize = It->second.Resize;
        Form->OnActivate = It->second.Activate;
      }
      delete Panel;
    }
  }
  SavedEditorHandlers.clear();
}

void TVelmoricWizard::ReleaseForms() {
  Guarded("Error in Release forms", [&] {
    WriteOn("velmoric.release", "Release forms");
    Write("Release form Velmoriccompiling");
  });
  Guarded("Error in Release FormVelmoricCompiling", [&] {
    if (FreeForm(FormVelmoricCompiling, "FormVelmoricCompiling"))
      Write("Release form FormVelmoricCompile");
  });
  Guarded("Error in Release FFormVelmoricSymbols      ",
          [&] { FreeForm(FFormVelmoricSymbols, "FFormVelmoricSymbols"); });
  Guarded("Error in Release FFormSourceExplorer       ",
          [&] { FreeForm(FFormSourceExplorer, "FFormSourceExplorer"); });
  Guarded("Error in Release FormVelmoricVirtualHelp",
          [&] { FreeForm(FormVelmoricVirtualHelp, "FormVelmoricVirtualHelp"); });
  Guarded("Error in Release FFormVelmoricTableExpert  ",
          [&] { FreeForm(FFormVelmoricTableExpert, "FFormVelmoricTableExpert"); });
  Guarded("Error in Release FFormVelmoricDFMView      ",
          [&] { FreeForm(FFormVelmoricDFMView, "FFormVelmoricDFMView"); });
  Guarded("Error in Release FFormVelmoricUnits        ",
          [&] { FreeForm(FFormVelmoricUnits, "FFormVelmoricUnits"); });
  Guarded("Error in Release FormVelmoricNewEntry      ",
          [&] { FreeForm(FormVelmoricNewEntry, "FormVelmoricNewEntry"); });
  Guarded("Error in Release FFormVelmoricAbout        ",
          [&] { FreeForm(FFormVelmoricAbout, "FFormVelmoricAbout"); });
  Guarded("Error in Release FFormVelmoricRTFEdit",
          [&] { FreeForm(FFormVelmoricRTFEdit, "FFormVelmoricRTFEdit"); });
  Guarded("Error in Release FFormVelmoricOptions      ",
          [&] { FreeForm(FFormVelmoricOptions, "FFormVelmoricOptions"); });
  Guarded("Error in Release FFormVelmoricBookmarkStack",
          [&] { FreeForm(FFormVelmoricBookmarkStack, "FFormVelmoricBookmarkStack"); });
  Guarded("Error in Release FormDesktopManager",
          [&] { FreeForm(FormDesktopManager, "FormDesktopManager"); });
}

void TVelmoricWizard::ReleaseMenuItems(TList* Items) {
  if (!Items) return;
  while (Items->Count() > 0) {
    auto* Item = static_cast<TIMenuItemIntf*>(Items->First());
    Items->Delete(0);
    if (!Item) continue;
    Write("get rid of " + Item->GetName());
    Item->Release();
  }
}

// ----------------------------------------------------------------- identity

std::string TVelmoricWizard::GetName() {
  TTraceProcStartup Trace("TVelmoricWizard.GetName");
  return "Velmoric";
}

std::string TVelmoricWizard::GetAuthor() {
  TTraceProcStartup Trace("TVelmoricWizard.GetAuthor");
  return "";
}

std::string TVelmoricWizard::GetComment() {
  TTraceProcStartup Trace("TVelmoricWizard.GetComment");
  return "Ein Pascalcompiler als Editorerweiterung";
}

std::string TVelmoricWizard::GetPage() {
  TTraceProcStartup Trace("TVelmoricWizard.GetPage");
  return "";
}

uintptr_t TVelmoricWizard::GetGlyph() {
  TTraceProcStartup Trace("TVelmoricWizard.GetGlyph");
  return 0;
}

TExpertStyle TVelmoricWizard::GetStyle() {
  TTraceProcStartup Trace("TVelmoricWizard.GetStyle");
  return esStandard;
}

TExpertState TVelmoricWizard::GetState() {
  TTraceProcStartup Trace("TVelmoricWizard.GetState");
  return ExpertState(esEnabled);
}

std::string TVelmoricWizard::GetIDString() {
  TTraceProcStartup Trace("TVelmoricWizard.GetIDString");
  return "Jorund_Halvorn.Velmorc_Pascal_Expertin";
}

std::string TVelmoricWizard::GetMenuText() {
  TTraceProcStartup Trace("TVelmoricWizard.GetMenuText");
  return "Velmoric-Wizard";
}

// ------------------------------------------------------------ editor access

bool TVelmoricWizard::GetEditor() {
  TTraceProc Trace("TVelmoricWizard.GetEditor");
  if (!ToolServices) return false;
  const std::string FileName = ToolServices->GetCurrentFile();
  ModuleIntf = ToolServices->GetModuleInterface(FileName);
  if (!ModuleIntf) return false;
  EditorIntf = ModuleIntf->GetEditorInterface();
  if (!EditorIntf) {
    ReleaseInterface(ModuleIntf);
    return false;
  }
  EditorStrings = new TEditorStrings(EditorIntf);
  Token = new TToken(EditorStrings);
  Source = new TPascalSource(Token);
  return true;
}

bool TVelmoricWizard::GetCompiledEditor() {
  TTraceProc Trace("TVelmoricWizard.GetCompiledEditor");
  if (!ToolServices) return false;
  const std::string FileName = ToolServices->GetCurrentFile();
  ModuleIntf = ToolServices->GetModuleInterface(FileName);
  if (!ModuleIntf) return false;
  EditorIntf = ModuleIntf->GetEditorInterface();
  if (!EditorIntf) {
    ReleaseInterface(ModuleIntf);
    return false;
  }
  try {
    CompileProject = new TPascalProject;
    CompileProject->FMemoryProject = Project;
    Source = CompileProject->CompileEditor(EditorIntf);
    if (Source) {
      Token = Source->Token;
      Source->AddNotifier(ModuleIntf);
    }
    if (FFormSourceExplorer) FFormSourceExplorer->UpdateClassBox();
  } catch (...) {
    // The caller pairs only a successful call with ReleaseEditor.
    ReleaseEditor();
    FreeAndNil(CompileProject);
    throw;
  }
  return true;
}

void TVelmoricWizard::ReleaseEditor() {
  TTraceProc Trace("TVelmoricWizard.ReleaseEditor");
  // A source that a project holds stays with the project.
  if (Source && Source->RefCount <= 0) delete Source;
  Source = nullptr;
  Token = nullptr;
  EditorStrings = nullptr;
  ReleaseInterface(EditorIntf);
  ReleaseInterface(ModuleIntf);
}

// ------------------------------------------------------------------- timer

void TVelmoricWizard::OnUpdateTimer(TObject* Sender) {
  bFindPosDebug = false;
  try {
    if (bFindTimer) MenuClickFindPosition(nullptr);
  } catch (...) {
    bFindPosDebug = true;
    throw;
  }
  bFindPosDebug = true;
}

// ------------------------------------------------------------------ panels

void TVelmoricWizard::MyOnActiveFormChange(TObject* Sender) {
  TTraceProc Trace("TVelmoricWizard.MyOnActiveFormChange");
  for (int I = 0; I < Screen->FormCount(); ++I) {
    TCustomForm* Form = Screen->Forms(I);
    if (Form->ClassName() == "TEditWindow") EquipEditWindow(Form);
  }
  WriteOn("velmoric.wizard", "MyOnActiveFormChange end");
}

void TVelmoricWizard::EquipEditWindow(TCustomForm* Form) {
  TControl* TabControl = nullptr;
  for (int C = 0; C < Form->ControlCount(); ++C) {
    TControl* Control = Form->Controls(C);
    if (Control->Name() == PanelName) return;  // equipped already
    if (Control->ClassName() == "TTabControl") TabControl = Control;
  }
  SavedEditorHandlers[Form] = {Form->OnResize, Form->OnActivate};
  Form->OnResize = [this](TObject* Sender) { MyOnResizeForm(Sender); };
  Form->OnActivate = [this](TObject* Sender) { MyOnActivate(Sender); };

  Form->DisableAlign();
  auto* Panel = new TPanel(Form);
  if (Panels) Panels->Add(Panel);
  Panel->SetAlign(alTop);
  Panel->SetName(PanelName);
  Panel->Caption = "";
  Panel->SetWidth(Form->Width());
  Panel->SetHeight(PanelHeight);
  Panel->SetParent(Form);
  if (TabControl) {
    TabControl->SetTop(Panel->Top() + Panel->Height());
  } else if (Form->ControlCount() > 0) {
    TControl* First = Form->Controls(0);
    First->SetTop(Panel->Top() + Panel->Height());
    First->SetAlign(alNone);
  }
  Form->EnableAlign();
  Form->Realign();
  for (int C = 0; C < Form->ControlCount(); ++C) {
    TControl* Control = Form->Controls(C);
    const TAlign Align = Control->Align();
    Control->SetAlign(alNone);
    Control->SetAlign(Align);
  }
  CopyExplorerToolBar(Panel, Form);
}

void TVelmoricWizard::MyOnActivate(TObject* Sender) {
  TTraceProc Trace("TVelmoricWizard.MyOnActivate");
  if (auto It = SavedEditorHandlers.find(Sender); It != SavedEditorHandlers.end()) {
    const TNotifyEvent Saved = It->second.Activate;  // a copy: the handler may change the map
    if (Saved) Saved(Sender);
  }
  auto* Form = dynamic_cast<TWinControl*>(Sender);
  if (Form && Form->ControlCount() > 0) Form->Controls(0)->SetTop(PanelHeight);
}

void TVelmoricWizard::MyOnResizeForm(TObject* Sender) {
  TTraceProc Trace("TVelmoricWizard.MyOnResizeForm");
  if (auto It = SavedEditorHandlers.find(Sender); It != SavedEditorHandlers.end()) {
    const TNotifyEvent Saved = It->second.Resize;  // a copy: the handler may change the map
    if (Saved) Saved(Sender);
  }
  auto* Form = dynamic_cast<TComponent*>(Sender);
  if (!Form) return;
  auto* TabControl = dynamic_cast<TControl*>(Form->FindComponent("TabControl"));
  auto* Editor = dynamic_cast<TControl*>(Form->FindComponent("Editor"));
  auto* Panel = dynamic_cast<TControl*>(Form->FindComponent(PanelName));
  auto* MessageView = dynamic_cast<TControl*>(Form->FindComponent("MessageView"));
  if (!Editor) Write("*** edit = NIL");
  if (!Panel) Write("*** panel = NIL");
  if (!TabControl || !Editor || !Panel || !MessageView) return;
  Panel->SetAlign(alTop);
  TabControl->SetBounds(TabControl->Left(), TabControl->Top() + Panel->Height(), TabControl->Width(),
                        TabControl->Height() - Panel->Height());
  Editor->SetAlign(alClient);
  MessageView->SetAlign(alBottom);
  TabControl->SetAlign(alClient);
}

// ------------------------------------------------------------- form openers

void TVelmoricWizard::MenuClickBookmarkStack(TIMenuItemIntf* Sender) {
  TTraceProcStartup Trace("TVelmoricWizard.MenuClickBookmarkStack");
  FormVelmoricBookmarkStack()->Show();
}

void TVelmoricWizard::MenuClickUnitDependencies(TIMenuItemIntf* Sender) {
  TTraceProcStartup Trace("TVelmoricWizard.MenuClickUnitDependencies");
  TFFormVelmoricUnits* Form = FormVelmoricUnits();
  Form->Project = Project;
  if (Form->Visible()) Form->Rebuild();
  Form->Show();
}


void TVelmoricWizard::MenuClickTableExpert(TIMenuItemIntf* Sender) {
  TTraceProcStartup Trace("TVelmoricWizard.MenuClickTableExpert");
  FormVelmoricTableExpert()->Show();
}

void TVelmoricWizard::MenuClickDFMDependencies(TIMenuItemIntf* Sender) {
  TTraceProcStartup Trace("TVelmoricWizard.MenuClickDFMDependencies");
  FormVelmoricDFMView()->Show();
}

void TVelmoricWizard::MenuClickDesktopManager(TIMenuItemIntf* Sender) {
  TTraceProcStartup Trace("TVelmoricWizard.MenuClickDesktopManager");
  GetFormDesktopManager()->Show();
}

void TVelmoricWizard::MenuClickDesktopCycle(TIMenuItemIntf* Sender) {
  TTraceProcStartup Trace("TVelmoricWizard.MenuClickDesktopCycle");
  GetFormDesktopManager()->ButtonCycleClick(nullptr);
}

void TVelmoricWizard::MenuClickEditManual(TIMenuItemIntf* Sender) {
  TTraceProcStartup Trace("TVelmoricWizard.MenuClickEditManual");
  TFFormVelmoricRTFEdit* Form = GetFormVelmoricRTFEdit();
  Form->Expert = this;
  Form->Show();
}

void TVelmoricWizard::MenuClickVirtualHelp(TIMenuItemIntf* Sender) {
  if (!FormVelmoricVirtualHelp) FormVelmoricVirtualHelp = new TFormVelmoricVirtualHelp(Application);
  FormVelmoricVirtualHelp->FMemoryProject = Project;
  FormVelmoricVirtualHelp->GetSymbolFromCursor();
  FormVelmoricVirtualHelp->Show();
}

void TVelmoricWizard::MenuClickOptions(TIMenuItemIntf* Sender) {
  TTraceProcStartup Trace("TVelmoricWizard.MenuClickOptions");
  TFFormVelmoricOptions* Form = FormVelmoricOptions();
  Form->Expert = this;
  Form->Show();
}
