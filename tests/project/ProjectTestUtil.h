// Scratch folders and small file helpers for the project model's tests.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/rtl/SysUtils.h"

namespace projecttest {

// A fresh folder below the test temp dir, removed with everything in it.
class ScratchDir {
 public:
  ScratchDir() {
    std::string T = testing::TempDir() + "velmoric-project-XXXXXX";
    if (!::mkdtemp(T.data())) throw Exception("mkdtemp failed");
    Path = T;
  }
  ~ScratchDir() {
    std::error_code Ec;
    std::filesystem::remove_all(Path, Ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // Path of a file in the folder; with Text, the file is written first.
  std::string File(const std::string& Name) const { return Path + "/" + Name; }
  std::string Write(const std::string& Name, const std::string& Text) const {
    const std::string F = File(Name);
    std::filesystem::create_directories(std::filesystem::path(F).parent_path());
    WriteFileBytes(F, Text);
    return F;
  }

  std::string Path;
};

// Changes the current directory for a scope.
class CurrentDir {
 public:
  explicit CurrentDir(const std::string& Dir) : Old(std::filesystem::current_path()) {
    std::filesystem::current_path(Dir);
  }
  ~CurrentDir() { std::filesystem::current_path(Old); }

 private:
  std::filesystem::path Old;
};

}  // namespace projecttest
