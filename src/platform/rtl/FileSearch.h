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

// The regular file Name (no separators) in the existing folder Dir, found as
// FindFileNoCase finds it (Dir + "/" + the name as written, else the first
// whose name differs in ASCII case only); empty when there is none. The
// folder's listing is kept, and read again once the folder changes, so that
// searching the same folders for many names reads each of them once.
std::string FindInFolderNoCase(const std::string& Dir, const std::string& Name);

// FileName with every '\' turned into '/'.
std::string UnixPath(std::string_view FileName);

// FileName made absolute against the current directory; "." and ".." parts
// are resolved by text, separators become '/'.
std::string ExpandFileName(std::string_view FileName);
