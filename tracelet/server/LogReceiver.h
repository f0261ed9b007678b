// The receiving end of the trace protocol: owns the log window's socket,
// accepts any number of senders and hands their frames to the model. Each
// sender's frames are handled in the order sent. A frame that breaks the
// protocol (an unknown code, a payload too long for its code, a frame cut
// off by a disconnecting peer) is dropped; the store and other senders do
// not notice.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "core/LogModel.h"
#include "platform/ipc/IpcServer.h"
#include "platform/ipc/IpcWindow.h"

class TLogReceiver {
 public:
  explicit TLogReceiver(TLogModel& Model) : FModel(Model) {}
  ~TLogReceiver();
  TLogReceiver(const TLogReceiver&) = delete;
  TLogReceiver& operator=(const TLogReceiver&) = delete;

  ipc::TListenResult Listen(const std::string& SocketPath, std::string& Error);
  int ListenFd() const { return FServer.Fd(); }
  const std::string& SocketPath() const { return FServer.Path(); }

  // Accepts the next waiting sender: its descriptor, or -1 when none waits.
  int AcceptPeer();
  // Reads what a sender has sent and handles its complete frames. False when
  // the sender has gone; its descriptor is then closed.
  bool ReadPeer(int Fd);
  void ClosePeer(int Fd);
  const std::map<int, ipc::TFrameDecoder>& Peers() const { return FPeers; }

  // Handles one frame of a sender (Fd receives the answer to a question).
  void HandleFrame(int Fd, const ipc::TIpcFrame& Frame);

  // The loop without a window: waits up to TimeoutMs for senders and their
  // frames and handles what arrived. False when nothing came.
  bool Pump(int TimeoutMs);
  // Handles what senders have already sent (at most a few seconds' worth).
  void Drain();

  // Called after each received line (the window shows it).
  std::function<void(const TReceived&)> OnLine;

  uint64_t DroppedFrames() const { return FDropped; }

 private:
  TLogModel& FModel;
  ipc::TIpcServer FServer;
  std::map<int, ipc::TFrameDecoder> FPeers;
  uint64_t FDropped = 0;
};
