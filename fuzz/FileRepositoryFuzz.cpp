// "filerep.dat" as any file may hold it: every line becomes an entry under
// its key, a look-up by key answers with the first entry of that key, and
// writing and reading back gives the same paths in the same order.
#include <fstream>
#include <map>

#include "FuzzSupport.h"
#include "platform/rtl/SysUtils.h"
#include "project/VelmoricFileRepository.h"
#include "project/VelmoricProjectSettings.h"

namespace {

std::vector<std::string> Paths(const TFileRepository& R) {
  std::vector<std::string> Result;
  for (int I = 0; I < R.list.Count(); ++I)
    Result.push_back(static_cast<TFileRepositoryItem*>(R.list.GetObjects(I))->FullName);
  return Result;
}

void WriteFile(const std::string& Name, std::string_view Bytes) {
  std::ofstream Out(Name, std::ios::binary | std::ios::trunc);
  Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
  FUZZ_CHECK(Out.good(), "cannot write " + Name);
}

}  // namespace

void FuzzFileRepository(const uint8_t* Data, size_t Size) {
  VelmoricPath = FuzzScratchDir();
  const std::string Text(AsText(Data, Size));
  WriteFile(TFileRepository::FileName(), Text);

  TFileRepository R;
  R.ReadFromFile();
  const std::vector<std::string> Read = Paths(R);
  for (const std::string& P : Read)
    FUZZ_CHECK(P.find_first_of("\r\n") == std::string::npos, "a path holds a line end");
  // Every line of the file is one entry: the file's line ends, less one
  // for a last line without one.
  size_t Breaks = 0;
  for (size_t I = 0; I < Text.size(); ++I)
    if (Text[I] == '\n' || (Text[I] == '\r' && (I + 1 == Text.size() || Text[I + 1] != '\n'))) ++Breaks;
  const bool Unended = !Text.empty() && Text.back() != '\n' && Text.back() != '\r';
  FUZZ_CHECK(Read.size() == Breaks + (Unended ? 1 : 0), "entries " + std::to_string(Read.size()) +
                                                            " for " + std::to_string(Breaks) + " line ends");

  std::map<std::string, std::string> First;
  for (int I = 0; I < R.list.Count(); ++I) {
    FUZZ_CHECK(R.list.Get(I) == TFileRepository::KeyOf(Read[I]), "entry key of " + Read[I]);
    First.emplace(R.list.Get(I), Read[I]);
  }
  for (const auto& [Key, Path] : First) {
    std::string Name = "C:\\Other\\" + Key + ".PAS";
    FUZZ_CHECK(R.FindFile(Name), "key '" + Key + "' not found");
    FUZZ_CHECK(Name == Path, "key '" + Key + "' found " + Name + ", not the first entry " + Path);
  }

  R.WriteToFile();
  TFileRepository Again;
  Again.ReadFromFile();
  FUZZ_CHECK(Paths(Again) == Read, "written and read back, the paths differ");

  // Adding what is known keeps the first location; a new name is appended.
  if (!Read.empty()) {
    std::string Known = "/elsewhere/" + Read[0];
    Again.Add(Known);
  }
  std::string Fresh = "/fuzz/zz_fresh_unit.pas";
  const bool Had = Again.list.IndexOf("zz_fresh_unit") >= 0;
  Again.Add(Fresh);
  FUZZ_CHECK(Again.list.Count() == static_cast<int>(Read.size()) + (Had ? 0 : 1), "Add changed the entries");
}
