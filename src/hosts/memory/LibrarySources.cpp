#include "hosts/memory/LibrarySources.h"

#include <sys/utsname.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The sub-folders of Dir, sorted by name; none when Dir cannot be read.
std::vector<fs::path> SubFolders(const fs::path& Dir) {
  std::vector<fs::path> Result;
  std::error_code Ec;
  for (fs::directory_iterator It(Dir, Ec), End; !Ec && It != End; It.increment(Ec))
    if (It->is_directory(Ec)) Result.push_back(It->path());
  std::sort(Result.begin(), Result.end());
  return Result;
}

bool HoldsUnits(const fs::path& Dir) {
  std::error_code Ec;
  for (fs::directory_iterator It(Dir, Ec), End; !Ec && It != End; It.increment(Ec)) {
    std::string Ext = It->path().extension().string();
    std::transform(Ext.begin(), Ext.end(), Ext.begin(), [](unsigned char C) { return std::tolower(C); });
    if ((Ext == ".pas" || Ext == ".pp") && It->is_regular_file(Ec)) return true;
  }
  return false;
}

// The newest version folder of Parent holding Marker ("3.2.2" before "3.0.4").
std::string NewestVersion(const fs::path& Parent, const char* Marker) {
  std::vector<fs::path> Versions = SubFolders(Parent);
  std::error_code Ec;
  for (auto It = Versions.rbegin(); It != Versions.rend(); ++It)
    if (fs::is_directory(*It / Marker, Ec)) return It->string();
  return {};
}

// Free Pascal's folder names of this machine's processor.
std::string ProcessorFolder() {
  struct utsname U {};
  if (::uname(&U) != 0) return {};
  const std::string M = U.machine;
  if (M == "x86_64" || M == "aarch64" || M == "powerpc64" || M == "sparc64" || M == "mips") return M;
  if (M.size() == 4 && M[0] == 'i' && M.compare(2, 2, "86") == 0) return "i386";
  if (M.rfind("arm", 0) == 0) return "arm";
  if (M == "ppc64le" || M == "ppc64") return "powerpc64";
  return M;
}

std::string Lower(std::string S) {
  std::transform(S.begin(), S.end(), S.begin(), [](unsigned char C) { return std::tolower(C); });
  return S;
}

// Whether a Free Pascal package is built for the operating system Os: its
// fpmake.pp names the systems with "P.OSes := [...]" (anything else, such as
// "AllOSes - [...]", or no fpmake.pp at all counts as every system).
bool BuiltFor(const fs::path& Package, const std::string& Os) {
  std::ifstream In(Package / "fpmake.pp");
  for (std::string Line; std::getline(In, Line);) {
    Line = Lower(Line);
    Line.erase(std::remove_if(Line.begin(), Line.end(), [](unsigned char C) { return C == ' ' || C == '\t'; }),
               Line.end());
    const size_t At = Line.find("oses:=");
    if (At == std::string::npos) continue;
    const std::string Value = Line.substr(At + 6);
    if (Value.empty() || Value[0] != '[') return true;
    const std::string Set = Value.substr(0, Value.find(']') + 1);
    return Set.find("[" + Os + ",") != std::string::npos || Set.find("," + Os + ",") != std::string::npos ||
           Set.find("," + Os + "]") != std::string::npos || Set == "[" + Os + "]";
  }
  return true;
}

// This machine's operating system as Free Pascal names it ("linux").
std::string SystemName() {
  struct utsname U {};
  return ::uname(&U) == 0 ? Lower(U.sysname) : std::string("linux");
}

}  // namespace

TLibraryInstallations FindLibraryInstallations() {
  TLibraryInstallations Found;
  Found.FreePascal = NewestVersion("/usr/share/fpcsrc", "rtl");
  for (const char* Parent : {"/usr/share/lazarus", "/usr/lib/lazarus"}) {
    Found.Lazarus = NewestVersion(Parent, "lcl");
    if (!Found.Lazarus.empty()) break;
  }
  return Found;
}

std::vector<std::string> LibraryFolders(const TLibraryInstallations& Roots) {
  std::vector<std::string> Folders;
  auto Add = [&](const fs::path& Dir) {
    if (HoldsUnits(Dir)) Folders.push_back(Dir.string());
  };
  const std::string Os = SystemName();
  const fs::path Fpc = Roots.FreePascal;
  if (!Roots.FreePascal.empty())
    for (const std::string& Sub : {Os, ProcessorFolder(), std::string("unix"), std::string("objpas"),
                                   std::string("inc")})
      if (!Sub.empty()) Add(Fpc / "rtl" / Sub);
  // The component library before the packages: its Forms, Controls and
  // Dialogs are the ones a Lazarus program means.
  if (!Roots.Lazarus.empty()) {
    const fs::path Root = Roots.Lazarus;
    for (const char* Sub : {"lcl", "lcl/widgetset", "lcl/nonwin32", "lcl/forms", "lcl/interfaces/gtk2",
                            "components/lazutils", "components/lazcontrols", "packager/registration"})
      Add(Root / Sub);
  }
  if (!Roots.FreePascal.empty()) {
    std::vector<fs::path> Packages = SubFolders(Fpc / "packages");
    std::erase_if(Packages, [&](const fs::path& P) { return !BuiltFor(P, Os); });
    for (const fs::path& P : Packages) Add(P / "src");
    for (const fs::path& P : Packages)
      for (const fs::path& Sub : SubFolders(P / "src")) Add(Sub);
  }
  return Folders;
}
