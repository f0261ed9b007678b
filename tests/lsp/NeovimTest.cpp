// A real client: Neovim, headless, with the Lua configuration of
// tests/lsp/nvim starts `velmoric lsp` on a copy of examples/demo, goes to a
// definition, lists the document symbols, shows a hover and applies a code
// action; what it got must equal tests/lsp/nvim/expected.txt.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/rtl/SysUtils.h"

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& S) {
  std::string Q = "'";
  for (char C : S) Q += C == '\'' ? std::string("'\\''") : std::string(1, C);
  return Q + "'";
}

TEST(Neovim, GoesToADefinitionListsSymbolsShowsAHoverAndAppliesACodeAction) {
  if (std::system("command -v nvim >/dev/null 2>&1") != 0) GTEST_SKIP() << "nvim is not installed";
  std::string Templ = testing::TempDir() + "velmoric-nvim-XXXXXX";
  ASSERT_NE(::mkdtemp(Templ.data()), nullptr);
  const fs::path Dir = Templ;
  const fs::path Demo = Dir / "demo";
  fs::copy(fs::path(VELMORIC_SOURCE_DIR) / "examples" / "demo", Demo, fs::copy_options::recursive);
  fs::create_directories(Dir / "home");
  const std::string Out = (Dir / "out.txt").string();
  const std::string Home = (Dir / "home").string();
  const std::string Config = std::string(VELMORIC_SOURCE_DIR) + "/tests/lsp/nvim/velmoric.lua";
  // Bounded: the script gives each answer 20 s, timeout ends a hung editor.
  const std::string Command =
      "cd " + Quote(Dir.string()) + " && HOME=" + Quote(Home) + " XDG_CONFIG_HOME=" + Quote(Home) +
      " XDG_DATA_HOME=" + Quote(Home) + " XDG_STATE_HOME=" + Quote(Home) +
      " VELMORIC_DATA=" + Quote(Home) + " VELMORIC_REGISTRY=" + Quote(Home + "/registry") +
      " VELMORIC_NVIM_OUT=" + Quote(Out) + " VELMORIC_NVIM_ROOT=" + Quote(Demo.string()) +
      " VELMORIC_CLI=" + Quote(VELMORIC_CLI) + " timeout 120 nvim --headless -n -i NONE -u " +
      Quote(Config) + " >/dev/null 2>&1";
  const int Status = std::system(Command.c_str());
  EXPECT_EQ(Status, 0);
  ASSERT_TRUE(fs::exists(Out)) << "Neovim wrote nothing";
  const std::string Expected =
      ReadFileBytes(std::string(VELMORIC_SOURCE_DIR) + "/tests/lsp/nvim/expected.txt");
  EXPECT_EQ(ReadFileBytes(Out), Expected);
  std::error_code Ec;
  fs::remove_all(Dir, Ec);
}

}  // namespace
