// The manual template and the help converter: the word reader, the style
// sheet of a template, the tags and their ".par" file, the template's
// preamble, and the rewriting of an assembled document into a manual or a
// WinHelp source, compared line by line.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "help/VelmoricRTFUtil.h"
#include "platform/vcl/RichEdit.h"
#include "project/VelmoricProjectSettings.h"

namespace {

const std::string Template =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}}\r\n"
    "{\\stylesheet{\\fs20 \\snext0 Normal;}{\\s1\\sbasedon0\\snext0\\b\\fs32 heading 1;}\r\n"
    "{\\s2\\sbasedon1\\snext0\\i\\fs24 heading 2;}{\\s3\\snext3\\fs20 body text;}}\r\n"
    "\\pard\\plain\\s1 Manual\\par \\pard\\plain Text\\par\r\n"
    "}\r\n";

std::vector<std::string> LinesOf(const TStrings& L) {
  std::vector<std::string> V;
  for (int I = 0; I < L.Count(); ++I) V.push_back(L[I]);
  return V;
}

std::vector<std::string> FileLines(const std::string& File) {
  TStringList L;
  L.LoadFromFile(File);
  return LinesOf(L);
}

class RTFUtilTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string Templ = testing::TempDir() + "velmoric-rtf-XXXXXX";
    ASSERT_NE(::mkdtemp(Templ.data()), nullptr);
    Dir = Templ + "/";
    SavedPath = VelmoricPath;
    VelmoricPath = Dir + "data/";
    std::filesystem::create_directories(VelmoricPath);
    TemplateFile = Dir + "manual.rtf";
    WriteFileBytes(TemplateFile, Template);
  }
  void TearDown() override {
    VelmoricPath = SavedPath;
    std::error_code Ec;
    std::filesystem::remove_all(Dir, Ec);
  }

  void LoadTemplate(TVelmoricRTF& R) {
    R.ReadFromFile(TemplateFile);
    R.ReadStylesheets();
  }

  std::string Dir, SavedPath, TemplateFile;
};

TEST_F(RTFUtilTest, WordReaderSplitsControlWordsTextAndGroups) {
  TVelmoricRTF R;
  R.PutText("{\\Fs20  Arial;\r\n\\s1\\'e4 x}");
  std::vector<std::string> Words;
  while (R.GetNextWord()) Words.push_back((R.IsControl ? "\\" : "") + R.Word + "|" + R.Blanks);
  EXPECT_EQ(Words, (std::vector<std::string>{"{|", "\\fs|", "20|  ", "Arial|", ";|", "\\s|", "1|", "\\'e|", "4| ",
                                             "x|", "}|"}));
  EXPECT_EQ(R.Depth, 0);

  R.PutText("\\fs20\\sbasedon12 a1b2");
  R.KeepDigits = true;
  std::string Name;
  int Number = -1;
  ASSERT_TRUE(R.GetNextWord());
  EXPECT_EQ(R.Word, "fs20");
  ASSERT_TRUE(R.GetNextWord());
  R.GetParameter(Name, Number);
  EXPECT_EQ(Name, "sbasedon");
  EXPECT_EQ(Number, 12);
  ASSERT_TRUE(R.GetNextWord());
  R.GetParameter(Name, Number);
  EXPECT_EQ(Name, "ab");
  EXPECT_EQ(Number, 12);
  R.PutText("\\plain");
  R.GetNextWord();
  R.GetParameter(Name, Number);
  EXPECT_EQ(Number, 0);
  EXPECT_FALSE(R.GetNextWord());
}

TEST_F(RTFUtilTest, StyleSheetOfTheTemplate) {
  TVelmoricRTF R;
  LoadTemplate(R);
  EXPECT_EQ(R.FileName, TemplateFile);
  ASSERT_EQ(R.GetSheetCount(), 4);
  EXPECT_EQ(R.GetSheet(0)->StyleName, "Normal");
  EXPECT_EQ(R.GetSheet(0)->Control, "\\fs20");
  EXPECT_EQ(R.GetSheet(0)->Next, "\\snext0");
  const TStyleSheet* H1 = R.GetSheetByName("heading 1");
  ASSERT_NE(H1, nullptr);
  EXPECT_EQ(H1->Control, "\\s1");
  EXPECT_EQ(H1->BasedOn, "\\sbasedon0");
  EXPECT_EQ(H1->BasedOnNumber, 0);
  EXPECT_EQ(H1->Next, "\\snext0");
  EXPECT_EQ(H1->Format, "\\b\\fs32 ");
  EXPECT_EQ(R.GetSheetByName("heading 2")->BasedOnNumber, 1);
  EXPECT_EQ(R.GetSheetByName("body text")->NextNumber, 3);
  EXPECT_EQ(R.GetSheetByName("missing"), nullptr);
  EXPECT_EQ(R.FindSheetFormat("Class title"), nullptr);  // no ".par" file: no tags, no error

  R.preprocess();
  EXPECT_EQ(R.Fonts.Values("1"), "Arial");
  EXPECT_EQ(R.GetSheetCount(), 4);  // read again, updated in place
}

TEST_F(RTFUtilTest, TagsAndTheirParameterFile) {
  EXPECT_EQ(TVelmoricRTF::GetTagID("Member title"), 4);
  EXPECT_EQ(TVelmoricRTF::GetTagID("Document title"), 0);
  EXPECT_EQ(TVelmoricRTF::GetTagID("member title"), RTFNoTag);
  EXPECT_EQ(TVelmoricRTF::GetSpecialTag(3), "</Class title>");
  EXPECT_EQ(TVelmoricRTF::GetSpecialTag(6), "</Standard text>");

  {
    TVelmoricRTF R;
    LoadTemplate(R);
    R.GetSheetByName("heading 1")->UsedFor = "Class title";
    R.GetSheetByName("body text")->UsedFor = "Standard text";
    R.SaveParameters();
  }
  EXPECT_EQ(FileLines(TemplateFile + ".par"),
            (std::vector<std::string>{"Normal", "", "heading 1", "Class title", "heading 2", "", "body text",
                                      "Standard text"}));
  // A pair naming a style the template lacks is passed over.
  WriteFileBytes(TemplateFile + ".par", "gone\r\nUnit title\r\nheading 2\r\nMember title\r\n");
  TVelmoricRTF R;
  LoadTemplate(R);
  EXPECT_EQ(R.FindSheetFormat("Member title"), R.GetSheetByName("heading 2"));
  EXPECT_EQ(R.FindSheetFormat("Unit title"), nullptr);
}

TEST_F(RTFUtilTest, CopyStartGivesThePreamble) {
  TVelmoricRTF R;
  LoadTemplate(R);
  TStringList L;
  L.Add("before");
  R.CopyStart(L);
  ASSERT_EQ(L.Count(), 5);
  EXPECT_EQ(L[0], "before");
  EXPECT_EQ(L[1], "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}}");
  EXPECT_EQ(L[4], "\\pard\\plain\\s1 Manual\\par ");

  L.Delete(0);
  TRichEdit Edit(nullptr);
  TVelmoricRTF::CopyLinesToControl(L, Edit);
  EXPECT_EQ(Edit.Text(), "Manual");
}

// An assembled document as the rich edit writes it, with a class heading,
// a link line and a description region.
TStringList* Assembled() {
  auto* L = new TStringList;
  L->SetText(
      "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fnil Arial;}}\r\n"
      "{\\colortbl\\red0\\green0\\blue0;}\r\n"
      "\\deflang1033\\pard\\plain\\f0\\fs20 start\r\n"
      "\\par </Class title>\r\n"
      "\\par \\plain\\f2\\fs30\\cf1 TFoo.Bar<TFoo_Bar\\plain\\f2\\fs16\r\n"
      "\\par see /link[Run<TFoo_Run] and /link[Stop<TFoo_Stop]\\par\\pard more\r\n"
      "\\par </Description region>\r\n"
      "\\par Description text /link[broken] /link[Run<x]\r\n"
      "\\par }\r\n");
  return L;
}

TEST_F(RTFUtilTest, HelpSourceGetsTopicsFootnotesAndHotspots) {
  TVelmoricRTF R;
  LoadTemplate(R);
  R.GetSheetByName("heading 1")->UsedFor = "Class title";
  R.GetSheetByName("body text")->UsedFor = "Standard text";
  std::unique_ptr<TStringList> Source(Assembled());
  const std::string Out = Dir + "out/help.rtf";
  std::filesystem::create_directories(Dir + "out");
  R.SaveFileWithPostProcess(*Source, Out, true);

  EXPECT_EQ(FileLines(Out),
            (std::vector<std::string>{
                "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}}",
                "{\\stylesheet{\\fs20 \\snext0 Normal;}{\\s1\\sbasedon0\\snext0\\b\\fs32 heading 1;}",
                "{\\s2\\sbasedon1\\snext0\\i\\fs24 heading 2;}{\\s3\\snext3\\fs20 body text;}}",
                "\\pard\\plain\\s1 Manual\\par ",
                "\\par\\page",
                "{\\up $}{\\footnote $ TFoo.Bar}",
                "{\\up #}{\\footnote # TFoo_Bar}",
                "{\\up K}{\\footnote K Bar}",
                "\\keepn",
                "\\par \\s1\\b\\fs32  TFoo.Bar",
                "\\plain \\s3\\fs20 ",
                "\\par see {\\uldb {Run}}{\\v TFoo_Run} and {\\uldb {Stop}}{\\v TFoo_Stop} more",
                "\\par\\pard",
                "\\par </Description region>",
                "\\par Description text /link[broken] /link[Run<x]",
                "\\par }",
            }));
  // The lines as they came, in the data directory.
  EXPECT_EQ(FileLines(VelmoricPath + "raw.rtf"), LinesOf(*Source));
  EXPECT_FALSE(FileExists("/raw.rtf") && std::filesystem::last_write_time("/raw.rtf") >=
                                             std::filesystem::last_write_time(VelmoricPath + "raw.rtf"));
}

TEST_F(RTFUtilTest, ManualOnlyStylesItsHeadings) {
  TVelmoricRTF R;
  LoadTemplate(R);
  R.GetSheetByName("heading 1")->UsedFor = "Class title";
  std::unique_ptr<TStringList> Source(Assembled());
  const std::string Out = Dir + "manual-out.rtf";
  R.SaveFileWithPostProcess(*Source, Out, false);
  const std::vector<std::string> Lines = FileLines(Out);
  ASSERT_EQ(Lines.size(), 10u);
  EXPECT_EQ(Lines[3], "\\pard\\plain\\s1 Manual\\par ");
  EXPECT_EQ(Lines[4], "\\par \\s1\\b\\fs32  TFoo.Bar");
  EXPECT_EQ(Lines[5], "\\par\\pard\\plain");  // no style for standard text
  EXPECT_EQ(Lines[6], "\\par see {\\uldb {Run}}{\\v TFoo_Run} and {\\uldb {Stop}}{\\v TFoo_Stop}\\par\\pard more");
  for (const std::string& L : Lines) EXPECT_EQ(L.find("\\page"), std::string::npos) << L;
}

TEST_F(RTFUtilTest, ContextsAndKeywordsOfHeadings) {
  TVelmoricRTF R;  // no template: the document keeps its own preamble
  R.ReadFromFile(Dir + "missing.rtf");
  EXPECT_EQ(R.FileName, "");
  TStringList Source;
  Source.SetText(
      "{\\rtf1{\\fonttbl{\\f0\\fnil Arial;}}\r\n"
      "\\deflang1033\\pard x\r\n"
      "\\par </Member title>\r\n"
      "\\par \\b A.B c<x.y z\\b0\r\n"
      "\\par </Unit title>\r\n"
      "\\par Plain\r\n"
      "\\par }\r\n");
  const std::string Out = Dir + "ctx.rtf";
  R.SaveFileWithPostProcess(Source, Out, true);
  const std::vector<std::string> Lines = FileLines(Out);
  ASSERT_EQ(Lines.size(), 17u);
  EXPECT_EQ(Lines[0], "{\\rtf1{\\fonttbl{\\f0\\fnil Arial;}}");
  EXPECT_EQ(Lines[1], "\\deflang1033\\pard x");
  EXPECT_EQ(Lines[3], "{\\up $}{\\footnote $ A.B c}");
  EXPECT_EQ(Lines[4], "{\\up #}{\\footnote # x_y_z}");
  EXPECT_EQ(Lines[5], "{\\up K}{\\footnote K B c}");
  EXPECT_EQ(Lines[7], "\\par </Member title>");  // no style: stays as written
  EXPECT_EQ(Lines[10], "{\\up $}{\\footnote $ Plain}");
  EXPECT_EQ(Lines[11], "{\\up #}{\\footnote # Plain}");
  EXPECT_EQ(Lines[12], "{\\up K}{\\footnote K Plain}");
}

TEST_F(RTFUtilTest, RichEditDocumentGoesThroughTheConverter) {
  TVelmoricRTF R;
  LoadTemplate(R);
  R.GetSheetByName("heading 2")->UsedFor = "Member title";
  TRichEdit Clip(nullptr);
  Clip.Lines()->Add("intro");
  Clip.Lines()->Add(TVelmoricRTF::GetSpecialTag(4));
  Clip.Lines()->Add("TFoo.Run<TFoo_Run");
  Clip.Lines()->Add("Runs it: /link[Stop<TFoo_Stop]");
  const std::string Out = Dir + "clip.rtf";
  R.SaveFileWithPostProcess(Clip, Out, true);
  const std::string Written = ReadFileBytes(Out);
  EXPECT_NE(Written.find("{\\up #}{\\footnote # TFoo_Run}"), std::string::npos) << Written;
  EXPECT_NE(Written.find("\\par \\s2\\i\\fs24  TFoo.Run\r\n"), std::string::npos) << Written;
  EXPECT_NE(Written.find("{\\uldb {Stop}}{\\v TFoo_Stop}"), std::string::npos) << Written;
  EXPECT_EQ(Written.find("\\deflang"), std::string::npos);  // the template's preamble instead
  EXPECT_EQ(Written.rfind("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}", 0), 0u);
}

}  // namespace
