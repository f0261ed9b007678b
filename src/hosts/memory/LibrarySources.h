// The source folders of the Free Pascal and Lazarus installations on this
// machine: the in-process IDE's library path when its settings name none.
#pragma once

#include <string>
#include <vector>

// The installations' roots: Free Pascal's newest version folder below
// /usr/share/fpcsrc, Lazarus's below /usr/share/lazarus or /usr/lib/lazarus
// (a folder holding "lcl"). Each may be empty (not installed).
struct TLibraryInstallations {
  std::string FreePascal;
  std::string Lazarus;
};
TLibraryInstallations FindLibraryInstallations();

// The folders of the roots that hold units, this machine's platform first:
// Free Pascal's run-time library for the operating system and processor and
// its portable parts, the Lazarus component library with its widget set for
// this platform and Lazarus's base packages, then the "src" folders (and
// the folders directly below them) of the Free Pascal packages built for
// this operating system. Folders that do not exist are left out.
std::vector<std::string> LibraryFolders(const TLibraryInstallations& Roots);
