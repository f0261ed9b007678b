#include "server/LogReceiver.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {
constexpr size_t kReadChunk = 65536;
constexpr int kReadsPerTurn = 16;  // then other senders get their turn
}  // namespace

TLogReceiver::~TLogReceiver() {
  for (auto& [Fd, Decoder] : FPeers) ::close(Fd);
}

ipc::TListenResult TLogReceiver::Listen(const std::string& SocketPath, std::string& Error) {
  return FServer.Listen(SocketPath, Error);
}

int TLogReceiver::AcceptPeer() {
  int Fd = FServer.Accept();
  if (Fd >= 0) FPeers[Fd];
  return Fd;
}

void TLogReceiver::ClosePeer(int Fd) {
  auto It = FPeers.find(Fd);
  if (It == FPeers.end()) return;
  if (It->second.Pending() > 0) ++FDropped;  // a frame cut off by the disconnect
  FPeers.erase(It);
  ::close(Fd);
}

bool TLogReceiver::ReadPeer(int Fd) {
  auto It = FPeers.find(Fd);
  if (It == FPeers.end()) return false;
  ipc::TFrameDecoder& Decoder = It->second;
  char Buffer[kReadChunk];
  bool Alive = true;
  for (int Turn = 0; Turn < kReadsPerTurn; ++Turn) {
    ssize_t N = ::recv(Fd, Buffer, sizeof Buffer, 0);
    if (N < 0 && errno == EINTR) continue;
    if (N < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (N <= 0) {
      Alive = false;
      break;
    }
    Decoder.Feed(Buffer, static_cast<size_t>(N));
    ipc::TIpcFrame Frame;
    while (Decoder.Next(Frame)) HandleFrame(Fd, Frame);
    if (static_cast<size_t>(N) < sizeof Buffer) break;
  }
  FModel.FlushLog();
  if (!Alive) ClosePeer(Fd);
  return Alive;
}

void TLogReceiver::HandleFrame(int Fd, const ipc::TIpcFrame& Frame) {
  const std::string& P = Frame.Payload;
  bool AtomSized = P.size() <= static_cast<size_t>(kMaxPayload);
  switch (Frame.Code) {
    case ipc::MsgTraceLine:
    case ipc::WM_COPYDATA: {
      bool ByAtom = Frame.Code == ipc::MsgTraceLine;
      if (ByAtom && !AtomSized) break;
      TReceived Result = FModel.ReceiveLine(P, ByAtom);
      if (!Result.Taken) break;
      if (OnLine) OnLine(Result);
      return;
    }
    case ipc::MsgRegisterStream:
      if (!AtomSized) break;
      FModel.RegisterMessage(P);
      return;
    case ipc::MsgQuestion: {
      if (!AtomSized) break;
      std::string Answer = FModel.Answer(P);
      std::string Reply;
      Reply += static_cast<char>(Answer.size() & 0xFF);
      Reply += static_cast<char>((Answer.size() >> 8) & 0xFF);
      Reply += Answer;
      // A sender that does not read its answers loses them, not the window.
      [[maybe_unused]] ssize_t Sent = ::send(Fd, Reply.data(), Reply.size(), MSG_NOSIGNAL);
      return;
    }
    default:
      break;
  }
  ++FDropped;
}

bool TLogReceiver::Pump(int TimeoutMs) {
  std::vector<pollfd> Fds;
  Fds.push_back({FServer.Fd(), POLLIN, 0});
  for (auto& [Fd, Decoder] : FPeers) Fds.push_back({Fd, POLLIN, 0});
  int Ready = ::poll(Fds.data(), Fds.size(), TimeoutMs);
  if (Ready <= 0) return false;
  for (size_t I = 1; I < Fds.size(); ++I)
    if (Fds[I].revents) ReadPeer(Fds[I].fd);
  if (Fds[0].revents & POLLIN)
    while (AcceptPeer() >= 0) {
    }
  return true;
}

void TLogReceiver::Drain() {
  for (int Round = 0; Round < 10000 && Pump(0); ++Round) {
  }
}
