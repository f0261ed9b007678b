// Replacing a file's whole content in one step: readers see the old file or
// the new one, never a cut one, also after a crash or on a full disk.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

struct TAtomicWrite {
  // Permission bits of a file that does not exist yet (the umask applies);
  // an existing file keeps its own.
  mode_t Mode = 0666;
  // Flush the new content to the disk before it replaces the old.
  bool Sync = false;
};

// Which step of an atomic write failed, and with which errno.
struct TAtomicWriteResult {
  enum TStep { Done, Create, Write, Close, Rename } Step = Done;
  int Error = 0;
  explicit operator bool() const { return Step == Done; }
};

// An atomic write in two steps, for a replacement decided after its content
// is ready (on another thread, say): Prepare writes the content to the
// temporary file, Commit renames it over the file. A prepared write never
// committed is removed with the object.
class TPreparedWrite {
 public:
  TPreparedWrite() = default;
  ~TPreparedWrite();
  TPreparedWrite(const TPreparedWrite&) = delete;
  TPreparedWrite& operator=(const TPreparedWrite&) = delete;

  TAtomicWriteResult Prepare(const std::string& FileName, std::string_view Data,
                             const TAtomicWrite& How = {});
  TAtomicWriteResult Commit();
  // The temporary file while prepared and not committed, else empty.
  const std::string& TempName() const { return FTemp; }

 private:
  std::string FTarget;
  std::string FTemp;
  std::string FInPlace;  // a device's or a pipe's content, written at Commit
  bool FWriteInPlace = false;
};

// Writes Data to a new temporary file in FileName's folder, checks every
// write and the close, and renames it over FileName. A symbolic link is
// followed: the file it names is replaced, the link stays. On failure the
// temporary file is removed and FileName is left as it was.
TAtomicWriteResult TryWriteFileAtomically(const std::string& FileName, std::string_view Data,
                                          const TAtomicWrite& How = {});

// The same; raises EFCreateError "Cannot create file %s: %s" when the
// temporary file cannot be made, else EWriteError "Cannot write file %s: %s".
void WriteFileAtomically(const std::string& FileName, std::string_view Data,
                         const TAtomicWrite& How = {});
// The message of the error WriteFileAtomically raises for a failed result.
std::string AtomicWriteErrorText(const std::string& FileName, const TAtomicWriteResult& R);
