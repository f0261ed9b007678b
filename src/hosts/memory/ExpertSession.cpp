#include "hosts/memory/ExpertSession.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "ide/VelmoricWizard.h"
#include "project/VelmoricProjectSettings.h"
#include "tools/VelmoricTableEditor.h"

TExpertSession::TExpertSession() : FIDE(std::make_unique<TMemoryIDE>()) {}

TExpertSession::~TExpertSession() {
  ReleaseExpert();
  FIDE.reset();
}

void TExpertSession::OpenProject(const std::string& FileName) {
  if (!FIDE->OpenProject(FileName)) throw Exception(FIDE->LastError());
}

std::string TExpertSession::OpenFile(const std::string& FileName) {
  if (!FIDE->OpenFile(FileName)) throw Exception(FIDE->LastError());
  return FIDE->GetCurrentFile();
}

void TExpertSession::SetDataDirectory(const std::string& Dir) {
  VelmoricPath = Dir.empty() ? Dir : IncludeTrailingPathDelimiter(Dir);
}

std::string TExpertSession::DefaultDataDirectory() {
  std::string Dir;
  if (const char* Data = std::getenv("VELMORIC_DATA"); Data && *Data) {
    Dir = Data;
  } else if (const char* Xdg = std::getenv("XDG_DATA_HOME"); Xdg && *Xdg) {
    Dir = std::string(Xdg) + "/velmoric";
  } else if (const char* Home = std::getenv("HOME"); Home && *Home) {
    Dir = std::string(Home) + "/.local/share/velmoric";
  } else {
    return {};
  }
  std::error_code Ec;
  std::filesystem::create_directories(Dir, Ec);
  if (Ec) throw EInOutError(Format("Cannot create the data directory %s: %s", Dir, Ec.message()), Ec.value());
  return IncludeTrailingPathDelimiter(Dir);
}

void TExpertSession::RegisterExpert() {
  if (FRegistered) return;
  // The package's units register the expert and the table component editor.
  FIDE->LoadPackage([] {
    Register();
    VelmoricTableEditor::Register();
  });
  FRegistered = true;
}

TVelmoricWizard* TExpertSession::Expert() const { return FRegistered ? TheVelmoricFairy : nullptr; }

void TExpertSession::ReleaseExpert() {
  if (!FRegistered) return;
  FRegistered = false;
  FIDE->UnloadExperts();
}

void TExpertSession::SetCursor(const std::string& FileName, int Line, int Col) {
  TEditBuffer& B = FIDE->Buffer(FileName);
  B.Cursor = B.ClampEditPos(TEditPos{static_cast<int16_t>(std::clamp(Col, 1, 32767)), Line});
  FIDE->ActivateFile(FileName);
}

TEditPos TExpertSession::Cursor(const std::string& FileName) const { return FIDE->Buffer(FileName).Cursor; }

TEditPos TExpertSession::TopLine(const std::string& FileName) const { return FIDE->Buffer(FileName).Top; }
