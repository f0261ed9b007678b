// The in-process IDE: files and buffers, writers and undo, views, the
// project, the main menu, notifiers, editor windows, experts and time.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "../support/ScratchDir.h"
#include "hosts/memory/EditBuffer.h"
#include "hosts/memory/EditWindow.h"
#include "hosts/memory/ExpertSession.h"
#include "hosts/memory/MemoryIDE.h"
#include "ide/VelmoricEditorStrings.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"

namespace {

// Interfaces released at the end of the scope.
template <typename T>
struct TIntf {
  T* P;
  explicit TIntf(T* Ptr) : P(Ptr) {}
  ~TIntf() {
    if (P) P->Release();
  }
  T* operator->() const { return P; }
  explicit operator bool() const { return P != nullptr; }
};

class MemoryIDETest : public testing::Test {
 protected:
  void SetUp() override {
    ::setenv("VELMORIC_REGISTRY", Dir.File("registry").c_str(), 1);
    IDE = std::make_unique<TMemoryIDE>();
  }
  void TearDown() override {
    IDE.reset();
    VclHost() = TVclHost();
  }

  TIEditorInterface* Editor(const std::string& FileName) {
    TIntf<TIModuleInterface> Module(ToolServices->GetModuleInterface(FileName));
    return Module ? Module->GetEditorInterface() : nullptr;
  }

  // The children names of a menu item, in order.
  std::vector<std::string> ChildNames(const std::string& Name) {
    TIntf<TIMainMenuIntf> Menu(ToolServices->GetMainMenu());
    TIntf<TIMenuItemIntf> Item(Menu->FindMenuItem(Name));
    std::vector<std::string> Names;
    for (int I = 0; I < Item->GetItemCount(); ++I) {
      TIntf<TIMenuItemIntf> Child(Item->GetItem(I));
      Names.push_back(Child->GetName());
    }
    return Names;
  }

  TScratchDir Dir;
  std::unique_ptr<TMemoryIDE> IDE;
};

const char* const Unit1Text =
    "unit Unit1;\r\n"
    "\r\n"
    "interface\r\n"
    "\r\n"
    "procedure Hello;\r\n"
    "\r\n"
    "implementation\r\n"
    "\r\n"
    "procedure Hello;\r\n"
    "begin\r\n"
    "end;\r\n"
    "\r\n"
    "end.\r\n";

TEST_F(MemoryIDETest, SessionEditsUndoesRedoesAndSavesByteForByte) {
  const std::string File = Dir.Write("Unit1.pas", Unit1Text);
  // The name is found without regard to case.
  ASSERT_TRUE(ToolServices->OpenFile(Dir.File("unit1.PAS")));
  EXPECT_TRUE(ToolServices->IsFileOpen(File));
  EXPECT_EQ(ToolServices->GetCurrentFile(), File);

  TIntf<TIEditorInterface> Ed(Editor(File));
  ASSERT_TRUE(Ed);
  EXPECT_EQ(Ed->FileName(), File);
  {
    TEditorStrings Lines(Ed.P);
    ASSERT_EQ(Lines.Count(), 13);
    EXPECT_EQ(Lines[8], "procedure Hello;");
    EXPECT_EQ(Lines.GetPosition(8), std::string(Unit1Text).find("procedure Hello;\r\nbegin"));
  }

  // One writer: insert a line after "begin" and rename the procedure in the
  // implementation. Positions are those of the buffer before the writer.
  const std::string Before = Unit1Text;
  const int Impl = static_cast<int>(Before.find("procedure Hello;\r\nbegin"));
  const int BeginEnd = static_cast<int>(Before.find("begin\r\n") + 7);
  {
    TIntf<TIEditWriter> W(Ed->CreateUndoableWriter());
    W->CopyTo(Impl + 10);
    W->DeleteTo(Impl + 15);  // "Hello"
    W->Insert("Greet");
    W->CopyTo(BeginEnd);
    W->Insert("  WriteLn('hi');\r\n");
  }
  std::string After = Before;
  After.insert(BeginEnd, "  WriteLn('hi');\r\n");
  After.replace(Impl + 10, 5, "Greet");
  EXPECT_EQ(IDE->Buffer(File).Text(), After);
  EXPECT_TRUE(Ed->BufferModified());

  EXPECT_TRUE(IDE->Undo(File));
  EXPECT_EQ(IDE->Buffer(File).Text(), Before);
  EXPECT_FALSE(IDE->Undo(File));  // the writer was one step
  EXPECT_TRUE(IDE->Redo(File));
  EXPECT_EQ(IDE->Buffer(File).Text(), After);
  EXPECT_FALSE(IDE->Redo(File));

  ASSERT_TRUE(ToolServices->SaveFile(File));
  EXPECT_FALSE(Ed->BufferModified());
  EXPECT_EQ(ReadFileBytes(File), After);
  ASSERT_TRUE(ToolServices->CloseFile(File));
  EXPECT_FALSE(ToolServices->IsFileOpen(File));
  EXPECT_EQ(ToolServices->GetModuleInterface(File), nullptr);
}

TEST_F(MemoryIDETest, FilesOpenOnceAndMissingFilesFail) {
  const std::string A = Dir.Write("a.pas", "unit a;\n");
  EXPECT_FALSE(ToolServices->OpenFile(Dir.File("missing.pas")));
  EXPECT_FALSE(IDE->LastError().empty());
  EXPECT_TRUE(ToolServices->OpenFile(A));
  EXPECT_TRUE(ToolServices->OpenFile(Dir.File("A.PAS")));
  EXPECT_EQ(ToolServices->GetModuleCount(), 1);
  EXPECT_EQ(ToolServices->GetModuleName(0), A);
  // Edits live in the buffer until saved; the file keeps its bytes.
  IDE->EditText(A, 0, 0, "{x}");
  EXPECT_EQ(ReadFileBytes(A), "unit a;\n");
  EXPECT_TRUE(ToolServices->ReloadFile(A));
  EXPECT_EQ(IDE->Buffer(A).Text(), "unit a;\n");
  EXPECT_FALSE(IDE->Buffer(A).CanUndo());
}

TEST_F(MemoryIDETest, WritersMoveForwardOneAtATimeAndPlainWritersCannotBeUndone) {
  const std::string F = Dir.Write("w.pas", "0123456789");
  ASSERT_TRUE(ToolServices->OpenFile(F));
  TIntf<TIEditorInterface> Ed(Editor(F));
  {
    TIntf<TIEditWriter> W(Ed->CreateUndoableWriter());
    EXPECT_THROW(Ed->CreateUndoableWriter(), Exception);  // one writer at a time
    W->CopyTo(2);
    W->Insert("ab");
    W->CopyTo(5);  // still the original offset 5
    W->DeleteTo(7);
    EXPECT_EQ(W->Position(), 7);
    EXPECT_THROW(W->CopyTo(3), Exception);
    W->DeleteTo(100);  // clamped to the end
  }
  EXPECT_EQ(IDE->Buffer(F).Text(), "01ab234");
  {
    TIntf<TIEditWriter> W(Ed->CreateWriter());
    W->Insert(">");
  }
  EXPECT_EQ(IDE->Buffer(F).Text(), ">01ab234");
  EXPECT_FALSE(IDE->Undo(F));

  // Readers copy what is there and report the end with a short count.
  TIntf<TIEditReader> R(Ed->CreateReader());
  char Buf[16];
  EXPECT_EQ(R->GetText(6, Buf, 16), 2);
  EXPECT_EQ(std::string(Buf, 2), "34");
  EXPECT_EQ(R->GetText(8, Buf, 16), 0);
  EXPECT_EQ(R->GetText(-1, Buf, 16), 0);
}

TEST_F(MemoryIDETest, ViewsKeepCursorAndTopAndConvertTabs) {
  const std::string F = Dir.Write("v.pas", "a\tb\r\n\tx := 1;\r\n");
  ASSERT_TRUE(ToolServices->OpenFile(F));
  TIntf<TIEditorInterface> Ed(Editor(F));
  EXPECT_EQ(Ed->LinesInBuffer(), 3);
  TIntf<TIEditView> View(Ed->GetView(0));
  ASSERT_TRUE(View);
  EXPECT_EQ(Ed->GetView(1), nullptr);
  View->SetPos(0, TEditPos{12, 2});
  View->SetPos(1, TEditPos{1, 2});
  {
    TIntf<TIEditView> Again(Ed->GetView(0));  // the state belongs to the editor
    EXPECT_EQ(Again->CursorPos().Col, 12);
    EXPECT_EQ(Again->CursorPos().Line, 2);
    EXPECT_EQ(Again->TopPos().Line, 2);
  }
  // Line 2 is TAB "x := 1;": the tab covers columns 1 to 8, x stands at 9.
  TEditPos E{12, 2};
  TCharPos C;
  View->ConvertPos(true, E, C);
  EXPECT_EQ(C.Line, 2);
  EXPECT_EQ(C.CharIndex, 4);  // the '=' of "x := 1;"
  E = TEditPos{5, 2};
  View->ConvertPos(true, E, C);
  EXPECT_EQ(C.CharIndex, 0);  // inside the tab
  E = TEditPos{30, 2};
  View->ConvertPos(true, E, C);
  EXPECT_EQ(C.CharIndex, 8 + 30 - 16);  // beyond the end of the line (column 16)
  C = TCharPos{2, 1};
  View->ConvertPos(false, E, C);
  EXPECT_EQ(E.Col, 9);  // "a", the tab up to column 8, "b" at 9
  EXPECT_EQ(E.Line, 1);
  EXPECT_EQ(View->CharPosToPos(TCharPos{1, 2}), 6);
  EXPECT_EQ(View->PosToCharPos(6).Line, 2);
  EXPECT_EQ(View->PosToCharPos(6).CharIndex, 1);
}

TEST_F(MemoryIDETest, CursorAndTopStayInsideTheText) {
  // Line 1 ends at column 10 ("a", a tab to column 8, "b"), line 2 at 16,
  // line 3 is the empty line after the last line end.
  const std::string F = Dir.Write("c.pas", "a\tb\r\n\tx := 1;\r\n");
  ASSERT_TRUE(ToolServices->OpenFile(F));
  TIntf<TIEditorInterface> Ed(Editor(F));
  TIntf<TIEditView> View(Ed->GetView(0));
  auto Cursor = [&] { return std::to_string(View->CursorPos().Line) + ":" + std::to_string(View->CursorPos().Col); };
  View->SetCursorPos(TEditPos{99, 2});
  EXPECT_EQ(Cursor(), "2:16");
  View->SetCursorPos(TEditPos{5, 99999});
  EXPECT_EQ(Cursor(), "3:1");
  View->SetCursorPos(TEditPos{-4, -7});
  EXPECT_EQ(Cursor(), "1:1");
  View->SetCursorPos(TEditPos{10, 1});  // just after the last character
  EXPECT_EQ(Cursor(), "1:10");
  View->SetCursorPos(TEditPos{4, 1});   // inside the tab: left as it is
  EXPECT_EQ(Cursor(), "1:4");
  View->SetTopPos(TEditPos{1, 500});
  EXPECT_EQ(View->TopPos().Line, 3);

  // A change that shortens the text takes the cursor along.
  View->SetCursorPos(TEditPos{14, 2});
  View->SetTopPos(TEditPos{1, 3});
  IDE->EditText(F, 0, IDE->Buffer(F).Length(), "ab");
  EXPECT_EQ(Cursor(), "1:3");
  EXPECT_EQ(View->TopPos().Line, 1);
  // Undo brings the text back; the cursor stays where it was put.
  ASSERT_TRUE(IDE->Undo(F));
  EXPECT_EQ(Cursor(), "1:3");
}

TEST_F(MemoryIDETest, TheSessionPlacesTheCursorInsideTheText) {
  IDE.reset();  // the session brings its own
  TExpertSession Session;
  const std::string G = Session.OpenFile(Dir.Write("d.pas", "unit D;\nend.\n"));
  Session.SetCursor(G, 99999, 99999);
  EXPECT_EQ(Session.Cursor(G).Line, 3);
  EXPECT_EQ(Session.Cursor(G).Col, 1);
  Session.SetCursor(G, 2, 99999);
  EXPECT_EQ(Session.Cursor(G).Col, 5);
}

TEST_F(MemoryIDETest, ProjectUnitsComeFromTheProgramFile) {
  Dir.Write("Main.pas", "unit Main;\n");
  Dir.Write("Forms/Editor.pas", "unit Editor;\n");
  Dir.Write("Forms/Editor.dfm", "object FormEditor: TFormEditor\nend\n");
  const std::string Dpr = Dir.Write(
      "Demo.dpr",
      "program Demo; { uses Fake in 'fake.pas' }\r\n"
      "\r\n"
      "uses\r\n"
      "  Forms,\r\n"
      "  Main in 'main.pas',\r\n"
      "  Editor in 'forms\\EDITOR.pas' {FormEditor},\r\n"
      "  (* a comment *) Later in 'Later.pas';\r\n"
      "\r\n"
      "{$R *.RES}\r\n"
      "begin\r\n"
      "end.\r\n");
  std::vector<std::string> Events;
  struct TRecorder : TIAddInNotifier {
    std::vector<std::string>* Out;
    void FileNotification(TFileNotification Code, const std::string& FileName, bool&) override {
      Out->push_back(IntToStr(Code) + " " + ExtractFileName(FileName));
    }
  };
  TRecorder* Notifier = new TRecorder;
  Notifier->Out = &Events;
  ToolServices->AddNotifier(Notifier);

  ASSERT_TRUE(ToolServices->OpenProject(Dir.File("demo.dpr")));
  EXPECT_EQ(ToolServices->GetProjectName(), Dpr);
  ASSERT_EQ(ToolServices->GetUnitCount(), 4);
  EXPECT_EQ(ToolServices->GetUnitName(0), Dpr);
  EXPECT_EQ(ToolServices->GetUnitName(1), Dir.File("Main.pas"));
  EXPECT_EQ(ToolServices->GetUnitName(2), Dir.File("Forms/Editor.pas"));
  EXPECT_EQ(ToolServices->GetUnitName(3), Dir.File("Later.pas"));  // not on disk yet
  EXPECT_EQ(ToolServices->GetUnitName(4), "");
  ASSERT_EQ(ToolServices->GetFormCount(), 1);
  EXPECT_EQ(ToolServices->GetFormName(0), Dir.File("Forms/Editor.dfm"));
  // A Lazarus form file where there is no Delphi one; the Delphi one first.
  Dir.Write("Forms/editor.lfm", "object FormEditor: TFormEditor\nend\n");
  EXPECT_EQ(ToolServices->GetFormName(0), Dir.File("Forms/Editor.dfm"));
  std::filesystem::remove(Dir.File("Forms/Editor.dfm"));
  EXPECT_EQ(ToolServices->GetFormName(0), Dir.File("Forms/editor.lfm"));
  std::filesystem::remove(Dir.File("Forms/editor.lfm"));
  EXPECT_EQ(ToolServices->GetFormName(0), Dir.File("Forms/Editor.dfm"));  // the name, not on disk
  EXPECT_EQ(Application->Title, "Velmoric IDE - Demo");

  // A new module joins the project.
  const std::string New = Dir.File("Unit9.pas");
  ASSERT_TRUE(ToolServices->CreateModule(
      New, "unit Unit9;\r\n",
      CreateModuleFlag(cmAddToProject) | CreateModuleFlag(cmShowSource) | CreateModuleFlag(cmMarkModified)));
  EXPECT_EQ(ToolServices->GetUnitCount(), 5);
  EXPECT_EQ(ToolServices->GetUnitName(4), New);
  EXPECT_EQ(ToolServices->GetCurrentFile(), New);
  EXPECT_TRUE(IDE->Buffer(New).Modified);
  // Without cmShowSource the new module stays in the background.
  ASSERT_TRUE(ToolServices->CreateModule(Dir.File("Hidden.pas"), "unit Hidden;", 0));
  EXPECT_EQ(ToolServices->GetCurrentFile(), New);
  EXPECT_FALSE(IDE->Buffer(Dir.File("Hidden.pas")).Modified);
  EXPECT_FALSE(ToolServices->CreateModule(New, "", 0));  // already open

  ASSERT_TRUE(ToolServices->CloseProject());
  EXPECT_EQ(ToolServices->GetUnitCount(), 0);
  EXPECT_EQ(Events, (std::vector<std::string>{"3 Demo.dpr", "4 Demo.dpr", "6 Unit9.pas",
                                              "5 Demo.dpr"}));
  ToolServices->RemoveNotifier(Notifier);
  Notifier->Release();
}

TEST_F(MemoryIDETest, FileNotificationsReachAddInNotifiersAndCanCancel) {
  const std::string F = Dir.Write("n.pas", "unit n;\n");
  struct TNotes : TIAddInNotifier {
    std::vector<std::pair<TFileNotification, std::string>> Got;
    bool CancelOpening = false;
    void FileNotification(TFileNotification Code, const std::string& FileName, bool& Cancel) override {
      Got.emplace_back(Code, FileName);
      if (Code == fnFileOpening && CancelOpening) Cancel = true;
    }
  };
  TNotes* N = new TNotes;
  EXPECT_TRUE(ToolServices->AddNotifier(N));
  N->CancelOpening = true;
  EXPECT_FALSE(ToolServices->OpenFile(F));
  EXPECT_FALSE(ToolServices->IsFileOpen(F));
  N->CancelOpening = false;
  EXPECT_TRUE(ToolServices->OpenFile(F));
  EXPECT_TRUE(ToolServices->CloseFile(F));
  using P = std::pair<TFileNotification, std::string>;
  EXPECT_EQ(N->Got, (std::vector<P>{{fnFileOpening, F}, {fnFileOpening, F}, {fnFileOpened, F},
                                    {fnFileClosing, F}}));
  EXPECT_TRUE(ToolServices->RemoveNotifier(N));
  EXPECT_FALSE(ToolServices->RemoveNotifier(N));
  ToolServices->OpenFile(F);
  EXPECT_EQ(N->Got.size(), 4u);
  N->Release();
}

// A module notifier as the project model has one: it counts what it hears.
struct TCountingModuleNotifier : TIModuleNotifier {
  std::vector<TNotifyCode> Codes;
  void Notify(TNotifyCode Code) override { Codes.push_back(Code); }
  void ComponentRenamed(void*, const std::string&, const std::string&) override {}
};

TEST_F(MemoryIDETest, BufferChangesReachModuleNotifiers) {
  const std::string F = Dir.Write("m.pas", "unit m;\r\nend.\r\n");
  ASSERT_TRUE(ToolServices->OpenFile(F));
  TCountingModuleNotifier* N = new TCountingModuleNotifier;
  {
    TIntf<TIModuleInterface> Module(ToolServices->GetModuleInterface(F));
    EXPECT_TRUE(Module->AddNotifier(N));
  }
  // A change through TEditorStrings reaches the notifier registered on
  // another interface of the same module.
  TIntf<TIEditorInterface> Ed(Editor(F));
  {
    TEditorStrings Lines(Ed.P);
    Lines.Insert(1, "{ changed }");
    Lines.SaveToEditor();
  }
  EXPECT_EQ(N->Codes, std::vector<TNotifyCode>{ncEditorModified});
  IDE->Undo(F);
  ASSERT_TRUE(ToolServices->SaveFile(F));
  EXPECT_EQ(N->Codes, (std::vector<TNotifyCode>{ncEditorModified, ncEditorModified, ncBeforeSave,
                                                ncAfterSave}));
  {
    TIntf<TIEditWriter> W(Ed->CreateUndoableWriter());  // a writer that changes nothing
  }
  EXPECT_EQ(N->Codes.size(), 4u);
  ASSERT_TRUE(ToolServices->CloseFile(F));
  EXPECT_EQ(N->Codes.back(), ncModuleDeleted);
  // The module interface the notifier came with still removes it after the close.
  EXPECT_EQ(Editor(F), nullptr);
  N->Release();
}

TEST_F(MemoryIDETest, RemovedModuleNotifierHearsNothing) {
  const std::string F = Dir.Write("r.pas", "x");
  ASSERT_TRUE(ToolServices->OpenFile(F));
  TCountingModuleNotifier N;
  N.AddRef();  // lives on the stack
  TIntf<TIModuleInterface> Module(ToolServices->GetModuleInterface(F));
  Module->AddNotifier(&N);
  EXPECT_TRUE(Module->RemoveNotifier(&N));
  EXPECT_FALSE(Module->RemoveNotifier(&N));
  IDE->EditText(F, 0, 1, "y");
  EXPECT_TRUE(N.Codes.empty());
}

// Inserts as the expert does: before or after a target, or as its first child.
enum TWhere { Before, After, Child };
TIMenuItemIntf* InsertNear(TWhere Where, const std::string& Target, const std::string& Name,
                           TIMenuClickEvent Click = nullptr) {
  TIntf<TIMainMenuIntf> Menu(ToolServices->GetMainMenu());
  TIntf<TIMenuItemIntf> T(Menu->FindMenuItem(Target));
  if (!T) return nullptr;
  if (Where == Child) return T->InsertItem(0, "&" + Name, Name, "hint", 0, 0, 0, mfsEnabledVisible, Click);
  TIntf<TIMenuItemIntf> Parent(T->GetParent());
  const int Index = T->GetIndex() + (Where == After ? 1 : 0);
  return Parent->InsertItem(Index, "&" + Name, Name, "hint", 0, 0, 0, mfsEnabledVisible, Click);
}

TEST_F(MemoryIDETest, MenusAreInsertedBeforeAfterAndAsChildOfIdeItems) {
  const auto Bar = ChildNames("SearchMenu");
  TIntf<TIMainMenuIntf> Menu(ToolServices->GetMainMenu());
  {
    TIntf<TIMenuItemIntf> Search(Menu->FindMenuItem("searchmenu"));
    ASSERT_TRUE(Search);
    EXPECT_EQ(Search->GetName(), "SearchMenu");
    EXPECT_EQ(Search->GetCaption(), "&Search");
    TIntf<TIMenuItemIntf> Reopen(Menu->FindMenuItem("FileClosedFilesItem"));
    TIntf<TIMenuItemIntf> FileMenu(Reopen->GetParent());
    EXPECT_EQ(FileMenu->GetName(), "FileMenu");
    TIntf<TIMenuItemIntf> Root(FileMenu->GetParent());
    ASSERT_TRUE(Root);
    EXPECT_EQ(Root->GetParent(), nullptr);
    EXPECT_EQ(FileMenu->GetIndex(), 0);
  }

  std::vector<std::string> Clicked;
  TIMenuClickEvent Click = [&](TIMenuItemIntf* Sender) { Clicked.push_back(Sender->GetName()); };
  TIMenuItemIntf* Top = InsertNear(After, "SearchMenu", "Velmoric1");
  TIMenuItemIntf* First = InsertNear(Child, "Velmoric1", "Velmoric2", Click);
  TIMenuItemIntf* Second = InsertNear(After, "Velmoric2", "Velmoric3", Click);
  TIMenuItemIntf* Zeroth = InsertNear(Before, "Velmoric2", "Velmoric0", Click);
  TIMenuItemIntf* Quick = InsertNear(After, "FileClosedFilesItem", "VelmoricQuickOpen");
  ASSERT_TRUE(Top && First && Second && Zeroth && Quick);

  TIntf<TIMenuItemIntf> Root(Menu->GetMenuItems());
  std::vector<std::string> TopNames;
  for (int I = 0; I < Root->GetItemCount(); ++I) {
    TIntf<TIMenuItemIntf> Item(Root->GetItem(I));
    TopNames.push_back(Item->GetName());
  }
  EXPECT_EQ(TopNames[2], "SearchMenu");
  EXPECT_EQ(TopNames[3], "Velmoric1");
  EXPECT_EQ(ChildNames("Velmoric1"), (std::vector<std::string>{"Velmoric0", "Velmoric2", "Velmoric3"}));
  const auto FileItems = ChildNames("FileMenu");
  const auto Reopen = std::find(FileItems.begin(), FileItems.end(), "FileClosedFilesItem");
  ASSERT_NE(Reopen, FileItems.end());
  EXPECT_EQ(*(Reopen + 1), "VelmoricQuickOpen");
  EXPECT_EQ(ChildNames("SearchMenu"), Bar);

  // Names are unique in the menu.
  EXPECT_THROW(InsertNear(After, "Velmoric3", "velmoric2"), Exception);
  EXPECT_EQ(InsertNear(After, "NoSuchItem", "X"), nullptr);

  // Short cuts and clicks.
  EXPECT_EQ(Second->GetShortCut(), 0);
  EXPECT_TRUE(Second->SetShortCut(scAlt | 'S'));
  EXPECT_EQ(Second->GetShortCut(), scAlt | 'S');
  EXPECT_TRUE(IDE->PressShortCut(scAlt | 'S'));
  EXPECT_TRUE(IDE->ClickMenuItem("Velmoric2"));
  EXPECT_TRUE(Zeroth->SetFlags(MenuFlag(mfEnabled), 0));
  EXPECT_FALSE(IDE->ClickMenuItem("Velmoric0"));
  EXPECT_EQ(Clicked, (std::vector<std::string>{"Velmoric3", "Velmoric2"}));

  // Releasing a found interface leaves the item; releasing the inserted
  // one removes it, and its children with it.
  TIntf<TIMenuItemIntf> Found(Menu->FindMenuItem("Velmoric3"));
  EXPECT_EQ(Found->GetIndex(), 2);
  Second->Release();
  EXPECT_EQ(Found->GetIndex(), -1);
  EXPECT_FALSE(IDE->ClickMenuItem("Velmoric3"));
  EXPECT_EQ(ChildNames("Velmoric1"), (std::vector<std::string>{"Velmoric0", "Velmoric2"}));
  Top->Release();
  EXPECT_EQ(Menu->FindMenuItem("Velmoric1"), nullptr);
  EXPECT_EQ(Menu->FindMenuItem("Velmoric2"), nullptr);
  EXPECT_EQ(First->GetIndex(), -1);  // still safe to use
  EXPECT_EQ(First->InsertItem(0, "x", "x", "", 0, 0, 0, 0, nullptr), nullptr);
  First->Release();
  Zeroth->Release();
  Quick->Release();
  std::vector<std::string> Without = FileItems;
  Without.erase(std::find(Without.begin(), Without.end(), "VelmoricQuickOpen"));
  EXPECT_EQ(ChildNames("FileMenu"), Without);
}

TEST_F(MemoryIDETest, IdeMenuCommandsWorkOnTheCurrentFile) {
  const std::string F = Dir.Write("u.pas", "abc");
  ASSERT_TRUE(ToolServices->OpenFile(F));
  IDE->EditText(F, 3, 0, "def");
  EXPECT_TRUE(IDE->ClickMenuItem("EditUndoItem"));
  EXPECT_EQ(IDE->Buffer(F).Text(), "abc");
  EXPECT_TRUE(IDE->PressShortCut(scShift | scCtrl | 'Z'));
  EXPECT_EQ(IDE->Buffer(F).Text(), "abcdef");
  EXPECT_TRUE(IDE->ClickMenuItem("FileSaveItem"));
  EXPECT_EQ(ReadFileBytes(F), "abcdef");
  EXPECT_TRUE(IDE->ClickMenuItem("FileCloseItem"));
  EXPECT_FALSE(ToolServices->IsFileOpen(F));
}

TEST_F(MemoryIDETest, EachOpenFileHasAnEditWindowOnTheScreen) {
  const std::string A = Dir.Write("a.pas", "a");
  const std::string B = Dir.Write("b.pas", "b");
  int Changes = 0;
  Screen->OnActiveFormChange = [&](TObject*) { ++Changes; };
  ASSERT_TRUE(ToolServices->OpenFile(A));
  ASSERT_TRUE(ToolServices->OpenFile(B));
  EXPECT_EQ(Changes, 2);
  int EditWindows = 0;
  for (int I = 0; I < Screen->FormCount(); ++I)
    if (Screen->Forms(I)->ClassName() == "TEditWindow") ++EditWindows;
  EXPECT_EQ(EditWindows, 2);

  TEditWindow* WA = IDE->EditWindow(A);
  ASSERT_NE(WA, nullptr);
  EXPECT_EQ(WA->Caption, A);
  EXPECT_NE(WA->FindComponent("TabControl"), nullptr);
  EXPECT_NE(WA->FindComponent("Editor"), nullptr);
  EXPECT_NE(WA->FindComponent("MessageView"), nullptr);
  EXPECT_EQ(WA->FindComponent("TabControl")->ClassName(), "TTabControl");
  EXPECT_EQ(Screen->ActiveForm(), IDE->EditWindow(B));
  EXPECT_EQ(ToolServices->GetCurrentFile(), B);

  {
    TIntf<TIModuleInterface> Module(ToolServices->GetModuleInterface(A));
    EXPECT_TRUE(Module->ShowSource());
  }
  EXPECT_EQ(Screen->ActiveForm(), WA);
  EXPECT_EQ(ToolServices->GetCurrentFile(), A);
  EXPECT_EQ(Changes, 3);

  // The layout: tab control over the client area, message view at the bottom.
  EXPECT_EQ(WA->MessageView->Top() + WA->MessageView->Height(), WA->Height());
  EXPECT_EQ(WA->TabControl->Height(), WA->Height() - WA->MessageView->Height());
  EXPECT_EQ(WA->Editor->Width(), WA->TabControl->Width());

  // Closing the active file's window makes the other one current.
  ASSERT_TRUE(ToolServices->CloseFile(A));
  EXPECT_EQ(IDE->EditWindow(A), nullptr);
  EXPECT_EQ(ToolServices->GetCurrentFile(), B);
  EXPECT_EQ(Screen->ActiveForm(), IDE->EditWindow(B));
  Screen->OnActiveFormChange = nullptr;
}

TEST_F(MemoryIDETest, TimersFireOnlyWhenTheHostPumps) {
  int Ticks = 0;
  TTimer* Timer = new TTimer(IDE->MainWindow());
  Timer->OnTimer = [&](TObject*) { ++Ticks; };
  EXPECT_EQ(Timer->Interval(), 1000u);
  IDE->PumpEvents();
  IDE->AdvanceTime(999);
  EXPECT_EQ(Ticks, 0);
  IDE->AdvanceTime(1);
  EXPECT_EQ(Ticks, 1);
  IDE->PumpEvents();  // nothing more is due at this time
  EXPECT_EQ(Ticks, 1);
  IDE->AdvanceTime(3500);  // due at 2000, 3000 and 4000
  EXPECT_EQ(Ticks, 4);
  EXPECT_EQ(IDE->Now(), 4500u);
  Timer->SetEnabled(false);
  IDE->AdvanceTime(5000);
  EXPECT_EQ(Ticks, 4);
  Timer->SetEnabled(true);  // counts from now
  IDE->AdvanceTime(999);
  EXPECT_EQ(Ticks, 4);
  IDE->AdvanceTime(1);
  EXPECT_EQ(Ticks, 5);

  // A handler that raises is reported and the timer goes on.
  std::vector<std::string> Boxes;
  VclHost().MessageBox = [&](const TMessageBoxRequest& R) {
    Boxes.push_back(R.Text);
    return mrOk;
  };
  Timer->OnTimer = [&](TObject*) {
    ++Ticks;
    throw Exception("tick failed");
  };
  IDE->AdvanceTime(2000);
  EXPECT_EQ(Ticks, 7);
  EXPECT_EQ(Boxes, (std::vector<std::string>{"tick failed", "tick failed"}));
  delete Timer;
  IDE->AdvanceTime(5000);
  EXPECT_EQ(Ticks, 7);
}

class TTestExpert : public TIExpert {
 public:
  explicit TTestExpert(std::vector<std::string>& Log, std::string Id = "Test.Expert")
      : FLog(Log), FId(std::move(Id)) {}
  ~TTestExpert() override { FLog.push_back("destroyed " + FId); }
  int Release() override {
    FLog.push_back("release " + FId);
    return TIExpert::Release();
  }
  std::string GetName() override { return "Test"; }
  std::string GetAuthor() override { return ""; }
  std::string GetComment() override { return ""; }
  std::string GetPage() override { return ""; }
  uintptr_t GetGlyph() override { return 0; }
  TExpertStyle GetStyle() override { return esStandard; }
  TExpertState GetState() override { return ExpertState(esEnabled); }
  std::string GetIDString() override { return FId; }
  std::string GetMenuText() override { return "Test-Wizard"; }

 private:
  std::vector<std::string>& FLog;
  std::string FId;
};

TEST_F(MemoryIDETest, ExpertsAreRegisteredAndReleasedOnUnload) {
  std::vector<std::string> Log;
  IDE->LoadPackage([&] {
    RegisterLibraryExpert(new TTestExpert(Log, "A"));
    RegisterLibraryExpert(new TTestExpert(Log, "B"));
  });
  EXPECT_EQ(IDE->ExpertCount(), 2);
  EXPECT_THROW(IDE->LoadPackage([&] { RegisterLibraryExpert(new TTestExpert(Log, "A")); }),
               Exception);
  EXPECT_EQ(Log, (std::vector<std::string>{"release A", "destroyed A"}));
  Log.clear();

  // A standard expert gets its entry in the Help menu; the base Execute is abstract.
  std::vector<std::string> Boxes;
  VclHost().MessageBox = [&](const TMessageBoxRequest& R) {
    Boxes.push_back(R.Text);
    return mrOk;
  };
  TIntf<TIMainMenuIntf> Menu(ToolServices->GetMainMenu());
  TIntf<TIMenuItemIntf> Help(Menu->FindMenuItem("HelpMenu"));
  ASSERT_EQ(Help->GetItemCount(), 4);
  TIntf<TIMenuItemIntf> Entry(Help->GetItem(2));
  EXPECT_EQ(Entry->GetCaption(), "Test-Wizard");
  EXPECT_TRUE(IDE->ClickMenuItem(Entry->GetName()));
  EXPECT_EQ(Boxes, std::vector<std::string>{"Abstract Error"});

  IDE->UnloadExperts();
  EXPECT_EQ(Log, (std::vector<std::string>{"release B", "destroyed B", "release A", "destroyed A"}));
  EXPECT_EQ(Help->GetItemCount(), 2);
  EXPECT_EQ(Entry->GetIndex(), -1);
}

TEST_F(MemoryIDETest, LibraryPathLivesInTheRegistry) {
  EXPECT_EQ(IDE->LibraryPath(), "");
  IDE->SetLibraryPath("/usr/lib/delphi;/opt/units");
  EXPECT_EQ(IDE->LibraryPath(), "/usr/lib/delphi;/opt/units");
}

TEST(MemoryIDE, OnlyOneAtATimeAndGlobalsAreRestored) {
  EXPECT_EQ(ToolServices, nullptr);
  {
    TMemoryIDE IDE;
    EXPECT_EQ(ToolServices, &IDE);
    EXPECT_THROW(TMemoryIDE(), Exception);
    IDE.AdvanceTime(1234);
    EXPECT_EQ(GetTickCount(), 1234u);
  }
  EXPECT_EQ(ToolServices, nullptr);
  // Without an IDE an expert is released at once.
  std::vector<std::string> Log;
  RegisterLibraryExpert(new TTestExpert(Log));
  EXPECT_EQ(Log, (std::vector<std::string>{"release Test.Expert", "destroyed Test.Expert"}));
}

}  // namespace

// The line index follows every edit, whether it moves the lines after the
// edit or adds, removes, parts or joins line breaks of any kind.
TEST(EditBufferTest, LinesAfterEditsAreThoseOfTheEditedText) {
  TEditBuffer Buffer("unit.pas", "unit A;\r\nbegin\n  X := 1;\rend.\r\n\r\n");
  std::mt19937 Rng(7);
  const std::string Pieces[] = {" ", "ab", "\r", "\n", "\r\n", "", "x\ny", "\n\r"};
  for (int Step = 0; Step < 2000; ++Step) {
    ASSERT_GT(Buffer.LineCount(), 0);  // the index is built before the edit
    const int Pos = static_cast<int>(Rng() % static_cast<unsigned>(Buffer.Length() + 1));
    const int Count = static_cast<int>(Rng() % 3);
    Buffer.Replace(Pos, Count, Pieces[Rng() % std::size(Pieces)]);
    if (Buffer.Length() > 400) Buffer.Replace(0, 200, "");
    const TEditBuffer Fresh("unit.pas", Buffer.Text());
    ASSERT_EQ(Buffer.LineCount(), Fresh.LineCount()) << Step;
    for (int L = 1; L <= Fresh.LineCount(); ++L) {
      ASSERT_EQ(Buffer.LineStart(L), Fresh.LineStart(L)) << Step << " line " << L;
      ASSERT_EQ(Buffer.LineLength(L), Fresh.LineLength(L)) << Step << " line " << L;
    }
  }
  EXPECT_EQ(TEditBuffer("a", "a\r\r\nb\rc\n").LineCount(), 5);
}
