#include "platform/ipc/IpcServer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/ipc/IpcWindow.h"

namespace ipc {

namespace {

std::string SystemError(const std::string& What) { return What + ": " + std::strerror(errno); }

// The folder must be a real directory of this user (or of root, as /tmp
// and /run/user are); a missing one is created for this user alone.
bool PrepareFolder(const std::string& Folder, std::string& Error) {
  if (::mkdir(Folder.c_str(), 0700) != 0 && errno != EEXIST) {
    Error = SystemError("cannot create the folder " + Folder);
    return false;
  }
  struct stat St {};
  if (::lstat(Folder.c_str(), &St) != 0) {
    Error = SystemError("cannot examine the folder " + Folder);
    return false;
  }
  if (!S_ISDIR(St.st_mode) || (St.st_uid != ::getuid() && St.st_uid != 0)) {
    Error = "the folder " + Folder + " is not a directory of this user";
    return false;
  }
  return true;
}

}  // namespace

TListenResult TIpcServer::Listen(const std::string& SocketPath, std::string& Error) {
  Close();
  sockaddr_un Addr{};
  Addr.sun_family = AF_UNIX;
  if (SocketPath.empty() || SocketPath.size() >= sizeof Addr.sun_path) {
    Error = "the socket path is empty or too long: " + SocketPath;
    return TListenResult::Failed;
  }
  std::memcpy(Addr.sun_path, SocketPath.data(), SocketPath.size());

  size_t Slash = SocketPath.rfind('/');
  std::string Folder = Slash == std::string::npos ? std::string(".")
                      : Slash == 0                 ? std::string("/")
                                                   : SocketPath.substr(0, Slash);
  if (!PrepareFolder(Folder, Error)) return TListenResult::Failed;

  std::string LockPath = SocketPath + ".lock";
  FLockFd = ::open(LockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (FLockFd < 0) {
    Error = SystemError("cannot open the lock file " + LockPath);
    return TListenResult::Failed;
  }
  if (::flock(FLockFd, LOCK_EX | LOCK_NB) != 0) {
    bool Held = errno == EWOULDBLOCK;
    Error = Held ? "another instance is running on " + SocketPath
                 : SystemError("cannot lock " + LockPath);
    Close();
    return Held ? TListenResult::AlreadyRunning : TListenResult::Failed;
  }

  // A socket left behind by an instance that ended abruptly is replaced,
  // unless something still answers on it.
  struct stat St {};
  if (::lstat(SocketPath.c_str(), &St) == 0) {
    if (!S_ISSOCK(St.st_mode)) {
      Error = SocketPath + " exists and is not a socket";
      Close();
      return TListenResult::Failed;
    }
    if (int Peer = ConnectWindow(SocketPath)) {
      CloseWindow(Peer);
      Error = "another instance is running on " + SocketPath;
      Close();
      return TListenResult::AlreadyRunning;
    }
    ::unlink(SocketPath.c_str());
  }

  FFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (FFd < 0) {
    Error = SystemError("cannot create a socket");
    Close();
    return TListenResult::Failed;
  }
  mode_t OldMask = ::umask(0177);  // the socket is born 0600
  int Bound = ::bind(FFd, reinterpret_cast<sockaddr*>(&Addr), sizeof Addr);
  ::umask(OldMask);
  if (Bound != 0 || ::chmod(SocketPath.c_str(), 0600) != 0 || ::listen(FFd, 64) != 0) {
    Error = SystemError("cannot listen on " + SocketPath);
    if (Bound == 0) ::unlink(SocketPath.c_str());
    Close();
    return TListenResult::Failed;
  }
  FPath = SocketPath;
  return TListenResult::Ok;
}

int TIpcServer::Accept() {
  if (FFd < 0) return -1;
  for (;;) {
    int Peer = ::accept4(FFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (Peer >= 0 || errno != EINTR) return Peer;
  }
}

void TIpcServer::Close() {
  if (FFd >= 0) {
    ::close(FFd);
    if (!FPath.empty()) ::unlink(FPath.c_str());
  }
  if (FLockFd >= 0) ::close(FLockFd);
  FFd = -1;
  FLockFd = -1;
  FPath.clear();
}

}  // namespace ipc
