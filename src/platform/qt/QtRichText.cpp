#include "platform/qt/QtRichText.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "platform/vcl/RichEdit.h"

namespace {

QString Q(const std::string& S) { return QString::fromLatin1(S.data(), static_cast<qsizetype>(S.size())); }

QColor ToColor(TColor Color) { return QColor(Color & 0xFF, (Color >> 8) & 0xFF, (Color >> 16) & 0xFF); }

QTextCharFormat CharFormat(const TCharFormat& F) {
  QTextCharFormat C;
  C.setFontFamilies({Q(F.FontName)});
  C.setFontPointSize(F.HalfPoints > 0 ? F.HalfPoints / 2.0 : 10.0);
  C.setFontWeight(F.Bold ? QFont::Bold : QFont::Normal);
  C.setFontItalic(F.Italic);
  C.setFontUnderline(F.Underline || F.DoubleUnderline);
  C.setFontStrikeOut(F.StrikeOut);
  // Hidden text keeps its place (positions count it) but shows faint.
  C.setForeground(F.Hidden ? QColor(Qt::lightGray) : ToColor(F.Color));
  if (F.Footnote) C.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
  return C;
}

QTextBlockFormat BlockFormat(const TParaFormat& F) {
  QTextBlockFormat B;
  B.setAlignment(F.Alignment == taCenter ? Qt::AlignHCenter : F.Alignment == taRightJustify ? Qt::AlignRight
                                                                                             : Qt::AlignLeft);
  // Twips to points: the document's units at 72 dots per inch.
  B.setLeftMargin(F.LeftIndent / 20.0);
  B.setRightMargin(F.RightIndent / 20.0);
  B.setTextIndent(F.FirstIndent / 20.0);
  if (F.PageBreakBefore) B.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
  return B;
}

}  // namespace

void FillTextDocument(QTextDocument& Doc, const TRichTextDocument& Rich) {
  Doc.clear();
  QTextCursor Cursor(&Doc);
  for (int P = 0; P < Rich.ParagraphCount(); ++P) {
    const TParagraph& Para = Rich.Paragraph(P);
    if (P == 0) Cursor.setBlockFormat(BlockFormat(Para.Format));
    else Cursor.insertBlock(BlockFormat(Para.Format));
    if (Para.Format.Numbering == nsBullet) Cursor.createList(QTextListFormat::ListDisc);
    for (const TTextRun& Run : Para.Runs) Cursor.insertText(Q(Run.Text), CharFormat(Run.Format));
  }
}

int RichPosition(const QTextDocument& Doc, int Position) {
  const QTextBlock Block = Doc.findBlock(Position);
  return Block.isValid() ? Position + Block.blockNumber() : Position;
}

int QtPosition(const QTextDocument& Doc, int RichPos) {
  int Breaks = 0;
  for (QTextBlock B = Doc.begin(); B.isValid(); B = B.next()) {
    const int Start = B.position() + Breaks;  // its library position
    if (RichPos <= Start + B.length() - 1 || !B.next().isValid())
      return std::min(B.position() + std::max(0, RichPos - Start), B.position() + B.length() - 1);
    ++Breaks;
  }
  return 0;
}

bool PrintRichTextWithDialog(const std::string& Title, const TRichTextDocument& Rich, QWidget* Parent) {
  QPrinter Printer;
  Printer.setDocName(Q(Title));
  QPrintDialog Dialog(&Printer, Parent);
  Dialog.setWindowTitle(Q(Title));
  if (Dialog.exec() != QDialog::Accepted) return false;
  QTextDocument Doc;
  FillTextDocument(Doc, Rich);
  Doc.print(&Printer);
  return true;
}
