// Unit-wide settings and switches of the project model, read and written by
// the options dialog and by the expert at start-up. Part of the unit
// VelmoricPascalScanner.
#pragma once

#include <string>

// CompileEditor reuses the memory project's units instead of compiling the
// used units again.
extern bool gQuickRecompile;
// FindSource searches the IDE's library search path.
extern bool gUseDelphiPath;
// ";"-separated directories searched after the IDE's path.
extern std::string AdditionalSearchPath;
// ";"-separated directories a host searches for this session only (the
// folders of the project and of the files it opens), after
// AdditionalSearchPath. Never shown in the options nor stored.
extern std::string HostSearchPath;
// Appends Dir to HostSearchPath unless it is there already.
void AddHostSearchFolder(const std::string& Dir);
// Both search paths as they were when it was made; a host puts them back
// when its session ends.
struct TSavedSearchPaths {
  std::string Additional = AdditionalSearchPath;
  std::string Host = HostSearchPath;
  void Restore() const {
    AdditionalSearchPath = Additional;
    HostSearchPath = Host;
  }
};
// Show the compiling status window while units are loaded or parsed
// (defined with the parser).
extern bool DisplayCompilerProcess;
// The data directory; file names are appended to it directly, so it ends in
// a separator (empty: the current directory).
extern std::string VelmoricPath;
// The database passwords, ";"-separated.
extern std::string DBPasswords;
// Test mode of the source modifier and the new procedure wizard.
extern bool RunTest;
// Extra trace lines of FindSource.
extern bool FindFileDebug;
