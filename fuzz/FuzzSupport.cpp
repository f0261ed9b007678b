#include "FuzzSupport.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>


void FuzzFail(const char* File, int Line, const std::string& What) {
  throw TFuzzFailure{std::string(File) + ":" + std::to_string(Line) + ": " + What};
}

namespace {
std::string ScratchDir;

void RemoveScratchDir() {
  std::error_code Ec;
  if (!ScratchDir.empty()) std::filesystem::remove_all(ScratchDir, Ec);
}
}  // namespace

const std::string& FuzzScratchDir() {
  if (ScratchDir.empty()) {
    std::string Base = "/tmp";
    if (const char* Tmp = std::getenv("TMPDIR"); Tmp && *Tmp) Base = Tmp;
    else if (::access("/dev/shm", W_OK) == 0) Base = "/dev/shm";
    std::string Template = Base + "/velmoric-fuzz-XXXXXX";
    if (!::mkdtemp(Template.data())) FuzzFail(__FILE__, __LINE__, "cannot make " + Template);
    ScratchDir = Template + "/";
    std::atexit(RemoveScratchDir);
  }
  return ScratchDir;
}
