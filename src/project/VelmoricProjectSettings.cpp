#include "project/VelmoricProjectSettings.h"

bool gQuickRecompile = true;
bool gUseDelphiPath = true;
std::string AdditionalSearchPath;
std::string VelmoricPath;
std::string DBPasswords;
bool RunTest = false;
bool FindFileDebug = false;

namespace {
// At unit shutdown the strings are cleared.
struct TSettingsFinalization {
  ~TSettingsFinalization() {
    AdditionalSearchPath.clear();
    VelmoricPath.clear();
    DBPasswords.clear();
  }
} SettingsFinalization;
}  // namespace
