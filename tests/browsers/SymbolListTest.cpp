// The symbol explorer's entries, texts and search.
#include <gtest/gtest.h>

#include "../support/ScratchProject.h"
#include "browsers/VelmoricSymbolList.h"

namespace {

const std::string Shapes = support::UnitText(
    "Shapes", "",
    "const\n"
    "  MaxShapes = 10;\n"
    "type\n"
    "  TColorName = string;\n"
    "  TPoint2 = record X, Y: Integer; end;\n"
    "  TShape = class\n"
    "  private\n"
    "    FColor: Integer;\n"
    "  public\n"
    "    procedure Draw; virtual; abstract;\n"
    "    function Area(Scale: Integer): Double;\n"
    "    property Color: Integer read FColor write FColor default 5;\n"
    "  end;\n"
    "  TCircle = class(TShape)\n"
    "  public\n"
    "    procedure Draw; override;\n"
    "    function Area(Scale: Integer): Double;\n"
    "  end;\n"
    "  TVeryLongClassName = class\n"
    "    Zed: Integer;\n"
    "  end;\n"
    "var\n"
    "  Current: TShape;\n"
    "procedure Helper;\n",
    "function TShape.Area(Scale: Integer): Double;\nbegin\n  Result := 0;\nend;\n"
    "procedure TCircle.Draw;\nbegin\nend;\n"
    "function TCircle.Area(Scale: Integer): Double;\nbegin\n  Result := 1;\nend;\n"
    "procedure Helper;\nbegin\nend;\n");

class SymbolListTest : public testing::Test {
 protected:
  void SetUp() override {
    support::CompileInto(Memory, Dir.Write("Shapes.pas", Shapes));
    ASSERT_EQ(Memory.FUnitLIst->Count(), 1);
  }
  std::vector<std::string> Keys(uint32_t Filter, bool Sub, TOrvikSymbol* Explored = nullptr) {
    TStringList Entries;
    FillSymbolEntries(&Memory, Explored, Filter, Sub, &Entries);
    std::vector<std::string> R;
    for (int I = 0; I < Entries.Count(); ++I) R.push_back(Entries.Get(I));
    return R;
  }
  TOrvikSymbol* Find(const std::string& Name) { return Memory.FindAnySymbol(Name); }

  support::TScratchFolder Dir;
  TPascalProject Memory;
};

TEST_F(SymbolListTest, TopLevelSymbolsByKind) {
  const uint32_t All = SymbolKindFilter({});
  EXPECT_EQ(Keys(All, false),
            (std::vector<std::string>{"Current   ", "Helper    ", "MaxShapes ", "TCircle   ",
                                      "TColorName", "TPoint2   ", "TShape    ",
                                      "TVeryLongClassName"}));
  TSymbolKindChoice OnlyClasses;
  OnlyClasses.Procedures = OnlyClasses.Variables = OnlyClasses.Records = OnlyClasses.Properties =
      OnlyClasses.Constants = OnlyClasses.Types = false;
  EXPECT_EQ(Keys(SymbolKindFilter(OnlyClasses), false),
            (std::vector<std::string>{"TCircle   ", "TShape    ", "TVeryLongClassName"}));
  // All boxes cleared: nothing.
  TSymbolKindChoice None = OnlyClasses;
  None.Classes = false;
  EXPECT_EQ(SymbolKindFilter(None), 0u);
  EXPECT_TRUE(Keys(0, true).empty());
  EXPECT_FALSE(KindPasses(0xFFFFFFFFu, static_cast<TSymTyp>(16)));
}

TEST_F(SymbolListTest, SubSymbolsOfTheSameNameSortByTheirOwner) {
  TSymbolKindChoice Choice;
  Choice.Variables = false;
  const std::vector<std::string> K = Keys(SymbolKindFilter(Choice), true);
  // Draw of TCircle before Draw of TShape; Area likewise.
  const auto At = [&](const std::string& Key) {
    return std::find(K.begin(), K.end(), Key) - K.begin();
  };
  ASSERT_LT(At("Draw      TCircle"), static_cast<long>(K.size()));
  ASSERT_LT(At("Draw      TShape"), static_cast<long>(K.size()));
  EXPECT_LT(At("Draw      TCircle"), At("Draw      TShape"));
  EXPECT_LT(At("Area      TCircle"), At("Area      TShape"));
  EXPECT_LT(At("Color     TShape"), static_cast<long>(K.size()));
  // Variables are filtered at any depth.
  EXPECT_EQ(At("FColor    TShape"), static_cast<long>(K.size()));
  // A long name runs straight into its owner's name.
  EXPECT_EQ(SymbolEntryKey(Find("Zed")), "Zed       TVeryLongClassName");
  EXPECT_EQ(SymbolEntryKey(Find("TVeryLongClassName")), "TVeryLongClassName");
}

TEST_F(SymbolListTest, TheMembersOfAnExploredSymbol) {
  EXPECT_EQ(Keys(SymbolKindFilter({}), false, Find("TCircle")),
            (std::vector<std::string>{"Area      TCircle", "Draw      TCircle"}));
}

TEST_F(SymbolListTest, GridAndInfoTexts) {
  TOrvikSymbol* Area = Find("TShape")->symbols->FindAnyFlatSymbol("Area");
  ASSERT_NE(Area, nullptr);
  EXPECT_EQ(SymbolKindText(Area), "Function");
  EXPECT_EQ(SymbolScopeText(Area), "public");
  EXPECT_EQ(SymbolUnitText(Area), "Shapes.pas");
  EXPECT_EQ(SymbolOwnerName(Area), "TShape");
  EXPECT_EQ(SymbolOwnerName(Find("TShape")), "");
  EXPECT_NE(SymbolInfoText(Area).find("function ("), std::string::npos);
  EXPECT_NE(SymbolInfoText(Area).find("):Double"), std::string::npos) << SymbolInfoText(Area);
  TOrvikSymbol* Draw = Find("TShape")->symbols->FindAnyFlatSymbol("Draw");
  EXPECT_EQ(SymbolInfoText(Draw), "procedure () Abstract Virtual ");
  TOrvikSymbol* CircleDraw = Find("TCircle")->symbols->FindAnyFlatSymbol("Draw");
  EXPECT_EQ(SymbolInfoText(CircleDraw), "procedure () Override ");
  EXPECT_EQ(SymbolKindText(CircleDraw), "Procedure");
  TOrvikSymbol* Color = Find("TShape")->symbols->FindAnyFlatSymbol("Color");
  EXPECT_EQ(SymbolKindText(Color), "Property");
  EXPECT_EQ(SymbolInfoText(Color), "property Color read FColor write FColor default 5");
  EXPECT_EQ(SymbolKindText(Find("TShape")), "Class");
  EXPECT_EQ(SymbolKindText(Find("TPoint2")), "Record");
  EXPECT_EQ(SymbolKindText(Find("MaxShapes")), "Const");
  EXPECT_EQ(SymbolKindText(Find("Current")), "Var");
  EXPECT_EQ(SymbolInfoText(Find("Current")), "TShape");
  EXPECT_EQ(SymbolLinesText(Find("Current")).rfind("line = ", 0), 0u);
  EXPECT_NE(SymbolLinesText(CircleDraw).find(",prototyp="), std::string::npos);
}

TEST_F(SymbolListTest, SearchSelectsTheFirstNameNotBeforeTheText) {
  TStringList Entries;
  FillSymbolEntries(&Memory, nullptr, SymbolKindFilter({}), false, &Entries);
  EXPECT_EQ(SearchSymbolEntry(&Entries, ""), 0);
  EXPECT_EQ(Entries.Get(SearchSymbolEntry(&Entries, "he")), "Helper    ");
  EXPECT_EQ(Entries.Get(SearchSymbolEntry(&Entries, "TS")), "TShape    ");
  EXPECT_EQ(Entries.Get(SearchSymbolEntry(&Entries, "tc")), "TCircle   ");
  EXPECT_EQ(SearchSymbolEntry(&Entries, "zzz"), Entries.Count() - 1);
  TStringList Empty;
  EXPECT_EQ(SearchSymbolEntry(&Empty, "a"), -1);
}

TEST_F(SymbolListTest, ExploringTypesAndBaseClasses) {
  EXPECT_TRUE(ExplorableTypeText("TShape"));
  EXPECT_FALSE(ExplorableTypeText("Integer"));
  EXPECT_FALSE(ExplorableTypeText("boolean"));
  EXPECT_FALSE(ExplorableTypeText("String"));
  EXPECT_FALSE(ExplorableTypeText("array of Integer"));
  EXPECT_FALSE(ExplorableTypeText(""));
  EXPECT_EQ(FindTypeSymbol(&Memory, "TShape"), Find("TShape"));
  EXPECT_EQ(FindTypeSymbol(&Memory, Find("TCircle")->Ancestor()), Find("TShape"));
  EXPECT_EQ(FindTypeSymbol(&Memory, "TNothing"), nullptr);
}

}  // namespace
