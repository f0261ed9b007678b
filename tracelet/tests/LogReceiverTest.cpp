#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/LogModel.h"
#include "platform/ipc/IpcWindow.h"
#include "platform/rtl/SysUtils.h"
#include "server/LogReceiver.h"

namespace {

std::string Payload(const std::string& Stream, const std::string& Text) {
  return std::string(1, static_cast<char>(Stream.size())) + Stream + Text;
}

std::string MakeTempDir() {
  std::string Dir = testing::TempDir() + "tracelet-rx-XXXXXX";
  if (!::mkdtemp(Dir.data())) std::abort();
  return Dir;
}

class Receiving : public testing::Test {
 protected:
  void SetUp() override {
    Dir = MakeTempDir();
    Folder = Dir + "/sock";  // made by the receiver
    Path = Folder + "/tracelet";
    std::string Error;
    ASSERT_EQ(Receiver.Listen(Path, Error), ipc::TListenResult::Ok) << Error;
  }
  void TearDown() override {
    for (int Fd : Senders) ipc::CloseWindow(Fd);
    std::system(("rm -rf '" + Dir + "'").c_str());
  }
  int Connect() {
    int Fd = ipc::ConnectWindow(Path);
    EXPECT_GT(Fd, 0);
    Senders.push_back(Fd);
    return Fd;
  }
  // Pumps until Done holds or ten seconds have passed.
  bool PumpUntil(const std::function<bool()>& Done) {
    auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!Done()) {
      if (std::chrono::steady_clock::now() > Deadline) return false;
      Receiver.Pump(10);
    }
    return true;
  }
  std::vector<std::string> Listed() {
    std::vector<std::string> Lines;
    for (int I = 0; I < Model.LineCount(); ++I) Lines.emplace_back(Model.LineText(I));
    return Lines;
  }

  std::string Dir, Folder, Path;
  TLogModel Model;
  TLogReceiver Receiver{Model};
  std::vector<int> Senders;
};

}  // namespace

TEST_F(Receiving, OnlyTheUserMayReachTheSocket) {
  struct stat St {};
  ASSERT_EQ(::stat(Folder.c_str(), &St), 0);
  EXPECT_EQ(St.st_mode & 0777, 0700u);
  ASSERT_EQ(::stat(Path.c_str(), &St), 0);
  EXPECT_TRUE(S_ISSOCK(St.st_mode));
  EXPECT_EQ(St.st_mode & 0777, 0600u);
}

TEST_F(Receiving, ASecondInstanceOnThePathIsRefusedAndTheFirstKeepsWorking) {
  TLogModel Other;
  TLogReceiver Second(Other);
  std::string Error;
  EXPECT_EQ(Second.Listen(Path, Error), ipc::TListenResult::AlreadyRunning);
  EXPECT_NE(Error.find("another instance"), std::string::npos);

  int Fd = Connect();
  ipc::SendFrame(Fd, ipc::MsgTraceLine, Payload("stdOut", "still here"));
  EXPECT_TRUE(PumpUntil([&] { return Model.LineCount() == 1; }));
}

TEST(ReceiverSocket, AStaleSocketIsReplacedAndAFileInTheWayIsKept) {
  std::string Dir = MakeTempDir();
  std::string Path = Dir + "/tracelet";
  std::string Error;
  {
    TLogModel M;
    TLogReceiver R(M);
    ASSERT_EQ(R.Listen(Path, Error), ipc::TListenResult::Ok) << Error;
    // A socket left behind by an instance that died.
    ::unlink((Path + ".lock").c_str());
    ASSERT_EQ(::link(Path.c_str(), (Dir + "/saved").c_str()), 0);
  }
  ASSERT_EQ(::rename((Dir + "/saved").c_str(), Path.c_str()), 0);
  {
    TLogModel M;
    TLogReceiver R(M);
    EXPECT_EQ(R.Listen(Path, Error), ipc::TListenResult::Ok) << Error;
  }
  WriteFileBytes(Path, "not a socket");
  TLogModel M;
  TLogReceiver R(M);
  EXPECT_EQ(R.Listen(Path, Error), ipc::TListenResult::Failed);
  EXPECT_EQ(ReadFileBytes(Path), "not a socket");
  std::system(("rm -rf '" + Dir + "'").c_str());
}

TEST_F(Receiving, SeveralSendersKeepTheirOwnOrder) {
  std::vector<int> Fds = {Connect(), Connect(), Connect()};
  for (int I = 0; I < 200; ++I)
    for (size_t S = 0; S < Fds.size(); ++S)
      ASSERT_TRUE(ipc::SendFrame(Fds[S], ipc::MsgTraceLine,
                                 Payload("stdOut", Format("%d:%d", static_cast<int>(S), I))));
  ASSERT_TRUE(PumpUntil([&] { return Model.EventCount() == 600; }));
  std::vector<int> Next(Fds.size(), 0);
  for (const std::string& Line : Listed()) {
    int S = Line[0] - '0';
    EXPECT_EQ(Line.substr(2), std::to_string(Next[S]++)) << Line;
  }
  EXPECT_EQ(Next, (std::vector<int>{200, 200, 200}));
  EXPECT_EQ(Receiver.Peers().size(), 3u);
}

TEST_F(Receiving, MalformedFramesAreDroppedWithoutHarm) {
  int Good = Connect();
  int Bad = Connect();
  ipc::SendFrame(Good, ipc::MsgTraceLine, Payload("stdOut", "first"));
  ipc::SendFrame(Bad, 4711, "unknown code");
  ipc::SendFrame(Bad, ipc::MsgTraceLine, Payload("stdOut", std::string(300, 'o')));
  ipc::SendFrame(Bad, ipc::MsgRegisterStream, std::string(300, 'r'));
  ipc::SendFrame(Bad, ipc::MsgTraceLine, std::string(1, static_cast<char>(0x80)) + "neg");
  ipc::SendFrame(Bad, ipc::MsgTraceLine, "");
  ipc::SendFrame(Bad, ipc::MsgTraceLine, Payload("stdOut", "after the bad ones"));
  // A frame whose payload never comes: the sender disconnects mid-frame.
  std::string Cut = ipc::EncodeFrame(ipc::MsgTraceLine, Payload("stdOut", "never complete"));
  ASSERT_EQ(::send(Bad, Cut.data(), 10, 0), 10);
  ASSERT_TRUE(PumpUntil([&] { return Model.LineCount() == 2; }));
  ::shutdown(Bad, SHUT_WR);
  ASSERT_TRUE(PumpUntil([&] { return Receiver.Peers().size() == 1; }));
  ipc::SendFrame(Good, ipc::MsgTraceLine, Payload("stdOut", "last"));
  ASSERT_TRUE(PumpUntil([&] { return Model.LineCount() == 3; }));

  EXPECT_EQ(Listed(), (std::vector<std::string>{"first", "after the bad ones", "last"}));
  EXPECT_EQ(Receiver.DroppedFrames(), 6u);
  EXPECT_EQ(Model.StreamCount(), 3);
}

TEST_F(Receiving, RegisterQuestionAndCopyMessages) {
  std::atomic<bool> Stop = false;
  std::thread Loop([&] {
    while (!Stop) Receiver.Pump(10);
  });
  int Fd = Connect();
  ipc::SendFrame(Fd, ipc::MsgRegisterStream, "velmoric.startup");
  ipc::SendFrame(Fd, ipc::WM_COPYDATA, Payload("stdError", std::string(400, 'c')) + '\0');
  ipc::SendFrame(Fd, ipc::MsgTraceLine, Payload("velmoric.startup", "Creating forms"));
  std::optional<std::string> Answer = ipc::SendQuestion(Fd, "anyone there?");
  Stop = true;
  Loop.join();

  ASSERT_TRUE(Answer.has_value());
  EXPECT_EQ(*Answer, "");
  EXPECT_EQ(Model.FindStream("velmoric.s"), 3);  // the first ten characters
  EXPECT_EQ(Model.FindStream("velmoric.startup"), 4);
  EXPECT_FALSE(Model.Stream(3).Shown);
  ASSERT_EQ(Model.LineCount(), 1);
  EXPECT_EQ(Model.LineText(0), std::string(254, 'c'));
  EXPECT_EQ(Model.EventCount(), 1);
  EXPECT_EQ(Model.RecordCount(), 2);
}
