#include "platform/rtl/FileSearch.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

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
