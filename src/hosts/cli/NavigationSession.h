// What the navigation commands (find-position, hyperjump, explore) share:
// a session of the in-process IDE with the expert loaded, FILE open and
// compiled as the source explorer's compile button does, the answer to the
// ambiguity dialog, and positions printed as <path>:<line>:<col>.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "hosts/memory/ExpertSession.h"
#include "project/VelmoricProjectSettings.h"

class TVelmoricWizard;

// The arguments common to the navigation commands.
struct TNavigationArgs {
  std::string Project;            // --project DPR, or empty
  std::vector<std::string> Rest;  // the positional arguments, in order
  int Choose = 0;                 // --choose N (1-based), 0 when not given
};

// Reads --project DPR (and --choose N when AllowChoose) from anywhere in
// Args; any other option is a usage error.
TNavigationArgs ParseNavigationArgs(const std::vector<std::string>& Args, bool AllowChoose);

// A positive integer argument; a usage error otherwise.
int PositiveArg(const std::string& Text, const std::string& What);

class TNavigationSession {
 public:
  // Opens DPR (when given) as the IDE project and FILE in an editor, loads
  // the expert and compiles. Units beside FILE and DPR are found too.
  TNavigationSession(const std::string& ProjectFile, const std::string& FileName);
  // Releases the expert (which writes its file repository) and the IDE.
  ~TNavigationSession();
  TNavigationSession(const TNavigationSession&) = delete;
  TNavigationSession& operator=(const TNavigationSession&) = delete;

  TVelmoricWizard* Expert() const { return FSession.Expert(); }
  TMemoryIDE& IDE() { return FSession.IDE(); }
  const std::string& FileName() const { return FFileName; }

  // Puts FILE's cursor at the 1-based line and column and brings it to the front.
  void SetCursor(int Line, int Col);
  // A usage error unless the 1-based Line (named What on the command line)
  // is a line of FILE as the editor shows it.
  void CheckLine(const std::string& What, int Line);
  // A usage error unless Col is a column of that line: 1 up to the one just
  // after its last character.
  void CheckColumn(const std::string& What, int Line, int Col);
  // Chooses the expert's menu item of that name as the user would.
  void Click(const std::string& ItemName);
  // The current file and its cursor as <path>:<line>:<col>.
  std::string Position();

  // Answers the ambiguity dialog: with Choose (1-based) the item is double
  // clicked; without, its items are kept in Candidates and it is cancelled.
  int Choose = 0;
  // One "? <full name>\t<path>:<line>" line per symbol the dialog offered
  // when it was cancelled.
  std::vector<std::string> Candidates;
  // Set when Choose named no item of the dialog.
  std::string ChooseError;

 private:
  TExpertSession FSession;
  std::string FFileName;
  TSavedSearchPaths FSavedSearchPaths;
};
