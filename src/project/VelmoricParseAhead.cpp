#include "project/VelmoricParseAhead.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <unordered_set>

#include "platform/opentools/ToolIntf.h"
#include "project/VelmoricPascalProject.h"
#include "trace/VelmoricStatus.h"
#include "trace/TraceCapture.h"

std::unique_ptr<TParsedUnit> ParseUnitFile(const std::string& FileName,
                                           TCompilerOptionsSet Options) {
  auto P = std::make_unique<TParsedUnit>();
  TTraceCapture Capture;
  struct stat St;
  if (::stat(FileName.c_str(), &St) == 0) {
    P->HaveTime = true;
    P->Time = St.st_mtim;
  }
  try {
    auto Lines = std::make_unique<TSaveStringList>("source", "TPascalProject");
    Lines->LoadFromFile(FileName);
    auto Token = std::make_unique<TToken>(Lines.get());
    P->Source = new TPascalSource(Token.get());
    TPascalSource* S = P->Source;
    S->Options = Options;
    S->FileName = FileName;
    try {
      S->CreateSymbols(Options);
    } catch (...) {
      P->Error = std::current_exception();
    }
    S->Token = nullptr;
    if (!P->Error && P->HaveTime && TPascalProject::HasStoreBeside(FileName)) {
      P->HaveStore = true;
      P->StoreWritten = P->Store.Prepare(TPascalProject::StoreFileName(FileName),
                                         S->Store->SaveToImage(S->usesList, S->symbols));
      const struct timespec Times[2] = {{0, UTIME_OMIT}, P->Time};
      P->StoreStamped = P->StoreWritten && !P->Store.TempName().empty() &&
                        ::utimensat(AT_FDCWD, P->Store.TempName().c_str(), Times, 0) == 0;
    }
  } catch (...) {
    P->Error = std::current_exception();
  }
  P->TraceLines = std::move(Capture.Lines);
  return P;
}

unsigned TParseAhead::Cores() {
  const unsigned N = std::thread::hardware_concurrency();
  return N ? N : 1;
}

TParseAhead::TParseAhead(TPascalProject& Project, const std::vector<std::string>& FileNames,
                         TCompilerOptionsSet Options, unsigned Threads)
    : FProject(Project), FOptions(Options) {
  FProject.FParseAhead = this;
  const bool StatusShown = DisplayCompilerProcess && FormVelmoricCompiling;
  if (Threads < 2 || Options.Contains(oCompileUnits) || FlagTrace || StatusShown) return;

  const auto Registered = [](const TPascalProject* P, const std::string& Key) {
    return P && P->FUnitLIst->IndexOf(Key) >= 0;
  };
  std::unordered_set<std::string> Keys;
  for (const std::string& F : FileNames) {
    const std::string Key = TPascalProject::UnitKey(LowerCase(F));
    if (!Keys.insert(Key).second || Registered(&FProject, Key) ||
        Registered(FProject.FMemoryProject, Key))
      continue;
    if (!FileExists(F) || (ToolServices && ToolServices->IsFileOpen(F)) || FProject.CheckSymbols(F))
      continue;
    FIndex.emplace(F, FSlots.size());
    FSlots.emplace_back().FileName = F;
  }
  const unsigned Workers = std::min<size_t>(Threads - 1, FSlots.size());
  for (unsigned I = 0; I < Workers; ++I) FWorkers.emplace_back([this] { Work(); });
}

TParseAhead::~TParseAhead() {
  {
    std::lock_guard<std::mutex> Guard(FLock);
    FStop = true;
  }
  for (std::thread& T : FWorkers) T.join();
  FProject.FParseAhead = nullptr;
}

bool TParseAhead::Claim(TSlot& Slot) {
  if (Slot.State != TState::Waiting) return false;
  Slot.State = TState::Parsing;
  return true;
}

void TParseAhead::Finish(TSlot& Slot, std::unique_ptr<TParsedUnit> Parsed) {
  {
    std::lock_guard<std::mutex> Guard(FLock);
    Slot.Parsed = std::move(Parsed);
    Slot.State = TState::Done;
  }
  FDone.notify_all();
}

TParseAhead::TSlot* TParseAhead::ClaimNext() {
  while (!FStop && FNext < FSlots.size()) {
    TSlot& S = FSlots[FNext++];
    if (Claim(S)) return &S;
  }
  return nullptr;
}

void TParseAhead::Work() {
  for (;;) {
    TSlot* Slot;
    {
      std::lock_guard<std::mutex> Guard(FLock);
      Slot = ClaimNext();
    }
    if (!Slot) return;
    Finish(*Slot, ParseUnitFile(Slot->FileName, FOptions));
  }
}

std::unique_ptr<TParsedUnit> TParseAhead::Take(const std::string& FileName,
                                               TCompilerOptionsSet Options) {
  if (Options != FOptions) return nullptr;
  const auto It = FIndex.find(FileName);
  if (It == FIndex.end()) return nullptr;
  TSlot& Slot = FSlots[It->second];
  std::unique_lock<std::mutex> Guard(FLock);
  if (Slot.State == TState::Taken) return nullptr;
  const auto ParseHere = [&](TSlot& S) {
    Guard.unlock();
    Finish(S, ParseUnitFile(S.FileName, FOptions));
    Guard.lock();
  };
  // Nobody has started it: parsed here, now.
  if (Claim(Slot)) ParseHere(Slot);
  // While a worker parses it, this thread parses what comes after it.
  while (Slot.State != TState::Done) {
    TSlot* Next = ClaimNext();
    if (!Next) {
      FDone.wait(Guard, [&] { return Slot.State == TState::Done; });
      break;
    }
    ParseHere(*Next);
  }
  Slot.State = TState::Taken;
  return std::move(Slot.Parsed);
}
