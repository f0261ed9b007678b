// Scratch folders and small file helpers for the project model's tests.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "../support/ScratchDir.h"
#include "platform/rtl/SysUtils.h"

namespace projecttest {

// A fresh folder below the test temp dir, removed with everything in it.
class ScratchDir : public TScratchDir {
 public:
  ScratchDir() : TScratchDir("velmoric-project") {}
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
