// Scratch projects for the navigation tests: a folder of units, the
// settings the project model reads pointed at it, and lines found by text.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/rtl/SysUtils.h"
#include "project/VelmoricFileRepository.h"
#include "project/VelmoricPascalProject.h"

namespace navtest {

// A fresh folder below the test temp dir, removed with everything in it.
class ScratchDir {
 public:
  ScratchDir() {
    std::string T = testing::TempDir() + "velmoric-nav-XXXXXX";
    if (!::mkdtemp(T.data())) throw Exception("mkdtemp failed");
    Path = T;
  }
  ~ScratchDir() {
    std::error_code Ec;
    std::filesystem::remove_all(Path, Ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string File(const std::string& Name) const { return Path + "/" + Name; }
  std::string Write(const std::string& Name, const std::string& Text) const {
    const std::string F = File(Name);
    std::filesystem::create_directories(std::filesystem::path(F).parent_path());
    WriteFileBytes(F, Text);
    return F;
  }

  std::string Path;
};

// Points the registry and the unit search at a scratch folder for one test,
// and puts the global settings back afterwards.
class ScratchSettings {
 public:
  explicit ScratchSettings(const ScratchDir& Dir)
      : FQuick(gQuickRecompile), FUseDelphi(gUseDelphiPath), FAdditional(AdditionalSearchPath),
        FDataPath(VelmoricPath) {
    ::setenv("VELMORIC_REGISTRY", Dir.File("registry").c_str(), 1);
    gUseDelphiPath = false;
    AdditionalSearchPath = Dir.Path;
    VelmoricPath = Dir.Path + "/";
    fileRepository->Clear();
  }
  ~ScratchSettings() {
    gQuickRecompile = FQuick;
    gUseDelphiPath = FUseDelphi;
    AdditionalSearchPath = FAdditional;
    VelmoricPath = FDataPath;
    fileRepository->Clear();
    ::unsetenv("VELMORIC_REGISTRY");
  }
  ScratchSettings(const ScratchSettings&) = delete;
  ScratchSettings& operator=(const ScratchSettings&) = delete;

 private:
  bool FQuick, FUseDelphi;
  std::string FAdditional, FDataPath;
};

// 1-based line of the first line of Text holding Needle (at or after the
// 1-based line From); 0 when there is none.
inline int LineOf(std::string_view Text, std::string_view Needle, int From = 1) {
  int Line = 1;
  size_t Start = 0;
  for (;;) {
    size_t End = Text.find('\n', Start);
    if (End == std::string_view::npos) End = Text.size();
    if (Line >= From && Text.substr(Start, End - Start).find(Needle) != std::string_view::npos)
      return Line;
    if (End == Text.size()) return 0;
    Start = End + 1;
    ++Line;
  }
}

// 1-based column of Needle in the 1-based line Line of Text.
inline int ColOf(std::string_view Text, int Line, std::string_view Needle) {
  size_t Start = 0;
  for (int I = 1; I < Line; ++I) Start = Text.find('\n', Start) + 1;
  const size_t End = Text.find('\n', Start);
  const std::string_view L = Text.substr(Start, End == std::string_view::npos ? End : End - Start);
  const size_t At = L.find(Needle);
  return At == std::string_view::npos ? 0 : static_cast<int>(At) + 1;
}

}  // namespace navtest
