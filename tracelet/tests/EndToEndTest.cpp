// The programs together: a running `tracelet --headless --log FILE`, the
// add-in's trace client and `tracelet-send`.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/ipc/IpcWindow.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"
#include "trace/traceletVelmoric.h"

extern char** environ;

namespace {

// Starts a program with standard input and error redirected to files.
pid_t Spawn(const std::vector<std::string>& Args, const std::string& In, const std::string& Err) {
  posix_spawn_file_actions_t Actions;
  posix_spawn_file_actions_init(&Actions);
  posix_spawn_file_actions_addopen(&Actions, 0, In.empty() ? "/dev/null" : In.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&Actions, 2, Err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<char*> Argv;
  for (const std::string& A : Args) Argv.push_back(const_cast<char*>(A.c_str()));
  Argv.push_back(nullptr);
  pid_t Pid = -1;
  if (posix_spawn(&Pid, Argv[0], &Actions, nullptr, Argv.data(), environ) != 0) Pid = -1;
  posix_spawn_file_actions_destroy(&Actions);
  return Pid;
}

int Wait(pid_t Pid) {
  int Status = 0;
  if (::waitpid(Pid, &Status, 0) != Pid) return -1;
  return WIFEXITED(Status) ? WEXITSTATUS(Status) : 128 + WTERMSIG(Status);
}

std::vector<std::string> Lines(const std::string& Text) {
  TStringList List;
  List.SetText(Text);
  std::vector<std::string> Out;
  for (int I = 0; I < List.Count(); ++I) Out.push_back(List[I]);
  return Out;
}

class Programs : public testing::Test {
 protected:
  void SetUp() override {
    Dir = testing::TempDir() + "tracelet-e2e-XXXXXX";
    ASSERT_NE(::mkdtemp(Dir.data()), nullptr);
    Socket = Dir + "/tracelet";
    ::setenv("TRACELET_SOCKET", Socket.c_str(), 1);
  }
  void TearDown() override {
    if (Server > 0) {
      ::kill(Server, SIGKILL);
      Wait(Server);
    }
    tracelet->start();  // drops the connection
    std::system(("rm -rf '" + Dir + "'").c_str());
  }
  void StartServer(const std::string& Log) {
    Server = Spawn({TRACELET_EXE, "--headless", "--log", Log}, "", Dir + "/server.err");
    ASSERT_GT(Server, 0);
    auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
      if (int Fd = ipc::ConnectWindow(Socket)) {
        ipc::CloseWindow(Fd);
        return;
      }
      ASSERT_LT(std::chrono::steady_clock::now(), Deadline) << "tracelet did not start";
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  int StopServer() {
    ::kill(Server, SIGTERM);
    int Status = Wait(Server);
    Server = -1;
    return Status;
  }
  int Send(const std::vector<std::string>& Args, const std::string& In = "") {
    std::vector<std::string> Argv = {TRACELET_SEND_EXE};
    Argv.insert(Argv.end(), Args.begin(), Args.end());
    return Wait(Spawn(Argv, In, Dir + "/send.err"));
  }

  std::string Dir, Socket;
  pid_t Server = -1;
};

}  // namespace

TEST_F(Programs, LinesOfTheTraceClientAndOfTraceletSendArriveInOrderInTheLog) {
  std::string Log = Dir + "/trace.log";
  StartServer(Log);
  tracelet->start();
  ASSERT_NE(tracelet->Wnd(), 0);

  std::vector<std::string> Client;  // expected log lines of the trace client
  auto Write = [&](const std::string& Stream, const std::string& Text) {
    tracelet->StrWrite(Stream, Text);
    Client.push_back(Format("%-8s|%s", Stream, Text));
  };
  for (int I = 0; I < 3000; ++I) {
    Write("stdOut", Format("client line %d", I));
    if (I % 10 == 0) Write("velmoric.trace", Format("->Proc%d", I));
    if (I % 100 == 0) Write("null", Format("into the log only %d", I));
  }
  FlagTrace = true;
  { TTraceProc Trace("TTest.Run"); }
  FlagTrace = false;
  Client.push_back("velmoric.trace|->TTest.Run");
  Client.push_back("velmoric.trace|  <-TTest.Run");
  TraceIndent.clear();

  EXPECT_EQ(Send({"--stream", "build", "step 1", "step 2"}), 0);
  WriteFileBytes(Dir + "/input", "in 1\nin 2\r\n\nin 4\n");
  EXPECT_EQ(Send({}, Dir + "/input"), 0);
  std::vector<std::string> Sent = {"build   |step 1", "build   |step 2", "stdOut  |in 1",
                                   "stdOut  |in 2", "stdOut  |", "stdOut  |in 4"};
  Write("stdError", "the last one");
  EXPECT_EQ(StopServer(), 0);

  std::vector<std::string> Logged = Lines(ReadFileBytes(Log));
  EXPECT_EQ(Logged.size(), Client.size() + Sent.size());
  std::vector<std::string> FromClient, FromSend;
  for (const std::string& L : Logged) {
    bool BySend = L.rfind("build", 0) == 0 || L.rfind("stdOut  |in ", 0) == 0 || L == "stdOut  |";
    (BySend ? FromSend : FromClient).push_back(L);
  }
  EXPECT_EQ(FromClient, Client);
  EXPECT_EQ(FromSend, Sent);

  // "null" lines are logged but not stored.
  int Events = static_cast<int>(Logged.size());
  int Stored = Events - 30;
  std::string Summary = ReadFileBytes(Dir + "/server.err");
  EXPECT_NE(Summary.find(Format("%d events, %d lines stored", Events, Stored)), std::string::npos)
      << Summary;
}

TEST_F(Programs, ASecondTraceletSaysSoAndExits) {
  StartServer(Dir + "/first.log");
  pid_t Second = Spawn({TRACELET_EXE, "--headless"}, "", Dir + "/second.err");
  EXPECT_EQ(Wait(Second), 1);
  EXPECT_NE(ReadFileBytes(Dir + "/second.err").find("already running"), std::string::npos);
  // The first one still receives.
  EXPECT_EQ(Send({"still", "there"}), 0);
  EXPECT_EQ(StopServer(), 0);
  EXPECT_EQ(ReadFileBytes(Dir + "/first.log"), "stdOut  |still\nstdOut  |there\n");
}

TEST_F(Programs, TraceletSendWithoutATraceletFailsClearly) {
  EXPECT_EQ(Send({"nobody listens"}), 1);
  EXPECT_NE(ReadFileBytes(Dir + "/send.err").find("no Tracelet is running"), std::string::npos);
  EXPECT_EQ(Send({"--stream", std::string(128, 's'), "x"}), 2);
}
