// The symbol store: a unit's uses list and symbol tree written to, and read
// from, a binary ".pax" file beside the source. Part of the unit
// VelmoricPascalScanner.
//
// Layout (integers 32-bit little-endian; a string is its length and its bytes):
//   uses count, uses names;
//   the records of the tree, depth first, each before its children;
//   an end record (kind 0).
// A record is a 44-byte header and 14 strings:
//   0 Typ (1), 1 ProcTyp (1), 4 Line, 8 Bereich (1), 12 defbegin, 16 defend,
//   24 DeclLine, 28 Options (2), 32 child count, 36 own index, 40 parent index;
//   the bytes between are zero. Strings: name, Ancestor, Comment, Params,
//   MessageId, ResultType, ReadAccess, WriteAccess, IndexName, IndexType,
//   ConstType, TypeName, Reserved, DefaultValue.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/Classes.h"
#include "scanner/VelmoricSymbols.h"

class TPascalSource;

// A store image that does not hold together: truncated, a count, length,
// index or kind that does not fit. The message says what and where.
class ESymbolStoreError : public EReadError {
 public:
  using EReadError::EReadError;
};

// When on, the trace stream "readsymbols" gets every integer and string
// written, every non-empty string read and every record read.
extern bool LoadSymbolsDebug;

// A store file opened for reading, with what fstat told of it. A compile
// checks the store's time on the open file and then reads that same file.
class TStoreFile {
 public:
  TStoreFile() = default;
  // Opens FileName read-only; IsOpen() tells whether that worked and
  // Error() holds errno when it did not.
  explicit TStoreFile(const std::string& FileName);
  TStoreFile(TStoreFile&& Other) noexcept;
  TStoreFile& operator=(TStoreFile&& Other) noexcept;
  ~TStoreFile();

  bool IsOpen() const { return FFd >= 0; }
  int Error() const { return FError; }
  int Descriptor() const { return FFd; }
  const std::string& FileName() const { return FFileName; }
  const struct stat& Status() const { return FStatus; }

 private:
  void Close();

  std::string FFileName;
  int FFd = -1;
  int FError = 0;
  struct stat FStatus {};
};

class TOrvikSymbolstore {
 public:
  static constexpr int HeaderSize = 44;
  static constexpr int StringCount = 14;
  // Deeper trees are taken for damage (parsed units nest a few levels).
  static constexpr int MaxNesting = 1000;

  TOrvikSymbolstore();
  TOrvikSymbolstore(const TOrvikSymbolstore&) = delete;
  TOrvikSymbolstore& operator=(const TOrvikSymbolstore&) = delete;

  // A new record of Source: empty texts, no lists, Line and DeclLine -1.
  TOrvikSymbol* Allocate(TPascalSource* Source);

  // Writes Source's uses list and symbol tree, replacing the file whole.
  // Raises EFCreateError or EWriteError when it cannot be written; the old
  // file is then left as it was.
  void SaveToFile(const std::string& FileName, TPascalSource* Source);
  // Replaces Source's uses list and symbol tree by the file's. The root
  // symbol's Source must be set already. Raises EFOpenError when the file
  // cannot be read and ESymbolStoreError when it is damaged; Source is then
  // unchanged.
  void LoadFromFile(const std::string& FileName, TPascalSource* Source);
  // The same on a store file opened before; it is read from where it stands.
  void LoadFromFile(const TStoreFile& File, TPascalSource* Source);

  // The same on memory images. Uses may be nil (written as no entries).
  std::string SaveToImage(const TStrings* Uses, TOrvikSymbol& Root);
  // Fills Uses (emptied first) and Root's fields and children from Image;
  // every record gets Source. All or nothing. With Texts, the records' long
  // texts and their lists' keys are placed there (Root's own texts are not):
  // Texts must then outlive the tree, or OwnHeldTexts copy what outlives it.
  void LoadFromImage(std::string_view Image, TPascalSource* Source, TStrings& Uses,
                     TOrvikSymbol& Root, TSymTextArena* Texts = nullptr);

  // Building blocks of a save.
  void WriteInteger(int32_t I);
  void WriteString(std::string_view S);
  void WriteUses(const TStrings* Uses);
  void WriteSymbol(TOrvikSymbol& Symbol, int ParentIndex);
  // Building blocks of a load; each raises ESymbolStoreError rather than read
  // past the end of the image.
  int32_t ReadInteger();
  void ReadString(std::string& S);
  void ReadUses(std::vector<std::string>& Uses);
  // Reads one record into Symbol and hangs it below its parent record (none
  // for index -1); false for the end record. Sets ParentIndex.
  bool ReadSymbol(TOrvikSymbol& Symbol, int& ParentIndex);

  // Records written so far in the current save.
  int32_t RecordCounter = 0;
  // When set, told of every record a load reads (not the end record), in file
  // order, with the stored own index, parent index and child count.
  std::function<void(const TOrvikSymbol& Symbol, int OwnIndex, int ParentIndex, int Children)>
      OnRecord;

 private:
  [[noreturn]] void Damaged(const std::string& What) const;
  std::string_view TakeString();
  size_t Left() const { return static_cast<size_t>(FEnd - FPos); }
  size_t Offset() const { return static_cast<size_t>(FPos - FStart); }

  std::string FStream;  // the image being written
  const char* FStart = nullptr;  // the image being read
  const char* FPos = nullptr;
  const char* FEnd = nullptr;
  std::vector<TOrvikSymbol*> FTags;  // records read so far, by their index
  std::vector<int> FDepth;           // nesting depth of each of them
  TSymTextArena* FTexts = nullptr;   // where the load places texts, if anywhere
};
