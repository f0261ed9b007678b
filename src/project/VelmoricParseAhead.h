// TParseAhead: parses the units of a long compile on worker threads, ahead of
// the thread that compiles them, so that a compile of many units keeps every
// core busy. Part of the unit VelmoricPascalScanner.
//
//   TParseAhead Ahead(Project, Files, Options, TParseAhead::Cores());
//   for (const std::string& F : Files) Project.Compile(F, Options);
//
// The compile goes on exactly as without it: in its order, on its thread, with
// its searches, shares and store loads. Only where it would read a unit's file
// and parse it does it take the parse made ahead instead (TPascalProject::
// ParseFile), and such a parse is the one it would have made: the same file
// read from the same point (its time taken before its text), the same options,
// a source that nothing else has seen. The trace lines a parse writes are kept
// and sent when the compile takes it, where its own parse would have sent them;
// its store is written ahead to a temporary file, renamed into place when the
// compile takes the parse and removed when it never does.
//
// Parsed ahead: each file whose unit is not in the project (or its memory
// project) yet, is not open in the IDE, has no current store and is not the
// same unit as an earlier file of the list. Nothing is parsed ahead with one
// thread, with the parser's uses callback on (oCompileUnits: the parse itself
// compiles other units), while procedure tracing is on, or while the compiling
// status window is shown; the compile then parses everything itself.
#pragma once

#include <time.h>

#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/rtl/AtomicFile.h"
#include "scanner/VelmoricPascalSource.h"

class TPascalProject;

// A unit's file read and parsed, not yet part of any project.
struct TParsedUnit {
  TParsedUnit() = default;
  TParsedUnit(const TParsedUnit&) = delete;
  TParsedUnit& operator=(const TParsedUnit&) = delete;
  ~TParsedUnit() { delete Source; }

  TPascalSource* Source = nullptr;  // owned until taken; nil when the file could not be read
  bool HaveTime = false;            // the file's modification time, taken before its text
  struct timespec Time {};
  // The store, when one is wanted: written to its temporary file and stamped
  // with Time; the compile that takes the parse renames it into place.
  bool HaveStore = false;
  TPreparedWrite Store;
  TAtomicWriteResult StoreWritten;
  bool StoreStamped = false;
  std::vector<std::pair<std::string, std::string>> TraceLines;  // stream, text
  std::exception_ptr Error;         // what reading (no Source) or parsing raised
};

class TParseAhead {
 public:
  // Attaches itself to Project (Project.FParseAhead) and starts Threads - 1
  // workers; the compiling thread parses too: the file it needs when nobody
  // has started it, and the files after it while it waits for a worker.
  TParseAhead(TPascalProject& Project, const std::vector<std::string>& FileNames,
              TCompilerOptionsSet Options, unsigned Threads);
  // Detaches, lets the workers finish the parse in hand and frees the parses
  // never taken.
  ~TParseAhead();
  TParseAhead(const TParseAhead&) = delete;
  TParseAhead& operator=(const TParseAhead&) = delete;

  // The parse of FileName with Options, waiting for it or making it now;
  // nil when it is not one of the files parsed ahead (or was taken already).
  std::unique_ptr<TParsedUnit> Take(const std::string& FileName, TCompilerOptionsSet Options);

  // How many files are parsed ahead (0 when the compile parses everything itself).
  size_t Count() const { return FSlots.size(); }
  // The cores of this machine (at least 1).
  static unsigned Cores();

 private:
  enum class TState { Waiting, Parsing, Done, Taken };
  struct TSlot {
    std::string FileName;
    TState State = TState::Waiting;
    std::unique_ptr<TParsedUnit> Parsed;
  };

  void Work();
  // Claims the slot (Waiting -> Parsing) under the lock; false when taken by another.
  bool Claim(TSlot& Slot);
  // Claims the next slot nobody has started, under the lock; nil when none is left.
  TSlot* ClaimNext();
  void Finish(TSlot& Slot, std::unique_ptr<TParsedUnit> Parsed);

  TPascalProject& FProject;
  TCompilerOptionsSet FOptions;
  std::vector<TSlot> FSlots;
  std::unordered_map<std::string, size_t> FIndex;  // file name -> slot
  std::mutex FLock;
  std::condition_variable FDone;
  size_t FNext = 0;  // the next slot a worker looks at (under FLock)
  bool FStop = false;
  std::vector<std::thread> FWorkers;
};

// Reads FileName and parses it with Options, as a compile would, on the
// calling thread; the trace lines are kept in the result.
std::unique_ptr<TParsedUnit> ParseUnitFile(const std::string& FileName, TCompilerOptionsSet Options);
