// The rich text document and the rich edit control: RTF as the help pages
// and rich edits of the time wrote it, read into paragraphs and formatted
// runs and written back; broken RTF read without harm; the selection, its
// attributes, the lines and the clipboard of the control.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/Dialogs.h"
#include "platform/vcl/RichEdit.h"
#include "platform/vcl/ScriptHooks.h"

namespace {

const std::string HelpHeader =
    "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans Serif;}{\\f1\\froman\\fcharset2 "
    "Symbol;}{\\f2\\fswiss\\fcharset1 MS Sans Serif;}{\\f3\\fswiss\\fcharset1 Courier;}}\r\n"
    "{\\colortbl\\red0\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
    "\\deflang1031\\plain\\f2\\fs30\\cf1 TFoo\\plain\\f2\\fs16\r\n"
    "\\par \\plain\\f3\\fs16\r\n"
    "\\par TFoo= class(TObject)\r\n"
    "\\par }\r\n";

TRichTextDocument Load(const std::string& Rtf) {
  TRichTextDocument D;
  D.LoadRtf(Rtf);
  return D;
}

std::vector<std::string> LinesOf(const std::string& Text) {
  std::vector<std::string> Lines;
  size_t Start = 0;
  for (size_t P; (P = Text.find("\r\n", Start)) != std::string::npos; Start = P + 2)
    Lines.push_back(Text.substr(Start, P - Start));
  if (Start < Text.size()) Lines.push_back(Text.substr(Start));
  return Lines;
}

TEST(RichTextTest, ReadsHelpHeaderWithFontsColoursAndParagraphs) {
  const TRichTextDocument D = Load(HelpHeader);
  EXPECT_EQ(D.Text(), "TFoo\r\n\r\nTFoo= class(TObject)");
  ASSERT_EQ(D.ParagraphCount(), 3);
  const TCharFormat Title = D.Paragraph(0).Runs.at(0).Format;
  EXPECT_EQ(Title.FontName, "MS Sans Serif");
  EXPECT_EQ(Title.HalfPoints, 30);
  EXPECT_EQ(Title.Color, clBlue);
  const TCharFormat Body = D.Paragraph(2).Runs.at(0).Format;
  EXPECT_EQ(Body.FontName, "Courier");
  EXPECT_EQ(Body.HalfPoints, 16);
  EXPECT_EQ(Body.Color, clBlack);
}

TEST(RichTextTest, ReadsCharacterAndParagraphAttributes) {
  const TRichTextDocument D = Load(
      "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Arial;\\f1\\fnil Times;}"
      "{\\colortbl;\\red255\\green0\\blue0;}"
      "\\pard\\qc\\f1\\b bold\\b0 {\\i ital}\\ul under\\ulnone{\\v hidden}x\\par"
      "\\pard\\qr\\tab tab\\'e4\\{\\}\\\\\\page"
      "{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}bullet{\\up $}{\\footnote $ Topic}\\par}");
  ASSERT_EQ(D.ParagraphCount(), 3);
  EXPECT_EQ(D.Paragraph(0).Text(), "bolditalunderhiddenx");
  EXPECT_EQ(D.Paragraph(0).Format.Alignment, taCenter);
  const auto& R = D.Paragraph(0).Runs;
  ASSERT_EQ(R.size(), 5u);
  EXPECT_TRUE(R[0].Format.Bold);
  EXPECT_EQ(R[0].Format.FontName, "Times");
  EXPECT_EQ(R[0].Text, "bold");
  EXPECT_TRUE(R[1].Format.Italic && !R[1].Format.Bold);
  EXPECT_TRUE(R[2].Format.Underline);
  EXPECT_TRUE(R[3].Format.Hidden);
  EXPECT_FALSE(R[4].Format.Hidden || R[4].Format.Underline);
  EXPECT_EQ(D.Paragraph(1).Text(), "\ttab\xe4{}\\");
  EXPECT_EQ(D.Paragraph(1).Format.Alignment, taRightJustify);
  EXPECT_TRUE(D.Paragraph(2).Format.PageBreakBefore);
  EXPECT_EQ(D.Paragraph(2).Format.Numbering, nsBullet);
  EXPECT_EQ(D.Paragraph(2).Text(), "bullet$$ Topic");
  EXPECT_TRUE(D.Paragraph(2).Runs.back().Format.Footnote);
  EXPECT_EQ(D.VisibleText(), "bolditalunderx\r\n\ttab\xe4{}\\\r\nbullet$");
}

TEST(RichTextTest, UnicodeEscapesAndSkippedGroups) {
  EXPECT_EQ(Load("{\\rtf1 a\\u228?b\\u8364\\'80c\\uc2\\u-4000xyd}").Text(), "a\xe4" "b?c?d");
  EXPECT_EQ(Load("{\\rtf1{\\info{\\title T}}{\\*\\generator G;}{\\stylesheet{\\s1 Heading;}}"
                 "{\\*\\unknowndest skip}\\unknownword keep\\par}")
                .Text(),
            "keep");
  EXPECT_EQ(Load("plain\r\ntext").Text(), "plain\r\ntext");
  EXPECT_TRUE(Load("{\\rtf1 }").Empty());
}

TEST(RichTextTest, BrokenRtfIsReadWithoutHarm) {
  const std::vector<std::string> Inputs = {
      "{\\rtf1 unclosed {\\b group",
      "{\\rtf1 text}} trailing } braces {",
      "{\\rtf1 \\'",
      "{\\rtf1 \\'4",
      "{\\rtf1 \\'zz ok}",
      "{\\rtf1 \\fs99999999999999999999 big \\f-7 \\cf123456789 \\u99999999 \\uc999999 x}",
      "{\\rtf1 \\abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz1 long}",
      "{\\rtf1{\\fonttbl{\\f0 unterminated}}{\\colortbl\\red300;;}\\f0\\cf2 z}",
      "{\\rtf1 \\",
      std::string("{\\rtf1 nul\0byte}", 16),
      "{\\rtf1 " + std::string(100000, '{') + "deep" + std::string(100000, '}'),
      "{\\rtf1 " + std::string(5000, '\\') + "}",
  };
  for (const std::string& In : Inputs) {
    TRichTextDocument D;
    D.LoadRtf(In);
    TRichTextDocument Again;
    Again.LoadRtf(D.SaveRtf());
    EXPECT_EQ(Again.Text(), D.Text()) << In.substr(0, 60);
  }
  EXPECT_EQ(Load("{\\rtf1 " + std::string(100000, '{') + "deep" + std::string(100000, '}')).Text(), "deep");
}

TEST(RichTextTest, WrittenRtfReadsBackTheSameDocument) {
  TRichTextDocument D = Load(
      "{\\rtf1{\\fonttbl\\f0\\fnil Arial;\\f1\\fnil Courier New;}{\\colortbl;\\red0\\green128\\blue0;}"
      "\\pard\\qc\\f1\\fs25\\cf1\\b Title\\b0\\par\\pard\\li720\\fi-360 {\\uldb Link}{\\v target}"
      "\\par\\page{\\*\\pn\\pnlvlblt}item \\'fc\\{x\\}{\\footnote # ctx}\\par\\par}");
  const std::string Rtf = D.SaveRtf();
  const std::vector<std::string> Lines = LinesOf(Rtf);
  ASSERT_GE(Lines.size(), 5u);
  EXPECT_EQ(Lines[0].rfind("{\\rtf1\\ansi\\deff0", 0), 0u);
  EXPECT_EQ(Lines[1].rfind("{\\colortbl", 0), 0u);
  EXPECT_EQ(Lines[2].rfind("\\deflang", 0), 0u);
  EXPECT_EQ(Lines[3].rfind("\\par ", 0), 0u);
  EXPECT_EQ(Lines[4].rfind("\\par\\page ", 0), 0u);
  EXPECT_EQ(Lines.back(), "\\par }");

  const TRichTextDocument Back = Load(Rtf);
  ASSERT_EQ(Back.ParagraphCount(), D.ParagraphCount());
  for (int P = 0; P < D.ParagraphCount(); ++P) {
    EXPECT_EQ(Back.Paragraph(P).Format, D.Paragraph(P).Format) << P;
    ASSERT_EQ(Back.Paragraph(P).Runs.size(), D.Paragraph(P).Runs.size()) << P;
    for (size_t R = 0; R < D.Paragraph(P).Runs.size(); ++R) {
      EXPECT_EQ(Back.Paragraph(P).Runs[R].Text, D.Paragraph(P).Runs[R].Text);
      EXPECT_EQ(Back.Paragraph(P).Runs[R].Format, D.Paragraph(P).Runs[R].Format) << P << " " << R;
    }
  }
  EXPECT_EQ(D.Paragraph(0).Runs[0].Format.HalfPoints, 25);
  EXPECT_EQ(D.Paragraph(1).Format.FirstIndent, -360);
  EXPECT_EQ(D.Text(), "Title\r\nLinktarget\r\nitem \xfc{x}# ctx\r\n");

  TRichTextDocument Empty;
  EXPECT_TRUE(Load(Empty.SaveRtf()).Empty());
}

TEST(RichTextTest, EditingByPositionsSplitsAndJoinsParagraphs) {
  TRichTextDocument D;
  TCharFormat Bold;
  Bold.Bold = true;
  D.Replace(0, 0, "one\r\ntwo\nthree", D.DefaultFormat);
  EXPECT_EQ(D.ParagraphCount(), 3);
  D.Replace(2, 6, "", D.DefaultFormat);  // "e\r\ntwo\r" goes: positions count breaks as two
  EXPECT_EQ(D.Text(), "on\r\nthree");
  D.Replace(2, 0, "X", Bold);
  EXPECT_EQ(D.Text(), "onX\r\nthree");
  EXPECT_TRUE(D.FormatAt(2).Bold);
  EXPECT_FALSE(D.FormatAt(1).Bold);
  EXPECT_EQ(D.Range(1, 6).Text(), "nX\r\nth");
  D.ApplyFormat(0, 100, [](TCharFormat& F) { F.Italic = true; });
  EXPECT_TRUE(D.FormatAt(7).Italic);
  D.Replace(0, D.TextLength(), "", D.DefaultFormat);
  EXPECT_TRUE(D.Empty());
}

class RichEditTest : public testing::Test {
 protected:
  void SetUp() override {
    Edit.OnChange = [this](TObject*) { ++Changes; };
    Edit.OnSelectionChange = [this](TObject*) { ++SelChanges; };
  }
  TRichEdit Edit{nullptr};
  int Changes = 0, SelChanges = 0;
};

TEST_F(RichEditTest, SelectionAttributesApplyAndReport) {
  Edit.SetText("Hello world");
  EXPECT_EQ(Changes, 1);
  Edit.Select(6, 5);
  EXPECT_EQ(Edit.SelText(), "world");
  Edit.SelAttributes()->SetStyle(fsBold | fsUnderline);
  Edit.SelAttributes()->SetSize(14);
  Edit.SelAttributes()->SetColor(clRed);
  EXPECT_EQ(Changes, 4);
  Edit.Select(7, 0);  // the caret takes the character before it
  EXPECT_EQ(Edit.SelAttributes()->Style(), fsBold | fsUnderline);
  EXPECT_EQ(Edit.SelAttributes()->Size(), 14);
  Edit.Select(0, 3);
  EXPECT_EQ(Edit.SelAttributes()->Style(), 0);

  // At an empty selection the attributes hold for what is typed next.
  Edit.Select(5, 0);
  Edit.SelAttributes()->SetStyle(fsItalic);
  Edit.TypeText(",");
  EXPECT_TRUE(Edit.Modified);
  EXPECT_EQ(Edit.Text(), "Hello, world");
  Edit.Select(5, 1);
  EXPECT_EQ(Edit.SelAttributes()->Style(), fsItalic);
  EXPECT_GE(SelChanges, 5);

  Edit.Paragraph()->SetAlignment(taCenter);
  Edit.Paragraph()->SetNumbering(nsBullet);
  EXPECT_EQ(Edit.Paragraph()->Alignment(), taCenter);
  const std::string Rtf = Edit.RtfText();
  EXPECT_NE(Rtf.find("\\qc"), std::string::npos);
  EXPECT_NE(Rtf.find("\\pnlvlblt"), std::string::npos);
  EXPECT_NE(Rtf.find("\\b\\ul world"), std::string::npos) << Rtf;
}

TEST_F(RichEditTest, LinesAndStreams) {
  TRichEditStrings& L = *Edit.Lines();
  EXPECT_EQ(L.Count(), 0);
  L.Add("first");
  L.Add("");
  L.Add("third");
  L.Insert(0, "zero");
  EXPECT_EQ(Edit.Text(), "zero\r\nfirst\r\n\r\nthird");
  L.Put(1, "FIRST");
  L.Delete(2);
  EXPECT_EQ(L.Count(), 3);
  EXPECT_EQ(L[2], "third");
  EXPECT_THROW(L.Get(3), EStringListError);

  TStringStream In(HelpHeader);
  L.LoadFromStream(In);
  EXPECT_EQ(L.Count(), 3);
  EXPECT_EQ(L[2], "TFoo= class(TObject)");
  TStringStream Out;
  L.SaveToStream(Out);
  EXPECT_EQ(Out.DataString().rfind("{\\rtf1", 0), 0u);
  Edit.PlainText = true;
  TStringStream Plain;
  L.SaveToStream(Plain);
  EXPECT_EQ(Plain.DataString(), "TFoo\r\n\r\nTFoo= class(TObject)\r\n");
}

TEST_F(RichEditTest, SelectedTextIsReplacedAndCopiedWithItsFormatting) {
  Edit.SetRtfText("{\\rtf1 plain {\\b bold}\\par second\\par}");
  Edit.Select(6, 4);
  EXPECT_EQ(Edit.SelText(), "bold");
  Edit.CopyToClipboard();
  EXPECT_EQ(Clipboard().AsText(), "bold");

  TRichEdit Target(nullptr);
  Target.SetText("x");
  Target.SetSelStart(1);
  Target.PasteFromClipboard();
  EXPECT_EQ(Target.Text(), "xbold");
  Target.Select(2, 1);
  EXPECT_EQ(Target.SelAttributes()->Style(), fsBold);
  EXPECT_EQ(Target.SelStart(), 2);

  // Text put on the clipboard elsewhere pastes as plain text.
  Clipboard().SetAsText("other");
  Target.SetSelStart(0);
  Target.PasteFromClipboard();
  EXPECT_EQ(Target.Text(), "otherxbold");
  Target.Select(0, 1);
  EXPECT_EQ(Target.SelAttributes()->Style(), 0);

  // A selection through the final paragraph mark copies the break too.
  Edit.Select(0, Edit.GetTextLen() + 2);
  EXPECT_EQ(Edit.SelText(), "plain bold\r\nsecond\r\n");
  Edit.CopyToClipboard();
  TRichEdit Clip(nullptr);
  Clip.PasteFromClipboard();
  Clip.PasteFromClipboard();
  EXPECT_EQ(Clip.Text(), "plain bold\r\nsecond\r\nplain bold\r\nsecond\r\n");

  Edit.Select(0, 6);
  Edit.SetSelText("new\r\nline ");
  EXPECT_EQ(Edit.Text(), "new\r\nline bold\r\nsecond");
  EXPECT_EQ(Edit.SelStart(), 10);
  Edit.CutToClipboard();
  Edit.ReadOnly = true;
  Edit.TypeText("ignored");
  EXPECT_EQ(Edit.Text(), "new\r\nline bold\r\nsecond");
}

TEST_F(RichEditTest, ScriptsReadTheVisibleLinesAndTypeOverTheText) {
  Edit.SetName("RichEditText");
  Edit.SetRtfText("{\\rtf1 {\\uldb Link}{\\v Target}\\par\\par second\\par}");
  std::vector<std::string> Lines;
  Edit.ScriptPrint(Lines);
  EXPECT_EQ(Lines, (std::vector<std::string>{"TRichEdit RichEditText", "  | Link", "  | ", "  | second"}));

  EXPECT_TRUE(Edit.ScriptAction("select", {"0", "4"}));
  EXPECT_EQ(Edit.SelText(), "Link");
  EXPECT_TRUE(Edit.ScriptAction("set", {"new\ntext"}));
  EXPECT_EQ(Edit.Text(), "new\r\ntext");
  EXPECT_TRUE(Edit.Modified);
  EXPECT_THROW(Edit.ScriptAction("select", {"x", "1"}), EScriptError);
  Edit.ReadOnly = true;
  EXPECT_THROW(Edit.ScriptAction("set", {"no"}), EScriptError);
}

}  // namespace
