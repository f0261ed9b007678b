#include "browsers/VelmoricUnits.h"

#include <filesystem>

#include "browsers/VelmoricSourceExplorer.h"
#include "platform/opentools/ToolIntf.h"
#include "platform/rtl/FileSearch.h"
#include "platform/vcl/FormBuilding.h"
#include "project/VelmoricPascalProject.h"
#include "trace/traceletVelmoric.h"

TFFormVelmoricUnits* FFormVelmoricUnits = nullptr;

namespace {

void Write(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

void StreamWrite(const std::string& Stream, const std::string& Text) {
  if (tracelet) tracelet->StrWrite(Stream, Text);
}

// The unit name of a node: its text before the first blank.
std::string NodeUnitName(const TTreeNode* Node) {
  const std::string& T = Node->Text;
  const size_t Blank = T.find(' ');
  return Blank == std::string::npos ? T : T.substr(0, Blank);
}

constexpr const char* ProjectDirectory = "project directory";
constexpr const char* UnknownFiles = "unknown files";

}  // namespace

TFFormVelmoricUnits* FormVelmoricUnits() {
  if (!FFormVelmoricUnits) {
    FFormVelmoricUnits = new TFFormVelmoricUnits(nullptr);
    StreamWrite("velmoric.createForm", FFormVelmoricUnits->Name());
  }
  return FFormVelmoricUnits;
}

TFFormVelmoricUnits::TFFormVelmoricUnits(TComponent* AOwner) : TForm(AOwner) {
  TTraceProc Trace("TFFormVelmoricUnits.Create");
  SetName("FFormVelmoricUnits");
  Caption = "Velmoric Unit";
  SetBounds(Left(), Top(), 560, 400);
  OnShow = [this](TObject* S) { FormShow(S); };

  PopupMenu1 = new TPopupMenu(this);
  PopupMenu1->SetName("PopupMenu1");
  ListUnits1 = new TMenuItem(this);
  ListUnits1->SetName("ListUnits1");
  ListUnits1->Caption = "List Units (internal debug function!)";
  ListUnits1->OnClick = [this](TObject* S) { ListUnits1Click(S); };
  PopupMenu1->Items()->Add(ListUnits1);

  SaveDialog1 = new TSaveDialog(this);
  SaveDialog1->SetName("SaveDialog1");
  SaveDialog1->Title = "Select destination";
  SaveDialog1->FileName = "only open the destination folder";

  Panel1 = MakeControl<TPanel>(this, this, "Panel1", 0, 360, 560, 40);
  Panel1->SetAlign(alBottom);
  ButtonCompile = MakeControl<TButton>(this, Panel1, "ButtonCompile", 8, 8, 75, 25);
  ButtonCompile->Caption = "Compile";
  ButtonCompile->OnClick = [this](TObject* S) { ButtonCompileClick(S); };
  ButtonOpen = MakeControl<TButton>(this, Panel1, "ButtonOpen", 88, 8, 75, 25);
  ButtonOpen->Caption = "Open";
  ButtonAddToProject = MakeControl<TButton>(this, Panel1, "ButtonAddToProject", 300, 8, 100, 25);
  ButtonAddToProject->Caption = "Add to project";
  ButtonAddToProject->OnClick = [this](TObject* S) { ButtonAddToProjectClick(S); };
  ButtonCopy = MakeControl<TButton>(this, Panel1, "ButtonCopy", 404, 8, 75, 25);
  ButtonCopy->Caption = "Copy";
  ButtonCopy->OnClick = [this](TObject* S) { ButtonCopyClick(S); };

  PageControl1 = MakeControl<TPageControl>(this, this, "PageControl1", 0, 0, 560, 360);
  PageControl1->SetAlign(alClient);
  PageControl1->OnChange = [this](TObject* S) { PageControl1Change(S); };
  TabSheet1 = new TTabSheet(this);
  TabSheet1->SetName("TabSheet1");
  TabSheet1->Caption = "by dependencies";
  TabSheet1->SetPageControl(PageControl1);
  TabSheet2 = new TTabSheet(this);
  TabSheet2->SetName("TabSheet2");
  TabSheet2->Caption = "by directory";
  TabSheet2->SetPageControl(PageControl1);

  TreeView1 = MakeControl<TTreeView>(this, TabSheet1, "TreeView1", 4, 30, 300, 300);
  TreeView1->OnExpanding = [this](TObject* S, TTreeNode* N, bool& Allow) {
    TreeView1Expanding(S, N, Allow);
  };
  TreeView1->OnChange = [this](TObject* S, TTreeNode* N) { TreeView1Change(S, N); };
  ListBoxDependants = MakeControl<TListBox>(this, TabSheet1, "ListBoxDependants", 308, 30, 240, 300);
  ListBoxDependants->SetSorted(true);
  ListBoxDependants->Items()->SetDuplicates(dupAccept);
  ListBoxDependants->SetPopupMenu(PopupMenu1);
  CheckBoxLocate = MakeControl<TCheckBox>(this, TabSheet1, "CheckBoxLocate", 4, 6, 60, 17);
  CheckBoxLocate->Caption = "Locate";
  CheckBoxLocate->OnClick = [this](TObject* S) { CheckBoxLocateClick(S); };
  ComboBoxLocate = MakeControl<TComboBox>(this, TabSheet1, "ComboBoxLocate", 68, 4, 200, 21);

  ComboBoxFiles = MakeControl<TComboBox>(this, TabSheet2, "ComboBoxFiles", 4, 4, 200, 21);
  ComboBoxFiles->OnChange = [this](TObject* S) { ComboBoxFilesChange(S); };
  ListBoxDirectories = MakeControl<TListBox>(this, TabSheet2, "ListBoxDirectories", 4, 30, 270, 300);
  ListBoxDirectories->OnClick = [this](TObject* S) { ListBoxDirectoriesClick(S); };
  ListBoxFiles = MakeControl<TListBox>(this, TabSheet2, "ListBoxFiles", 278, 30, 270, 300);

  Answers = new TStringList;
  Answers->SetSorted(true);
  PageControl1->SetActivePage(TabSheet1);
  PageControl1Change(PageControl1);
  SetActiveControl(TreeView1);
}

TFFormVelmoricUnits::~TFFormVelmoricUnits() {
  FormDestroy(this);
  if (FFormVelmoricUnits == this) FFormVelmoricUnits = nullptr;
}

void TFFormVelmoricUnits::FormDestroy(TObject* Sender) {
  ClearDirectories();
  delete Answers;
  Answers = nullptr;
}

std::string TFFormVelmoricUnits::UnitNodeText(const TUnitDepend* Unit) {
  if (!Unit->Found) return Unit->UnitName + " not found";
  // A file below the current folder shows its path from there.
  std::string Path = Unit->FileName;
  std::error_code Ec;
  const std::string Here = std::filesystem::current_path(Ec).string() + "/";
  if (!Ec && Path.size() > Here.size() && Path.compare(0, Here.size(), Here) == 0)
    Path.erase(0, Here.size());
  return Unit->UnitName + " (" + Path + ")";
}

std::string TFFormVelmoricUnits::UsesNodeText(const TUnitDepend* Unit, int Index) {
  const TUnitDepend* D = Unit->UsesUnit(Index);
  return D ? UnitNodeText(D) : Unit->Uses.Get(Index) + " not found";
}

void TFFormVelmoricUnits::AddUsesChildren(TTreeNode* Node) {
  auto* Unit = static_cast<TUnitDepend*>(Node->Data);
  if (!Unit || !Unit->Found || Node->Count() > 0) return;
  for (int J = 0; J < Unit->Uses.Count(); ++J) {
    TUnitDepend* Used = Unit->UsesUnit(J);
    TTreeNode* Child = TreeView1->Items()->AddChild(Node, UsesNodeText(Unit, J));
    Child->Data = Used;
    Child->ImageIndex = -1;
    // Its own uses come when it is expanded.
    Child->SetHasChildren(Used && Used->Found && Used->Uses.Count() > 0);
  }
}

void TFFormVelmoricUnits::ClearDirectories() {
  if (!ListBoxDirectories) return;
  TStringList* Items = ListBoxDirectories->Items();
  for (int I = 0; I < Items->Count(); ++I) delete Items->Objects(I);
  ListBoxDirectories->Clear();
  ListBoxFiles->Clear();
}

void TFFormVelmoricUnits::Rebuild() {
  TTraceProc Trace("TFFormVelmoricUnits.Rebuild");
  ComboBoxFiles->Clear();
  ComboBoxLocate->Clear();
  ClearDirectories();
  ListBoxDependants->Clear();
  TreeView1->Items()->Clear();
  Answers->Clear();
  Graph.Build(Project);
  for (int I = 0; I < Graph.Count(); ++I) {
    TUnitDepend* U = Graph.Units(I);
    Write("root = " + U->UnitName);
    TTreeNode* Root = TreeView1->Items()->AddFirst(nullptr, UnitNodeText(U));
    Root->Data = U;
    Root->ImageIndex = -1;
    AddUsesChildren(Root);
    if (ComboBoxFiles->Items()->IndexOf(U->UnitName) < 0) {
      ComboBoxFiles->Items()->AddObject(U->UnitName, U);
      ComboBoxLocate->Items()->AddObject(U->UnitName, U);
    }
  }
  if (Locate) MarkLocated();
}

void TFFormVelmoricUnits::FormShow(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricUnits.FormShow");
  Rebuild();
}

void TFFormVelmoricUnits::ButtonCompileClick(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricUnits.ButtonCompileClick");
  FormSourceExplorer()->SpeedButtonCompileClick(Sender);
  Rebuild();
}

void TFFormVelmoricUnits::TreeView1Expanding(TObject* Sender, TTreeNode* Node, bool& AllowExpansion) {
  TTraceProc Trace("TFFormVelmoricUnits.TreeView1Expanding");
  AddUsesChildren(Node);
  for (int I = 0; I < Node->Count(); ++I) AddUsesChildren(Node->Item(I));
  AllowExpansion = true;
}

void TFFormVelmoricUnits::TreeView1Change(TObject* Sender, TTreeNode* Node) {
  TTraceProc Trace("TFFormVelmoricUnits.TreeView1Change");
  if (!Node) return;
  const std::string Name = NodeUnitName(Node);
  ComboBoxFiles->SetItemIndex(ComboBoxFiles->Items()->IndexOf(Name));
  ListBoxDependants->Clear();
  Graph.Dependants(Name, ListBoxDependants->Items());
  AddUsesChildren(Node);
}

void TFFormVelmoricUnits::ComboBoxFilesChange(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricUnits.ComboBoxFilesChange");
  ClearDirectories();
  const int I = ComboBoxFiles->ItemIndex();
  TUnitDepend* Root = I >= 0 ? static_cast<TUnitDepend*>(ComboBoxFiles->Items()->Objects(I))
                             : Graph.Find(ComboBoxFiles->Text());
  if (!Root) return;
  Graph.GroupByDirectory(Root, ListBoxDirectories->Items());
}

void TFFormVelmoricUnits::ListBoxDirectoriesClick(TObject* Sender) {
  ListBoxFiles->Clear();
  const int I = ListBoxDirectories->ItemIndex();
  if (I < 0) return;
  if (auto* Files = static_cast<TStringList*>(ListBoxDirectories->Items()->Objects(I)))
    ListBoxFiles->Items()->AddStrings(*Files);
}

bool TFFormVelmoricUnits::ReachesLocated(const std::string& Name, TUnitDepend* Unit) {
  int I;
  if (Answers->Find(Name, I)) return Answers->Objects(I) != nullptr;
  const bool Reaches = SameText(Name, LocatedUnit) || Graph.Reaches(Unit, LocatedUnit);
  Answers->AddObject(Name, reinterpret_cast<TObject*>(static_cast<intptr_t>(Reaches ? 1 : 0)));
  return Reaches;
}

void TFFormVelmoricUnits::MarkLocated() {
  TTraceProc Trace("TFFormVelmoricUnits.MarkLocated");
  Answers->Clear();
  TTreeNodes* Nodes = TreeView1->Items();
  for (int I = 0; I < Nodes->Count(); ++I) Nodes->Item(I)->ImageIndex = -1;
  for (int I = 0; I < Nodes->Count(); ++I) {
    TTreeNode* Node = Nodes->Item(I);
    const std::string Name = NodeUnitName(Node);
    Write(Name + " analyzing " + IntToStr(I));
    if (!ReachesLocated(Name, static_cast<TUnitDepend*>(Node->Data))) continue;
    for (TTreeNode* N = Node; N; N = N->Parent()) N->ImageIndex = 1;
  }
  TreeView1->Invalidate();
}

void TFFormVelmoricUnits::CheckBoxLocateClick(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricUnits.CheckBoxLocateClick");
  LocatedUnit = LowerCase(Trim(ComboBoxLocate->Text()));
  Locate = CheckBoxLocate->Checked && !LocatedUnit.empty();
  if (Locate) {
    MarkLocated();
  } else {
    TTreeNodes* Nodes = TreeView1->Items();
    for (int I = 0; I < Nodes->Count(); ++I) Nodes->Item(I)->ImageIndex = -1;
    TreeView1->Invalidate();
  }
}

void TFFormVelmoricUnits::PageControl1Change(TObject* Sender) {
  const bool Directory = PageControl1->ActivePage() == TabSheet2;
  ButtonCopy->Enabled = Directory;
  ButtonAddToProject->Enabled = Directory && ToolServices != nullptr;
}

bool TFFormVelmoricUnits::SelectedFiles(std::string& Folder, TStrings*& Files) const {
  const int I = ListBoxDirectories->ItemIndex();
  if (I < 0) return false;
  const std::string Group = ListBoxDirectories->Items()->Get(I);
  if (Group == UnknownFiles) return false;
  Folder = Group == ProjectDirectory ? std::string() : Group;
  Files = static_cast<TStringList*>(ListBoxDirectories->Items()->Objects(I));
  return Files != nullptr;
}

void TFFormVelmoricUnits::ButtonAddToProjectClick(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricUnits.ButtonAddToProjectClick");
  if (!ToolServices || !ButtonAddToProject->Enabled) return;
  std::string Folder;
  TStrings* Files;
  if (!SelectedFiles(Folder, Files)) return;
  for (int I = 0; I < Files->Count(); ++I) {
    const std::string Name = FindFileNoCase(Folder + Files->Get(I));
    if (Name.empty()) continue;
    const std::string Pas = ExpandFileName(Name);
    Write("add to project " + Pas);
    // The module is the file as it is: its text goes with it.
    ToolServices->CreateModule(Pas, ReadFileBytes(Pas), 513);
  }
}

void TFFormVelmoricUnits::ButtonCopyClick(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricUnits.ButtonCopyClick");
  std::string Folder;
  TStrings* Files;
  if (!ButtonCopy->Enabled || !SelectedFiles(Folder, Files)) return;
  SaveDialog1->FileName = "only open the destination folder";
  if (!SaveDialog1->Execute()) return;
  std::string Destination = ExtractFilePath(SaveDialog1->FileName);
  if (Destination.empty() || !DirectoryExists(Destination)) {
    Application->MessageBox("The folder " + Destination + " does not exist", "Velmoric", MB_OK);
    return;
  }
  // What goes where: each unit's form first, then the unit.
  std::vector<std::pair<std::string, std::string>> Copies;
  std::string Existing;
  for (int I = 0; I < Files->Count(); ++I) {
    const std::string Source = FindFileNoCase(Folder + Files->Get(I));
    if (Source.empty()) continue;
    const std::string Form = FindFileNoCase(ChangeFileExt(Source, ".dfm"));
    for (const std::string& From : {Form, Source}) {
      if (From.empty()) continue;
      const std::string To = IncludeTrailingPathDelimiter(Destination) + ExtractFileName(From);
      std::error_code Ec;
      if (std::filesystem::equivalent(From, To, Ec)) continue;  // already there
      if (FileExists(To)) Existing += (Existing.empty() ? "" : ", ") + ExtractFileName(To);
      Copies.emplace_back(From, To);
    }
  }
  if (!Existing.empty() &&
      Application->MessageBox("Overwrite " + Existing + " in " + Destination + "?", "Velmoric",
                              MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  for (const auto& [From, To] : Copies) {
    std::error_code Ec;
    std::filesystem::copy_file(From, To, std::filesystem::copy_options::overwrite_existing, Ec);
    Write("copy " + From + " -> " + To);
    if (Ec) {
      Application->MessageBox("Cannot copy " + From + " to " + To + ": " + Ec.message(), "Velmoric",
                              MB_OK | MB_ICONERROR);
      return;
    }
  }
}

void TFFormVelmoricUnits::ListUnits1Click(TObject* Sender) {
  ListBoxDependants->Clear();
  if (!Project || !Project->FUnitLIst) return;
  for (int I = 0; I < Project->FUnitLIst->Count(); ++I) {
    auto* S = static_cast<TPascalSource*>(Project->FUnitLIst->GetObjects(I));
    if (S) ListBoxDependants->Items()->Add(S->FileName);
  }
}
