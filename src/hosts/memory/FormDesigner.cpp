// The in-process IDE's form designer: form files opened into components.
#include "hosts/memory/MemoryIDE.h"

#include "platform/db/DBReg.h"
#include "platform/rtl/FileSearch.h"
#include "platform/vcl/FormFiles.h"
#include "platform/vcl/FormReader.h"

namespace {

// The form file itself, or the one beside a unit.
std::string FormFileName(const std::string& FileName) {
  const std::string Ext = LowerCase(ExtractFileExt(FileName));
  if (Ext == ".dfm" || Ext == ".lfm") return ExpandFileName(FileName);
  for (const char* FormExt : {".dfm", ".lfm"}) {
    const std::string Found = FindFileNoCase(ChangeFileExt(ExpandFileName(FileName), FormExt));
    if (!Found.empty() && FileExists(Found)) return Found;
  }
  throw EFOpenError(Format("Cannot open file \"%s\". No form file belongs to it", FileName));
}

}  // namespace

TDesignedForm& TMemoryIDE::OpenForm(const std::string& FileName) {
  const std::string Name = FormFileName(FileName);
  for (const auto& F : FForms)
    if (SameText(F->FileName(), Name)) return *F;
  static const bool Registered = [] {
    RegisterStandardComponentClasses();
    RegisterDBComponentClasses();
    return true;
  }();
  (void)Registered;
  FForms.push_back(std::make_unique<TDesignedForm>(Name, FormFileToText(Name)));
  return *FForms.back();
}

bool TMemoryIDE::CloseForm(const std::string& FileName) {
  const std::string Name = ExpandFileName(FileName);
  for (auto It = FForms.begin(); It != FForms.end(); ++It) {
    if (SameText((*It)->FileName(), Name) ||
        SameText(ChangeFileExt((*It)->FileName(), ""), ChangeFileExt(Name, ""))) {
      FForms.erase(It);
      return true;
    }
  }
  return false;
}
