// The comment block of generated procedures.
#include "wizards/VelmoricCommentBlock.h"

#include <pwd.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include "platform/rtl/SysUtils.h"
#include "scanner/VelmoricPascalScanner.h"
#include "trace/traceletVelmoric.h"

namespace {

// The parameter names of a parameter text, in declaration order.
std::vector<std::string> ParameterNames(const std::string& Params) {
  // The parser makes the parameter records ...
  TOrvikSymbol Scratch;
  Scratch.Params = Params;
  {
    auto* Lines = new TSaveStringList("str", "MakeComment");
    Lines->Add(Params + ")");
    TPascalSource Temp(new TToken(Lines));
    Temp.Options = {oCompileLocalVar};
    Temp.ParseProcParameters(&Scratch);
  }
  // ... in name order; the text gives their order.
  std::vector<std::string> Names;
  auto* Lines = new TSaveStringList("str", "MakeComment");
  Lines->Add(Params);
  TToken Token(Lines);
  bool NameDue = true;
  int Depth = 0;
  while (Token.Next()) {
    const std::string& T = Token.LowerText;
    if (T == "(" || T == "[") ++Depth;
    else if (T == ")" || T == "]") --Depth;
    else if (Depth == 0 && T == ":") NameDue = false;
    else if (Depth == 0 && T == ";") NameDue = true;
    else if (NameDue && T != "," && T != "const" && T != "var" && T != "out" && T != "constref" &&
             Scratch.symbols && Scratch.symbols->FindAnyFlatSymbol(Token.TokenText))
      Names.push_back(Scratch.symbols->FindAnyFlatSymbol(Token.TokenText)->name);
  }
  delete Lines;
  return Names;
}

std::vector<std::string> SplitCrLf(const std::string& Text) {
  std::vector<std::string> Parts;
  size_t Start = 0;
  for (;;) {
    const size_t End = Text.find("\r\n", Start);
    if (End == std::string::npos) {
      Parts.push_back(Text.substr(Start));
      return Parts;
    }
    Parts.push_back(Text.substr(Start, End - Start));
    Start = End + 2;
  }
}

}  // namespace

std::string CommentUserName() {
  if (const passwd* Pw = ::getpwuid(::getuid()); Pw && Pw->pw_name && *Pw->pw_name) return Pw->pw_name;
  if (const char* User = ::getenv("USER"); User && *User) return User;
  return "unknown";
}

std::string CommentDateTime() {
  const time_t Now = ::time(nullptr);
  struct tm Local;
  ::localtime_r(&Now, &Local);
  char Buf[64];
  const size_t N = ::strftime(Buf, sizeof Buf, "%x %X", &Local);
  return std::string(Buf, N);
}

std::string MakeCommentBlock(const std::vector<std::string>& OldLines, const std::string& Description,
                             const std::string& Heading, const std::string& Params) {
  TTraceProc Trace("TFormVelmoricNewProcedure.MakeComment");
  const std::vector<std::string> Names = ParameterNames(Params);
  std::vector<std::string> Descriptions(Names.size());
  int Width = -1;
  for (const std::string& N : Names) Width = std::max(Width, int(N.size()));

  std::string Created = Format("Created : %s %s", CommentUserName(), CommentDateTime());
  for (size_t I = 0; I < OldLines.size(); ++I) {
    const std::string Lower = LowerCase(OldLines[I]);
    if (Lower.find("created :") != std::string::npos) {
      Created = TrimLeft(Lower);  // the blank after "//" is not part of it
    } else if (Lower.find("parameters:") != std::string::npos) {
      for (++I; I < OldLines.size(); ++I) {
        const std::string& L = OldLines[I];
        if (LowerCase(L).find("description:") != std::string::npos) break;
        const size_t Colon = L.find(':');
        if (Colon == std::string::npos) continue;
        const std::string Name = LowerCase(Trim(L.substr(0, Colon)));
        for (size_t K = 0; K < Names.size(); ++K)
          if (LowerCase(Names[K]) == Name) Descriptions[K] = L.substr(Colon + 1);
      }
    }
  }

  const std::string Dashes(72, '-');
  std::vector<std::string> Block = {Dashes, Heading, Created, ""};
  if (!Names.empty()) {
    Block.push_back("Parameters:");
    for (size_t K = 0; K < Names.size(); ++K)
      Block.push_back(Format("%-*s:%s", Width + 1, Names[K], Descriptions[K]));
  }
  if (!Description.empty()) {
    Block.push_back("");
    Block.push_back("Description:");
  }
  for (const std::string& Part : SplitCrLf(Description)) Block.push_back(Part);
  while (!Block.empty() && Trim(Block.back()).empty()) Block.pop_back();
  Block.push_back(Dashes);
  while (!Block.empty() && Trim(Block.front()).empty()) Block.erase(Block.begin());

  std::string Text;
  for (size_t I = 0; I < Block.size(); ++I) Text += (I ? "\r\n" : "") + Block[I];
  return Text;
}
