// A session of the in-process IDE with the expert loaded, as the command
// line and the tests run it: the IDE is created, files are opened, a
// program file may become the IDE project, Register is called, and at the
// end the IDE unloads the expert (its Release) before it goes.
//
//   TExpertSession Session;
//   Session.OpenProject("demo.dpr");         // optional
//   Session.OpenFile("unit1.pas");           // becomes the current file
//   Session.RegisterExpert();
//   Session.SetCursor("unit1.pas", 12, 3);
//   Session.Expert()->MenuClickFindPosition(nullptr);
//   Session.ReleaseExpert();                 // or let the destructor do it
#pragma once

#include <memory>
#include <string>

#include "hosts/memory/MemoryIDE.h"

class TVelmoricWizard;

class TExpertSession {
 public:
  // Creates the in-process IDE (only one may exist at a time).
  TExpertSession();
  // Releases the expert if it is still loaded, then closes the IDE.
  ~TExpertSession();
  TExpertSession(const TExpertSession&) = delete;
  TExpertSession& operator=(const TExpertSession&) = delete;

  TMemoryIDE& IDE() { return *FIDE; }

  // Makes a program file (.dpr) the IDE project. Raises Exception with the
  // IDE's reason when it cannot be read.
  void OpenProject(const std::string& FileName);
  // Opens a file into an editor buffer and brings its window to the front;
  // returns the full name the IDE gave it. Raises Exception when it fails.
  std::string OpenFile(const std::string& FileName);

  // The data directory (VelmoricPath) the expert starts with; the registry's
  // "path" setting still overrides it.
  void SetDataDirectory(const std::string& Dir);
  // $VELMORIC_DATA, else $XDG_DATA_HOME/velmoric, else
  // $HOME/.local/share/velmoric; created when missing. Empty without a home.
  static std::string DefaultDataDirectory();

  // Runs the package's Register; the expert is TheVelmoricFairy afterwards.
  void RegisterExpert();
  // The registered expert, or nullptr.
  TVelmoricWizard* Expert() const;
  // Lets the IDE release the expert (its ten release steps).
  void ReleaseExpert();

  // Puts the cursor of the file's editor at the 1-based Line and Col (moved
  // into the text as an editor does) and brings its window to the front.
  void SetCursor(const std::string& FileName, int Line, int Col);
  TEditPos Cursor(const std::string& FileName) const;
  TEditPos TopLine(const std::string& FileName) const;

 private:
  std::unique_ptr<TMemoryIDE> FIDE;
  bool FRegistered = false;
};
