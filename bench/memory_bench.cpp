// Peak resident size of the model of a whole tree of Pascal sources, against
// the size of those sources.
//
//   memory_bench [--warm] [--json FILE] [ROOT]        (ROOT: /usr/share/fpcsrc)
//
// The .pas and .pp files below ROOT are copied to a scratch folder (compiling
// writes each unit's store beside it) and compiled, in path order, into one
// project with [oCompileImplementation], as the memory project holds them:
// every unit parsed and kept. A project holds one unit per name, so of files
// that share a name (the same unit for several targets) the first is taken.
// The figure is the process's peak resident size (VmHWM) once every unit is
// in, against the bytes of the sources of the units the project holds; run it
// in a process of its own so that the peak is the model's.
//
// It also says where the memory went: the heap blocks of the model, by kind
// (the allocator's usable size of each block), and what the resident size
// holds beyond them.
//
// --warm measures the model loaded from the stores instead: the copy is
// compiled once into a project that is freed again (writing every store),
// then into the measured one, which loads every unit. The peak then is the
// first compile's; the heap blocks are the loaded model's.
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "project/VelmoricPascalProject.h"
#include "project/VelmoricProjectSettings.h"

using namespace bench;

namespace {

size_t Usable(const void* P) { return P ? malloc_usable_size(const_cast<void*>(P)) : 0; }

struct TKind {
  long long Count = 0, Bytes = 0;
  void Add(long long N, long long B) { Count += N, Bytes += B; }
};

const std::pair<const char*, TSymText TOrvikSymbol::*> Texts[] = {
    {"name", &TOrvikSymbol::name},         {"TypeName", &TOrvikSymbol::TypeName},
    {"Comment", &TOrvikSymbol::Comment},   {"Params", &TOrvikSymbol::Params},
    {"ResultType", &TOrvikSymbol::ResultType}};
const std::pair<const char*, TSymText TOrvikSymbolExtra::*> RareTexts[] = {
    {"Ancestor", &TOrvikSymbolExtra::Ancestor},       {"MessageId", &TOrvikSymbolExtra::MessageId},
    {"ReadAccess", &TOrvikSymbolExtra::ReadAccess},   {"WriteAccess", &TOrvikSymbolExtra::WriteAccess},
    {"IndexName", &TOrvikSymbolExtra::IndexName},     {"IndexType", &TOrvikSymbolExtra::IndexType},
    {"ConstType", &TOrvikSymbolExtra::ConstType},     {"Reserved", &TOrvikSymbolExtra::Reserved},
    {"DefaultValue", &TOrvikSymbolExtra::DefaultValue}};

// Heap blocks of the model by kind: the allocator's usable size of each
// block, the items of string lists counted from their block sizes.
struct TBreakdown {
  std::map<std::string, TKind> Kinds;

  // A string list's own object, its order vector, its items (in blocks that
  // double from 1 up to 64 items) and the items' texts.
  // (A loaded tree's long keys are in its source's arena: KeysInArena.)
  void AddList(const std::string& Kind, const TStringList& L, bool KeysInArena = false) {
    Kinds[Kind + ": object"].Add(1, static_cast<long long>(Usable(&L)));
    Kinds[Kind + ": order vector"].Add(L.Capacity() > 0, static_cast<long long>(L.Capacity()) * 8);
    long long Items = 0, Block = 0;
    for (long long Left = L.Count(); Left > 0; Left -= Block) {
      Block = std::min<long long>(std::max<long long>(Block * 2, 1), 64);
      Items += Block;
    }
    Kinds[Kind + ": items"].Add(L.Count(), Items * ItemSize);
    // Texts of up to 8 characters live in the item; a longer one has a block
    // of its own (the allocator's size classes: 8-byte steps up to 64 bytes,
    // 16-byte steps to 128).
    std::string S;
    for (int I = 0; I < L.Count() && !KeysInArena; ++I) {
      L.GetTo(I, S);
      const long long N = static_cast<long long>(S.size());
      if (N > 8) Kinds[Kind + ": texts"].Add(1, N <= 64 ? (N + 7) / 8 * 8 : N <= 128 ? (N + 15) / 16 * 16 : N);
    }
  }
  void AddSymbol(const TOrvikSymbol& Sym, bool Root, bool Loaded) {
    if (!Root) Kinds["symbol records"].Add(1, static_cast<long long>(Usable(&Sym)));
    // A text's block holds its length (4 bytes) before the text.
    const auto AddText = [&](const char* Name, const TSymText& T) {
      if (T.HeapBlock()) Kinds[std::string("symbol texts: ") + Name].Add(1, static_cast<long long>(Usable(T.HeapBlock())));
    };
    for (const auto& [Name, Field] : Texts) AddText(Name, Sym.*Field);
    if (&Sym.Rare() != &NoSymbolExtra) {
      Kinds["symbol records: rare texts"].Add(1, static_cast<long long>(Usable(&Sym.Rare())));
      for (const auto& [Name, Field] : RareTexts) AddText(Name, Sym.Rare().*Field);
    }
    if (!Sym.symbols) return;
    AddList("children lists", *Sym.symbols, Loaded);
    for (int I = 0; I < Sym.symbols->Count(); ++I)
      AddSymbol(*static_cast<const TOrvikSymbol*>(Sym.symbols->GetObject(I)), false, Loaded);
  }
  void AddSource(const TPascalSource& S) {
    Kinds["sources"].Add(1, static_cast<long long>(Usable(&S)));
    if (S.usesList) AddList("uses lists", *S.usesList);
    if (S.errors) AddList("error lists", *S.errors);
    if (const TSymTextArena* A = S.LoadedTexts.get()) {
      Kinds["loaded texts and keys"].Add(1, static_cast<long long>(A->Used()));
      Kinds["loaded texts and keys: room left"].Add(0, static_cast<long long>(A->Bytes() - A->Used()));
    }
    AddSymbol(S.symbols, true, S.LoadedTexts != nullptr);
  }
  long long Total() const {
    long long N = 0;
    for (const auto& [Name, K] : Kinds) N += K.Bytes;
    return N;
  }
  Json ToJson() const {
    Json J = Json::object();
    for (const auto& [Name, K] : Kinds) J[Name] = {{"count", K.Count}, {"bytes", K.Bytes}};
    return J;
  }
  void Print() const {
    for (const auto& [Name, K] : Kinds)
      std::printf("  %-32s %10lld blocks %9.1f MB\n", Name.c_str(), K.Count, static_cast<double>(K.Bytes) / 1e6);
    std::printf("  %-32s %10s        %9.1f MB\n", "model heap, total", "", static_cast<double>(Total()) / 1e6);
  }
  // A string list item: its text (8 bytes), its length and kind, an object.
  static constexpr long long ItemSize = 24;
};

}  // namespace

int main(int argc, char** argv) {
  std::string Root = "/usr/share/fpcsrc", JsonFile;
  bool Warm = false;
  for (int I = 1; I < argc; ++I) {
    const std::string A = argv[I];
    if (A == "--json" && I + 1 < argc) JsonFile = argv[++I];
    else if (A == "--warm") Warm = true;
    else if (!A.empty() && A[0] == '-') {
      std::cerr << "usage: memory_bench [--warm] [--json FILE] [ROOT]\n";
      return 2;
    } else Root = A;
  }
  const std::vector<TFile> Files = PascalFiles(Root);
  if (Files.empty()) {
    std::cerr << "memory_bench: no .pas or .pp files below " << Root << "\n";
    return 1;
  }
  const TScratchTree Tree("velmoric-memory-bench", Root, Files);

  const long long BaseRss = ProcStatusKiB("VmRSS");
  const long long BaseHwm = ProcStatusKiB("VmHWM");
  int Failed = 0;
  long long UnitBytes = 0, Symbols = 0;
  int Units = 0;
  double Seconds = 0;
  long long PeakKiB = 0, RssKiB = 0, MaxRss = 0;
  TBreakdown Breakdown;
  const auto CompileAll = [&](TPascalProject& Project) {
    Failed = 0;
    for (const std::string& Copy : Tree.Files) {
      try {
        Project.Compile(Copy, {oCompileImplementation});
      } catch (const Exception&) {
        ++Failed;  // the parser gave up; the unit stays in the project
      }
    }
  };
  if (Warm) {
    TPascalProject Writer;
    CompileAll(Writer);
  }
  int Loaded = 0;
  {
    TPascalProject Project;
    const auto Start = Clock::now();
    CompileAll(Project);
    Seconds = SecondsSince(Start);
    PeakKiB = ProcStatusKiB("VmHWM");
    RssKiB = ProcStatusKiB("VmRSS");
    MaxRss = MaxRssKiB();
    std::error_code Ec;
    Breakdown.AddList("project unit list", *Project.FUnitLIst);
    for (int I = 0; I < Project.FUnitLIst->Count(); ++I) {
      const auto* S = static_cast<const TPascalSource*>(Project.FUnitLIst->GetObjects(I));
      if (!S) continue;
      Breakdown.AddSource(*S);
      if (!S->Found) continue;
      ++Units;
      Loaded += S->State != stUpdated;
      UnitBytes += static_cast<long long>(fs::file_size(S->FileName, Ec));
      Symbols += CountSymbols(S->symbols);
    }
  }

  const double Ratio = static_cast<double>(PeakKiB) * 1024.0 / static_cast<double>(UnitBytes);
  std::printf("%zu files below %s, %d units in one project (%.1f MB of sources, %d loaded from "
              "their stores), compiled in %.1f s, parser gave up on %d\n",
              Files.size(), Root.c_str(), Units, static_cast<double>(UnitBytes) / 1e6, Loaded,
              Seconds, Failed);
  std::printf("peak resident %.1f MB (before compiling %.1f MB), resident at the end %.1f MB: "
              "peak / sources %.2f\n",
              static_cast<double>(PeakKiB) * 1024 / 1e6, static_cast<double>(BaseRss) * 1024 / 1e6,
              static_cast<double>(RssKiB) * 1024 / 1e6, Ratio);
  std::printf("the model's heap blocks (usable sizes):\n");
  Breakdown.Print();
  Json J = {{"root", Root},
            {"files", Files.size()},
            {"units", Units},
            {"warm", Warm},
            {"loaded", Loaded},
            {"unit_bytes", UnitBytes},
            {"all_bytes", TotalBytes(Files)},
            {"symbols", Symbols},
            {"failed", Failed},
            {"seconds", Seconds},
            {"base_rss_kib", BaseRss},
            {"base_hwm_kib", BaseHwm},
            {"peak_kib", PeakKiB},
            {"ru_maxrss_kib", MaxRss},
            {"rss_end_kib", RssKiB},
            {"peak_per_source_byte", Ratio},
            {"heap_bytes", Breakdown.Total()},
            {"heap_by_kind", Breakdown.ToJson()}};
  WriteJson(JsonFile, J);
  return 0;
}
