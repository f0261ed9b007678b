// The options dialog: pages filled from the settings, "Ok" applying and
// storing them, path, short cut and password page actions, and the next
// start reading the stored settings back.
#include <gtest/gtest.h>

#include "ExpertTestSupport.h"
#include "options/VelmoricOptions.h"
#include "platform/db/DBTables.h"
#include "project/VelmoricSymbolStore.h"
#include "scanner/VelmoricPascalScanner.h"

namespace {

class OptionsTest : public ExpertTest {
 protected:
  void SetUp() override {
    ExpertTest::SetUp();
    Session->RegisterExpert();
    ASSERT_TRUE(IDE().ClickMenuItem("Velmoric23"));  // "&Options"
    F = FFormVelmoricOptions;
    ASSERT_NE(F, nullptr);
    ASSERT_TRUE(F->Visible());
  }
  void TearDown() override {
    FindFileDebug = LoadSymbolsDebug = ProcDebug = LineDebug = AddSymDebug = false;
    bFindTimer = true;
    DisplayCompilerProcess = true;
    ExpertTest::TearDown();
  }
  std::vector<std::string> Items(TListBox* L) {
    std::vector<std::string> V;
    for (int I = 0; I < L->Items()->Count(); ++I) V.push_back(L->Items()->Strings(I));
    return V;
  }
  void Reshow() {
    F->Hide();
    F->Show();
  }
  TFFormVelmoricOptions* F = nullptr;
};

using Strings = std::vector<std::string>;

TEST(OptionsHelpers, ListsJoinAndSplitAtEverySemicolon) {
  TStringList L;
  EXPECT_EQ(ListToString(L), "");
  L.Add("a");
  EXPECT_EQ(ListToString(L), "a");
  L.Add("");
  L.Add("c");
  EXPECT_EQ(ListToString(L), "a;;c");
  TStringList M;
  StringToList("x;;y;", M);
  EXPECT_EQ(M.Count(), 4);
  EXPECT_EQ(M[1], "");
  EXPECT_EQ(M[3], "");
}

TEST(OptionsHelpers, KeyNamesAndShift) {
  EXPECT_EQ(GetShift(ssShift | ssCtrl), "Shift Ctrl ");
  EXPECT_EQ(GetShift(ssCtrl | ssAlt | ssShift), "Shift Alt Ctrl ");
  EXPECT_EQ(GetShift(0), "");
  EXPECT_EQ(KeyName(0x74), "VK_F5");
  EXPECT_EQ(KeyName(0x87), "VK_F24");
  EXPECT_EQ(KeyName(0x60), "VK_NUMPAD0");
  EXPECT_EQ(KeyName(8), "VK_BACK");
  EXPECT_EQ(KeyName(0xFE), "VK_OEM_CLEAR");
  EXPECT_EQ(KeyName('A'), "A");
  EXPECT_EQ(KeyName('7'), "7");
}

TEST_F(OptionsTest, ShowFillsThePagesFromTheSettings) {
  AdditionalSearchPath = "/src/a;/src/b";
  DBPasswords = "pw1";
  IDE().SetLibraryPath("/lib/one;/lib/two");
  Application->Title = "My IDE";
  std::string Repo = Dir.Write("rep/Unit9.pas", "unit Unit9; end.");
  fileRepository->Add(Repo);
  FindFileDebug = true;
  Reshow();
  EXPECT_EQ(F->Caption, "Velmoric Options");
  EXPECT_EQ(F->PageControl1->ActivePage(), F->TabSheetCompiler);
  EXPECT_EQ(Items(F->ListBoxSearchPath), (Strings{"/src/a", "/src/b"}));
  EXPECT_EQ(Items(F->ListBoxDelphiPath), (Strings{"/lib/one", "/lib/two"}));
  EXPECT_EQ(Items(F->ListBoxPasswords), (Strings{"pw1"}));
  EXPECT_EQ(F->EditDelhiTitle->Text(), "My IDE");
  EXPECT_TRUE(F->CheckBoxFindFiles->Checked);
  EXPECT_EQ(F->EditPath1->Text(), VelmoricPath);
  EXPECT_EQ(F->TabSheetGeneral->Caption, "Velmoric path");
  EXPECT_EQ(Items(F->ListBoxFileRepository), (Strings{Repo}));
  ASSERT_GT(F->ListBoxMenu->Items()->Count(), 20);
  EXPECT_EQ(F->ListBoxMenu->Items()->Strings(0), "S&ource explorer...");
  EXPECT_FALSE(F->ButtonDeleteList->Visible());
  F->PageControl1->SelectPage(F->TabSheetRepository);
  EXPECT_TRUE(F->ButtonDeleteList->Visible());
  F->ButtonDeleteList->Click();
  EXPECT_EQ(fileRepository->list.Count(), 0);
  EXPECT_TRUE(Items(F->ListBoxFileRepository).empty());
}

TEST_F(OptionsTest, AddPathTakesADirectoryByEitherSeparatorOrAFilesFolder) {
  auto Add = [&](const std::string& Text) {
    F->EditPath->SetText(Text);
    F->ButtonAddPath->Click();
  };
  Add("C:\\Lib\\");
  Add("/usr/lib/");
  Add("C:\\Src\\Unit1.pas");
  Add("/home/me/unit2.pas");
  Add("/home/ME/x.pas");  // already there, case ignored
  Add("/top");            // the root itself
  Add("C:\\Lib");         // C:\ as it is
  Add("");
  EXPECT_EQ(Items(F->ListBoxSearchPath),
            (Strings{"C:\\Lib", "/usr/lib", "C:\\Src", "/home/me", "/", "C:\\"}));
}

TEST_F(OptionsTest, DroppedFilesAddTheirFolderToTheActivePagesList) {
  ASSERT_TRUE(F->DropFiles({"C:\\Src\\Unit1.pas", "/work/a/b.pas", "/WORK/A/c.pas"}));
  EXPECT_EQ(Items(F->ListBoxSearchPath), (Strings{"C:\\Src\\", "/work/a/"}));
  F->PageControl1->SelectPage(F->TabSheetDelphiPath);
  ASSERT_TRUE(F->DropFiles({"/lib/x.pas"}));
  EXPECT_EQ(Items(F->ListBoxDelphiPath), (Strings{"/lib/"}));
}

TEST_F(OptionsTest, BrowsingAndDoubleClicksOpenFilesInTheIde) {
  const std::string Unit = Dir.Write("src/Unit5.pas", "unit Unit5;\ninterface\nimplementation\nend.\n");
  std::vector<std::string> Filters;
  VclHost().FileDialog = [&](TOpenDialog& D) {
    Filters.push_back(D.Filter);
    D.FileName = Unit;
    return true;
  };
  F->ButtonBrowsePath->Click();
  EXPECT_EQ(F->EditPath->Text(), Unit);
  F->ButtonAddPath->Click();
  EXPECT_EQ(Items(F->ListBoxSearchPath), (Strings{Dir.File("src")}));
  F->PageControl1->SelectPage(F->TabSheetDelphiPath);
  F->ButtonBrowseDelphiPath->Click();
  EXPECT_EQ(F->EditDelphiPath->Text(), Unit);
  EXPECT_EQ(Filters, (Strings{"source text|*.pas", "source text|*.pas"}));

  // A path entry is a folder: the IDE opens no file for it.
  F->ListBoxSearchPath->Select(0);
  F->ListBoxSearchPath->DblClick();
  EXPECT_FALSE(IDE().IsFileOpen(Dir.File("src")));
  EXPECT_EQ(IDE().GetModuleCount(), 0);

  // A repository entry opens in the editor and comes to the front.
  std::string Remembered = Unit;
  fileRepository->Add(Remembered);
  Reshow();
  F->PageControl1->SelectPage(F->TabSheetRepository);
  F->ListBoxFileRepository->Select(0);
  F->ListBoxFileRepository->DblClick();
  EXPECT_TRUE(IDE().IsFileOpen(Unit));
  EXPECT_EQ(IDE().GetCurrentFile(), Unit);
}

TEST_F(OptionsTest, DeleteMoveAndClickOnPathEntries) {
  for (const char* P : {"/a/", "/b/", "/c/"}) {
    F->EditPath->SetText(P);
    F->ButtonAddPath->Click();
  }
  F->SpeedButtonUp->Click();  // nothing selected: nothing moves
  F->ListBoxSearchPath->Select(0);
  EXPECT_EQ(F->EditPath->Text(), "/a/");
  F->SpeedButtonUp->Click();  // past the top: nothing
  F->SpeedButtonDown->Click();
  EXPECT_EQ(Items(F->ListBoxSearchPath), (Strings{"/b", "/a", "/c"}));
  EXPECT_EQ(F->ListBoxSearchPath->ItemIndex(), 1);
  F->ButtonDeletePath->Click();
  EXPECT_EQ(Items(F->ListBoxSearchPath), (Strings{"/b", "/c"}));
  EXPECT_EQ(F->ListBoxSearchPath->ItemIndex(), 1);
}

TEST_F(OptionsTest, OkAppliesAndStoresTheSettingsAndTheNextStartReadsThem) {
  F->EditPath->SetText("/one/");
  F->ButtonAddPath->Click();
  F->CheckBoxQuickRecompile->Checked = true;
  F->CheckBoxUseDelphiPath->Checked = false;
  F->CheckBoxFindFiles->Checked = true;
  F->CheckBoxAutoFind->Checked = false;
  F->EditPassword->SetText("secret");
  F->ButtonAddPassword->Click();
  F->ButtonAddPassword->Click();  // once only
  F->EditDelphiPath->SetText("/dl/");
  F->ButtonAddDelphiPath->Click();
  const std::string NewData = Dir.Path + "/data/";
  Dir.Write("data/keep", "");
  F->EditPath1->SetText(NewData);
  // Ctrl+Shift+F5 for "Clear Memory".
  const int Clear = F->ListBoxMenu->Items()->IndexOf("Clear Memory");
  ASSERT_GE(Clear, 0);
  F->ListBoxMenu->Select(Clear);
  EXPECT_EQ(F->Edit1->Text(), "");
  uint16_t Key = 0x74;
  F->Edit1->KeyDown(Key, ssShift | ssCtrl);
  EXPECT_EQ(F->Edit1->Text(), "Shift Ctrl VK_F5");
  TIMenuItemIntf* Item = FindMenu("Velmoric16");
  ASSERT_NE(Item, nullptr);
  EXPECT_EQ(Item->GetShortCut(), 0x6074);  // at once
  Item->Release();

  ::Session().RemoveAllPasswords();
  F->Button2->Click();
  EXPECT_FALSE(F->Visible());
  EXPECT_EQ(AdditionalSearchPath, "/one");
  EXPECT_EQ(DBPasswords, "secret");
  EXPECT_EQ(::Session().Passwords(), (Strings{"secret"}));  // handed to the engine
  EXPECT_TRUE(FindFileDebug);
  EXPECT_FALSE(bFindTimer);
  EXPECT_FALSE(gUseDelphiPath);
  EXPECT_EQ(VelmoricPath, NewData);
  EXPECT_EQ(IDE().LibraryPath(), "/dl");

  TRegistry Reg;
  ASSERT_TRUE(Reg.OpenKeyReadOnly("\\Software\\HALVORN\\Velmoric\\Menus"));
  EXPECT_EQ(Reg.ReadInteger("Clear Memory"), 0x6074);
  EXPECT_EQ(Reg.ReadInteger("Class wizard..."), 0x8057);
  Reg.CloseKey();
  ASSERT_TRUE(Reg.OpenKeyReadOnly("\\Software\\HALVORN\\Velmoric"));
  EXPECT_EQ(Reg.ReadString("SearchPath"), "/one");
  EXPECT_EQ(Reg.ReadString("Path"), NewData);
  EXPECT_EQ(Reg.ReadString("DelphiTitle"), Application->Title);
  EXPECT_EQ(Reg.ReadInteger("QuickRecompile"), 1);
  EXPECT_EQ(Reg.ReadInteger("UseDelphiPath"), 0);
  Reg.CloseKey();

  // The next start.
  Session->ReleaseExpert();
  Session.reset();
  AdditionalSearchPath.clear();
  DBPasswords.clear();
  gUseDelphiPath = true;
  Session = std::make_unique<TExpertSession>();
  Session->RegisterExpert();
  EXPECT_EQ(AdditionalSearchPath, "/one");
  EXPECT_EQ(DBPasswords, "secret");
  EXPECT_FALSE(gUseDelphiPath);
  EXPECT_EQ(VelmoricPath, NewData);
  ASSERT_TRUE(IDE().PressShortCut(0x6074));
}

TEST_F(OptionsTest, EmptySearchPathIsStoredEmpty) {
  AdditionalSearchPath = "/x";
  Reshow();
  F->ListBoxSearchPath->Select(0);
  F->ButtonDeletePath->Click();
  F->Button2->Click();
  TRegistry Reg;
  ASSERT_TRUE(Reg.OpenKeyReadOnly("\\Software\\HALVORN\\Velmoric"));
  EXPECT_EQ(Reg.ReadString("SearchPath"), "");
}

TEST_F(OptionsTest, ADataDirectoryTypedWithoutItsLastSeparatorGetsOne) {
  const std::string Data = Dir.File("data");
  auto Leave = [&](const std::string& Text) {
    F->SetActiveControl(F->EditPath1);
    F->EditPath1->SetText(Text);
    F->SetActiveControl(F->EditPath);  // leaving the edit takes it at once
  };
  Leave(Data);
  EXPECT_EQ(VelmoricPath, Data + "/");
  Leave("");
  EXPECT_EQ(VelmoricPath, "");  // the current directory
  F->EditPath1->SetText(Data + "\\");
  F->Button2->Click();
  EXPECT_EQ(VelmoricPath, Data + "\\");
  F->Show();
  F->EditPath1->SetText(Data);
  F->Button2->Click();
  EXPECT_EQ(VelmoricPath, Data + "/");
  TRegistry Reg;
  ASSERT_TRUE(Reg.OpenKeyReadOnly("\\Software\\HALVORN\\Velmoric"));
  EXPECT_EQ(Reg.ReadString("Path"), Data + "/");
  VelmoricPath = Dir.Path + "/";
}

TEST_F(OptionsTest, CancelKeepsWhatThePageButtonsDid) {
  IDE().SetLibraryPath("/lib");
  AdditionalSearchPath = "/mine";
  Reshow();
  F->ButtonAddDelphisPath->Click();
  EXPECT_EQ(AdditionalSearchPath, "/mine;/lib");
  EXPECT_EQ(Items(F->ListBoxSearchPath), (Strings{"/mine", "/lib"}));
  F->EditDelhiTitle->SetText("Other title");
  F->ButtonSetTitle->Click();
  F->CheckBoxFindFiles->Checked = true;
  F->Button1->Click();
  EXPECT_FALSE(F->Visible());
  EXPECT_EQ(Application->Title, "Other title");
  EXPECT_FALSE(FindFileDebug);  // only "Ok" applies the check boxes
}

TEST_F(OptionsTest, UseLogfileStartsAndClosesTheTraceLog) {
  const std::string Log = Dir.File("opt.log");
  F->EditLogfile->SetText(Log);
  F->CheckBoxLogfile->Click();
  tracelet->write("into the log");
  F->CheckBoxLogfile->Click();
  tracelet->write("not any more");
  const std::string Text = ReadFileBytes(Log);
  EXPECT_NE(Text.find("into the log"), std::string::npos);
  EXPECT_EQ(Text.find("not any more"), std::string::npos);
}

TEST_F(OptionsTest, PasswordPageAddsRemovesAndCopies) {
  F->EditPassword->SetText("a");
  F->ButtonAddPassword->Click();
  F->EditPassword->SetText("b");
  F->ButtonAddPassword->Click();
  F->ListBoxPasswords->Select(0);
  EXPECT_EQ(F->EditPassword->Text(), "a");
  F->ButtonRemovePassword->Click();
  EXPECT_EQ(Items(F->ListBoxPasswords), (Strings{"b"}));
}

}  // namespace
