#include "platform/vcl/RichTextPdf.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/RichText.h"

namespace {

constexpr double PageWidth = 595, PageHeight = 842, Margin = 56;
constexpr double LineFactor = 1.2;

// The twelve standard fonts: family (0 Helvetica, 1 Times, 2 Courier) times
// four, plus bold and italic.
const char* const BaseFonts[12] = {
    "Helvetica", "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique",
    "Times-Roman", "Times-Bold", "Times-Italic", "Times-BoldItalic",
    "Courier", "Courier-Bold", "Courier-Oblique", "Courier-BoldOblique"};
// The average width of a character, in units of the font size.
const double AverageWidth[3] = {0.52, 0.47, 0.6};

int Family(const std::string& FontName) {
  const std::string N = LowerCase(FontName);
  if (N.find("courier") != std::string::npos || N.find("mono") != std::string::npos) return 2;
  if (N.find("times") != std::string::npos || N.find("roman") != std::string::npos ||
      (N.find("serif") != std::string::npos && N.find("sans") == std::string::npos))
    return 1;
  return 0;
}

int FontIndex(const TCharFormat& F) {
  return Family(F.FontName) * 4 + (F.Bold ? 1 : 0) + (F.Italic ? 2 : 0);
}

double Points(const TCharFormat& F) { return std::clamp(F.HalfPoints, 2, 400) / 2.0; }

double WidthOf(const std::string& Text, const TCharFormat& F) {
  return static_cast<double>(Text.size()) * Points(F) * AverageWidth[Family(F.FontName)];
}

std::string Num(double V) {
  char Buf[32];
  std::snprintf(Buf, sizeof Buf, "%.2f", V);
  return Buf;
}

// A PDF string literal; bytes from 0x80 in octal (the fonts' WinAnsi encoding).
std::string PdfString(const std::string& Text) {
  std::string S = "(";
  for (unsigned char C : Text) {
    if (C == '(' || C == ')' || C == '\\') {
      S += '\\';
      S += static_cast<char>(C);
    } else if (C < 0x20 || C >= 0x80) {
      char Buf[8];
      std::snprintf(Buf, sizeof Buf, "\\%03o", C);
      S += Buf;
    } else {
      S += static_cast<char>(C);
    }
  }
  return S + ")";
}

// One piece of a line: text in one format.
struct TPiece {
  std::string Text;
  TCharFormat Format;
  double Width = 0;
};

struct TLine {
  std::vector<TPiece> Pieces;
  double Width = 0, Height = 0;
};

class TPdfPages {
 public:
  void NewPage() {
    Pages.emplace_back();
    Y = PageHeight - Margin;
  }
  void PlaceLine(const TLine& Line, TAlignment Alignment, double Indent) {
    const double Height = std::max(Line.Height, 1.0);
    if (Pages.empty() || Y - Height < Margin) NewPage();
    Y -= Height;
    const double Room = PageWidth - 2 * Margin - Indent;
    double X = Margin + Indent;
    if (Alignment == taCenter) X += std::max(0.0, (Room - Line.Width) / 2);
    if (Alignment == taRightJustify) X += std::max(0.0, Room - Line.Width);
    std::string& Out = Pages.back();
    for (const TPiece& P : Line.Pieces) {
      const TColor C = P.Format.Color;
      const std::string Rgb = Num((C & 0xFF) / 255.0) + " " + Num(((C >> 8) & 0xFF) / 255.0) + " " +
                              Num(((C >> 16) & 0xFF) / 255.0);
      Out += Rgb + " rg BT /F" + IntToStr(FontIndex(P.Format) + 1) + " " + Num(Points(P.Format)) + " Tf " + Num(X) +
             " " + Num(Y) + " Td " + PdfString(P.Text) + " Tj ET\n";
      if (P.Format.Underline || P.Format.DoubleUnderline)
        Out += Rgb + " RG 0.5 w " + Num(X) + " " + Num(Y - 1.5) + " m " + Num(X + P.Width) + " " + Num(Y - 1.5) +
               " l S\n";
      X += P.Width;
    }
  }
  std::vector<std::string> Pages;  // content streams
  double Y = 0;
};

// The visible words of a paragraph with the blanks that follow them, each
// in its run's format.
std::vector<TPiece> Words(const TParagraph& Para) {
  std::vector<TPiece> Result;
  for (const TTextRun& Run : Para.Runs) {
    if (Run.Format.Hidden || Run.Format.Footnote) continue;
    size_t I = 0;
    while (I < Run.Text.size()) {
      size_t End = Run.Text.find_first_of(" \t", I);
      End = End == std::string::npos ? Run.Text.size() : Run.Text.find_first_not_of(" \t", End);
      if (End == std::string::npos) End = Run.Text.size();
      std::string Word = Run.Text.substr(I, End - I);
      std::replace(Word.begin(), Word.end(), '\t', ' ');
      Result.push_back({Word, Run.Format, WidthOf(Word, Run.Format)});
      I = End;
    }
  }
  return Result;
}

void LayOut(const TParagraph& Para, TPdfPages& Pages) {
  const TParaFormat& F = Para.Format;
  if (F.PageBreakBefore) Pages.NewPage();
  const double Left = std::max(0, F.LeftIndent) / 20.0;
  const double Room = std::max(72.0, PageWidth - 2 * Margin - Left - std::max(0, F.RightIndent) / 20.0);
  std::vector<TPiece> Pieces = Words(Para);
  TCharFormat First = Para.Runs.empty() ? TCharFormat() : Para.Runs.front().Format;
  if (F.Numbering == nsBullet) Pieces.insert(Pieces.begin(), TPiece{"\x95 ", First, WidthOf("\x95 ", First)});
  TLine Line;
  Line.Height = Points(First) * LineFactor;
  auto Flush = [&] {
    Pages.PlaceLine(Line, F.Alignment, Left);
    Line = TLine();
  };
  for (TPiece& P : Pieces) {
    // A word wider than the line is cut to fit.
    while (P.Width > Room && P.Text.size() > 1) {
      if (!Line.Pieces.empty()) Flush();
      const size_t Fit = std::max<size_t>(1, static_cast<size_t>(Room / (P.Width / P.Text.size())));
      TPiece Head{P.Text.substr(0, Fit), P.Format, WidthOf(P.Text.substr(0, Fit), P.Format)};
      Line.Pieces.push_back(Head);
      Line.Width = Head.Width;
      Line.Height = Points(P.Format) * LineFactor;
      Flush();
      P.Text.erase(0, Fit);
      P.Width = WidthOf(P.Text, P.Format);
    }
    if (!Line.Pieces.empty() && Line.Width + WidthOf(TrimRight(P.Text), P.Format) > Room) Flush();
    Line.Height = std::max(Line.Pieces.empty() ? 0.0 : Line.Height, Points(P.Format) * LineFactor);
    Line.Width += P.Width;
    Line.Pieces.push_back(std::move(P));
  }
  Flush();
}

}  // namespace

std::string RichTextToPdf(const TRichTextDocument& Document, const std::string& Title) {
  TPdfPages Pages;
  Pages.NewPage();
  for (int I = 0; I < Document.ParagraphCount(); ++I) LayOut(Document.Paragraph(I), Pages);

  // Objects: 1 catalog, 2 page tree, 3 info, 4..15 fonts, then a page and
  // its content per page.
  std::vector<std::string> Objects;
  const int FirstPage = 16;
  const int PageCount = static_cast<int>(Pages.Pages.size());
  std::string Kids, Fonts;
  for (int P = 0; P < PageCount; ++P) Kids += IntToStr(FirstPage + 2 * P) + " 0 R ";
  for (int F = 0; F < 12; ++F) Fonts += "/F" + IntToStr(F + 1) + " " + IntToStr(4 + F) + " 0 R ";
  Objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
  Objects.push_back("<< /Type /Pages /Kids [" + Kids + "] /Count " + IntToStr(PageCount) + " >>");
  Objects.push_back("<< /Title " + PdfString(Title) + " /Producer (Velmoric) >>");
  for (const char* Base : BaseFonts)
    Objects.push_back(std::string("<< /Type /Font /Subtype /Type1 /BaseFont /") + Base +
                      " /Encoding /WinAnsiEncoding >>");
  for (int P = 0; P < PageCount; ++P) {
    const std::string& Content = Pages.Pages[P];
    Objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << " + Fonts +
                      ">> >> /Contents " + IntToStr(FirstPage + 2 * P + 1) + " 0 R >>");
    Objects.push_back("<< /Length " + IntToStr(static_cast<int>(Content.size())) + " >>\nstream\n" + Content +
                      "endstream");
  }
  std::string Pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
  std::vector<size_t> Offsets;
  for (size_t I = 0; I < Objects.size(); ++I) {
    Offsets.push_back(Pdf.size());
    Pdf += IntToStr(static_cast<int>(I + 1)) + " 0 obj\n" + Objects[I] + "\nendobj\n";
  }
  const size_t XRef = Pdf.size();
  Pdf += "xref\n0 " + IntToStr(static_cast<int>(Objects.size() + 1)) + "\n0000000000 65535 f \n";
  for (size_t Offset : Offsets) {
    char Buf[24];
    std::snprintf(Buf, sizeof Buf, "%010zu 00000 n \n", Offset);
    Pdf += Buf;
  }
  Pdf += "trailer\n<< /Size " + IntToStr(static_cast<int>(Objects.size() + 1)) +
         " /Root 1 0 R /Info 3 0 R >>\nstartxref\n" + std::to_string(XRef) + "\n%%EOF\n";
  return Pdf;
}
