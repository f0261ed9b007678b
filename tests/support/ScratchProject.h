// A scratch folder of Pascal units compiled into a memory project, as the
// browsers' tests use it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "ScratchDir.h"
#include "project/VelmoricPascalProject.h"

namespace support {

using TScratchFolder = ::TScratchDir;

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
