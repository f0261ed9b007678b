// TPascalProject: a set of parsed units that belong together, with the unit
// search, the decision to parse, load from the symbol store or share a unit
// of the memory project, and symbol searches across the units. Part of the
// unit VelmoricPascalScanner.
//
// Unit keys: every unit list (FUnitLIst) is keyed by the unit key, the
// lower-case file name without directory and without anything from its
// first "." (".\Lib\Unit1.pas" -> "unit1"). Compile, CompileEditor and quick
// recompile all register under it, so FindCompiledSource and the navigation
// find a unit under one key whichever way it came in.
//
// Sharing: a source counts one reference per unit list that holds it and is
// freed when the last list lets go. A short-lived project registers the
// units it parses in its memory project too, so they outlive it. A copy the
// memory project replaces (edited, modified) leaves the memory project's list
// but stays valid for every other project that still holds it.
#pragma once

#include <time.h>

#include <optional>
#include <string>

#include "platform/opentools/EditIntf.h"
#include "project/VelmoricFileRepository.h"
#include "project/VelmoricProjectSettings.h"
#include "project/VelmoricSymbolStore.h"
#include "scanner/VelmoricPascalSource.h"

class TPascalProject {
 public:
  // Reads the IDE's library search path from the registry.
  TPascalProject();
  // Lets go of every source; never touches FMemoryProject.
  ~TPascalProject();
  TPascalProject(const TPascalProject&) = delete;
  TPascalProject& operator=(const TPascalProject&) = delete;

  // Makes the unit, and through the parser every unit it uses, part of the
  // project. Returns the source this call parsed or loaded; nil when the unit
  // was here already, was shared from the memory project, or was not found.
  TPascalSource* Compile(const std::string& UnitName, TCompilerOptionsSet Options);
  // Parses the unit in the editor buffer and registers it under its unit key
  // here and in the memory project, replacing an older copy. The new source
  // (nil for a nil editor).
  TPascalSource* CompileEditor(TIEditorInterface* Editor);
  // Compiles one entry of the uses clause being parsed (the parser's
  // callback). Only a unit name is searched; a program's "in" path is taken
  // relative to the program; anything else becomes a missing placeholder.
  void CompileUsesEntry(const std::string& Entry, TCompilerOptionsSet Options);
  // Finds the source file of a unit (repository, the name as given, the IDE's
  // project units, the current directory, the search path). Time, when
  // given, gets the file's modification time if the search read it.
  bool FindSource(const std::string& UnitName, std::string& FileName,
                  std::optional<struct timespec>* Time = nullptr);
  // Whether FileName's ".pax" file exists and carries the source's
  // modification time exactly (SourceTime when given, a moment old, else
  // read now). When it does and Opened is given, the store file opened for
  // the check is handed over for reading.
  bool CheckSymbols(const std::string& FileName, TStoreFile* Opened = nullptr,
                    const struct timespec* SourceTime = nullptr);
  // The source registered under the unit's key, or nil.
  TPascalSource* FindCompiledSource(const std::string& UnitName, std::string& FileName);

  // Searches over the top-level symbols of all units, in unit order.
  TOrvikSymbol* FindFlatSymbol(const std::string& Name);
  TOrvikSymbol* FindSymbol(const std::string& Name, TSymTyp Kind);
  // Any depth, any kind but typEOF.
  TOrvikSymbol* FindAnySymbol(const std::string& Name);
  // The class symbol of Symbol's ancestor, cached until the next Compile.
  TOrvikSymbol* BaseClassOf(TOrvikSymbol* Symbol);
  // Appends every top-level symbol of that kind (name, symbol as object).
  void CreateSymbolList(TSymTyp Kind, TStrings* List);
  // Every symbol of any depth named Word; the caller frees the list.
  TSaveList* GetSymbolList(const std::string& Word);

  // The ".pax" file of a source file: its extension (from the last ".")
  // replaced, in the same directory.
  static std::string StoreFileName(const std::string& FileName);
  // The unit key of a unit or file name.
  static std::string UnitKey(const std::string& Name);
  // Whether the file's extension is one of a Pascal source (.pas, .pp, .dpr,
  // .lpr, in any case): only such a file has a symbol store beside it.
  static bool IsPascalSourceFile(const std::string& FileName);
  // Whether Name is a unit name: identifiers joined by "." ("Vendor.Tools").
  static bool IsUnitName(const std::string& Name);
  // Whether a parse of FileName writes a store beside it: a Pascal source
  // outside the installed library (below /usr, parsed again by each compile).
  static bool HasStoreBeside(const std::string& FileName);

  std::string FSearchPath;
  TPascalProject* FMemoryProject = nullptr;  // not owned
  TSaveStringList* FUnitLIst = nullptr;
  // While set, a unit parsed from its file is taken from the parses made
  // ahead on other threads (set and cleared by TParseAhead).
  class TParseAhead* FParseAhead = nullptr;

 private:
  // Adds S under Key to this project's list and, when there is one, to the
  // memory project's list; one reference per list.
  void Register(const std::string& Key, TPascalSource* S);
  // Registers, parses and stores a new source (the token source stays the
  // caller's). Editor is the buffer parsed from, if any.
  void RegisterAndParse(const std::string& Key, TPascalSource* S, const std::string& FileName,
                        TCompilerOptionsSet Options, TIEditorInterface* Editor,
                        const struct timespec* SourceTime);
  // Shares a source of the memory project and compiles what it uses.
  void Share(const std::string& Key, TPascalSource* S, TCompilerOptionsSet Options);
  void CompileUses(TPascalSource* S, TCompilerOptionsSet Options);
  // One entry of User's uses list (User may be nil: a unit, not a program).
  void UseEntry(const TPascalSource* User, const std::string& Entry, TCompilerOptionsSet Options);
  // The rest of Compile once the file is known (or known to be missing).
  TPascalSource* CompileFound(const std::string& Name, const std::string& Key, bool Found,
                              const std::string& FileName, TCompilerOptionsSet Options,
                              const struct timespec* SourceTime = nullptr);
  // Registers a source for a unit that is not there, so that it is not
  // searched again; Name becomes its FileName.
  void AddPlaceholder(const std::string& Key, const std::string& Name);
  // Writes S's store file, stamped with the source's modification time;
  // a failure is reported once and otherwise ignored. Ahead: S's parse made
  // ahead, whose store waits in its temporary file.
  void SaveStore(TPascalSource* S, const struct timespec* SourceTime,
                 struct TParsedUnit* Ahead = nullptr);
  TPascalSource* CompileFromEditor(const std::string& Key, const std::string& FileName,
                                   TCompilerOptionsSet Options);
  TPascalSource* LoadFromStore(const std::string& Key, const std::string& FileName,
                               const TStoreFile& Store, TCompilerOptionsSet Options);
  TPascalSource* ParseFile(const std::string& Key, const std::string& FileName,
                           TCompilerOptionsSet Options);
  // ParseFile's steps after the parse, on a parse made ahead.
  TPascalSource* TakeParsed(const std::string& Key, struct TParsedUnit& Parsed);

  // The unit whose uses clause the parser is reading, if it was started here.
  TPascalSource* FParsing = nullptr;
};

// The module notifier of a parsed unit: an editor change marks the source
// modified, so that the next compile parses it again.
class TIPascalModuleNotifier : public TIModuleNotifier {
 public:
  explicit TIPascalModuleNotifier(TPascalSource* ASource) : Source(ASource) {}
  void Notify(TNotifyCode NotifyCode) override;
  void ComponentRenamed(void* ComponentHandle, const std::string& OldName,
                        const std::string& NewName) override;

  TPascalSource* Source;  // not owned
};

// Lets go of one reference to S; frees it when none is left.
void ReleaseSource(TPascalSource* S);

// Cache of BaseClassOf: lower-case class name -> base class symbol (or nil).
extern TSaveStringList* FBaseClasses;
