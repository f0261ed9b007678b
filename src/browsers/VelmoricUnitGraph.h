// The unit dependency graph of a parsed project: one TUnitDepend per unit
// of the project's unit list, its uses resolved to the graph's units, and
// the walks the unit dependency browser makes over it (dependants, the
// units reachable from one unit grouped by folder, whether a unit reaches
// another), plus its text and Graphviz forms. Every walk marks the units it
// visits, so cycles end it.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/rtl/Classes.h"

class TPascalProject;

class TUnitDepend : public TObject {
 public:
  std::string UnitName;   // lower case, without folder and extension
  std::string FileName;   // the source's file name
  int Visited = 0;        // mark of the current walk
  bool Found = true;      // whether the project found the unit's file
  TStringList Uses;       // names as written; objects: TUnitDepend or nil

  // The unit a uses entry resolves to, or nil.
  TUnitDepend* UsesUnit(int Index) const { return static_cast<TUnitDepend*>(Uses.Objects(Index)); }
  // Whether the uses list names Name (without regard to case).
  bool UsesName(const std::string& Name) const { return Uses.IndexOf(Name) >= 0; }
};

class TUnitDependGraph {
 public:
  TUnitDependGraph();
  ~TUnitDependGraph();
  TUnitDependGraph(const TUnitDependGraph&) = delete;
  TUnitDependGraph& operator=(const TUnitDependGraph&) = delete;

  // One unit per source of the project (the first of a name counts), uses
  // resolved by name, then sorted by name.
  void Build(TPascalProject* Project);
  void Clear();

  int Count() const { return List.Count(); }
  TUnitDepend* Units(int Index) const { return static_cast<TUnitDepend*>(List.Objects(Index)); }
  // The unit of that name (without regard to case), or nil.
  TUnitDepend* Find(const std::string& Name) const;
  void ClearVisited();

  // Adds to Out every unit from which one that uses Name is reached: its
  // name, or "<path> via <unit>" when the walk came to it through the
  // units of the path (names separated by blanks).
  void Dependants(const std::string& Name, TStrings* Out);
  // Groups Root and every unit reachable from it by folder: Out's items
  // are the lower-case folders ("project directory" for a bare name,
  // "unknown files" for a unit not found), each with a new TStringList of
  // lower-case file names as its object (the caller frees them). Units
  // used but not in the graph count as unknown files.
  void GroupByDirectory(TUnitDepend* Root, TStrings* Out);
  // Whether Unit is Target or reaches a unit that uses or is Target.
  bool Reaches(TUnitDepend* Unit, const std::string& Target);

  // One line per unit, "<unit>\t<file>" ("not found" for a unit without
  // file), then one line per use, indented by two blanks, the same way.
  std::string ToText() const;
  // A Graphviz digraph: units as nodes in one cluster per folder, uses as
  // edges, edges on a cycle red, units not found dashed.
  std::string ToDot() const;
  // Whether the use From -> To lies on a cycle of the graph.
  bool OnCycle(const TUnitDepend* From, const TUnitDepend* To) const;

  TStringList List;  // unit name -> TUnitDepend, owned

 private:
  void ComputeComponents() const;
  mutable std::unordered_map<const TUnitDepend*, int> FComponent;  // strongly connected component
  mutable bool FComponentsValid = false;
};

// The folder group of a unit as the directory page shows it.
std::string UnitDirectoryGroup(const TUnitDepend* Unit);
