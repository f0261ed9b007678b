#include "hosts/memory/ProjectFile.h"

#include "platform/rtl/SysUtils.h"

namespace {

enum TKind { tkEnd, tkWord, tkString, tkComment, tkSymbol };

struct TTok {
  TKind Kind = tkEnd;
  std::string Text;
};

class TLexer {
 public:
  explicit TLexer(std::string_view S) : FS(S) {}

  TTok Next() {
    while (FP < FS.size() && static_cast<unsigned char>(FS[FP]) <= ' ') ++FP;
    if (FP >= FS.size()) return {};
    const char C = FS[FP];
    if (C == '{') return Comment(1, "}");
    if (C == '(' && Peek(1) == '*') return Comment(2, "*)");
    if (C == '/' && Peek(1) == '/') return Comment(2, "\n");
    if (C == '\'') return String();
    if (IsWordChar(C)) {
      const size_t Start = FP;
      while (FP < FS.size() && (IsWordChar(FS[FP]) || FS[FP] == '.')) ++FP;
      return {tkWord, std::string(FS.substr(Start, FP - Start))};
    }
    ++FP;
    return {tkSymbol, std::string(1, C)};
  }

 private:
  static bool IsWordChar(char C) {
    return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') || C == '_';
  }
  char Peek(size_t Ahead) const { return FP + Ahead < FS.size() ? FS[FP + Ahead] : '\0'; }

  TTok Comment(size_t OpenLen, std::string_view Close) {
    const size_t Start = FP + OpenLen;
    size_t End = FS.find(Close, Start);
    if (End == std::string_view::npos) End = FS.size();
    FP = std::min(FS.size(), End + Close.size());
    return {tkComment, std::string(FS.substr(Start, End - Start))};
  }

  TTok String() {
    std::string Text;
    ++FP;
    while (FP < FS.size()) {
      if (FS[FP] == '\'') {
        if (Peek(1) == '\'') {
          Text += '\'';
          FP += 2;
          continue;
        }
        ++FP;
        break;
      }
      if (FS[FP] == '\n' || FS[FP] == '\r') break;  // unterminated
      Text += FS[FP++];
    }
    return {tkString, Text};
  }

  std::string_view FS;
  size_t FP = 0;
};

}  // namespace

std::vector<TProjectUses> ReadProjectUses(std::string_view Text) {
  std::vector<TProjectUses> Result;
  TLexer Lex(Text);
  TTok T;
  do T = Lex.Next();
  while (T.Kind != tkEnd && !(T.Kind == tkWord && SameText(T.Text, "uses")));
  if (T.Kind == tkEnd) return Result;

  auto NextCode = [&] {  // the next token that is not a comment
    do T = Lex.Next();
    while (T.Kind == tkComment);
  };
  for (;;) {
    NextCode();
    if (T.Kind != tkWord) break;
    TProjectUses Entry;
    Entry.UnitName = T.Text;
    T = Lex.Next();
    while (T.Kind == tkComment) T = Lex.Next();
    if (T.Kind == tkWord && SameText(T.Text, "in")) {
      NextCode();
      if (T.Kind != tkString) break;
      Entry.InFile = T.Text;
      T = Lex.Next();
      while (T.Kind == tkComment) {
        if (Entry.FormName.empty() && !T.Text.empty() && T.Text[0] != '$') {
          const std::string Form = Trim(T.Text.substr(0, T.Text.find(':')));
          Entry.FormName = Form;
        }
        T = Lex.Next();
      }
    }
    Result.push_back(Entry);
    if (T.Kind == tkSymbol && T.Text == ",") continue;
    break;  // ';' ends the clause, anything else stops reading
  }
  return Result;
}
