// Lists whose indexed access is range-checked and whose errors name the list
// and its creator: "Index out of range (index=%d max = %d) in List %s %s".
#pragma once

#include <string>
#include <type_traits>

#include "platform/rtl/Classes.h"

class TComponent;  // the component library's component (platform/vcl)

namespace VelmoricSaveListDetail {
// The Name of a component, whether the library exposes it as a field or a method.
template <class TOwner>
std::string ComponentName(const TOwner* Owner) {
  if (!Owner) return std::string();
  if constexpr (requires { Owner->Name(); })
    return std::string(Owner->Name());
  else
    return std::string(Owner->Name);
}
}  // namespace VelmoricSaveListDetail

// A reference list with a diagnostic name.
class TSaveList : public TList {
 public:
  // CreateS: the creator given by name only.
  TSaveList(std::string AName, std::string ACreatorName);
  // Create: the creator is a component; its Name becomes CreatorName.
  template <class TOwner>
    requires std::is_base_of_v<TComponent, TOwner>
  TSaveList(std::string AName, TOwner* Owner)
      : TSaveList(std::move(AName), VelmoricSaveListDetail::ComponentName(Owner)) {
    Creator = Owner;
  }

  // Raises EListError when Index is not a valid position.
  void CheckRangeError(int Index) const;
  void* GetItems(int Index) const;
  void PutItems(int Index, void* Item);

  std::string Name;
  std::string CreatorName;
  TComponent* Creator = nullptr;  // not owned
};

// A string list with a diagnostic name. Sorting, duplicates, IndexOf, Find and
// the rest are the library's.
class TSaveStringList : public TStringList {
 public:
  // CreateS: the creator given by name only.
  TSaveStringList(std::string AName, std::string ACreatorName);
  // Create: the creator is a component; its Name becomes CreatorName.
  template <class TOwner>
    requires std::is_base_of_v<TComponent, TOwner>
  TSaveStringList(std::string AName, TOwner* Owner)
      : TSaveStringList(std::move(AName), VelmoricSaveListDetail::ComponentName(Owner)) {
    Creator = Owner;
  }

  // Raises EStringListError when Index is not a valid position.
  void CheckRangeError(int Index) const;
  std::string GetItems(int Index) const;
  void PutItems(int Index, const std::string& S);
  TObject* GetObjects(int Index) const;
  void PutObjects(int Index, TObject* Obj);

  std::string Name;
  std::string CreatorName;
  TComponent* Creator = nullptr;  // not owned
};
