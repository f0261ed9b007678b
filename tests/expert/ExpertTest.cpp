// The expert in a session of the in-process IDE: registration and identity,
// the menu, the registry settings, the editor panels, the release, the
// start-up guards, the add-in notifier, the data path and editor access.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ExpertTestSupport.h"
#include "ide/VelmoricBookmarkStack.h"
#include "ide/VelmoricEditorStrings.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"
#include "project/VelmoricPascalProject.h"
#include "trace/VelmoricStatus.h"

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

struct TExpectedItem {
  std::string Caption;
  std::string Name;
  std::string Hint;
  TShortCut ShortCut;
};

const std::vector<TExpectedItem> ExpectedMenu = {
    {"S&ource explorer...", "Velmoric2", "Explorer", 0},
    {"&Unit dependencies...", "Velmoric3", "Displays units and dependencies", 0},
    {"&Uses manager...", "Velmoric4", "Adds the uses for the symbol under the cursor", 0},
    {"&Symbol explorer...", "Velmoric5", "Finds a symbol in your source", 0x8053},
    {"&Class wizard...", "Velmoric6", "View classes and inherit", 0x8057},
    {"New symbol...", "Velmoric7", "information about a symbol or lets you create it", 0x8054},
    {"Expand word", "Velmoric8", "finds the rest of a word from all the words in your source",
     0x800D},
    {"Hyper&jump", "Velmoric9", "Finds a symbol in your source", 0x804A},
    {"Table Expert..", "Velmoric10", "Creates FieldByName etc", 0},
    {"-", "Velmoric11", "", 0},
    {"Bookmark stack", "Velmoric12", "", 0},
    {"FormDependencies...", "Velmoric13", "Displays controls that are connected to other controls",
     0},
    {"Desktop manager", "Velmoric14", "Manages positions of forms", 0},
    {"Cycle desktops", "Velmoric15", "Loads the next desktop    ", 0},
    {"Clear Memory", "Velmoric16", "Clears symbols in Memory", 0},
    {"-", "Velmoric17", "", 0},
    {"Find position", "Velmoric18", "Will be programmed later...", 0},
    {"-", "Velmoric19", "", 0},
    {"Edit Manual", "Velmoric20", "Edit the Manual", 0},
    {"Virtual Help", "Velmoric21", "View the virtual help for your project and edit it", 0},
    {"-", "Velmoric22", "", 0},
    {"&Options", "Velmoric23", "Options", 0},
    {"&About velmoric", "Velmoric24", "Displays information about velmoric", 0},
};

// The names of the children of a menu item, in order.
std::vector<std::string> ChildNames(TIMenuItemIntf* Item) {
  std::vector<std::string> Names;
  for (int I = 0; I < Item->GetItemCount(); ++I) {
    TIntf<TIMenuItemIntf> Child(Item->GetItem(I));
    Names.push_back(Child->GetName());
  }
  return Names;
}

// ------------------------------------------------------------ registration

TEST_F(ExpertTest, RegisterHandsTheOneExpertToTheIde) {
  Session->RegisterExpert();
  ASSERT_EQ(IDE().ExpertCount(), 1);
  TIExpert* E = IDE().Experts(0);
  EXPECT_EQ(E, TheVelmoricFairy);
  EXPECT_EQ(E->GetIDString(), "Jorund_Halvorn.Velmorc_Pascal_Expertin");
  EXPECT_EQ(E->GetMenuText(), "Velmoric-Wizard");
  EXPECT_EQ(E->GetName(), "Velmoric");
  EXPECT_EQ(E->GetAuthor(), "");
  EXPECT_EQ(E->GetComment(), "Ein Pascalcompiler als Editorerweiterung");
  EXPECT_EQ(E->GetPage(), "");
  EXPECT_EQ(E->GetGlyph(), 0u);
  EXPECT_EQ(E->GetStyle(), esStandard);
  EXPECT_EQ(E->GetState(), 1u);
  EXPECT_NO_THROW(E->Execute());
  EXPECT_TRUE(Boxes.empty()) << Boxes.front().Text;
}

TEST_F(ExpertTest, MenuHasExactlyTheEntriesOfTheTableAfterTheSearchMenu) {
  Session->RegisterExpert();
  TIntf<TIMenuItemIntf> Top(FindMenu("Velmoric1"));
  ASSERT_TRUE(Top);
  EXPECT_EQ(Top->GetCaption(), "V&elmoric");
  EXPECT_EQ(Top->GetShortCut(), 0);
  TIntf<TIMenuItemIntf> Search(FindMenu("SearchMenu"));
  EXPECT_EQ(Top->GetIndex(), Search->GetIndex() + 1);

  ASSERT_EQ(Top->GetItemCount(), static_cast<int>(ExpectedMenu.size()));
  for (int I = 0; I < Top->GetItemCount(); ++I) {
    TIntf<TIMenuItemIntf> Item(Top->GetItem(I));
    const TExpectedItem& X = ExpectedMenu[I];
    SCOPED_TRACE(X.Name);
    EXPECT_EQ(Item->GetCaption(), X.Caption);
    EXPECT_EQ(Item->GetName(), X.Name);
    EXPECT_EQ(Item->GetHint(), X.Hint);
    EXPECT_EQ(Item->GetShortCut(), X.ShortCut);
    EXPECT_EQ(Item->GetFlags(), mfsEnabledVisible);
    EXPECT_EQ(Item->GetContext(), 0);
    EXPECT_EQ(Item->GetGroupIndex(), 0);
    EXPECT_EQ(Item->GetItemCount(), 0);
    EXPECT_EQ(static_cast<bool>(Item->GetOnClick()), X.Caption != "-");
  }

  TIntf<TIMenuItemIntf> Relevant(FindMenu("VelmoricQuickOpen"));
  ASSERT_TRUE(Relevant);
  EXPECT_EQ(Relevant->GetCaption(), "Relevant files");
  TIntf<TIMenuItemIntf> Reopen(FindMenu("FileClosedFilesItem"));
  TIntf<TIMenuItemIntf> FileMenu(Relevant->GetParent());
  EXPECT_EQ(FileMenu->GetName(), "FileMenu");
  EXPECT_EQ(Relevant->GetIndex(), Reopen->GetIndex() + 1);

  // 23 entries, the top item and "Relevant files".
  EXPECT_EQ(Expert()->MenuItems->Count(), 25);
  EXPECT_EQ(Expert()->QuickOpenMenu, Expert()->MenuItems->Get(24));
}

TEST_F(ExpertTest, BookmarkStackEntryShowsTheWindow) {
  Session->RegisterExpert();
  ASSERT_TRUE(IDE().ClickMenuItem("Velmoric12"));
  ASSERT_NE(FFormVelmoricBookmarkStack, nullptr);
  EXPECT_TRUE(FFormVelmoricBookmarkStack->Visible());
}

TEST_F(ExpertTest, InsertMenuItemPlacesBeforeAfterAndAsChild) {
  auto Insert = [](TInsertAction A, const std::string& Target, const std::string& Name) {
    return InsertMenuItem(A, Target, Name, Name, "", 0, 0, 0, mfsEnabledVisible, nullptr);
  };
  TIntf<TIMenuItemIntf> Child(Insert(iaChild, "SearchMenu", "X1"));
  TIntf<TIMenuItemIntf> Before(Insert(iaBefore, "X1", "X0"));
  TIntf<TIMenuItemIntf> After(Insert(iaAfter, "X1", "X2"));
  TIntf<TIMenuItemIntf> Search(FindMenu("SearchMenu"));
  const auto Names = ChildNames(Search.P);
  ASSERT_GE(Names.size(), 3u);
  EXPECT_THAT(std::vector<std::string>(Names.begin(), Names.begin() + 3),
              ElementsAre("X0", "X1", "X2"));
  try {
    Insert(iaAfter, "NoSuchItem", "X3");
    FAIL() << "no exception";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "Cannot find menu item: NoSuchItem");
  }
}

// ------------------------------------------------------------------ registry

TEST_F(ExpertTest, WithoutTheMenusKeyNothingIsReadFromTheRegistry) {
  RegString("", "path", "/elsewhere/");
  RegString("", "nopanel", "1");
  RegInteger("", "QuickRecompile", 0);
  RegString("", "SearchPath", "/x");
  gQuickRecompile = true;
  const std::string Path = VelmoricPath;
  Session->RegisterExpert();
  EXPECT_EQ(VelmoricPath, Path);
  EXPECT_TRUE(gQuickRecompile);
  EXPECT_EQ(AdditionalSearchPath, "");
  EXPECT_NE(Expert()->Panels, nullptr);  // panels stay on
}

TEST_F(ExpertTest, MenusKeyGivesShortCutsByCaptionAndTheSettingsAreRead) {
  CreateMenusKey();
  RegInteger("\\Menus", "Symbol explorer...", 0x4053);  // Ctrl+S replaces Alt+S
  RegInteger("\\Menus", "Velmoric", 0x8056);            // the top menu, '&' removed
  RegInteger("\\Menus", "Relevant files", 0x4052);
  RegInteger("\\Menus", "Unknown entry", 0x4055);
  RegString("", "path", "/data/velmoric/");
  RegString("", "DBPasswords", "a;b");
  RegInteger("", "QuickRecompile", 1);
  RegInteger("", "UseDelphiPath", 0);
  RegString("", "SearchPath", "/src/a;/src/b");
  gQuickRecompile = false;
  gUseDelphiPath = true;
  Session->RegisterExpert();

  TIntf<TIMenuItemIntf> Symbols(FindMenu("Velmoric5"));
  EXPECT_EQ(Symbols->GetShortCut(), 0x4053);
  TIntf<TIMenuItemIntf> Top(FindMenu("Velmoric1"));
  EXPECT_EQ(Top->GetShortCut(), 0x8056);
  TIntf<TIMenuItemIntf> Relevant(FindMenu("VelmoricQuickOpen"));
  EXPECT_EQ(Relevant->GetShortCut(), 0x4052);
  TIntf<TIMenuItemIntf> Hyper(FindMenu("Velmoric9"));
  EXPECT_EQ(Hyper->GetShortCut(), 0x804A);  // untouched
  EXPECT_EQ(VelmoricPath, "/data/velmoric/");
  EXPECT_EQ(DBPasswords, "a;b");
  EXPECT_TRUE(gQuickRecompile);
  EXPECT_FALSE(gUseDelphiPath);
  EXPECT_EQ(AdditionalSearchPath, "/src/a;/src/b");
  EXPECT_NE(Expert()->Panels, nullptr);
  Session->ReleaseExpert();
}

TEST_F(ExpertTest, QuickRecompileIsOffUnlessTheRegistrySetsIt) {
  CreateMenusKey();
  gQuickRecompile = true;
  Session->RegisterExpert();
  EXPECT_FALSE(gQuickRecompile);
}

TEST_F(ExpertTest, NopanelSwitchesThePanelsOff) {
  CreateMenusKey();
  RegInteger("", "nopanel", 0);  // its existence counts, not its value
  TNotifyEvent Sentinel = [](TObject*) {};
  Screen->OnActiveFormChange = Sentinel;
  Session->RegisterExpert();
  EXPECT_EQ(Expert()->Panels, nullptr);
  const std::string F = Open("unit1.pas", Unit1Text);
  TEditWindow* W = IDE().EditWindow(F);
  EXPECT_EQ(CountControls(W, "VelmoricPanel1"), 0);
  int Resizes = 0;
  W->OnResize = [&Resizes](TObject*) { ++Resizes; };
  Session->ReleaseExpert();
  // Neither the screen's nor the window's handler was replaced, so the
  // release leaves them as they are.
  EXPECT_TRUE(static_cast<bool>(Screen->OnActiveFormChange));
  W->SetWidth(321);
  EXPECT_EQ(Resizes, 1);
  W->OnResize = nullptr;
}

TEST_F(ExpertTest, OnlyTheLastReferenceUnloadsTheExpert) {
  Session->RegisterExpert();
  TVelmoricWizard* E = Expert();
  E->AddRef();
  EXPECT_EQ(E->Release(), 1);
  EXPECT_TRUE(TIntf<TIMenuItemIntf>(FindMenu("Velmoric1")));
  EXPECT_NE(E->BookmarkStack, nullptr);
  Session->ReleaseExpert();
  EXPECT_EQ(TheVelmoricFairy, nullptr);
  EXPECT_FALSE(TIntf<TIMenuItemIntf>(FindMenu("Velmoric1")));
}

// ------------------------------------------------------------------- panels

TEST_F(ExpertTest, EachEditorWindowGetsOnePanelAtItsTop) {
  Session->RegisterExpert();
  const std::string A = Open("unit1.pas", Unit1Text);
  const std::string B = Open("unit2.pas", "unit Unit2;\ninterface\nimplementation\nend.\n");
  IDE().ActivateFile(A);
  IDE().ActivateFile(B);
  IDE().ActivateFile(A);
  for (const std::string& F : {A, B}) {
    TEditWindow* W = IDE().EditWindow(F);
    ASSERT_EQ(CountControls(W, "VelmoricPanel1"), 1) << F;
    auto* Panel = dynamic_cast<TPanel*>(W->FindComponent("VelmoricPanel1"));
    ASSERT_NE(Panel, nullptr);
    EXPECT_EQ(Panel->Align(), alTop);
    EXPECT_EQ(Panel->Top(), 0);
    EXPECT_EQ(Panel->Height(), 30);
    EXPECT_EQ(Panel->Width(), W->Width());
    EXPECT_EQ(Panel->Caption, "");
    EXPECT_EQ(W->TabControl->Top(), 30);
    EXPECT_EQ(W->TabControl->Align(), alClient);
    EXPECT_EQ(W->TabControl->Top() + W->TabControl->Height(), W->MessageView->Top());
    EXPECT_EQ(W->MessageView->Align(), alBottom);
  }
  EXPECT_EQ(Expert()->Panels->Count(), 2);
}

TEST_F(ExpertTest, ResizingAnEquippedWindowKeepsThePanelAboveTheEditor) {
  Session->RegisterExpert();
  const std::string A = Open("unit1.pas", Unit1Text);
  TEditWindow* W = IDE().EditWindow(A);
  W->SetBounds(0, 0, 800, 600);
  auto* Panel = dynamic_cast<TControl*>(W->FindComponent("VelmoricPanel1"));
  ASSERT_NE(Panel, nullptr);
  EXPECT_EQ(Panel->Top(), 0);
  EXPECT_EQ(Panel->Width(), 800);
  EXPECT_EQ(W->TabControl->Top(), 30);
  EXPECT_EQ(W->MessageView->Top() + W->MessageView->Height(), 600);
  EXPECT_EQ(W->TabControl->Top() + W->TabControl->Height(), W->MessageView->Top());
}

// ------------------------------------------------------------------ release

TEST_F(ExpertTest, ReleaseRestoresHandlersRemovesPanelsAndMenusAndWritesTheRepository) {
  int ScreenCalls = 0, Resizes = 0, Activations = 0;
  Screen->OnActiveFormChange = [&](TObject*) { ++ScreenCalls; };
  const std::string A = Open("unit1.pas", Unit1Text);
  TEditWindow* W = IDE().EditWindow(A);
  W->OnResize = [&](TObject*) { ++Resizes; };
  W->OnActivate = [&](TObject*) { ++Activations; };

  Session->RegisterExpert();
  IDE().MainWindow()->Activate();  // the next change of the active form equips A
  int Seen = Activations;
  IDE().ActivateFile(A);
  ASSERT_EQ(CountControls(W, "VelmoricPanel1"), 1);
  // The window's own handlers still run behind the expert's.
  EXPECT_EQ(Activations, Seen + 1);
  W->SetWidth(700);
  EXPECT_EQ(Resizes, 1);
  std::string Remembered = Dir.File("lib/unitx.pas");
  fileRepository->Add(Remembered);

  Session->ReleaseExpert();
  EXPECT_EQ(TheVelmoricFairy, nullptr);
  EXPECT_EQ(CountControls(W, "VelmoricPanel1"), 0);
  EXPECT_EQ(W->FindComponent("ComboBoxClass"), nullptr);
  EXPECT_EQ(W->TabControl->Top(), 0);
  const int Before = ScreenCalls;
  Open("unit2.pas", "unit Unit2;\nend.\n");
  EXPECT_GT(ScreenCalls, Before);  // the IDE's own handler is back
  EXPECT_EQ(CountControls(IDE().EditWindow(Dir.File("unit2.pas")), "VelmoricPanel1"), 0);
  W->SetWidth(600);
  EXPECT_EQ(Resizes, 2);
  // The window's own activate handler is back alone: the expert's, which
  // moves the first control below the panel, is gone.
  IDE().MainWindow()->Activate();
  Seen = Activations;
  IDE().ActivateFile(A);
  EXPECT_EQ(Activations, Seen + 1);
  EXPECT_EQ(W->TabControl->Top(), 0);
  Resizes = 0;
  W->OnResize = nullptr;
  W->OnActivate = nullptr;

  EXPECT_FALSE(TIntf<TIMenuItemIntf>(FindMenu("Velmoric1")));
  EXPECT_FALSE(TIntf<TIMenuItemIntf>(FindMenu("Velmoric12")));
  EXPECT_FALSE(TIntf<TIMenuItemIntf>(FindMenu("VelmoricQuickOpen")));
  EXPECT_TRUE(TIntf<TIMenuItemIntf>(FindMenu("SearchMenu")));
  EXPECT_EQ(Application->MainForm->FindComponent("VelmoricUpdateTimer"), nullptr);
  EXPECT_EQ(FormVelmoricCompiling, nullptr);
  EXPECT_EQ(ReadFileBytes(Dir.File("filerep.dat")), Remembered + "\r\n");
  EXPECT_TRUE(Boxes.empty()) << Boxes.front().Text;
  Screen->OnActiveFormChange = nullptr;
}

TEST_F(ExpertTest, EachEditorWindowKeepsItsOwnHandlers) {
  const std::string A = Open("unit1.pas", Unit1Text);
  const std::string B = Open("unit2.pas", "unit Unit2;\ninterface\nimplementation\nend.\n");
  TEditWindow* WA = IDE().EditWindow(A);
  TEditWindow* WB = IDE().EditWindow(B);
  std::vector<std::string> Calls;
  auto Record = [&Calls](const std::string& What) {
    return [&Calls, What](TObject*) { Calls.push_back(What); };
  };
  WA->OnResize = Record("resize A");
  WA->OnActivate = Record("activate A");
  WB->OnResize = Record("resize B");
  WB->OnActivate = Record("activate B");

  Session->RegisterExpert();
  IDE().ActivateFile(A);
  IDE().ActivateFile(B);
  ASSERT_EQ(CountControls(WA, "VelmoricPanel1"), 1);
  ASSERT_EQ(CountControls(WB, "VelmoricPanel1"), 1);
  Calls.clear();
  WA->SetWidth(701);
  WB->SetWidth(702);
  IDE().ActivateFile(A);
  IDE().ActivateFile(B);
  EXPECT_THAT(Calls, ElementsAre("resize A", "resize B", "activate A", "activate B"));

  // At release each window gets its own handlers back.
  Session->ReleaseExpert();
  Calls.clear();
  WA->SetWidth(650);
  WB->SetWidth(640);
  IDE().ActivateFile(A);
  IDE().ActivateFile(B);
  EXPECT_THAT(Calls, ElementsAre("resize A", "resize B", "activate A", "activate B"));
  for (TEditWindow* W : {WA, WB}) {
    W->OnResize = nullptr;
    W->OnActivate = nullptr;
  }
}

TEST_F(ExpertTest, ReleaseReportsItsStepsOnTheTrace) {
  Session->RegisterExpert();
  Open("unit1.pas", Unit1Text);
  FormVelmoricBookmarkStack();
  StartTraceLog();
  Session->ReleaseExpert();
  EXPECT_THAT(TraceLines("velmoric.release"),
              ElementsAre("Release notification", "Release panels", "Release forms",
                          "Clear Memory", "Get Rid of menus", "Write file repository"));
  const auto Out = TraceLines("stdOut");
  auto Has = [&](const std::string& L) { return std::find(Out.begin(), Out.end(), L) != Out.end(); };
  EXPECT_TRUE(Has("Free bookmarks"));
  EXPECT_TRUE(Has("Release form FormVelmoricCompiling"));
  EXPECT_TRUE(Has("Release form FormVelmoricCompile"));
  EXPECT_TRUE(Has("Release form FFormVelmoricBookmarkStack"));
  EXPECT_TRUE(Has("get rid of Velmoric2"));
  EXPECT_TRUE(Has("get rid of VelmoricQuickOpen"));
  EXPECT_EQ(FFormVelmoricBookmarkStack, nullptr);
  const auto Panel = TraceLines("velmoric.panel");
  EXPECT_NE(std::find(Panel.begin(), Panel.end(), "  control:VelmoricPanel1"), Panel.end());
}

// ------------------------------------------------------------ start-up guards

TEST_F(ExpertTest, AFailingMenuBlockShowsItsMessageAndTheNextBlocksRun) {
  {
    TIntf<TIMenuItemIntf> Search(FindMenu("SearchMenu"));
    Search->DestroyMenuItem();
  }
  CreateMenusKey();
  Dir.Write("after/keep", "");
  const std::string After = Dir.File("after/");
  RegString("", "path", After);
  Session->RegisterExpert();
  EXPECT_THAT(BoxTexts(), ElementsAre("Error creating menus"));
  EXPECT_EQ(Boxes[0].Caption, "Velmoric");
  EXPECT_EQ(VelmoricPath, After);                 // the registry block ran
  EXPECT_NE(Expert()->UpdateTimer, nullptr);      // and the compiler dialog block
  EXPECT_NE(FormVelmoricCompiling, nullptr);
  EXPECT_FALSE(TIntf<TIMenuItemIntf>(FindMenu("VelmoricQuickOpen")));
  Session->ReleaseExpert();
  EXPECT_THAT(BoxTexts(), ElementsAre("Error creating menus"));
}

TEST_F(ExpertTest, AFailingRegistryBlockShowsItsMessageAndTheExpertStillStarts) {
  CreateMenusKey();
  RegString("\\Menus", "Hyperjump", "not a number");
  Session->RegisterExpert();
  EXPECT_THAT(BoxTexts(), ElementsAre("Error reading registry"));
  EXPECT_NE(Expert()->Panels, nullptr);
  EXPECT_NE(Expert()->UpdateTimer, nullptr);
  TIntf<TIMenuItemIntf> Top(FindMenu("Velmoric1"));
  EXPECT_TRUE(Top);
}

// -------------------------------------------------------------------- timer

TEST_F(ExpertTest, TheTimerTicksEverySecondOnTheMainWindow) {
  Session->RegisterExpert();
  auto* Timer = dynamic_cast<TTimer*>(Application->MainForm->FindComponent("VelmoricUpdateTimer"));
  ASSERT_NE(Timer, nullptr);
  EXPECT_EQ(Timer, Expert()->UpdateTimer);
  EXPECT_EQ(Timer->Interval(), 1000u);
  EXPECT_TRUE(Timer->Enabled());
  EXPECT_EQ(Timer->NextDue(), IDE().Now() + 1000);
  IDE().AdvanceTime(2500);
  EXPECT_EQ(Timer->NextDue(), IDE().Now() + 500);
  EXPECT_TRUE(bFindPosDebug);  // back on after every tick
}

// ----------------------------------------------------------------- notifier

TEST_F(ExpertTest, ClosingAFileDetachesItsSourceFromTheModelOnly) {
  Session->RegisterExpert();
  const std::string A = Open("unit1.pas", Unit1Text);
  const std::string B = Open("other.pas", "unit Other;\ninterface\nimplementation\nend.\n");
  IDE().ActivateFile(A);
  ASSERT_TRUE(Expert()->GetCompiledEditor());
  TPascalSource* S = Expert()->Source;
  ASSERT_NE(S, nullptr);
  Expert()->ReleaseEditor();
  FreeAndNil(Expert()->CompileProject);
  TSaveStringList* Units = Expert()->Project->FUnitLIst;
  ASSERT_GE(Units->Count(), 1);
  EXPECT_NE(S->Notifier, nullptr);

  StartTraceLog();
  IDE().CloseFile(B);
  std::vector<std::string> Expected;
  for (int I = 0; I < Units->Count(); ++I)
    Expected.push_back("Remove a file : looking in " +
                       static_cast<TPascalSource*>(Units->GetObjects(I))->FileName);
  auto Looking = TraceLines("stdOut");
  Looking.erase(std::remove_if(Looking.begin(), Looking.end(),
                               [](const std::string& L) { return L.rfind("Remove a file", 0) != 0; }),
                Looking.end());
  EXPECT_THAT(Looking, ElementsAreArray(Expected));
  EXPECT_NE(S->Notifier, nullptr);
  EXPECT_THAT(TraceLines("Velmoric.Notify "), ElementsAre("fnFileClosing -> " + B));

  IDE().CloseFile(A);
  EXPECT_EQ(S->Notifier, nullptr);
  EXPECT_EQ(S->ModuleIntf, nullptr);
}

// -------------------------------------------------------------- data path

TEST_F(ExpertTest, MissingDataPathIsReportedOncePerRun) {
  VelmoricPath.clear();
  EXPECT_EQ(GetVelmoricPath(), "");
  EXPECT_EQ(GetVelmoricPath(), "");
  CheckInstallation();
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Boxes[0].Caption, "Velmoric not installed");
  EXPECT_EQ(Boxes[0].Text,
            "You did not specify the Velmoric path, please select\n"
            "Velmoric/Options then General and choose a path\n"
            "You may continue with this operation, data will be stored in the current path");
  VelmoricPath = "/data/";
  Installchecked = false;
  EXPECT_EQ(GetVelmoricPath(), "/data/");
  EXPECT_EQ(Boxes.size(), 1u);
}

// ------------------------------------------------------------ editor access

TEST_F(ExpertTest, EditorAccessFailsWithoutAFileAndCreatesNothing) {
  Session->RegisterExpert();
  EXPECT_FALSE(Expert()->GetEditor());
  EXPECT_FALSE(Expert()->GetCompiledEditor());
  EXPECT_EQ(Expert()->ModuleIntf, nullptr);
  EXPECT_EQ(Expert()->EditorIntf, nullptr);
  EXPECT_EQ(Expert()->Source, nullptr);
  EXPECT_EQ(Expert()->CompileProject, nullptr);
}

TEST_F(ExpertTest, GetEditorGivesTheBufferUnparsed) {
  Session->RegisterExpert();
  const std::string A = Open("unit1.pas", Unit1Text);
  ASSERT_TRUE(Expert()->GetEditor());
  ASSERT_NE(Expert()->EditorStrings, nullptr);
  EXPECT_EQ(Expert()->EditorStrings->Count(), 23);
  EXPECT_EQ(Expert()->EditorStrings->Get(13), "procedure TForm1.Button1Click(Sender: TObject);");
  EXPECT_EQ(Expert()->EditorIntf->FileName(), A);
  ASSERT_NE(Expert()->Source, nullptr);
  EXPECT_EQ(Expert()->Source->Token, Expert()->Token);
  EXPECT_EQ(Expert()->Source->symbols.symbols->Count(), 0);
  Expert()->ReleaseEditor();
  EXPECT_EQ(Expert()->Source, nullptr);
  EXPECT_EQ(Expert()->EditorStrings, nullptr);
  EXPECT_EQ(Expert()->ModuleIntf, nullptr);
  EXPECT_EQ(Expert()->EditorIntf, nullptr);
}

TEST_F(ExpertTest, CompiledEditorStaysInTheMemoryProjectAfterItsRelease) {
  Session->RegisterExpert();
  Open("unit1.pas", Unit1Text);
  ASSERT_TRUE(Expert()->GetCompiledEditor());
  TPascalSource* S = Expert()->Source;
  ASSERT_NE(S, nullptr);
  ASSERT_NE(Expert()->CompileProject, nullptr);
  EXPECT_NE(S->symbols.symbols->FindAnyFlatSymbol("tform1"), nullptr);
  EXPECT_EQ(S->ModuleIntf != nullptr, true);
  Expert()->ReleaseEditor();
  FreeAndNil(Expert()->CompileProject);
  // The memory project still holds the parsed unit, whole.
  std::string FileName;
  TPascalSource* Held = Expert()->Project->FindCompiledSource("unit1", FileName);
  ASSERT_EQ(Held, S);
  EXPECT_NE(Held->symbols.symbols->FindAnyFlatSymbol("tform1"), nullptr);
}

}  // namespace
