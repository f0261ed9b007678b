#include "platform/rtl/FileSearch.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <vector>

#include "platform/rtl/SysUtils.h"

namespace {

bool Exists(const std::string& Path) {
  struct stat St;
  return ::stat(Path.c_str(), &St) == 0;
}

std::vector<std::string> SplitParts(std::string_view Path) {
  std::vector<std::string> Parts;
  std::string Part;
  for (char C : Path) {
    if (C == '/' || C == '\\') {
      Parts.push_back(Part);
      Part.clear();
    } else {
      Part += C;
    }
  }
  Parts.push_back(Part);
  return Parts;
}

}  // namespace

std::string UnixPath(std::string_view FileName) {
  std::string Result(FileName);
  for (char& C : Result)
    if (C == '\\') C = '/';
  return Result;
}

std::string ExpandFileName(std::string_view FileName) {
  std::string Path = UnixPath(FileName);
  if (Path.empty() || Path[0] != '/') {
    char Buf[4096];
    const std::string Cwd = ::getcwd(Buf, sizeof Buf) ? Buf : ".";
    Path = Cwd + "/" + Path;
  }
  std::vector<std::string> Out;
  for (const std::string& Part : SplitParts(Path)) {
    if (Part.empty() || Part == ".") continue;
    if (Part == "..") {
      if (!Out.empty()) Out.pop_back();
      continue;
    }
    Out.push_back(Part);
  }
  std::string Result;
  for (const std::string& Part : Out) Result += "/" + Part;
  if (Result.empty()) Result = "/";
  if (Path.size() > 1 && Path.back() == '/') Result += "/";
  return Result;
}

std::string FindFileNoCase(std::string_view FileName) {
  if (FileName.empty()) return {};
  const std::string Path = UnixPath(FileName);
  if (Exists(Path)) return Path;
  const std::vector<std::string> Parts = SplitParts(Path);
  std::string Result = Path[0] == '/' ? "/" : "";
  for (size_t I = 0; I < Parts.size(); ++I) {
    const std::string& Part = Parts[I];
    if (Part.empty()) continue;  // leading, doubled or trailing separator
    const std::string Dir = Result.empty() ? "." : Result;
    std::string Exact = Result + Part;
    if (!Exists(Exact)) {
      Exact.clear();
      if (DIR* D = ::opendir(Dir.c_str())) {
        while (dirent* E = ::readdir(D)) {
          if (SameText(E->d_name, Part)) {
            Exact = Result + E->d_name;
            break;
          }
        }
        ::closedir(D);
      }
      if (Exact.empty()) return {};
    }
    Result = Exact;
    if (I + 1 < Parts.size()) Result += "/";
  }
  return Result;
}

std::string FindInFolderNoCase(const std::string& Dir, const std::string& Name) {
  struct TListing {
    struct timespec Time {};
    std::vector<std::string> Files;  // regular files, in directory order
  };
  static std::mutex Lock;
  static std::map<std::string, TListing> Listings;
  struct stat St;
  if (::stat(Dir.c_str(), &St) != 0 || !S_ISDIR(St.st_mode)) return {};
  const std::lock_guard<std::mutex> Guard(Lock);
  TListing& L = Listings[Dir];
  if (L.Time.tv_sec != St.st_mtim.tv_sec || L.Time.tv_nsec != St.st_mtim.tv_nsec || L.Files.empty()) {
    L.Time = St.st_mtim;
    L.Files.clear();
    if (DIR* D = ::opendir(Dir.c_str())) {
      while (dirent* E = ::readdir(D)) {
        struct stat F;
        const std::string Full = Dir + "/" + E->d_name;
        if (E->d_type == DT_REG || ((E->d_type == DT_UNKNOWN || E->d_type == DT_LNK) &&
                                    ::stat(Full.c_str(), &F) == 0 && S_ISREG(F.st_mode)))
          L.Files.push_back(E->d_name);
      }
      ::closedir(D);
    }
  }
  const std::string* Match = nullptr;
  for (const std::string& F : L.Files) {
    if (F == Name) return Dir + "/" + F;
    if (!Match && SameText(F, Name)) Match = &F;
  }
  return Match ? Dir + "/" + *Match : std::string();
}
