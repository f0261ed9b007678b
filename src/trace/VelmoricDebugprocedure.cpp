#include "trace/VelmoricDebugprocedure.h"

#include "trace/traceletVelmoric.h"

namespace VelmoricDebugprocedure {

bool DebugFlag = true;
std::string DebugIndent;

void DebugStartProcedure(const std::string& Name) {
  if (DebugFlag && tracelet) tracelet->StrWrite("velmoric.debug", "->" + DebugIndent + Name);
  DebugIndent += "  ";
}

void DebugEndProcedure(const std::string& Name) {
  if (DebugIndent.size() >= 2) DebugIndent.resize(DebugIndent.size() - 2);
  if (DebugFlag && tracelet) tracelet->StrWrite("rudided.debug", "<-" + DebugIndent + Name);
}

}  // namespace VelmoricDebugprocedure
