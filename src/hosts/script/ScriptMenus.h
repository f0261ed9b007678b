// The IDE's main menu as scripts and the command line see it: printed as
// `velmoric menu` prints it, and items found by their captions.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/opentools/ToolIntf.h"

// The "V&elmoric" menu and then "Relevant files" of the File menu, one
// line per item: <indent><caption>\t<name>\t<short cut>, indented by two
// blanks per level below the main menu.
void PrintExpertMenus(TIMainMenuIntf* Menu, std::ostream& Out);

// The component name of the visible item reached from the menu bar through
// Captions ('&' and case ignored). Raises Exception saying which caption is
// missing.
std::string MenuItemAtPath(TIMainMenuIntf* Menu, const std::vector<std::string>& Captions);
