// The fuzz targets' bodies under this build's sanitizers: every input kept in
// fuzz/regressions/<target>/ (inputs that once found a fault) runs through the
// body of its target exactly as the fuzz program runs it, and typical inputs
// run through every body so that each body's checks are known to pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "FuzzTargets.h"
#include "platform/ipc/IpcWindow.h"
#include "platform/rtl/SysUtils.h"
#include "project/VelmoricSymbolStore.h"
#include "scanner/VelmoricPascalScanner.h"
#include "trace/TracePayload.h"

namespace fs = std::filesystem;

namespace {

const fs::path Regressions = fs::path(VELMORIC_SOURCE_DIR) / "fuzz" / "regressions";

std::string RunBody(const TFuzzTarget& Target, const std::string& Input) {
  try {
    Target.Run(reinterpret_cast<const uint8_t*>(Input.data()), Input.size());
  } catch (const TFuzzFailure& F) {
    return F.What;
  }
  return {};
}

const TFuzzTarget& TargetNamed(const std::string& Name) {
  for (const TFuzzTarget& T : FuzzTargets)
    if (Name == T.Name) return T;
  throw std::runtime_error("no fuzz target " + Name);
}

class FuzzRegressions : public testing::TestWithParam<TFuzzTarget> {};

TEST_P(FuzzRegressions, EveryKeptInputPasses) {
  const fs::path Dir = Regressions / GetParam().Name;
  if (!fs::is_directory(Dir)) GTEST_SKIP() << "no regressions kept for " << GetParam().Name;
  std::vector<fs::path> Files;
  for (const auto& Entry : fs::directory_iterator(Dir))
    if (Entry.is_regular_file()) Files.push_back(Entry.path());
  std::sort(Files.begin(), Files.end());
  for (const fs::path& File : Files) {
    const std::string Failure = RunBody(GetParam(), ReadFileBytes(File.string()));
    EXPECT_EQ(Failure, "") << File;
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzRegressions, testing::ValuesIn(FuzzTargets),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST(FuzzRegressionFolders, EachNamesATarget) {
  if (!fs::is_directory(Regressions)) return;
  for (const auto& Entry : fs::directory_iterator(Regressions)) {
    if (!Entry.is_directory()) continue;
    const std::string Name = Entry.path().filename().string();
    EXPECT_NO_THROW(TargetNamed(Name)) << Name << " in fuzz/regressions is no fuzz target";
  }
}

// ------------------------------------------------- typical inputs, each body

const std::string Unit =
    "unit Shapes;\r\n"
    "interface\r\n"
    "uses SysUtils, Classes;\r\n"
    "type\r\n"
    "  TShape = class(TObject)\r\n"
    "  private\r\n"
    "    FColor: Integer;\r\n"
    "  public\r\n"
    "    procedure Draw(Canvas: TObject; X, Y: Integer); virtual;\r\n"
    "    property Color: Integer read FColor write FColor;\r\n"
    "  end;\r\n"
    "const Max = 10; { a comment }\r\n"
    "var Count: Integer;\r\n"
    "implementation\r\n"
    "procedure TShape.Draw(Canvas: TObject; X, Y: Integer);\r\n"
    "var I: Integer;\r\n"
    "  procedure Inner; begin Self.Draw(nil, 0, 0); end;\r\n"
    "begin\r\n"
    "  for I := 1 to Max do Inner; // 'text'\r\n"
    "end;\r\n"
    "end.\r\n";

std::string Bytes(std::initializer_list<int> List) {
  std::string S;
  for (int B : List) S += static_cast<char>(B);
  return S;
}

TEST(FuzzBodies, ScannerTakesAUnit) {
  EXPECT_EQ(RunBody(TargetNamed("scanner"), Unit), "");
  EXPECT_EQ(RunBody(TargetNamed("scanner"), ""), "");
  EXPECT_EQ(RunBody(TargetNamed("scanner"), "a'open\n(* open\n{ x"), "");
}

TEST(FuzzBodies, ParserTakesAUnitWithEveryOptionSet) {
  for (int Mode = 0; Mode < 256; Mode += 9)
    EXPECT_EQ(RunBody(TargetNamed("parser"), std::string(1, static_cast<char>(Mode)) + Unit), "") << Mode;
}

TEST(FuzzBodies, SymbolStoreTakesAStoreAndRejectsDamage) {
  auto* Lines = new TSaveStringList("strings", "TPascalSource");
  Lines->SetText(Unit);
  TPascalSource Source(new TToken(Lines));
  Source.CreateSymbols({oCompileImplementation, oCompileLocalVar});
  const std::string Image = Source.Store->SaveToImage(Source.usesList, Source.symbols);
  EXPECT_EQ(RunBody(TargetNamed("symbolstore"), Image), "");
  for (size_t Cut : {size_t(0), size_t(4), Image.size() / 2, Image.size() - 1})
    EXPECT_EQ(RunBody(TargetNamed("symbolstore"), Image.substr(0, Cut)), "") << Cut;  // truncated
  std::string Damaged = Image;
  Damaged[Image.size() / 3] ^= 0x55;
  EXPECT_EQ(RunBody(TargetNamed("symbolstore"), Damaged), "");
}

TEST(FuzzBodies, TraceletTakesFramesHoweverTheyArrive) {
  std::string Wire = ipc::EncodeFrame(ipc::MsgRegisterStream, "compile");
  for (int I = 0; I < 40; ++I) {
    Wire += ipc::EncodeFrame(I % 3 ? ipc::MsgTraceLine : ipc::WM_COPYDATA,
                             *BuildTracePayload(I % 2 ? "compile" : "stdOut", "line " + std::to_string(I)));
    if (I % 7 == 0) Wire += ipc::EncodeFrame(0xFF000000u, Bytes({I, 3, 1}));
  }
  Wire += ipc::EncodeFrame(ipc::MsgQuestion, "version");
  Wire += ipc::EncodeFrame(ipc::MsgTraceLine, Bytes({200, 'x'}));  // unreadable: refused
  Wire += Bytes({0xd3, 4, 0, 0, 9, 0, 1});                          // cut off: pending
  for (int Mode : {0x00, 0x01, 0x02, 0x03, 0x08, 0x0C, 0x10, 0x1C})
    EXPECT_EQ(RunBody(TargetNamed("tracelet"), std::string(1, static_cast<char>(Mode)) + Wire), "") << Mode;
}

TEST(FuzzBodies, FileRepositoryTakesAFile) {
  EXPECT_EQ(RunBody(TargetNamed("filerepository"), "C:\\Work\\unit1.pas\r\nC:\\Other\\Unit1.PAS\r\n\r\n/x/Forms.pas"), "");
  EXPECT_EQ(RunBody(TargetNamed("filerepository"), "a\rb\n\nc.d.e"), "");
  EXPECT_EQ(RunBody(TargetNamed("filerepository"), ""), "");
}

TEST(FuzzBodies, RegistryTakesSettingsAndDamage) {
  EXPECT_EQ(RunBody(TargetNamed("registry"),
                "VELMORIC-REGISTRY 1\n[]\n\"top\"=int:1\n[SOFTWARE\\HALVORN\\Velmoric]\n"
                "\"path\"=sz:\"/tmp/a\\\\b\\x01\"\n[SOFTWARE\\HALVORN\\Velmoric\\Menus]\n\"Find position\"=int:-5\n"),
            "");
  EXPECT_EQ(RunBody(TargetNamed("registry"), ""), "");
  EXPECT_EQ(RunBody(TargetNamed("registry"), "VELMORIC-REGISTRY 1\n[a]\n[A]\n"), "");  // damaged: twice
  EXPECT_EQ(RunBody(TargetNamed("registry"), "not a settings file"), "");
}

TEST(FuzzBodies, RichTextTakesRtfAndText) {
  EXPECT_EQ(RunBody(TargetNamed("richtext"),
                    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl;\\red0\\green0\\blue255;}"
                    "\\pard\\qc\\f0\\fs25\\cf1\\b Title\\b0\\par{\\*\\pn\\pnlvlblt}x\\tab\\'e4{\\v hidden}"
                    "\\page{\\footnote # ctx}\\par}"),
            "");
  EXPECT_EQ(RunBody(TargetNamed("richtext"), "{\\rtf1 \\'0d\\u13?x{\\fonttbl{\\f1 a\\'0ab;}}\\f1 y"), "");
  EXPECT_EQ(RunBody(TargetNamed("richtext"), "plain\r\ntext"), "");
  EXPECT_EQ(RunBody(TargetNamed("richtext"), ""), "");
}

TEST(FuzzBodies, EditorStringsTakesBuffersAndEdits) {
  const std::string Control = Bytes({20, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20});
  EXPECT_EQ(RunBody(TargetNamed("editorstrings"), Control + Unit), "");
  EXPECT_EQ(RunBody(TargetNamed("editorstrings"), Control + "a\rbb\ncc\r\nd\n\ne"), "");
  EXPECT_EQ(RunBody(TargetNamed("editorstrings"), Control), "");
  EXPECT_EQ(RunBody(TargetNamed("editorstrings"), Bytes({0}) + "no line end"), "");
}

}  // namespace
