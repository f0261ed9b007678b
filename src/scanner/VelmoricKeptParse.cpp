#include "scanner/VelmoricKeptParse.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <tuple>
#include <unordered_map>

#include "platform/rtl/SysUtils.h"
#include "trace/traceletVelmoric.h"

std::vector<int32_t> LineStartsOf(std::string_view Text) {
  std::vector<int32_t> Starts;
  const char* const Begin = Text.data();
  const char* const End = Begin + Text.size();
  for (const char* P = Begin; P < End;) {
    Starts.push_back(static_cast<int32_t>(P - Begin));
    const auto* Lf = static_cast<const char*>(std::memchr(P, '\n', static_cast<size_t>(End - P)));
    const char* Eol = Lf ? Lf : End;
    if (const void* Cr = std::memchr(P, '\r', static_cast<size_t>(Eol - P))) Eol = static_cast<const char*>(Cr);
    P = Eol;
    if (P < End && *P == '\r') ++P;
    if (P < End && *P == '\n') ++P;
  }
  return Starts;
}

namespace {

// Copies a tree record by record: a record that several lists hold is copied
// once and held by the same lists. A record's Source Was becomes Becomes.
class TTreeCopy {
 public:
  TTreeCopy(const TPascalSource* Was, TPascalSource* Becomes) : FWas(Was), FBecomes(Becomes) {}

  // From's fields and tree into To, which has no records yet.
  void Root(const TOrvikSymbol& From, TOrvikSymbol& To) {
    FRootFrom = &From;  // the root keeps its own Source
    Fields(From, To);
    FCopies.emplace(&From, &To);
    Children(From, To);
    for (const auto& [Old, New] : FCopies) New->Parent = Old->Parent ? Copied(Old->Parent) : nullptr;
  }

  // The copy of a record of the tree copied, or nil.
  TOrvikSymbol* Copied(const TOrvikSymbol* Sym) const {
    const auto It = FCopies.find(Sym);
    return It == FCopies.end() ? nullptr : It->second;
  }

 private:
  void Fields(const TOrvikSymbol& From, TOrvikSymbol& To) const {
    To.Typ = From.Typ;
    To.ProcTyp = From.ProcTyp;
    To.Bereich = From.Bereich;
    To.Options = From.Options;
    To.Line = From.Line;
    To.StoreIndex = From.StoreIndex;
    To.DeclLine = From.DeclLine;
    To.defbegin = From.defbegin;
    To.defend = From.defend;
    To.DeclEndLine = From.DeclEndLine;
    if (&From != FRootFrom) To.Source = From.Source == FWas ? FBecomes : From.Source;
    To.name = From.name;
    To.TypeName = From.TypeName;
    To.Comment = From.Comment;
    To.Params = From.Params;
    To.ResultType = From.ResultType;
    if (&From.Rare() != &NoSymbolExtra) {
      TOrvikSymbolExtra& Extra = To.Extra();
      Extra = From.Rare();
      Extra.code = nullptr;  // a wizard's, never a parse's
    }
  }

  void Children(const TOrvikSymbol& From, TOrvikSymbol& To) {
    const TOrvikSymbols* List = From.symbols;
    if (!List) return;
    if (!To.symbols) To.symbols = new TOrvikSymbols(List->Name, List->CreatorName);
    To.symbols->AssignInOrder(*List);
    for (int I = 0; I < List->Count(); ++I) {
      const auto* Child = static_cast<const TOrvikSymbol*>(List->GetObject(I));
      if (!Child) continue;
      TOrvikSymbol*& Copy = FCopies[Child];
      if (!Copy) {
        Copy = new TOrvikSymbol;
        Fields(*Child, *Copy);
        Children(*Child, *Copy);
      }
      To.symbols->PutObject(I, Copy);
      ++Copy->RefCount;
    }
  }

  const TPascalSource* FWas;
  TPascalSource* FBecomes;
  const TOrvikSymbol* FRootFrom = nullptr;
  std::unordered_map<const TOrvikSymbol*, TOrvikSymbol*> FCopies;
};

// How many characters A and B share from their start.
size_t CommonPrefix(std::string_view A, std::string_view B) {
  const size_t N = std::min(A.size(), B.size());
  constexpr size_t Block = 4096;
  size_t P = 0;
  while (P + Block <= N && std::memcmp(A.data() + P, B.data() + P, Block) == 0) P += Block;
  while (P < N && A[P] == B[P]) ++P;
  return P;
}

// How many characters A and B share from their end, at most Limit.
size_t CommonSuffix(std::string_view A, std::string_view B, size_t Limit) {
  constexpr size_t Block = 4096;
  size_t S = 0;
  while (S + Block <= Limit &&
         std::memcmp(A.data() + A.size() - S - Block, B.data() + B.size() - S - Block, Block) == 0)
    S += Block;
  while (S < Limit && A[A.size() - 1 - S] == B[B.size() - 1 - S]) ++S;
  return S;
}

// The characters of line L of Text, without its line break.
std::string_view LineOf(std::string_view Text, const std::vector<int32_t>& Starts, int L) {
  const size_t Start = static_cast<size_t>(Starts[L]);
  const size_t Next = static_cast<size_t>(L) + 1 < Starts.size() ? static_cast<size_t>(Starts[L + 1]) : Text.size();
  std::string_view Line = Text.substr(Start, Next - Start);
  // Up to the next line's start: less its line break (CR LF, LF or CR).
  if (!Line.empty() && Line.back() == '\n') Line.remove_suffix(1);
  if (!Line.empty() && Line.back() == '\r') Line.remove_suffix(1);
  return Line;
}

bool HasCommentDelimiter(std::string_view Line) {
  return Line.find_first_of("{}") != std::string_view::npos || Line.find("(*") != std::string_view::npos ||
         Line.find("*)") != std::string_view::npos || Line.find("//") != std::string_view::npos;
}

using TTokenList = std::vector<std::tuple<std::string, std::string, bool, int>>;

// The tokens of Line read as the scanner reads a line between others, and
// the ";" of a line after it. False when Line ends inside a comment or a
// string (the ";" is then not read alone).
bool LineTokens(std::string_view Line, TTokenList& Tokens) {
  TStringList Lines;
  Lines.Add(std::string(Line));
  Lines.Add(";");
  TToken Token(&Lines);
  while (Token.Next()) Tokens.emplace_back(Token.TokenText, Token.LowerText, Token.IsString, Token.TokenLine);
  return !Tokens.empty() && Tokens.back() == TTokenList::value_type(";", ";", false, 1);
}

// Whether the search for a comment block above a heading could take in line
// L: a "}" or "*)" on a line below within the search's reach, with no
// opening delimiter of its kind on the lines between.
bool MayBeReadAsComment(std::string_view Text, const std::vector<int32_t>& Starts, int L) {
  bool BraceOpened = false;
  bool ParenOpened = false;
  const int Last = std::min(static_cast<int>(Starts.size()) - 1, L + MaxCommentBlockLines + 1);
  for (int C = L + 1; C <= Last && !(BraceOpened && ParenOpened); ++C) {
    const std::string_view T = LineOf(Text, Starts, C);
    if (const size_t Close = T.rfind('}');
        !BraceOpened && Close != std::string_view::npos && T.substr(0, Close).find('{') == std::string_view::npos)
      return true;
    if (const size_t Close = T.rfind("*)");
        !ParenOpened && Close != std::string_view::npos && T.substr(0, Close).find("(*") == std::string_view::npos)
      return true;
    BraceOpened = BraceOpened || T.find('{') != std::string_view::npos;
    ParenOpened = ParenOpened || T.find("(*") != std::string_view::npos;
  }
  return false;
}

// Whether New parses to Kept's model: it is Kept's text, or differs from it so:
// the change lies within one line (L), which the parse left outside any
// comment or string, before the line it stopped on and before the end of the
// text; the line keeps its tokens, holds no comment, stays empty or not,
// ends in a word or not (where the scanner stands after its last token), and
// no comment block the parser reads above a heading can take it in. The
// parser reads nothing else of a line's text: the model is the one its tokens,
// their lines and the lines the scanner stands on give.
// On true, L is the line and [From, From + Count) the characters of Old that
// New replaced; L is -1 when New is Old.
bool EditKeepsParse(const TKeptParse& Kept, std::string_view New, int& L, size_t& From, size_t& Count) {
  const std::string_view Old = Kept.Text;
  const size_t P = CommonPrefix(Old, New);
  if (P == Old.size() && P == New.size()) {
    L = -1;
    return true;
  }
  const size_t S = CommonSuffix(Old, New, std::min(Old.size(), New.size()) - P);
  const std::string_view OldPart = Old.substr(P, Old.size() - S - P);
  const std::string_view NewPart = New.substr(P, New.size() - S - P);
  if (OldPart.find_first_of("\r\n") != std::string_view::npos ||
      NewPart.find_first_of("\r\n") != std::string_view::npos)
    return false;
  // A change between CR and LF would part or join a line break.
  if (P > 0 && Old[P - 1] == '\r' && S > 0 && Old[Old.size() - S] == '\n') return false;

  const std::vector<int32_t>& Starts = Kept.LineStarts;
  L = static_cast<int>(std::upper_bound(Starts.begin(), Starts.end(), static_cast<int32_t>(P)) - Starts.begin()) - 1;
  if (L < 0 || L + 1 >= static_cast<int>(Starts.size())) return false;
  if (L >= Kept.Scanner->Line || Kept.Scan.IsInside(L)) return false;

  const std::string_view OldLine = LineOf(Old, Starts, L);
  const size_t Start = static_cast<size_t>(Starts[L]);
  const std::string_view NewLine = New.substr(Start, std::min(New.find_first_of("\r\n", Start), New.size()) - Start);
  if (HasCommentDelimiter(OldLine) || HasCommentDelimiter(NewLine)) return false;
  // The parser reads the text of the line the scanner stands on: a word that
  // ends a line reads the line break ahead, and a line break skips the empty
  // lines after it, so both must stay as they were.
  auto EndsInWord = [](std::string_view S) { return !S.empty() && isalnum(S.back()); };
  if (OldLine.empty() != NewLine.empty() || EndsInWord(OldLine) != EndsInWord(NewLine)) return false;

  // A word that ends the line ends at its line break only when a line with
  // text follows (the lines after L are the same in both texts).
  const size_t After = Old.find_first_not_of("\r\n", Start + OldLine.size());
  if (After == std::string_view::npos) return false;

  TTokenList OldTokens;
  TTokenList NewTokens;
  if (!LineTokens(OldLine, OldTokens) || !LineTokens(NewLine, NewTokens) || OldTokens != NewTokens) return false;
  if (MayBeReadAsComment(Old, Starts, L)) return false;
  From = P;
  Count = OldPart.size();
  return true;
}

}  // namespace

void TPascalSource::CreateSymbolsKept(TCompilerOptionsSet AOptions, std::string_view Text) {
  TTraceProc Trace("TPascalSource.CreateSymbolsKept");
  KeptParse.reset();
  ParseTaken = false;
  TScanRecord Scan;
  if (Token) Token->Record = &Scan;
  try {
    CreateSymbols(AOptions);
  } catch (...) {
    if (Token) Token->Record = nullptr;
    throw;
  }
  if (!Token) return;
  Token->Record = nullptr;
  if (Text.size() > INT32_MAX) return;

  auto K = std::make_shared<TKeptParse>();
  K->LineStarts = LineStartsOf(Text);
  if (static_cast<int>(K->LineStarts.size()) != Token->Lines->Count()) return;  // not the lines' text
  K->Text = Text;
  K->FileName = FileName;
  K->Scan = std::move(Scan);
  K->Options = AOptions;
  K->Owner = this;
  TTreeCopy Copy(nullptr, nullptr);
  Copy.Root(symbols, K->Root);
  K->Uses = std::make_unique<TSaveStringList>("usesList", "TPascalSource");
  K->Uses->AssignInOrder(*usesList);
  K->Errors = std::make_unique<TSaveStringList>("errors", "TPascalSource");
  K->Errors->AssignInOrder(*errors);
  K->Scanner = std::make_unique<TToken>(*Token);
  K->Scanner->Lines = nullptr;
  K->ParseContext = ParseContext;
  K->ParseStartLine = ParseStartLine;
  K->InImplementation = InImplementation;
  K->Modified = Modified;
  K->State = State;
  K->ParseTime = ParseTime;
  K->NestedIn = FNestedIn ? Copy.Copied(FNestedIn) : nullptr;
  K->NestedScope = FNestedScope;
  K->AllDirectives = FAllDirectives;
  K->Eof = FEof;
  K->ConditionalFrom = FConditionalFrom;
  K->Nesting = FNesting;
  KeptParse = std::move(K);
}

bool TPascalSource::TakeKeptParse(std::shared_ptr<TKeptParse> Kept, std::string_view Text,
                                  TCompilerOptionsSet AOptions) {
  TTraceProc Trace("TPascalSource.TakeKeptParse");
  if (!Kept || !Token || Kept->Options != AOptions || Kept->FileName != FileName || Text.size() > INT32_MAX)
    return false;
  if ((symbols.symbols && symbols.symbols->Count() > 0) || usesList->Count() > 0 || errors->Count() > 0)
    return false;  // parsed already
  const uint32_t Start = GetTickCount();
  int Edited = -1;
  size_t From = 0;
  size_t Count = 0;
  if (!EditKeepsParse(*Kept, Text, Edited, From, Count)) return false;
  if (static_cast<int>(Kept->LineStarts.size()) != Token->Lines->Count()) return false;

  TTreeCopy Copy(Kept->Owner, this);
  Copy.Root(Kept->Root, symbols);
  usesList->AssignInOrder(*Kept->Uses);
  errors->AssignInOrder(*Kept->Errors);
  TStrings* Lines = Token->Lines;
  *Token = *Kept->Scanner;
  Token->Lines = Lines;
  ParseContext = Kept->ParseContext;
  ParseStartLine = Kept->ParseStartLine;
  InImplementation = Kept->InImplementation;
  Modified = Kept->Modified;
  State = Kept->State;
  Options = Kept->Options;
  FNestedIn = Kept->NestedIn ? Copy.Copied(Kept->NestedIn) : nullptr;
  FNestedScope = Kept->NestedScope;
  FAllDirectives = Kept->AllDirectives;
  FEof = Kept->Eof;
  FConditionalFrom = Kept->ConditionalFrom;
  FNesting = Kept->Nesting;

  // The kept parse now stands for this text: the lines after the edited one
  // start where the edit moved them.
  if (Edited >= 0) {
    const auto Moved = static_cast<int32_t>(Text.size()) - static_cast<int32_t>(Kept->Text.size());
    for (size_t I = static_cast<size_t>(Edited) + 1; I < Kept->LineStarts.size(); ++I) Kept->LineStarts[I] += Moved;
    Kept->Text.replace(From, Count, Text.substr(From, Count + static_cast<size_t>(static_cast<int64_t>(Moved))));
  }
  KeptParse = std::move(Kept);
  ParseTaken = true;
  ParseTime = static_cast<int>(GetTickCount() - Start);
  return true;
}
