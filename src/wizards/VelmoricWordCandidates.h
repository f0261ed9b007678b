// The candidates of word expansion: every token of a text that begins with
// the partial word at the cursor, counted per spelling.
#pragma once

#include <string>

#include "platform/rtl/Classes.h"

// The word at or before the 0-based character index CharIndex of Text
// (non-word characters left of it are skipped first): its 1-based first
// and last positions. Without a word character before the index, End is
// below Start and the word is empty.
void FindPartialWord(const std::string& Text, int CharIndex, int& Start, int& End);

// Adds to Results (emptied first, sorted) one line "%4d %s" per spelling
// of a token of Lines whose lower-case text begins with Partial (lower
// case): the count of its occurrences and its first spelling. A token
// written exactly as Partial, or as the partial word is written at the
// cursor (Written), is none: it would complete nothing.
void CollectWordCandidates(TStrings* Lines, const std::string& Partial, TStringList* Results,
                           const std::string& Written = "");

// The word of a result line (from its sixth character on).
std::string CandidateWord(const std::string& ResultLine);
