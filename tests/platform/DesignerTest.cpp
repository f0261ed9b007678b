// The designer's component editors: the nearest registered class wins,
// a later registration for the same class replaces the earlier one, and the
// designer's context menu lists and runs the editor's verbs.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/Designer.h"

namespace {

class TBase : public TComponent {
 public:
  using TComponent::TComponent;
};
class TDerived : public TBase {
 public:
  using TBase::TBase;
};
class TFurther : public TDerived {
 public:
  using TDerived::TDerived;
};
class TOther : public TComponent {
 public:
  using TComponent::TComponent;
};

std::vector<std::string> Executed;

template <int N>
class TNamedEditor : public TComponentEditor {
 public:
  using TComponentEditor::TComponentEditor;
  int GetVerbCount() override { return 2; }
  std::string GetVerb(int Index) override { return "Editor" + std::to_string(N) + " verb " + std::to_string(Index); }
  void ExecuteVerb(int Index) override {
    Executed.push_back(GetVerb(Index) + " on " + Component()->Name());
    Designer()->Modified();
  }
};

class ComponentEditors : public testing::Test {
 protected:
  void SetUp() override {
    ClearComponentEditors();
    Executed.clear();
  }
  void TearDown() override { ClearComponentEditors(); }
  static std::string FirstVerb(TComponent* C) {
    TFormDesigner D;
    const auto Verbs = D.Verbs(C);
    return Verbs.empty() ? "" : Verbs[0];
  }
};

TEST_F(ComponentEditors, WithoutARegistrationTheDefaultEditorHasNoVerbs) {
  TBase B(nullptr);
  TFormDesigner D;
  std::unique_ptr<TComponentEditor> E(GetComponentEditor(&B, &D));
  ASSERT_NE(dynamic_cast<TDefaultEditor*>(E.get()), nullptr);
  EXPECT_EQ(E->GetVerbCount(), 0);
  EXPECT_EQ(E->Component(), &B);
  EXPECT_EQ(E->Designer(), &D);
  EXPECT_FALSE(D.ExecuteVerb(&B, 0));
}

TEST_F(ComponentEditors, TheNearestRegisteredClassWinsInEitherOrder) {
  TBase B(nullptr);
  TDerived Dd(nullptr);
  TFurther F(nullptr);
  TOther O(nullptr);
  RegisterComponentEditor<TDerived, TNamedEditor<2>>("TDerived");
  RegisterComponentEditor<TBase, TNamedEditor<1>>("TBase");
  EXPECT_EQ(FirstVerb(&B), "Editor1 verb 0");
  EXPECT_EQ(FirstVerb(&Dd), "Editor2 verb 0");
  EXPECT_EQ(FirstVerb(&F), "Editor2 verb 0") << "a derived class without its own editor";
  EXPECT_EQ(FirstVerb(&O), "");
  // A later registration for the same class replaces the earlier one.
  RegisterComponentEditor<TDerived, TNamedEditor<3>>("TDerived");
  EXPECT_EQ(FirstVerb(&F), "Editor3 verb 0");
  EXPECT_EQ(FirstVerb(&B), "Editor1 verb 0");
}

TEST_F(ComponentEditors, TheDesignerRunsVerbsAndEditRunsTheFirst) {
  RegisterComponentEditor<TBase, TNamedEditor<1>>("TBase");
  TDerived C(nullptr);
  C.SetName("Table1");
  TFormDesigner D;
  EXPECT_EQ(D.Verbs(&C), (std::vector<std::string>{"Editor1 verb 0", "Editor1 verb 1"}));
  EXPECT_TRUE(D.ExecuteVerb(&C, 1));
  EXPECT_FALSE(D.ExecuteVerb(&C, 2));
  EXPECT_FALSE(D.ExecuteVerb(&C, -1));
  std::unique_ptr<TComponentEditor> E(GetComponentEditor(&C, &D));
  E->Edit();
  EXPECT_EQ(Executed, (std::vector<std::string>{"Editor1 verb 1 on Table1", "Editor1 verb 0 on Table1"}));
  EXPECT_EQ(D.ModifiedCount(), 2);
}

}  // namespace
