// TRegistry: keys and typed values under the current user, kept in one
// settings file per user: $VELMORIC_REGISTRY when set, else
// $XDG_CONFIG_HOME/velmoric/registry (default $HOME/.config/velmoric/registry).
//
// Every read looks at the file as it is now; every change locks the file
// (a ".lock" file beside it), reads it again, applies the change and
// replaces the file atomically, so that processes writing at once lose
// nothing. Key and value names are compared without regard to case. A
// damaged file raises ERegistryException naming the file and line, and is
// never overwritten.
#pragma once

#include <cstdint>
#include <string>

#include "platform/rtl/Classes.h"

VELMORIC_DECLARE_EXCEPTION(ERegistryException, Exception)

using HKEY = uint32_t;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

class TRegistry : public TObject {
 public:
  TRegistry() = default;

  // Only the current user's keys exist; other roots hold no keys.
  HKEY RootKey = HKEY_CURRENT_USER;
  // The open key's path without leading '\', empty when none is open.
  const std::string& CurrentPath() const { return FCurrentPath; }
  bool HasCurrentKey() const { return FOpen; }

  // Key names starting with '\' are absolute; others are relative to the
  // open key (or the root when none is open). With CanCreate the key and
  // its parents are created. True when the key is now open.
  bool OpenKey(const std::string& Key, bool CanCreate);
  bool OpenKeyReadOnly(const std::string& Key);
  void CloseKey();
  bool CreateKey(const std::string& Key);
  bool DeleteKey(const std::string& Key);  // with its sub-keys
  bool KeyExists(const std::string& Key);

  bool ValueExists(const std::string& Name);
  TRegDataType GetDataType(const std::string& Name);
  // A missing value reads as ""; a value of another type raises
  // "Invalid data type for '%s'".
  std::string ReadString(const std::string& Name);
  // A missing value raises "Failed to get data for '%s'", another type
  // "Invalid data type for '%s'".
  int ReadInteger(const std::string& Name);
  bool ReadBool(const std::string& Name) { return ReadInteger(Name) != 0; }
  // Without an open key, or with a read-only one, raise "Failed to set
  // data for '%s'".
  void WriteString(const std::string& Name, const std::string& Value);
  void WriteInteger(const std::string& Name, int Value);
  void WriteBool(const std::string& Name, bool Value) { WriteInteger(Name, Value ? 1 : 0); }
  bool DeleteValue(const std::string& Name);

  void GetValueNames(TStrings& Strings);
  void GetKeyNames(TStrings& Strings);
  bool HasSubKeys();

  // The settings file in use.
  static std::string FileName();

 private:
  bool Resolve(const std::string& Key, std::string& Path) const;
  std::string FCurrentPath;
  bool FOpen = false;
  bool FReadOnly = false;
};
