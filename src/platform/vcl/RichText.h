// The document of a rich edit: paragraphs of formatted runs, read from and
// written to RTF.
//
// Text positions count the characters of the paragraphs and two for each
// paragraph break ("\r\n" in Text), as the rich edit control does. RTF is
// read leniently: unknown control words and ignorable groups are skipped,
// broken or truncated input yields what was read so far, and nothing in it
// can make the reader fail. The writer writes the way rich edits of the
// Windows 95 generation did: the font and colour tables on their own lines,
// the first paragraph on a line that starts with "\deflang", each further
// paragraph on its own line that starts with "\par", and a last line "\par }".
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/vcl/Graphics.h"  // TColor: 0x00BBGGRR

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TNumberingStyle { nsNone, nsBullet };


struct TCharFormat {
  std::string FontName = "Arial";
  int HalfPoints = 20;  // "\fs": the size in half points
  TColor Color = clBlack;
  bool Bold = false, Italic = false, Underline = false, DoubleUnderline = false, StrikeOut = false;
  bool Hidden = false;    // "\v"
  bool Footnote = false;  // text of a "\footnote" group
  bool operator==(const TCharFormat&) const = default;
};

struct TParaFormat {
  TAlignment Alignment = taLeftJustify;
  TNumberingStyle Numbering = nsNone;
  int FirstIndent = 0, LeftIndent = 0, RightIndent = 0;  // twips
  bool PageBreakBefore = false;  // the break before this paragraph is "\page"
  bool operator==(const TParaFormat&) const = default;
};

struct TTextRun {
  std::string Text;
  TCharFormat Format;
};

struct TParagraph {
  std::vector<TTextRun> Runs;
  TParaFormat Format;
  std::string Text() const;
  int Length() const;
};

class TRichTextDocument {
 public:
  // Formatting of text typed into an empty document and of plain text loaded.
  TCharFormat DefaultFormat;

  void Clear() { FParagraphs.clear(); }
  bool Empty() const { return FParagraphs.empty(); }
  int ParagraphCount() const { return static_cast<int>(FParagraphs.size()); }
  const TParagraph& Paragraph(int Index) const { return FParagraphs.at(Index); }
  TParagraph& Paragraph(int Index) { return FParagraphs.at(Index); }
  // The 0-based paragraph that holds the position, and where it starts.
  int ParagraphAt(int Pos, int* Start = nullptr) const;

  // Paragraphs joined by "\r\n".
  std::string Text() const;
  int TextLength() const;
  // Text without hidden text and footnotes, as a reader sees it.
  std::string VisibleText() const;

  // Replaces Length characters from Start with Text (CR LF, LF or CR break
  // paragraphs) in the format given; positions are clamped to the text.
  void Replace(int Start, int Length, std::string_view Text, const TCharFormat& Format);
  // Inserts a paragraph before paragraph Index (Index = count appends),
  // formatted as its neighbour; DeleteParagraph removes one.
  void InsertParagraph(int Index, std::string_view Text, const TCharFormat& Format);
  void DeleteParagraph(int Index);
  // Inserts the paragraphs of Other at Pos; its first paragraph joins the
  // one at Pos.
  void InsertDocument(int Pos, const TRichTextDocument& Other);
  // The part of the document from Start, Length characters long.
  TRichTextDocument Range(int Start, int Length) const;

  // The format of the character at Pos (the last one of its paragraph when
  // Pos is at its end), or DefaultFormat.
  TCharFormat FormatAt(int Pos) const;
  void ApplyFormat(int Start, int Length, const std::function<void(TCharFormat&)>& Change);
  // Changes the paragraphs that the range touches.
  void ApplyParaFormat(int Start, int Length, const std::function<void(TParaFormat&)>& Change);

  // Reads RTF (text not starting with "{\rtf" is loaded as plain text).
  void LoadRtf(std::string_view Rtf);
  void LoadText(std::string_view Text);
  // Lines of RTF joined by "\r\n".
  std::string SaveRtf() const;

 private:
  friend class TRtfReader;
  // Splits runs so that one starts at Offset of paragraph P; returns its index.
  int SplitRun(int P, int Offset);
  void Normalize(int P);
  // (paragraph, offset) of a position; Pos past the end gives the end.
  void Locate(int Pos, int& P, int& Offset) const;
  std::vector<TParagraph> FParagraphs;
};

// An RTF text escaped for the writer: "\", "{" and "}" quoted, bytes from
// 0x80 as "\'hh", tabs as "\tab ".
std::string RtfEscape(std::string_view Text);
