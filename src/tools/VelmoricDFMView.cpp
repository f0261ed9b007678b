#include "tools/VelmoricDFMView.h"

#include <algorithm>

#include "platform/opentools/ToolIntf.h"
#include "platform/rtl/FileSearch.h"
#include "platform/rtl/SysUtils.h"
#include "trace/VelmoricStatus.h"
#include "trace/traceletVelmoric.h"

TFFormVelmoricDFMView* FFormVelmoricDFMView = nullptr;

namespace {

void TraceWrite(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

// The form file beside a unit: ".dfm", else Lazarus' ".lfm"; "" when none.
std::string FormFileOf(const std::string& UnitName) {
  for (const char* Ext : {".dfm", ".lfm"}) {
    const std::string Found = FindFileNoCase(ChangeFileExt(UnitName, Ext));
    if (!Found.empty() && FileExists(Found)) return Found;
  }
  return {};
}

}  // namespace

TFFormVelmoricDFMView::TFFormVelmoricDFMView(TComponent* AOwner) : TForm(AOwner) {
  TTraceProc Trace("TFFormVelmoricDFMView.Create");
  SetName("FFormVelmoricDFMView");
  Caption = "Velmoric Form Dependencies";
  SetBounds(Left(), Top(), 640, 480);
  Project = new TVelmoricDFMProject;

  auto* Self = this;
  PageControl1 = new TPageControl(this);
  PageControl1->SetName("PageControl1");
  PageControl1->SetParent(this);
  PageControl1->SetBounds(0, 0, 640, 400);
  TabSheetTree = new TTabSheet(this);
  TabSheetTree->SetName("TabSheetTree");
  TabSheetTree->Caption = "Tree";
  TabSheetTree->SetPageControl(PageControl1);

  TreeView1 = new TTreeView(this);
  TreeView1->SetName("TreeView1");
  TreeView1->SetParent(TabSheetTree);
  TreeView1->SetBounds(0, 0, 300, 380);
  TreeView1->ReadOnly = true;
  TreeView1->OnChange = [Self](TObject* S, TTreeNode* N) { Self->TreeView1Change(S, N); };
  TreeView1->OnDblClick = [Self](TObject* S) { Self->TreeView1DblClick(S); };

  StringGrid1 = new TStringGrid(this);
  StringGrid1->SetName("StringGrid1");
  StringGrid1->SetParent(TabSheetTree);
  StringGrid1->SetBounds(304, 60, 330, 320);
  StringGrid1->SetColCount(2);
  StringGrid1->SetRowCount(2);
  StringGrid1->SetFixedCols(0);
  StringGrid1->SetCells(0, 0, "Name");
  StringGrid1->SetCells(1, 0, "Value");

  int Top = 4;
  for (TLabel** L : {&LabelComponent, &LabelFile, &LabelForm}) {
    *L = new TLabel(this);
    (*L)->SetParent(TabSheetTree);
    (*L)->SetBounds(304, Top, 330, 13);
    Top += 18;
  }
  LabelComponent->SetName("LabelComponent");
  LabelFile->SetName("LabelFile");
  LabelForm->SetName("LabelForm");

  ButtonAnalyze = new TButton(this);
  ButtonAnalyze->SetName("ButtonAnalyze");
  ButtonAnalyze->Caption = "Analyze";
  ButtonAnalyze->SetParent(this);
  ButtonAnalyze->SetBounds(8, 410, 75, 25);
  ButtonAnalyze->OnClick = [Self](TObject* S) { Self->ButtonAnalyzeClick(S); };
  ButtonClear = new TButton(this);
  ButtonClear->SetName("ButtonClear");
  ButtonClear->Caption = "Clear";
  ButtonClear->SetParent(this);
  ButtonClear->SetBounds(92, 410, 75, 25);
  ButtonClear->OnClick = [Self](TObject* S) { Self->ButtonClearClick(S); };
}

TFFormVelmoricDFMView::~TFFormVelmoricDFMView() {
  TTraceProc Trace("TFFormVelmoricDFMView.Destroy");
  // The tree's nodes point into the project: empty it first.
  TreeView1->Items()->Clear();
  delete Project;
  if (FFormVelmoricDFMView == this) FFormVelmoricDFMView = nullptr;
}

void TFFormVelmoricDFMView::Analyze() {
  TTraceProc Trace("TFFormVelmoricDFMView.Analyze");
  if (tracelet) tracelet->start();
  const bool Status = FormVelmoricCompiling != nullptr;
  if (Status) FormVelmoricCompiling->ShowStatus("compiling");
  try {
    if (ToolServices) {
      TraceWrite("load form project");
      const int Count = ToolServices->GetUnitCount();
      for (int I = 0; I < Count; ++I) {
        const std::string Unit = ToolServices->GetUnitName(I);
        if (LowerCase(ExtractFileExt(Unit)) != ".pas") continue;
        const std::string Form = FormFileOf(Unit);
        if (!Form.empty()) Project->LoadFromFile(Form);
      }
    }
    for (const std::string& File : FormFiles) Project->LoadFromFile(File);
    Project->FindConnections();
  } catch (...) {
    if (Status && FormVelmoricCompiling) FormVelmoricCompiling->HideStatus(0);
    FillTree();
    throw;
  }
  if (Status && FormVelmoricCompiling) FormVelmoricCompiling->HideStatus(0);
  FillTree();
}

void TFFormVelmoricDFMView::ButtonAnalyzeClick(TObject* Sender) {
  Application->Guard([this] { Analyze(); });
}

void TFFormVelmoricDFMView::ButtonClearClick(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricDFMView.ButtonClearClick");
  TreeView1->Items()->Clear();
  ShowProperties(nullptr);
  delete Project;
  Project = new TVelmoricDFMProject;
}

void TFFormVelmoricDFMView::FillTree() {
  TTraceProc Trace("TFFormVelmoricDFMView.FillTree");
  TTreeNodes* Items = TreeView1->Items();
  Items->BeginUpdate();
  Items->Clear();
  ShowProperties(nullptr);
  for (int F = 0; F < Project->Forms.Count(); ++F) {
    TVelmoricDFM* Form = Project->Form(F);
    if (Form->Controls.Count() == 0) continue;
    TraceWrite("Insert into tree: " + Form->FormName);
    TTreeNode* Root = Items->AddChild(nullptr, Form->FormName);
    for (int C = 0; C < Form->Controls.Count(); ++C) {
      TVelmoricControl* Control = Form->Control(C);
      if (Control->Links.empty()) continue;
      TraceWrite("To tree: " + Control->Name);
      std::vector<TVelmoricControl*> Path;
      AddComponent(Root, Control, Path);
    }
  }
  Items->EndUpdate();
}

// A component's node with its linking properties; the owner of such a
// property, when it has links itself, follows under it (not again where it
// is already on the way up, so that links in a circle end).
void TFFormVelmoricDFMView::AddComponent(TTreeNode* Parent, TVelmoricControl* Control,
                                         std::vector<TVelmoricControl*>& Path) {
  TTreeNodes* Items = TreeView1->Items();
  TTreeNode* Node =
      Items->AddChildObject(Parent, Format("%s.%s", Control->Form->FormName, Control->Name), static_cast<TObject*>(Control));
  Path.push_back(Control);
  for (TVelmoricProperty* Prop : Control->Links) {
    TVelmoricControl* Owner = Prop->Owner;
    TTreeNode* PropNode = Items->AddChildObject(
        Node, Owner->Form->FormName + "." + Owner->Name + "." + Prop->Name + " : " + Owner->ComponentClass,
        static_cast<TObject*>(Prop));
    if (!Owner->Links.empty() && std::find(Path.begin(), Path.end(), Owner) == Path.end())
      AddComponent(PropNode, Owner, Path);
  }
  if (!Control->Children.empty()) {
    TTreeNode* Childs = Items->AddChild(Node, "childs");
    for (TVelmoricControl* Child : Control->Children)
      Items->AddChildObject(Childs, Child->Name, static_cast<TObject*>(Child));
  }
  Path.pop_back();
}

TVelmoricControl* TFFormVelmoricDFMView::ComponentOf(TTreeNode* Node) {
  if (!Node || !Node->Data) return nullptr;
  auto* Object = static_cast<TObject*>(Node->Data);
  if (auto* Control = dynamic_cast<TVelmoricControl*>(Object)) return Control;
  if (auto* Prop = dynamic_cast<TVelmoricProperty*>(Object)) return Prop->Owner;
  return nullptr;
}

void TFFormVelmoricDFMView::TreeView1Change(TObject* Sender, TTreeNode* Node) {
  TTraceProc Trace("TFFormVelmoricDFMView.TreeView1Change");
  if (TVelmoricControl* Control = ComponentOf(Node)) ShowProperties(Control);
}

void TFFormVelmoricDFMView::ShowProperties(TVelmoricControl* Control) {
  const int Count = Control ? Control->Properties.Count() : 0;
  StringGrid1->SetRowCount(std::max(2, Count + 1));
  StringGrid1->SetCells(0, 0, "Name");
  StringGrid1->SetCells(1, 0, "Value");
  for (int Row = 1; Row < StringGrid1->RowCount(); ++Row) {
    const TVelmoricProperty* P = Row <= Count ? Control->Property(Row - 1) : nullptr;
    StringGrid1->SetCells(0, Row, P ? P->Name : "");
    StringGrid1->SetCells(1, Row, P ? P->Value : "");
  }
  LabelComponent->Caption = Control ? Control->Name : "";
  LabelFile->Caption = Control ? Control->Form->FileName : "";
  LabelForm->Caption = Control ? Control->Form->FormName : "";
}

void TFFormVelmoricDFMView::TreeView1DblClick(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricDFMView.TreeView1DblClick");
  TVelmoricControl* Control = ComponentOf(TreeView1->Selected());
  if (!Control || !ToolServices) return;
  std::string Name = Control->Form->FileName;
  if (Name.size() < 4) return;
  Name = Name.substr(0, Name.size() - 4) + ".pas";
  if (!ToolServices->IsFileOpen(Name)) ToolServices->OpenFile(Name);
}

TFFormVelmoricDFMView* FormVelmoricDFMView() {
  if (!FFormVelmoricDFMView) {
    FFormVelmoricDFMView = new TFFormVelmoricDFMView(nullptr);
    if (tracelet) tracelet->StrWrite("velmoric.createForm", FFormVelmoricDFMView->ClassName());
  }
  return FFormVelmoricDFMView;
}
