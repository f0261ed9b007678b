// The form designer's component editors: an editor class registered for a
// component class gives the verbs of the designer's context menu for
// components of that class and of classes derived from it; the editor
// registered for the nearest class wins, a later registration for the same
// class replaces an earlier one.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/vcl/Component.h"

// What a component editor knows of the designer it works for.
class TFormDesigner : public TObject {
 public:
  explicit TFormDesigner(TComponent* AForm = nullptr) : FForm(AForm) {}
  TComponent* Form() const { return FForm; }
  // Called by editors after they changed the form.
  void Modified() { ++FModifiedCount; }
  int ModifiedCount() const { return FModifiedCount; }

  // The designer's context menu for Component: its editor's verbs.
  std::vector<std::string> Verbs(TComponent* Component);
  // Executes verb Index of Component's editor; false when it has no such verb.
  bool ExecuteVerb(TComponent* Component, int Index);

 private:
  TComponent* FForm;
  int FModifiedCount = 0;
};

class TComponentEditor : public TObject {
 public:
  TComponentEditor(TComponent* AComponent, TFormDesigner* ADesigner)
      : FComponent(AComponent), FDesigner(ADesigner) {}
  virtual int GetVerbCount() { return 0; }
  virtual std::string GetVerb(int Index) { return {}; }
  virtual void ExecuteVerb(int Index) {}
  // A double click in the designer: the first verb, when there is one.
  virtual void Edit();

  TComponent* Component() const { return FComponent; }
  TFormDesigner* Designer() const { return FDesigner; }

 private:
  TComponent* FComponent;
  TFormDesigner* FDesigner;
};

// The editor of components without one of their own: no verbs.
class TDefaultEditor : public TComponentEditor {
 public:
  using TComponentEditor::TComponentEditor;
};

// Makes an editor for a component and a designer.
using TComponentEditorClass = std::function<TComponentEditor*(TComponent*, TFormDesigner*)>;

// One registration: how to recognise the component class and its
// ancestry, and how to make the editor.
struct TComponentEditorEntry {
  std::string ComponentClassName;
  bool (*Matches)(const TComponent* Component);
  // Whether the class of this entry inherits from (or is) the class of
  // Other: Other's catcher is handed this entry's thrower.
  void (*Throw)();
  bool (*Catches)(void (*Thrower)());
  TComponentEditorClass Make;
};

void RegisterComponentEditor(TComponentEditorEntry Entry);

// RegisterComponentEditor<TTable, TMyTableEditor>("TTable").
template <class TComp, class TEditor>
void RegisterComponentEditor(const std::string& ComponentClassName) {
  RegisterComponentEditor(TComponentEditorEntry{
      ComponentClassName,
      [](const TComponent* C) { return dynamic_cast<const TComp*>(C) != nullptr; },
      // Exception matching tests class derivation at run time.
      [] { throw static_cast<TComp*>(nullptr); },
      [](void (*Thrower)()) {
        try {
          Thrower();
        } catch (TComp*) {
          return true;
        } catch (...) {
        }
        return false;
      },
      [](TComponent* C, TFormDesigner* D) -> TComponentEditor* { return new TEditor(C, D); }});
}

// The editor registered for the nearest class of Component, or an empty
// function when none is.
TComponentEditorClass FindComponentEditorClass(const TComponent* Component);

// A new editor (owned by the caller) for Component: that of the nearest
// registered class, else a TDefaultEditor.
TComponentEditor* GetComponentEditor(TComponent* Component, TFormDesigner* Designer);

// Forgets every registration (tests; a package being unloaded).
void ClearComponentEditors();
