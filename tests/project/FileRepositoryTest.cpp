#include <gtest/gtest.h>

#include <filesystem>

#include "../support/FileSizeLimit.h"
#include "ProjectTestUtil.h"
#include "project/VelmoricFileRepository.h"
#include "project/VelmoricProjectSettings.h"

using projecttest::CurrentDir;
using projecttest::ScratchDir;

namespace {

class FileRepositoryTest : public testing::Test {
 protected:
  void SetUp() override { VelmoricPath = Data.Path + "/"; }
  void TearDown() override { VelmoricPath.clear(); }

  ScratchDir Data;
  TFileRepository Repo;
};

TEST_F(FileRepositoryTest, KeyIsTheLowerCaseFilePartBeforeItsFirstDot) {
  EXPECT_EQ(TFileRepository::KeyOf("C:\\Src\\Unit1.PAS"), "unit1");
  EXPECT_EQ(TFileRepository::KeyOf("/src/My.Unit.pas"), "my");
  EXPECT_EQ(TFileRepository::KeyOf("D:Unit2.pas"), "unit2");
  EXPECT_EQ(TFileRepository::KeyOf("NoExt"), "noext");
  EXPECT_EQ(TFileRepository::KeyOf(""), "");
}

TEST_F(FileRepositoryTest, AddMakesABareNameAbsoluteAndFirstLocationWins) {
  ScratchDir Work;
  CurrentDir Cd(Work.Path);
  const std::string Cwd = std::filesystem::current_path().string();
  std::string Name = "unit1.pas";
  Repo.Add(Name);
  EXPECT_EQ(Name, Cwd + "/unit1.pas");  // the caller's name changes

  std::string Other = "/other/Unit1.PAS";
  Repo.Add(Other);
  EXPECT_EQ(Other, "/other/Unit1.PAS");
  ASSERT_EQ(Repo.list.Count(), 1);

  std::string Find = "UNIT1.DPR";  // only the part before the first "." counts
  EXPECT_TRUE(Repo.FindFile(Find));
  EXPECT_EQ(Find, Cwd + "/unit1.pas");

  std::string Unknown = "unit2.pas";
  EXPECT_FALSE(Repo.FindFile(Unknown));
  EXPECT_EQ(Unknown, "unit2.pas");

  std::string Empty;
  Repo.Add(Empty);
  EXPECT_EQ(Repo.list.Count(), 1);
}

TEST_F(FileRepositoryTest, ARelativePathWithADirectoryIsMadeAbsoluteToo) {
  ScratchDir Work;
  CurrentDir Cd(Work.Path);
  std::string Name = "lib/Unit3.pas";
  Repo.Add(Name);
  EXPECT_EQ(Name, std::filesystem::current_path().string() + "/lib/Unit3.pas");
  std::string Windows = "C:\\Work\\Unit4.pas";  // absolute already
  Repo.Add(Windows);
  EXPECT_EQ(Windows, "C:\\Work\\Unit4.pas");
}

TEST_F(FileRepositoryTest, WriteAndReadGiveTheSamePathsInOrderWithCrLf) {
  for (std::string N : {"/a/Zeta.pas", "/b/alpha.pas", "/c/Mid.pp"}) Repo.Add(N);
  Repo.WriteToFile();
  EXPECT_EQ(ReadFileBytes(Data.File("filerep.dat")),
            "/a/Zeta.pas\r\n/b/alpha.pas\r\n/c/Mid.pp\r\n");

  TFileRepository Back;
  Back.ReadFromFile();
  ASSERT_EQ(Back.list.Count(), 3);
  EXPECT_EQ(Back.list[0], "zeta");
  EXPECT_EQ(static_cast<TFileRepositoryItem*>(Back.list.Objects(2))->FullName, "/c/Mid.pp");
}

TEST_F(FileRepositoryTest, ReadAppendsDuplicatesAndEmptyLinesAndTakesLfFiles) {
  Data.Write("filerep.dat", "/x/One.pas\n\n/y/one.pas\n/z/Two.pas");
  Repo.ReadFromFile();
  ASSERT_EQ(Repo.list.Count(), 4);
  EXPECT_EQ(Repo.list[1], "");  // an empty line: empty path under an empty key
  EXPECT_EQ(static_cast<TFileRepositoryItem*>(Repo.list.Objects(1))->FullName, "");
  std::string Name = "one";
  ASSERT_TRUE(Repo.FindFile(Name));
  EXPECT_EQ(Name, "/x/One.pas");  // the first entry with a key answers
  std::string Two = "two.pas";
  ASSERT_TRUE(Repo.FindFile(Two));
  EXPECT_EQ(Two, "/z/Two.pas");
}

TEST_F(FileRepositoryTest, AMissingFileLeavesTheRepositoryEmpty) {
  Repo.ReadFromFile();
  EXPECT_EQ(Repo.list.Count(), 0);
}

TEST_F(FileRepositoryTest, AnUnwritableDataDirectoryRaisesAnInOutError) {
  VelmoricPath = Data.Path + "/no/such/dir/";
  std::string N = "/a/b.pas";
  Repo.Add(N);
  EXPECT_THROW(Repo.WriteToFile(), EInOutError);
}

TEST_F(FileRepositoryTest, AWriteThatFailsHalfWayLeavesTheOldFileWhole) {
  for (std::string N : {"/a/Zeta.pas", "/b/alpha.pas"}) Repo.Add(N);
  Repo.WriteToFile();
  const std::string Before = ReadFileBytes(Data.File("filerep.dat"));
  std::string Long = "/c/" + std::string(300, 'x') + ".pas";
  Repo.Add(Long);
  {
    testsupport::FileSizeLimit Full(Before.size() + 20);  // the disk fills up mid-way
    EXPECT_THROW(Repo.WriteToFile(), EInOutError);
  }
  EXPECT_EQ(ReadFileBytes(Data.File("filerep.dat")), Before);
  TFileRepository Back;
  Back.ReadFromFile();
  EXPECT_EQ(Back.list.Count(), 2);  // no cut path is served
  // Nothing but the file itself is left in the folder.
  int Files = 0;
  for (const auto& E : std::filesystem::directory_iterator(Data.Path)) {
    EXPECT_EQ(E.path().filename(), "filerep.dat");
    ++Files;
  }
  EXPECT_EQ(Files, 1);
  // Written again once there is room.
  Repo.WriteToFile();
  TFileRepository Full;
  Full.ReadFromFile();
  EXPECT_EQ(Full.list.Count(), 3);
}

}  // namespace
