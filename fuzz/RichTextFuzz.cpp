// RTF as any file may hold it, read into the rich edit's document: the text
// agrees with the paragraphs, the document written as RTF reads back the
// same, and edits at positions taken from the input keep the text and its
// length in step.
#include "FuzzSupport.h"
#include "platform/vcl/RichText.h"

namespace {

void CheckSame(const TRichTextDocument& A, const TRichTextDocument& B, const char* What) {
  FUZZ_CHECK(A.ParagraphCount() == B.ParagraphCount(), std::string(What) + ": paragraph count");
  for (int P = 0; P < A.ParagraphCount(); ++P) {
    const TParagraph& X = A.Paragraph(P);
    const TParagraph& Y = B.Paragraph(P);
    FUZZ_CHECK(X.Format == Y.Format, std::string(What) + ": format of paragraph " + std::to_string(P));
    FUZZ_CHECK(X.Runs.size() == Y.Runs.size(), std::string(What) + ": runs of paragraph " + std::to_string(P));
    for (size_t R = 0; R < X.Runs.size(); ++R) {
      FUZZ_CHECK(X.Runs[R].Text == Y.Runs[R].Text, std::string(What) + ": text of a run");
      FUZZ_CHECK(X.Runs[R].Format == Y.Runs[R].Format, std::string(What) + ": format of run '" + X.Runs[R].Text + "'");
    }
  }
}

void CheckText(const TRichTextDocument& D) {
  const std::string Text = D.Text();
  FUZZ_CHECK(static_cast<int>(Text.size()) == D.TextLength(), "text length");
  for (int P = 0; P < D.ParagraphCount(); ++P)
    for (const TTextRun& R : D.Paragraph(P).Runs) {
      FUZZ_CHECK(!R.Text.empty(), "an empty run");
      FUZZ_CHECK(R.Text.find_first_of("\r\n") == std::string::npos, "a line end inside a paragraph");
    }
}

}  // namespace

void FuzzRichText(const uint8_t* Data, size_t Size) {
  const std::string_view Input = AsText(Data, Size);
  TRichTextDocument D;
  D.LoadRtf(Input);
  CheckText(D);

  const std::string Rtf = D.SaveRtf();
  TRichTextDocument Back;
  Back.LoadRtf(Rtf);
  CheckSame(D, Back, "written and read back");
  FUZZ_CHECK(Back.SaveRtf() == Rtf, "written twice, the RTF differs");

  // Edits at positions the input gives.
  TFuzzBytes Bytes(Data, Size);
  const int Len = D.TextLength();
  const int Start = static_cast<int>(Bytes.Below(static_cast<uint32_t>(Len) + 3));
  const int Count = static_cast<int>(Bytes.Below(static_cast<uint32_t>(Len) + 3));
  const std::string Before = D.Range(Start, Count).Text();
  TCharFormat Bold;
  Bold.Bold = true;
  D.ApplyFormat(Start, Count, [](TCharFormat& F) { F.Italic = !F.Italic; });
  CheckText(D);
  FUZZ_CHECK(D.Range(Start, Count).Text() == Before, "formatting changed the text");
  D.Replace(Start, Count, "a\r\nb", Bold);
  CheckText(D);
  TRichTextDocument Again;
  Again.LoadRtf(D.SaveRtf());
  CheckSame(D, Again, "edited, written and read back");
}
