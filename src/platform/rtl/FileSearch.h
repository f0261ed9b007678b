// Finding files without regard to case, as the original platform's file
// system did: "unit1.pas" finds "Unit1.pas".
#pragma once

#include <string>
#include <string_view>

// Both '\' and '/' separate directories in FileName. Returns the name of
// the existing file or directory that matches FileName, each part compared
// exactly first and then without regard to ASCII case, with '/' separators;
// empty when there is none. A relative name stays relative.
std::string FindFileNoCase(std::string_view FileName);

// FileName with every '\' turned into '/'.
std::string UnixPath(std::string_view FileName);

// FileName made absolute against the current directory; "." and ".." parts
// are resolved by text, separators become '/'.
std::string ExpandFileName(std::string_view FileName);
