// TComponent: the root of the component library. A component has a name and
// an owner; the owner frees the components it owns when it is destroyed, and
// a component leaves its owner when it is destroyed first.
#pragma once

#include <string>
#include <vector>

#include "platform/rtl/Classes.h"

// Raised for a duplicate or invalid component name.
VELMORIC_DECLARE_EXCEPTION(EComponentError, Exception)

enum TOperation { opInsert, opRemove };

class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  // The class name as the library reports it ("TForm", "TEditWindow", ...).
  virtual std::string ClassName() const { return "TComponent"; }

  const std::string& Name() const { return FName; }
  // An empty name or an identifier (letters, digits, '_', not starting with a
  // digit) that no other component of the same owner carries (case ignored);
  // anything else raises EComponentError.
  virtual void SetName(const std::string& NewName);

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int Index) const;  // EListError when out of range
  int ComponentIndex() const;
  // The owned component of that name (case ignored), or nullptr.
  TComponent* FindComponent(const std::string& AName) const;

  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // Frees every owned component, last first.
  void DestroyComponents();

  // Asks for a Notification(AComponent, opRemove) when AComponent is
  // destroyed (and tells AComponent the same about this one).
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  bool Destroying() const { return FDestroying; }

  // Script hooks (see platform/vcl/ScriptHooks.h). ScriptPrint appends what
  // a user reads off the component: one head line, then detail lines
  // indented by two blanks; a component that shows nothing adds nothing.
  virtual void ScriptPrint(std::vector<std::string>& Lines) const {}
  // Does what a user does with the verb ("click", "select", ...) and its
  // arguments; false when the verb does not apply to this class. A verb that
  // applies but cannot be carried out raises EScriptError.
  virtual bool ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) {
    return false;
  }

  int Tag = 0;

 protected:
  // Called on the owner when a component is inserted or removed, and on
  // every component that asked for a free notification.
  virtual void Notification(TComponent* AComponent, TOperation Operation) {}
  // Set at the start of the most derived destructor so that handlers can
  // tell a dying component; the base destructor sets it too.
  void BeginDestroy() { FDestroying = true; }

 private:
  std::string FName;
  TComponent* FOwner = nullptr;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  bool FDestroying = false;
};

// Deletes the object and clears the reference, as the library's FreeAndNil.
template <typename T>
void FreeAndNil(T*& Obj) {
  T* Temp = Obj;
  Obj = nullptr;
  delete Temp;
}
