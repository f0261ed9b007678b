#include "scanner/VelmoricToken.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "platform/rtl/SysUtils.h"
#include "trace/traceletVelmoric.h"

bool LineDebug = false;

using namespace std::string_view_literals;

namespace {
// How many false answers at the end of the text before Next raises.
constexpr int MaxEofAnswers = 50;

// isalnum as a table, for the word loop.
constexpr auto WordChar = [] {
  std::array<bool, 256> T{};
  for (int C = 0; C < 256; ++C) T[C] = isalnum(static_cast<char>(C));
  return T;
}();

// The first column from Column on (1-based) whose character is not In.
template <class TIn>
int SkipWhile(const std::string& LineText, int Column, int LineLength, TIn In) {
  const char* P = LineText.data();
  int Col = Column;
  while (Col <= LineLength && In(P[Col - 1])) ++Col;
  return Col;
}
}  // namespace

TToken::TToken(TStrings* ALines) : Lines(ALines) {
  TTraceProc Trace("TToken.Create");
  TokenText.reserve(MaxTokenText + 1);
  LowerText.reserve(MaxTokenText + 1);
  LowerText.clear();
  SetLine(0);
  EofCount = 0;
  CharPushedBack = false;
  TokenPushedBack = false;
}

void TToken::SetLine(int Value) {
  TTraceProc Trace("TToken.SetLine");
  if (Value < Lines->Count()) {
    Line = Value;
    Column = 1;
    Lines->GetTo(Value, LineText);
    LineLength = static_cast<int>(LineText.size());
    CharPushedBack = false;
    EndOfText = false;
    if (LineDebug && tracelet) tracelet->StrWrite("token.line", Format("%3d %3d %s", Value, 0, LineText));
  } else {
    EndOfText = true;
  }
}

char TToken::NextChar() {
  if (CharPushedBack) {
    CharPushedBack = false;
    return PushedChar;
  }
  if (Column <= LineLength) return LineText[Column++ - 1];
  // End of the line: on to the next line that has text; the break is one blank.
  do {
    SetLine(Line + 1);
  } while (!EndOfText && LineLength == 0);
  return EndOfText ? '\0' : ' ';
}

char TToken::NextCharInLine() const {
  return (Column >= 1 && Column <= LineLength) ? LineText[Column - 1] : '\0';
}

void TToken::ungetc(char C) {
  TTraceProc Trace("TToken.ungetc");
  CharPushedBack = true;
  PushedChar = C;
}

void TToken::UngetToken() {
  TTraceProc Trace("TToken.UngetToken");
  TokenPushedBack = true;
}

bool TToken::AtEndOfText() {
  TokenText.clear();
  LowerText.clear();
  if (EofCount >= MaxEofAnswers) throw Exception("End of file during parse");
  ++EofCount;
  return false;
}

bool TScanRecord::IsInside(int L) const {
  auto After = std::upper_bound(Inside.begin(), Inside.end(), L,
                                [](int Line, const std::pair<int, int>& R) { return Line < R.first; });
  return After != Inside.begin() && L <= std::prev(After)->second;
}

// Skips a comment from Column on, line by line, up to its closing delimiter
// (one character, or two when Close2 is set). An unclosed comment runs to the
// end of the text, which leaves EndOfText set.
bool TToken::SkipComment(char Close1, char Close2) {
  size_t From = static_cast<size_t>(Column - 1);
  const int Opened = Line;
  auto Entered = [&] {
    if (Record) Record->Add(Opened + 1, Line);
  };
  for (;;) {
    size_t At;
    if (Close2) {
      const char Close[] = {Close1, Close2, '\0'};
      At = LineText.find(Close, From);
    } else {
      At = LineText.find(Close1, From);
    }
    if (At != std::string::npos) {
      Column = static_cast<int>(At) + (Close2 ? 3 : 2);
      Entered();
      return true;
    }
    SetLine(Line + 1);
    if (EndOfText) {
      Entered();
      return false;
    }
    From = 0;
  }
}

bool TToken::Next() {
  if (TokenPushedBack) {
    TokenPushedBack = false;
    return true;
  }
  for (;;) {
    if (EndOfText) return AtEndOfText();

    // Blanks: skipped within the line without a call per character.
    char C = NextChar();
    while (isspace(C)) {
      Column = SkipWhile(LineText, Column, LineLength, [](char Ch) { return isspace(Ch); });
      C = NextChar();
    }
    if (C == '\0') return false;
    TokenText.clear();

    if (C == '\'') {
      // A string runs to the next quote; line breaks read as blanks.
      const int Opened = Line;
      for (;;) {
        const int From = Column;
        Column = SkipWhile(LineText, Column, LineLength,
                           [](char Ch) { return Ch != '\'' && Ch != '\0'; });
        AppendCut(From, Column);
        C = NextChar();
        if (Record && Line != Opened) Record->Add(Opened + 1, Line);
        if (C == '\'') {
          IsString = true;
          LowerText.clear();
          return true;
        }
        if (C == '\0') return false;
        if (TokenText.size() < MaxTokenText) TokenText.push_back(C);
      }
    }

    IsString = false;
    if (C == '/' && NextCharInLine() == '/') {
      SetLine(Line + 1);  // on the last line this ends the text
      continue;
    }
    if (C == '(' && NextCharInLine() == '*') {
      SkipComment('*', ')');  // the search starts at the opening '*': "(*)" is complete
      continue;
    }
    if (C == '{') {
      SkipComment('}', '\0');
      continue;
    }

    TokenLine = Line;
    // An escaped identifier ("&begin", "&Type") is the word without its "&";
    // its lower-case text keeps the "&", so that it is never a keyword.
    const bool Escaped = C == '&' && Column <= LineLength && isalpha(LineText[Column - 1]);
    if (Escaped) C = NextChar();
    if (isalnum(C)) {
      // A word, which a line break ends; one longer than 255 characters is cut.
      TokenText.push_back(C);
      const int From = Column;
      Column = SkipWhile(LineText, Column, LineLength,
                         [](char Ch) { return WordChar[static_cast<unsigned char>(Ch)]; });
      AppendCut(From, Column);
      C = NextChar();
      if (C == '\0') return false;  // a word running to the end of the text is not delivered
      CharPushedBack = true;
      PushedChar = C;
      LowerCaseInto(std::string_view(TokenText).substr(0, MaxLowerText), LowerText);
      if (Escaped) {
        LowerText.insert(0, 1, '&');
        if (LowerText.size() > MaxLowerText) LowerText.resize(MaxLowerText);
      }
      return true;
    }
    TokenText.assign(1, C);
    LowerText.assign(1, C);
    return true;
  }
}

// Appends LineText's columns [From, To) to TokenText, up to its length limit.
void TToken::AppendCut(int From, int To) {
  const size_t Room = MaxTokenText - std::min<size_t>(TokenText.size(), MaxTokenText);
  const size_t N = std::min(static_cast<size_t>(To - From), Room);
  TokenText.append(LineText, static_cast<size_t>(From - 1), N);
}

void TToken::NextWord(int P, bool& AtEnd, std::string& Word) const {
  TTraceProc Trace("TToken.NextWord");
  Word.clear();
  int I = P < 1 ? 1 : P;
  while (I <= LineLength && isnumber(LineText[I - 1])) ++I;
  if (I > LineLength) {
    AtEnd = true;
    return;
  }
  Word.push_back(LineText[I - 1]);
  ++I;
  while (I <= LineLength && isalnum(LineText[I - 1])) Word.push_back(LineText[I++ - 1]);
  AtEnd = I > LineLength;
}

bool TToken::IsProcToken(TProcTokenType& Kind) const {
  TTraceProc Trace("TToken.IsProcToken");
  if (LowerText == "procedure"sv) Kind = tProcedure;
  else if (LowerText == "function"sv) Kind = tFunction;
  else if (LowerText == "constructor"sv) Kind = tConstructor;
  else if (LowerText == "destructor"sv) Kind = tDestructor;
  else return false;
  return true;
}

bool TToken::IsDefBereich(TDefType& Kind) const {
  TTraceProc Trace("TToken.IsDefBereich");
  TProcTokenType ProcKind;
  if (LowerText == "initialization"sv) Kind = tInitialization;
  else if (LowerText == "finalization"sv) Kind = tfinalization;
  else if (LowerText == "implementation"sv) Kind = tImplementation;
  else if (LowerText == "type"sv) Kind = tType;
  else if (LowerText == "var"sv) Kind = tVar;
  else if (LowerText == "const"sv) Kind = tConst;
  else if (IsProcToken(ProcKind)) Kind = tProcedures;
  else return false;
  return true;
}

bool TToken::IsScope(TBereichTokenType& Kind) const {
  TTraceProc Trace("TToken.IsScope");
  if (LowerText == "public"sv) Kind = tPublic;
  else if (LowerText == "private"sv) Kind = tPrivate;
  else if (LowerText == "protected"sv) Kind = tProtected;
  else if (LowerText == "published"sv) Kind = tPublished;
  else return false;
  return true;
}

bool TToken::IsProcOption(TProcOptionsType& Kind) const {
  TTraceProc Trace("TToken.IsProcOption");
  struct Option {
    std::string_view Word;
    TProcOptionsType Kind;
  };
  static constexpr Option Options[] = {
      {"virtual", tVirtual},   {"abstract", tAbstract}, {"override", tOverride},
      {"external", tExternal}, {"message", tMessage},   {"stdcall", tStdCall},
      {"far", tFar},           {"dynamic", tDynamic},   {"assembler", tAssembler},
  };
  bool Result = false;
  for (const Option& O : Options) {
    if (LowerText == O.Word) {
      Kind = O.Kind;
      Result = true;
    }
  }
  return Result;
}
