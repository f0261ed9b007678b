// The "Create a symbol like..." list.
#include <memory>

#include "WizardTestSupport.h"
#include "platform/vcl/VclHost.h"
#include "wizards/VelmoricLike.h"

namespace {

TEST(LikeForm, ListsTypeAndKindWordAndChoosesByDoubleClick) {
  TOrvikSymbol Proc, Var, Cls;
  Proc.Typ = typProcedure;
  Proc.TypeName = "";
  Var.Typ = typVar;
  Var.TypeName = "integer";
  Cls.Typ = typClass;
  Cls.TypeName = "TOrder";
  TSaveStringList List("FSymbolList", "test");
  List.SetSorted(true);
  List.AddObject("Count:", &Proc);
  List.AddObject("Count:integer", &Var);
  List.AddObject("Count:TOrder", &Cls);
  TVclHost Saved = VclHost();
  VclHost().ShowModal = [](TCustomForm& Form) {
    auto* Like = static_cast<TFormVelmoricLike*>(&Form);
    Like->ListBox1->Select(1);
    Like->ListBox1->DblClick();
    return Like->ModalResult;
  };
  auto Like = std::make_unique<TFormVelmoricLike>(nullptr);
  Like->SymbolList = &List;
  EXPECT_EQ(Like->ShowModal(), mrOk);
  VclHost() = Saved;
  ASSERT_EQ(Like->ListBox1->Items()->Count(), 3);
  EXPECT_EQ(Like->ListBox1->Items()->Get(0), " procedure");
  EXPECT_EQ(Like->ListBox1->Items()->Get(1), "integer variable");
  EXPECT_EQ(Like->ListBox1->Items()->Get(2), "TOrder class");
  EXPECT_EQ(Like->Selected, &Var);
  EXPECT_EQ(Like->Caption, "Create a symbol like...");
}

TEST(LikeForm, KindWords) {
  TOrvikSymbol S;
  const std::pair<TSymTyp, const char*> Words[] = {{typProperty, "property"}, {typType, "type"},
                                                  {typRecord, "record"},     {typConst, "const"}};
  for (const auto& [Typ, Word] : Words) {
    S.Typ = Typ;
    EXPECT_EQ(LikeKindWord(&S), Word);
  }
}

}  // namespace
