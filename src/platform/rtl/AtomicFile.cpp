#include "platform/rtl/AtomicFile.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/rtl/SysUtils.h"

namespace {

std::atomic<unsigned> TempCounter{0};

// The file a name stands for: a symbolic link's target (when it resolves).
std::string FileBehind(const std::string& FileName) {
  struct stat St;
  if (::lstat(FileName.c_str(), &St) != 0 || !S_ISLNK(St.st_mode)) return FileName;
  char Resolved[PATH_MAX];
  return ::realpath(FileName.c_str(), Resolved) ? std::string(Resolved) : FileName;
}

bool WriteAll(int Fd, std::string_view Data) {
  size_t Done = 0;
  while (Done < Data.size()) {
    const ssize_t N = ::write(Fd, Data.data() + Done, Data.size() - Done);
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) {
      if (N == 0) errno = EIO;
      return false;
    }
    Done += static_cast<size_t>(N);
  }
  return true;
}

TAtomicWriteResult Failed(TAtomicWriteResult::TStep Step, int Error) {
  TAtomicWriteResult R;
  R.Step = Step;
  R.Error = Error;
  return R;
}

// A device or a pipe cannot be replaced: its content is written in place.
TAtomicWriteResult WriteInPlace(const std::string& FileName, std::string_view Data) {
  const int Fd = ::open(FileName.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (Fd < 0) return Failed(TAtomicWriteResult::Create, errno);
  if (!WriteAll(Fd, Data)) {
    const int Err = errno;
    ::close(Fd);
    return Failed(TAtomicWriteResult::Write, Err);
  }
  if (::close(Fd) != 0) return Failed(TAtomicWriteResult::Close, errno);
  return {};
}

}  // namespace

TPreparedWrite::~TPreparedWrite() {
  if (!FTemp.empty()) ::unlink(FTemp.c_str());
}

TAtomicWriteResult TPreparedWrite::Prepare(const std::string& FileName, std::string_view Data,
                                           const TAtomicWrite& How) {
  FTarget = FileBehind(FileName);
  struct stat Old;
  const bool Existed = ::stat(FTarget.c_str(), &Old) == 0;
  if (Existed && !S_ISREG(Old.st_mode) && !S_ISDIR(Old.st_mode)) {
    FWriteInPlace = true;
    FInPlace.assign(Data);
    return {};
  }

  // A hidden name in the same folder, so that the rename stays on one file system.
  const std::string Dir = ExtractFilePath(FTarget);
  std::string Base = ExtractFileName(FTarget);
  if (Base.size() > 100) Base.resize(100);
  std::string Temp;
  int Fd = -1;
  for (int Try = 0; Fd < 0 && Try < 100; ++Try) {
    Temp = Dir + "." + Base + "." + IntToStr(::getpid()) + "-" + IntToStr(TempCounter++) + ".tmp";
    Fd = ::open(Temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, How.Mode);
    if (Fd < 0 && errno != EEXIST) break;
  }
  if (Fd < 0) return Failed(TAtomicWriteResult::Create, errno);

  const auto Abandon = [&](TAtomicWriteResult::TStep Step, int Err, bool Open) {
    if (Open) ::close(Fd);
    ::unlink(Temp.c_str());
    return Failed(Step, Err);
  };
  if (!WriteAll(Fd, Data)) return Abandon(TAtomicWriteResult::Write, errno, true);
  if (Existed && ::fchmod(Fd, Old.st_mode & 07777) != 0)
    return Abandon(TAtomicWriteResult::Write, errno, true);
  if (How.Sync && ::fsync(Fd) != 0) return Abandon(TAtomicWriteResult::Write, errno, true);
  if (::close(Fd) != 0) return Abandon(TAtomicWriteResult::Close, errno, false);
  FTemp = Temp;
  return {};
}

TAtomicWriteResult TPreparedWrite::Commit() {
  if (FWriteInPlace) {
    FWriteInPlace = false;
    return WriteInPlace(FTarget, FInPlace);
  }
  const std::string Temp = std::exchange(FTemp, std::string());
  if (::rename(Temp.c_str(), FTarget.c_str()) != 0) {
    const int Err = errno;
    ::unlink(Temp.c_str());
    return Failed(TAtomicWriteResult::Rename, Err);
  }
  return {};
}

TAtomicWriteResult TryWriteFileAtomically(const std::string& FileName, std::string_view Data,
                                          const TAtomicWrite& How) {
  TPreparedWrite Write;
  const TAtomicWriteResult R = Write.Prepare(FileName, Data, How);
  return R ? Write.Commit() : R;
}

std::string AtomicWriteErrorText(const std::string& FileName, const TAtomicWriteResult& R) {
  return Format(R.Step == TAtomicWriteResult::Create ? "Cannot create file %s: %s" : "Cannot write file %s: %s",
                FileName, std::strerror(R.Error));
}

void WriteFileAtomically(const std::string& FileName, std::string_view Data,
                         const TAtomicWrite& How) {
  const TAtomicWriteResult R = TryWriteFileAtomically(FileName, Data, How);
  if (R) return;
  if (R.Step == TAtomicWriteResult::Create) throw EFCreateError(AtomicWriteErrorText(FileName, R));
  throw EWriteError(AtomicWriteErrorText(FileName, R));
}
