// Rich text printed as PDF: a well-formed file (every object where the
// cross-reference table says), the standard fonts by name and style, text
// escaped, hidden text left out, long paragraphs wrapped and page breaks.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/RichText.h"
#include "platform/vcl/RichTextPdf.h"

namespace {

// Checks the cross-reference table against the objects' offsets; returns
// the number of objects.
int CheckXref(const std::string& Pdf) {
  const size_t StartXref = Pdf.rfind("startxref\n");
  EXPECT_NE(StartXref, std::string::npos);
  const size_t XRef = std::stoul(Pdf.substr(StartXref + 10));
  EXPECT_EQ(Pdf.compare(XRef, 5, "xref\n"), 0);
  const size_t Header = Pdf.find('\n', XRef + 5);
  const int Count = std::stoi(Pdf.substr(XRef + 7, Header - XRef - 7));
  for (int I = 1; I < Count; ++I) {
    const size_t Entry = Header + 1 + 20 * I;
    const size_t Offset = std::stoul(Pdf.substr(Entry, 10));
    const std::string Head = std::to_string(I) + " 0 obj\n";
    EXPECT_EQ(Pdf.compare(Offset, Head.size(), Head), 0) << "object " << I;
  }
  EXPECT_NE(Pdf.find("/Size " + std::to_string(Count)), std::string::npos);
  return Count;
}

// Where the text starting with What is placed: the "X Y Td" before it.
std::pair<double, double> PlaceOf(const std::string& Pdf, const std::string& What) {
  const size_t At = Pdf.find(What);
  EXPECT_NE(At, std::string::npos) << What;
  if (At == std::string::npos) return {0, 0};
  const size_t Tf = Pdf.rfind("Tf ", At);
  size_t Used = 0;
  const double X = std::stod(Pdf.substr(Tf + 3), &Used);
  return {X, std::stod(Pdf.substr(Tf + 3 + Used))};
}

int Count(const std::string& Text, const std::string& What) {
  int N = 0;
  for (size_t P = Text.find(What); P != std::string::npos; P = Text.find(What, P + 1)) ++N;
  return N;
}

TEST(RichTextPdfTest, FontsStylesAndEscapesOnAWellFormedPage) {
  TRichTextDocument Doc;
  Doc.LoadRtf(
      "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}{\\f2\\fmodern Courier New;}}"
      "{\\colortbl;\\red255\\green0\\blue0;}"
      "\\f0\\fs20 Plain (a) \\\\ back{\\v hidden}\\par"
      "\\f1\\b\\i Bold italic times\\par"
      "\\plain\\f2\\ul\\cf1 red code\\'e9\\par}");
  Doc.ApplyParaFormat(Doc.Paragraph(0).Length() + 2, 0, [](TParaFormat& P) { P.Alignment = taCenter; });
  const std::string Pdf = RichTextToPdf(Doc, "Velmoric Manual entry");
  ASSERT_EQ(Pdf.rfind("%PDF-1.4\n", 0), 0u);
  EXPECT_EQ(Pdf.substr(Pdf.size() - 6), "%%EOF\n");
  CheckXref(Pdf);
  EXPECT_NE(Pdf.find("/Title (Velmoric Manual entry)"), std::string::npos);
  EXPECT_NE(Pdf.find("/Count 1"), std::string::npos);
  EXPECT_NE(Pdf.find("(Plain ) Tj"), std::string::npos) << Pdf;
  EXPECT_NE(Pdf.find("(\\(a\\) ) Tj"), std::string::npos);
  EXPECT_NE(Pdf.find("(\\\\ ) Tj"), std::string::npos);
  EXPECT_EQ(Pdf.find("hidden"), std::string::npos);
  // Times bold italic is font 8, Courier font 9; the red underline is drawn.
  EXPECT_NE(Pdf.find("/F8 10.00 Tf"), std::string::npos);
  EXPECT_NE(Pdf.find("/F9 "), std::string::npos);
  EXPECT_NE(Pdf.find("/BaseFont /Times-BoldItalic"), std::string::npos);
  EXPECT_NE(Pdf.find("1.00 0.00 0.00 rg"), std::string::npos);
  EXPECT_NE(Pdf.find("1.00 0.00 0.00 RG 0.5 w"), std::string::npos);
  EXPECT_NE(Pdf.find("(code\\351) Tj"), std::string::npos);
  // The centred line starts further right than the left-aligned ones.
  EXPECT_GT(PlaceOf(Pdf, "(Bold ").first, 100.0);
  EXPECT_EQ(PlaceOf(Pdf, "(Plain ").first, 56.0);
}

TEST(RichTextPdfTest, LongParagraphsWrapAndPageBreaksStartPages) {
  TRichTextDocument Doc;
  std::string Long;
  for (int I = 0; I < 200; ++I) Long += "word" + std::to_string(I) + " ";
  Doc.LoadText(Long);
  std::string Pdf = RichTextToPdf(Doc, "long");
  CheckXref(Pdf);
  // Every word is there once, over several lines of one page.
  EXPECT_EQ(Count(Pdf, "(word"), 200);
  // Lines go down the page, each starting at the margin.
  const auto First = PlaceOf(Pdf, "(word0 "), Last = PlaceOf(Pdf, "(word199 ");
  EXPECT_EQ(First.first, 56.0);
  EXPECT_LT(Last.second, First.second - 5 * 12.0);
  EXPECT_NE(Pdf.find("/Count 1"), std::string::npos);

  // Many paragraphs fill more than one page; "\page" starts one.
  std::string Rtf = "{\\rtf1\\ansi ";
  for (int I = 0; I < 80; ++I) Rtf += "line " + std::to_string(I) + "\\par ";
  Rtf += "\\page after the break\\par}";
  Doc.LoadRtf(Rtf);
  Pdf = RichTextToPdf(Doc, "pages");
  const int Objects = CheckXref(Pdf);
  EXPECT_NE(Pdf.find("/Count 3"), std::string::npos);
  EXPECT_EQ(Objects, 1 + 15 + 2 * 3);
  // An empty document is one empty page.
  Pdf = RichTextToPdf(TRichTextDocument(), "");
  CheckXref(Pdf);
  EXPECT_NE(Pdf.find("/Count 1"), std::string::npos);
}

TEST(RichTextPdfTest, AWordWiderThanThePageIsCut) {
  TRichTextDocument Doc;
  Doc.LoadText(std::string(400, 'x'));
  const std::string Pdf = RichTextToPdf(Doc, "wide");
  CheckXref(Pdf);
  EXPECT_GT(Count(Pdf, " Td "), 1);
  EXPECT_LT(PlaceOf(Pdf, "(x").second, 842.0);
  // All 400 characters are printed.
  int Xs = 0;
  for (size_t P = Pdf.find("(x"); P != std::string::npos; P = Pdf.find("(x", P + 1))
    Xs += static_cast<int>(Pdf.find(')', P) - P - 1);
  EXPECT_EQ(Xs, 400);
}

}  // namespace
