#include "project/VelmoricProjectSettings.h"

bool gQuickRecompile = true;
bool gUseDelphiPath = true;
std::string AdditionalSearchPath;
std::string HostSearchPath;
std::string VelmoricPath;
std::string DBPasswords;
bool RunTest = false;
bool FindFileDebug = false;

void AddHostSearchFolder(const std::string& Dir) {
  if (Dir.empty() || (";" + HostSearchPath + ";").find(";" + Dir + ";") != std::string::npos) return;
  HostSearchPath += (HostSearchPath.empty() ? "" : ";") + Dir;
}

namespace {
// At unit shutdown the strings are cleared.
struct TSettingsFinalization {
  ~TSettingsFinalization() {
    AdditionalSearchPath.clear();
    HostSearchPath.clear();
    VelmoricPath.clear();
    DBPasswords.clear();
  }
} SettingsFinalization;
}  // namespace
