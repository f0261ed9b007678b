#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "scanner/VelmoricPascalScanner.h"
#include "trace/traceletVelmoric.h"

namespace {

TOrvikSymbol* NewSymbol(TSymTyp Typ, const std::string& Name) {
  auto* S = new TOrvikSymbol;
  S->Typ = Typ;
  S->name = Name;
  return S;
}

TOrvikSymbol* Add(TOrvikSymbol& Owner, TSymTyp Typ, const std::string& Name) {
  TOrvikSymbol* S = NewSymbol(Typ, Name);
  AddOrvikSymbol(&Owner, S);
  return S;
}

std::vector<std::string> Keys(const TOrvikSymbols& L) {
  std::vector<std::string> Out;
  for (int I = 0; I < L.Count(); ++I) Out.push_back(L.GetItems(I));
  return Out;
}

// unit Unit1 with a form class, a method with a local procedure and variable,
// a member named like its class, and a class declared inside a procedure.
struct UnitTree {
  UnitTree() {
    Root.Typ = typUnit;
    Root.name = "Unit1";
    Form = Add(Root, typClass, "TMyForm");
    Click = Add(*Form, typProcedure, "Button1Click");
    Inner = Add(*Click, typProcedure, "Inner");
    X = Add(*Click, typVar, "X");
    Ctor = Add(*Form, typProcedure, "TMyForm");
    Helper = Add(Root, typProcedure, "Helper");
    LocalClass = Add(*Helper, typClass, "TLocal");
  }
  TOrvikSymbol Root;
  TOrvikSymbol *Form, *Click, *Inner, *X, *Ctor, *Helper, *LocalClass;
};

}  // namespace

TEST(OrvikSymbol, StartsEmptyWithLinesNone) {
  TOrvikSymbol S;
  EXPECT_EQ(S.Typ, typEOF);
  EXPECT_EQ(S.ProcTyp, tProcedure);
  EXPECT_EQ(S.Line, -1);
  EXPECT_EQ(S.DeclLine, -1);
  EXPECT_EQ(S.RefCount, 0);
  EXPECT_EQ(S.symbols, nullptr);
  EXPECT_EQ(S.Parent, nullptr);
  EXPECT_EQ(S.Source, nullptr);
  EXPECT_TRUE(S.Options.Empty());
  TFindSymbol F;
  EXPECT_EQ(F.Proc, nullptr);
  EXPECT_EQ(F.Owner, nullptr);
  EXPECT_EQ(F.Symbol, nullptr);
}

// The text fields read and change like strings whether they were empty or
// not, also when a text is assigned or appended to itself.
TEST(OrvikSymbol, TextFieldsBehaveAsStrings) {
  TOrvikSymbol S;
  EXPECT_TRUE(S.Comment.empty());
  EXPECT_EQ(S.Comment, "");
  EXPECT_EQ(std::string(S.Comment), "");
  S.Params = "a: Integer";
  S.Params += "; b: string";
  EXPECT_EQ(S.Params, "a: Integer; b: string");
  EXPECT_EQ(S.Params.size(), 21u);
  EXPECT_EQ(S.Params.back(), 'g');
  EXPECT_EQ(S.Params.rfind(';'), 10u);
  S.Params = S.Params.substr(0, 10);
  EXPECT_EQ(S.Params, "a: Integer");
  S.Params += S.Params;
  EXPECT_EQ(S.Params, "a: Integera: Integer");
  S.Params = S.Params;
  EXPECT_EQ(Format("(%s)", S.Params), "(a: Integera: Integer)");
  S.Params = std::string();
  EXPECT_TRUE(S.Params.empty());
  S.Params.clear();
  S.name = "TMyForm";
  S.TypeName = S.name;
  S.name = "Other";
  EXPECT_EQ(S.TypeName, "TMyForm");
  EXPECT_EQ("T" + S.name + '.' + S.TypeName, "TOther.TMyForm");
  EXPECT_TRUE(SameText(S.TypeName, "tmyform"));
  EXPECT_EQ(LowerCase(S.TypeName), "tmyform");
  const std::string Read = S.TypeName;
  EXPECT_EQ(Read, "TMyForm");
  S.Comment = std::string_view("{ x }");
  EXPECT_EQ(S.Comment, "{ x }");
  S.Extra().Reserved += "";
  EXPECT_TRUE(S.Reserved().empty());
  S.Extra().Reserved += 'r';
  S.Extra().DefaultValue = std::string_view();
  EXPECT_EQ(S.Reserved(), "r");
  EXPECT_TRUE(S.DefaultValue().empty());
  // Joined token by token, as long type texts are.
  std::string Want;
  S.TypeName = "(";
  Want = "(";
  for (int I = 0; I < 3000; ++I) {
    const std::string Token = "m" + std::to_string(I) + ", ";
    S.TypeName += Token;
    Want += Token;
    if (I % 7 == 0) {
      S.TypeName += S.TypeName.substr(0, 3);
      Want += Want.substr(0, 3);
    }
  }
  EXPECT_EQ(S.TypeName, Want);
  EXPECT_EQ(S.TypeName.size(), Want.size());
  TSymText Copy(S.TypeName);
  S.TypeName = "x";
  EXPECT_EQ(Copy, Want);
  EXPECT_EQ(S.TypeName, "x");
}

// Short texts live in the field itself, longer ones in a block: every length
// across that edge reads back whole and zero-terminated, through copies,
// moves, += and assignments of a part of the text itself.
TEST(OrvikSymbols, TextsOfEveryLengthAcrossTheShortTextEdge) {
  for (size_t N = 0; N <= 12; ++N) {
    const std::string Want(N, static_cast<char>('a' + N));
    TSymText T(Want);
    EXPECT_EQ(T, Want);
    EXPECT_EQ(T.size(), N);
    EXPECT_EQ(T.empty(), N == 0);
    EXPECT_EQ(std::strlen(T.c_str()), N);
    TSymText Copy(T);
    TSymText Moved(std::move(T));
    EXPECT_TRUE(T.empty());
    EXPECT_EQ(Copy, Want);
    EXPECT_EQ(Moved, Want);
    // Grown by itself, one character at a time, then cut back to a part of itself.
    Moved += Moved.view();
    EXPECT_EQ(Moved, Want + Want);
    for (size_t I = 0; I < 5; ++I) Moved += static_cast<char>('0' + I);
    EXPECT_EQ(Moved, Want + Want + "01234");
    EXPECT_EQ(std::strlen(Moved.c_str()), 2 * N + 5);
    Moved = Moved.view().substr(N, N);
    EXPECT_EQ(Moved, Want);
    Moved = Moved.view().substr(N / 2);
    EXPECT_EQ(Moved, Want.substr(N / 2));
    EXPECT_EQ(std::strlen(Moved.c_str()), N - N / 2);
    Copy = std::move(Moved);
    EXPECT_EQ(Copy, Want.substr(N / 2));
  }
}

// Texts placed in an arena read as any other, change into blocks of their
// own on any change, and keep their value when owned before the arena goes.
TEST(OrvikSymbols, ArenaTextsReadChangeAndOutliveTheirArena) {
  std::vector<std::string> Want;
  for (size_t N = 0; N <= 40; N += 3) Want.push_back(std::string(N, static_cast<char>('a' + N % 26)));
  std::vector<TSymText> Kept(Want.size()), Changed(Want.size());
  {
    TSymTextArena Arena(16);  // too small at first: more chunks follow
    std::vector<TSymText> Placed(Want.size());
    for (size_t I = 0; I < Want.size(); ++I) {
      Placed[I].Place(Want[I], Arena);
      EXPECT_EQ(Placed[I], Want[I]);
      EXPECT_EQ(std::strlen(Placed[I].c_str()), Want[I].size());
      EXPECT_EQ(Placed[I].InArena(), Want[I].size() > TSymText::InlineCapacity);
      EXPECT_EQ(Placed[I].HeapBlock(), nullptr);
    }
    EXPECT_GE(Arena.Bytes(), Arena.Used());
    EXPECT_GT(Arena.Used(), 0u);
    for (size_t I = 0; I < Want.size(); ++I) {
      Changed[I].Place(Want[I], Arena);
      Changed[I] += "!";  // a change copies out of the arena
      EXPECT_FALSE(Changed[I].InArena());
      Kept[I].Place(Want[I], Arena);
      Kept[I].Own();
      EXPECT_FALSE(Kept[I].InArena());
      TSymText Copy(Placed[I]);
      EXPECT_FALSE(Copy.InArena());
      Placed[I] = Want[I] + "x";
      EXPECT_EQ(Placed[I], Want[I] + "x");
    }
    Placed[0].Place(Want.back(), Arena);
    Placed[0].clear();
  }
  for (size_t I = 0; I < Want.size(); ++I) {
    EXPECT_EQ(Kept[I], Want[I]);
    EXPECT_EQ(Changed[I], Want[I] + "!");
  }
}

// The rare texts of a record read empty until written; writing one leaves
// the others empty. A count of holders that would leave its range raises and
// keeps its value.
TEST(OrvikSymbols, RareTextsAndHolderCount) {
  TOrvikSymbol S;
  EXPECT_TRUE(S.Ancestor().empty());
  EXPECT_EQ(S.code(), nullptr);
  S.Extra().ReadAccess = "FValue";
  EXPECT_EQ(S.ReadAccess(), "FValue");
  EXPECT_TRUE(S.WriteAccess().empty());
  EXPECT_TRUE(S.Ancestor().empty());

  S.RefCount = 32766;
  ++S.RefCount;
  EXPECT_EQ(S.RefCount, 32767);
  EXPECT_THROW(++S.RefCount, EIntOverflow);
  EXPECT_EQ(S.RefCount, 32767);
  S.RefCount = -32768;
  EXPECT_THROW(--S.RefCount, EIntOverflow);
  S.RefCount = 0;
  --S.RefCount;
  EXPECT_EQ(S.RefCount, -1);
  S.RefCount = 0;
}

TEST(OrvikSymbols, SortedListKeepsEveryName) {
  TOrvikSymbol Root;
  Root.name = "Unit1";
  TOrvikSymbol* Upper = Add(Root, typVar, "Foo");
  TOrvikSymbol* Lower = Add(Root, typVar, "foo");
  Add(Root, typVar, "Bar");
  ASSERT_NE(Root.symbols, nullptr);
  EXPECT_EQ(Root.symbols->Name, "owner.symbols");
  EXPECT_EQ(Root.symbols->CreatorName, "AddOrvikSymbol");
  EXPECT_TRUE(Root.symbols->Sorted());
  EXPECT_EQ(Keys(*Root.symbols), (std::vector<std::string>{"bar", "foo", "foo"}));
  const TOrvikSymbol* A = Root.symbols->GetSymbol(1);
  const TOrvikSymbol* B = Root.symbols->GetSymbol(2);
  EXPECT_TRUE((A == Upper && B == Lower) || (A == Lower && B == Upper));
  EXPECT_EQ(Upper->Parent, &Root);
  EXPECT_EQ(Upper->RefCount, 1);
  EXPECT_EQ(Lower->RefCount, 1);
}

TEST(OrvikSymbols, UnsortedListKeepsInsertionOrder) {
  TOrvikSymbol Root;
  for (const char* Name : {"Zeta", "alpha", "TWindowsMessageDispatcher", "Mid", "alpha"}) {
    TOrvikSymbol* S = NewSymbol(typConst, Name);
    AddOrvikSymbolUnsorted(&Root, S);
    EXPECT_EQ(S->Parent, &Root);
  }
  ASSERT_NE(Root.symbols, nullptr);
  EXPECT_FALSE(Root.symbols->Sorted());
  EXPECT_GE(Root.symbols->Capacity(), 500);
  EXPECT_EQ(Root.symbols->CreatorName, "AddOrvikSymbolUnsorted");
  // A key shorter than the one before it is not left with the longer one's tail.
  EXPECT_EQ(Keys(*Root.symbols), (std::vector<std::string>{"zeta", "alpha", "twindowsmessagedispatcher",
                                                           "mid", "alpha"}));
  EXPECT_EQ(Root.symbols->GetSymbol(3)->name, "Mid");
}

TEST(OrvikSymbols, GetAndSetSymbolAreRangeChecked) {
  UnitTree T;
  TOrvikSymbols& L = *T.Root.symbols;
  ASSERT_EQ(L.Count(), 2);
  try {
    L.GetSymbol(5);
    FAIL();
  } catch (const EStringListError& E) {
    EXPECT_EQ(E.Message(), "Index out of range (index=5 max = 2) in List owner.symbols AddOrvikSymbol");
  }
  EXPECT_THROW(L.SetSymbol(2, T.Form), EStringListError);
  const int I = L.IndexOf("helper");
  ASSERT_GE(I, 0);
  EXPECT_EQ(L.GetSymbol(I), T.Helper);
}

TEST(OrvikSymbols, FindSymbolSearchesDepthFirst) {
  UnitTree T;
  TOrvikSymbols& L = *T.Root.symbols;
  EXPECT_EQ(L.FindSymbol({typClass}, "tmyform"), T.Form);
  // The member named like its class comes before the class.
  EXPECT_EQ(L.FindSymbol({typClass, typProcedure}, "TMYFORM"), T.Ctor);
  EXPECT_EQ(L.FindSymbol({typVar}, "x"), T.X);
  EXPECT_EQ(L.FindSymbol({typProcedure}, "inner"), T.Inner);
  EXPECT_EQ(L.FindSymbol({typClass}, "TLOCAL"), T.LocalClass);
  EXPECT_EQ(L.FindSymbol({typProcedure}, "x"), nullptr);
  EXPECT_EQ(L.FindSymbol({}, "TMyForm"), nullptr);
  EXPECT_EQ(L.FindSymbol({typClass}, "TMyFor"), nullptr);

  EXPECT_EQ(L.FindAnyFlatSymbol("tmyform"), T.Form);
  EXPECT_EQ(L.FindAnyFlatSymbol("HELPER"), T.Helper);
  EXPECT_EQ(L.FindAnyFlatSymbol("tlocal"), nullptr);
  EXPECT_EQ(L.FindAnyFlatSymbol("button1click"), nullptr);
}

TEST(SymbolTexts, FullNameStopsAtUnit) {
  UnitTree T;
  std::string S = "old";
  GetFullNameOfSymbol(T.Click, S);
  EXPECT_EQ(S, "TMyForm.Button1Click");
  GetFullNameOfSymbol(T.Inner, S);
  EXPECT_EQ(S, "TMyForm.Button1Click.Inner");
  GetFullNameOfSymbol(T.Helper, S);
  EXPECT_EQ(S, "Helper");
  GetFullNameOfSymbol(&T.Root, S);
  EXPECT_EQ(S, "Unit1");
  TOrvikSymbol Loose;
  Loose.name = "Loose";
  GetFullNameOfSymbol(&Loose, S);
  EXPECT_EQ(S, "Loose");
}

TEST(SymbolTexts, KindNames) {
  std::string S;
  const std::pair<TProcTokenType, const char*> Procs[] = {
      {tProcedure, "Procedure"}, {tFunction, "Function"}, {tConstructor, "Constructor"},
      {tDestructor, "Destructor"}, {static_cast<TProcTokenType>(9), ""}};
  for (const auto& [Kind, Text] : Procs) {
    S = "old";
    ProcTypToString(Kind, S);
    EXPECT_EQ(S, Text);
  }
  const std::pair<TBereichTokenType, const char*> Scopes[] = {
      {tPrivate, "Private"}, {tPublic, "Public"}, {tProtected, "Protected"},
      {tPublished, "Published"}, {tGlobal, "Global"}, {tLocal, "Local"},
      {static_cast<TBereichTokenType>(6), ""}};
  for (const auto& [Kind, Text] : Scopes) {
    S = "old";
    BereichTokenTypeToString(Kind, S);
    EXPECT_EQ(S, Text);
  }
}

TEST(SymbolTexts, ConCatJoinsTokens) {
  auto Join = [](const std::vector<std::string>& Tokens) {
    std::string S;
    for (const std::string& T : Tokens) S = ConCat(S, T);
    return S;
  };
  EXPECT_EQ(Join({"High", "(", "Integer", ")"}), "High(Integer)");
  EXPECT_EQ(Join({"array", "[", "0", ".", ".", "1", "]", "of", "Integer"}), "array[0..1] of Integer");
  EXPECT_EQ(Join({"a", "or", "b"}), "a or b");
  EXPECT_EQ(Join({"1", "+", "2"}), "1+2");
  EXPECT_EQ(Join({"(", "1", ",", "2", ")"}), "(1,2)");
  EXPECT_EQ(Join({"(", "ckRed", ",", "ckGreen", ")"}), "(ckRed, ckGreen)");
  EXPECT_EQ(Join({"[", "fsBold", ",", "fsItalic", "]"}), "[fsBold, fsItalic]");
  EXPECT_EQ(Join({"Windows", ".", "MAX_PATH"}), "Windows.MAX_PATH");
  EXPECT_EQ(Join({"1", "shl", "Bits"}), "1 shl Bits");
  EXPECT_EQ(ConCat("", "x"), "x");
  EXPECT_EQ(ConCat("x", ""), "x");
  // The in-place form gives the same texts.
  std::string S = "Windows";
  for (const char* T : {".", "MAX_PATH", "+", "1", "div", "Size"}) ConCatTo(S, T);
  EXPECT_EQ(S, "Windows.MAX_PATH+1 div Size");
}

TEST(SymbolTexts, AddSymDebugTracesInsertions) {
  const std::string Log = testing::TempDir() + "velmoric-addsym-" + std::to_string(::getpid()) + ".log";
  tracelet->SetLogfile(Log);
  AddSymDebug = true;
  {
    TOrvikSymbol Root;
    Root.name = "Unit1";
    Add(Root, typClass, "TFoo");
  }
  AddSymDebug = false;
  {
    TOrvikSymbol Root;
    Root.name = "Unit2";
    Add(Root, typClass, "TQuiet");
  }
  tracelet->CloseLogfile();
  const std::string Text = ReadFileBytes(Log);
  EXPECT_NE(Text.find("AddSymbol Unit1.TFoo"), std::string::npos) << Text;
  EXPECT_EQ(Text.find("TQuiet"), std::string::npos) << Text;
  std::remove(Log.c_str());
}

TEST(SymbolRelease, RecordHeldByTwoLists) {
  TOrvikSymbol A, B;
  TOrvikSymbol* Shared = NewSymbol(typClass, "TShared");
  Add(*Shared, typVar, "FField");
  AddOrvikSymbol(&A, Shared);
  AddOrvikSymbol(&B, Shared);
  EXPECT_EQ(Shared->RefCount, 2);
  EXPECT_EQ(Shared->Parent, &B);

  ReleaseOrvikSymbolChildren(A);
  EXPECT_EQ(A.symbols, nullptr);
  EXPECT_EQ(Shared->RefCount, 1);  // still held by B
  EXPECT_EQ(B.symbols->FindSymbol({typVar}, "ffield")->name, "FField");

  ReleaseOrvikSymbolChildren(B);  // frees Shared and its field
  EXPECT_EQ(B.symbols, nullptr);
  ReleaseOrvikSymbolChildren(B);  // nothing left to release
}

TEST(SymbolRelease, SurvivingChildForgetsFreedParent) {
  TOrvikSymbol Other;
  TOrvikSymbol* Member = NewSymbol(typProcedure, "Run");
  AddOrvikSymbol(&Other, Member);
  TOrvikSymbol* Cls = NewSymbol(typClass, "TRunner");
  AddOrvikSymbol(Cls, Member);  // Member's parent is now the class
  AddOrvikSymbol(&Other, Cls);
  ASSERT_EQ(Member->Parent, Cls);

  const int I = Other.symbols->IndexOf("trunner");
  Other.symbols->Delete(I);
  ReleaseOrvikSymbol(Cls);  // the class goes; Member stays in Other
  EXPECT_EQ(Member->RefCount, 1);
  EXPECT_EQ(Member->Parent, nullptr);
  std::string S;
  GetFullNameOfSymbol(Member, S);
  EXPECT_EQ(S, "Run");
}

TEST(SymbolRelease, SingleHolderAndUnheldRecords) {
  ReleaseOrvikSymbol(nullptr);
  ReleaseOrvikSymbol(NewSymbol(typVar, "Never"));  // RefCount 0: freed at once

  TOrvikSymbol* Deep = NewSymbol(typClass, "TDeep");
  TOrvikSymbol* Level = Deep;
  for (int I = 0; I < 20; ++I) Level = Add(*Level, typProcedure, "P" + std::to_string(I));
  Deep->RefCount = 1;
  ReleaseOrvikSymbol(Deep);  // the whole chain goes with it
}
