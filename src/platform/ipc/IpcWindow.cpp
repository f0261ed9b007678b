#include "platform/ipc/IpcWindow.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace ipc {

std::string WindowSocketPath(const std::string& ClassName) {
  if (ClassName == "tracelet") {
    if (const char* Env = std::getenv("TRACELET_SOCKET"); Env && *Env) return Env;
  }
  if (const char* Runtime = std::getenv("XDG_RUNTIME_DIR"); Runtime && *Runtime)
    return std::string(Runtime) + "/" + ClassName;
  return "/tmp/" + ClassName + "-" + std::to_string(::getuid()) + "/" + ClassName;
}

int FindWindow(const std::string& ClassName) { return ConnectWindow(WindowSocketPath(ClassName)); }

int ConnectWindow(const std::string& SocketPath) {
  sockaddr_un Addr{};
  Addr.sun_family = AF_UNIX;
  if (SocketPath.empty() || SocketPath.size() >= sizeof Addr.sun_path) return 0;
  std::memcpy(Addr.sun_path, SocketPath.data(), SocketPath.size());
  // No socket there, no window: one call instead of socket, connect and close.
  struct stat St;
  if (::stat(Addr.sun_path, &St) != 0 || !S_ISSOCK(St.st_mode)) return 0;

  int Fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (Fd < 0) return 0;
  if (Fd == 0) {  // 0 means "no window": move the socket off descriptor 0
    const int Moved = ::fcntl(Fd, F_DUPFD_CLOEXEC, 1);
    ::close(Fd);
    if (Moved < 0) return 0;
    Fd = Moved;
  }
  if (::connect(Fd, reinterpret_cast<sockaddr*>(&Addr), sizeof Addr) != 0) {
    ::close(Fd);
    return 0;
  }
  return Fd;
}

void CloseWindow(int Wnd) {
  if (Wnd > 0) ::close(Wnd);
}

std::string EncodeFrame(uint32_t Code, std::string_view Payload) {
  std::string Frame;
  Frame.reserve(FrameHeaderSize + Payload.size());
  for (int I = 0; I < 4; ++I) Frame += static_cast<char>((Code >> (8 * I)) & 0xFF);
  const size_t Len = Payload.size();
  Frame += static_cast<char>(Len & 0xFF);
  Frame += static_cast<char>((Len >> 8) & 0xFF);
  Frame.append(Payload);
  return Frame;
}

static bool WriteAll(int Fd, const char* Data, size_t Size) {
  while (Size > 0) {
    const ssize_t N = ::send(Fd, Data, Size, MSG_NOSIGNAL);
    if (N < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    Data += N;
    Size -= static_cast<size_t>(N);
  }
  return true;
}

bool SendFrame(int Wnd, uint32_t Code, std::string_view Payload) {
  if (Wnd <= 0 || Payload.size() > MaxFramePayload) return false;
  const std::string Frame = EncodeFrame(Code, Payload);
  return WriteAll(Wnd, Frame.data(), Frame.size());
}

// Reads exactly Size bytes, waiting at most until Deadline of poll time.
static bool ReadExact(int Fd, char* Data, size_t Size, int TimeoutMs) {
  while (Size > 0) {
    pollfd P{Fd, POLLIN, 0};
    const int R = ::poll(&P, 1, TimeoutMs);
    if (R < 0 && errno == EINTR) continue;
    if (R <= 0) return false;
    const ssize_t N = ::recv(Fd, Data, Size, 0);
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) return false;
    Data += N;
    Size -= static_cast<size_t>(N);
  }
  return true;
}

std::optional<std::string> SendQuestion(int Wnd, std::string_view Payload, int TimeoutMs) {
  if (!SendFrame(Wnd, MsgQuestion, Payload)) return std::nullopt;
  unsigned char Len[2];
  if (!ReadExact(Wnd, reinterpret_cast<char*>(Len), 2, TimeoutMs)) return std::nullopt;
  std::string Answer(static_cast<size_t>(Len[0] | (Len[1] << 8)), '\0');
  if (!ReadExact(Wnd, Answer.data(), Answer.size(), TimeoutMs)) return std::nullopt;
  return Answer;
}

bool TFrameDecoder::Next(TIpcFrame& Frame) {
  if (Pending() < FrameHeaderSize) return false;
  const auto* H = reinterpret_cast<const unsigned char*>(FBuffer.data() + FStart);
  const size_t Len = H[4] | (static_cast<size_t>(H[5]) << 8);
  if (Pending() < FrameHeaderSize + Len) return false;
  Frame.Code = H[0] | (H[1] << 8) | (H[2] << 16) | (static_cast<uint32_t>(H[3]) << 24);
  Frame.Payload.assign(FBuffer, FStart + FrameHeaderSize, Len);
  FStart += FrameHeaderSize + Len;
  // Drop consumed bytes now and then, not on every frame.
  if (FStart == FBuffer.size()) {
    FBuffer.clear();
    FStart = 0;
  } else if (FStart > 65536) {
    FBuffer.erase(0, FStart);
    FStart = 0;
  }
  return true;
}

}  // namespace ipc
