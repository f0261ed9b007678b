// Reading and rewriting the two uses clauses of a unit: the layout of the
// new clauses, "in" entries, text sharing a line with an old clause, and
// clauses that are none (inside comments and strings).
#include <gtest/gtest.h>

#include "platform/rtl/Classes.h"
#include "scanner/VelmoricPascalScanner.h"
#include "wizards/VelmoricUsesClauses.h"

namespace {

// The parse errors of a text, with their line numbers left out (the
// rewrite moves lines).
int ErrorCount(const std::string& Text) {
  auto* Lines = new TSaveStringList("strings", "TPascalSource");
  Lines->SetText(Text);
  TPascalSource Source(new TToken(Lines));
  Source.CreateSymbols({oCompileImplementation});
  return Source.errors->Count();
}

struct TLists {
  TStringList Lines, Intf, Impl;
  explicit TLists(const std::string& Text) { Lines.SetText(Text); }
  ~TLists() {
    FreeUsesInfos(&Intf);
    FreeUsesInfos(&Impl);
  }
  void Scan() { ScanUsesClauses(&Lines, &Intf, &Impl); }
  void Rewrite() { RewriteUsesClauses(&Lines, &Intf, &Impl); }
  std::string Text() const { return Lines.GetText(); }
};

std::string Names(const TStringList& L) {
  std::string S;
  for (int I = 0; I < L.Count(); ++I) {
    const auto* Info = static_cast<const TUsesInfo*>(L.Objects(I));
    S += (S.empty() ? "" : ",") + L.Get(I);
    if (!Info->FileName.empty()) S += "=" + Info->FileName;
  }
  return S;
}

void Add(TStringList& L, const std::string& Name, const std::string& File = "") {
  L.AddObject(Name, new TUsesInfo(Name, File));
}

const std::string UnitText =
    "unit Unit1;\r\n"
    "\r\n"
    "interface\r\n"
    "\r\n"
    "uses Windows, Messages,\r\n"
    "  SysUtils;\r\n"
    "\r\n"
    "type\r\n"
    "  TFoo = class end;\r\n"
    "\r\n"
    "implementation\r\n"
    "\r\n"
    "uses Dialogs;\r\n"
    "\r\n"
    "end.\r\n";

TEST(UsesClauses, ScanFillsBothListsInClauseOrder) {
  TLists L(UnitText);
  L.Scan();
  EXPECT_EQ(Names(L.Intf), "Windows,Messages,SysUtils");
  EXPECT_EQ(Names(L.Impl), "Dialogs");
  // A second scan starts afresh.
  L.Scan();
  EXPECT_EQ(L.Intf.Count(), 3);
}

TEST(UsesClauses, ClausesInCommentsAndStringsAreNone) {
  TLists L(
      "unit U;\n"
      "interface\n"
      "{ uses Hidden; }\n"
      "// uses Gone;\n"
      "(* uses Away; *)\n"
      "uses Real;\n"
      "const S = 'uses Quoted;';\n"
      "implementation\n"
      "end.\n");
  L.Scan();
  EXPECT_EQ(Names(L.Intf), "Real");
  EXPECT_EQ(Names(L.Impl), "");
  L.Rewrite();
  EXPECT_EQ(L.Text(),
            "unit U;\r\ninterface\r\nuses  Real;\r\n{ uses Hidden; }\r\n// uses Gone;\r\n"
            "(* uses Away; *)\r\nconst S = 'uses Quoted;';\r\nimplementation\r\nend.\r\n");
}

TEST(UsesClauses, TheSixtyCharacterLineExampleByteForByte) {
  TLists L("unit U;\ninterface\nimplementation\nend.\n");
  L.Scan();
  for (const char* N : {"Windows", "Messages", "SysUtils", "Classes", "Graphics", "Controls",
                        "Forms", "Dialogs"})
    Add(L.Intf, N);
  L.Rewrite();
  EXPECT_EQ(L.Lines.Get(2), "uses  Windows, Messages, SysUtils, Classes, Graphics, Controls,");
  EXPECT_EQ(L.Lines.Get(2).size(), 63u);
  EXPECT_EQ(L.Lines.Get(3), "      Forms, Dialogs;");
  EXPECT_EQ(L.Lines.Get(4), "implementation");
  EXPECT_EQ(L.Lines.Count(), 6);
}

TEST(UsesClauses, ALastUnitEndingALongLineIsFollowedByFiveBlanks) {
  TStringList List, Out;
  for (const char* N : {"Windows", "Messages", "SysUtils", "Classes", "Graphics", "Controls"})
    List.AddObject(N, nullptr);
  FormatUsesClause(&List, &Out);
  ASSERT_EQ(Out.Count(), 2);
  EXPECT_EQ(Out.Get(0), "uses  Windows, Messages, SysUtils, Classes, Graphics, Controls;");
  EXPECT_EQ(Out.Get(1), "     ");
  Out.Clear();
  TStringList Empty;
  FormatUsesClause(&Empty, &Out);
  EXPECT_EQ(Out.Count(), 0);
}

TEST(UsesClauses, InEntriesAreReadAndEachWrittenOnItsOwnLine) {
  TLists L(
      "program Demo;\n"
      "\n"
      "uses\n"
      "  Forms,\n"
      "  Shapes in 'Shapes.pas',\n"
      "  MainForm in 'MainForm.pas' {FormMain};\n"
      "\n"
      "begin\n"
      "end.\n");
  L.Scan();
  EXPECT_EQ(Names(L.Intf), "Forms,Shapes=Shapes.pas,MainForm=MainForm.pas");
  L.Rewrite();
  // A program's clause comes back after its heading.
  EXPECT_EQ(L.Text(),
            "program Demo;\r\n"
            "uses  Forms, Shapes in 'Shapes.pas',\r\n"
            "      MainForm in 'MainForm.pas';\r\n"
            "     \r\n"
            "\r\n"
            "\r\n"
            "begin\r\n"
            "end.\r\n");
  // Read again, the entries are the same.
  L.Scan();
  EXPECT_EQ(Names(L.Intf), "Forms,Shapes=Shapes.pas,MainForm=MainForm.pas");
}

TEST(UsesClauses, TextSharingALineWithAnOldClauseSurvives) {
  TLists L(
      "unit U; interface uses A, B; // keep me\n"
      "type T = integer;\n"
      "implementation uses C;\n"
      "end.\n");
  L.Scan();
  EXPECT_EQ(Names(L.Intf), "A,B");
  EXPECT_EQ(Names(L.Impl), "C");
  L.Rewrite();
  EXPECT_EQ(L.Text(),
            "unit U; interface\r\n"
            "uses  A, B;\r\n"
            " // keep me\r\n"
            "type T = integer;\r\n"
            "implementation\r\n"
            "uses  C;\r\n"
            "end.\r\n");
  L.Scan();
  EXPECT_EQ(Names(L.Intf), "A,B");
  EXPECT_EQ(Names(L.Impl), "C");
}

TEST(UsesClauses, CodeAfterAKeywordMovesBelowTheNewClause) {
  TLists L("unit U; interface type T = integer; implementation end.\n");
  L.Scan();
  Add(L.Intf, "SysUtils");
  Add(L.Impl, "Classes");
  L.Rewrite();
  EXPECT_EQ(L.Text(),
            "unit U; interface\r\n"
            "uses  SysUtils;\r\n"
            "type T = integer; implementation\r\n"
            "uses  Classes;\r\n"
            "end.\r\n");
}

TEST(UsesClauses, EmptyListsRemoveTheirClausesAndNewOnesGoAfterTheKeywords) {
  TLists L(UnitText);
  L.Scan();
  FreeUsesInfos(&L.Intf);
  L.Rewrite();
  EXPECT_EQ(L.Text(),
            "unit Unit1;\r\n\r\ninterface\r\n\r\n\r\ntype\r\n  TFoo = class end;\r\n\r\n"
            "implementation\r\nuses  Dialogs;\r\n\r\n\r\nend.\r\n");
  // A unit without clauses gets them after the keywords.
  L.Scan();
  EXPECT_EQ(Names(L.Intf), "");
  Add(L.Intf, "Classes");
  L.Rewrite();
  EXPECT_EQ(L.Lines.Get(3), "uses  Classes;");
}

TEST(UsesClauses, InterfaceTypesAndLaterKeywordsGetNoSecondClause) {
  TLists L(
      "unit U;\n"
      "interface\n"
      "uses A;\n"
      "type\n"
      "  IFoo = interface\n"
      "  end;\n"
      "implementation\n"
      "type\n"
      "  IBar = interface end;\n"
      "end.\n");
  L.Scan();
  L.Rewrite();
  L.Scan();
  EXPECT_EQ(Names(L.Intf), "A");
  EXPECT_EQ(Names(L.Impl), "");
  EXPECT_EQ(L.Lines.Get(4), "  IFoo = interface");
}

TEST(UsesClauses, AClauseWithoutItsSemicolonIsNoClause) {
  TLists L("unit U;\ninterface\nuses A, B\n");
  L.Scan();
  EXPECT_EQ(L.Intf.Count(), 0);
  Add(L.Intf, "C");
  L.Rewrite();
  // The broken text stays; nothing after it is lost.
  EXPECT_EQ(L.Text(), "unit U;\r\ninterface\r\nuses  C;\r\nuses A, B\r\n");
}

TEST(UsesClauses, ImplementationRightAfterTheInterfaceClauseKeepsItsClause) {
  TLists L("unit U;\ninterface\nuses A;\nimplementation\nuses B;\nend.\n");
  L.Scan();
  L.Rewrite();
  L.Scan();
  EXPECT_EQ(Names(L.Intf), "A");
  EXPECT_EQ(Names(L.Impl), "B");
}

TEST(UsesClauses, TheDemoProgramAndUnitsKeepTheirClausesAndParse) {
  for (const char* Name : {"Demo.dpr", "MainForm.pas", "Shapes.pas", "ShapeDialog.pas", "ShapeExport.pas"}) {
    SCOPED_TRACE(Name);
    TLists L(ReadFileBytes(std::string(VELMORIC_SOURCE_DIR) + "/examples/demo/" + Name));
    const int ErrorsBefore = ErrorCount(L.Text());
    L.Scan();
    const std::string Before = Names(L.Intf) + "|" + Names(L.Impl);
    ASSERT_NE(Before, "|");
    // One unit moves from the end of the interface clause to the implementation.
    if (L.Intf.Count() > 1) {
      const int Last = L.Intf.Count() - 1;
      L.Impl.AddObject(L.Intf.Get(Last), L.Intf.Objects(Last));
      L.Intf.Delete(Last);
    }
    std::string Moved = Names(L.Intf) + "|" + Names(L.Impl);
    // A program has one clause: its implementation list joins it.
    if (std::string(Name) == "Demo.dpr") Moved = Before;
    L.Rewrite();
    L.Scan();
    EXPECT_EQ(Names(L.Intf) + "|" + Names(L.Impl), Moved);
    EXPECT_EQ(ErrorCount(L.Text()), ErrorsBefore);
  }
}

}  // namespace
