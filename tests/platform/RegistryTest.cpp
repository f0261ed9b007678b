// The registry layer: keys and values, their names without regard to case,
// values kept across processes, writers at once losing nothing, and a
// damaged settings file reported instead of emptied.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../support/FileSizeLimit.h"
#include "platform/registry/Registry.h"

namespace {

class RegistryTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string Templ = testing::TempDir() + "velmoric-registry-XXXXXX";
    ASSERT_NE(::mkdtemp(Templ.data()), nullptr);
    Dir = Templ;
    File = Dir + "/config/velmoric/registry";  // the folders do not exist yet
    ::setenv("VELMORIC_REGISTRY", File.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("VELMORIC_REGISTRY");
    std::error_code Ec;
    std::filesystem::remove_all(Dir, Ec);
  }

  // Runs Child in a new process and waits for it; true when it exited with 0.
  template <typename F>
  static pid_t Spawn(F Child) {
    const pid_t Pid = ::fork();
    if (Pid == 0) {
      int Code = 0;
      try {
        Child();
      } catch (...) {
        Code = 1;
      }
      ::_exit(Code);
    }
    return Pid;
  }
  static bool Wait(pid_t Pid) {
    int Status = 0;
    return ::waitpid(Pid, &Status, 0) == Pid && WIFEXITED(Status) && WEXITSTATUS(Status) == 0;
  }

  std::string Dir;
  std::string File;
};

TEST_F(RegistryTest, FileNameFollowsTheEnvironment) {
  EXPECT_EQ(TRegistry::FileName(), File);
  ::unsetenv("VELMORIC_REGISTRY");
  const char* OldXdg = std::getenv("XDG_CONFIG_HOME");
  const std::string Saved = OldXdg ? OldXdg : "";
  ::setenv("XDG_CONFIG_HOME", "/tmp/xdg", 1);
  EXPECT_EQ(TRegistry::FileName(), "/tmp/xdg/velmoric/registry");
  if (OldXdg) ::setenv("XDG_CONFIG_HOME", Saved.c_str(), 1);
  else ::unsetenv("XDG_CONFIG_HOME");
}

TEST_F(RegistryTest, KeysOpenWithOrWithoutCreating) {
  TRegistry Reg;
  EXPECT_FALSE(Reg.KeyExists("\\SOFTWARE\\HALVORN\\Velmoric\\Menus"));
  EXPECT_FALSE(Reg.OpenKey("\\Software\\HALVORN\\Velmoric", false));
  EXPECT_FALSE(Reg.HasCurrentKey());
  ASSERT_TRUE(Reg.OpenKey("\\Software\\HALVORN\\Velmoric", true));
  EXPECT_EQ(Reg.CurrentPath(), "Software\\HALVORN\\Velmoric");
  // Names are compared without regard to case; relative names go below the open key.
  EXPECT_TRUE(Reg.KeyExists("\\SOFTWARE\\halvorn\\VELMORIC"));
  ASSERT_TRUE(Reg.OpenKey("Menus", true));
  EXPECT_EQ(Reg.CurrentPath(), "Software\\HALVORN\\Velmoric\\Menus");
  EXPECT_TRUE(Reg.KeyExists("\\SOFTWARE\\HALVORN\\Velmoric\\Menus"));
  Reg.CloseKey();
  ASSERT_TRUE(Reg.OpenKey("Software\\Borland\\Delphi\\3.0\\Library", true));  // from the root
  TStringList Names;
  ASSERT_TRUE(Reg.OpenKey("\\Software", false));
  Reg.GetKeyNames(Names);
  EXPECT_EQ(Names.Count(), 2);
  EXPECT_EQ(Names[0], "HALVORN");
  EXPECT_EQ(Names[1], "Borland");
  EXPECT_TRUE(Reg.HasSubKeys());
  EXPECT_FALSE(Reg.OpenKey("\\bad\\\\name", true));
  EXPECT_THROW(Reg.CreateKey("\\a\\\\b"), ERegistryException);
}

TEST_F(RegistryTest, ValuesAreTypedAndNamedWithoutRegardToCase) {
  TRegistry Reg;
  ASSERT_TRUE(Reg.OpenKey("\\Software\\HALVORN\\Velmoric", true));
  Reg.WriteString("Path", "C:\\data\\ \"quoted\"\n\ttab");
  Reg.WriteInteger("QuickRecompile", 1);
  Reg.WriteInteger("Negative", -42);
  Reg.WriteBool("UseDelphiPath", false);
  EXPECT_TRUE(Reg.ValueExists("path"));
  EXPECT_EQ(Reg.ReadString("PATH"), "C:\\data\\ \"quoted\"\n\ttab");
  EXPECT_EQ(Reg.ReadInteger("quickrecompile"), 1);
  EXPECT_EQ(Reg.ReadInteger("Negative"), -42);
  EXPECT_FALSE(Reg.ReadBool("UseDelphiPath"));
  EXPECT_EQ(Reg.GetDataType("Path"), rdString);
  EXPECT_EQ(Reg.GetDataType("QuickRecompile"), rdInteger);
  EXPECT_EQ(Reg.GetDataType("nopanel"), rdUnknown);

  // A missing string reads as empty; a missing integer or a wrong type raises.
  EXPECT_EQ(Reg.ReadString("nopanel"), "");
  try {
    Reg.ReadInteger("nopanel");
    FAIL();
  } catch (const ERegistryException& E) {
    EXPECT_EQ(E.Message(), "Failed to get data for 'nopanel'");
  }
  EXPECT_THROW(Reg.ReadString("QuickRecompile"), ERegistryException);
  EXPECT_THROW(Reg.ReadInteger("Path"), ERegistryException);

  // Overwriting keeps one value, which may change its type.
  Reg.WriteString("QUICKRECOMPILE", "yes");
  TStringList Names;
  Reg.GetValueNames(Names);
  EXPECT_EQ(Names.Count(), 4);
  EXPECT_EQ(Reg.ReadString("QuickRecompile"), "yes");

  EXPECT_TRUE(Reg.DeleteValue("path"));
  EXPECT_FALSE(Reg.DeleteValue("path"));
  EXPECT_FALSE(Reg.ValueExists("Path"));

  Reg.CloseKey();
  try {
    Reg.WriteString("x", "y");
    FAIL();
  } catch (const ERegistryException& E) {
    EXPECT_EQ(E.Message(), "Failed to set data for 'x'");
  }
  ASSERT_TRUE(Reg.OpenKeyReadOnly("\\Software\\HALVORN\\Velmoric"));
  EXPECT_THROW(Reg.WriteInteger("x", 1), ERegistryException);
  EXPECT_EQ(Reg.ReadInteger("Negative"), -42);
}

TEST_F(RegistryTest, DeleteKeyTakesItsSubKeys) {
  TRegistry Reg;
  ASSERT_TRUE(Reg.OpenKey("\\Software\\HALVORN\\Velmoric\\Menus", true));
  Reg.WriteInteger("Symbol explorer...", 0x8053);
  EXPECT_TRUE(Reg.DeleteKey("\\software\\halvorn"));
  EXPECT_FALSE(Reg.KeyExists("\\Software\\HALVORN\\Velmoric\\Menus"));
  EXPECT_TRUE(Reg.KeyExists("\\Software"));
  EXPECT_FALSE(Reg.DeleteKey("\\Software\\HALVORN"));
  // The open key is gone: its values can't be written any more.
  EXPECT_FALSE(Reg.ValueExists("Symbol explorer..."));
  EXPECT_THROW(Reg.WriteInteger("x", 1), ERegistryException);
}

TEST_F(RegistryTest, ValuesSurviveAcrossProcesses) {
  const pid_t Child = Spawn([] {
    TRegistry Reg;
    if (!Reg.OpenKey("\\Software\\HALVORN\\Velmoric", true)) throw 1;
    Reg.WriteString("path", "/home/user/velmoric/");
    Reg.WriteInteger("QuickRecompile", 1);
  });
  ASSERT_TRUE(Wait(Child));
  TRegistry Reg;
  ASSERT_TRUE(Reg.OpenKey("\\Software\\HALVORN\\Velmoric", false));
  EXPECT_EQ(Reg.ReadString("path"), "/home/user/velmoric/");
  EXPECT_EQ(Reg.ReadInteger("QuickRecompile"), 1);

  // And the other way round, with a key the reader already has open.
  Reg.WriteString("SearchPath", "/src;/lib");
  std::string Seen;
  const pid_t Reader = Spawn([] {
    TRegistry R;
    if (!R.OpenKey("\\Software\\HALVORN\\Velmoric", false)) throw 1;
    if (R.ReadString("SearchPath") != "/src;/lib") throw 2;
  });
  EXPECT_TRUE(Wait(Reader));
}

TEST_F(RegistryTest, ProcessesWritingAtOnceLoseNothing) {
  constexpr int Writers = 4, Values = 40;
  std::vector<pid_t> Children;
  for (int W = 0; W < Writers; ++W) {
    Children.push_back(Spawn([W] {
      TRegistry Reg;
      for (int V = 0; V < Values; ++V) {
        if (!Reg.OpenKey("\\Software\\Test\\Writer" + IntToStr(W % 2), true)) throw 1;
        Reg.WriteInteger("w" + IntToStr(W) + "v" + IntToStr(V), W * 1000 + V);
      }
    }));
  }
  for (pid_t P : Children) EXPECT_TRUE(Wait(P));
  TRegistry Reg;
  int Found = 0;
  for (int W = 0; W < Writers; ++W) {
    ASSERT_TRUE(Reg.OpenKey("\\Software\\Test\\Writer" + IntToStr(W % 2), false));
    for (int V = 0; V < Values; ++V)
      if (Reg.ReadInteger("w" + IntToStr(W) + "v" + IntToStr(V)) == W * 1000 + V) ++Found;
  }
  EXPECT_EQ(Found, Writers * Values);
  // No temporary or half-written file is left beside it.
  for (const auto& E : std::filesystem::directory_iterator(std::filesystem::path(File).parent_path()))
    EXPECT_TRUE(E.path().filename() == "registry" || E.path().filename() == "registry.lock")
        << E.path();
}

TEST_F(RegistryTest, DamagedFileIsReportedAndLeftAlone) {
  {
    TRegistry Reg;
    ASSERT_TRUE(Reg.OpenKey("\\Software\\HALVORN\\Velmoric", true));
    Reg.WriteString("path", "/data/");
  }
  std::string Text = ReadFileBytes(File);
  Text += "\"broken\"=int:12x\n";
  WriteFileBytes(File, Text);

  TRegistry Reg;
  try {
    Reg.OpenKey("\\Software\\HALVORN\\Velmoric", false);
    FAIL() << "a damaged file was read";
  } catch (const ERegistryException& E) {
    EXPECT_NE(E.Message().find(File), std::string::npos) << E.Message();
    EXPECT_NE(E.Message().find("line 6"), std::string::npos) << E.Message();
    EXPECT_NE(E.Message().find("damaged"), std::string::npos) << E.Message();
  }
  EXPECT_THROW(Reg.OpenKey("\\Software\\Other", true), ERegistryException);
  EXPECT_THROW(Reg.KeyExists("\\Software"), ERegistryException);
  EXPECT_EQ(ReadFileBytes(File), Text);  // nothing was emptied or rewritten

  WriteFileBytes(File, "not a settings file\n");
  EXPECT_THROW(Reg.KeyExists("\\Software"), ERegistryException);
  // An empty file is an empty registry.
  WriteFileBytes(File, "");
  EXPECT_FALSE(Reg.KeyExists("\\Software"));
}

TEST_F(RegistryTest, AWriteThatFailsHalfWayLeavesTheSettingsWhole) {
  TRegistry Reg;
  ASSERT_TRUE(Reg.OpenKey("\\Software\\HALVORN\\Velmoric", true));
  Reg.WriteString("path", "/data/");
  const std::string Before = ReadFileBytes(File);
  {
    testsupport::FileSizeLimit Full(Before.size() + 10);
    try {
      Reg.WriteString("long", std::string(500, 'x'));
      FAIL() << "a write beyond the room left succeeded";
    } catch (const ERegistryException& E) {
      EXPECT_NE(E.Message().find(File), std::string::npos) << E.Message();
    }
  }
  EXPECT_EQ(ReadFileBytes(File), Before);
  EXPECT_EQ(Reg.ReadString("path"), "/data/");
  for (const auto& E : std::filesystem::directory_iterator(std::filesystem::path(File).parent_path()))
    EXPECT_TRUE(E.path().filename() == "registry" || E.path().filename() == "registry.lock")
        << E.path();
}

}  // namespace
