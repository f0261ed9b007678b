// "Find a window by class, send it a message", over Unix domain sockets.
// A window class is a socket path; finding the window is connecting to it,
// and a handle is the connected socket (0 = none). A frame is the message
// code (4 bytes little endian), the payload length (2 bytes little endian)
// and the payload. A question is answered by one frame of 2 length bytes and
// the answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ipc {

constexpr uint32_t WM_COPYDATA = 74;
constexpr uint32_t MsgTraceLine = 1235;
constexpr uint32_t MsgRegisterStream = 1236;
constexpr uint32_t MsgQuestion = 1237;
constexpr size_t FrameHeaderSize = 6;
constexpr size_t MaxFramePayload = 0xFFFF;

// Socket path of a window class: for "tracelet" $TRACELET_SOCKET when set,
// else $XDG_RUNTIME_DIR/tracelet, else /tmp/tracelet-<uid>/tracelet.
std::string WindowSocketPath(const std::string& ClassName);

// Connects to the window of the class; 0 when none listens. Never waits for a
// peer that is not there.
int FindWindow(const std::string& ClassName);
// Connects to a socket path directly; 0 when none listens.
int ConnectWindow(const std::string& SocketPath);
void CloseWindow(int Wnd);

// Writes one frame. A closed peer or a payload too long for a frame makes the
// send fail silently (false), as a dead window handle would.
bool SendFrame(int Wnd, uint32_t Code, std::string_view Payload);
// Sends a question (1237) and waits up to TimeoutMs for the answer.
std::optional<std::string> SendQuestion(int Wnd, std::string_view Payload, int TimeoutMs = 2000);

std::string EncodeFrame(uint32_t Code, std::string_view Payload);

struct TIpcFrame {
  uint32_t Code = 0;
  std::string Payload;
};

// Cuts a byte stream into frames; bytes of an incomplete frame stay pending.
class TFrameDecoder {
 public:
  void Feed(const char* Data, size_t Size) { FBuffer.append(Data, Size); }
  // The next complete frame, or false when more bytes are needed.
  bool Next(TIpcFrame& Frame);
  size_t Pending() const { return FBuffer.size() - FStart; }

 private:
  std::string FBuffer;
  size_t FStart = 0;
};

}  // namespace ipc
