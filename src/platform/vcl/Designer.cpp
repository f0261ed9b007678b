#include "platform/vcl/Designer.h"

#include <memory>

namespace {

std::vector<TComponentEditorEntry>& Entries() {
  static std::vector<TComponentEditorEntry> List;
  return List;
}

}  // namespace

void TComponentEditor::Edit() {
  if (GetVerbCount() > 0) ExecuteVerb(0);
}

void RegisterComponentEditor(TComponentEditorEntry Entry) { Entries().push_back(std::move(Entry)); }

void ClearComponentEditors() { Entries().clear(); }

TComponentEditorClass FindComponentEditorClass(const TComponent* Component) {
  const TComponentEditorEntry* Best = nullptr;
  for (const TComponentEditorEntry& E : Entries()) {
    if (!Component || !E.Matches(Component)) continue;
    // The nearer class wins; for the same class the later registration.
    if (!Best || Best->Catches(E.Throw)) Best = &E;
  }
  return Best ? Best->Make : TComponentEditorClass();
}

TComponentEditor* GetComponentEditor(TComponent* Component, TFormDesigner* Designer) {
  if (TComponentEditorClass Make = FindComponentEditorClass(Component)) return Make(Component, Designer);
  return new TDefaultEditor(Component, Designer);
}

std::vector<std::string> TFormDesigner::Verbs(TComponent* Component) {
  std::unique_ptr<TComponentEditor> Editor(GetComponentEditor(Component, this));
  std::vector<std::string> Result;
  for (int I = 0; I < Editor->GetVerbCount(); ++I) Result.push_back(Editor->GetVerb(I));
  return Result;
}

bool TFormDesigner::ExecuteVerb(TComponent* Component, int Index) {
  std::unique_ptr<TComponentEditor> Editor(GetComponentEditor(Component, this));
  if (Index < 0 || Index >= Editor->GetVerbCount()) return false;
  Editor->ExecuteVerb(Index);
  return true;
}
