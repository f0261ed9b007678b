// A unit's model as one parse of its text gave it, kept beside that text so
// that the next parse of the same buffer can take a copy instead of parsing
// again when the edit between them cannot change what the parser reads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/VelmoricPascalSource.h"

struct TKeptParse {
  std::string FileName;             // the unit's, as the parse had it
  std::string Text;                 // the text parsed
  std::vector<int32_t> LineStarts;  // where each of its lines starts, as a string list splits it
  TScanRecord Scan;                 // the lines the parse entered inside a comment or string
  TCompilerOptionsSet Options;      // those of the parse

  // The model, owned: the unit root with its records, and the lists.
  TOrvikSymbol Root;
  std::unique_ptr<TSaveStringList> Uses;
  std::unique_ptr<TSaveStringList> Errors;
  // The source whose records these were: a record's Source of this value
  // belongs to the source that takes the copy. Never dereferenced.
  const TPascalSource* Owner = nullptr;

  // The source's state when its parse ended.
  std::unique_ptr<TToken> Scanner;  // without lines
  std::string ParseContext;
  int ParseStartLine = 0;
  bool InImplementation = false;
  bool Modified = false;
  TSourceStates State = stEditorLoaded;
  int ParseTime = 0;
  const TOrvikSymbol* NestedIn = nullptr;  // a record of Root's tree, or nil
  TBereichTokenType NestedScope = tPublic;
  bool AllDirectives = false;
  bool Eof = false;
  int ConditionalFrom = 0;
  int Nesting = 0;
};

// Where each line of Text starts: lines end at LF, CR or CR LF, and a line
// break at the end starts no line.
std::vector<int32_t> LineStartsOf(std::string_view Text);
