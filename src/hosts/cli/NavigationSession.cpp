#include "hosts/cli/NavigationSession.h"

#include "browsers/VelmoricSourceExplorer.h"
#include "hosts/cli/CliCommands.h"
#include "hosts/memory/MemoryIDE.h"
#include "ide/VelmoricAmbuingity.h"
#include "ide/VelmoricNavigation.h"
#include "ide/VelmoricWizard.h"
#include "platform/rtl/FileSearch.h"
#include "project/VelmoricProjectSettings.h"
#include "scanner/VelmoricSymbols.h"

TNavigationArgs ParseNavigationArgs(const std::vector<std::string>& Args, bool AllowChoose) {
  TNavigationArgs Result;
  for (size_t I = 0; I < Args.size(); ++I) {
    const std::string& A = Args[I];
    auto Value = [&] {
      if (I + 1 >= Args.size()) throw CliUsageError{A + " needs a value"};
      return Args[++I];
    };
    if (A == "--project") {
      Result.Project = Value();
    } else if (A == "--choose" && AllowChoose) {
      Result.Choose = PositiveArg(Value(), "--choose");
    } else if (A.size() > 1 && A[0] == '-' && (A[1] < '0' || A[1] > '9')) {
      throw CliUsageError{"unknown option " + A};
    } else {
      Result.Rest.push_back(A);
    }
  }
  return Result;
}

int PositiveArg(const std::string& Text, const std::string& What) {
  const int Value = StrToIntDef(Text, 0);
  if (Value < 1) throw CliUsageError{What + " must be a positive number, not '" + Text + "'"};
  return Value;
}

TNavigationSession::TNavigationSession(const std::string& ProjectFile, const std::string& FileName)
{
  // The folders of FILE and DPR are searched for used units, after the
  // IDE's library path and the search path the settings name.
  for (const std::string& F : {FileName, ProjectFile})
    if (!F.empty()) AddHostSearchFolder(ExtractFilePath(ExpandFileName(F)));

  VclHost().ShowModal = [this](TCustomForm& Form) {
    auto* Dialog = dynamic_cast<TFormVelmoricAmbuingity*>(&Form);
    if (!Dialog) return int(mrCancel);
    TStringList* Items = Dialog->ListBox1->Items();
    if (Choose > 0) {
      if (Choose > Items->Count()) {
        ChooseError = Format("--choose %d: the dialog offers %d symbols", Choose, Items->Count());
        return int(mrCancel);
      }
      Dialog->ListBox1->Select(Choose - 1);
      Dialog->ListBox1->DblClick();
      return int(mrOk);
    }
    for (int I = 0; I < Items->Count(); ++I) {
      auto* Sym = static_cast<TOrvikSymbol*>(Items->Objects(I));
      const TOrvikSymbol* Root = Sym;
      while (Root->Parent) Root = Root->Parent;
      Candidates.push_back(
          Format("? %s\t%s:%d", Items->Get(I), Root->TypeName, JumpLine(Sym) + 1));
    }
    return int(mrCancel);
  };

  FSession.SetDataDirectory(TExpertSession::DefaultDataDirectory());
  if (!ProjectFile.empty()) FSession.OpenProject(ProjectFile);
  FFileName = FSession.OpenFile(FileName);
  FSession.RegisterExpert();
  if (!Expert()) throw Exception("The expert did not load");
  FSession.IDE().ActivateFile(FFileName);
  FormSourceExplorer()->SpeedButtonCompileClick(nullptr);
}

TNavigationSession::~TNavigationSession() {
  FSession.ReleaseExpert();
  VclHost().ShowModal = nullptr;
  FSavedSearchPaths.Restore();
}

void TNavigationSession::SetCursor(int Line, int Col) { FSession.SetCursor(FFileName, Line, Col); }

void TNavigationSession::CheckLine(const std::string& What, int Line) {
  const int Count = IDE().Buffer(FFileName).LineCount();
  if (Line < 1 || Line > Count)
    throw CliUsageError{Format("%s %d is outside %s (lines 1 to %d)", What, Line, FFileName, Count)};
}

void TNavigationSession::CheckColumn(const std::string& What, int Line, int Col) {
  CheckLine("LINE", Line);
  const int Last = IDE().Buffer(FFileName).LineEndColumn(Line);
  if (Col < 1 || Col > Last)
    throw CliUsageError{Format("%s %d is outside line %d of %s (columns 1 to %d)", What, Col, Line,
                               FFileName, Last)};
}

void TNavigationSession::Click(const std::string& ItemName) {
  if (!IDE().ClickMenuItem(ItemName)) throw Exception("The menu item " + ItemName + " is missing");
}

std::string TNavigationSession::Position() {
  const std::string File = IDE().GetCurrentFile();
  if (File.empty()) return {};
  const TEditPos Cursor = IDE().Buffer(File).Cursor;
  return Format("%s:%d:%d", File, Cursor.Line, Cursor.Col);
}
