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
