#include "hosts/memory/MemoryIntf.h"

#include <algorithm>

#include "hosts/memory/MemoryIDE.h"
#include "platform/rtl/SysUtils.h"

// --------------------------------------------------------------- TMenuNode

int TMenuNode::Index() const {
  if (!Parent) return -1;
  for (size_t I = 0; I < Parent->Items.size(); ++I)
    if (Parent->Items[I].get() == this) return static_cast<int>(I);
  return -1;
}

void TMenuNode::Destroy() {
  const auto Self = shared_from_this();  // the parent may hold the last reference
  if (Parent) {
    auto& Siblings = Parent->Items;
    Siblings.erase(std::find_if(Siblings.begin(), Siblings.end(),
                                [this](const auto& P) { return P.get() == this; }));
    Parent = nullptr;
  }
  Destroyed = true;
  for (auto& Item : Items) {
    Item->Parent = nullptr;
    Item->Destroy();
  }
  Items.clear();
  OnClick = nullptr;
  Action = nullptr;
}

std::shared_ptr<TMenuNode> TMenuNode::Find(const std::string& AName) {
  for (auto& Item : Items) {
    if (SameText(Item->Name, AName)) return Item;
    if (auto Found = Item->Find(AName)) return Found;
  }
  return nullptr;
}

std::shared_ptr<TMenuNode> TMenuNode::FindShortCut(TShortCut Key) {
  for (auto& Item : Items) {
    if (Item->ShortCut == Key && (Item->Flags & MenuFlag(mfEnabled))) return Item;
    if (auto Found = Item->FindShortCut(Key)) return Found;
  }
  return nullptr;
}

// --------------------------------------------------------- TMemoryMenuItem

TMemoryMenuItem::~TMemoryMenuItem() {
  if (FOwns) FNode->Destroy();
}

bool TMemoryMenuItem::DestroyMenuItem() {
  if (FNode->Destroyed || FNode->IsRoot) return false;
  FNode->Destroy();
  return true;
}

int TMemoryMenuItem::GetIndex() { return FNode->Index(); }

int TMemoryMenuItem::GetItemCount() { return static_cast<int>(FNode->Items.size()); }

TIMenuItemIntf* TMemoryMenuItem::GetItem(int Index) {
  if (Index < 0 || Index >= GetItemCount()) return nullptr;
  return new TMemoryMenuItem(FNode->Items[Index], false, FRoot);
}

TIMenuItemIntf* TMemoryMenuItem::GetParent() {
  TMenuNode* P = FNode->Parent;
  return P ? new TMemoryMenuItem(P->shared_from_this(), false, FRoot) : nullptr;
}

bool TMemoryMenuItem::SetCaption(const std::string& Caption) {
  FNode->Caption = Caption;
  return !FNode->Destroyed;
}

bool TMemoryMenuItem::SetShortCut(TShortCut ShortCut) {
  FNode->ShortCut = ShortCut;
  return !FNode->Destroyed;
}

bool TMemoryMenuItem::SetFlags(TIMenuFlags Mask, TIMenuFlags Flags) {
  FNode->Flags = (FNode->Flags & ~Mask) | (Flags & Mask);
  return !FNode->Destroyed;
}

bool TMemoryMenuItem::SetGroupIndex(int GroupIndex) {
  FNode->GroupIndex = GroupIndex;
  return !FNode->Destroyed;
}

bool TMemoryMenuItem::SetHint(const std::string& Hint) {
  FNode->Hint = Hint;
  return !FNode->Destroyed;
}

bool TMemoryMenuItem::SetContext(int Context) {
  FNode->Context = Context;
  return !FNode->Destroyed;
}

bool TMemoryMenuItem::SetOnClick(TIMenuClickEvent Click) {
  if (FNode->Destroyed) return false;
  FNode->OnClick = std::move(Click);
  return true;
}

TIMenuItemIntf* TMemoryMenuItem::InsertItem(int Index, const std::string& Caption,
                                            const std::string& Name, const std::string& Hint,
                                            TShortCut ShortCut, int Context, int GroupIndex,
                                            TIMenuFlags Flags, TIMenuClickEvent EventHandler) {
  if (FNode->Destroyed) return nullptr;
  if (!Name.empty() && (SameText(FRoot->Name, Name) || FRoot->Find(Name)))
    throw Exception(Format("A component named %s already exists", Name));
  auto Node = std::make_shared<TMenuNode>();
  Node->Name = Name;
  Node->Caption = Caption;
  Node->Hint = Hint;
  Node->ShortCut = ShortCut;
  Node->Context = Context;
  Node->GroupIndex = GroupIndex;
  Node->Flags = Flags;
  Node->OnClick = std::move(EventHandler);
  Node->Parent = FNode.get();
  auto& Items = FNode->Items;
  Index = std::clamp(Index, 0, static_cast<int>(Items.size()));
  Items.insert(Items.begin() + Index, Node);
  return new TMemoryMenuItem(Node, true, FRoot);
}

// --------------------------------------------------------- TMemoryMainMenu

TIMenuItemIntf* TMemoryMainMenu::GetMenuItems() {
  return new TMemoryMenuItem(FRoot, false, FRoot.get());
}

TIMenuItemIntf* TMemoryMainMenu::FindMenuItem(const std::string& Name) {
  auto Node = FRoot->Find(Name);
  return Node ? new TMemoryMenuItem(Node, false, FRoot.get()) : nullptr;
}

// ------------------------------------------------------ readers and writers

namespace {

class TMemoryReader : public TIEditReader {
 public:
  explicit TMemoryReader(TEditBufferPtr Buffer) : FBuffer(std::move(Buffer)) {}
  int GetText(int Position, char* Buffer, int Count) override {
    const std::string& Text = FBuffer->Text();
    if (Position < 0 || Count <= 0 || Position >= FBuffer->Length()) return 0;
    const int N = std::min(Count, FBuffer->Length() - Position);
    std::copy_n(Text.data() + Position, N, Buffer);
    return N;
  }

 private:
  TEditBufferPtr FBuffer;
};

// Positions are offsets in the text as it was when the writer was created;
// FDelta is how far the edits made so far have moved the text behind them.
class TMemoryWriter : public TIEditWriter {
 public:
  TMemoryWriter(TEditBufferPtr Buffer, bool Undoable)
      : FBuffer(std::move(Buffer)), FUndoable(Undoable), FOriginalLength(FBuffer->Length()) {
    if (FBuffer->ActiveWriters > 0)
      throw Exception(Format("%s is being changed by another writer", FBuffer->FileName()));
    ++FBuffer->ActiveWriters;
  }

  ~TMemoryWriter() override {
    --FBuffer->ActiveWriters;
    if (FStep.empty()) return;
    if (FUndoable) FBuffer->PushUndo(std::move(FStep));
    else FBuffer->ClearUndo();
    if (FBuffer->IDE) FBuffer->IDE->BufferChanged(*FBuffer);
  }

  bool CopyTo(int Pos) override {
    FPos = Target(Pos);
    return true;
  }

  bool DeleteTo(int Pos) override {
    const int End = Target(Pos);
    if (End > FPos) {
      FStep.push_back(FBuffer->Replace(FPos + FDelta, End - FPos, ""));
      FDelta -= End - FPos;
    }
    FPos = End;
    return true;
  }

  bool Insert(const char* Text) override {
    const std::string_view S = Text ? Text : "";
    if (S.empty()) return true;
    FStep.push_back(FBuffer->Replace(FPos + FDelta, 0, S));
    FDelta += static_cast<int>(S.size());
    return true;
  }

  int Position() override { return FPos; }

  TCharPos GetCurrentPos() override { return FBuffer->PosToCharPos(FPos + FDelta); }

 private:
  // Pos clamped to the original text; a writer only moves forward.
  int Target(int Pos) {
    Pos = std::min(Pos, FOriginalLength);
    if (Pos < FPos)
      throw Exception(Format("Editor writer cannot move back from %d to %d in %s", FPos, Pos,
                             FBuffer->FileName()));
    return Pos;
  }

  TEditBufferPtr FBuffer;
  bool FUndoable;
  int FOriginalLength;
  int FPos = 0;
  int FDelta = 0;
  TUndoStep FStep;
};

class TMemoryView : public TIEditView {
 public:
  explicit TMemoryView(TEditBufferPtr Buffer) : FBuffer(std::move(Buffer)) {}

  TEditPos GetPos(int Index) override { return Index == 1 ? FBuffer->Top : FBuffer->Cursor; }

  void SetPos(int Index, TEditPos Value) override {
    Value = FBuffer->ClampEditPos(Value);
    if (Index == 1) FBuffer->Top = Value;
    else if (Index == 0) FBuffer->Cursor = Value;
  }

  TViewSize GetViewSize() override { return {80, 30}; }
  TCharPos PosToCharPos(int Pos) override { return FBuffer->PosToCharPos(Pos); }
  int CharPosToPos(TCharPos CharPos) override { return FBuffer->CharPosToPos(CharPos); }

  void ConvertPos(bool EdPosToCharPos, TEditPos& EditPos, TCharPos& CharPos) override {
    if (EdPosToCharPos) CharPos = FBuffer->EditPosToCharPos(EditPos);
    else EditPos = FBuffer->CharPosToEditPos(CharPos);
  }

 private:
  TEditBufferPtr FBuffer;
};

}  // namespace

// ------------------------------------------------------ modules and editors

TIEditorInterface* TMemoryModule::GetEditorInterface() {
  return FBuffer->Closed ? nullptr : new TMemoryEditor(FBuffer);
}

bool TMemoryModule::Close() {
  return !FBuffer->Closed && FBuffer->IDE && FBuffer->IDE->CloseFile(FBuffer->FileName());
}

bool TMemoryModule::Save(bool ForceSave) {
  if (FBuffer->Closed || !FBuffer->IDE) return false;
  if (!ForceSave && !FBuffer->Modified) return true;
  return FBuffer->IDE->SaveFile(FBuffer->FileName());
}

bool TMemoryModule::ShowSource() { return FBuffer->IDE && FBuffer->IDE->ShowBuffer(FBuffer); }

bool TMemoryModule::AddNotifier(TIModuleNotifier* AModuleNotifier) {
  auto& List = FBuffer->Notifiers;
  if (!AModuleNotifier) return false;
  if (std::find(List.begin(), List.end(), AModuleNotifier) == List.end())
    List.push_back(AModuleNotifier);
  return true;
}

bool TMemoryModule::RemoveNotifier(TIModuleNotifier* AModuleNotifier) {
  auto& List = FBuffer->Notifiers;
  auto It = std::find(List.begin(), List.end(), AModuleNotifier);
  if (It == List.end()) return false;
  List.erase(It);
  return true;
}

bool TMemoryEditor::MarkModified() {
  FBuffer->Modified = true;
  return true;
}

TIEditView* TMemoryEditor::GetView(int Index) {
  return Index == 0 && !FBuffer->Closed ? new TMemoryView(FBuffer) : nullptr;
}

TIEditReader* TMemoryEditor::CreateReader() { return new TMemoryReader(FBuffer); }

TIEditWriter* TMemoryEditor::CreateWriter() { return new TMemoryWriter(FBuffer, false); }

TIEditWriter* TMemoryEditor::CreateUndoableWriter() { return new TMemoryWriter(FBuffer, true); }
