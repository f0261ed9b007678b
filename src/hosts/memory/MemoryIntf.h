// The in-process IDE's implementations of the Open Tools interfaces.
// Each interface object keeps what it works on alive, so that one released
// late (after its file closed or its menu item went) stays harmless.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "hosts/memory/EditBuffer.h"
#include "platform/opentools/ToolIntf.h"

// One item of the main menu. The root is the menu bar itself.
struct TMenuNode : std::enable_shared_from_this<TMenuNode> {
  std::string Name;
  std::string Caption;
  std::string Hint;
  TShortCut ShortCut = 0;
  int Context = 0;
  int GroupIndex = 0;
  TIMenuFlags Flags = mfsEnabledVisible;
  TIMenuClickEvent OnClick;
  std::function<void()> Action;  // the IDE's own command, if any
  TMenuNode* Parent = nullptr;
  std::vector<std::shared_ptr<TMenuNode>> Items;
  bool IsRoot = false;
  bool Destroyed = false;

  int Index() const;
  // Takes the item and its sub-items out of the menu for good.
  void Destroy();
  // The item of that name in this sub-tree (case ignored), or nullptr.
  std::shared_ptr<TMenuNode> Find(const std::string& AName);
  std::shared_ptr<TMenuNode> FindShortCut(TShortCut Key);
};

class TMemoryMenuItem : public TIMenuItemIntf {
 public:
  // With Owns, releasing this interface destroys the item.
  TMemoryMenuItem(std::shared_ptr<TMenuNode> Node, bool Owns, TMenuNode* Root)
      : FNode(std::move(Node)), FOwns(Owns), FRoot(Root) {}
  ~TMemoryMenuItem() override;

  bool DestroyMenuItem() override;
  int GetIndex() override;
  int GetItemCount() override;
  TIMenuItemIntf* GetItem(int Index) override;
  std::string GetName() override { return FNode->Name; }
  TIMenuItemIntf* GetParent() override;
  std::string GetCaption() override { return FNode->Caption; }
  bool SetCaption(const std::string& Caption) override;
  TShortCut GetShortCut() override { return FNode->ShortCut; }
  bool SetShortCut(TShortCut ShortCut) override;
  TIMenuFlags GetFlags() override { return FNode->Flags; }
  bool SetFlags(TIMenuFlags Mask, TIMenuFlags Flags) override;
  int GetGroupIndex() override { return FNode->GroupIndex; }
  bool SetGroupIndex(int GroupIndex) override;
  std::string GetHint() override { return FNode->Hint; }
  bool SetHint(const std::string& Hint) override;
  int GetContext() override { return FNode->Context; }
  bool SetContext(int Context) override;
  TIMenuClickEvent GetOnClick() override { return FNode->OnClick; }
  bool SetOnClick(TIMenuClickEvent Click) override;
  TIMenuItemIntf* InsertItem(int Index, const std::string& Caption, const std::string& Name,
                             const std::string& Hint, TShortCut ShortCut, int Context,
                             int GroupIndex, TIMenuFlags Flags,
                             TIMenuClickEvent EventHandler) override;

 private:
  std::shared_ptr<TMenuNode> FNode;
  bool FOwns;
  TMenuNode* FRoot;  // the menu bar, used only while FNode is in the menu
};

class TMemoryMainMenu : public TIMainMenuIntf {
 public:
  explicit TMemoryMainMenu(std::shared_ptr<TMenuNode> Root) : FRoot(std::move(Root)) {}
  TIMenuItemIntf* GetMenuItems() override;
  TIMenuItemIntf* FindMenuItem(const std::string& Name) override;

 private:
  std::shared_ptr<TMenuNode> FRoot;
};

class TMemoryModule : public TIModuleInterface {
 public:
  explicit TMemoryModule(TEditBufferPtr Buffer) : FBuffer(std::move(Buffer)) {}
  TIEditorInterface* GetEditorInterface() override;
  bool Close() override;
  bool Save(bool ForceSave) override;
  bool ShowSource() override;
  bool ShowForm() override { return false; }
  bool AddNotifier(TIModuleNotifier* AModuleNotifier) override;
  bool RemoveNotifier(TIModuleNotifier* AModuleNotifier) override;

 private:
  TEditBufferPtr FBuffer;
};

class TMemoryEditor : public TIEditorInterface {
 public:
  explicit TMemoryEditor(TEditBufferPtr Buffer) : FBuffer(std::move(Buffer)) {}
  std::string FileName() override { return FBuffer->FileName(); }
  int LinesInBuffer() override { return FBuffer->LineCount(); }
  bool BufferModified() override { return FBuffer->Modified; }
  bool MarkModified() override;
  int GetViewCount() override { return 1; }
  TIEditView* GetView(int Index) override;
  TIEditReader* CreateReader() override;
  TIEditWriter* CreateWriter() override;
  TIEditWriter* CreateUndoableWriter() override;

 private:
  TEditBufferPtr FBuffer;
};
