// velmoric parse [--interface] [--local-vars] [--json] [--stats] FILE: parses a unit and
// prints its symbol tree and parse errors.
//
// Text output: one symbol a line, indented by two blanks per depth:
//   "<Typ> <name> Line=<n> DeclLine=<n> defbegin=<n> defend=<n>"
// followed by the error lines as the parser recorded them.
// --json: one object {file, name, uses, errors, symbols}; a symbol has a key
// for every field of the symbol record and its children under "symbols".
// --stats: how far the parse got, after the rest (a last text line
// "# lines <n> reached <n> errors <n> symbols <n>", or the JSON key "stats"):
// the file's lines, the lines up to where the parse stopped, the parse errors
// and the symbols below the unit root.
#include <algorithm>
#include <nlohmann/json.hpp>
#include <ostream>

#include "hosts/cli/CliCommands.h"
#include "platform/rtl/SysUtils.h"
#include "scanner/VelmoricPascalScanner.h"

namespace {

using Json = nlohmann::ordered_json;

const char* SymTypName(TSymTyp T) {
  static const char* const Names[] = {"typEOF",   "typUnit",      "typProcedure", "typClass",
                                      "typType",  "typRecord",    "typVar",       "typProperty",
                                      "typConst", "typInterface", "typParameter"};
  return T <= typParameter ? Names[T] : "";
}

const char* ProcTypName(TProcTokenType T) {
  static const char* const Names[] = {"tProcedure", "tFunction", "tConstructor", "tDestructor"};
  return T <= tDestructor ? Names[T] : "";
}

const char* BereichName(TBereichTokenType T) {
  static const char* const Names[] = {"tPrivate", "tPublic", "tProtected",
                                      "tPublished", "tGlobal", "tLocal"};
  return T <= tLocal ? Names[T] : "";
}

Json OptionNames(TProcOptionsSet Options) {
  static const char* const Names[] = {"tOverride", "tAbstract", "tVirtual",
                                      "tExternal", "tMessage",  "tDynamic",
                                      "tStdCall",  "tAssembler", "tFar"};
  Json A = Json::array();
  for (int I = tOverride; I <= tFar; ++I)
    if (Options.Contains(static_cast<TProcOptionsType>(I))) A.push_back(Names[I]);
  return A;
}

bool IsUtf8(const std::string& S) {
  size_t I = 0;
  while (I < S.size()) {
    const auto C = static_cast<unsigned char>(S[I]);
    const size_t Follow = C < 0x80 ? 0 : (C >> 5) == 0x6 ? 1 : (C >> 4) == 0xE ? 2 : (C >> 3) == 0x1E ? 3 : 4;
    if (Follow == 4 || (Follow > 0 && I + Follow >= S.size())) return false;
    for (size_t K = 1; K <= Follow; ++K)
      if ((static_cast<unsigned char>(S[I + K]) >> 6) != 0x2) return false;
    I += Follow + 1;
  }
  return true;
}

// Texts are 8-bit: a text that is not UTF-8 already is taken as Latin-1.
std::string Text(const std::string& S) {
  if (IsUtf8(S)) return S;
  std::string R;
  for (const char Ch : S) {
    const auto C = static_cast<unsigned char>(Ch);
    if (C < 0x80) {
      R += Ch;
    } else {
      R += static_cast<char>(0xC0 | (C >> 6));
      R += static_cast<char>(0x80 | (C & 0x3F));
    }
  }
  return R;
}

std::vector<TOrvikSymbol*> Children(const TOrvikSymbol& Sym) {
  std::vector<TOrvikSymbol*> Result;
  if (Sym.symbols)
    for (int I = 0; I < Sym.symbols->Count(); ++I)
      Result.push_back(static_cast<TOrvikSymbol*>(Sym.symbols->GetObject(I)));
  return Result;
}

Json SymbolJson(const TOrvikSymbol& Sym) {
  Json J;
  J["Typ"] = SymTypName(Sym.Typ);
  J["ProcTyp"] = ProcTypName(Sym.ProcTyp);
  J["Source"] = Sym.Source ? Text(Sym.Source->FileName) : std::string();
  J["Parent"] = Sym.Parent ? Json(Text(Sym.Parent->name)) : Json(nullptr);
  J["RefCount"] = static_cast<int>(Sym.RefCount);
  J["TypeName"] = Text(Sym.TypeName);
  J["name"] = Text(Sym.name);
  J["Line"] = Sym.Line;
  J["StoreIndex"] = Sym.StoreIndex;
  J["Bereich"] = BereichName(Sym.Bereich);
  J["Comment"] = Text(Sym.Comment);
  J["Ancestor"] = Text(Sym.Ancestor());
  J["Params"] = Text(Sym.Params);
  J["MessageId"] = Text(Sym.MessageId());
  J["ResultType"] = Text(Sym.ResultType);
  J["ReadAccess"] = Text(Sym.ReadAccess());
  J["WriteAccess"] = Text(Sym.WriteAccess());
  J["IndexName"] = Text(Sym.IndexName());
  J["IndexType"] = Text(Sym.IndexType());
  J["ConstType"] = Text(Sym.ConstType());
  J["Reserved"] = Text(Sym.Reserved());
  J["DefaultValue"] = Text(Sym.DefaultValue());
  J["DeclLine"] = Sym.DeclLine;
  J["defbegin"] = Sym.defbegin;
  J["defend"] = Sym.defend;
  J["DeclEndLine"] = Sym.DeclEndLine;
  J["Options"] = OptionNames(Sym.Options);
  Json Code = Json::array();
  if (Sym.code())
    for (int I = 0; I < Sym.code()->Count(); ++I) Code.push_back(Text(Sym.code()->Get(I)));
  J["code"] = Code;
  Json Subs = Json::array();
  for (const TOrvikSymbol* Child : Children(Sym)) Subs.push_back(SymbolJson(*Child));
  J["symbols"] = Subs;
  return J;
}

Json ListJson(const TStrings* List) {
  Json A = Json::array();
  if (List)
    for (int I = 0; I < List->Count(); ++I) A.push_back(Text(List->Get(I)));
  return A;
}

long long CountSymbols(const TOrvikSymbol& Sym) {
  long long N = 0;
  for (const TOrvikSymbol* Child : Children(Sym)) N += 1 + CountSymbols(*Child);
  return N;
}

void PrintTree(const TOrvikSymbol& Sym, int Depth, std::ostream& Out) {
  for (const TOrvikSymbol* Child : Children(Sym)) {
    Out << std::string(2 * Depth, ' ')
        << Format("%s %s Line=%d DeclLine=%d defbegin=%d defend=%d", SymTypName(Child->Typ),
                  Child->name, Child->Line, Child->DeclLine, Child->defbegin, Child->defend)
        << '\n';
    PrintTree(*Child, Depth + 1, Out);
  }
}

int RunParse(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  TCompilerOptionsSet Options{oCompileImplementation};
  bool AsJson = false;
  bool Stats = false;
  std::string FileName;
  for (const std::string& A : Args) {
    if (A == "--interface") Options.Exclude(oCompileImplementation);
    else if (A == "--local-vars") Options.Include(oCompileLocalVar);
    else if (A == "--json") AsJson = true;
    else if (A == "--stats") Stats = true;
    else if (A.size() > 1 && A[0] == '-') throw CliUsageError{"unknown option " + A};
    else if (!FileName.empty()) throw CliUsageError{"expects one file name"};
    else FileName = A;
  }
  if (FileName.empty()) throw CliUsageError{"expects a file name"};

  auto* Lines = new TSaveStringList("strings", "TPascalSource");
  try {
    Lines->LoadFromFile(FileName);
  } catch (const Exception& E) {
    delete Lines;
    Err << "velmoric parse: " << E.Message() << "\n";
    return 1;
  }
  TPascalSource Source(new TToken(Lines));
  Source.FileName = FileName;
  std::string Failure;
  try {
    Source.CreateSymbols(Options);
  } catch (const Exception& E) {
    // The parse gave up (the end of the text was read past too often); what
    // it found so far is still printed.
    Failure = E.Message();
  }

  // The parse stopped on the scanner's current line (or past the last).
  const int LineCount = Source.Token->Lines->Count();
  const int Reached = std::min(Source.Token->Line + 1, LineCount);
  if (AsJson) {
    Json J;
    J["file"] = Text(Source.FileName);
    J["name"] = Text(Source.symbols.name);
    J["uses"] = ListJson(Source.usesList);
    J["errors"] = ListJson(Source.errors);
    Json Subs = Json::array();
    for (const TOrvikSymbol* Child : Children(Source.symbols)) Subs.push_back(SymbolJson(*Child));
    J["symbols"] = Subs;
    if (Stats)
      J["stats"] = {{"lines", LineCount}, {"reached", Reached}, {"errors", Source.errors->Count()},
                    {"symbols", CountSymbols(Source.symbols)}};
    Out << J.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
  } else {
    PrintTree(Source.symbols, 0, Out);
    for (int I = 0; I < Source.errors->Count(); ++I) Out << Source.errors->Get(I) << '\n';
    if (Stats)
      Out << Format("# lines %d reached %d errors %d symbols %d", LineCount, Reached,
                    Source.errors->Count(), static_cast<int>(CountSymbols(Source.symbols)))
          << '\n';
  }
  Out.flush();
  if (!Failure.empty()) {
    Err << "velmoric parse: " << Failure << "\n";
    return 1;
  }
  return 0;
}

CliRegistration Register{{"parse", "[--interface] [--local-vars] [--json] [--stats] FILE",
                          "Parses a Pascal unit and prints its symbols and parse errors",
                          RunParse}};

}  // namespace
