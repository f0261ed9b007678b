// The words of a script line, split as a POSIX shell splits them, and the
// escapes of a TEXT argument.
#pragma once

#include <string>
#include <vector>

// Blanks and tabs separate words; '...' keeps everything literally; "..."
// keeps everything but a backslash before $, `, " or \; outside quotes a
// backslash takes the next character literally. Quoted parts join the word
// around them ("" alone is an empty word). Raises Exception for a quote that
// is not closed.
std::vector<std::string> SplitScriptWords(const std::string& Line);

// A TEXT argument: "\n" becomes a line break, "\t" a tab and "\\" one
// backslash; any other backslash stays.
std::string ScriptText(const std::string& Word);
