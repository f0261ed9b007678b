#include "browsers/VelmoricUnitGraph.h"

#include <filesystem>
#include <algorithm>
#include <functional>
#include <map>

#include "project/VelmoricPascalProject.h"
#include "trace/traceletVelmoric.h"

namespace {

void StreamWrite(const std::string& Stream, const std::string& Text) {
  if (tracelet) tracelet->StrWrite(Stream, Text);
}

std::string DotQuote(const std::string& S) {
  std::string R = "\"";
  for (char C : S) {
    if (C == '"' || C == '\\') R += '\\';
    if (C == '\n' || C == '\r') continue;
    R += C;
  }
  return R + "\"";
}

// What a node shows: the file's name without extension, else the name.
std::string NodeLabel(const TUnitDepend* U) {
  if (!U->Found || U->FileName.empty()) return U->UnitName;
  const std::string Name = ExtractFileName(U->FileName);
  const size_t Dot = Name.find('.');
  return Dot == std::string::npos ? Name : Name.substr(0, Dot);
}

}  // namespace

std::string UnitDirectoryGroup(const TUnitDepend* Unit) {
  if (!Unit || !Unit->Found) return "unknown files";
  const std::string Dir = ExtractFilePath(Unit->FileName);
  return Dir.empty() ? std::string("project directory") : LowerCase(Dir);
}

TUnitDependGraph::TUnitDependGraph() { List.SetSorted(false); }

TUnitDependGraph::~TUnitDependGraph() { Clear(); }

void TUnitDependGraph::Clear() {
  for (int I = 0; I < List.Count(); ++I) delete List.Objects(I);
  List.SetSorted(false);
  List.Clear();
  FComponent.clear();
  FComponentsValid = false;
}

void TUnitDependGraph::Build(TPascalProject* Project) {
  TTraceProc Trace("TFFormVelmoricUnits.BuildGraph");
  Clear();
  if (!Project || !Project->FUnitLIst) return;
  TSaveStringList* Sources = Project->FUnitLIst;
  std::string CurrentDir;
  std::error_code Ec;
  CurrentDir = std::filesystem::current_path(Ec).string();
  for (int I = 0; I < Sources->Count(); ++I) {
    auto* S = static_cast<TPascalSource*>(Sources->GetObjects(I));
    if (!S) continue;
    auto* U = new TUnitDepend;
    U->UnitName = TPascalProject::UnitKey(S->FileName);
    U->FileName = S->FileName;
    if (S->Found && !U->FileName.empty() && ExtractFilePath(U->FileName).empty() &&
        !CurrentDir.empty() && FileExists(U->FileName))
      U->FileName = CurrentDir + "/" + U->FileName;
    U->Found = S->Found;
    // A program's "Name in 'Name.pas'" comes as both names: one entry per unit.
    std::vector<std::string> Keys;
    for (int J = 0; S->usesList && J < S->usesList->Count(); ++J) {
      const std::string Name = S->usesList->Get(J);
      const std::string Key = TPascalProject::UnitKey(Name);
      if (Key.empty() || std::find(Keys.begin(), Keys.end(), Key) != Keys.end()) continue;
      Keys.push_back(Key);
      U->Uses.Add(Name);
    }
    if (U->UnitName.empty() || List.IndexOf(U->UnitName) >= 0) {
      delete U;  // one unit per name
      continue;
    }
    List.AddObject(U->UnitName, U);
  }
  List.SetSorted(true);
  for (int I = 0; I < List.Count(); ++I) {
    TUnitDepend* U = Units(I);
    for (int J = 0; J < U->Uses.Count(); ++J) U->Uses.PutObject(J, Find(U->Uses.Get(J)));
  }
}

TUnitDepend* TUnitDependGraph::Find(const std::string& Name) const {
  int I = List.IndexOf(Name);
  if (I < 0) I = List.IndexOf(TPascalProject::UnitKey(Name));
  return I < 0 ? nullptr : Units(I);
}

void TUnitDependGraph::ClearVisited() {
  for (int I = 0; I < List.Count(); ++I) Units(I)->Visited = 0;
}

void TUnitDependGraph::Dependants(const std::string& Name, TStrings* Out) {
  TTraceProc Trace("TFFormVelmoricUnits.Dependants");
  ClearVisited();
  std::function<void(TUnitDepend*, const std::string&)> Walk = [&](TUnitDepend* U,
                                                                   const std::string& Path) {
    U->Visited = 1;
    if (U->UsesName(Name)) Out->Add(Path.empty() ? U->UnitName : Path + " via " + U->UnitName);
    const std::string Next = Path.empty() ? U->UnitName : Path + " " + U->UnitName;
    for (int J = 0; J < U->Uses.Count(); ++J) {
      TUnitDepend* D = U->UsesUnit(J);
      if (D && D->Found && !D->Visited) Walk(D, Next);
    }
  };
  for (int I = 0; I < List.Count(); ++I)
    if (!Units(I)->Visited) Walk(Units(I), "");
}

void TUnitDependGraph::GroupByDirectory(TUnitDepend* Root, TStrings* Out) {
  TTraceProc Trace("TFFormVelmoricUnits.GroupByDirectory");
  ClearVisited();
  auto Group = [&](const std::string& Directory) {
    int I = Out->IndexOf(Directory);
    if (I < 0) I = Out->AddObject(Directory, new TStringList);
    return static_cast<TStringList*>(Out->Objects(I));
  };
  auto AddFile = [&](const std::string& Directory, const std::string& File) {
    TStringList* Files = Group(Directory);
    if (Files->IndexOf(File) < 0) Files->Add(File);
  };
  if (!Root) return;
  std::function<void(TUnitDepend*, const std::string&)> Walk = [&](TUnitDepend* U,
                                                                   const std::string& Path) {
    U->Visited = 1;
    const std::string Here = Path.empty() ? U->UnitName : Path + " " + U->UnitName;
    StreamWrite("velmoric.units", Here);
    AddFile(UnitDirectoryGroup(U), LowerCase(U->Found ? ExtractFileName(U->FileName) : U->UnitName));
    if (!U->Found) return;
    for (int J = 0; J < U->Uses.Count(); ++J) {
      TUnitDepend* D = U->UsesUnit(J);
      if (!D)
        AddFile("unknown files", LowerCase(U->Uses.Get(J)));
      else if (!D->Visited)
        Walk(D, Here);
    }
  };
  Walk(Root, "");
}

bool TUnitDependGraph::Reaches(TUnitDepend* Unit, const std::string& Target) {
  if (!Unit) return false;
  ClearVisited();
  std::function<bool(TUnitDepend*)> Walk = [&](TUnitDepend* U) {
    U->Visited = 1;
    if (SameText(U->UnitName, Target) || U->UsesName(Target)) return true;
    for (int J = 0; J < U->Uses.Count(); ++J) {
      TUnitDepend* D = U->UsesUnit(J);
      if (D && D->Found && !D->Visited && Walk(D)) return true;
    }
    return false;
  };
  return Walk(Unit);
}

std::string TUnitDependGraph::ToText() const {
  std::string Text;
  auto Where = [](const TUnitDepend* U) { return U && U->Found ? U->FileName : std::string("not found"); };
  for (int I = 0; I < List.Count(); ++I) {
    const TUnitDepend* U = Units(I);
    Text += U->UnitName + "\t" + Where(U) + "\n";
    for (int J = 0; J < U->Uses.Count(); ++J) {
      const TUnitDepend* D = U->UsesUnit(J);
      Text += "  " + (D ? D->UnitName : U->Uses.Get(J)) + "\t" + Where(D) + "\n";
    }
  }
  return Text;
}

void TUnitDependGraph::ComputeComponents() const {
  if (FComponentsValid) return;
  FComponent.clear();
  // Tarjan's algorithm without recursion.
  std::unordered_map<const TUnitDepend*, int> Index, Low;
  std::vector<const TUnitDepend*> Stack;
  std::unordered_map<const TUnitDepend*, bool> OnStack;
  int Counter = 0, Components = 0;
  struct Frame {
    const TUnitDepend* U;
    int Next;
  };
  for (int I = 0; I < List.Count(); ++I) {
    const TUnitDepend* Start = Units(I);
    if (Index.count(Start)) continue;
    std::vector<Frame> Calls{{Start, 0}};
    Index[Start] = Low[Start] = Counter++;
    Stack.push_back(Start);
    OnStack[Start] = true;
    while (!Calls.empty()) {
      Frame& F = Calls.back();
      if (F.Next < F.U->Uses.Count()) {
        const TUnitDepend* D = F.U->UsesUnit(F.Next++);
        if (!D) continue;
        if (!Index.count(D)) {
          Index[D] = Low[D] = Counter++;
          Stack.push_back(D);
          OnStack[D] = true;
          Calls.push_back({D, 0});
        } else if (OnStack[D]) {
          Low[F.U] = std::min(Low[F.U], Index[D]);
        }
        continue;
      }
      const TUnitDepend* U = F.U;
      Calls.pop_back();
      if (!Calls.empty()) Low[Calls.back().U] = std::min(Low[Calls.back().U], Low[U]);
      if (Low[U] == Index[U]) {
        const TUnitDepend* W;
        do {
          W = Stack.back();
          Stack.pop_back();
          OnStack[W] = false;
          FComponent[W] = Components;
        } while (W != U);
        ++Components;
      }
    }
  }
  FComponentsValid = true;
}

bool TUnitDependGraph::OnCycle(const TUnitDepend* From, const TUnitDepend* To) const {
  if (!From || !To) return false;
  if (From == To) return true;
  ComputeComponents();
  const auto A = FComponent.find(From), B = FComponent.find(To);
  return A != FComponent.end() && B != FComponent.end() && A->second == B->second;
}

std::string TUnitDependGraph::ToDot() const {
  std::string Dot =
      "digraph units {\n"
      "  rankdir=LR;\n"
      "  graph [fontname=\"Helvetica\", fontsize=11];\n"
      "  node [shape=box, style=rounded, fontname=\"Helvetica\", fontsize=10];\n"
      "  edge [color=\"#555555\"];\n";
  std::map<std::string, std::vector<const TUnitDepend*>> Folders;
  std::vector<const TUnitDepend*> Missing;
  std::vector<std::string> MissingNames;  // used, but no unit of the graph
  for (int I = 0; I < List.Count(); ++I) {
    const TUnitDepend* U = Units(I);
    if (U->Found)
      Folders[ExtractFilePath(U->FileName)].push_back(U);
    else
      Missing.push_back(U);
  }
  int Cluster = 0;
  for (const auto& [Folder, Members] : Folders) {
    Dot += "  subgraph cluster_" + std::to_string(Cluster++) + " {\n";
    Dot += "    label=" + DotQuote(Folder.empty() ? std::string("project directory") : Folder) +
           ";\n    style=filled; color=\"#dddddd\"; fillcolor=\"#f7f7f7\";\n";
    for (const TUnitDepend* U : Members)
      Dot += "    " + DotQuote(U->UnitName) + " [label=" + DotQuote(NodeLabel(U)) + "];\n";
    Dot += "  }\n";
  }
  for (const TUnitDepend* U : Missing)
    Dot += "  " + DotQuote(U->UnitName) + " [label=" + DotQuote(NodeLabel(U)) + ", style=dashed];\n";
  std::string Edges;
  for (int I = 0; I < List.Count(); ++I) {
    const TUnitDepend* U = Units(I);
    for (int J = 0; J < U->Uses.Count(); ++J) {
      const TUnitDepend* D = U->UsesUnit(J);
      std::string To;
      if (D) {
        To = D->UnitName;
      } else {
        To = LowerCase(U->Uses.Get(J));
        if (Find(To) == nullptr && std::find(MissingNames.begin(), MissingNames.end(), To) == MissingNames.end()) {
          MissingNames.push_back(To);
          Dot += "  " + DotQuote(To) + " [label=" + DotQuote(U->Uses.Get(J)) + ", style=dashed];\n";
        }
      }
      Edges += "  " + DotQuote(U->UnitName) + " -> " + DotQuote(To);
      if (OnCycle(U, D)) Edges += " [color=red, penwidth=1.5]";
      Edges += ";\n";
    }
  }
  return Dot + Edges + "}\n";
}
