#include "project/VelmoricFileRepository.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/rtl/AtomicFile.h"
#include "project/VelmoricProjectSettings.h"
#include "trace/traceletVelmoric.h"

TFileRepository* fileRepository = nullptr;

namespace {
// The unit's start-up and shutdown.
struct TFileRepositoryUnit {
  TFileRepositoryUnit() { fileRepository = new TFileRepository; }
  ~TFileRepositoryUnit() {
    delete fileRepository;
    fileRepository = nullptr;
  }
} FileRepositoryUnit;

bool IsAbsolutePath(const std::string& Name) {
  if (!Name.empty() && IsPathDelimiter(Name[0])) return true;
  return Name.size() >= 3 && Name[1] == ':' && IsPathDelimiter(Name[2]);  // "C:\..."
}
}  // namespace

TFileRepository::TFileRepository() : list("list", "TFileRepository") {
  TTraceProc Trace("TFileRepository.Create");
}

TFileRepository::~TFileRepository() {
  TTraceProc Trace("TFileRepository.destroy");
  Clear();
}

void TFileRepository::Clear() {
  TTraceProc Trace("TFileRepository.Clear");
  for (int I = 0; I < list.Count(); ++I) delete list.GetObjects(I);
  list.Clear();
}

std::string TFileRepository::KeyOf(const std::string& Name) {
  TTraceProc Trace("TFileRepository.KeyOf");
  size_t Start = 0;
  for (size_t I = 0; I < Name.size(); ++I)
    if (IsPathDelimiter(Name[I]) || Name[I] == ':') Start = I + 1;
  std::string Key = LowerCase(std::string_view(Name).substr(Start));
  const size_t Dot = Key.find('.');
  if (Dot != std::string::npos) Key.resize(Dot);
  return Key;
}

std::string TFileRepository::FileName() {
  TTraceProc Trace("TFileRepository.FileName");
  return VelmoricPath + "filerep.dat";
}

bool TFileRepository::FindFile(std::string& Name) const {
  TTraceProc Trace([&] { return Format("TFileRepository.FindFile(Name=%s)", Name); });
  const int I = list.IndexOf(KeyOf(Name));
  if (I < 0) return false;
  Name = static_cast<TFileRepositoryItem*>(list.GetObjects(I))->FullName;
  return true;
}

void TFileRepository::Add(std::string& Name) {
  TTraceProc Trace([&] { return Format("TFileRepository.Add(Name=%s)", Name); });
  if (Name.empty()) return;
  if (!IsAbsolutePath(Name)) {
    std::error_code Ec;
    const std::string Dir = std::filesystem::current_path(Ec).string();
    if (!Ec) Name = IncludeTrailingPathDelimiter(Dir) + Name;
  }
  const std::string Key = KeyOf(Name);
  if (list.IndexOf(Key) >= 0) return;
  auto* Item = new TFileRepositoryItem;
  Item->FullName = Name;
  list.AddObject(Key, Item);
}

void TFileRepository::WriteToFile() const {
  TTraceProc Trace("TFileRepository.WriteToFile");
  std::string Text;
  for (int I = 0; I < list.Count(); ++I) {
    const std::string& Path = static_cast<TFileRepositoryItem*>(list.GetObjects(I))->FullName;
    Text += Path;
    Text += "\r\n";
    if (tracelet) tracelet->write("Write " + Path);
  }
  try {
    WriteFileAtomically(FileName(), Text);
  } catch (const EStreamError& E) {
    throw EInOutError(E.Message(), EIO);
  }
}

void TFileRepository::ReadFromFile() {
  TTraceProc Trace("TFileRepository.ReadFromFile");
  if (!FileExists(FileName())) return;
  TStringList Lines;
  try {
    Lines.SetText(ReadFileBytes(FileName()));
  } catch (const EStreamError& E) {
    throw EInOutError(E.Message(), EIO);
  }
  for (int I = 0; I < Lines.Count(); ++I) {
    auto* Item = new TFileRepositoryItem;
    Item->FullName = Lines[I];
    list.AddObject(KeyOf(Item->FullName), Item);
  }
}
