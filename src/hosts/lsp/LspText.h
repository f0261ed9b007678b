// Text positions of the language server: the protocol counts UTF-16 code
// units in a line, the buffers hold bytes in their own encoding (UTF-8, or
// Latin-1 when the text is not valid UTF-8). Also file URIs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class TTextEncoding { Utf8, Latin1 };

// Utf8 when Text is valid UTF-8 (no overlong forms, no surrogates), else Latin1.
TTextEncoding DetectEncoding(std::string_view Text);

// The number of UTF-16 code units of the first Bytes bytes of Line (Bytes is
// clamped to the line; a partial UTF-8 sequence counts as far as it goes).
int Utf16Length(std::string_view Line, int Bytes, TTextEncoding Encoding);
// The byte offset in Line of UTF-16 unit Units; past the end: the line's
// length. A unit inside a character gives the character's start.
int ByteOffset(std::string_view Line, int Units, TTextEncoding Encoding);

// A text cut into lines at CR LF, LF or a lone CR, with the line starts
// (byte offsets). A text ending in a line end has an empty last line.
class TLineIndex {
 public:
  TLineIndex() = default;
  explicit TLineIndex(std::string_view Text);
  int LineCount() const { return static_cast<int>(FStarts.size()); }
  int LineStart(int Line) const { return FStarts[Line]; }
  // Without the line end.
  int LineLength(int Line) const { return FLengths[Line]; }
  // The 0-based line holding byte Offset (clamped to the text).
  int LineOf(int Offset) const;
  // Line grew by Delta bytes (shrank when negative) within its text: the
  // lines after it move by as much.
  void ResizeLine(int Line, int Delta);

 private:
  std::vector<int> FStarts{0};
  std::vector<int> FLengths{0};
};

// "file:///a%20b/c.pas" -> "/a b/c.pas"; empty for a URI of another scheme
// or a malformed escape.
std::string UriToPath(const std::string& Uri);
// "/a b/c.pas" -> "file:///a%20b/c.pas".
std::string PathToUri(const std::string& Path);
// The text as UTF-8: a Latin-1 text is converted, a UTF-8 one kept.
std::string ToUtf8(std::string_view Text, TTextEncoding Encoding);
// Undoes ToUtf8 of a Latin-1 text: characters up to U+00FF become one byte
// each; a text that holds others (or is not UTF-8) is returned as it is.
std::string FromLatin1Utf8(std::string_view Text);

// The lines of Text, each with its line end (the last one has none).
std::vector<std::string_view> LinesWithEnds(std::string_view Text);

// One change of a line diff: the old lines Start to Start + Count - 1 give
// way to Lines.
struct TLineChange {
  int Start = 0;
  int Count = 0;
  std::vector<std::string_view> Lines;
};
// The changes that turn Old into New, in order, as few lines as the
// shortest edit script gives (the lines between the first and the last
// difference as one change when they differ in too many places).
std::vector<TLineChange> LineDiff(const std::vector<std::string_view>& Old,
                                  const std::vector<std::string_view>& New);
