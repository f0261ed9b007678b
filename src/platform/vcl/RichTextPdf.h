// A rich text document printed as PDF: its visible text on A4 pages in the
// standard PDF fonts (Helvetica, Times or Courier by the font's name, bold and
// italic as the text has them), with sizes, colours, underlines, paragraph
// alignment, bullets and page breaks. Words wrap at the right margin by the
// standard fonts' average widths; hidden text and footnotes are left out.
#pragma once

#include <string>

class TRichTextDocument;

// The PDF file's bytes; Title becomes the document's title.
std::string RichTextToPdf(const TRichTextDocument& Document, const std::string& Title);
