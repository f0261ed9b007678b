// velmoric tokens FILE: the scanner's token stream of a file, one token a line:
// "<TokenLine>\t<kind>\t<TokenText>", kind w (word), s (symbol) or q (quoted string).
#include <ostream>

#include "hosts/cli/CliCommands.h"
#include "platform/rtl/Classes.h"
#include "scanner/VelmoricPascalScanner.h"

namespace {

char TokenKind(const TToken& Token) {
  if (Token.IsString) return 'q';
  if (!Token.TokenText.empty() && isalnum(Token.TokenText[0])) return 'w';
  return 's';
}

int RunTokens(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  if (Args.size() != 1) throw CliUsageError{"expects one file name"};
  TStringList Lines;
  try {
    Lines.LoadFromFile(Args[0]);
  } catch (const Exception& E) {
    Err << "velmoric tokens: " << E.Message() << "\n";
    return 1;
  }
  TToken Token(&Lines);
  while (Token.Next()) {
    Out << Token.TokenLine << '\t' << TokenKind(Token) << '\t' << Token.TokenText << '\n';
  }
  Out.flush();
  return 0;
}

CliRegistration Register{{"tokens", "FILE",
                          "Prints the tokens of a Pascal file: line, kind (w, s, q) and text",
                          RunTokens}};

}  // namespace
