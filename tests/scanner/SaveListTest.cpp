#include <gtest/gtest.h>

#include <string>

#include "platform/rtl/SysUtils.h"
#include "scanner/VelmoricSaveList.h"

namespace {
template <class E, class F>
std::string MessageOf(F&& Action) {
  try {
    Action();
  } catch (const E& Error) {
    return Error.Message();
  }
  return "(no exception)";
}
}  // namespace

TEST(SaveStringList, OutOfRangeNamesListAndCreator) {
  TSaveStringList L("usesList", "TPascalSource");
  EXPECT_EQ(L.Name, "usesList");
  EXPECT_EQ(L.CreatorName, "TPascalSource");
  EXPECT_EQ(L.Creator, nullptr);
  TObject A, B, C;
  L.AddObject("classes", &A);
  L.AddObject("sysutils", &B);
  L.AddObject("windows", &C);

  const std::string Expected = "Index out of range (index=3 max = 3) in List usesList TPascalSource";
  EXPECT_EQ(MessageOf<EStringListError>([&] { L.GetObjects(3); }), Expected);
  EXPECT_EQ(MessageOf<EStringListError>([&] { L.GetItems(3); }), Expected);
  EXPECT_EQ(MessageOf<EStringListError>([&] { L.PutItems(3, "x"); }), Expected);
  EXPECT_EQ(MessageOf<EStringListError>([&] { L.PutObjects(3, &A); }), Expected);
  EXPECT_EQ(MessageOf<EStringListError>([&] { L.GetObjects(-1); }),
            "Index out of range (index=-1 max = 3) in List usesList TPascalSource");
  // The list is unchanged by the failed accesses.
  ASSERT_EQ(L.Count(), 3);
  EXPECT_EQ(L.GetObjects(2), &C);

  EXPECT_EQ(L.GetItems(0), "classes");
  L.PutItems(1, "SysUtils");
  EXPECT_EQ(L.GetItems(1), "SysUtils");
  L.PutObjects(0, &B);
  EXPECT_EQ(L.GetObjects(0), &B);
}

TEST(SaveStringList, KeepsLibraryBehaviour) {
  TSaveStringList L("owner.symbols", "AddOrvikSymbol");
  L.SetDuplicates(dupAccept);
  L.SetSorted(true);
  L.Add("foo");
  L.Add("bar");
  L.Add("foo");
  EXPECT_EQ(L.Count(), 3);
  EXPECT_EQ(L.GetItems(0), "bar");
  EXPECT_EQ(L.IndexOf("FOO"), 1);
  EXPECT_THROW(L.PutItems(0, "x"), EStringListError);  // sorted lists refuse Put
}

TEST(SaveList, OutOfRangeNamesListAndCreator) {
  TSaveList L("FUnitLIst", "TPascalProject");
  EXPECT_EQ(MessageOf<EListError>([&] { L.GetItems(-1); }),
            "Index out of range (index=-1 max = 0) in List FUnitLIst TPascalProject");
  EXPECT_EQ(MessageOf<EListError>([&] { L.GetItems(0); }),
            "Index out of range (index=0 max = 0) in List FUnitLIst TPascalProject");
  int X = 1, Y = 2;
  L.Add(&X);
  EXPECT_EQ(L.GetItems(0), &X);
  L.PutItems(0, &Y);
  EXPECT_EQ(L.GetItems(0), &Y);
  EXPECT_EQ(MessageOf<EListError>([&] { L.PutItems(1, &X); }),
            "Index out of range (index=1 max = 1) in List FUnitLIst TPascalProject");
  EXPECT_EQ(L.Count(), 1);
  EXPECT_EQ(L.GetItems(0), &Y);
}
