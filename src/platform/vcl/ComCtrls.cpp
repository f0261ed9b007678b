#include "platform/vcl/ComCtrls.h"

#include <algorithm>

#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/ScriptHooks.h"

// ---------------------------------------------------------------- TTabSheet

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) { SetAlign(alClient); }

TTabSheet::~TTabSheet() {
  BeginDestroy();
  if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* Value) {
  if (Value == FPageControl) return;
  if (FPageControl) FPageControl->RemovePage(this);
  FPageControl = Value;
  TWinControl::SetParent(Value);
  if (Value) Value->InsertPage(this);
}

void TTabSheet::SetParent(TWinControl* AParent) {
  if (auto* Pages = dynamic_cast<TPageControl*>(AParent)) return SetPageControl(Pages);
  if (FPageControl) SetPageControl(nullptr);
  TWinControl::SetParent(AParent);
}

int TTabSheet::PageIndex() const {
  if (!FPageControl) return -1;
  auto& Pages = FPageControl->FPages;
  return static_cast<int>(std::find(Pages.begin(), Pages.end(), this) - Pages.begin());
}

void TTabSheet::SetPageIndex(int Value) {
  if (!FPageControl) return;
  auto& Pages = FPageControl->FPages;
  if (Value < 0 || Value >= static_cast<int>(Pages.size()))
    throw EListError(Format("List index out of bounds (%d)", Value));
  Pages.erase(Pages.begin() + PageIndex());
  Pages.insert(Pages.begin() + Value, this);
}

void TTabSheet::SetTabVisible(bool Value) {
  if (Value == FTabVisible) return;
  FTabVisible = Value;
  if (!FPageControl) return;
  if (!Value && FPageControl->ActivePage() == this) {
    TTabSheet* Next = nullptr;
    for (TTabSheet* P : FPageControl->FPages)
      if (P != this && P->FTabVisible) {
        Next = P;
        break;
      }
    FPageControl->SetActivePage(Next);
  } else if (Value && !FPageControl->ActivePage()) {
    FPageControl->SetActivePage(this);
  }
}

// ------------------------------------------------------------- TPageControl

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 289, 193);
  TabStop = true;
}

TPageControl::~TPageControl() {
  BeginDestroy();
  for (TTabSheet* P : FPages) P->FPageControl = nullptr;
  FPages.clear();
  FActivePage = nullptr;
}

TTabSheet* TPageControl::Pages(int Index) const {
  if (Index < 0 || Index >= PageCount()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FPages[Index];
}

void TPageControl::InsertPage(TTabSheet* Page) {
  FPages.push_back(Page);
  if (!FActivePage && Page->TabVisible()) {
    FActivePage = Page;
    Page->SetVisible(true);
  } else {
    Page->SetVisible(false);
  }
}

void TPageControl::RemovePage(TTabSheet* Page) {
  auto It = std::find(FPages.begin(), FPages.end(), Page);
  if (It == FPages.end()) return;
  const size_t Index = static_cast<size_t>(It - FPages.begin());
  FPages.erase(It);
  if (FActivePage != Page) return;
  FActivePage = nullptr;
  if (Destroying()) return;
  for (size_t I = 0; I < FPages.size(); ++I) {
    TTabSheet* Next = FPages[(Index + I) % FPages.size()];
    if (Next->TabVisible()) return SetActivePage(Next);
  }
}

void TPageControl::SetActivePage(TTabSheet* Page) {
  if (Page == FActivePage) return;
  if (Page && Page->PageControl() != this)
    throw EInvalidOperation("The tab sheet is not a page of this page control");
  TTabSheet* Old = FActivePage;
  FActivePage = Page;
  if (Page) Page->SetVisible(true);
  if (Old) Old->SetVisible(false);
}

int TPageControl::ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int Value) { SetActivePage(Value < 0 ? nullptr : Pages(Value)); }

void TPageControl::SelectPage(TTabSheet* Page) {
  if (!Enabled || Page == FActivePage || !Page || !Page->TabVisible()) return;
  bool Allow = true;
  if (OnChanging) OnChanging(this, Allow);
  if (!Allow) return;
  SetActivePage(Page);
  if (OnChange) OnChange(this);
}

void TPageControl::ScriptPrint(std::vector<std::string>& Lines) const {
  Lines.push_back(ScriptHeadLine(*this, std::nullopt));
  for (TTabSheet* P : FPages)
    if (P->TabVisible()) Lines.push_back(ScriptItemLine(P->Name() + " " + ScriptQuote(P->Caption), P == FActivePage));
}

bool TPageControl::ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) {
  if (Verb != "tab") return TWinControl::ScriptAction(Verb, Args);
  ScriptCheckArgs(Verb, Args, 1, 1);
  TTabSheet* Found = nullptr;
  for (TTabSheet* P : FPages)
    if (!Found && SameText(P->Name(), Args[0])) Found = P;
  for (TTabSheet* P : FPages)
    if (!Found && StripHotkey(P->Caption) == StripHotkey(Args[0])) Found = P;
  for (TTabSheet* P : FPages)
    if (!Found && SameText(StripHotkey(P->Caption), StripHotkey(Args[0]))) Found = P;
  if (!Found || !Found->TabVisible())
    throw EScriptError(Format("%s has no tab %s", ScriptName(*this), ScriptQuote(Args[0])));
  SelectPage(Found);
  return true;
}

// --------------------------------------------------------------- TStatusBar

TStatusBar::TStatusBar(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 185, 19);
  SetAlign(alBottom);
}

TStatusPanel& TStatusBar::Panels(int Index) {
  if (Index < 0 || Index >= PanelCount()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FPanels[Index];
}

const TStatusPanel& TStatusBar::Panels(int Index) const {
  return const_cast<TStatusBar*>(this)->Panels(Index);
}

TStatusPanel& TStatusBar::AddPanel() {
  FPanels.emplace_back();
  return FPanels.back();
}

void TStatusBar::ScriptPrint(std::vector<std::string>& Lines) const {
  if (SimplePanel || FPanels.empty()) {
    Lines.push_back(ScriptHeadLine(*this, SimpleText));
    return;
  }
  Lines.push_back(ScriptHeadLine(*this, std::nullopt));
  for (const TStatusPanel& P : FPanels) Lines.push_back(ScriptItemLine(P.Text, false));
}

// ---------------------------------------------------------------- TTreeNode

TTreeNode::~TTreeNode() {
  DeleteChildren();
  TTreeView* View = TreeView();
  if (View && !View->Destroying()) {
    if (View->FSelected == this) View->FSelected = nullptr;
    if (View->OnDeletion) View->OnDeletion(View, this);
  }
  auto& List = Siblings();
  List.erase(std::find(List.begin(), List.end(), this));
}

TTreeView* TTreeNode::TreeView() const { return FOwner->Owner(); }

std::vector<TTreeNode*>& TTreeNode::Siblings() const {
  return FParent ? FParent->FChildren : FOwner->FRoots;
}

int TTreeNode::Level() const {
  int L = 0;
  for (const TTreeNode* P = FParent; P; P = P->FParent) ++L;
  return L;
}

int TTreeNode::Index() const {
  const auto& List = Siblings();
  return static_cast<int>(std::find(List.begin(), List.end(), this) - List.begin());
}

TTreeNode* TTreeNode::Item(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FChildren[Index];
}

TTreeNode* TTreeNode::GetNextSibling() const {
  const auto& List = Siblings();
  const size_t I = static_cast<size_t>(Index()) + 1;
  return I < List.size() ? List[I] : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
  const int I = Index();
  return I > 0 ? Siblings()[I - 1] : nullptr;
}

void TTreeNode::SetExpanded(bool Value) {
  if (Value == FExpanded) return;
  TTreeView* View = TreeView();
  if (Value) {
    bool Allow = true;
    if (View && View->OnExpanding) View->OnExpanding(View, this, Allow);
    if (!Allow) return;
    if (FChildren.empty()) {
      FHasChildren = false;  // nothing came: the button goes
      return;
    }
    FExpanded = true;
    if (View && View->OnExpanded) View->OnExpanded(View, this);
    return;
  }
  bool Allow = true;
  if (View && View->OnCollapsing) View->OnCollapsing(View, this, Allow);
  if (!Allow) return;
  FExpanded = false;
  if (View && View->FSelected && View->FSelected != this) {
    for (TTreeNode* P = View->FSelected->FParent; P; P = P->FParent)
      if (P == this) {
        View->SetSelected(this);  // the selection may not hide
        break;
      }
  }
  if (View && View->OnCollapsed) View->OnCollapsed(View, this);
}

void TTreeNode::Expand(bool Recurse) {
  SetExpanded(true);
  if (Recurse)
    for (size_t I = 0; I < FChildren.size(); ++I) FChildren[I]->Expand(true);
}

void TTreeNode::Collapse(bool Recurse) {
  if (Recurse)
    for (TTreeNode* C : FChildren) C->Collapse(true);
  SetExpanded(false);
}

bool TTreeNode::IsVisible() const {
  for (const TTreeNode* P = FParent; P; P = P->FParent)
    if (!P->FExpanded) return false;
  return true;
}

bool TTreeNode::Selected() const { return TreeView() && TreeView()->Selected() == this; }

void TTreeNode::SetSelected(bool Value) {
  TTreeView* View = TreeView();
  if (!View) return;
  if (Value) View->SetSelected(this);
  else if (View->Selected() == this) View->SetSelected(nullptr);
}

void TTreeNode::DeleteChildren() {
  while (!FChildren.empty()) delete FChildren.back();
  FExpanded = false;
}

// --------------------------------------------------------------- TTreeNodes

TTreeNodes::~TTreeNodes() { Clear(); }

TTreeNode* TTreeNodes::Place(TTreeNode* Parent, int Index, const std::string& S, void* Data) {
  auto* Node = new TTreeNode(this, Parent);
  Node->Text = S;
  Node->Data = Data;
  auto& List = Parent ? Parent->FChildren : FRoots;
  List.insert(List.begin() + std::clamp(Index, 0, static_cast<int>(List.size())), Node);
  return Node;
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* Sibling, const std::string& S, void* Data) {
  TTreeNode* Parent = Sibling ? Sibling->Parent() : nullptr;
  return Place(Parent, Parent ? Parent->Count() : RootCount(), S, Data);
}

TTreeNode* TTreeNodes::AddFirst(TTreeNode* Sibling, const std::string& S) {
  return Place(Sibling ? Sibling->Parent() : nullptr, 0, S, nullptr);
}

TTreeNode* TTreeNodes::Insert(TTreeNode* Sibling, const std::string& S) {
  if (!Sibling) return Place(nullptr, RootCount(), S, nullptr);
  return Place(Sibling->Parent(), Sibling->Index(), S, nullptr);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* Parent, const std::string& S, void* Data) {
  return Place(Parent, Parent ? Parent->Count() : RootCount(), S, Data);
}

void TTreeNodes::Clear() {
  while (!FRoots.empty()) delete FRoots.back();
}

int TTreeNodes::Count() const {
  int N = 0;
  std::function<void(const std::vector<TTreeNode*>&)> Walk = [&](const std::vector<TTreeNode*>& List) {
    for (const TTreeNode* Node : List) {
      ++N;
      Walk(Node->FChildren);
    }
  };
  Walk(FRoots);
  return N;
}

TTreeNode* TTreeNodes::Item(int Index) const {
  int N = 0;
  TTreeNode* Found = nullptr;
  std::function<void(const std::vector<TTreeNode*>&)> Walk = [&](const std::vector<TTreeNode*>& List) {
    for (TTreeNode* Node : List) {
      if (Found) return;
      if (N++ == Index) Found = Node;
      Walk(Node->FChildren);
    }
  };
  if (Index >= 0) Walk(FRoots);
  if (!Found) throw EListError(Format("List index out of bounds (%d)", Index));
  return Found;
}

TTreeNode* TTreeNodes::Root(int Index) const {
  if (Index < 0 || Index >= RootCount()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FRoots[Index];
}

// ---------------------------------------------------------------- TTreeView

TTreeView::TTreeView(TComponent* AOwner)
    : TWinControl(AOwner), FItems(std::make_unique<TTreeNodes>(this)) {
  SetBounds(0, 0, 121, 97);
  TabStop = true;
}

TTreeView::~TTreeView() {
  BeginDestroy();
  FSelected = nullptr;
  FItems.reset();
}

void TTreeView::SetSelected(TTreeNode* Node) {
  if (Node == FSelected) return;
  bool Allow = true;
  if (OnChanging) OnChanging(this, Node, Allow);
  if (!Allow) return;
  FSelected = Node;
  if (OnChange) OnChange(this, Node);
}

TTreeNode* TTreeView::FindPath(const std::vector<std::string>& Texts) {
  TTreeNode* Node = nullptr;
  for (size_t I = 0; I < Texts.size(); ++I) {
    if (Node && !Node->Expanded()) Node->SetExpanded(true);
    const std::vector<TTreeNode*>& Level = Node ? Node->FChildren : FItems->FRoots;
    TTreeNode* Next = nullptr;
    for (TTreeNode* C : Level)
      if (!Next && C->Text == Texts[I]) Next = C;
    for (TTreeNode* C : Level)
      if (!Next && SameText(C->Text, Texts[I])) Next = C;
    if (!Next) return nullptr;
    Node = Next;
  }
  return Node;
}

void TTreeView::ScriptPrint(std::vector<std::string>& Lines) const {
  Lines.push_back(ScriptHeadLine(*this, std::nullopt));
  std::function<void(const std::vector<TTreeNode*>&, int)> Walk = [&](const std::vector<TTreeNode*>& List,
                                                                       int Depth) {
    for (const TTreeNode* Node : List) {
      const char* Mark = Node->Expanded() ? "[-] " : Node->HasChildren() ? "[+] " : "";
      Lines.push_back(ScriptItemLine(std::string(2 * Depth, ' ') + Mark + Node->Text, Node == FSelected));
      if (Node->Expanded()) Walk(Node->FChildren, Depth + 1);
    }
  };
  Walk(FItems->FRoots, 0);
}

namespace {
// "A > B > C" (one argument or several words) as its node texts.
std::vector<std::string> NodePath(const std::vector<std::string>& Args) {
  std::string All;
  for (const std::string& A : Args) All += (All.empty() ? "" : " ") + A;
  std::vector<std::string> Texts;
  size_t Start = 0;
  for (;;) {
    const size_t P = All.find(" > ", Start);
    Texts.push_back(All.substr(Start, P == std::string::npos ? std::string::npos : P - Start));
    if (P == std::string::npos) break;
    Start = P + 3;
  }
  return Texts;
}

std::string JoinPath(const std::vector<std::string>& Texts) {
  std::string Result;
  for (const std::string& T : Texts) Result += (Result.empty() ? "" : " > ") + T;
  return Result;
}
}  // namespace

bool TTreeView::ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) {
  const bool WithPath = Verb == "expand" || Verb == "collapse" || Verb == "select" ||
                        (Verb == "dblclick" && !Args.empty());
  if (!WithPath) return TWinControl::ScriptAction(Verb, Args);
  if (Args.empty()) throw EScriptError(Verb + " needs a node path");
  std::vector<std::string> Path = NodePath(Args);
  TTreeNode* Node = FindPath(Path);
  if (!Node)
    throw EScriptError(Format("%s has no node %s", ScriptName(*this), ScriptQuote(JoinPath(Path))));
  if (Verb == "expand") Node->SetExpanded(true);
  else if (Verb == "collapse") Node->SetExpanded(false);
  else {
    SetSelected(Node);
    Click();
    if (Verb == "dblclick") DblClick();
  }
  return true;
}
