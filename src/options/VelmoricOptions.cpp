#include "options/VelmoricOptions.h"

#include "ide/VelmoricWizard.h"
#include "platform/db/DBTables.h"
#include "platform/opentools/ToolIntf.h"
#include "platform/registry/Registry.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Menus.h"
#include "project/VelmoricFileRepository.h"
#include "project/VelmoricProjectSettings.h"
#include "project/VelmoricSymbolStore.h"
#include "scanner/VelmoricPascalScanner.h"
#include "trace/traceletVelmoric.h"

TFFormVelmoricOptions* FFormVelmoricOptions = nullptr;

namespace {

const char* const VelmoricKey = "\\Software\\HALVORN\\Velmoric";
const char* const MenusKey = "\\Software\\HALVORN\\Velmoric\\Menus";

void Write(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

bool IsSeparator(char C) { return C == '\\' || C == '/'; }

// The IDE's library path key.
std::string DelphiKey() {
  return "\\" + (ToolServices ? ToolServices->GetBaseRegistryKey()
                              : std::string("Software\\Borland\\Delphi\\3.0")) +
         "\\Library";
}

bool ListHolds(const TStrings& List, const std::string& Entry) {
  for (int I = 0; I < List.Count(); ++I)
    if (SameText(List[I], Entry)) return true;
  return false;
}

// A log file named from the root as on the original system ("\velmoric.log")
// goes to the data directory.
std::string LogFileName(const std::string& Text) {
  if (!Text.empty() && Text[0] == '\\') return VelmoricPath + Text.substr(1);
  return Text;
}

// The data directory as typed. File names are appended to it directly, so
// a folder typed without its last separator gets one: otherwise the files
// would land beside the folder under names it prefixes.
std::string DataDirectory(const std::string& Text) {
  return Text.empty() ? Text : IncludeTrailingPathDelimiter(Text);
}

struct TVkName {
  uint16_t Code;
  const char* Name;
};

const TVkName VkNames[] = {
    {0x01, "VK_LBUTTON"},  {0x02, "VK_RBUTTON"},   {0x03, "VK_CANCEL"},    {0x04, "VK_MBUTTON"},
    {0x08, "VK_BACK"},     {0x09, "VK_TAB"},       {0x0C, "VK_CLEAR"},     {0x0D, "VK_RETURN"},
    {0x10, "VK_SHIFT"},    {0x11, "VK_CONTROL"},   {0x12, "VK_MENU"},      {0x13, "VK_PAUSE"},
    {0x14, "VK_CAPITAL"},  {0x1B, "VK_ESCAPE"},    {0x20, "VK_SPACE"},     {0x21, "VK_PRIOR"},
    {0x22, "VK_NEXT"},     {0x23, "VK_END"},       {0x24, "VK_HOME"},      {0x25, "VK_LEFT"},
    {0x26, "VK_UP"},       {0x27, "VK_RIGHT"},     {0x28, "VK_DOWN"},      {0x29, "VK_SELECT"},
    {0x2A, "VK_PRINT"},    {0x2B, "VK_EXECUTE"},   {0x2C, "VK_SNAPSHOT"},  {0x2D, "VK_INSERT"},
    {0x2E, "VK_DELETE"},   {0x2F, "VK_HELP"},      {0x5B, "VK_LWIN"},      {0x5C, "VK_RWIN"},
    {0x5D, "VK_APPS"},     {0x6A, "VK_MULTIPLY"},  {0x6B, "VK_ADD"},       {0x6C, "VK_SEPARATOR"},
    {0x6D, "VK_SUBTRACT"}, {0x6E, "VK_DECIMAL"},   {0x6F, "VK_DIVIDE"},    {0x90, "VK_NUMLOCK"},
    {0x91, "VK_SCROLL"},   {0xA0, "VK_LSHIFT"},    {0xA1, "VK_RSHIFT"},    {0xA2, "VK_LCONTROL"},
    {0xA3, "VK_RCONTROL"}, {0xA4, "VK_LMENU"},     {0xA5, "VK_RMENU"},     {0xE5, "VK_PROCESSKEY"},
    {0xF6, "VK_ATTN"},     {0xF7, "VK_CRSEL"},     {0xF8, "VK_EXSEL"},     {0xF9, "VK_EREOF"},
    {0xFA, "VK_PLAY"},     {0xFB, "VK_ZOOM"},      {0xFC, "VK_NONAME"},    {0xFD, "VK_PA1"},
    {0xFE, "VK_OEM_CLEAR"},
};

TIMenuItemIntf* MenuItemAt(TVelmoricWizard* Expert, int Index) {
  if (!Expert || !Expert->MenuItems || Index < 0 || Index >= Expert->MenuItems->Count())
    return nullptr;
  return static_cast<TIMenuItemIntf*>(Expert->MenuItems->Get(Index));
}

}  // namespace

// ---------------------------------------------------------------- helpers

std::string ListToString(const TStrings& List) {
  std::string S;
  for (int I = 0; I < List.Count(); ++I) {
    if (I > 0) S += ';';
    S += List[I];
  }
  return S;
}

void StringToList(const std::string& S, TStrings& List) {
  size_t Start = 0;
  for (;;) {
    const size_t End = S.find(';', Start);
    if (End == std::string::npos) {
      List.Add(S.substr(Start));
      return;
    }
    List.Add(S.substr(Start, End - Start));
    Start = End + 1;
  }
}

std::string GetShift(TShiftState Shift) {
  std::string S;
  if (Shift & ssShift) S += "Shift ";
  if (Shift & ssAlt) S += "Alt ";
  if (Shift & ssCtrl) S += "Ctrl ";
  return S;
}

std::string KeyName(uint16_t Key) {
  if (Key >= 0x60 && Key <= 0x69) return "VK_NUMPAD" + IntToStr(Key - 0x60);
  if (Key >= 0x70 && Key <= 0x87) return "VK_F" + IntToStr(Key - 0x6F);
  for (const TVkName& V : VkNames)
    if (V.Code == Key) return V.Name;
  return std::string(1, static_cast<char>(Key & 0xFF));
}

void MoveItem(TListBox* List, int Delta) {
  const int I = List->ItemIndex();
  if (I < 0 || I + Delta < 0 || I + Delta >= List->Items()->Count()) return;
  List->Items()->Move(I, I + Delta);
  List->SetItemIndex(I + Delta);
}

TFFormVelmoricOptions* FormVelmoricOptions() {
  if (!FFormVelmoricOptions) {
    FFormVelmoricOptions = new TFFormVelmoricOptions(Application);
    if (tracelet) tracelet->StrWrite("velmoric.createForm", "FFormVelmoricOptions");
  }
  return FFormVelmoricOptions;
}

// ------------------------------------------------------------------ dialog

TFFormVelmoricOptions::TFFormVelmoricOptions(TComponent* AOwner) : TForm(AOwner) {
  SetName("FFormVelmoricOptions");
  Caption = "Velmoric Options";
  SetBounds(100, 100, 544, 365);
  Font.Name = "MS Sans Serif";

  auto Make = [this](auto*& Control, TWinControl* Parent, const char* Name, const std::string& Text,
                     int L, int T, int W, int H) {
    using TControlT = std::remove_reference_t<decltype(*Control)>;
    Control = new TControlT(this);
    Control->SetName(Name);
    Control->Caption = Text;
    Control->SetBounds(L, T, W, H);
    Control->SetParent(Parent);
  };
  auto Label = [&](TWinControl* Parent, const char* Name, const std::string& Text, int L, int T) {
    TLabel* Lb;
    Make(Lb, Parent, Name, Text, L, T, 200, 13);
  };

  Make(Panel1, this, "Panel1", "", 0, 324, 544, 41);
  Panel1->SetAlign(alBottom);
  Make(Button2, Panel1, "Button2", "Ok", 300, 8, 75, 25);
  Make(Button1, Panel1, "Button1", "Cancel", 380, 8, 75, 25);
  Make(ButtonDeleteList, Panel1, "ButtonDeleteList", "Delete List", 8, 8, 75, 25);
  Make(PageControl1, this, "PageControl1", "", 0, 0, 544, 324);
  PageControl1->SetAlign(alClient);

  auto Page = [&](TTabSheet*& Sheet, const char* Name, const std::string& Text) {
    Sheet = new TTabSheet(this);
    Sheet->SetName(Name);
    Sheet->Caption = Text;
    Sheet->SetPageControl(PageControl1);
  };
  const std::string DropHint = "Drop files from the explorer here to add a path";
  const std::string DropNote = "Note: You can drop a file here to add a path";

  Page(TabSheetCompiler, "TabSheetCompiler", "Orvik Compiler");
  Label(TabSheetCompiler, "LabelSearchPath", "Search Path", 8, 4);
  Make(ListBoxSearchPath, TabSheetCompiler, "ListBoxSearchPath", "", 8, 20, 400, 130);
  ListBoxSearchPath->Hint = DropHint;
  ListBoxSearchPath->ShowHint = true;
  Make(EditPath, TabSheetCompiler, "EditPath", "", 8, 156, 370, 21);
  Make(ButtonBrowsePath, TabSheetCompiler, "ButtonBrowsePath", "...", 380, 156, 25, 21);
  Make(ButtonAddPath, TabSheetCompiler, "ButtonAddPath", "Add Path", 416, 20, 100, 25);
  Make(ButtonDeletePath, TabSheetCompiler, "ButtonDeletePath", "Delete Path", 416, 50, 100, 25);
  Make(SpeedButtonUp, TabSheetCompiler, "SpeedButtonUp", "", 416, 80, 25, 25);
  SpeedButtonUp->Glyph = "ARROWUP";
  Make(SpeedButtonDown, TabSheetCompiler, "SpeedButtonDown", "", 446, 80, 25, 25);
  SpeedButtonDown->Glyph = "ARROWDOWN";
  Make(CheckBoxDisplayCompiler, TabSheetCompiler, "CheckBoxDisplayCompiler",
       "Display compiler process", 8, 184, 200, 17);
  Make(CheckBoxQuickRecompile, TabSheetCompiler, "CheckBoxQuickRecompile", "QuickRecompile", 8, 204,
       200, 17);
  Make(CheckBoxUseDelphiPath, TabSheetCompiler, "CheckBoxUseDelphiPath", "Use delphi path", 8, 224,
       200, 17);
  Make(ButtonAddDelphisPath, TabSheetCompiler, "ButtonAddDelphisPath", "Add delphis path", 416,
       110, 100, 25);
  Label(TabSheetCompiler, "LabelDropNote", DropNote, 8, 250);

  Page(TabSheetDelphiPath, "TabSheetDelphiPath", "Delphi path");
  Make(ListBoxDelphiPath, TabSheetDelphiPath, "ListBoxDelphiPath", "", 8, 8, 400, 150);
  ListBoxDelphiPath->Hint = DropHint;
  ListBoxDelphiPath->ShowHint = true;
  Make(EditDelphiPath, TabSheetDelphiPath, "EditDelphiPath", "", 8, 164, 370, 21);
  Make(ButtonBrowseDelphiPath, TabSheetDelphiPath, "ButtonBrowseDelphiPath", "...", 380, 164, 25,
       21);
  Make(ButtonAddDelphiPath, TabSheetDelphiPath, "ButtonAddDelphiPath", "Add Path", 416, 8, 100, 25);
  Make(ButtonDeleteDelphiPath, TabSheetDelphiPath, "ButtonDeleteDelphiPath", "Delete Path", 416,
       38, 100, 25);
  Make(SpeedButtonDelphiUp, TabSheetDelphiPath, "SpeedButtonDelphiUp", "", 416, 68, 25, 25);
  SpeedButtonDelphiUp->Glyph = "ARROWUP";
  Make(SpeedButtonDelphiDown, TabSheetDelphiPath, "SpeedButtonDelphiDown", "", 446, 68, 25, 25);
  SpeedButtonDelphiDown->Glyph = "ARROWDOWN";
  Label(TabSheetDelphiPath, "LabelDelphiDropNote", DropNote, 8, 200);

  Page(TabSheet3, "TabSheet3", "Debug");
  Make(CheckBoxFindFiles, TabSheet3, "CheckBoxFindFiles", "FindFiles", 8, 8, 150, 17);
  Make(CheckBoxLoadSymbols, TabSheet3, "CheckBoxLoadSymbols", "LoadSymbols", 8, 28, 150, 17);
  Make(CheckBoxCompiler, TabSheet3, "CheckBoxCompiler", "Compiler", 8, 48, 150, 17);
  Make(CheckBoxLines, TabSheet3, "CheckBoxLines", "Lines", 8, 68, 150, 17);
  Make(CheckBoxSymbols, TabSheet3, "CheckBoxSymbols", "CheckBoxSymbols", 8, 88, 150, 17);
  Make(CheckBoxTrace, TabSheet3, "CheckBoxTrace", "Trace", 8, 108, 150, 17);
  Make(CheckBoxLogfile, TabSheet3, "CheckBoxLogfile", "Use logfile", 8, 132, 100, 17);
  Make(EditLogfile, TabSheet3, "EditLogfile", "", 110, 130, 250, 21);
  EditLogfile->SetText("\\velmoric.log");
  Label(TabSheet3, "LabelDelphiTitle", "Set Delphi Title", 8, 160);
  Make(EditDelhiTitle, TabSheet3, "EditDelhiTitle", "", 110, 158, 250, 21);
  Make(ButtonSetTitle, TabSheet3, "ButtonSetTitle", "Set", 366, 156, 50, 25);
  Make(CheckBoxAutoFind, TabSheet3, "CheckBoxAutoFind", "Auto FindPosition", 8, 188, 150, 17);
  Label(TabSheet3, "LabelFun", "Fun", 250, 8);
  Label(TabSheet3, "LabelSlow", "Many of the trace switches make Velmoric very slow.", 250, 28);

  Page(TabSheet1, "TabSheet1", "Menu");
  Label(TabSheet1, "LabelItems", "Items", 8, 4);
  Make(ListBoxMenu, TabSheet1, "ListBoxMenu", "", 8, 20, 250, 250);
  Label(TabSheet1, "LabelKey", "Key", 270, 20);
  Make(Edit1, TabSheet1, "Edit1", "", 270, 36, 200, 21);
  Edit1->ReadOnly = true;
  Make(CheckBoxEnableShortCut, TabSheet1, "CheckBoxEnableShortCut", "Enable short cut", 270, 64,
       150, 17);

  Page(TabSheetGeneral, "TabSheetGeneral", "Velmoric path");
  Label(TabSheetGeneral, "LabelVelmoricPath", "Velmoric path", 8, 8);
  Make(EditPath1, TabSheetGeneral, "EditPath1", "", 8, 24, 400, 21);
  Label(TabSheetGeneral, "LabelPathNote",
        "Velmoric stores data in this path, for example the window layout.", 8, 52);

  Page(TabSheetRepository, "TabSheetRepository", "Orvik Quick Search");
  Make(ListBoxFileRepository, TabSheetRepository, "ListBoxFileRepository", "", 0, 0, 536, 296);
  ListBoxFileRepository->SetAlign(alClient);
  ListBoxFileRepository->SetSorted(true);

  Page(TabSheet2, "TabSheet2", "Database passwords");
  Make(ListBoxPasswords, TabSheet2, "ListBoxPasswords", "", 8, 8, 300, 200);
  Make(EditPassword, TabSheet2, "EditPassword", "", 8, 216, 200, 21);
  Make(ButtonAddPassword, TabSheet2, "ButtonAddPassword", "Add", 216, 214, 60, 25);
  Make(ButtonRemovePassword, TabSheet2, "ButtonRemovePassword", "Remove", 282, 214, 60, 25);

  OpenDialog1 = new TOpenDialog(this);
  OpenDialog1->SetName("OpenDialog1");
  OpenDialog1->Filter = "source text|*.pas";

  ButtonDeleteList->Hide();
  PageControl1->SetActivePage(TabSheetCompiler);

  // Events.
  OnShow = [this](TObject* S) { FormShow(S); };
  Button2->OnClick = [this](TObject* S) { Button2Click(S); };
  Button1->OnClick = [this](TObject* S) { Button1Click(S); };
  PageControl1->OnChange = [this](TObject*) { PageChange(); };
  ButtonDeleteList->OnClick = [this](TObject*) {
    fileRepository->Clear();
    ListBoxFileRepository->Clear();
  };
  ButtonAddPath->OnClick = [this](TObject*) { AddPath(EditPath, ListBoxSearchPath); };
  ButtonAddDelphiPath->OnClick = [this](TObject*) { AddPath(EditDelphiPath, ListBoxDelphiPath); };
  ButtonDeletePath->OnClick = [this](TObject*) { DeletePath(ListBoxSearchPath); };
  ButtonDeleteDelphiPath->OnClick = [this](TObject*) { DeletePath(ListBoxDelphiPath); };
  SpeedButtonUp->OnClick = [this](TObject*) { MoveItem(ListBoxSearchPath, -1); };
  SpeedButtonDown->OnClick = [this](TObject*) { MoveItem(ListBoxSearchPath, +1); };
  SpeedButtonDelphiUp->OnClick = [this](TObject*) { MoveItem(ListBoxDelphiPath, -1); };
  SpeedButtonDelphiDown->OnClick = [this](TObject*) { MoveItem(ListBoxDelphiPath, +1); };
  ListBoxSearchPath->OnClick = [this](TObject*) { PathClick(EditPath, ListBoxSearchPath); };
  ListBoxDelphiPath->OnClick = [this](TObject*) { PathClick(EditDelphiPath, ListBoxDelphiPath); };
  ListBoxSearchPath->OnDblClick = [this](TObject*) { PathDblClick(ListBoxSearchPath); };
  ListBoxDelphiPath->OnDblClick = [this](TObject*) { PathDblClick(ListBoxDelphiPath); };
  ButtonBrowsePath->OnClick = [this](TObject*) { Browse(EditPath); };
  ButtonBrowseDelphiPath->OnClick = [this](TObject*) { Browse(EditDelphiPath); };
  ButtonAddDelphisPath->OnClick = [this](TObject*) {
    AdditionalSearchPath += ";" + DelphiPath;
    ListBoxSearchPath->Clear();
    StringToList(AdditionalSearchPath, *ListBoxSearchPath->Items());
  };
  ButtonSetTitle->OnClick = [this](TObject*) { Application->Title = EditDelhiTitle->Text(); };
  CheckBoxLogfile->OnClick = [this](TObject*) { LogfileClick(); };
  EditPath1->OnExit = [this](TObject*) { VelmoricPath = DataDirectory(EditPath1->Text()); };
  ListBoxMenu->OnClick = [this](TObject*) { MenuClick(); };
  Edit1->OnKeyDown = [this](TObject*, uint16_t& Key, TShiftState Shift) { MenuKeyDown(Key, Shift); };
  ListBoxFileRepository->OnDblClick = [this](TObject*) { RepositoryDblClick(); };
  ListBoxPasswords->OnClick = [this](TObject*) {
    const int I = ListBoxPasswords->ItemIndex();
    if (I >= 0) EditPassword->SetText(ListBoxPasswords->Items()->Strings(I));
  };
  ButtonAddPassword->OnClick = [this](TObject*) {
    if (!ListHolds(*ListBoxPasswords->Items(), EditPassword->Text()))
      ListBoxPasswords->Items()->Add(EditPassword->Text());
  };
  ButtonRemovePassword->OnClick = [this](TObject*) {
    const int I = ListBoxPasswords->ItemIndex();
    if (I >= 0) ListBoxPasswords->Items()->Delete(I);
  };
  OnDropFiles = [this](const std::vector<std::string>& Files) { OnDragFiles(Files); };
}

void TFFormVelmoricOptions::FormShow(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricOptions.FormShow");
  DelphiPath.clear();
  {
    TRegistry Reg;
    if (Reg.OpenKeyReadOnly(DelphiKey())) DelphiPath = Reg.ReadString("SearchPath");
  }
  Write("Options: Search path =" + AdditionalSearchPath);
  auto Fill = [](TListBox* List, const std::string& S) {
    List->Clear();
    if (S.empty()) return;  // an empty setting holds no entry
    TStringList Entries;
    StringToList(S, Entries);
    for (int I = 0; I < Entries.Count(); ++I) {
      Write("add " + Entries[I]);
      List->Items()->Add(Entries[I]);
    }
  };
  Fill(ListBoxSearchPath, AdditionalSearchPath);
  Fill(ListBoxDelphiPath, DelphiPath);
  Fill(ListBoxPasswords, DBPasswords);
  EditDelhiTitle->SetText(Application->Title);
  AcceptFiles = true;
  PageControl1->SetActivePage(TabSheetCompiler);
  ButtonDeleteList->Hide();

  CheckBoxFindFiles->Checked = FindFileDebug;
  CheckBoxLoadSymbols->Checked = LoadSymbolsDebug;
  CheckBoxCompiler->Checked = ProcDebug;
  CheckBoxLines->Checked = LineDebug;
  CheckBoxSymbols->Checked = AddSymDebug;
  CheckBoxTrace->Checked = FlagTrace;
  CheckBoxUseDelphiPath->Checked = gUseDelphiPath;
  CheckBoxQuickRecompile->Checked = gQuickRecompile;
  CheckBoxAutoFind->Checked = bFindTimer;
  CheckBoxDisplayCompiler->Checked = DisplayCompilerProcess;

  ListBoxMenu->Clear();
  Edit1->SetText("");
  if (Expert && Expert->MenuItems) {
    for (int I = 0; I < Expert->MenuItems->Count(); ++I) {
      auto* Item = static_cast<TIMenuItemIntf*>(Expert->MenuItems->Get(I));
      ListBoxMenu->Items()->AddObject(Item ? Item->GetCaption() : std::string(), nullptr);
    }
  }
  EditPath1->SetText(VelmoricPath);

  ListBoxFileRepository->Clear();
  for (int I = 0; I < fileRepository->list.Count(); ++I) {
    Write(fileRepository->list.Strings(I));
    auto* Item = static_cast<TFileRepositoryItem*>(fileRepository->list.Objects(I));
    ListBoxFileRepository->Items()->Add(Item->FullName);
  }
}

void TFFormVelmoricOptions::Button2Click(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricOptions.Button2Click");
  FindFileDebug = CheckBoxFindFiles->Checked;
  LoadSymbolsDebug = CheckBoxLoadSymbols->Checked;
  ProcDebug = CheckBoxCompiler->Checked;
  LineDebug = CheckBoxLines->Checked;
  gUseDelphiPath = CheckBoxUseDelphiPath->Checked;
  AddSymDebug = CheckBoxSymbols->Checked;
  FlagTrace = CheckBoxTrace->Checked;
  gQuickRecompile = CheckBoxQuickRecompile->Checked;
  bFindTimer = CheckBoxAutoFind->Checked;
  DisplayCompilerProcess = CheckBoxDisplayCompiler->Checked;

  // Pressing "Ok" leaves the path edit.
  VelmoricPath = DataDirectory(EditPath1->Text());
  AdditionalSearchPath = ListToString(*ListBoxSearchPath->Items());
  DelphiPath = ListToString(*ListBoxDelphiPath->Items());
  DBPasswords = ListToString(*ListBoxPasswords->Items());
  for (int I = 0; I < ListBoxPasswords->Items()->Count(); ++I)
    DbiAddPassword(ListBoxPasswords->Items()->Strings(I));
  Write("dbpasswords = " + DBPasswords);

  TRegistry Reg;
  if (!Reg.OpenKey(MenusKey, true)) throw ERegistryException("Cannot create key " + std::string(MenusKey));
  if (Expert && Expert->MenuItems) {
    for (int I = 0; I < Expert->MenuItems->Count(); ++I) {
      auto* Item = static_cast<TIMenuItemIntf*>(Expert->MenuItems->Get(I));
      if (Item) Reg.WriteInteger(StripHotkey(Item->GetCaption()), Item->GetShortCut());
    }
  }
  Reg.CloseKey();
  if (!Reg.OpenKey(DelphiKey(), true)) throw ERegistryException("Cannot create key " + DelphiKey());
  Reg.WriteString("SearchPath", DelphiPath);
  Reg.CloseKey();
  if (!Reg.OpenKey(VelmoricKey, true)) throw ERegistryException("Cannot create key " + std::string(VelmoricKey));
  Reg.WriteString("Path", VelmoricPath);
  Reg.WriteString("SearchPath", AdditionalSearchPath);
  Reg.WriteString("DBPasswords", DBPasswords);
  Reg.WriteString("DelphiTitle", Application->Title);
  Reg.WriteInteger("QuickRecompile", gQuickRecompile ? 1 : 0);
  Reg.WriteInteger("UseDelphiPath", gUseDelphiPath ? 1 : 0);
  Reg.CloseKey();
  Close();
}

void TFFormVelmoricOptions::Button1Click(TObject* Sender) { Close(); }

void TFFormVelmoricOptions::AddPath(TEdit* Edit, TListBox* List) {
  std::string S = Edit->Text();
  if (!S.empty() && IsSeparator(S.back())) {
    S.pop_back();
  } else {
    S = ExtractFilePath(S);
    // A root keeps its separator: without it nothing would be left.
    if (S.size() > 1 && IsSeparator(S.back()) && !(S.size() == 3 && S[1] == ':')) S.pop_back();
  }
  if (S.empty() || ListHolds(*List->Items(), S)) return;
  List->Items()->Add(S);
}

void TFFormVelmoricOptions::DeletePath(TListBox* List) {
  const int I = List->ItemIndex();
  if (I < 0) return;
  List->Items()->Delete(I);
  if (I < List->Items()->Count()) List->SetItemIndex(I);
  else if (I > 0) List->SetItemIndex(I - 1);
}

void TFFormVelmoricOptions::PathClick(TEdit* Edit, TListBox* List) {
  const int I = List->ItemIndex();
  if (I < 0) return;
  const std::string Entry = List->Items()->Strings(I);
  // The separator the entry itself uses.
  const char Sep = Entry.find('/') != std::string::npos ? '/' : '\\';
  Edit->SetText(!Entry.empty() && IsSeparator(Entry.back()) ? Entry : Entry + Sep);
}

void TFFormVelmoricOptions::PathDblClick(TListBox* List) {
  const int I = List->ItemIndex();
  if (I < 0 || !ToolServices) return;
  const std::string Entry = List->Items()->Strings(I);
  if (!ToolServices->IsFileOpen(Entry)) ToolServices->OpenFile(Entry);
  if (Screen->ActiveForm()) Screen->ActiveForm()->Repaint();
}

void TFFormVelmoricOptions::Browse(TEdit* Edit) {
  if (OpenDialog1->Execute()) Edit->SetText(OpenDialog1->FileName);
}

void TFFormVelmoricOptions::OnDragFiles(const std::vector<std::string>& Files) {
  TTraceProc Trace("TFFormVelmoricOptions.OnDragFiles");
  TListBox* List =
      PageControl1->ActivePage() == TabSheetCompiler ? ListBoxSearchPath : ListBoxDelphiPath;
  for (const std::string& File : Files) {
    const std::string Dir = ExtractFilePath(File);
    if (Dir.empty() || ListHolds(*List->Items(), Dir)) continue;
    List->Items()->Add(Dir);
  }
}

void TFFormVelmoricOptions::LogfileClick() {
  if (!tracelet) return;
  if (CheckBoxLogfile->Checked) {
    try {
      tracelet->SetLogfile(LogFileName(EditLogfile->Text()));
    } catch (...) {
      CheckBoxLogfile->Checked = false;
      throw;
    }
  } else {
    tracelet->CloseLogfile();
  }
}

void TFFormVelmoricOptions::MenuClick() {
  TIMenuItemIntf* Item = MenuItemAt(Expert, ListBoxMenu->ItemIndex());
  if (!Item) return;
  const TShortCut Cut = Item->GetShortCut();
  TShiftState Shift = 0;
  if (Cut & 0x2000) Shift |= ssShift;
  if (Cut & 0x4000) Shift |= ssCtrl;
  if (Cut & 0x8000) Shift |= ssAlt;
  const uint16_t Key = Cut & 0xFF;
  Edit1->SetText(Cut == 0 ? std::string() : GetShift(Shift) + KeyName(Key));
}

void TFFormVelmoricOptions::MenuKeyDown(uint16_t& Key, TShiftState Shift) {
  Edit1->SetText(GetShift(Shift) + KeyName(Key));
  TIMenuItemIntf* Item = MenuItemAt(Expert, ListBoxMenu->ItemIndex());
  if (!Item) return;
  TShortCut Cut = Key & 0xFF;
  if (Shift & ssShift) Cut |= 0x2000;
  if (Shift & ssCtrl) Cut |= 0x4000;
  if (Shift & ssAlt) Cut |= 0x8000;
  Item->SetShortCut(Cut);
}

void TFFormVelmoricOptions::RepositoryDblClick() {
  const int I = ListBoxFileRepository->ItemIndex();
  if (I < 0 || !ToolServices) return;
  const std::string Name = ListBoxFileRepository->Items()->Strings(I);
  Write(Name);
  ToolServices->OpenFile(Name);
  if (TIModuleInterface* Module = ToolServices->GetModuleInterface(Name)) {
    Module->ShowSource();
    Module->Release();
  }
}

void TFFormVelmoricOptions::PageChange() {
  ButtonDeleteList->SetVisible(PageControl1->ActivePage() == TabSheetRepository);
}
