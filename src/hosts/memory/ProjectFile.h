// Reading a program file (.dpr): the units of its uses clause.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct TProjectUses {
  std::string UnitName;
  std::string InFile;    // the file named after "in", empty when none
  std::string FormName;  // the form named in the comment after it ("{Form1}"), or empty
};

// The entries of the first uses clause of Text, in order. Comments,
// directives and line ends may stand anywhere; reading stops at the first
// thing that does not belong in a uses clause.
std::vector<TProjectUses> ReadProjectUses(std::string_view Text);
