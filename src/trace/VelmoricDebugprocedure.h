// A second pair of entry and exit traces, with its own switch and indentation.
// Entry lines go to "velmoric.debug", exit lines to "rudided.debug", the
// arrow before the indentation.
#pragma once

#include <string>

namespace VelmoricDebugprocedure {

extern bool DebugFlag;
extern std::string DebugIndent;

void DebugStartProcedure(const std::string& Name);
void DebugEndProcedure(const std::string& Name);

}  // namespace VelmoricDebugprocedure
