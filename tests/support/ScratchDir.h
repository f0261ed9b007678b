// A scratch folder per test, removed with its contents afterwards.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/rtl/SysUtils.h"

class TScratchDir {
 public:
  // The folder's name starts with Prefix, so that a test's leftovers tell whose they are.
  explicit TScratchDir(const std::string& Prefix = "velmoric-test") {
    std::string Templ = testing::TempDir() + Prefix + "-XXXXXX";
    if (!::mkdtemp(Templ.data())) throw Exception("mkdtemp failed for " + Templ);
    Path = Templ;
  }
  ~TScratchDir() {
    std::error_code Ec;
    std::filesystem::remove_all(Path, Ec);
  }
  TScratchDir(const TScratchDir&) = delete;
  TScratchDir& operator=(const TScratchDir&) = delete;

  // Writes a file below the folder, making its folders, and returns its full name.
  std::string Write(const std::string& Name, const std::string& Bytes) const {
    const std::string Full = File(Name);
    std::filesystem::create_directories(std::filesystem::path(Full).parent_path());
    WriteFileBytes(Full, Bytes);
    return Full;
  }
  std::string File(const std::string& Name) const { return Path + "/" + Name; }

  std::string Path;
};
