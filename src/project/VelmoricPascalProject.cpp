#include "project/VelmoricPascalProject.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <memory>
#include <set>
#include <vector>

#include "platform/opentools/ToolIntf.h"
#include "platform/registry/Registry.h"
#include "platform/rtl/AtomicFile.h"
#include "platform/rtl/FileSearch.h"
#include "platform/vcl/Forms.h"
#include "project/VelmoricParseAhead.h"
#include "trace/VelmoricStatus.h"
#include "trace/TraceCapture.h"
#include "trace/traceletVelmoric.h"

TSaveStringList* FBaseClasses = nullptr;

namespace {

void CompileUnit(TPascalProject* Project, const std::string& UnitName,
                 TCompilerOptionsSet Options) {
  Project->CompileUsesEntry(UnitName, Options);
}

// The unit's start-up and shutdown: the base class cache and the parser's
// callback for uses clauses.
struct TProjectUnit {
  TProjectUnit() {
    FBaseClasses = new TSaveStringList("FBaseClasses", "TPascalProject");
    FBaseClasses->SetSorted(true);
    CompileUnitProc = &CompileUnit;
  }
  ~TProjectUnit() {
    CompileUnitProc = nullptr;
    delete FBaseClasses;
    FBaseClasses = nullptr;
  }
} ProjectUnit;

void TraceStream(const std::string& Stream, const std::string& Text) {
  if (tracelet) tracelet->StrWrite(Stream, Text);
}

void TraceLine(const std::string& Text) { TraceStream("stdOut", Text); }

TPascalSource* SourceAt(const TSaveStringList* List, int I) {
  return static_cast<TPascalSource*>(List->GetObjects(I));
}

std::vector<std::string> UsesOf(const TPascalSource* S) {
  std::vector<std::string> Uses;
  if (S->usesList)
    for (int I = 0; I < S->usesList->Count(); ++I) Uses.push_back(S->usesList->Get(I));
  return Uses;
}

// The lower-case file part of a name.
std::string LowerFilePart(const std::string& Name) { return LowerCase(ExtractFileName(Name)); }

// A store file that cannot be written is reported once per directory.
void ReportStoreFailure(const std::string& StoreName, const std::string& Why) {
  static std::set<std::string> Reported;
  if (!Reported.insert(ExtractFileDir(StoreName)).second) return;
  const std::string Text =
      Format("symbol store %s not written (%s); further failures in this folder are not reported",
             StoreName, Why);
  TraceLine(Text);
  std::cerr << "velmoric: " << Text << "\n";
}

// Whether a file lies in the package manager's tree (/usr): installed
// library sources, beside which nothing is written.
bool IsSystemFile(const std::string& FileName) {
  return ExpandFileName(UnixPath(FileName)).rfind("/usr/", 0) == 0;
}

bool IsProgramFile(const std::string& FileName) {
  const std::string Ext = LowerCase(ExtractFileExt(FileName));
  return Ext == ".dpr" || Ext == ".lpr";
}

// The file a program's "in" path names, relative to the program's folder;
// empty unless it is an existing unit source (.pas, .pp).
std::string ProgramUnitFile(const std::string& Program, const std::string& Entry) {
  const std::string Ext = LowerCase(ExtractFileExt(Entry));
  if (Ext != ".pas" && Ext != ".pp") return {};
  std::string Path = UnixPath(Entry);
  if (Path.empty() || Path[0] != '/') Path = ExtractFilePath(UnixPath(Program)) + Path;
  Path = ExpandFileName(Path);
  if (FileExists(Path)) return Path;
  Path = FindFileNoCase(Path);
  return FileExists(Path) ? Path : std::string();
}

// A regular file's modification time; none when there is no such file.
std::optional<struct timespec> RegularFileTime(const std::string& FileName) {
  struct stat St;
  if (FileName.empty() || ::stat(FileName.c_str(), &St) != 0 || !S_ISREG(St.st_mode))
    return std::nullopt;
  return St.st_mtim;
}

bool ModificationTime(const std::string& FileName, struct timespec& Time) {
  struct stat St;
  if (::stat(FileName.c_str(), &St) != 0) return false;
  Time = St.st_mtim;
  return true;
}

}  // namespace

void ReleaseSource(TPascalSource* S) {
  TTraceProc Trace("ReleaseSource");
  if (!S) return;
  if (--S->RefCount > 0) return;
  // The cache may point into the source's symbols.
  if (FBaseClasses) FBaseClasses->Clear();
  delete S;
}

// ---------------------------------------------------------------- lifetime

TPascalProject::TPascalProject() {
  TTraceProc Trace("TPascalProject.Create");
  if (tracelet) tracelet->start();
  FUnitLIst = new TSaveStringList("FUnitLIst", "TPascalProject");
  TRegistry Registry;
  Registry.RootKey = HKEY_CURRENT_USER;
  if (Registry.OpenKeyReadOnly("Software\\Borland\\Delphi\\3.0\\Library"))
    FSearchPath = Registry.ReadString("SearchPath");
  // Settings that name no library: the IDE's own, if it offers one.
  if (FSearchPath.empty() && ToolServices) FSearchPath = ToolServices->GetDefaultLibraryPath();
}

TPascalProject::~TPascalProject() {
  TTraceProc Trace("TPascalProject.Destroy");
  for (int I = 0; I < FUnitLIst->Count(); ++I) ReleaseSource(SourceAt(FUnitLIst, I));
  delete FUnitLIst;
}

std::string TPascalProject::UnitKey(const std::string& Name) {
  TTraceProc Trace("TPascalProject.UnitKey");
  return TFileRepository::KeyOf(Name);
}

bool TPascalProject::IsPascalSourceFile(const std::string& FileName) {
  const std::string Ext = LowerCase(ExtractFileExt(FileName));
  return Ext == ".pas" || Ext == ".pp" || Ext == ".dpr" || Ext == ".lpr";
}

bool TPascalProject::IsUnitName(const std::string& Name) {
  bool AtStart = true;  // of an identifier
  for (const char C : Name) {
    if (C == '.') {
      if (AtStart) return false;
      AtStart = true;
      continue;
    }
    const bool Letter = (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || C == '_';
    const bool Digit = C >= '0' && C <= '9';
    if (!Letter && (!Digit || AtStart)) return false;
    AtStart = false;
  }
  return !AtStart;
}

bool TPascalProject::HasStoreBeside(const std::string& FileName) {
  return IsPascalSourceFile(FileName) && !IsSystemFile(FileName);
}

std::string TPascalProject::StoreFileName(const std::string& FileName) {
  TTraceProc Trace("TPascalProject.StoreFileName");
  const size_t Dot = FileName.rfind('.');
  size_t Sep = std::string::npos;
  for (size_t I = 0; I < FileName.size(); ++I)
    if (IsPathDelimiter(FileName[I])) Sep = I;
  if (Dot == std::string::npos || (Sep != std::string::npos && Dot < Sep))
    return FileName + ".pax";
  return FileName.substr(0, Dot) + ".pax";
}

// ----------------------------------------------------------------- compile

void TPascalProject::Register(const std::string& Key, TPascalSource* S) {
  TTraceProc Trace("TPascalProject.Register");
  FUnitLIst->AddObject(Key, S);
  ++S->RefCount;
  if (FMemoryProject) {
    FMemoryProject->FUnitLIst->AddObject(Key, S);
    ++S->RefCount;
  }
}

void TPascalProject::Share(const std::string& Key, TPascalSource* S,
                           TCompilerOptionsSet Options) {
  TTraceProc Trace("TPascalProject.Share");
  FUnitLIst->AddObject(Key, S);
  ++S->RefCount;
  CompileUses(S, Options);
}

// The used units of a shared or loaded unit join as a parse would make them
// join: only when oCompileUnits asks for it.
void TPascalProject::CompileUses(TPascalSource* S, TCompilerOptionsSet Options) {
  TTraceProc Trace("TPascalProject.CompileUses");
  if (!Options.Contains(oCompileUnits)) return;
  for (const std::string& U : UsesOf(S)) UseEntry(S, U, Options);
}

void TPascalProject::CompileUsesEntry(const std::string& Entry, TCompilerOptionsSet Options) {
  TTraceProc Trace([&] { return Format("TPascalProject.CompileUsesEntry(Entry=%s)", Entry); });
  UseEntry(FParsing, Entry, Options);
}

// A uses list holds unit names. Anything else (a path, a stray symbol, a
// damaged store's text) is never searched for as a file: it could lead
// anywhere, and a store would be written beside whatever it found.
void TPascalProject::UseEntry(const TPascalSource* User, const std::string& Entry,
                              TCompilerOptionsSet Options) {
  TTraceProc Trace([&] { return Format("TPascalProject.UseEntry(Entry=%s)", Entry); });
  if (IsUnitName(Entry)) {
    Compile(Entry, Options);
    return;
  }
  if (FBaseClasses) FBaseClasses->Clear();
  // A program names its units' files with "in"; the path is the program's own.
  if (User && IsProgramFile(User->FileName)) {
    const std::string FileName = ProgramUnitFile(User->FileName, Entry);
    if (!FileName.empty()) {
      const std::string Key = UnitKey(FileName);
      if (const int I = FUnitLIst->IndexOf(Key); I >= 0) {
        TPascalSource* Old = SourceAt(FUnitLIst, I);
        if (Old->Found) return;
        // The unit's name was not found on the search path; its file is here.
        FUnitLIst->Delete(I);
        if (FMemoryProject) {
          TSaveStringList* Memory = FMemoryProject->FUnitLIst;
          if (const int M = Memory->IndexOf(Key); M >= 0 && SourceAt(Memory, M) == Old) {
            Memory->Delete(M);
            ReleaseSource(Old);
          }
        }
        ReleaseSource(Old);
      }
      CompileFound(LowerCase(FileName), Key, true, FileName, Options);
      return;
    }
  }
  const std::string Name = LowerCase(Entry);
  if (FUnitLIst->IndexOf(Name) >= 0) return;
  TraceLine(Format("%s is not a unit name; not searched", Entry));
  AddPlaceholder(Name, Name);
}

void TPascalProject::AddPlaceholder(const std::string& Key, const std::string& Name) {
  TTraceProc Trace("TPascalProject.AddPlaceholder");
  auto* S = new TPascalSource(nullptr);
  S->FileName = Name;
  delete S->usesList;
  S->usesList = nullptr;
  S->Found = false;
  Register(Key, S);
}

TPascalSource* TPascalProject::Compile(const std::string& UnitName, TCompilerOptionsSet Options) {
  TTraceProc Trace([&] { return Format("TPascalProject.Compile(unitName=%s)", UnitName); });
  if (FBaseClasses) FBaseClasses->Clear();
  if (Application) Application->ProcessMessages();
  if (ProcDebug) TraceStream("compile", "Compiling ... " + UnitName);

  const std::string Name = LowerCase(UnitName);
  const std::string Key = UnitKey(Name);
  if (FUnitLIst->IndexOf(Key) >= 0) return nullptr;
  std::string FileName;
  // Searched as given: names are found without regard to case anyway, and
  // an exact name needs no folder listing. The search's look at the file
  // gives the time its store must carry.
  std::optional<struct timespec> Time;
  const bool Found = FindSource(UnitName, FileName, &Time);
  return CompileFound(Name, Key, Found, FileName, Options, Time ? &*Time : nullptr);
}

TPascalSource* TPascalProject::CompileFound(const std::string& Name, const std::string& Key,
                                            bool Found, const std::string& FileName,
                                            TCompilerOptionsSet Options,
                                            const struct timespec* SourceTime) {
  TTraceProc Trace([&] { return Format("TPascalProject.CompileFound(FileName=%s)", FileName); });

  // Open in the IDE: the editor buffer is the truth.
  if (Found && ToolServices && ToolServices->IsFileOpen(FileName)) {
    if (ProcDebug) TraceStream("compile", Format("%s is in Editor compiling", Name));
    if (FMemoryProject) {
      TSaveStringList* Memory = FMemoryProject->FUnitLIst;
      const int I = Memory->IndexOf(Key);
      if (I >= 0) {
        TPascalSource* S = SourceAt(Memory, I);
        if (!S->Modified && S->Found) {
          if (ProcDebug)
            TraceStream("compile", Format("... %s ist im Speicher (unmodifiziert)", Name));
          Share(Key, S, Options);
          return nullptr;
        }
        // The stale copy leaves the memory project; projects that hold it keep it.
        Memory->Delete(I);
        ReleaseSource(S);
      }
    }
    return CompileFromEditor(Key, FileName, Options);
  }

  if (FMemoryProject) {
    std::string MemoryName;
    if (TPascalSource* S = FMemoryProject->FindCompiledSource(Key, MemoryName)) {
      // A placeholder of a unit that has turned up since, or a copy whose
      // parse did not finish (or whose editor text was left unsaved), is
      // replaced while the file is there.
      const bool Stale = Found && (!S->Found || S->Modified);
      if (!Stale) {
        if (ProcDebug) TraceStream("compile", Format("... %s ist im Speicher", Name));
        Share(Key, S, Options);
        return nullptr;
      }
      TSaveStringList* Memory = FMemoryProject->FUnitLIst;
      Memory->Delete(Memory->IndexOf(Key));
      ReleaseSource(S);
    }
  }

  if (Found) {
    TStoreFile Store;
    if (CheckSymbols(FileName, &Store, SourceTime))
      if (TPascalSource* S = LoadFromStore(Key, FileName, Store, Options)) return S;
    return ParseFile(Key, FileName, Options);
  }

  // Not found: a placeholder, so that the unit is not searched again here.
  if (ProcDebug) TraceStream("compile", Format("************** %s nicht gefunden", Name));
  AddPlaceholder(Key, Name);
  return nullptr;
}

TPascalSource* TPascalProject::LoadFromStore(const std::string& Key, const std::string& FileName,
                                             const TStoreFile& Store,
                                             TCompilerOptionsSet Options) {
  TTraceProc Trace("TPascalProject.LoadFromStore");
  if (ProcDebug) TraceStream("compile", Format("... %s.x wird gelesen", Key));
  auto* S = new TPascalSource(nullptr);
  S->Options = Options;
  S->FileName = FileName;
  S->Project = FMemoryProject ? FMemoryProject : this;
  S->symbols.Source = S;
  try {
    S->Store->LoadFromFile(Store, S);
  } catch (const EStreamError& E) {
    // Unreadable or damaged: the unit is parsed instead.
    TraceLine(Format("symbol store %s not used: %s", Store.FileName(), E.Message()));
    delete S;
    return nullptr;
  }
  Register(Key, S);
  const bool Show = DisplayCompilerProcess && FormVelmoricCompiling;
  if (Show) FormVelmoricCompiling->ShowStatus(FileName);
  try {
    CompileUses(S, Options);
  } catch (...) {
    if (Show) FormVelmoricCompiling->HideStatus(0);
    throw;
  }
  if (Show) FormVelmoricCompiling->HideStatus(0);
  return S;
}

TPascalSource* TPascalProject::ParseFile(const std::string& Key, const std::string& FileName,
                                         TCompilerOptionsSet Options) {
  TTraceProc Trace("TPascalProject.ParseFile");
  if (FParseAhead)
    if (std::unique_ptr<TParsedUnit> Parsed = FParseAhead->Take(FileName, Options))
      return TakeParsed(Key, *Parsed);
  // The time is taken before the text: a change while reading makes the store old.
  struct timespec Time {};
  const bool HaveTime = ModificationTime(FileName, Time);
  auto Lines = std::make_unique<TSaveStringList>("source", "TPascalProject");
  Lines->LoadFromFile(FileName);
  auto Token = std::make_unique<TToken>(Lines.get());
  auto* S = new TPascalSource(Token.get());
  RegisterAndParse(Key, S, FileName, Options, nullptr, HaveTime ? &Time : nullptr);
  return S;
}

void TPascalProject::RegisterAndParse(const std::string& Key, TPascalSource* S,
                                      const std::string& FileName, TCompilerOptionsSet Options,
                                      TIEditorInterface* Editor,
                                      const struct timespec* SourceTime) {
  TTraceProc Trace("TPascalProject.RegisterAndParse");
  TraceStream("compile", Format("... %s ist wird compiliert", Key));
  Register(Key, S);
  S->Options = Options;
  S->Project = this;  // the parser's uses callback compiles into this project
  S->FileName = FileName;
  // However the parse ends, the token source stays the caller's and the
  // source, which may outlive this project in the memory project, points
  // at the memory project.
  struct TParseScope {
    TPascalProject& Project;
    TPascalSource* S;
    TPascalSource* Outer;
    ~TParseScope() {
      Project.FParsing = Outer;
      S->Token = nullptr;
      S->Project = Project.FMemoryProject ? Project.FMemoryProject : &Project;
    }
  } Scope{*this, S, FParsing};
  FParsing = S;
  try {
    S->CreateSymbols(Options);
  } catch (...) {
    // Unfinished: no store is written, and the next compile parses the unit
    // again instead of taking this copy.
    S->Modified = true;
    throw;
  }
  // Unsaved editor text must not be stamped with the file's time.
  if (!Editor || !Editor->BufferModified()) SaveStore(S, SourceTime);
  S->FileName = FileName;
  S->State = stUpdated;
}

// The order of RegisterAndParse: the compile line, the registration, the
// parse's own lines, the store.
TPascalSource* TPascalProject::TakeParsed(const std::string& Key, TParsedUnit& Parsed) {
  TTraceProc Trace("TPascalProject.TakeParsed");
  if (!Parsed.Source) {  // the file could not be read
    ReplayTraceLines(tracelet, Parsed.TraceLines);
    std::rethrow_exception(Parsed.Error);
  }
  TraceStream("compile", Format("... %s ist wird compiliert", Key));
  TPascalSource* S = std::exchange(Parsed.Source, nullptr);
  Register(Key, S);
  ReplayTraceLines(tracelet, Parsed.TraceLines);
  S->Project = FMemoryProject ? FMemoryProject : this;
  if (Parsed.Error) {
    S->Modified = true;
    std::rethrow_exception(Parsed.Error);
  }
  SaveStore(S, Parsed.HaveTime ? &Parsed.Time : nullptr, Parsed.HaveStore ? &Parsed : nullptr);
  S->State = stUpdated;
  return S;
}

void TPascalProject::SaveStore(TPascalSource* S, const struct timespec* SourceTime,
                               TParsedUnit* Ahead) {
  TTraceProc Trace("TPascalProject.SaveStore");
  // Only a Pascal source has a store beside it: never one written over the
  // source itself or over an unrelated file.
  if (!IsPascalSourceFile(S->FileName)) {
    TraceLine(Format("no symbol store for %s: not a Pascal source", S->FileName));
    return;
  }
  // An installed library unit is parsed again by each compile instead.
  if (IsSystemFile(S->FileName)) {
    TraceLine(Format("no symbol store for %s: an installed library source", S->FileName));
    return;
  }
  const std::string StoreName = StoreFileName(S->FileName);
  struct timespec Time {};
  if (SourceTime)
    Time = *SourceTime;
  else if (!ModificationTime(S->FileName, Time))
    return;  // no file on disk to match
  if (Ahead) {
    TAtomicWriteResult R = Ahead->StoreWritten;
    if (R) R = Ahead->Store.Commit();
    if (!R) {
      ReportStoreFailure(StoreName, AtomicWriteErrorText(StoreName, R));
      return;
    }
    if (Ahead->StoreStamped) return;
  } else {
    try {
      S->Store->SaveToFile(StoreName, S);
    } catch (const Exception& E) {
      ReportStoreFailure(StoreName, E.Message());
      return;
    }
  }
  const struct timespec Times[2] = {{0, UTIME_OMIT}, Time};
  if (::utimensat(AT_FDCWD, StoreName.c_str(), Times, 0) != 0)
    ReportStoreFailure(StoreName, std::strerror(errno));
}

bool TPascalProject::CheckSymbols(const std::string& FileName, TStoreFile* Opened,
                                  const struct timespec* SourceTime) {
  TTraceProc Trace([&] { return Format("TPascalProject.CheckSymbols(FileName=%s)", FileName); });
  struct timespec Source {}, Stamp {};
  if (!IsPascalSourceFile(FileName)) return false;
  if (SourceTime)
    Source = *SourceTime;
  else if (!ModificationTime(FileName, Source))
    return false;
  // The store is opened for its time, and read from that same file. One
  // that exists but cannot be opened still counts by its time: its load
  // then fails and says why.
  TStoreFile Store(StoreFileName(FileName));
  if (Store.IsOpen())
    Stamp = Store.Status().st_mtim;
  else if (Store.Error() == ENOENT || !ModificationTime(Store.FileName(), Stamp))
    return false;
  if (Source.tv_sec != Stamp.tv_sec || Source.tv_nsec != Stamp.tv_nsec) return false;
  if (Opened) *Opened = std::move(Store);
  return true;
}

// ------------------------------------------------------------------ search

bool TPascalProject::FindSource(const std::string& UnitName, std::string& FileName,
                                std::optional<struct timespec>* Time) {
  TTraceProc Trace([&] { return Format("TPascalProject.FindSource(UnitName=%s)", UnitName); });
  if (FindFileDebug) TraceLine(Format("Looking for %s", UnitName));
  // The time of the file the last Look found.
  std::optional<struct timespec> Seen;
  const auto Found = [&](const std::string& Name) {
    FileName = Name;
    if (Time) *Time = Seen;
    if (FindFileDebug) TraceLine(Format("Found File %s", Name));
    return true;
  };
  // The file of that name, found without regard to case; empty when there is
  // none (a folder does not count).
  const auto Look = [&Seen](const std::string& Name) {
    if (FindFileDebug) TraceLine(Format("Look File %s", Name));
    if ((Seen = RegularFileTime(Name))) return Name;
    std::string Found = FindFileNoCase(Name);
    if (!(Seen = RegularFileTime(Found))) Found.clear();
    return Found;
  };

  std::string Remembered = UnitName;
  if (fileRepository && fileRepository->FindFile(Remembered)) return Found(Remembered);
  if (const std::string Given = Look(UnitName); !Given.empty()) return Found(Given);

  std::string N = LowerFilePart(UnitName);
  if (N.find(".pas") == std::string::npos) N += ".pas";
  // The IDE project's units, "x.pas" or else "x.pp" (Free Pascal's units).
  const std::string NPp = N.size() > 4 && N.compare(N.size() - 4, 4, ".pas") == 0
                              ? N.substr(0, N.size() - 4) + ".pp"
                              : std::string();
  if (ToolServices) {
    const int Count = ToolServices->GetUnitCount();
    for (int I = 0; I < Count; ++I) {
      const std::string Unit = ToolServices->GetUnitName(I);
      const std::string Part = LowerFilePart(Unit);
      if (Part != N && (NPp.empty() || Part != NPp)) continue;
      if (const std::string Name = Look(Unit); !Name.empty()) return Found(Name);
    }
  }

  FileName.clear();
  std::string Path = gUseDelphiPath ? FSearchPath : std::string();
  for (const std::string* More : {&AdditionalSearchPath, &HostSearchPath})
    if (!More->empty()) Path = Path.empty() ? *More : Path + ";" + *More;

  std::string F = LowerFilePart(UnitName);
  if (const size_t Dot = F.find('.'); Dot != std::string::npos) F.resize(Dot);
  const std::string Pp = F + ".pp";
  F += ".pas";
  TraceLine(F);
  // In each place the unit is "x.pas", else "x.pp".
  const auto LookUnit = [&](const std::string& Prefix) {
    const std::string Name = Look(Prefix + F);
    return Name.empty() ? Look(Prefix + Pp) : Name;
  };
  bool Result = false;
  if (const std::string Here = LookUnit(""); !Here.empty()) {
    Result = Found(Here);
  } else if (!Path.empty()) {
    size_t Start = 0;
    for (;;) {
      const size_t End = Path.find(';', Start);
      const std::string Dir = Path.substr(Start, End == std::string::npos ? End : End - Start);
      // A folder as written is searched through its kept listing: a library
      // path names hundreds of folders, each searched for every unit.
      const auto InFolder = [&](const std::string& Unit) {
        if (FindFileDebug) TraceLine(Format("Look File %s/%s", Dir, Unit));
        return FindInFolderNoCase(Dir, Unit);
      };
      std::string Name;
      if (DirectoryExists(Dir)) {
        Seen.reset();  // a listing gives no time
        Name = InFolder(F);
        if (Name.empty()) Name = InFolder(Pp);
      } else {
        Name = LookUnit(Dir + "/");  // a folder written in another case, or none
      }
      if (!Name.empty()) {
        Result = Found(Name);
        break;
      }
      if (End == std::string::npos) break;
      Start = End + 1;
    }
  }
  if (fileRepository) fileRepository->Add(FileName);
  return Result;
}

TPascalSource* TPascalProject::FindCompiledSource(const std::string& UnitName,
                                                  std::string& FileName) {
  TTraceProc Trace([&] { return Format("TPascalProject.FindCompiledSource(UnitName=%s)", UnitName); });
  const int I = FUnitLIst->IndexOf(UnitKey(UnitName));
  if (I < 0) {
    TraceLine(Format("FindCompiledSource: %s not found (%s)", UnitName, FileName));
    return nullptr;
  }
  return SourceAt(FUnitLIst, I);
}

TOrvikSymbol* TPascalProject::FindFlatSymbol(const std::string& Name) {
  TTraceProc Trace([&] { return Format("TPascalProject.FindFlatSymbol(Name=%s)", Name); });
  for (int I = 0; I < FUnitLIst->Count(); ++I) {
    const TOrvikSymbols* List = SourceAt(FUnitLIst, I)->symbols.symbols;
    if (TOrvikSymbol* Sym = List ? List->FindAnyFlatSymbol(Name) : nullptr) return Sym;
  }
  return nullptr;
}

TOrvikSymbol* TPascalProject::FindSymbol(const std::string& Name, TSymTyp Kind) {
  TTraceProc Trace([&] { return Format("TPascalProject.FindSymbol(Name=%s)", Name); });
  if (!FUnitLIst) return nullptr;
  for (int I = 0; I < FUnitLIst->Count(); ++I) {
    const TOrvikSymbols* List = SourceAt(FUnitLIst, I)->symbols.symbols;
    if (!List) continue;
    for (int J = 0; J < List->Count(); ++J) {
      auto* Sym = static_cast<TOrvikSymbol*>(List->GetObject(J));
      if (Sym && Sym->Typ == Kind && SameText(Sym->name, Name)) return Sym;
    }
  }
  return nullptr;
}

TOrvikSymbol* TPascalProject::FindAnySymbol(const std::string& Name) {
  TTraceProc Trace([&] { return Format("TPascalProject.FindAnySymbol(Name=%s)", Name); });
  TSymTypSet Kinds;
  for (int K = typUnit; K <= typParameter; ++K) Kinds.Include(static_cast<TSymTyp>(K));
  for (int I = 0; I < FUnitLIst->Count(); ++I) {
    const TOrvikSymbols* List = SourceAt(FUnitLIst, I)->symbols.symbols;
    if (TOrvikSymbol* Sym = List ? List->FindSymbol(Kinds, Name) : nullptr) return Sym;
  }
  return nullptr;
}

TOrvikSymbol* TPascalProject::BaseClassOf(TOrvikSymbol* Symbol) {
  TTraceProc Trace("TPascalProject.BaseClassOf");
  if (!Symbol) return nullptr;
  const std::string Name = LowerCase(Symbol->name);
  int I;
  if (FBaseClasses->Find(Name, I)) return static_cast<TOrvikSymbol*>(FBaseClasses->GetObjects(I));
  TOrvikSymbol* Base = FindSymbol(Symbol->Ancestor(), typClass);
  FBaseClasses->AddObject(Name, Base);
  return Base;
}

void TPascalProject::CreateSymbolList(TSymTyp Kind, TStrings* List) {
  TTraceProc Trace("TPascalProject.CreateSymbolList");
  for (int I = 0; I < FUnitLIst->Count(); ++I) {
    const TOrvikSymbols* Symbols = SourceAt(FUnitLIst, I)->symbols.symbols;
    if (!Symbols) continue;
    for (int J = 0; J < Symbols->Count(); ++J) {
      auto* Sym = static_cast<TOrvikSymbol*>(Symbols->GetObject(J));
      if (Sym && Sym->Typ == Kind) List->AddObject(Sym->name, Sym);
    }
  }
}

namespace {
void CollectNamed(const TOrvikSymbols* List, const std::string& Lower, TSaveList* Out) {
  if (!List) return;
  for (int I = 0; I < List->Count(); ++I) {
    auto* Sym = static_cast<TOrvikSymbol*>(List->GetObject(I));
    if (!Sym) continue;
    CollectNamed(Sym->symbols, Lower, Out);
    if (LowerCase(Sym->name) == Lower) Out->Add(Sym);
  }
}
}  // namespace

TSaveList* TPascalProject::GetSymbolList(const std::string& Word) {
  TTraceProc Trace([&] { return Format("TPascalProject.GetSymbolList(Word=%s)", Word); });
  auto* List = new TSaveList("list", "TPascalProject");
  const std::string Lower = LowerCase(Word);
  for (int I = 0; I < FUnitLIst->Count(); ++I)
    CollectNamed(SourceAt(FUnitLIst, I)->symbols.symbols, Lower, List);
  return List;
}

// ---------------------------------------------------------------- notifier

void TIPascalModuleNotifier::Notify(TNotifyCode NotifyCode) {
  TTraceProc Trace("TIPascalModuleNotifier.Notify");
  if (NotifyCode == ncEditorModified && Source) Source->Modified = true;
}

void TIPascalModuleNotifier::ComponentRenamed(void* ComponentHandle, const std::string& OldName,
                                              const std::string& NewName) {
  TTraceProc Trace([&] {
    return Format("TIPascalModuleNotifier.ComponentRenamed(OldName=%s,NewName=%s)", OldName,
                  NewName);
  });
}
