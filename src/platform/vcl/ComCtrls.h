// Page controls with tab sheets, status bars and tree views.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/StdCtrls.h"

class TPageControl;

// A page of a page control. Only the active page is visible; a page whose
// TabVisible is false shows no tab and cannot become active by the user.
class TTabSheet : public TWinControl {
 public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;
  std::string ClassName() const override { return "TTabSheet"; }

  TPageControl* PageControl() const { return FPageControl; }
  // Also makes the page control the parent.
  void SetPageControl(TPageControl* Value);
  void SetParent(TWinControl* AParent) override;
  int PageIndex() const;
  void SetPageIndex(int Value);
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool Value);

 private:
  friend class TPageControl;
  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
};

class TPageControl : public TWinControl {
 public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;
  std::string ClassName() const override { return "TPageControl"; }

  int PageCount() const { return static_cast<int>(FPages.size()); }
  TTabSheet* Pages(int Index) const;  // EListError out of range
  TTabSheet* ActivePage() const { return FActivePage; }
  // From code: no events, as in the library.
  void SetActivePage(TTabSheet* Page);
  int ActivePageIndex() const;
  void SetActivePageIndex(int Value);  // -1 for none
  // The user picks the page's tab: OnChanging may refuse, then the page
  // becomes active and OnChange fires.
  void SelectPage(TTabSheet* Page);

  // Script hooks: the visible tabs as items, the active page marked;
  // "tab NAME" (a page's component name or caption).
  void ScriptPrint(std::vector<std::string>& Lines) const override;
  bool ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) override;

  TTabChangingEvent OnChanging;
  TNotifyEvent OnChange;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
};

// ---------------------------------------------------------------- status bar

struct TStatusPanel {
  std::string Text;
  int Width = 50;
};

class TStatusBar : public TWinControl {
 public:
  explicit TStatusBar(TComponent* AOwner);
  std::string ClassName() const override { return "TStatusBar"; }
  int PanelCount() const { return static_cast<int>(FPanels.size()); }
  TStatusPanel& Panels(int Index);  // EListError out of range
  const TStatusPanel& Panels(int Index) const;
  TStatusPanel& AddPanel();
  void ClearPanels() { FPanels.clear(); }

  // Script hooks: the simple text in the head line, or the panels' texts.
  void ScriptPrint(std::vector<std::string>& Lines) const override;

  bool SimplePanel = false;
  std::string SimpleText;

 private:
  std::vector<TStatusPanel> FPanels;
};

// ----------------------------------------------------------------- tree view

class TTreeView;
class TTreeNodes;

class TTreeNode : public TObject {
 public:
  ~TTreeNode() override;
  TTreeNode(const TTreeNode&) = delete;
  TTreeNode& operator=(const TTreeNode&) = delete;

  TTreeNodes* Owner() const { return FOwner; }
  TTreeView* TreeView() const;
  TTreeNode* Parent() const { return FParent; }
  int Level() const;
  int Index() const;  // among its siblings
  int Count() const { return static_cast<int>(FChildren.size()); }
  TTreeNode* Item(int Index) const;  // EListError out of range
  TTreeNode* GetFirstChild() const { return FChildren.empty() ? nullptr : FChildren.front(); }
  TTreeNode* GetNextSibling() const;
  TTreeNode* GetPrevSibling() const;
  // True when it has children or was told it has (children added when it
  // is expanded).
  bool HasChildren() const { return FHasChildren || !FChildren.empty(); }
  void SetHasChildren(bool Value) { FHasChildren = Value; }

  bool Expanded() const { return FExpanded; }
  // Expanding asks OnExpanding (which may add the children) and opens the
  // node when it has children then; collapsing asks OnCollapsing.
  void SetExpanded(bool Value);
  void Expand(bool Recurse);
  void Collapse(bool Recurse);
  // Whether the node shows: all its ancestors are expanded.
  bool IsVisible() const;

  bool Selected() const;
  void SetSelected(bool Value);
  // Frees the node and its children (OnDeletion for each).
  void Delete() { delete this; }
  void DeleteChildren();

  std::string Text;
  void* Data = nullptr;
  int ImageIndex = -1;
  int SelectedIndex = -1;

 private:
  friend class TTreeNodes;
  friend class TTreeView;
  TTreeNode(TTreeNodes* AOwner, TTreeNode* AParent) : FOwner(AOwner), FParent(AParent) {}
  std::vector<TTreeNode*>& Siblings() const;
  TTreeNodes* FOwner;
  TTreeNode* FParent;
  std::vector<TTreeNode*> FChildren;
  bool FExpanded = false;
  bool FHasChildren = false;
};

class TTreeNodes : public TObject {
 public:
  explicit TTreeNodes(TTreeView* AOwner) : FOwner(AOwner) {}
  ~TTreeNodes() override;
  TTreeView* Owner() const { return FOwner; }

  // A new last sibling of Sibling (a root when Sibling is nil).
  TTreeNode* Add(TTreeNode* Sibling, const std::string& S) { return AddObject(Sibling, S, nullptr); }
  TTreeNode* AddObject(TTreeNode* Sibling, const std::string& S, void* Data);
  // A new first sibling of Sibling.
  TTreeNode* AddFirst(TTreeNode* Sibling, const std::string& S);
  // A new node right before Sibling (the last root when nil).
  TTreeNode* Insert(TTreeNode* Sibling, const std::string& S);
  // A new last child of Parent (a root when Parent is nil).
  TTreeNode* AddChild(TTreeNode* Parent, const std::string& S) { return AddChildObject(Parent, S, nullptr); }
  TTreeNode* AddChildObject(TTreeNode* Parent, const std::string& S, void* Data);
  void Delete(TTreeNode* Node) { delete Node; }
  void Clear();

  // Every node, depth first.
  int Count() const;
  TTreeNode* Item(int Index) const;  // EListError out of range
  TTreeNode* GetFirstNode() const { return FRoots.empty() ? nullptr : FRoots.front(); }
  int RootCount() const { return static_cast<int>(FRoots.size()); }
  TTreeNode* Root(int Index) const;  // EListError out of range
  void BeginUpdate() {}
  void EndUpdate() {}

 private:
  friend class TTreeNode;
  friend class TTreeView;
  TTreeNode* Place(TTreeNode* Parent, int Index, const std::string& S, void* Data);
  TTreeView* FOwner;
  std::vector<TTreeNode*> FRoots;
};

using TTVChangingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVExpandingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowExpansion)>;
using TTVCollapsingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowCollapse)>;
using TTVExpandedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;

class TTreeView : public TWinControl {
 public:
  explicit TTreeView(TComponent* AOwner);
  ~TTreeView() override;
  std::string ClassName() const override { return "TTreeView"; }

  TTreeNodes* Items() const { return FItems.get(); }
  TTreeNode* Selected() const { return FSelected; }
  // OnChanging may refuse; then OnChange.
  void SetSelected(TTreeNode* Node);
  // The node found by its texts from a root down (case ignored when no exact
  // match), expanding the nodes on the way as a user would; nullptr when
  // one of them is not there.
  TTreeNode* FindPath(const std::vector<std::string>& Texts);

  // Script hooks: the visible tree indented, "[+]" and "[-]" on nodes with
  // children, the selected node marked; "expand PATH", "collapse PATH",
  // "select PATH", "dblclick [PATH]" with PATH the texts joined by " > ".
  void ScriptPrint(std::vector<std::string>& Lines) const override;
  bool ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) override;

  bool ReadOnly = false;
  bool ShowRoot = true;
  bool HideSelection = true;
  TTVChangingEvent OnChanging;
  TTVChangedEvent OnChange;
  TTVExpandingEvent OnExpanding;
  TTVExpandedEvent OnExpanded;
  TTVCollapsingEvent OnCollapsing;
  TTVExpandedEvent OnCollapsed;
  TTVExpandedEvent OnDeletion;

 private:
  friend class TTreeNode;
  std::unique_ptr<TTreeNodes> FItems;
  TTreeNode* FSelected = nullptr;
};
