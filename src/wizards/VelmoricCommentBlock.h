// The structured comment block written above generated procedures: dashes,
// the heading, the creation stamp, the parameters with their descriptions,
// the description, dashes. Part of the unit VelmoricNewProcedure.
#pragma once

#include <string>
#include <vector>

// The block for Heading, lines joined by CR LF. Params is the parameter text
// as typed (without parentheses); OldLines are the lines of the comment
// being replaced: its "created :" line and its parameter descriptions stay.
std::string MakeCommentBlock(const std::vector<std::string>& OldLines, const std::string& Description,
                             const std::string& Heading, const std::string& Params);

// The login name of the account, else $USER, else "unknown".
std::string CommentUserName();
// The current date and time as the system writes them (short date, long time).
std::string CommentDateTime();
