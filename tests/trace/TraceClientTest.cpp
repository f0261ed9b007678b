#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/ipc/IpcWindow.h"
#include "platform/rtl/SysUtils.h"
#include "trace/TracePayload.h"
#include "trace/VelmoricDebugprocedure.h"
#include "trace/traceletVelmoric.h"
#include "trace/traceletWizard.h"

namespace {

struct Line {
  std::string Stream;
  std::string Text;
  bool operator==(const Line& O) const { return Stream == O.Stream && Text == O.Text; }
};

std::ostream& operator<<(std::ostream& Os, const Line& L) {
  return Os << L.Stream << ":" << L.Text;
}

// A log window stand-in: listens on the socket TRACELET_SOCKET names and
// decodes the frames the client sends.
class Listener {
 public:
  Listener() {
    Dir = testing::TempDir() + "velmoric-trace-XXXXXX";
    if (!::mkdtemp(Dir.data())) std::abort();
    Path = Dir + "/tracelet";
    ::setenv("TRACELET_SOCKET", Path.c_str(), 1);
    Fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un A{};
    A.sun_family = AF_UNIX;
    std::strncpy(A.sun_path, Path.c_str(), sizeof A.sun_path - 1);
    if (::bind(Fd, reinterpret_cast<sockaddr*>(&A), sizeof A) != 0 || ::listen(Fd, 4) != 0)
      std::abort();
  }
  ~Listener() {
    if (Peer >= 0) ::close(Peer);
    ::close(Fd);
    ::unlink(Path.c_str());
    ::rmdir(Dir.c_str());
  }
  void Accept() { Peer = ::accept(Fd, nullptr, nullptr); }
  void ClosePeer() {
    ::close(Peer);
    Peer = -1;
  }
  // Raw frames received within a short wait.
  std::vector<ipc::TIpcFrame> Frames() {
    std::vector<ipc::TIpcFrame> Out;
    char Buf[4096];
    for (;;) {
      pollfd P{Peer, POLLIN, 0};
      if (::poll(&P, 1, 200) <= 0) break;
      const ssize_t N = ::recv(Peer, Buf, sizeof Buf, 0);
      if (N <= 0) break;
      Decoder.Feed(Buf, static_cast<size_t>(N));
    }
    ipc::TIpcFrame F;
    while (Decoder.Next(F)) Out.push_back(F);
    return Out;
  }
  std::vector<Line> Lines() {
    std::vector<Line> Out;
    for (const auto& F : Frames()) {
      EXPECT_EQ(F.Code, ipc::MsgTraceLine);
      const size_t L = static_cast<unsigned char>(F.Payload[0]);
      Out.push_back({F.Payload.substr(1, L), F.Payload.substr(1 + L)});
    }
    return Out;
  }
  std::string Path;
  int Peer = -1;

 private:
  std::string Dir;
  int Fd = -1;
  ipc::TFrameDecoder Decoder;
};

// Each test starts from the unit's initial state and leaves it so.
class TraceClient : public testing::Test {
 protected:
  void SetUp() override {
    FlagTrace = false;
    TraceIndent.clear();
    VelmoricDebugprocedure::DebugFlag = true;
    VelmoricDebugprocedure::DebugIndent.clear();
  }
  void TearDown() override {
    delete tracelet;
    tracelet = new TTracelet;
    FlagTrace = false;
    TraceIndent.clear();
    ::unsetenv("TRACELET_SOCKET");
  }
  void Connect(Listener& L) {
    tracelet->start();
    ASSERT_NE(tracelet->Wnd(), 0);
    L.Accept();
  }
};

}  // namespace

TEST_F(TraceClient, WithoutLogWindowNothingFails) {
  ::setenv("TRACELET_SOCKET", "/nonexistent/velmoric/tracelet", 1);
  tracelet->start();
  EXPECT_EQ(tracelet->Wnd(), 0);
  FlagTrace = true;
  DebugStartProcedure("A");
  tracelet->write("hello");
  DebugEndProcedure("A");
  EXPECT_EQ(TraceIndent, "  ");
}

TEST_F(TraceClient, NestedProceduresIndentAsTheLogWindowShowsThem) {
  Listener L;
  Connect(L);
  FlagTrace = true;
  DebugStartProcedure("A");
  DebugStartProcedure("B");
  DebugEndProcedure("B");
  DebugEndProcedure("A");
  EXPECT_EQ(TraceIndent, "  ");
  const std::vector<Line> Expected = {{"velmoric.trace", "->A"},
                                      {"velmoric.trace", "  ->B"},
                                      {"velmoric.trace", "  <-B"},
                                      {"velmoric.trace", "  <-A"}};
  EXPECT_EQ(L.Lines(), Expected);
}

TEST_F(TraceClient, FlagOffSilencesAllButTheStartupVariants) {
  Listener L;
  Connect(L);
  DebugStartProcedure("Quiet");
  DebugEndProcedure("Quiet");
  EXPECT_EQ(TraceIndent, "");
  DebugStartProcedureStartup("TVelmoricWizard.Create");
  EXPECT_EQ(TraceIndent, "  ");
  DebugEndProcedureStartup("TVelmoricWizard.Create");
  const std::vector<Line> Expected = {{"velmoric.trace", "->TVelmoricWizard.Create"},
                                      {"velmoric.trace", "  <-TVelmoricWizard.Create"}};
  EXPECT_EQ(L.Lines(), Expected);
}

TEST_F(TraceClient, DebugprocedureUnitPutsArrowFirstAndSplitsStreams) {
  Listener L;
  Connect(L);
  namespace D = VelmoricDebugprocedure;
  D::DebugStartProcedure("A");
  D::DebugStartProcedure("B");
  D::DebugEndProcedure("B");
  D::DebugEndProcedure("A");
  EXPECT_EQ(D::DebugIndent, "");
  const std::vector<Line> Expected = {{"velmoric.debug", "->A"},
                                      {"velmoric.debug", "->  B"},
                                      {"rudided.debug", "<-  B"},
                                      {"rudided.debug", "<-A"}};
  EXPECT_EQ(L.Lines(), Expected);

  D::DebugFlag = false;
  D::DebugStartProcedure("C");
  EXPECT_EQ(D::DebugIndent, "  ");  // the indentation still moves
  D::DebugEndProcedure("C");
  EXPECT_TRUE(L.Lines().empty());
}

TEST_F(TraceClient, PayloadCarriesLengthByteStreamAndText) {
  Listener L;
  Connect(L);
  tracelet->StrWrite("velmoric.panel", "x");  // 14 characters
  const auto Frames = L.Frames();
  ASSERT_EQ(Frames.size(), 1u);
  EXPECT_EQ(Frames[0].Payload, std::string("\x0E") + "velmoric.panel" + "x");
}

TEST_F(TraceClient, LongTextsAreCutAndOverlongStreamNamesNeverSent) {
  Listener L;
  Connect(L);
  tracelet->StrWrite("stdOut", std::string(400, 'a'));
  tracelet->StrWrite(std::string(128, 's'), "never");
  tracelet->StrWrite(std::string(127, 's'), std::string(200, 'b'));
  tracelet->StrWrite("stdOut", std::string("before\0after", 12));
  const auto Frames = L.Frames();
  ASSERT_EQ(Frames.size(), 3u);
  EXPECT_EQ(Frames[0].Payload.size(), 255u);
  EXPECT_EQ(Frames[0].Payload.substr(7), std::string(248, 'a'));
  EXPECT_EQ(Frames[1].Payload.size(), 255u);
  EXPECT_EQ(static_cast<unsigned char>(Frames[1].Payload[0]), 127);
  EXPECT_EQ(Frames[2].Payload, std::string("\x06stdOutbefore"));
}

TEST_F(TraceClient, LogFileHoldsStreamColonTextLines) {
  const std::string Log = testing::TempDir() + "velmoric-trace.log";
  const std::string Other = testing::TempDir() + "velmoric-trace-other.log";
  tracelet->SetLogfile(Log);
  EXPECT_TRUE(tracelet->LogOpen());
  tracelet->SetLogfile(Other);  // already open: stays with the first file
  tracelet->write("one");
  tracelet->StrWrite("velmoric.startup", "Creating menus");
  tracelet->CloseLogfile();
  tracelet->CloseLogfile();
  EXPECT_FALSE(tracelet->LogOpen());
  EXPECT_EQ(ReadFileBytes(Log), "stdOut:one\r\nvelmoric.startup:Creating menus\r\n");
  EXPECT_FALSE(FileExists(Other));
  std::remove(Log.c_str());
}

TEST_F(TraceClient, StartEndsFileLoggingAndLinesGoToTheWindowOnly) {
  Listener L;
  const std::string Log = testing::TempDir() + "velmoric-trace-start.log";
  tracelet->SetLogfile(Log);
  tracelet->write("logged");
  Connect(L);  // start closes the log
  EXPECT_FALSE(tracelet->LogOpen());
  tracelet->write("window only");
  EXPECT_EQ(ReadFileBytes(Log), "stdOut:logged\r\n");
  const std::vector<Line> Expected = {{"stdOut", "window only"}};
  EXPECT_EQ(L.Lines(), Expected);
  std::remove(Log.c_str());
}

TEST_F(TraceClient, LogFileErrors) {
  EXPECT_THROW(tracelet->SetLogfile("/nonexistent/velmoric/trace.log"), EInOutError);
  EXPECT_FALSE(tracelet->LogOpen());
  // A log that fills up is given up without disturbing the caller.
  tracelet->SetLogfile("/dev/full");
  EXPECT_NO_THROW(tracelet->write(std::string(100000, 'x')));
  EXPECT_FALSE(tracelet->LogOpen());
}

TEST_F(TraceClient, ClosedLogWindowLosesLinesSilently) {
  Listener L;
  Connect(L);
  L.ClosePeer();
  for (int I = 0; I < 100; ++I) tracelet->write("into the void");  // no SIGPIPE, no error
  EXPECT_NE(tracelet->Wnd(), 0);  // still "connected" until the next start
}

TEST_F(TraceClient, GuardBracketsAScopeOnlyWhileTracing) {
  Listener L;
  Connect(L);
  int Formatted = 0;
  {
    TTraceProc Trace([&] {
      ++Formatted;
      return std::string("never");
    });
  }
  EXPECT_EQ(Formatted, 0);
  FlagTrace = true;
  {
    TTraceProc Outer("TPascalSource.CreateSymbols");
    TTraceProc Inner([&] { return Format("ConCat(a=%s,b=%s)", "x", "y"); });
  }
  const std::vector<Line> Expected = {{"velmoric.trace", "->TPascalSource.CreateSymbols"},
                                      {"velmoric.trace", "  ->ConCat(a=x,b=y)"},
                                      {"velmoric.trace", "  <-ConCat(a=x,b=y)"},
                                      {"velmoric.trace", "  <-TPascalSource.CreateSymbols"}};
  EXPECT_EQ(L.Lines(), Expected);
  try {
    TTraceProc Trace("Thrower");
    throw Exception("boom");
  } catch (const Exception&) {
  }
  const std::vector<Line> Unwound = {{"velmoric.trace", "  ->Thrower"},
                                     {"velmoric.trace", "  <-Thrower"}};
  EXPECT_EQ(L.Lines(), Unwound);
}

TEST_F(TraceClient, ReducedClientNeverSendsUnlessStarted) {
  Listener L;
  Connect(L);
  traceletWizard::tracelet->write("not started");
  EXPECT_EQ(traceletWizard::tracelet->Wnd(), 0);
  EXPECT_TRUE(L.Lines().empty());
}

TEST(TracePayload, EmptyStreamNameIsNeverSent) {
  EXPECT_FALSE(BuildTracePayload("", "text").has_value());
  EXPECT_EQ(*BuildTracePayload("s", ""), std::string("\x01s"));
}

TEST(FrameDecoder, ReassemblesFramesSplitAnywhere) {
  const std::string Bytes = ipc::EncodeFrame(1235, "\x06stdOuthello") +
                            ipc::EncodeFrame(ipc::WM_COPYDATA, "") +
                            ipc::EncodeFrame(1236, std::string(300, 'z'));
  EXPECT_EQ(Bytes.substr(0, 6), std::string("\xD3\x04\x00\x00\x0C\x00", 6));
  ipc::TFrameDecoder D;
  std::vector<ipc::TIpcFrame> Got;
  for (char C : Bytes) {
    D.Feed(&C, 1);
    ipc::TIpcFrame F;
    while (D.Next(F)) Got.push_back(F);
  }
  ASSERT_EQ(Got.size(), 3u);
  EXPECT_EQ(Got[0].Code, 1235u);
  EXPECT_EQ(Got[0].Payload, "\x06stdOuthello");
  EXPECT_EQ(Got[1].Code, ipc::WM_COPYDATA);
  EXPECT_EQ(Got[1].Payload, "");
  EXPECT_EQ(Got[2].Payload.size(), 300u);
  EXPECT_EQ(D.Pending(), 0u);
}

TEST(IpcWindow, SocketPathFollowsEnvironment) {
  ::setenv("TRACELET_SOCKET", "/tmp/x/sock", 1);
  EXPECT_EQ(ipc::WindowSocketPath("tracelet"), "/tmp/x/sock");
  ::unsetenv("TRACELET_SOCKET");
  ::setenv("XDG_RUNTIME_DIR", "/run/user/7", 1);
  EXPECT_EQ(ipc::WindowSocketPath("tracelet"), "/run/user/7/tracelet");
  ::unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(ipc::WindowSocketPath("tracelet"),
            "/tmp/tracelet-" + std::to_string(::getuid()) + "/tracelet");
  EXPECT_FALSE(ipc::SendFrame(0, 1235, "x"));
  EXPECT_FALSE(ipc::SendFrame(5, 1235, std::string(70000, 'x')));
}

TEST(IpcWindow, QuestionIsAnsweredByLengthAndText) {
  Listener L;
  const int Wnd = ipc::FindWindow("tracelet");
  ASSERT_GT(Wnd, 0);
  L.Accept();
  // Answer the question as the log window does: with the empty text.
  ASSERT_EQ(::send(L.Peer, "\x00\x00", 2, 0), 2);
  const auto Answer = ipc::SendQuestion(Wnd, "what?");
  ASSERT_TRUE(Answer.has_value());
  EXPECT_EQ(*Answer, "");
  const auto Frames = L.Frames();
  ASSERT_EQ(Frames.size(), 1u);
  EXPECT_EQ(Frames[0].Code, ipc::MsgQuestion);
  EXPECT_EQ(Frames[0].Payload, "what?");
  L.ClosePeer();
  EXPECT_FALSE(ipc::SendQuestion(Wnd, "again", 200).has_value());
  ipc::CloseWindow(Wnd);
  ::unsetenv("TRACELET_SOCKET");
}
