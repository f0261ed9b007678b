// The settings file as any file may hold it: a damaged file raises
// ERegistryException, names itself and is left as it was; a readable one
// gives keys and values that every read agrees on, and a change written back
// keeps every other key and value as it was.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>

#include "FuzzSupport.h"
#include "platform/registry/Registry.h"
#include "platform/rtl/SysUtils.h"

namespace {

struct TValue {
  TRegDataType Type = rdUnknown;
  std::string Str;
  int Int = 0;
  bool operator==(const TValue&) const = default;
};

// Key path (as listed) -> value name -> value.
using TDump = std::map<std::string, std::map<std::string, TValue>>;

std::string ReadAll(const std::string& Name) {
  std::ifstream In(Name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(In), {});
}

void WriteAll(const std::string& Name, std::string_view Bytes) {
  std::ofstream Out(Name, std::ios::binary | std::ios::trunc);
  Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
  FUZZ_CHECK(Out.good(), "cannot write " + Name);
}

void DumpKey(const std::string& Path, TDump& Dump, int& Budget) {
  if (--Budget < 0) return;
  TRegistry R;
  FUZZ_CHECK(R.OpenKeyReadOnly("\\" + Path), "listed key [" + Path + "] does not open");
  if (Path.find('\\') == std::string::npos)
    FUZZ_CHECK(R.KeyExists("\\" + Path), "listed key [" + Path + "] does not exist");
  auto& Values = Dump[Path];
  TStringList Names;
  R.GetValueNames(Names);
  for (int I = 0; I < Names.Count(); ++I) {
    const std::string Name = Names[I];
    TValue V;
    V.Type = R.GetDataType(Name);
    if (V.Type == rdInteger) {
      V.Int = R.ReadInteger(Name);
    } else {
      FUZZ_CHECK(V.Type == rdString, "value \"" + Name + "\" of an unknown type");
      V.Str = R.ReadString(Name);
    }
    // Names compare without regard to case: the first of equal names answers.
    Values.emplace(Name, V);
  }
  TStringList Keys;
  R.GetKeyNames(Keys);
  for (int I = 0; I < Keys.Count(); ++I) DumpKey(Path.empty() ? Keys[I] : Path + "\\" + Keys[I], Dump, Budget);
}

TDump Dump() {
  TDump D;
  int Budget = 100;
  DumpKey("", D, Budget);
  return D;
}

}  // namespace

void FuzzRegistry(const uint8_t* Data, size_t Size) {
  const std::string File = FuzzScratchDir() + "registry";
  ::setenv("VELMORIC_REGISTRY", File.c_str(), 1);
  const std::string_view Text = AsText(Data, Size);
  WriteAll(File, Text);

  TDump Before;
  try {
    Before = Dump();
  } catch (const ERegistryException& E) {
    FUZZ_CHECK(E.Message().find(File) != std::string::npos, "the error does not name the file: " + E.Message());
    // A change must not overwrite a damaged file.
    TRegistry R;
    try {
      R.OpenKey("\\Fuzz", true);
    } catch (const ERegistryException&) {
    }
    FUZZ_CHECK(ReadAll(File) == Text, "a damaged settings file was changed");
    return;
  }

  // A change: a new key with a value of each type; everything else stays.
  std::string Fresh = "FuzzFresh";
  auto Taken = [&] {
    for (const auto& [Path, Values] : Before)
      if (SameText(Path, Fresh)) return true;
    return false;
  };
  while (Taken()) Fresh += "x";
  {
    TRegistry R;
    FUZZ_CHECK(R.OpenKey("\\" + Fresh, true), "a new key does not open");
    R.WriteString("S", std::string("a\"b\\c\n\x01\xff", 9));
    R.WriteInteger("I", -2147483647 - 1);
  }
  {
    TRegistry R;
    FUZZ_CHECK(R.OpenKeyReadOnly("\\" + Fresh), "the new key does not open");
    FUZZ_CHECK(R.ReadString("S") == std::string("a\"b\\c\n\x01\xff", 9), "the new string value");
    FUZZ_CHECK(R.ReadInteger("I") == -2147483647 - 1, "the new integer value");
  }
  // The new key comes last, so a dump cut short by its budget leaves it out.
  TDump After = Dump();
  After.erase(Fresh);
  FUZZ_CHECK(After == Before, "a change lost or altered other keys or values");

  // Deleting it again leaves what was there.
  {
    TRegistry R;
    FUZZ_CHECK(R.DeleteKey("\\" + Fresh), "the new key cannot be deleted");
  }
  FUZZ_CHECK(Dump() == Before, "after deleting the new key the settings differ");
}
