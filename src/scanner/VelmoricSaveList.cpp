#include "scanner/VelmoricSaveList.h"

#include "platform/rtl/SysUtils.h"
#include "trace/traceletVelmoric.h"

namespace {
const char* const SIndexOutOfRange = "Index out of range (index=%d max = %d) in List %s %s";
}

// ----------------------------------------------------------------- TSaveList

TSaveList::TSaveList(std::string AName, std::string ACreatorName)
    : Name(std::move(AName)), CreatorName(std::move(ACreatorName)) {
  TTraceProc Trace("TSaveList.CreateS");
}

void TSaveList::CheckRangeError(int Index) const {
  TTraceProc Trace("TSaveList.CheckRangeError");
  if (Index < 0 || Index >= Count())
    throw EListError(Format(SIndexOutOfRange, Index, Count(), Name, CreatorName));
}

void* TSaveList::GetItems(int Index) const {
  TTraceProc Trace("TSaveList.GetItems");
  CheckRangeError(Index);
  return Get(Index);
}

void TSaveList::PutItems(int Index, void* Item) {
  TTraceProc Trace("TSaveList.PutItems");
  CheckRangeError(Index);
  Put(Index, Item);
}

// ----------------------------------------------------------- TSaveStringList

TSaveStringList::TSaveStringList(std::string AName, std::string ACreatorName)
    : Name(std::move(AName)), CreatorName(std::move(ACreatorName)) {
  TTraceProc Trace("TSaveStringList.CreateS");
}

void TSaveStringList::CheckRangeError(int Index) const {
  TTraceProc Trace("TSaveStringList.CheckRangeError");
  if (Index < 0 || Index >= Count())
    throw EStringListError(Format(SIndexOutOfRange, Index, Count(), Name, CreatorName));
}

std::string TSaveStringList::GetItems(int Index) const {
  TTraceProc Trace("TSaveStringList.GetItems");
  CheckRangeError(Index);
  return Get(Index);
}

void TSaveStringList::PutItems(int Index, const std::string& S) {
  TTraceProc Trace("TSaveStringList.PutItems");
  CheckRangeError(Index);
  Put(Index, S);
}

TObject* TSaveStringList::GetObjects(int Index) const {
  TTraceProc Trace("TSaveStringList.GetObjects");
  CheckRangeError(Index);
  return GetObject(Index);
}

void TSaveStringList::PutObjects(int Index, TObject* Obj) {
  TTraceProc Trace("TSaveStringList.PutObjects");
  CheckRangeError(Index);
  PutObject(Index, Obj);
}
