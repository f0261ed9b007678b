// Whole-file rewrites: the old content or the new one, never a cut file,
// and nothing left behind in the folder.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>

#include "../support/FileSizeLimit.h"
#include "platform/rtl/AtomicFile.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

namespace {

class AtomicFileTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string T = testing::TempDir() + "velmoric-atomic-XXXXXX";
    ASSERT_NE(::mkdtemp(T.data()), nullptr);
    Dir = T;
  }
  void TearDown() override {
    std::error_code Ec;
    std::filesystem::remove_all(Dir, Ec);
  }
  std::string File(const std::string& Name) const { return Dir + "/" + Name; }
  std::set<std::string> Names() const {
    std::set<std::string> R;
    for (const auto& E : std::filesystem::directory_iterator(Dir)) R.insert(E.path().filename());
    return R;
  }
  static mode_t Mode(const std::string& F) {
    struct stat St {};
    ::stat(F.c_str(), &St);
    return St.st_mode & 07777;
  }

  std::string Dir;
};

TEST_F(AtomicFileTest, CreatesAndReplacesKeepingTheFilesPermissions) {
  const std::string F = File("a.txt");
  WriteFileAtomically(F, "first");
  EXPECT_EQ(ReadFileBytes(F), "first");
  const mode_t Umask = ::umask(0);
  ::umask(Umask);
  EXPECT_EQ(Mode(F), 0666 & ~Umask);

  ::chmod(F.c_str(), 0640);
  WriteFileAtomically(F, "second, longer");
  EXPECT_EQ(ReadFileBytes(F), "second, longer");
  EXPECT_EQ(Mode(F), 0640u);
  WriteFileAtomically(F, "");
  EXPECT_EQ(ReadFileBytes(F), "");

  WriteFileAtomically(File("secret"), "x", {0600, true});
  EXPECT_EQ(Mode(File("secret")), 0600u);
  EXPECT_EQ(Names(), (std::set<std::string>{"a.txt", "secret"}));
}

TEST_F(AtomicFileTest, ALinkStaysALinkToTheReplacedFile) {
  const std::string Target = File("target.txt");
  WriteFileAtomically(Target, "old");
  std::filesystem::create_symlink(Target, File("link.txt"));
  WriteFileAtomically(File("link.txt"), "new");
  EXPECT_TRUE(std::filesystem::is_symlink(File("link.txt")));
  EXPECT_EQ(ReadFileBytes(Target), "new");
}

TEST_F(AtomicFileTest, AFullDiskLeavesTheOldContentAndNoTemporaryFile) {
  const std::string F = File("data.bin");
  WriteFileAtomically(F, "the old content");
  {
    testsupport::FileSizeLimit Full(20);
    const TAtomicWriteResult R = TryWriteFileAtomically(F, std::string(100, 'n'));
    EXPECT_FALSE(R);
    EXPECT_EQ(R.Step, TAtomicWriteResult::Write);
    EXPECT_EQ(R.Error, EFBIG);
    try {
      WriteFileAtomically(F, std::string(100, 'n'));
      FAIL() << "the write did not fail";
    } catch (const EWriteError& E) {
      EXPECT_NE(E.Message().find(F), std::string::npos) << E.Message();
    }
  }
  EXPECT_EQ(ReadFileBytes(F), "the old content");
  EXPECT_EQ(Names(), std::set<std::string>{"data.bin"});
}

TEST_F(AtomicFileTest, AMissingFolderOrAFolderInTheWayIsAnError) {
  EXPECT_THROW(WriteFileAtomically(File("no/such/dir/f"), "x"), EFCreateError);
  std::filesystem::create_directory(File("folder"));
  const TAtomicWriteResult R = TryWriteFileAtomically(File("folder"), "x");
  EXPECT_EQ(R.Step, TAtomicWriteResult::Rename);
  EXPECT_THROW(WriteFileAtomically(File("folder"), "x"), EWriteError);
  EXPECT_TRUE(std::filesystem::is_directory(File("folder")));
  EXPECT_EQ(Names(), std::set<std::string>{"folder"});
}

TEST_F(AtomicFileTest, StringListsAreSavedWhole) {
  const std::string F = File("list.txt");
  TStringList L;
  L.Add("one");
  L.Add("two");
  L.SaveToFile(F);
  EXPECT_EQ(ReadFileBytes(F), "one\r\ntwo\r\n");
  for (int I = 0; I < 100; ++I) L.Add("more");
  {
    testsupport::FileSizeLimit Full(30);
    EXPECT_THROW(L.SaveToFile(F), EStreamError);
  }
  EXPECT_EQ(ReadFileBytes(F), "one\r\ntwo\r\n");
  EXPECT_EQ(Names(), std::set<std::string>{"list.txt"});
}

}  // namespace
