// What the language server reads off the model beyond the cursor query: the
// symbol explorer's list and search, expand word's candidates, the members
// of a type, and how symbols map to the protocol.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "scanner/VelmoricSymbols.h"

class TPascalProject;
class TStrings;

// One row of the symbol explorer's list: its sort key is
// Format("%-10s%s", name, owner name).
struct TExplorerEntry {
  std::string Key;
  TOrvikSymbol* Symbol;
};

// The symbol explorer's list over the whole project: the top-level symbols
// of every unit whose kind is in Kinds and, with SubSymbols, the members of
// every listed symbol at any depth; sorted by key.
std::vector<TExplorerEntry> SymbolExplorerList(TPascalProject* Project, TSymTypSet Kinds,
                                               bool SubSymbols);
// The explorer's search: the index of the first entry whose lower-cased name
// does not sort before the lower-cased Text; the list's size when none.
int SymbolExplorerSearch(const std::vector<TExplorerEntry>& List, const std::string& Text);

// Expand word at the 1-based line L and 0-based character index C of Lines:
// the partial word (its 1-based first and last character, Last < First when
// empty) and every other spelling of the unit's tokens that begins with it,
// with its count, most frequent first.
struct TExpandWord {
  int First = 0;
  int Last = -1;
  std::string Partial;  // lower case
  std::vector<std::pair<std::string, int>> Candidates;
};
TExpandWord ExpandWordCandidates(TStrings* Lines, int L, int C);

// The members of the type of Sym (Sym itself when it is a class, record or
// interface), then those of its ancestors not hidden by a nearer one.
std::vector<TOrvikSymbol*> TypeMembers(TPascalProject* Project, TOrvikSymbol* Sym);

// The same declaration in two parses of the same text gives the same key.
std::string SymbolKey(const TOrvikSymbol* Sym);
// The unit file that holds Sym, or empty.
std::string SymbolFile(const TOrvikSymbol* Sym);

// The protocol's SymbolKind and CompletionItemKind of a symbol.
int LspSymbolKind(const TOrvikSymbol* Sym);
int LspCompletionKind(const TOrvikSymbol* Sym);
// A short description: "(Sender: TObject)", ": Integer", "class(TForm)".
std::string SymbolDetail(const TOrvikSymbol* Sym);
// Tokens joined by single blanks ("Sender : TObject ; X , Y : Integer ")
// written as source text ("Sender: TObject; X, Y: Integer").
std::string JoinTokens(const std::string& Tokens);
