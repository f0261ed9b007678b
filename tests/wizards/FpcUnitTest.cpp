// A class of a unit of the Free Pascal sources gets a field, a method and a
// property: the result parses with the same symbols plus the new ones, at
// the positions the modifier kept, and without new errors.
#include <filesystem>
#include <string>

#include "WizardTestSupport.h"

namespace {

const char* const FpcUnit = "/usr/share/fpcsrc/3.2.2/packages/fcl-base/src/fptimer.pp";

using FpcUnitTest = WizardTest;

TEST_F(FpcUnitTest, ClassGetsAMethodAndAProperty) {
  if (!std::filesystem::exists(FpcUnit)) GTEST_SKIP() << "no Free Pascal sources";
  Load(ReadFileBytes(FpcUnit), "fptimer.pp");
  TOrvikSymbol* Cls = Find("TFPCustomTimer", {typClass});
  ASSERT_NE(Cls, nullptr);
  const auto Before = Positions(ParseFresh(Original, FileName)->symbols);

  TOrvikSymbol* Field = NewSymbol(Cls, typVar, "FTally");
  Field->TypeName = "Integer";
  Field->Bereich = tPrivate;
  TOrvikSymbol* Method = NewSymbol(Cls, typProcedure, "Recount");
  Method->Bereich = tPublic;
  Method->Params = "Start: Integer";
  Method->Comment = "-----\r\nRecounts\r\n-----";
  TOrvikSymbol* Prop = NewSymbol(Cls, typProperty, "Tally");
  Prop->TypeName = "Integer";
  Prop->Bereich = tPublic;
  Prop->ReadAccess = "FTally";
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(Field);
    Coco.InsertSymbol(Method);
    Coco.InsertSymbol(Prop);
  }
  auto Fresh = ParseFresh(BufferText(), FileName);
  const auto After = Positions(Fresh->symbols);
  EXPECT_EQ(Positions(Source->symbols), After);
  EXPECT_EQ(After.size(), Before.size() + 3);
  TOrvikSymbol* Parsed = Fresh->symbols.symbols->FindSymbol({typClass}, "TFPCustomTimer");
  ASSERT_NE(Parsed, nullptr);
  for (const char* Name : {"FTally", "Recount", "Tally"})
    EXPECT_NE(Parsed->symbols->FindAnyFlatSymbol(Name), nullptr) << Name;
  EXPECT_EQ(ErrorList(*Fresh), ErrorList(*ParseFresh(Original, FileName)));
  ExpectOneUndoRestores();
}

}  // namespace
