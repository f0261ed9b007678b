#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Classes.h"

namespace {

std::string Joined(const TStrings& L) {
  std::string R;
  for (int I = 0; I < L.Count(); ++I) R += (I ? "," : "") + L[I];
  return R;
}

struct Tagged : TObject {
  explicit Tagged(int V) : Value(V) {}
  int Value;
};

}  // namespace

TEST(TStringListTest, UnsortedKeepsOrderAndFindsWithoutCase) {
  TStringList L;
  L.Add("Beta");
  L.Add("alpha");
  L.Add("beta");
  EXPECT_EQ(Joined(L), "Beta,alpha,beta");
  EXPECT_EQ(L.IndexOf("BETA"), 0);
  EXPECT_EQ(L.IndexOf("gamma"), -1);
  L.Insert(1, "x");
  L.Exchange(0, 3);
  EXPECT_EQ(Joined(L), "beta,x,alpha,Beta");
  L.Move(0, 3);
  EXPECT_EQ(Joined(L), "x,alpha,Beta,beta");
  L.Delete(0);
  EXPECT_EQ(Joined(L), "alpha,Beta,beta");
}

TEST(TStringListTest, SortedDuplicatesIgnoreAcceptError) {
  TStringList Ignore;
  Ignore.SetSorted(true);
  EXPECT_EQ(Ignore.Add("b"), 0);
  EXPECT_EQ(Ignore.Add("a"), 0);
  EXPECT_EQ(Ignore.Add("B"), 1);  // ignored: index of the existing entry
  EXPECT_EQ(Joined(Ignore), "a,b");

  TStringList Accept;
  Accept.SetSorted(true);
  Accept.SetDuplicates(dupAccept);
  Tagged First(1), Second(2);
  Accept.AddObject("Foo", &First);
  Accept.AddObject("foo", &Second);
  Accept.Add("bar");
  ASSERT_EQ(Accept.Count(), 3);
  EXPECT_EQ(Accept[0], "bar");
  // The library inserts a new duplicate before the equal ones.
  EXPECT_EQ(Accept.Objects(1), &Second);
  EXPECT_EQ(Accept.Objects(2), &First);
  int Index = -1;
  EXPECT_TRUE(Accept.Find("FOO", Index));
  EXPECT_EQ(Index, 1);
  EXPECT_FALSE(Accept.Find("c", Index));
  EXPECT_EQ(Index, 1);

  TStringList Error;
  Error.SetSorted(true);
  Error.SetDuplicates(dupError);
  Error.Add("x");
  try {
    Error.Add("X");
    FAIL() << "no exception";
  } catch (const EStringListError& E) {
    EXPECT_EQ(E.Message(), "String list does not allow duplicates");
  }
  EXPECT_EQ(Error.Count(), 1);
}

TEST(TStringListTest, AssignInOrderKeepsTheOrderOfEqualTextsAndTheSettings) {
  TStringList Sorted;
  Sorted.SetSorted(true);
  Sorted.SetDuplicates(dupAccept);
  Tagged First(1), Second(2), Third(3);
  Sorted.AddObject("foo", &First);
  Sorted.AddObject("FOO", &Second);
  Sorted.AddObject("a long text that no item holds inline", &Third);
  TStringList Copy;
  Copy.Add("dropped");
  Copy.AssignInOrder(Sorted);
  ASSERT_EQ(Joined(Copy), Joined(Sorted));
  for (int I = 0; I < Sorted.Count(); ++I) EXPECT_EQ(Copy.Objects(I), Sorted.Objects(I)) << I;
  EXPECT_TRUE(Copy.Sorted());
  EXPECT_EQ(Copy.Duplicates(), dupAccept);
  // Sorting again would be free to swap the equal texts; the copy did not.
  EXPECT_EQ(Copy.Objects(1), &Second);
  // The copy owns its texts and goes on as a sorted list.
  Sorted.Clear();
  Copy.Add("b");
  EXPECT_EQ(Joined(Copy), "a long text that no item holds inline,b,FOO,foo");

  TStringList Unsorted;
  Unsorted.SetText("z\ny\n");
  TStringList Plain;
  Plain.SetSorted(true);
  Plain.AssignInOrder(Unsorted);
  EXPECT_FALSE(Plain.Sorted());
  EXPECT_EQ(Joined(Plain), "z,y");
}

TEST(TStringListTest, SortedListRefusesPositionalChanges) {
  TStringList L;
  L.SetSorted(true);
  L.Add("m");
  EXPECT_THROW(L.Insert(0, "a"), EStringListError);
  EXPECT_THROW(L.Put(0, "a"), EStringListError);
  EXPECT_EQ(Joined(L), "m");
}

TEST(TStringListTest, TurningSortedOnSortsCaseInsensitively) {
  TStringList L;
  for (const char* S : {"delta", "Alpha", "charlie", "_under", "Bravo", "alpha"}) L.Add(S);
  L.SetSorted(true);
  for (int I = 1; I < L.Count(); ++I) EXPECT_LE(CompareText(L[I - 1], L[I]), 0) << I;
  EXPECT_EQ(L[0], "_under");
  EXPECT_EQ(L.IndexOf("CHARLIE"), 4);
}

TEST(TStringListTest, IndexErrorsNameTheIndex) {
  TStringList L;
  L.Add("a");
  try {
    L.Get(1);
    FAIL() << "no exception";
  } catch (const EStringListError& E) {
    EXPECT_EQ(E.Message(), "List index out of bounds (1)");
  }
  EXPECT_THROW(L.GetObject(-1), EStringListError);
  EXPECT_THROW(L.Delete(5), EStringListError);
  EXPECT_THROW(L.Insert(2, "x"), EStringListError);
  L.Insert(1, "end");
  EXPECT_EQ(Joined(L), "a,end");
}

TEST(TStringListTest, TextSplitsEveryLineEnd) {
  TStringList L;
  L.SetText("one\r\ntwo\nthree\rfour");
  EXPECT_EQ(Joined(L), "one,two,three,four");
  L.SetText("a\r\n\r\nb\r\n");
  EXPECT_EQ(L.Count(), 3);
  EXPECT_EQ(L[1], "");
  EXPECT_EQ(L.GetText(), "a\r\n\r\nb\r\n");
  L.SetText("");
  EXPECT_EQ(L.Count(), 0);
  L.SetText("\n\n");
  EXPECT_EQ(L.Count(), 2);
}

// Where each line starts in the split text, also past the lines a count of
// LFs foresees (lone CRs), until a line is changed.
TEST(TStringListTest, SplitOffsetsAreTheLineStarts) {
  TStringList L;
  L.SetText(std::string("one\r\ntwo\nthree\rfour\r\r\rfive"));
  EXPECT_EQ(Joined(L), "one,two,three,four,,,five");
  std::vector<int64_t> Starts;
  for (int I = 0; I < L.Count(); ++I) Starts.push_back(L.SplitOffset(I));
  EXPECT_EQ(Starts, (std::vector<int64_t>{0, 5, 9, 15, 20, 21, 22}));
  for (int I = 0; I < L.Count(); ++I)
    EXPECT_EQ(L.SplitText().substr(static_cast<size_t>(Starts[I]), L[I].size()), L[I]);
  L.Put(1, "changed");
  L.Insert(0, "new");
  EXPECT_EQ(L.SplitOffset(0), -1);
  EXPECT_EQ(L.SplitOffset(1), 0);
  EXPECT_EQ(L.SplitOffset(2), -1);
  EXPECT_THROW(L.SplitOffset(L.Count()), EStringListError);
}

TEST(TStringListTest, LinesFromTextTakeEveryChange) {
  TStringList L;
  L.SetText("one\ntwo\nthree\nfour");
  L.Put(1, "a line longer than the small-string buffer");
  L.Insert(0, "zero");
  L.Delete(3);  // "three"
  L.Exchange(0, 3);
  EXPECT_EQ(Joined(L), "four,one,a line longer than the small-string buffer,zero");
  L.Delete(0);
  L.Add("five");  // takes the deleted item's place in storage
  L.Add("six");
  EXPECT_EQ(Joined(L), "one,a line longer than the small-string buffer,zero,five,six");
  L.Sort();
  EXPECT_EQ(Joined(L), "a line longer than the small-string buffer,five,one,six,zero");

  // Its own text again, and a sorted list from text.
  L.SetText(L.GetText());
  EXPECT_EQ(L.Count(), 5);
  EXPECT_EQ(L[4], "zero");
  TStringList S;
  S.SetSorted(true);
  S.SetText("b\nA\nc\na");
  EXPECT_EQ(Joined(S), "A,b,c");
  L.Clear();
  EXPECT_EQ(L.Count(), 0);
  L.Add("after");
  EXPECT_EQ(Joined(L), "after");
}

// Shown items read the text they were given until OwnStrings copies them;
// short ones are copies from the start. A sorted list takes none.
TEST(TStringListTest, ShownItemsReadTheirTextUntilOwned) {
  TObject Marker;
  TStringList L;
  auto Text = std::make_unique<std::string>("shortlongerthaneight");
  const std::string_view Short(Text->data(), 5), Long(*Text);
  EXPECT_EQ(L.AddShownObject(Short, &Marker), 0);
  EXPECT_EQ(L.AddShownObject(Long, nullptr), 1);
  EXPECT_EQ(L[0], "short");
  EXPECT_EQ(L[1], "shortlongerthaneight");
  EXPECT_EQ(L.Objects(0), &Marker);
  EXPECT_EQ(L.IndexOf("SHORTLONGERTHANEIGHT"), 1);
  (*Text)[0] = 'S';
  EXPECT_EQ(L[0], "short");  // copied
  EXPECT_EQ(L[1], "Shortlongerthaneight");  // shown
  L.OwnStrings();
  Text.reset();
  EXPECT_EQ(L[0], "short");
  EXPECT_EQ(L[1], "Shortlongerthaneight");

  TStringList Sorted;
  Sorted.SetSorted(true);
  EXPECT_THROW(Sorted.AddShownObject("x", nullptr), EStringListError);
}

// Texts of every length around the point where an item stops holding its
// text itself, replaced by longer and shorter ones (also by their own text),
// in lists built from text and item by item.
TEST(TStringListTest, ItemsOfEveryLengthKeepTheirTexts) {
  std::vector<std::string> Texts;
  for (size_t N = 0; N <= 20; ++N) Texts.push_back(std::string(N, static_cast<char>('a' + N)));
  TStringList L;
  std::string Text;
  for (const std::string& T : Texts) Text += T + "\n";
  L.SetText(Text);
  ASSERT_EQ(L.Count(), 21);
  for (int I = 0; I < L.Count(); ++I) EXPECT_EQ(L[I], Texts[static_cast<size_t>(I)]);
  // Each line replaced by the text of its mirror, then by a part of itself.
  for (int I = 0; I < L.Count(); ++I) L.Put(I, Texts[static_cast<size_t>(20 - I)]);
  for (int I = 0; I < L.Count(); ++I) EXPECT_EQ(L[I], Texts[static_cast<size_t>(20 - I)]);
  for (int I = 0; I < L.Count(); ++I) L.Put(I, L[I].substr(0, L[I].size() / 2));
  for (int I = 0; I < L.Count(); ++I) EXPECT_EQ(L[I], Texts[static_cast<size_t>(20 - I)].substr(0, (20 - I) / 2));

  TStringList Sorted;
  Sorted.SetSorted(true);
  Sorted.SetDuplicates(dupAccept);
  for (int Round = 0; Round < 3; ++Round)
    for (const std::string& T : Texts) Sorted.Add(T + std::to_string(Round));
  for (int I = Sorted.Count() - 1; I >= 0; I -= 2) Sorted.Delete(I);
  for (const std::string& T : Texts) Sorted.Add("z" + T);
  std::string Out;
  for (int I = 0; I < Sorted.Count(); ++I) {
    Sorted.GetTo(I, Out);
    EXPECT_EQ(Out, Sorted[I]);
    if (I > 0) {
      EXPECT_LE(CompareText(Sorted[I - 1], Sorted[I]), 0);
    }
  }
  EXPECT_EQ(Sorted.IndexOf("Z" + Texts[9]), Sorted.IndexOf("z" + Texts[9]));
  EXPECT_GE(Sorted.IndexOf("z" + Texts[20]), 0);
}

TEST(TStringListTest, FileRoundTripKeepsLines) {
  const std::string Path = testing::TempDir() + "velmoric_stringlist.txt";
  {
    TStringList L;
    L.Add("first");
    L.Add("");
    L.Add("third \xE4");
    L.SaveToFile(Path);
  }
  EXPECT_EQ(ReadFileBytes(Path), "first\r\n\r\nthird \xE4\r\n");
  TStringList Back;
  Back.LoadFromFile(Path);
  EXPECT_EQ(Joined(Back), "first,,third \xE4");
  std::remove(Path.c_str());
  EXPECT_THROW(Back.LoadFromFile(Path), EFOpenError);
  EXPECT_EQ(Back.Count(), 3);  // a failed load leaves the list alone
}

TEST(TStringListTest, ObjectsNamesValuesAndChangeEvents) {
  TStringList L;
  int Changes = 0;
  L.OnChange = [&](TObject*) { ++Changes; };
  Tagged T(7);
  L.AddObject("path=/usr", &T);
  EXPECT_EQ(Changes, 2);  // the string, then its object
  L.Add("Nopanel=1");
  EXPECT_EQ(Changes, 3);
  EXPECT_EQ(static_cast<Tagged*>(L.Objects(0))->Value, 7);
  EXPECT_EQ(L.IndexOfObject(&T), 0);
  EXPECT_EQ(L.Values("PATH"), "/usr");
  EXPECT_EQ(L.Names(1), "Nopanel");
  L.BeginUpdate();
  L.SetValue("path", "/opt");
  L.SetValue("nopanel", "");
  L.EndUpdate();
  EXPECT_EQ(Changes, 4);  // one notification for the whole update
  EXPECT_EQ(Joined(L), "path=/opt");
}

TEST(TStringListTest, CapacityIsKeptAndChecked) {
  TStringList L;
  L.SetCapacity(500);
  EXPECT_GE(L.Capacity(), 500);
  L.Add("a");
  EXPECT_THROW(L.SetCapacity(-1), EStringListError);
}

// Items outgrow many blocks of the list's storage; deleted ones are taken
// again by later insertions, and every text keeps its object.
TEST(TStringListTest, LongListsKeepTextsAndObjectsThroughDeletions) {
  TStringList L;
  L.SetSorted(true);
  L.SetDuplicates(dupAccept);
  std::vector<std::unique_ptr<Tagged>> Tags;
  const auto Add = [&](int V) {
    Tags.push_back(std::make_unique<Tagged>(V));
    L.AddObject("item" + std::to_string(100000 + (V * 7919) % 1000), Tags.back().get());
  };
  for (int V = 0; V < 1000; ++V) Add(V);
  for (int I = L.Count() - 1; I >= 0; I -= 3) L.Delete(I);
  for (int V = 1000; V < 1300; ++V) Add(V);
  ASSERT_EQ(L.Count(), 1000 - 334 + 300);
  for (int I = 0; I < L.Count(); ++I) {
    if (I > 0) {
      EXPECT_LE(L[I - 1], L[I]);
    }
    const int V = static_cast<Tagged*>(L.Objects(I))->Value;
    EXPECT_EQ(L[I], "item" + std::to_string(100000 + (V * 7919) % 1000));
  }
}

TEST(TListTest, ReferencesWithBoundsChecks) {
  TList L;
  int A = 1, B = 2, C = 3;
  L.Add(&A);
  L.Add(&B);
  L.Insert(0, &C);
  EXPECT_EQ(L.Count(), 3);
  EXPECT_EQ(L[0], &C);
  EXPECT_EQ(L.IndexOf(&B), 2);
  EXPECT_EQ(L.Remove(&C), 0);
  EXPECT_EQ(L.First(), &A);
  EXPECT_EQ(L.Last(), &B);
  try {
    L.Get(2);
    FAIL() << "no exception";
  } catch (const EListError& E) {
    EXPECT_EQ(E.Message(), "List index out of bounds (2)");
  }
  L.Add(nullptr);
  L.Pack();
  EXPECT_EQ(L.Count(), 2);
  L.Add(&C);
  L.Sort([](void* X, void* Y) { return *static_cast<int*>(Y) - *static_cast<int*>(X); });
  EXPECT_EQ(L[0], &C);
  EXPECT_EQ(L[2], &A);
  EXPECT_THROW(L.SetCapacity(1), EListError);
  L.Clear();
  EXPECT_EQ(L.Count(), 0);
}
