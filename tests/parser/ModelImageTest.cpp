// The whole model of examples/ and of a fixed sample of the Free Pascal
// sources, compared with the images kept in tests/parser/data/model-images
// (see the README there): the parser's reading of the code it was made for
// does not change. Units listed in changed.txt are compared only loosely, and
// named in the output ("[ changed  ] unit: reason").
//
// VELMORIC_WRITE_MODEL_IMAGES=1 writes the images that are missing (it never
// replaces one) and then compares as usual; VELMORIC_MODEL_IMAGES_OUT=DIR
// writes today's images below DIR as well.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ModelImage.h"
#include "platform/rtl/SysUtils.h"

namespace fs = std::filesystem;

namespace {

const fs::path ImageDir = fs::path(VELMORIC_SOURCE_DIR) / "tests/parser/data/model-images";
const fs::path FpcRoot = "/usr/share/fpcsrc/3.2.2";
const TCompilerOptionsSet Fullest{oCompileImplementation, oCompileLocalVar};

std::vector<std::string> ReadList(const fs::path& File) {
  std::vector<std::string> Items;
  std::ifstream In(File);
  for (std::string Line; std::getline(In, Line);) {
    if (const size_t Hash = Line.find('#'); Hash != std::string::npos) Line.erase(Hash);
    Line = Trim(Line);
    if (!Line.empty()) Items.push_back(Line);
  }
  return Items;
}

// The image file of a unit: its path with "/" as "__".
fs::path ImageFile(const std::string& Corpus, std::string Label) {
  for (size_t At; (At = Label.find('/')) != std::string::npos;) Label.replace(At, 1, "__");
  return ImageDir / Corpus / (Label + ".image");
}

std::string ReadAll(const fs::path& File) {
  std::ifstream In(File, std::ios::binary);
  std::stringstream S;
  S << In.rdbuf();
  return S.str();
}

bool WriteMissing() {
  const char* W = std::getenv("VELMORIC_WRITE_MODEL_IMAGES");
  return W && std::string(W) == "1";
}

// The first line where two images differ, for the failure message.
std::string FirstDifference(const std::string& Want, const std::string& Got) {
  std::istringstream A(Want), B(Got);
  std::string LA, LB;
  for (int N = 1;; ++N) {
    const bool HasA = static_cast<bool>(std::getline(A, LA));
    const bool HasB = static_cast<bool>(std::getline(B, LB));
    if (!HasA && !HasB) return "no difference";
    if (!HasA || !HasB || LA != LB)
      return "line " + std::to_string(N) + "\n  kept: " + (HasA ? LA : "<end>") + "\n  now:  " + (HasB ? LB : "<end>");
  }
}

int CountLines(const std::string& Image, const std::string& Prefix) {
  int N = 0;
  std::istringstream In(Image);
  for (std::string L; std::getline(In, L);)
    if (L.rfind(Prefix, 0) == 0) ++N;
  return N;
}

// A unit of changed.txt: why its model changed and, for the lines that
// name it ("before: reached N of M lines, E errors"), how far the parse of
// the kept image got.
struct TChange {
  std::string Reason;
  int ReachedBefore = -1;  // -1: not named
  int ErrorsBefore = -1;
};

// Compares the unit Label (Text) with its kept image; Change (for a unit of
// changed.txt): the model may change, with no more errors, and where the
// line names the parse before, reaching further or with fewer errors.
void Compare(const std::string& Corpus, const std::string& Label, const std::string& Text, const TChange* Change) {
  int Reached = 0;
  const std::string Now = model_image::Of(Label, Text, Fullest, &Reached);
  const fs::path File = ImageFile(Corpus, Label);
  // VELMORIC_MODEL_IMAGES_OUT=DIR: today's images there too, for a diff.
  if (const char* Out = std::getenv("VELMORIC_MODEL_IMAGES_OUT")) {
    const fs::path Copy = fs::path(Out) / Corpus / File.filename();
    fs::create_directories(Copy.parent_path());
    std::ofstream(Copy, std::ios::binary) << Now;
  }
  if (!fs::exists(File)) {
    ASSERT_TRUE(WriteMissing()) << "no image " << File << " (VELMORIC_WRITE_MODEL_IMAGES=1 writes it)";
    fs::create_directories(File.parent_path());
    std::ofstream(File, std::ios::binary) << Now;
    return;
  }
  const std::string Kept = ReadAll(File);
  // The source itself must be the one the image was made from.
  const std::string Head = Kept.substr(0, Kept.find('\n', Kept.find('\n') + 1) + 1);
  if (Now.compare(0, Head.size(), Head) != 0) {
    ADD_FAILURE() << Label << ": the source differs from the one its image was made from";
    return;
  }
  if (!Change) {
    EXPECT_TRUE(Kept == Now) << Label << ": the model changed at " << FirstDifference(Kept, Now);
    return;
  }
  EXPECT_NE(Kept, Now) << Label << " is listed in changed.txt but its model is unchanged";
  // (Symbols may be fewer: the tokens of a construct read wrongly before
  // often became stray fields.)
  const int Errors = CountLines(Now, "error ");
  EXPECT_LE(Errors, CountLines(Kept, "error ")) << Label;
  if (Change->ReachedBefore >= 0) {
    EXPECT_EQ(CountLines(Kept, "error "), Change->ErrorsBefore) << Label << ": changed.txt names other errors";
    EXPECT_GE(Reached, Change->ReachedBefore) << Label;
    EXPECT_TRUE(Reached > Change->ReachedBefore || Errors < Change->ErrorsBefore)
        << Label << ": reaches no further, with no fewer errors";
  }
  std::cout << "[ changed  ] " << Label << ": " << Change->Reason << " (now " << Reached << " lines reached, "
            << Errors << " errors)\n";
}

// The units of changed.txt: each line the unit, then after "#" the reason.
std::map<std::string, TChange> ChangedUnits() {
  std::map<std::string, TChange> M;
  std::ifstream In(ImageDir / "changed.txt");
  for (std::string Line; std::getline(In, Line);) {
    const size_t Hash = Line.find('#');
    const std::string Unit = Trim(Line.substr(0, Hash));
    if (Unit.empty()) continue;
    TChange C;
    C.Reason = Hash == std::string::npos ? std::string() : Trim(Line.substr(Hash + 1));
    int Lines = 0;
    if (const size_t At = C.Reason.find("before: reached "); At != std::string::npos) {
      const int Read = std::sscanf(C.Reason.c_str() + At, "before: reached %d of %d lines, %d errors",
                                   &C.ReachedBefore, &Lines, &C.ErrorsBefore);
      EXPECT_EQ(Read, 3) << Line;
    }
    M[Unit] = C;
  }
  return M;
}

const TChange* ChangeOf(const std::map<std::string, TChange>& Changed, const std::string& Unit) {
  const auto It = Changed.find(Unit);
  return It == Changed.end() ? nullptr : &It->second;
}

TEST(ModelImages, ExamplesKeepTheirModel) {
  const fs::path Examples = fs::path(VELMORIC_SOURCE_DIR) / "examples";
  const auto Changed = ChangedUnits();
  std::vector<fs::path> Files;
  for (const auto& E : fs::recursive_directory_iterator(Examples)) {
    const std::string Ext = LowerCase(E.path().extension().string());
    if (E.is_regular_file() && (Ext == ".pas" || Ext == ".dpr" || Ext == ".pp" || Ext == ".lpr"))
      Files.push_back(E.path());
  }
  std::sort(Files.begin(), Files.end());
  ASSERT_FALSE(Files.empty());
  for (const fs::path& F : Files) {
    const std::string Label = "examples/" + fs::relative(F, Examples).generic_string();
    Compare("examples", Label, ReadFileBytes(F.string()), ChangeOf(Changed, Label));
  }
}

TEST(ModelImages, FreePascalSampleKeepsItsModel) {
  if (!fs::is_directory(FpcRoot)) GTEST_SKIP() << FpcRoot << " is missing (scripts/setup installs fpc-source-3.2.2)";
  const std::vector<std::string> Sample = ReadList(ImageDir / "fpc-sample.txt");
  ASSERT_GE(Sample.size(), 40u);
  const auto Changed = ChangedUnits();
  for (const std::string& Rel : Sample) {
    const fs::path F = FpcRoot / Rel;
    ASSERT_TRUE(fs::is_regular_file(F)) << F;
    Compare("fpc", Rel, ReadFileBytes(F.string()), ChangeOf(Changed, Rel));
  }
}

TEST(ModelImages, EveryChangedUnitIsInTheSample) {
  const std::vector<std::string> Sample = ReadList(ImageDir / "fpc-sample.txt");
  for (const auto& [Unit, _] : ChangedUnits()) {
    const bool Known = Unit.rfind("examples/", 0) == 0 ||
                       std::find(Sample.begin(), Sample.end(), Unit) != Sample.end();
    EXPECT_TRUE(Known) << Unit;
  }
}

}  // namespace
