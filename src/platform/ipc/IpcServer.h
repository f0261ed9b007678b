// The window side of a window class socket: one listening socket that only
// its user may reach (folder 0700 when created here, socket 0600), and one
// instance per socket path, guarded by a lock file beside the socket.
#pragma once

#include <string>

namespace ipc {

enum class TListenResult { Ok, AlreadyRunning, Failed };

class TIpcServer {
 public:
  TIpcServer() = default;
  ~TIpcServer() { Close(); }
  TIpcServer(const TIpcServer&) = delete;
  TIpcServer& operator=(const TIpcServer&) = delete;

  // Creates the socket's folder when missing (mode 0700), takes the instance
  // lock, replaces a stale socket and listens. AlreadyRunning when another
  // process holds the lock or answers on the path; Failed with Error set
  // otherwise (an unsafe folder, a path that is no socket, a bind error).
  TListenResult Listen(const std::string& SocketPath, std::string& Error);
  int Fd() const { return FFd; }
  const std::string& Path() const { return FPath; }
  // The next waiting peer as a non-blocking descriptor, or -1.
  int Accept();
  // Stops listening, removes the socket and releases the lock.
  void Close();

 private:
  int FFd = -1;
  int FLockFd = -1;
  std::string FPath;
};

}  // namespace ipc
