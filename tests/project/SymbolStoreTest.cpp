#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "project/VelmoricSymbolStore.h"

namespace {

TOrvikSymbol* Child(TOrvikSymbol& Owner, TSymTyp Typ, const std::string& Name, int Line = 1) {
  TOrvikSymbolstore Store;
  TOrvikSymbol* S = Store.Allocate(nullptr);
  S->Typ = Typ;
  S->name = Name;
  S->Line = Line;
  AddOrvikSymbol(&Owner, S);
  return S;
}

// A unit root with a class, members, a function with parameters and a
// procedure with every text field set.
void BuildTree(TOrvikSymbol& Root, TStringList& Uses) {
  Root.Typ = typUnit;
  Root.name = "Unit1";
  Root.TypeName = "/src/Unit1.pas";
  Uses.Add("classes");
  Uses.Add("sysutils");
  TOrvikSymbol* Cls = Child(Root, typClass, "TMyForm", 10);
  Cls->Extra().Ancestor = "TForm";
  Cls->defend = 30;
  TOrvikSymbol* Btn = Child(*Cls, typVar, "Button1", 11);
  Btn->TypeName = "TButton";
  Btn->Bereich = tPublished;
  TOrvikSymbol* Click = Child(*Cls, typProcedure, "Button1Click", 12);
  Click->Params = "Sender : TObject ";
  Click->DeclLine = 12;
  Click->defbegin = 40;
  Click->defend = 50;
  Click->Options = {tOverride, tVirtual, tFar};
  TOrvikSymbol* Sender = Child(*Click, typParameter, "Sender", 12);
  Sender->TypeName = "TObject";
  TOrvikSymbol* Func = Child(Root, typProcedure, "Calc", 60);
  Func->ProcTyp = tFunction;
  Func->ResultType = "Integer ";
  Func->Bereich = tGlobal;
  Func->Comment = "first\r\nsecond";
  Func->Extra().MessageId = "WM_USER";
  Func->Extra().ReadAccess = "FRead";
  Func->Extra().WriteAccess = "FWrite";
  Func->Extra().IndexName = "Index";
  Func->Extra().IndexType = "Integer ";
  Func->Extra().ConstType = "Byte";
  Func->Extra().Reserved = "r";
  Func->Extra().DefaultValue = "nil";
  Child(*Func, typVar, "Local", 61)->Bereich = tLocal;
  Child(Root, typConst, "Alpha", 5)->TypeName = "High(Integer)";
  Child(Root, typConst, "alpha", 6);  // same key twice
}

void ExpectSameSymbol(const TOrvikSymbol& A, const TOrvikSymbol& B, const std::string& Where) {
  SCOPED_TRACE(Where + "." + A.name);
  EXPECT_EQ(A.Typ, B.Typ);
  EXPECT_EQ(A.ProcTyp, B.ProcTyp);
  EXPECT_EQ(A.Line, B.Line);
  EXPECT_EQ(A.Bereich, B.Bereich);
  EXPECT_EQ(A.defbegin, B.defbegin);
  EXPECT_EQ(A.defend, B.defend);
  EXPECT_EQ(A.DeclLine, B.DeclLine);
  EXPECT_EQ(A.Options, B.Options);
  EXPECT_EQ(A.name, B.name);
  EXPECT_EQ(A.Ancestor(), B.Ancestor());
  EXPECT_EQ(A.Comment, B.Comment);
  EXPECT_EQ(A.Params, B.Params);
  EXPECT_EQ(A.MessageId(), B.MessageId());
  EXPECT_EQ(A.ResultType, B.ResultType);
  EXPECT_EQ(A.ReadAccess(), B.ReadAccess());
  EXPECT_EQ(A.WriteAccess(), B.WriteAccess());
  EXPECT_EQ(A.IndexName(), B.IndexName());
  EXPECT_EQ(A.IndexType(), B.IndexType());
  EXPECT_EQ(A.ConstType(), B.ConstType());
  EXPECT_EQ(A.TypeName, B.TypeName);
  EXPECT_EQ(A.Reserved(), B.Reserved());
  EXPECT_EQ(A.DefaultValue(), B.DefaultValue());
  const int NA = A.symbols ? A.symbols->Count() : 0;
  const int NB = B.symbols ? B.symbols->Count() : 0;
  ASSERT_EQ(NA, NB);
  for (int I = 0; I < NA; ++I) {
    EXPECT_EQ(A.symbols->Strings(I), B.symbols->Strings(I));
    const TOrvikSymbol* CB = B.symbols->GetSymbol(I);
    EXPECT_EQ(CB->Parent, &B);
    ExpectSameSymbol(*A.symbols->GetSymbol(I), *CB, Where + "." + A.name);
  }
}

// An exactly sized copy, so that AddressSanitizer sees any read past the end.
struct ExactImage {
  explicit ExactImage(std::string_view S) : Size(S.size()), Data(new char[S.size() ? S.size() : 1]) {
    std::memcpy(Data.get(), S.data(), S.size());
  }
  std::string_view View() const { return {Data.get(), Size}; }
  size_t Size;
  std::unique_ptr<char[]> Data;
};

int32_t IntAt(const std::string& Img, size_t At) {
  return static_cast<int32_t>(uint32_t(uint8_t(Img[At])) | uint32_t(uint8_t(Img[At + 1])) << 8 |
                              uint32_t(uint8_t(Img[At + 2])) << 16 |
                              uint32_t(uint8_t(Img[At + 3])) << 24);
}
void PutIntAt(std::string& Img, size_t At, int32_t V) {
  for (int I = 0; I < 4; ++I) Img[At + I] = static_cast<char>((uint32_t(V) >> (8 * I)) & 0xFF);
}

// A unit without uses whose root has the given texts and no children.
std::string BareImage(const std::string& Name, const std::string& FileName) {
  TOrvikSymbol Root;
  Root.Typ = typUnit;
  Root.name = Name;
  Root.TypeName = FileName;
  TOrvikSymbolstore Store;
  return Store.SaveToImage(nullptr, Root);
}

// Loads Img into a root and uses list that already hold a unit, and tells
// whether the load was taken; a rejected load must leave both as they were.
bool LoadKeepsOldOnFailure(std::string_view Img, std::string* Message = nullptr) {
  TOrvikSymbol Root;
  TStringList Uses;
  BuildTree(Root, Uses);
  TOrvikSymbolstore Store;
  try {
    Store.LoadFromImage(Img, nullptr, Uses, Root);
    return true;
  } catch (const ESymbolStoreError& E) {
    if (Message) *Message = E.Message();
    TOrvikSymbol Fresh;
    TStringList FreshUses;
    BuildTree(Fresh, FreshUses);
    EXPECT_TRUE(Uses.Equals(FreshUses));
    ExpectSameSymbol(Fresh, Root, "unchanged");
    return false;
  }
}

TEST(SymbolStore, SaveAndLoadGiveTheSameTreeFieldsAndOrder) {
  TOrvikSymbol Root;
  TStringList Uses;
  BuildTree(Root, Uses);
  TOrvikSymbolstore Store;
  const std::string Img = Store.SaveToImage(&Uses, Root);
  EXPECT_EQ(Store.RecordCounter, 10);  // 9 symbols and the end record

  TOrvikSymbol Back;
  Back.Typ = typUnit;
  TStringList BackUses;
  BackUses.Add("stale");
  int Marker = 0;
  ExactImage Exact(Img);
  TOrvikSymbolstore Loader;
  Loader.LoadFromImage(Exact.View(), reinterpret_cast<TPascalSource*>(&Marker), BackUses, Back);
  EXPECT_TRUE(BackUses.Equals(Uses));
  ExpectSameSymbol(Root, Back, "");
  // Every record read belongs to the loading source; the lists keep the file's order.
  const TOrvikSymbol* Cls = Back.symbols->FindAnyFlatSymbol("tmyform");
  ASSERT_NE(Cls, nullptr);
  EXPECT_EQ(Cls->Source, reinterpret_cast<TPascalSource*>(&Marker));
  EXPECT_FALSE(Back.symbols->Sorted());
  // Lists have room for the stored children, no more (the root's included).
  EXPECT_EQ(Back.symbols->Capacity(), Root.symbols->Count());
  EXPECT_EQ(Cls->symbols->Capacity(), Cls->symbols->Count());
  // A second save of the loaded tree is the same image, byte for byte.
  TOrvikSymbolstore Again;
  EXPECT_EQ(Again.SaveToImage(&BackUses, Back), Img);
}

TEST(SymbolStore, AUnitWithoutUsesAndSymbolsIs204BytesPlusItsRootStrings) {
  const std::string Img = BareImage("Unit1", "/src/Unit1.pas");
  EXPECT_EQ(Img.size(), 204u + 5 + 14);
}

TEST(SymbolStore, LayoutIsLittleEndianWithZeroedUnusedBytes) {
  TOrvikSymbol Root;
  Root.Typ = typUnit;
  Root.name = "U";
  TOrvikSymbol* P = Child(Root, typProcedure, "P", 0x01020304);
  P->ProcTyp = tDestructor;
  P->Bereich = tProtected;
  P->defbegin = 7;
  P->defend = -2;
  P->DeclLine = 9;
  P->Options = {tAbstract, tFar};
  TStringList Uses;
  Uses.Add("ab");
  TOrvikSymbolstore Store;
  const std::string Img = Store.SaveToImage(&Uses, Root);

  EXPECT_EQ(IntAt(Img, 0), 1);
  EXPECT_EQ(IntAt(Img, 4), 2);
  EXPECT_EQ(Img.substr(8, 2), "ab");
  const size_t R0 = 10;  // the root record
  EXPECT_EQ(Img[R0], typUnit);
  EXPECT_EQ(IntAt(Img, R0 + 4), -1);   // Line
  EXPECT_EQ(IntAt(Img, R0 + 24), -1);  // DeclLine
  EXPECT_EQ(IntAt(Img, R0 + 32), 1);   // one child
  EXPECT_EQ(IntAt(Img, R0 + 36), 0);
  EXPECT_EQ(IntAt(Img, R0 + 40), -1);
  const size_t R1 = R0 + 100 + 1;  // header, 14 lengths, "U"
  EXPECT_EQ(Img[R1], typProcedure);
  EXPECT_EQ(Img[R1 + 1], tDestructor);
  EXPECT_EQ(std::string(Img, R1 + 4, 4), std::string("\x04\x03\x02\x01", 4));
  EXPECT_EQ(Img[R1 + 8], tProtected);
  EXPECT_EQ(IntAt(Img, R1 + 12), 7);
  EXPECT_EQ(IntAt(Img, R1 + 16), -2);
  EXPECT_EQ(IntAt(Img, R1 + 24), 9);
  EXPECT_EQ(uint8_t(Img[R1 + 28]), (1 << tAbstract) | 0);
  EXPECT_EQ(uint8_t(Img[R1 + 29]), (1 << tFar) >> 8);
  EXPECT_EQ(IntAt(Img, R1 + 32), 0);
  EXPECT_EQ(IntAt(Img, R1 + 36), 1);
  EXPECT_EQ(IntAt(Img, R1 + 40), 0);
  for (size_t R : {R0, R1}) {
    for (size_t Off : {2u, 3u, 9u, 10u, 11u, 20u, 21u, 22u, 23u, 30u, 31u})
      EXPECT_EQ(Img[R + Off], 0) << "record at " << R << " byte " << Off;
  }
  EXPECT_EQ(P->StoreIndex, 1);
  // The end record: kind 0, no parent, no children, 14 empty strings.
  const size_t End = R1 + 100 + 1;
  ASSERT_EQ(Img.size(), End + 100);
  EXPECT_EQ(Img[End], 0);
  EXPECT_EQ(IntAt(Img, End + 32), 0);
  EXPECT_EQ(IntAt(Img, End + 36), 2);
  EXPECT_EQ(IntAt(Img, End + 40), -1);
  EXPECT_EQ(Img.substr(End + 44), std::string(56, '\0'));
}

TEST(SymbolStore, ARecordInTwoListsIsWrittenUnderEachAndLocalClassesStayWhereTheyHang) {
  TOrvikSymbol Root;
  Root.Typ = typUnit;
  Root.name = "U";
  TOrvikSymbol* Cls = Child(Root, typClass, "TZed");
  TOrvikSymbol* Fn = Child(Root, typProcedure, "AFunc");
  AddOrvikSymbol(Cls, Fn);  // held by the root and the class; Parent is the class
  TOrvikSymbol* Proc = Child(Root, typProcedure, "Zproc");
  TOrvikSymbol* Local = Child(Root, typClass, "TLocal");
  Local->Parent = Proc;  // a class of a local type section, written before its procedure
  TOrvikSymbolstore Store;
  const std::string Img = Store.SaveToImage(nullptr, Root);
  TOrvikSymbol Back;
  TStringList Uses;
  TOrvikSymbolstore Loader;
  Loader.LoadFromImage(Img, nullptr, Uses, Back);
  ASSERT_EQ(Back.symbols->Count(), 4);
  EXPECT_EQ(Back.symbols->Strings(0), "afunc");
  EXPECT_EQ(Back.symbols->Strings(1), "tlocal");
  EXPECT_EQ(Back.symbols->GetSymbol(1)->Parent, &Back);
  const TOrvikSymbol* BackCls = Back.symbols->GetSymbol(2);
  ASSERT_NE(BackCls->symbols, nullptr);
  EXPECT_EQ(BackCls->symbols->Strings(0), "afunc");
}

TEST(SymbolStore, ARecordWithoutParentOtherThanTheRootIsReadButHangsNowhere) {
  TOrvikSymbol Root;
  Root.Typ = typUnit;
  Root.name = "U";
  TOrvikSymbol* A = Child(Root, typClass, "A");
  Child(*A, typVar, "Field");
  Child(Root, typVar, "B");
  TOrvikSymbolstore Store;
  std::string Img = Store.SaveToImage(nullptr, Root);
  const size_t RA = 4 + 100 + 1;  // after the uses count and the root "U"
  ASSERT_EQ(Img[RA], typClass);
  PutIntAt(Img, RA + 40, -1);
  TOrvikSymbol Back;
  TStringList Uses;
  TOrvikSymbolstore Loader;
  Loader.LoadFromImage(Img, nullptr, Uses, Back);
  ASSERT_EQ(Back.symbols->Count(), 1);  // A and its field are gone, B stays
  EXPECT_EQ(Back.symbols->Strings(0), "b");
}

TEST(SymbolStore, EveryTruncationIsRejectedWithoutReadingPastTheImage) {
  TOrvikSymbol Root;
  TStringList Uses;
  BuildTree(Root, Uses);
  TOrvikSymbolstore Store;
  const std::string Img = Store.SaveToImage(&Uses, Root);
  // The end record's strings are never read: a file cut within them loses nothing.
  const size_t Needed = Img.size() - 56;
  for (size_t Len = 0; Len < Img.size(); ++Len) {
    ExactImage Cut(std::string_view(Img).substr(0, Len));
    EXPECT_EQ(LoadKeepsOldOnFailure(Cut.View()), Len >= Needed) << "length " << Len;
  }
}

TEST(SymbolStore, DamagedCountsLengthsKindsAndIndexesAreRejected) {
  const std::string Good = BareImage("Unit1", "");
  const size_t R0 = 4;
  struct Case {
    const char* Name;
    size_t At;
    int32_t Value;
    bool IsByte;
    const char* Says;
  };
  const Case Cases[] = {
      {"huge uses count", 0, 0x7FFFFFFF, false, "uses count"},
      {"negative uses count", 0, -1, false, "uses count"},
      {"first record is the end", R0, 0, true, "not a unit"},
      {"first record is a class", R0, typClass, true, "not a unit"},
      {"unknown kind", R0, 11, true, "unknown symbol kind"},
      {"unknown procedure kind", R0 + 1, 4, true, "procedure kind"},
      {"unknown scope", R0 + 8, 6, true, "scope"},
      {"unknown option bit", R0 + 29, 0x80, true, "options"},
      {"root is its own parent", R0 + 40, 0, false, "parent index"},
      {"parent index below -1", R0 + 40, -2, false, "parent index"},
      {"negative name length", R0 + 44, -5, false, "negative string length"},
      {"name length past the end", R0 + 44, 1000, false, "past the end"},
      {"name length wraps", R0 + 44, int32_t(0x80000000), false, "negative"},
  };
  for (const Case& C : Cases) {
    std::string Img = Good;
    if (C.IsByte)
      Img[C.At] = static_cast<char>(C.Value);
    else
      PutIntAt(Img, C.At, C.Value);
    ExactImage Exact(Img);
    std::string Message;
    EXPECT_FALSE(LoadKeepsOldOnFailure(Exact.View(), &Message)) << C.Name;
    EXPECT_NE(Message.find(C.Says), std::string::npos) << C.Name << ": " << Message;
  }
  EXPECT_TRUE(LoadKeepsOldOnFailure(Good));
}

TEST(SymbolStore, ParentIndexesMustNameAnEarlierRecord) {
  TOrvikSymbol Root;
  Root.Typ = typUnit;
  Child(Root, typVar, "A");
  Child(Root, typVar, "B");
  TOrvikSymbolstore Store;
  const std::string Good = Store.SaveToImage(nullptr, Root);
  const size_t RB = 4 + 100 + 101;  // root "", A "A", then B
  ASSERT_EQ(Good[RB + 44 + 4], 'B');
  for (int32_t Bad : {2, 3, 1000, -7}) {
    std::string Img = Good;
    PutIntAt(Img, RB + 40, Bad);
    EXPECT_FALSE(LoadKeepsOldOnFailure(Img)) << Bad;
  }
  std::string Img = Good;
  PutIntAt(Img, RB + 40, 1);  // B below A: fine
  TOrvikSymbol Back;
  TStringList Uses;
  TOrvikSymbolstore Loader;
  Loader.LoadFromImage(Img, nullptr, Uses, Back);
  ASSERT_EQ(Back.symbols->Count(), 1);
  EXPECT_EQ(Back.symbols->GetSymbol(0)->symbols->GetSymbol(0)->name, "B");
}

TEST(SymbolStore, TreesNestedDeeperThanTheLimitAreRejected) {
  for (int Depth : {TOrvikSymbolstore::MaxNesting, TOrvikSymbolstore::MaxNesting + 1}) {
    TOrvikSymbol Root;
    Root.Typ = typUnit;
    TOrvikSymbol* Owner = &Root;
    for (int I = 0; I < Depth; ++I) Owner = Child(*Owner, typProcedure, "P");
    TOrvikSymbolstore Store;
    const std::string Img = Store.SaveToImage(nullptr, Root);
    EXPECT_EQ(LoadKeepsOldOnFailure(Img), Depth <= TOrvikSymbolstore::MaxNesting) << Depth;
  }
}

TEST(SymbolStore, ArbitraryByteDamageIsLoadedOrRejectedNeverOverread) {
  TOrvikSymbol Root;
  TStringList Uses;
  BuildTree(Root, Uses);
  TOrvikSymbolstore Store;
  const std::string Img = Store.SaveToImage(&Uses, Root);
  for (size_t At = 0; At < Img.size(); ++At) {
    for (unsigned char V : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
      std::string Bad = Img;
      Bad[At] = static_cast<char>(V);
      ExactImage Exact(Bad);
      TOrvikSymbol Back;
      TStringList BackUses;
      TOrvikSymbolstore Loader;
      try {
        Loader.LoadFromImage(Exact.View(), nullptr, BackUses, Back);
      } catch (const ESymbolStoreError&) {
      }
    }
  }
}

}  // namespace
