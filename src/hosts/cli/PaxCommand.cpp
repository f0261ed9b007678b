// velmoric pax [--json] FILE.pax: prints a symbol store file, its uses list
// and every record in file order with all its stored fields.
//
// Text output:
//   uses: <name> <name> ...
//   record <n>: <Typ> index=<i> parent=<p> children=<c> ProcTyp=<k> Bereich=<b>
//     Line=<l> DeclLine=<l> defbegin=<l> defend=<l> Options=[<o>,...]   (one line)
//     <Field>: <text>          one line per non-empty text; control
//                              characters appear as \r, \n, \t or \xNN
// --json gives {"file", "uses": [...], "records": [{...every field...}]};
// texts are the IDE's 8-bit characters read as Latin-1.
#include <nlohmann/json.hpp>

#include <ostream>

#include "hosts/cli/CliCommands.h"
#include "project/VelmoricSymbolStore.h"

namespace {

const char* const SymTypNames[] = {"typEOF",      "typUnit",  "typProcedure", "typClass",
                                   "typType",     "typRecord", "typVar",      "typProperty",
                                   "typConst",    "typInterface", "typParameter"};
const char* const ProcTypNames[] = {"tProcedure", "tFunction", "tConstructor", "tDestructor"};
const char* const BereichNames[] = {"tPrivate", "tPublic", "tProtected",
                                    "tPublished", "tGlobal", "tLocal"};
const char* const OptionNames[] = {"tOverride", "tAbstract",  "tVirtual",   "tExternal", "tMessage",
                                   "tDynamic",  "tStdCall",  "tAssembler", "tFar"};

struct TRecord {
  int Index = 0;
  int Parent = -1;
  int Children = 0;
  TSymTyp Typ = typEOF;
  TProcTokenType ProcTyp = tProcedure;
  TBereichTokenType Bereich = tPrivate;
  int Line = -1, DeclLine = -1, defbegin = 0, defend = 0;
  TProcOptionsSet Options;
  std::vector<std::pair<const char*, std::string>> Texts;
};

std::vector<std::pair<const char*, std::string>> TextsOf(const TOrvikSymbol& S) {
  return {{"name", S.name},           {"Ancestor", S.Ancestor()},
          {"Comment", S.Comment},     {"Params", S.Params},
          {"MessageId", S.MessageId()}, {"ResultType", S.ResultType},
          {"ReadAccess", S.ReadAccess()}, {"WriteAccess", S.WriteAccess()},
          {"IndexName", S.IndexName()}, {"IndexType", S.IndexType()},
          {"ConstType", S.ConstType()}, {"TypeName", S.TypeName},
          {"Reserved", S.Reserved()},   {"DefaultValue", S.DefaultValue()}};
}

std::vector<std::string> OptionList(TProcOptionsSet Options) {
  std::vector<std::string> Out;
  for (int I = 0; I <= tFar; ++I)
    if (Options.Contains(static_cast<TProcOptionsType>(I))) Out.push_back(OptionNames[I]);
  return Out;
}

std::string Escaped(const std::string& S) {
  std::string Out;
  for (const char C : S) {
    const auto U = static_cast<unsigned char>(C);
    if (C == '\r') Out += "\\r";
    else if (C == '\n') Out += "\\n";
    else if (C == '\t') Out += "\\t";
    else if (U < 0x20 || U == 0x7F) Out += Format("\\x%.2x", U);
    else Out += C;
  }
  return Out;
}

// The 8-bit text as UTF-8, each byte taken as the Latin-1 character of that code.
std::string Latin1ToUtf8(const std::string& S) {
  std::string Out;
  Out.reserve(S.size());
  for (const char C : S) {
    const auto U = static_cast<unsigned char>(C);
    if (U < 0x80) {
      Out += C;
    } else {
      Out += static_cast<char>(0xC0 | (U >> 6));
      Out += static_cast<char>(0x80 | (U & 0x3F));
    }
  }
  return Out;
}

void PrintText(const std::string& FileName, const std::vector<std::string>& Uses,
               const std::vector<TRecord>& Records, std::ostream& Out) {
  Out << "uses:";
  for (const std::string& U : Uses) Out << ' ' << Escaped(U);
  Out << '\n';
  for (size_t I = 0; I < Records.size(); ++I) {
    const TRecord& R = Records[I];
    std::string Options;
    for (const std::string& O : OptionList(R.Options)) Options += (Options.empty() ? "" : ",") + O;
    Out << "record " << I << ": " << SymTypNames[R.Typ] << " index=" << R.Index
        << " parent=" << R.Parent << " children=" << R.Children
        << " ProcTyp=" << ProcTypNames[R.ProcTyp] << " Bereich=" << BereichNames[R.Bereich]
        << " Line=" << R.Line << " DeclLine=" << R.DeclLine << " defbegin=" << R.defbegin
        << " defend=" << R.defend << " Options=[" << Options << "]\n";
    for (const auto& [Field, Text] : R.Texts)
      if (!Text.empty()) Out << "  " << Field << ": " << Escaped(Text) << '\n';
  }
}

void PrintJson(const std::string& FileName, const std::vector<std::string>& Uses,
               const std::vector<TRecord>& Records, std::ostream& Out) {
  nlohmann::ordered_json Doc;
  Doc["file"] = Latin1ToUtf8(FileName);
  Doc["uses"] = nlohmann::ordered_json::array();
  for (const std::string& U : Uses) Doc["uses"].push_back(Latin1ToUtf8(U));
  Doc["records"] = nlohmann::ordered_json::array();
  for (const TRecord& R : Records) {
    nlohmann::ordered_json J;
    J["index"] = R.Index;
    J["parent"] = R.Parent;
    J["children"] = R.Children;
    J["Typ"] = SymTypNames[R.Typ];
    J["ProcTyp"] = ProcTypNames[R.ProcTyp];
    J["Bereich"] = BereichNames[R.Bereich];
    J["Line"] = R.Line;
    J["DeclLine"] = R.DeclLine;
    J["defbegin"] = R.defbegin;
    J["defend"] = R.defend;
    J["Options"] = OptionList(R.Options);
    for (const auto& [Field, Text] : R.Texts) J[Field] = Latin1ToUtf8(Text);
    Doc["records"].push_back(std::move(J));
  }
  Out << Doc.dump(2) << '\n';
}

int RunPax(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  bool Json = false;
  std::string FileName;
  for (const std::string& A : Args) {
    if (A == "--json")
      Json = true;
    else if (!A.empty() && A[0] == '-' && A != "-")
      throw CliUsageError{"unknown option " + A};
    else if (FileName.empty())
      FileName = A;
    else
      throw CliUsageError{"expects one file name"};
  }
  if (FileName.empty()) throw CliUsageError{"expects one file name"};

  const std::string Image = ReadFileBytes(FileName);
  std::vector<TRecord> Records;
  TOrvikSymbolstore Store;
  Store.OnRecord = [&Records](const TOrvikSymbol& S, int Index, int Parent, int Children) {
    TRecord R;
    R.Index = Index;
    R.Parent = Parent;
    R.Children = Children;
    R.Typ = S.Typ;
    R.ProcTyp = S.ProcTyp;
    R.Bereich = S.Bereich;
    R.Line = S.Line;
    R.DeclLine = S.DeclLine;
    R.defbegin = S.defbegin;
    R.defend = S.defend;
    R.Options = S.Options;
    R.Texts = TextsOf(S);
    Records.push_back(std::move(R));
  };
  TStringList Uses;
  TOrvikSymbol Root;
  try {
    Store.LoadFromImage(Image, nullptr, Uses, Root);
  } catch (const ESymbolStoreError& E) {
    Err << "velmoric pax: " << FileName << ": " << E.Message() << "\n";
    return 1;
  }
  std::vector<std::string> UsesList;
  for (int I = 0; I < Uses.Count(); ++I) UsesList.push_back(Uses[I]);
  if (Json)
    PrintJson(FileName, UsesList, Records, Out);
  else
    PrintText(FileName, UsesList, Records, Out);
  Out.flush();
  return 0;
}

CliRegistration Register{{"pax", "[--json] FILE.pax",
                          "Prints a symbol store file: its uses list and every record",
                          RunPax}};

}  // namespace
