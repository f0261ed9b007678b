// The property editor skeleton and the class skeleton written into units,
// compared line by line, and the property editor wizard's pages.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "browsers/VelmoricNewClasspas.h"
#include "platform/rtl/Classes.h"
#include "wizards/VelmoricNewPropertyEditor.h"

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::vector<std::string> LinesOf(const TStrings& L) {
  std::vector<std::string> R;
  for (int I = 0; I < L.Count(); ++I) R.push_back(L.Get(I));
  return R;
}

void SetLines(TStringList& L, const std::vector<std::string>& Lines) {
  for (const std::string& S : Lines) L.Add(S);
}

TPropertyEditorSpec Plain() {
  TPropertyEditorSpec S;
  S.ClassName = "TMyProperty";
  S.Ancestor = "TPropertyEditor";
  return S;
}

TEST(PropertyEditorTest, WithoutAttributesTheDeclarationFollowsTypeAndTheBodiesPrecedeEnd) {
  TStringList L;
  SetLines(L, {"unit U;", "interface", "type", "  TX = class end;", "implementation", "end."});
  ASSERT_TRUE(GeneratePropertyEditor(L, Plain()));
  EXPECT_THAT(LinesOf(L),
              ElementsAreArray<std::string>(
                  {"unit U;", "interface", "type", " TMyProperty = class(TPropertyEditor)",
                   "   function GetAttributes: TPropertyAttributes; override;",
                   "   function GetValue: string; override;", "   procedure SetValue(const Value: string); override;",
                   "end;", "", "  TX = class end;", "implementation", "// Define the property attributes",
                   "function TMyProperty.GetAttributes : TPropertyAttributes;", "begin", "  result := [];", "end;", "",
                   "// Get the value from the component", "function  TMyProperty.GetValue: string; ", "begin",
                   "  // insert get code here", "end;", "", "// Write the value back to the component",
                   "procedure TMyProperty.SetValue(const Value: string); ", "begin", "  // insert get code here",
                   "end;", "", "end."}));
}

TEST(PropertyEditorTest, WithoutTypeBeforeImplementationATypeLineIsInserted) {
  TStringList L;
  SetLines(L, {"unit U;", "interface", "implementation", "initialization", "  Setup;", "end."});
  TPropertyEditorSpec S = Plain();
  S.Kind = "Str";
  S.Dialog = "TFormPick";
  S.DisplayName = "Pick";
  for (bool& A : S.Attributes) A = true;
  S.Items = {"Red", "Green"};
  ASSERT_TRUE(GeneratePropertyEditor(L, S));
  EXPECT_THAT(LinesOf(L),
              ElementsAreArray<std::string>(
                  {"unit U;", "interface", "type", " TMyProperty = class(TPropertyEditor)",
                   "   function GetAttributes: TPropertyAttributes; override;",
                   "   function GetValue: string; override;", "   procedure SetValue(const Value: string); override;",
                   "   procedure Edit; override;", "   procedure GetProperties(Proc: TGetPropEditProc); override;",
                   "   procedure GetValues(Proc: TGetStrProc); override;", "   function GetName : string; override;",
                   "end;", "", "implementation", "// Define the property attributes",
                   "function TMyProperty.GetAttributes : TPropertyAttributes;", "begin",
                   "  result := [paValueList,paSortList,paSubProperties,paDialog,paMultiSelect,paAutoUpdate,"
                   "paReadOnly,paRevertable];",
                   "end;", "", "// Get the value from the component", "function  TMyProperty.GetValue: string; ",
                   "begin", "  result := GetStrValue;", "end;", "", "// Write the value back to the component",
                   "procedure TMyProperty.SetValue(const Value: string); ", "begin", "  SetStrValue(value);", "end;",
                   "", "// Calls the editor dialog", "procedure TMyProperty.Edit; ", "var", "  dialog : TFormPick;",
                   "begin", " dialog := TFormPick.Create(NIL);", "  dialog.ShowModal;", "  dialog.free;", "end;", "",
                   "procedure TMyProperty.GetValues(Proc: TGetStrProc); ", "begin", "   proc('Red');",
                   "   proc('Green');", "end;", "", "procedure TMyProperty.GetProperties(Proc: TGetPropEditProc); ",
                   "begin", "end;", "", "   function TMyProperty.GetName : string;", "begin", "  result := 'Pick';",
                   "end;", "", "initialization", "  Setup;", "end."}));
}

TEST(PropertyEditorTest, ADialogAttributeWithoutDialogClassGivesAnEmptyEdit) {
  TStringList L;
  SetLines(L, {"unit U;", "interface", "type", "implementation", "finalization", "end."});
  TPropertyEditorSpec S = Plain();
  S.Attributes[3] = true;
  ASSERT_TRUE(GeneratePropertyEditor(L, S));
  const std::vector<std::string> R = LinesOf(L);
  const auto Edit = std::find(R.begin(), R.end(), "procedure TMyProperty.Edit; ");
  ASSERT_NE(Edit, R.end());
  EXPECT_THAT(std::vector<std::string>(Edit + 1, Edit + 5), ElementsAre("begin", "end;", "", "finalization"));
  EXPECT_NE(std::find(R.begin(), R.end(), "  result := [paDialog];"), R.end());
}

TEST(PropertyEditorTest, ATextWithoutTypeOrImplementationIsLeftUnchanged) {
  TStringList L;
  SetLines(L, {"program P;", "begin", "  { type implementation }", "end."});
  EXPECT_FALSE(GeneratePropertyEditor(L, Plain()));
  EXPECT_THAT(LinesOf(L), ElementsAre("program P;", "begin", "  { type implementation }", "end."));
}

TEST(PropertyEditorTest, PagesFollowTheSelectedAttributes) {
  TFormVelmoricNewPropertyEditor F(nullptr);
  auto Path = [&] {
    std::vector<int> Forward{1}, Back;
    while (Forward.back() != 5) Forward.push_back(F.NextPage(Forward.back()));
    for (int P = 5; P != 1; P = F.PrevPage(P)) Back.push_back(P);
    Back.push_back(1);
    return std::make_pair(Forward, Back);
  };
  EXPECT_EQ(Path().first, std::vector<int>({1, 5}));
  EXPECT_EQ(Path().second, std::vector<int>({5, 1}));
  F.ListBoxType->Select(2);  // paSubProperties
  EXPECT_EQ(Path().first, std::vector<int>({1, 4, 5}));
  F.ListBoxType->Select(0);  // paValueList
  F.ListBoxType->Select(3);  // paDialog
  EXPECT_EQ(Path().first, std::vector<int>({1, 2, 3, 4, 5}));
  EXPECT_EQ(Path().second, std::vector<int>({5, 4, 3, 2, 1}));
  F.ListBoxType->Unselect(2);
  EXPECT_EQ(Path().first, std::vector<int>({1, 2, 3, 5}));
  EXPECT_EQ(Path().second, std::vector<int>({5, 3, 2, 1}));
  // A selected attribute shows its description; Next and Prev move the pages.
  EXPECT_EQ(F.Memo1->Text().substr(0, 19), "The Edit method bri");
  F.ButtonNext->Click();
  EXPECT_EQ(F.PageControl1->ActivePage(), F.TabSheet2);
  F.ButtonNext->Click();
  F.ButtonPrev->Click();
  EXPECT_EQ(F.PageControl1->ActivePage(), F.TabSheet2);
}

TEST(NewClassTest, TheSkeletonFollowsTheFirstTypeOfAUnit) {
  TStringList L;
  SetLines(L, {"unit U;", "interface", "type", "  TA = class end;", "implementation", "end."});
  ASSERT_TRUE(InsertClassSkeleton(L, "TB", "TA"));
  EXPECT_THAT(LinesOf(L), ElementsAreArray<std::string>({"unit U;", "interface", "type", "TB = class(TA)", "  private",
                                                         "  protected", "  public", "  published", "end;", "",
                                                         "  TA = class end;", "implementation", "end."}));
  TStringList NoType;
  SetLines(NoType, {"unit U;", "interface", "implementation", "end."});
  EXPECT_FALSE(InsertClassSkeleton(NoType, "TB", ""));
  EXPECT_EQ(NoType.Count(), 4);
}

TEST(NewClassTest, AnEmptyBufferGetsAWholeUnit) {
  EXPECT_THAT(NewClassUnit("/tmp/x/Gadgets.pas", "TGadget", ""),
              ElementsAreArray<std::string>({"unit Gadgets;", "", "interface", "type", "  TGadget = class", "  private",
                                             "  protected", "  public", "  published", "  private", "end;", "",
                                             "implementation", "end."}));
  EXPECT_EQ(NewClassUnit("Gadgets.pas", "TGadget", "TWidget")[4], "  TGadget = class(TWidget)");
}

}  // namespace
