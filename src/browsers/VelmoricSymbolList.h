// What the symbol explorer lists and shows: the entries of the whole
// project or of one symbol's members, filtered by kind, keyed for sorting,
// the grid's texts, the info fields and the search in the entries.
#pragma once

#include <string>

#include "platform/rtl/Classes.h"
#include "scanner/VelmoricSymbols.h"

class TPascalProject;

// The kind filter's check boxes.
struct TSymbolKindChoice {
  bool Procedures = true, Classes = true, Variables = true, Records = true, Properties = true,
       Constants = true, Types = true;
};

// One bit per kind number: "procedures" 2, "classes" 3 and 9, "variables"
// 6 and 10, "records" 5, "properties" 7, "constants" 8, "types" 4.
uint32_t SymbolKindFilter(const TSymbolKindChoice& Choice);
// Whether a kind passes the filter; kinds above 15 never do.
bool KindPasses(uint32_t Filter, TSymTyp Kind);

// Format("%-10s%s", [name, owner name]); the owner name is empty for a
// unit's top-level symbols.
std::string SymbolEntryKey(const TOrvikSymbol* Sym);
// The owner's name, empty for a unit's top-level symbols.
std::string SymbolOwnerName(const TOrvikSymbol* Sym);

// Empties Entries and fills it, sorted with duplicates, with the symbols
// that pass Filter: Explored's members, or without one the top-level
// symbols of every unit of Project; with SubSymbols the members of every
// listed symbol as well, at any depth.
void FillSymbolEntries(TPascalProject* Project, TOrvikSymbol* Explored, uint32_t Filter,
                       bool SubSymbols, TStringList* Entries);

// The grid's texts.
std::string SymbolKindText(const TOrvikSymbol* Sym);   // "Procedure", "Class", ...
std::string SymbolScopeText(const TOrvikSymbol* Sym);  // "private" ... "local"
std::string SymbolUnitText(const TOrvikSymbol* Sym);   // the source's file name, no folder
// "Override Abstract ..." for the set flags, in the flag table's order.
std::string SymbolOptionsText(const TOrvikSymbol* Sym);
// The info field: a procedure's heading, a property's accessors, else the type.
std::string SymbolInfoText(const TOrvikSymbol* Sym);
// The second info field: a constant's type, else the symbol's lines.
std::string SymbolLinesText(const TOrvikSymbol* Sym);

// The first entry whose lower-cased name does not sort before the
// lower-cased Text; the last entry when every name does; -1 when empty.
int SearchSymbolEntry(const TStringList* Entries, const std::string& Text);

// Whether "Explore typ" may explore a type text.
bool ExplorableTypeText(const std::string& TypeText);
// The symbol the project finds for a type text or an ancestor name.
TOrvikSymbol* FindTypeSymbol(TPascalProject* Project, const std::string& TypeText);
