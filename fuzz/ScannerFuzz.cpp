// The token scanner over arbitrary text: every token lies where the scanner
// says, word and symbol tokens are what the text holds, a pushed-back token
// comes again, the end of the text answers false 50 times and then raises.
#include <algorithm>

#include "FuzzSupport.h"
#include "platform/rtl/SysUtils.h"
#include "scanner/VelmoricPascalScanner.h"

namespace {

std::string AsciiLower(const std::string& S) {
  std::string R = S;
  for (char& C : R)
    if (C >= 'A' && C <= 'Z') C = static_cast<char>(C + ('a' - 'A'));
  return R;
}

void CheckPosition(const TToken& T, const TStrings& Lines) {
  if (Lines.Count() == 0) return;
  FUZZ_CHECK(T.Line >= 0 && T.Line < Lines.Count(), "line " + std::to_string(T.Line));
  FUZZ_CHECK(T.LineText == Lines.Get(T.Line), "line text of line " + std::to_string(T.Line));
  FUZZ_CHECK(T.LineLength == static_cast<int>(T.LineText.size()), "line length");
  FUZZ_CHECK(T.Column >= 1 && T.Column <= T.LineLength + 1, "column " + std::to_string(T.Column));
}

void CheckToken(const TToken& T, const TStrings& Lines) {
  FUZZ_CHECK(T.TokenText.size() <= TToken::MaxTokenText, "token text too long");
  FUZZ_CHECK(T.LowerText.size() <= TToken::MaxLowerText, "lower text too long");
  if (T.IsString) {
    FUZZ_CHECK(T.LowerText.empty(), "a string token has lower text");
    return;
  }
  FUZZ_CHECK(!T.TokenText.empty(), "empty word or symbol");
  // An escaped word ("&begin") keeps its "&" in the lower text only.
  const bool Escaped = !T.LowerText.empty() && T.LowerText[0] == '&' && T.TokenText[0] != '&';
  const std::string Lower = AsciiLower(T.TokenText.substr(0, TToken::MaxLowerText));
  FUZZ_CHECK(T.LowerText == (Escaped ? ("&" + Lower).substr(0, TToken::MaxLowerText) : Lower),
             "lower text '" + T.LowerText + "' of '" + T.TokenText + "'");
  FUZZ_CHECK(T.TokenLine >= 0 && T.TokenLine < Lines.Count(), "token line");
  const char First = T.TokenText[0];
  if (isalnum(First)) {
    FUZZ_CHECK(std::all_of(T.TokenText.begin(), T.TokenText.end(), [](char C) { return isalnum(C); }),
               "word '" + T.TokenText + "' holds a non-word character");
  } else {
    FUZZ_CHECK(T.TokenText.size() == 1, "symbol of more than one character");
    FUZZ_CHECK(!isspace(First) && First != '\0', "blank or NUL symbol");
  }
  // A word or symbol never spans lines: it stands in its line.
  FUZZ_CHECK(Lines.Get(T.TokenLine).find(T.TokenText) != std::string::npos,
             "'" + T.TokenText + "' is not in line " + std::to_string(T.TokenLine));
}

void CheckClassifiers(const TToken& T) {
  TProcTokenType Proc;
  TDefType Def;
  TBereichTokenType Scope;
  TProcOptionsType Option;
  const bool IsProc = T.IsProcToken(Proc);
  const bool IsDef = T.IsDefBereich(Def);
  if (IsProc) FUZZ_CHECK(IsDef && Def == tProcedures, "a procedure word is not a procedure section");
  const bool IsScope = T.IsScope(Scope);
  const bool IsOption = T.IsProcOption(Option);
  if (IsDef || IsScope || IsOption)
    FUZZ_CHECK(!T.IsString && !T.LowerText.empty(), "a keyword from a string or nothing");
  FUZZ_CHECK(int(IsDef) + int(IsScope) + int(IsOption) <= 1, "one word in two keyword classes");
}

}  // namespace

void FuzzScanner(const uint8_t* Data, size_t Size) {
  LineDebug = false;
  const std::string Text(AsText(Data, Size));
  TSaveStringList Lines("strings", "TToken");
  Lines.SetText(Text);
  TToken T(&Lines);
  FUZZ_CHECK(T.EndOfText == (Lines.Count() == 0), "end of text at the start");

  // Every call reads at least one character (or moves to the next line), so
  // the scan ends within this many calls.
  const size_t Limit = Text.size() + 2 * static_cast<size_t>(Lines.Count()) + 2;
  size_t Calls = 0;
  int LastLine = 0;
  for (;;) {
    FUZZ_CHECK(++Calls <= Limit, "the scanner does not come to an end");
    if (!T.Next()) {
      if (T.EndOfText) break;
      continue;  // a NUL character reads as an end of the text; the scan goes on after it
    }
    CheckToken(T, Lines);
    CheckPosition(T, Lines);
    CheckClassifiers(T);
    if (!T.IsString) {
      FUZZ_CHECK(T.TokenLine >= LastLine, "token line went back");
      LastLine = T.TokenLine;
    }
    if (Calls % 7 == 3) {
      const std::string Was = T.TokenText;
      const int WasLine = T.TokenLine;
      const bool WasString = T.IsString;
      T.UngetToken();
      FUZZ_CHECK(T.Next(), "a pushed-back token is not delivered");
      FUZZ_CHECK(T.TokenText == Was && T.TokenLine == WasLine && T.IsString == WasString,
                 "a pushed-back token changed");
    }
    if (Calls % 5 == 1) {
      bool AtEnd = false;
      std::string Word;
      T.NextWord(static_cast<int>(Calls % 13), AtEnd, Word);
      FUZZ_CHECK(Word.size() <= T.LineText.size(), "NextWord took more than the line");
      FUZZ_CHECK(Word.empty() || T.LineText.find(Word) != std::string::npos, "NextWord invented text");
    }
  }

  // At the end: false until 50 false answers were given, then the exception.
  FUZZ_CHECK(T.EofCount <= 50, "too many end answers");
  while (T.EofCount < 50) FUZZ_CHECK(!T.Next(), "a token after the end of the text");
  bool Raised = false;
  try {
    T.Next();
  } catch (const Exception& E) {
    Raised = E.Message() == "End of file during parse";
  }
  FUZZ_CHECK(Raised, "the 51st end answer does not raise \"End of file during parse\"");

  // Moving back to a line leaves the end of the text and reads on from there.
  if (Lines.Count() > 0) {
    const int Line = static_cast<int>(Size % static_cast<size_t>(Lines.Count()));
    TToken Again(&Lines);
    Again.SetLine(Line);
    FUZZ_CHECK(!Again.EndOfText && Again.Line == Line && Again.Column == 1, "SetLine");
    for (int I = 0; I < 64 && Again.Next(); ++I) CheckToken(Again, Lines);
  }
}
