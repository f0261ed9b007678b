// The file repository: where the source file of each unit was found, kept
// from one session to the next in "filerep.dat" in the data directory.
// Part of the unit VelmoricPascalScanner.
#pragma once

#include <string>

#include "platform/rtl/Classes.h"
#include "scanner/VelmoricSaveList.h"

class TFileRepositoryItem : public TObject {
 public:
  std::string FullName;  // full path of a source file as found
};

class TFileRepository {
 public:
  TFileRepository();
  ~TFileRepository();
  TFileRepository(const TFileRepository&) = delete;
  TFileRepository& operator=(const TFileRepository&) = delete;

  // When the key of Name is known, Name becomes the remembered path.
  bool FindFile(std::string& Name) const;
  // Remembers a found file; a relative Name is made absolute first (the
  // caller's variable changes). The first location of a unit wins.
  void Add(std::string& Name);
  // "filerep.dat" in VelmoricPath: one path per line, CR LF, list order.
  // The file is replaced whole; a failure raises EInOutError and leaves the
  // old file as it was.
  void WriteToFile() const;
  // Appends the file's lines, when the file exists.
  void ReadFromFile();
  // Forgets every entry (the options dialog empties the repository).
  void Clear();

  static std::string FileName();
  // The unit key of a file name: the file part, lower-cased, cut before its first ".".
  static std::string KeyOf(const std::string& Name);

  TSaveStringList list;  // key -> TFileRepositoryItem (owned), insertion order
};

extern TFileRepository* fileRepository;
