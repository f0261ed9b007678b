// Points the project model's settings at a scratch folder for one test: a
// registry of its own, the folder as the only unit search path and as the
// data directory, an empty file repository; all as before afterwards.
#pragma once

#include <stdlib.h>

#include <string>

#include "project/VelmoricFileRepository.h"
#include "project/VelmoricProjectSettings.h"

namespace support {

class TScratchSettings {
 public:
  // Folder: the scratch folder's path (without a final "/").
  explicit TScratchSettings(const std::string& Folder)
      : FQuick(gQuickRecompile), FUseDelphi(gUseDelphiPath), FAdditional(AdditionalSearchPath),
        FDataPath(VelmoricPath) {
    ::setenv("VELMORIC_REGISTRY", (Folder + "/registry").c_str(), 1);
    gUseDelphiPath = false;
    AdditionalSearchPath = Folder;
    VelmoricPath = Folder + "/";
    fileRepository->Clear();
  }
  ~TScratchSettings() {
    gQuickRecompile = FQuick;
    gUseDelphiPath = FUseDelphi;
    AdditionalSearchPath = FAdditional;
    VelmoricPath = FDataPath;
    fileRepository->Clear();
    ::unsetenv("VELMORIC_REGISTRY");
  }
  TScratchSettings(const TScratchSettings&) = delete;
  TScratchSettings& operator=(const TScratchSettings&) = delete;

 private:
  bool FQuick, FUseDelphi;
  std::string FAdditional, FDataPath;
};

}  // namespace support
