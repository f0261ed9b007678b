// The tokenizer of the add-in: cuts a list of lines into words, quoted strings
// and one-character symbols, skipping comments. Part of the unit
// VelmoricPascalScanner (include that header).
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/Sets.h"

// ------------------------------------------------------- character classes
// Each takes one 8-bit character. They overload the C library's int versions;
// call them with a char (an unsigned char or int argument picks the C ones).

// Tab, line feed, carriage return, blank.
constexpr bool isspace(char C) { return C == ' ' || C == '\t' || C == '\n' || C == '\r'; }
// A-Z, a-z.
constexpr bool isalpha(char C) { return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z'); }
// 0-9.
constexpr bool isnumber(char C) { return C >= '0' && C <= '9'; }
// 0-9, A-Z, a-z and the underscore: the scanner's word characters.
constexpr bool isalnum(char C) { return isalpha(C) || isnumber(C) || C == '_'; }

// ------------------------------------------------------------ enumerations

enum TTokenTyp : uint8_t { tString, tIndentifier, tNumber, tSymbol, tEof };

enum TProcTokenType : uint8_t { tProcedure, tFunction, tConstructor, tDestructor };

enum TProcOptionsType : uint8_t {
  tOverride,
  tAbstract,
  tVirtual,
  tExternal,
  tMessage,
  tDynamic,
  tStdCall,
  tAssembler,
  tFar
};
using TProcOptionsSet = TSet<TProcOptionsType>;

enum TBereichTokenType : uint8_t { tPrivate, tPublic, tProtected, tPublished, tGlobal, tLocal };

enum TDefType : uint8_t {
  tType,
  tVar,
  tConst,
  tProcedures,
  tImplementation,
  tInitialization,
  tfinalization
};

// When on, every line the scanner moves to goes to the trace stream
// "token.line" as "%3d %3d %s". Off by default.
extern bool LineDebug;

// ------------------------------------------------------------------ TToken

// The lines a scan entered inside a comment or a string, as ranges of
// 0-based lines (first, last) in the order met. A range that starts within
// the last one extends it: a string crossing more lines, or a range met
// again by a scan that looked ahead and went back.
struct TScanRecord {
  std::vector<std::pair<int, int>> Inside;
  void Add(int First, int Last) {
    if (Last < First) return;
    if (!Inside.empty() && First <= Inside.back().second) {
      Inside.back().second = std::max(Inside.back().second, Last);
      return;
    }
    Inside.emplace_back(First, Last);
  }
  // Whether line L was entered inside a comment or a string.
  bool IsInside(int L) const;
};

class TToken : public TObject {
 public:
  static constexpr int MaxTokenText = 255;
  static constexpr int MaxLowerText = 200;

  // Scans Lines (not owned) from its first line.
  explicit TToken(TStrings* Lines);

  // Moves to the start of line Value; beyond the last line only EndOfText is set.
  void SetLine(int Value);
  // Next character of the text, crossing lines: a line break (with any empty
  // lines after it) reads as one blank; 0 at the end of the text.
  char NextChar();
  // The character at Column without consuming it; 0 past the end of the line.
  char NextCharInLine() const;
  void ungetc(char C);
  void UngetToken();
  // Reads the next token; false at the end of the text. After the end, 50
  // more calls answer false and the next one raises "End of file during parse".
  bool Next();
  // Line-local: from position P skips digits, then takes one character and the
  // word characters after it. AtEnd tells whether the line ended.
  void NextWord(int P, bool& AtEnd, std::string& Word) const;

  bool IsProcToken(TProcTokenType& Kind) const;
  bool IsDefBereich(TDefType& Kind) const;
  bool IsScope(TBereichTokenType& Kind) const;
  bool IsProcOption(TProcOptionsType& Kind) const;

  bool EndOfText = false;
  int EofCount = 0;
  bool TokenPushedBack = false;
  int Line = 0;                // 0-based index into Lines
  TStrings* Lines = nullptr;   // not owned
  bool IsString = false;
  int Column = 1;              // 1-based position in LineText of the next character
  std::string TokenText;       // at most 255 characters; strings without quotes
  int TokenLine = 0;           // line of the current word or symbol (kept for strings)
  std::string LowerText;       // TokenText lower-cased, at most 200; empty for strings
  std::string LineText;        // copy of line Line
  int LineLength = 0;
  bool CharPushedBack = false;
  char PushedChar = 0;
  TScanRecord* Record = nullptr;  // not owned; when set, told of lines entered inside a comment or string

 private:
  bool SkipComment(char Close1, char Close2);
  void AppendCut(int From, int To);
  bool AtEndOfText();
};
