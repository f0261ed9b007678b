#include "tools/VelmoricTableEditor.h"

#include <algorithm>
#include <memory>

#include "platform/vcl/FormBuilding.h"
#include "trace/traceletVelmoric.h"

namespace {

void TraceWrite(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

TComponentEditorClass& OldEditor() {
  static TComponentEditorClass Editor;
  return Editor;
}

// The previous editor for the same component and designer, or nullptr.
std::unique_ptr<TComponentEditor> MakeOldEditor(TComponent* Component, TFormDesigner* Designer) {
  if (!OldEditor()) {
    TraceWrite("oldEditor = NIL");
    return nullptr;
  }
  return std::unique_ptr<TComponentEditor>(OldEditor()(Component, Designer));
}

// The fields a data set shows in the designer: its persistent fields when
// it has any (lookup fields are always persistent), else those of its columns.
std::vector<TField*> DesignFields(const TDataSet& DataSet) {
  std::vector<TField*> Fields;
  if (DataSet.PersistentFieldCount() > 0) {
    for (int I = 0; I < DataSet.PersistentFieldCount(); ++I) Fields.push_back(DataSet.PersistentFields(I));
  } else {
    for (int I = 0; I < DataSet.FieldCount(); ++I) Fields.push_back(DataSet.Fields(I));
  }
  return Fields;
}

void* NodeData(TComponent* Component) { return Component; }

TComponent* ComponentOfNode(const TTreeNode* Node) {
  return Node ? static_cast<TComponent*>(Node->Data) : nullptr;
}

}  // namespace

// ------------------------------------------------------------------ editor

std::string TRizaDizTableEditor::GetVerb(int Index) {
  if (Index == 0) return "Edit table";
  auto Old = MakeOldEditor(Component(), Designer());
  return Old && Index - 1 < Old->GetVerbCount() ? Old->GetVerb(Index - 1) : std::string();
}

void TRizaDizTableEditor::ExecuteVerb(int Index) {
  TTraceProc Trace("TRizaDizTableEditor.ExecuteVerb");
  if (Index == 0) {
    if (auto* D = dynamic_cast<TDataSet*>(Component())) ShowTableEditor(D);
    return;
  }
  auto Old = MakeOldEditor(Component(), Designer());
  if (Old && Index - 1 < Old->GetVerbCount()) Old->ExecuteVerb(Index - 1);
}

namespace VelmoricTableEditor {

void Register() {
  TTraceProc Trace("VelmoricTableEditor.Register");
  TTable Probe(nullptr);
  TComponentEditorClass Current = FindComponentEditorClass(&Probe);
  if (Current) {
    std::unique_ptr<TComponentEditor> E(Current(&Probe, nullptr));
    // Registered already: the previous editor stays the first one.
    if (dynamic_cast<TRizaDizTableEditor*>(E.get())) return;
  }
  OldEditor() = Current;
  if (!OldEditor()) TraceWrite("OldEditor = NIL");
  RegisterComponentEditor<TTable, TRizaDizTableEditor>("TTable");
}

const TComponentEditorClass& PreviousEditor() { return OldEditor(); }

}  // namespace VelmoricTableEditor

// ------------------------------------------------------------------ window

TFormVelmoricTableEditor::TFormVelmoricTableEditor(TComponent* AOwner, TDataSet* ADataSet)
    : TForm(AOwner), FDataSet(ADataSet), FWasActive(ADataSet && ADataSet->Active()) {
  TTraceProc Trace("TFormVelmoricTableEditor.Create");
  Caption = "Edit Table";
  SetBounds(Left(), Top(), 560, 420);
  auto* Self = this;

  PageControl1 = MakeControl<TPageControl>(this, this, "PageControl1", 0, 0, 560, 380);
  auto Page = [&](const char* Name, const char* Text) {
    auto* P = new TTabSheet(this);
    P->SetName(Name);
    P->Caption = Text;
    P->SetPageControl(PageControl1);
    return P;
  };
  TabSheetData = Page("TabSheetData", "Data");
  TabSheetFields = Page("TabSheetFields", "All fields");
  TabSheetConnections = Page("TabSheetConnections", "Connections");
  PageControl1->OnChange = [Self](TObject* S) { Self->PageControl1Change(S); };

  DataSource1 = new TDataSource(this);
  DataSource1->SetName("DataSource1");
  Table1 = new TTable(this);
  Table1->SetName("Table1");
  DataSource2 = new TDataSource(this);
  DataSource2->SetName("DataSource2");
  DataSource2->SetDataSet(Table1);
  DataSourceLink = new TDataSource(this);
  DataSourceLink->SetName("DataSourceLink");

  DBGrid1 = MakeControl<TDBGrid>(this, TabSheetData, "DBGrid1", 0, 0, 550, 350);
  DBGrid1->SetDataSource(DataSource1);
  DBGrid2 = MakeControl<TDBGrid>(this, TabSheetFields, "DBGrid2", 0, 0, 550, 350);
  DBGrid2->SetDataSource(DataSource2);
  TreeView1 = MakeControl<TTreeView>(this, TabSheetConnections, "TreeView1", 0, 0, 220, 350);
  TreeView1->ReadOnly = true;
  TreeView1->OnChange = [Self](TObject* S, TTreeNode* N) { Self->TreeView1Change(S, N); };
  DBGridLink = MakeControl<TDBGrid>(this, TabSheetConnections, "DBGridLink", 224, 0, 326, 350);
  DBGridLink->SetDataSource(DataSourceLink);

  ButtonOpen = MakeControl<TButton>(this, this, "ButtonOpen", 8, 388, 75, 25);
  ButtonOpen->Caption = "Open";
  ButtonOpen->OnClick = [Self](TObject* S) { Self->ButtonOpenClick(S); };

  OnShow = [Self](TObject* S) { Self->FormShow(S); };
  OnClose = [Self](TObject* S, TCloseAction& A) { Self->FormClose(S, A); };
  // A click on the window's free area frees it.
  OnClick = [Self](TObject*) { Self->Release(); };
  if (FDataSet) FreeNotification(FDataSet);
}

TFormVelmoricTableEditor::~TFormVelmoricTableEditor() {
  TTraceProc Trace("TFormVelmoricTableEditor.Destroy");
  BeginDestroy();
  // The tree's nodes point at data sets and fields of the designed form.
  TreeView1->Items()->Clear();
  DataSourceLink->SetDataSet(nullptr);
  DataSource1->SetDataSet(nullptr);
}

void TFormVelmoricTableEditor::Notification(TComponent* AComponent, TOperation Operation) {
  TForm::Notification(AComponent, Operation);
  if (Operation != opRemove || AComponent != FDataSet) return;
  // The edited data set went with its form: so does this window.
  FDataSet = nullptr;
  TreeView1->Items()->Clear();
  DataSourceLink->SetDataSet(nullptr);
  if (!Destroying()) Release();
}

void TFormVelmoricTableEditor::FormShow(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricTableEditor.FormShow");
  TraceWrite("TableEditor on show");
  ButtonOpen->Enabled = false;
  if (!FDataSet) return;
  DataSource1->SetDataSet(FDataSet);
  try {
    Table1->Close();
    auto* Table = dynamic_cast<TTable*>(FDataSet);
    if (Table) {
      Table1->DatabaseName = Table->DatabaseName;
      Table1->TableName = Table->TableName;
      Table1->Open();
    }
    FDataSet->Open();
    if (Table)
      Caption = "Database " + Table->DatabaseName + " " + Table->TableName + " (" + FDataSet->Name() + ")";
  } catch (const std::exception&) {
    Caption = FDataSet->Name();
  }
}

void TFormVelmoricTableEditor::FormClose(TObject* Sender, TCloseAction& Action) {
  TTraceProc Trace("TFormVelmoricTableEditor.FormClose");
  Action = caFree;
  DataSourceLink->SetDataSet(nullptr);
  if (FDataSet) Application->Guard([this] { FDataSet->SetActive(FWasActive); });
}

void TFormVelmoricTableEditor::PageControl1Change(TObject* Sender) {
  if (PageControl1->ActivePage() == TabSheetConnections) BuildConnections();
}

void TFormVelmoricTableEditor::BuildConnections() {
  if (FTreeBuilt || !FDataSet) return;
  TTraceProc Trace("TFormVelmoricTableEditor.BuildConnections");
  FTreeBuilt = true;
  TTreeNode* Root = TreeView1->Items()->AddObject(nullptr, FDataSet->Name(), NodeData(FDataSet));
  ConnectTable(FDataSet, Root, {});
}

void TFormVelmoricTableEditor::ConnectTable(TDataSet* DataSet, TTreeNode* Node,
                                            const std::vector<TDataSet*>& Visited) {
  TTraceProc Trace("TFormVelmoricTableEditor.ConnectTable");
  TTreeNodes* Items = TreeView1->Items();
  std::vector<TDataSet*> Way = Visited;
  if (std::find(Way.begin(), Way.end(), DataSet) != Way.end()) {
    Items->AddChildObject(Node, DataSet->Name() + " Circular connection", NodeData(DataSet));
    TraceWrite("Circular");
    return;
  }
  TraceWrite("connect to table " + DataSet->Name());
  TraceWrite("will add now");
  Way.push_back(DataSet);
  auto* Table = dynamic_cast<TTable*>(DataSet);
  if (Table) {
    const std::vector<TField*> Fields = DesignFields(*Table);
    TraceWrite("fieldcount = " + IntToStr(static_cast<int>(Fields.size())));
    TTreeNode* Connected = nullptr;
    for (TField* F : Fields) {
      TraceWrite(F->FieldName());
      if (!F->LookupDataSet) continue;
      if (!Connected) Connected = Items->AddChild(Node, "connected fields");
      TTreeNode* FieldNode = Items->AddChildObject(Connected, "Field " + F->FieldName(), NodeData(F));
      TTreeNode* Lookup = Items->AddChildObject(FieldNode, "Lookup data set" + F->LookupDataSet->Name(),
                                                NodeData(F->LookupDataSet));
      ConnectTable(F->LookupDataSet, Lookup, Way);
    }
  }
  if (TDataSource* Master = Table ? Table->MasterSource() : nullptr) {
    if (TDataSet* M = Master->DataSet()) {
      TTreeNode* MasterNode = Items->AddChildObject(Node, "MasterSource " + M->Name(), NodeData(M));
      ConnectTable(M, MasterNode, Way);
    } else {
      Items->AddChildObject(Node, "MasterSource " + Master->Name() + " (not data set)", NodeData(Master));
    }
  }
}

void TFormVelmoricTableEditor::TreeView1Change(TObject* Sender, TTreeNode* Node) {
  TComponent* C = ComponentOfNode(Node);
  TDataSet* D = dynamic_cast<TDataSet*>(C);
  if (auto* S = dynamic_cast<TDataSource*>(C)) D = S->DataSet();
  DataSourceLink->SetDataSet(D);
  ButtonOpen->Enabled = D != nullptr;
}

void TFormVelmoricTableEditor::ButtonOpenClick(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricTableEditor.ButtonOpenClick");
  if (TDataSet* D = DataSourceLink->DataSet()) ShowTableEditor(D);
}

TFormVelmoricTableEditor* ShowTableEditor(TDataSet* DataSet) {
  auto* Form = new TFormVelmoricTableEditor(Application, DataSet);
  std::string TableName;
  if (auto* T = dynamic_cast<TTable*>(DataSet)) TableName = T->TableName;
  Form->Caption = DataSet->Name() + " (" + TableName + ")";
  Form->Show();
  return Form;
}
