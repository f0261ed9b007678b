// A scratch folder of Pascal units compiled into a memory project, as the
// browsers' tests use it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "project/VelmoricPascalProject.h"

namespace support {

class TScratchFolder {
 public:
  TScratchFolder() {
    std::string T = testing::TempDir() + "velmoric-scratch-XXXXXX";
    if (!::mkdtemp(T.data())) std::abort();
    Path = T;
  }
  ~TScratchFolder() {
    std::error_code Ec;
    std::filesystem::remove_all(Path, Ec);
  }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  std::string Write(const std::string& Name, const std::string& Text) const {
    const std::string F = File(Name);
    std::filesystem::create_directories(std::filesystem::path(F).parent_path());
    WriteFileBytes(F, Text);
    return F;
  }
  std::string File(const std::string& Name) const { return Path + "/" + Name; }
  std::string Path;
};

// "unit Name; interface uses Uses; <Interface> implementation <Body> end."
inline std::string UnitText(const std::string& Name, const std::string& Uses,
                            const std::string& Interface = "", const std::string& Body = "") {
  return "unit " + Name + ";\ninterface\n" + (Uses.empty() ? "" : "uses " + Uses + ";\n") +
         Interface + "implementation\n" + Body + "end.\n";
}

// Compiles File (with the units it uses, found in its folder) into Memory,
// as the source explorer's compile button does. The file repository is
// emptied first: earlier tests' folders are gone.
inline void CompileInto(TPascalProject& Memory, const std::string& File) {
  fileRepository->Clear();
  const std::string Saved = AdditionalSearchPath;
  AdditionalSearchPath = ExtractFileDir(File);
  {
    TPascalProject Project;
    Project.FMemoryProject = &Memory;
    Project.Compile(File, {oCompileUnits, oCompileImplementation});
  }
  AdditionalSearchPath = Saved;
}

}  // namespace support
