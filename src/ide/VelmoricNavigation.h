// The navigation commands of the expert (find position, GotoLine,
// GotoSymbol, FindSource, hyperjump, new symbol, clear memory, the
// "Relevant files" menu, the about box) are methods of TVelmoricWizard,
// declared in VelmoricWizard.h; these are their helpers.
#pragma once

#include <string>

struct TOrvikSymbol;

// Writes "*** Symbolinfo : <Label> <names>" with the names of Symbol and its
// owners, innermost first, joined by ".".
void PrintSymbol(const std::string& Label, const TOrvikSymbol* Symbol);

// The name find position shows for a procedure: its name after those of its
// owners below the unit ("TForm1.Button1Click", a unit-level "Helper").
std::string FindPositionName(const TOrvikSymbol* Proc);

// The 0-based line a jump to Symbol lands on: its body's line, else its
// declaration line; -1 when it has neither.
int JumpLine(const TOrvikSymbol* Symbol);
