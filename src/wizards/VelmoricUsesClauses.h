// The uses clauses of a unit as the uses manager reads and writes them:
// read through the token reader (so a "uses" inside a comment or a string
// is no clause), written back as new lines after "interface" and
// "implementation" (or after the heading of a program or library).
#pragma once

#include <string>

#include "platform/rtl/Classes.h"

class TToken;

// One entry of a uses clause.
class TUsesInfo : public TObject {
 public:
  TUsesInfo() = default;
  TUsesInfo(std::string AUnitName, std::string AFileName)
      : UnitName(std::move(AUnitName)), FileName(std::move(AFileName)) {}
  std::string UnitName;  // as written
  std::string FileName;  // after "in", without quotes; empty when none
};

// Fills Interface and Implementation (emptied first, their entries freed)
// with the units of Lines' clauses: one item per unit, its text the name,
// its object a new TUsesInfo owned by the list's user. A clause before
// "implementation" belongs to the interface. A clause without its ";" is
// no clause.
void ScanUsesClauses(TStrings* Lines, TStrings* Interface, TStrings* Implementation);

// Frees the TUsesInfo objects of List and empties it.
void FreeUsesInfos(TStrings* List);

// Replaces both clauses of Lines by the lists (items with TUsesInfo
// objects; an item without one is a unit without file name). An empty list
// removes its clause. Text that shared a line with an old clause stays.
void RewriteUsesClauses(TStrings* Lines, const TStrings* Interface,
                        const TStrings* Implementation);

// The lines of one clause: "uses " and the units, a line flushed when it
// grows longer than 60 characters and after every unit with a file name;
// later lines start with five blanks. Empty for an empty list.
void FormatUsesClause(const TStrings* List, TStrings* Out);
