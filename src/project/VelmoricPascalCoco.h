// TPascalCoco: the source modifier. A wizard describes a member (procedure,
// variable, property) as a symbol record; the modifier finds where its
// declaration and implementation go, inserts or replaces the lines in the
// unit's line list, keeps the line numbers of the unit's symbol tree in step
// with every inserted or deleted line, and writes the changed text back into
// the editor buffer, as one undoable step, when it is destroyed. Part of the
// unit VelmoricPascalScanner.
#pragma once

#include <string>
#include <vector>

#include "scanner/VelmoricPascalSource.h"

class TPascalProject;

class TPascalCoco {
 public:
  // Loads the unit for editing when the source has no token source yet.
  // With an IDE the unit's buffer must still hold the text the source was
  // parsed from (the file is opened when it is not); raises Exception when
  // it does not.
  explicit TPascalCoco(TPascalSource* ASource);
  // Writes the changed lines into the unit's buffer as one undoable step,
  // unless an exception ends the change. A failing write is reported on the
  // trace and stderr; the buffer then stays as it was.
  ~TPascalCoco();
  TPascalCoco(const TPascalCoco&) = delete;
  TPascalCoco& operator=(const TPascalCoco&) = delete;

  // Changes the member when it is in the source (Line > 0), inserts it
  // otherwise.
  void InsertSymbol(TOrvikSymbol* Symbol);
  void InsertNewSymbol(TOrvikSymbol* Symbol);
  void ChangeSymbol(TOrvikSymbol* Symbol);
  // Every line position of the tree that is >= von moves by anz.
  void AddLine(int von, int anz);

  void ChangeVariable(TOrvikSymbol* Symbol);
  void FindLineForVariable(TOrvikSymbol* Symbol);
  void ChangeProperty(TOrvikSymbol* Symbol);
  void FindLineForProperty(TOrvikSymbol* Symbol);
  void ChangeProcedure(TOrvikSymbol* Symbol, bool NewImplementation, bool NewDeclaration);
  void FindLineForProcedure(TOrvikSymbol* Symbol, bool& NewDeclaration, bool& NewImplementation);
  // Where new implementations go: the line above the unit's "end." (or its
  // "initialization" / "finalization") when that line is blank or a comment,
  // else the keyword's own line; -1 when there is none.
  int FindImplementation();

  TPascalProject* project = nullptr;  // not owned
  TPascalSource* source = nullptr;    // not owned
  TStrings* lines = nullptr;          // the source's lines, not owned
  TToken* scanner = nullptr;          // owned

  // Whether any line was changed.
  bool Changed() const { return FChanged; }
  // Inserts a line in front of line Index (the caller calls AddLine).
  void InsertLine(int Index, const std::string& S);

 private:
  void ReplaceLine(int Index, const std::string& S);
  // Removes lines From to To - 1.
  void DeleteLines(int From, int To);
  // Positions the scanner at the start of line Line (tokens from there on).
  void StartScan(TToken* Scanner, int Line);
  // Scans the class from its declaration line for the first visibility
  // keyword equal to Bereich, or the class's own "end". Returns false when
  // the text ends first. AtEnd tells which was found; TL its line.
  bool ScanClassFor(TOrvikSymbol* Cls, TBereichTokenType Bereich, bool& AtEnd, int& TL);
  // A part of a class body: the default part after the header, or a part
  // opened by a visibility keyword; Start is its first line (the header's
  // or the keyword's), End the line of the next keyword or the class "end".
  struct TClassSection {
    bool Keyword;
    TBereichTokenType Scope;
    int Start;
    int End;
  };
  // The class's parts in text order, the last ending at the class "end";
  // empty when the class's body is not found.
  std::vector<TClassSection> ClassSections(TOrvikSymbol* Cls);
  // From the current scanner position (inside a section of a class): the line
  // of the next visibility keyword or the class's "end".
  int SectionEnd();
  // Inserts "    <Scope>" before line TL (the class's "end"): a new section.
  void InsertSection(TOrvikSymbol* Cls, int TL, TBereichTokenType Bereich);
  // AddLine for lines inserted into the body of class Cls.
  void AddClassLines(TOrvikSymbol* Cls, int von, int anz);
  // The last line of the procedure heading starting at line Line (with its
  // directives), or Line when it cannot be told.
  int HeadingEndLine(int Line);
  void SaveTest();

  // The unit's editor in the IDE, or nil.
  TIEditorInterface* OpenEditor();

  bool FChanged = false;
  TIEditorInterface* FEditor = nullptr;  // one reference
  int FUncaught = 0;  // exceptions in flight when created
};

// The scope a member of a class gets: a class knows no global or local
// members, those become public.
TBereichTokenType ClassScope(TBereichTokenType Bereich);
