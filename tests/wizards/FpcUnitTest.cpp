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
  Prop->Extra().ReadAccess = "FTally";
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

namespace {

// Every unit of a folder of the Free Pascal sources whose first class gets
// a field, a method and a property: no new parse errors, the new members
// are found by a fresh parse, one undo restores the unit.
TEST_F(FpcUnitTest, ClassesOfManyUnitsTakeNewMembers) {
  const std::string Folder = "/usr/share/fpcsrc/3.2.2/packages/fcl-base/src";
  if (!std::filesystem::exists(Folder)) GTEST_SKIP() << "no Free Pascal sources";
  int Tried = 0;
  for (const auto& Entry : std::filesystem::directory_iterator(Folder)) {
    if (Entry.path().extension() != ".pp") continue;
    const std::string Text = ReadFileBytes(Entry.path().string());
    if (Text.find("implementation") == std::string::npos) continue;
    // Units whose classes the parser does not read whole are no measure.
    bool Misread = false;
    for (const std::string& E : ErrorList(*ParseFresh(Text, Entry.path().string())))
      Misread = Misread || E.find("keinen Prototyp") != std::string::npos;
    if (Misread) continue;
    SCOPED_TRACE(Entry.path().string());
    Load(Text, Entry.path().filename().string());
    TOrvikSymbol* Cls = nullptr;
    for (int I = 0; Source->symbols.symbols && I < Source->symbols.symbols->Count() && !Cls; ++I) {
      TOrvikSymbol* S = Source->symbols.symbols->GetSymbol(I);
      if (S->Typ == typClass && S->Line >= 0) Cls = S;
    }
    if (!Cls) continue;
    ++Tried;
    TOrvikSymbol* Field = NewSymbol(Cls, typVar, "FVelmoricTally");
    Field->TypeName = "Integer";
    Field->Bereich = tPrivate;
    TOrvikSymbol* Method = NewSymbol(Cls, typProcedure, "VelmoricRecount");
    Method->Bereich = tPublic;
    TOrvikSymbol* Prop = NewSymbol(Cls, typProperty, "VelmoricTally");
    Prop->TypeName = "Integer";
    Prop->Bereich = tPublic;
    Prop->Extra().ReadAccess = "FVelmoricTally";
    {
      TPascalCoco Coco(Source);
      Coco.InsertSymbol(Field);
      Coco.InsertSymbol(Method);
      Coco.InsertSymbol(Prop);
    }
    auto Fresh = ParseFresh(BufferText(), FileName);
    EXPECT_EQ(ErrorList(*Fresh), ErrorList(*ParseFresh(Original, FileName)));
    TOrvikSymbol* Parsed = Fresh->symbols.symbols->FindSymbol({typClass}, Cls->name);
    ASSERT_NE(Parsed, nullptr);
    for (const char* Name : {"FVelmoricTally", "VelmoricRecount", "VelmoricTally"})
      EXPECT_NE(Parsed->symbols ? Parsed->symbols->FindSymbol({typVar, typProcedure, typProperty}, Name) : nullptr,
                nullptr)
          << Name;
    EXPECT_NE(BufferText().find("Procedure " + Cls->name + ".VelmoricRecount;"), std::string::npos);
    ExpectOneUndoRestores();
    Project.reset();
    ToolServices->CloseFile(FileName);
  }
  EXPECT_GT(Tried, 5);
}

}  // namespace
