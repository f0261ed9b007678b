// Virtual help pages: the structured comment and the page headers as RTF
// text, the unit page's links, the help table created on first use with
// pages stored, read back by a new process and chained by XParent, and the
// help command falling back to the comments when the table is unreadable.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../parser/ParserTestSupport.h"
#include "../project/CliTestUtil.h"
#include "help/VelmoricCreateTable.h"
#include "help/VelmoricVirtualHelp.h"
#include "platform/vcl/RichEdit.h"
#include "project/VelmoricProjectSettings.h"

namespace {

using projecttest::Quoted;
using projecttest::RunCli;

const std::string Unit =
    "unit Demo;\n"
    "interface\n"
    "type\n"
    "  TKind = (kA, kB);\n"
    "  TKinds = set of TKind;\n"
    "  TBase = class(TObject)\n"
    "  private\n"
    "    FCount: Integer;\n"
    "  public\n"
    "    procedure Run(Kinds: TKinds);\n"
    "    function Total: Integer;\n"
    "    property Count: Integer read FCount write FCount;\n"
    "    property Kind: TKind read FKind;\n"
    "  end;\n"
    "var\n"
    "  Global: TBase;\n"
    "procedure Helper(A: Integer);\n"
    "implementation\n"
    "//------------------------------------------------------------------------\n"
    "// procedure TBase Run(Kinds: TKinds)\n"
    "// Created : 14.03.98 10:12:40\n"
    "//\n"
    "// Parameters:\n"
    "// Kinds :what to run\n"
    "//\n"
    "// Description:\n"
    "// Runs the kinds given.\n"
    "//------------------------------------------------------------------------\n"
    "procedure TBase.Run(Kinds: TKinds);\n"
    "begin\n"
    "end;\n"
    "function TBase.Total: Integer;\n"
    "begin\n"
    "end;\n"
    "procedure Helper(A: Integer);\n"
    "begin\n"
    "end;\n"
    "end.\n";

std::vector<std::string> Lines(const TStrings& L) {
  std::vector<std::string> V;
  for (int I = 0; I < L.Count(); ++I) V.push_back(L[I]);
  return V;
}

TEST(VirtualHelpTest, StructuredCommentBecomesRtf) {
  TStringList Comment;
  Comment.SetText(
      "procedure TFoo Bar(Sender: TObject; Count: Integer)\n"
      "Created : 14.03.98 10:12:40\n"
      "\n"
      "Parameters:\n"
      "Sender :\n"
      "Count : how many \n"
      " : no name\n"
      "Description:\n"
      "First line\n"
      "  ------\n"
      "\n"
      "Second line\n"
      "\n");
  TStringList Rtf;
  CopyVelmoricComment(Comment, Rtf);
  EXPECT_EQ(Lines(Rtf),
            (std::vector<std::string>{
                "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans Serif;}{\\f1\\froman\\fcharset2 "
                "Symbol;}{\\f2\\froman Times New Roman;}}",
                "{\\colortbl\\red0\\green0\\blue0;}",
                "\\deflang1031\\pard\\tx1420\\plain Created : 14.03.98 10:12:40",
                "\\par",
                "\\par \\plain\\f2\\fs25\\b Parameters\\plain",
                "\\par \\plain\\f2\\fs20 Sender\\f2\\fs20 \\tab Specifies the control that caused the event",
                "\\par \\plain\\f2\\fs20 Count\\f2\\fs20 \\tab how many",
                "\\par",
                "\\par \\f2\\fs25\\b Description\\plain",
                "\\par",
                "\\par \\plain\\f2\\fs20 First line",
                "\\par \\plain\\f2\\fs20 ",
                "\\par \\plain\\f2\\fs20 Second line",
                "\\par }",
            }));

  // Only a created line; a parameter block running to the end.
  Comment.SetText("Created : today\nnothing else");
  Rtf.Clear();
  CopyVelmoricComment(Comment, Rtf);
  EXPECT_EQ(Rtf.Count(), 5);
  EXPECT_EQ(Rtf[4], "\\par }");
  Comment.SetText("Created : today\nParameters:\nA : first\n\n");
  Rtf.Clear();
  CopyVelmoricComment(Comment, Rtf);
  EXPECT_EQ(Rtf[5], "\\par \\plain\\f2\\fs20 A\\f2\\fs20 \\tab first");
  EXPECT_EQ(Rtf.Count(), 7);
  // A parameter heading without parameters writes no block.
  Comment.SetText("Created : today\nParameters:\nDescription:\ntext");
  Rtf.Clear();
  CopyVelmoricComment(Comment, Rtf);
  EXPECT_EQ(Rtf[4], "\\par");
  EXPECT_EQ(Rtf[5], "\\par \\f2\\fs25\\b Description\\plain");

  TRichEdit Editor(nullptr);
  Comment.SetText("Created : today\nDescription:\nSome text");
  CopyVelmoricComment(Editor, Comment);
  EXPECT_EQ(Editor.Text(), "Created : today\r\n\r\n\r\nDescription\r\n\r\nSome text");
}

TEST(VirtualHelpTest, HeadersOfEveryPageKind) {
  auto Source = ParseText(Unit, {oCompileImplementation, oCompileLocalVar}, "C:\\Src\\Demo.pas");
  TOrvikSymbol* Base = Top(*Source, "TBase");
  ASSERT_NE(Base, nullptr);
  EXPECT_EQ(NameOfSymbol(Base), "TBase");
  EXPECT_EQ(NameOfSymbol(Child(Base, "Run")), "TBase.Run");
  EXPECT_EQ(NameOfSymbol(&Source->symbols), "");

  TStringList L;
  CreateHelpHeader(Base, nullptr, L);
  EXPECT_EQ(Lines(L), (std::vector<std::string>{HelpHeaderFonts, HelpHeaderColors,
                                                "\\deflang1031\\plain\\f2\\fs30\\cf1 TBase\\plain\\f2\\fs16",
                                                "\\par \\plain\\f3\\fs16", "\\par TBase= class(TObject)",
                                                "\\par }"}));
  EXPECT_EQ(std::string(HelpHeaderFonts),
            "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans Serif;}{\\f1\\froman\\fcharset2 "
            "Symbol;}{\\f2\\fswiss\\fcharset1 MS Sans Serif;}{\\f3\\fswiss\\fcharset1 MS Sans Serif;}}");
  EXPECT_EQ(std::string(HelpHeaderColors), "{\\colortbl\\red0\\green0\\blue0;\\red0\\green0\\blue255;}");

  L.Clear();
  CreateHelpHeader(Child(Base, "Total"), nullptr, L);
  EXPECT_EQ(Lines(L), (std::vector<std::string>{
                          HelpHeaderFonts, HelpHeaderColors,
                          "\\deflang1031\\plain\\f3\\fs30\\cf1 TBase.Total\\plain\\f3\\fs16", "\\keepn",
                          "\\par \\plain\\f2\\fs18\\cf0\\b function\\plain\\f2\\fs18\\cf0  Total:Integer \\keepn",
                          "\\par }"}));

  L.Clear();
  CreateHelpHeader(Child(Base, "Count"), nullptr, L);
  EXPECT_EQ(Lines(L), (std::vector<std::string>{
                          HelpHeaderFonts, HelpHeaderColors,
                          "\\deflang1031\\plain\\f3\\fs30\\cf1 TBase.Count\\plain\\f3\\fs16", "\\par",
                          "\\par \\plain\\f2\\fs18\\cf0\\b property\\plain\\f2\\fs18\\cf0Count:Integer read FCount "
                          "write FCount",
                          "\\par }"}));

  L.Clear();
  CreateHelpHeader(Top(*Source, "Global"), nullptr, L);
  EXPECT_EQ(L[L.Count() - 2], "\\par \\plain\\f2\\fs18\\cf0\\b var \\plain\\f2\\fs18\\cf0Global:TBase");
  L.Clear();
  CreateHelpHeader(Top(*Source, "TKind"), nullptr, L);
  EXPECT_EQ(L.Count(), 0);  // types have no page header
}

TEST(VirtualHelpTest, UnitPageListsEveryKindWithLinks) {
  auto Source = ParseText(Unit, {oCompileImplementation}, "C:\\Src\\Demo.pas");
  TStringList L;
  CreateUnitPage(&Source->symbols, L);
  const std::string Text = L.GetText();
  EXPECT_EQ(L[2], "\\deflang1031\\pard\\plain\\f2\\fs30\\cf1 Unit Demo\\plain\\f2\\fs16");
  EXPECT_NE(Text.find("\\pard{\\par\\fs30 Classes} \\pard\r\n"
                      "\\par {{\\fs1\\cf2 /link[\\fs16\\uldb\\cf1 TBase\\fs2\\cf2 ]}}  = class\r\n"),
            std::string::npos)
      << Text;
  EXPECT_NE(Text.find("\\par procedure {{\\fs1\\cf2 /link[\\fs16\\uldb\\cf1 Helper\\fs2\\cf2 ]}} "),
            std::string::npos);
  EXPECT_LT(Text.find("Types}"), Text.find("Classes}"));
  EXPECT_LT(Text.find("Classes}"), Text.find("Procedures and functions}"));
  EXPECT_LT(Text.find("Procedures and functions}"), Text.find("Variables}"));
  EXPECT_EQ(Text.find("Records}"), std::string::npos);  // no records: no section

  TVelmoricHelpPage Page;
  Page.Body = Text;
  const std::string Md = RenderHelpPage(Page, THelpFormat::Markdown, "Unit Demo");
  EXPECT_NE(Md.find("[TBase](#TBase)  = class"), std::string::npos) << Md;
  const std::string Html = RenderHelpPage(Page, THelpFormat::Html, "Unit Demo");
  EXPECT_NE(Html.find("<a href=\"#TBase\">TBase</a>"), std::string::npos) << Html;
}

class HelpStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string Templ = testing::TempDir() + "velmoric-help-XXXXXX";
    ASSERT_NE(::mkdtemp(Templ.data()), nullptr);
    Dir = Templ;
    Saved = VelmoricPath;
    VelmoricPath = Dir + "/data/";
    std::filesystem::create_directories(VelmoricPath);
    ::setenv("VELMORIC_REGISTRY", (Dir + "/registry").c_str(), 1);
    WriteFileBytes(Dir + "/Demo.pas", Unit);
  }
  void TearDown() override {
    VelmoricPath = Saved;
    ::unsetenv("VELMORIC_REGISTRY");
    std::error_code Ec;
    std::filesystem::remove_all(Dir, Ec);
  }
  projecttest::CliResult Help(const std::string& Args) {
    return RunCli("help " + Quoted(Dir + "/Demo.pas") + " " + Args, Dir + "/err",
                  "VELMORIC_DATA=" + Quoted(Dir + "/data") + " VELMORIC_REGISTRY=" + Quoted(Dir + "/registry"));
  }
  std::string Dir, Saved;
};

TEST_F(HelpStoreTest, PagesAreStoredChainedAndShownByANewProcess) {
  TVelmoricHelpStore Store;
  std::string Error;
  EXPECT_FALSE(Store.Open(Error));  // no table yet
  ASSERT_TRUE(Store.OpenOrCreate(Error)) << Error;
  EXPECT_TRUE(FileExists(VelmoricPath + "velmoric.db"));

  const int64_t Root = Store.SavePage("TBase", "", "{\\rtf1 Base page}");
  EXPECT_EQ(Store.Table.FieldByName("XParent")->AsInteger(), -1);  // the owner has no page
  const int64_t Run = Store.SavePage("TBase.Run", "TBase", "{\\rtf1 Stored {\\b run} page\\par}");
  EXPECT_EQ(Store.Table.FieldByName("XParent")->AsInteger(), Root);
  Store.SavePage("TBase.Run.Inner", "TBase.Run", "{\\rtf1 inner}");
  EXPECT_EQ(Store.SavePage("TBase.Run", "TBase", "{\\rtf1 Stored {\\b run} page, changed\\par}"), Run);
  EXPECT_EQ(Store.Table.RecordCount(), 3);
  EXPECT_EQ(Store.ParentChain("TBase.Run.Inner"), (std::vector<std::string>{"TBase.Run", "TBase"}));
  EXPECT_TRUE(Store.ParentChain("Missing").empty());
  Store.Close();

  auto Source = ParseText(Unit);
  TOrvikSymbol* Base = Top(*Source, "TBase");
  TVelmoricHelpStore Fresh;
  ASSERT_TRUE(Fresh.Open(Error)) << Error;
  EXPECT_TRUE(HelpAvailable(Child(Base, "Total"), &Fresh) == false);
  EXPECT_TRUE(HelpAvailable(Base, &Fresh));
  EXPECT_TRUE(HelpAvailable(Top(*Source, "Global"), nullptr));
  std::string Body;
  ASSERT_TRUE(Fresh.ReadPage("TBASE.RUN", Body));
  EXPECT_EQ(Body, "{\\rtf1 Stored {\\b run} page, changed\\par}");
  Fresh.Close();

  const auto Stored = Help("TBase.Run --format markdown");
  EXPECT_EQ(Stored.Status, 0) << Stored.Err;
  EXPECT_EQ(Stored.Out,
            "# TBase.Run\n\n**type**\n\nTKinds = set of TKind\n\nTKind = ( kA , kB )\n\n"
            "**procedure** Run(Kinds : TKinds )\n\nStored **run** page, changed\n")
      << Stored.Out;
  const auto FromComment = Help("TBase.Total");
  EXPECT_EQ(FromComment.Status, 0);
  EXPECT_EQ(FromComment.Out, "TBase.Total\nfunction Total:Integer\n");
}

TEST_F(HelpStoreTest, UnreadableTableLeavesThePageToTheComments) {
  WriteFileBytes(VelmoricPath + "velmoric.db", "no database here, just text that is long enough to be read");
  TVelmoricHelpStore Store;
  std::string Error;
  EXPECT_FALSE(Store.OpenOrCreate(Error));
  EXPECT_NE(Error.find("file is not a database"), std::string::npos) << Error;

  const auto R = Help("TBase.Run");
  EXPECT_EQ(R.Status, 0);
  EXPECT_NE(R.Err.find("the help table cannot be read"), std::string::npos) << R.Err;
  EXPECT_NE(R.Out.find("Parameters\nKinds\twhat to run\n"), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("Runs the kinds given."), std::string::npos) << R.Out;
  EXPECT_EQ(ReadFileBytes(VelmoricPath + "velmoric.db"), "no database here, just text that is long enough to be read");

  const auto Missing = Help("TBase.Nothing");
  EXPECT_EQ(Missing.Status, 1);
  EXPECT_NE(Missing.Err.find("no symbol TBase.Nothing"), std::string::npos);
  const auto Html = Help("Demo --format html");
  EXPECT_EQ(Html.Status, 0);
  EXPECT_NE(Html.Out.find("<h1>Unit Demo</h1>"), std::string::npos) << Html.Out;
  const auto Rtf = Help("TBase --format rtf");
  EXPECT_EQ(Rtf.Out.rfind("{\\rtf1", 0), 0u);
  EXPECT_NE(Rtf.Out.find("TBase= class(TObject)"), std::string::npos);
}

TEST_F(HelpStoreTest, ManualAsHtmlPagesWithStoredTextAndClassLinks) {
  {
    TVelmoricHelpStore Store;
    std::string Error;
    ASSERT_TRUE(Store.OpenOrCreate(Error)) << Error;
    Store.SavePage("TBase.Total", "TBase", "{\\rtf1 Stored total page\\par}");
  }
  const std::string Html = Dir + "/html";
  const auto R = RunCli("manual " + Quoted(Dir + "/Demo.pas") + " --html " + Quoted(Html), Dir + "/err",
                        "VELMORIC_DATA=" + Quoted(Dir + "/data") + " VELMORIC_REGISTRY=" + Quoted(Dir + "/registry"));
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, "unit_demo.html\nTBase.html\nindex.html\n");
  const std::string Unit = ReadFileBytes(Html + "/unit_demo.html");
  EXPECT_NE(Unit.find("<a href=\"TBase.html\">TBase</a>"), std::string::npos) << Unit;
  const std::string Base = ReadFileBytes(Html + "/TBase.html");
  EXPECT_NE(Base.find("<h1>TBase</h1>"), std::string::npos) << Base;
  EXPECT_NE(Base.find("<div id=\"Run\">"), std::string::npos) << Base;          // from its comment
  EXPECT_NE(Base.find("Runs the kinds given."), std::string::npos) << Base;
  EXPECT_NE(Base.find("<p>Stored total page</p>"), std::string::npos) << Base;  // from the table
  EXPECT_EQ(Base.find("<div id=\"Count\">"), std::string::npos);               // no help: left out
  EXPECT_NE(ReadFileBytes(Html + "/index.html").find("<a href=\"TBase.html\">TBase</a>"), std::string::npos);

  const auto Bad = RunCli("manual " + Quoted(Dir + "/Missing.pas") + " --html " + Quoted(Html), Dir + "/err");
  EXPECT_EQ(Bad.Status, 1);
  EXPECT_NE(Bad.Err.find("file not found"), std::string::npos);
}

}  // namespace
