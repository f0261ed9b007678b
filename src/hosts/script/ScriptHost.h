// Scripted sessions: a script drives the in-process IDE with the expert
// loaded as a user would (files, cursor, typing, menus, short cuts, time)
// and answers the forms, message boxes and file dialogs they open by
// working the forms' controls by their component names. The command line
// (`velmoric script`), tests and other hosts run scripts through this class.
//
// One statement a line, words split as a POSIX shell splits them; "#"
// starts a comment line. Output goes to Out in the order it happens; a
// statement that cannot be carried out stops the script with
// "script:LINE: <why>" on Err.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/vcl/VclHost.h"
#include "project/VelmoricProjectSettings.h"

class TExpertSession;
class TComponent;
class TCustomForm;
class TOpenDialog;
class TRichTextDocument;
class TMemoryIDE;

struct TScriptOptions {
  std::string Project;  // a program file (.dpr) to open as the IDE project
  bool Trace = false;   // echo each statement on Err as "+ LINE: text" before it runs
  // Called once the expert is loaded, before the first statement: a host
  // may add its own menu items or forms to the session.
  std::function<void(TExpertSession& Session)> Prepare;
};

class TScriptHost {
 public:
  TScriptHost(std::ostream& Out, std::ostream& Err);
  ~TScriptHost();
  TScriptHost(const TScriptHost&) = delete;
  TScriptHost& operator=(const TScriptHost&) = delete;

  // Runs the script's text in a fresh IDE session and releases the expert
  // at the end. Returns 0 when every statement ran, 1 when they did but a
  // modal form found no answer, 2 when a statement failed. Raises Exception
  // when the session cannot start (the project cannot be read).
  int Run(const std::string& Script, const TScriptOptions& Options);

 private:
  struct TStatement {
    int Line = 0;
    std::string Text;
    std::vector<std::string> Words;
  };
  struct TFormAnswer {
    int Line = 0;
    std::string Name;
    std::vector<TStatement> Actions;
  };
  struct TQueued {
    int Line = 0;
    std::string Value;
  };
  // Unwinds this host's own frames (never the IDE's) to the statement loop
  // or to the modal form's answer; FError says why.
  struct TStop {};

  [[noreturn]] void Fail(const std::string& Why);
  void CheckStopped();
  void Trace(const TStatement& S);

  void Execute(const TStatement& S);
  void Print(const std::string& What);
  // Lists the designer verbs of a component of a form file, or runs one
  // (by its caption or "#N").
  void Designer(const std::string& FormFile, const std::string& Name, const std::string* Verb);
  // The file of the front editor; fails when none is open.
  std::string FrontFile();
  TMemoryIDE& IDE();
  void RunActions(TCustomForm& Form, const std::vector<TStatement>& Actions, bool Modal);
  void RunAction(TCustomForm& Form, const TStatement& A, bool Modal);
  void PrintLines(const std::vector<std::string>& Lines);

  int OnShowModal(TCustomForm& Form);
  int OnMessageBox(const TMessageBoxRequest& Request);
  bool OnFileDialog(TOpenDialog& Dialog);
  // Prints as PDF into the file the next "file" answer names.
  void OnPrint(const std::string& Title, const TRichTextDocument& Document);

  std::ostream& FOut;
  std::ostream& FErr;
  bool FTrace = false;
  std::unique_ptr<TExpertSession> FSession;
  TVclHost FSavedHost;
  TSavedSearchPaths FSavedSearchPaths;
  int FLine = 0;
  struct TError {
    int Line;
    std::string Why;
  };
  std::optional<TError> FError;
  bool FUnanswered = false;
  std::deque<TFormAnswer> FDialogs;
  std::deque<TQueued> FMessages;
  std::deque<TQueued> FFiles;
  std::string FClipboard;
};

// Whether NAME names the form: its class name or component name (case
// ignored) or its caption (without '&').
bool ScriptFormMatches(const TCustomForm& Form, const std::string& Name);
// The component of that name owned by Owner or by one of its components.
TComponent* ScriptFindComponent(const TComponent& Owner, const std::string& Name);
