#include "hosts/script/ScriptWords.h"

#include "platform/rtl/SysUtils.h"

std::vector<std::string> SplitScriptWords(const std::string& Line) {
  std::vector<std::string> Words;
  std::string Word;
  bool InWord = false;
  size_t I = 0;
  const size_t N = Line.size();
  while (I < N) {
    const char C = Line[I];
    if (C == ' ' || C == '\t' || C == '\r' || C == '\n') {
      if (InWord) Words.push_back(std::move(Word));
      Word.clear();
      InWord = false;
      ++I;
      continue;
    }
    InWord = true;
    if (C == '\'') {
      const size_t End = Line.find('\'', I + 1);
      if (End == std::string::npos) throw Exception("a single quote is not closed");
      Word.append(Line, I + 1, End - I - 1);
      I = End + 1;
    } else if (C == '"') {
      ++I;
      for (;;) {
        if (I >= N) throw Exception("a double quote is not closed");
        const char D = Line[I];
        if (D == '"') {
          ++I;
          break;
        }
        if (D == '\\' && I + 1 < N &&
            (Line[I + 1] == '$' || Line[I + 1] == '`' || Line[I + 1] == '"' || Line[I + 1] == '\\')) {
          Word += Line[I + 1];
          I += 2;
        } else {
          Word += D;
          ++I;
        }
      }
    } else if (C == '\\') {
      Word += I + 1 < N ? Line[I + 1] : '\\';
      I += 2;
    } else {
      Word += C;
      ++I;
    }
  }
  if (InWord) Words.push_back(std::move(Word));
  return Words;
}

std::string ScriptText(const std::string& Word) {
  std::string Text;
  for (size_t I = 0; I < Word.size(); ++I) {
    if (Word[I] == '\\' && I + 1 < Word.size()) {
      const char E = Word[I + 1];
      if (E == 'n' || E == 't' || E == '\\') {
        Text += E == 'n' ? '\n' : E == 't' ? '\t' : '\\';
        ++I;
        continue;
      }
    }
    Text += Word[I];
  }
  return Text;
}
