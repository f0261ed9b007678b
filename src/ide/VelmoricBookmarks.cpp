// TBookmarkStack: the navigation history of the expert.
#include "browsers/VelmoricSourceExplorer.h"
#include "ide/VelmoricBookmarkStack.h"
#include "ide/VelmoricEditorStrings.h"
#include "ide/VelmoricWizard.h"
#include "platform/opentools/ToolIntf.h"
#include "trace/traceletVelmoric.h"

namespace {

void Write(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

void WriteOn(const std::string& Stream, const std::string& Text) {
  if (tracelet) tracelet->StrWrite(Stream, Text);
}

// The always-on entry and exit trace of the stack's operations: the entry
// text may carry arguments, the exit text is the plain name.
class TStackTrace {
 public:
  TStackTrace(const std::string& Entry, std::string Exit) : FExit(std::move(Exit)) {
    DebugStartProcedureStartup(Entry);
  }
  explicit TStackTrace(const std::string& Name) : TStackTrace(Name, Name) {}
  ~TStackTrace() {
    try {
      DebugEndProcedureStartup(FExit);
    } catch (...) {
    }
  }
  TStackTrace(const TStackTrace&) = delete;
  TStackTrace& operator=(const TStackTrace&) = delete;

 private:
  std::string FExit;
};

const char* const HeadingWords[] = {"procedure ", "function ",       "constructor ",
                                    "destructor ", "class ",         "record ",
                                    "initialization ", "finalization "};

bool IsHeadingLine(const std::string& Lower) {
  for (const char* Word : HeadingWords)
    if (Lower.find(Word) != std::string::npos) return true;
  return false;
}

// The bookmark window, when it exists and is visible.
TFFormVelmoricBookmarkStack* VisibleWindow() {
  TFFormVelmoricBookmarkStack* Form = FFormVelmoricBookmarkStack;
  return Form && Form->Visible() ? Form : nullptr;
}

}  // namespace

TBookmarkStack::TBookmarkStack() {
  TStackTrace Trace("TBookmarkStack.Create");
  Entries = new TList;
  Top = -1;
}

TBookmarkStack::~TBookmarkStack() {
  TStackTrace Trace("TBookmarkStack.Destroy");
  Write("clear");
  Clear();
  Write("free");
}

void TBookmarkStack::Clear() {
  TStackTrace Trace("TBookmarkStack.Clear");
  if (Entries) {
    for (int I = 0; I < Entries->Count(); ++I) delete Items(I);
    FreeAndNil(Entries);
  }
  Top = -1;
}

void TBookmarkStack::Add(const std::string& Source, int Line, int Col, const std::string& Name) {
  TStackTrace Trace(
      Format("TBookmarkStack.Add(Source=%s,line=%d,col=%d,name=%s)", Source, Line, Col, Name),
      "TBookmarkStack.Add");
  if (!Entries) Entries = new TList;
  for (int I = 0; I < Entries->Count(); ++I) {
    if (Items(I)->Source == Source && Items(I)->Line == Line) {
      Write("bookmark doppelt");
      return;
    }
  }
  auto* B = new TVelmoricBookmark;
  B->Source = Source;
  B->Line = Line;
  B->Col = Col;
  B->Name = Name;
  if (Entries->Count() == 0) {
    Top = Entries->Add(B);
  } else if (Top == -1) {
    Top = Entries->Add(B);
  } else {
    // Top may lie beyond the end after a delete: the new entry then goes last.
    Entries->Insert(std::min(Top, Entries->Count()), B);
    ++Top;
  }
  if (FFormSourceExplorer) FFormSourceExplorer->UpdateButtons();
  DisplayBookmarks();
}

void TBookmarkStack::PushPosition() {
  TStackTrace Trace("TBookmarkStack.PushPosition");
  TIModuleInterface* Module = nullptr;
  if (ToolServices) Module = ToolServices->GetModuleInterface(ToolServices->GetCurrentFile());
  if (Module) {
    TIEditorInterface* Editor = nullptr;
    TIEditView* View = nullptr;
    TEditorStrings* Lines = nullptr;
    try {
      Editor = Module->GetEditorInterface();
      if (Editor) View = Editor->GetView(0);
      if (View) {
        Lines = new TEditorStrings(Editor);
        std::string Name;
        GetBookmarkName(Lines, View->CursorPos().Line, Name);
        Write("add bookmark " + Name);
        const TEditPos Pos = View->CursorPos();
        Add(Editor->FileName(), Pos.Line, Pos.Col, Name);
      }
    } catch (...) {
      delete Lines;
      ReleaseInterface(View);
      ReleaseInterface(Editor);
      ReleaseInterface(Module);
      throw;
    }
    delete Lines;
    ReleaseInterface(View);
    ReleaseInterface(Editor);
    ReleaseInterface(Module);
  }
  TFFormVelmoricBookmarkStack* Form = FormVelmoricBookmarkStack();
  if (Form->Visible()) Form->UpdateList();
}

void TBookmarkStack::GetBookmarkName(TEditorStrings* Lines, int Line, std::string& Name) {
  Name = Format("Zeile %d", Line);
  if (!Lines) return;
  const std::string Entry = Format("TBookmarkStack.GetBookmarkName(line=%d)", Line);
  int Found = -1;
  for (int N = std::min(Line - 1, Lines->Count() - 1); N >= 0; --N) {
    TStackTrace Trace(Entry, "TBookmarkStack.GetBookmarkName");
    if (IsHeadingLine(LowerCase(Lines->Get(N)))) {
      Found = N;
      break;
    }
  }
  if (Found < 0) return;
  Name = Lines->Get(Found);
  while (!Name.empty() && Name[0] == ' ') Name = Name.substr(1, 255);
}

void TBookmarkStack::Jump() {
  TStackTrace Trace("TBookmarkStack.Jump");
  if (Top >= 0) {
    if (Top > 0) --Top;
    if (TFFormVelmoricBookmarkStack* Form = VisibleWindow())
      if (Top < Form->ListBoxDependencies->Items()->Count())
        Form->ListBoxDependencies->SetItemIndex(Top);
  }
  JumpTo(Top);
}

void TBookmarkStack::JumpTo(int Entry) {
  TStackTrace Trace(Format("TBookmarkStack.JumpTo(entry=%d)", Entry), "TBookmarkStack.JumpTo");
  if (Entry < 0 || Entry >= Count()) return;
  TVelmoricBookmark* B = Items(Entry);
  WriteOn("bookmarks", Format("Jump to entry %d : %s %d", Entry, B->Source, B->Line));
  if (!ToolServices) return;
  if (!ToolServices->IsFileOpen(B->Source)) ToolServices->OpenFile(B->Source);
  TIModuleInterface* Module = ToolServices->GetModuleInterface(B->Source);
  if (!Module) return;
  TIEditorInterface* Editor = Module->GetEditorInterface();
  TIEditView* View = Editor ? Editor->GetView(0) : nullptr;
  if (View) {
    TEditPos Cursor;
    Cursor.Col = static_cast<int16_t>(B->Col + 1);
    Cursor.Line = B->Line;
    View->SetCursorPos(Cursor);
    TEditPos TopPos;
    TopPos.Col = 1;
    TopPos.Line = B->Line > 5 ? B->Line - 5 : B->Line;
    View->SetTopPos(TopPos);
  }
  Module->ShowSource();
  ReleaseInterface(View);
  ReleaseInterface(Editor);
  ReleaseInterface(Module);
}

void TBookmarkStack::DisplayBookmarks() {
  TStackTrace Trace("TBookmarkStack.DisplayBookmarks");
  WriteOn("bookmarks", Format("Top Of stack = %d", Top));
  for (int I = 0; I < Count(); ++I)
    WriteOn("bookmarks", Format("%d %s %d %d", I, Items(I)->Source, Items(I)->Line, Items(I)->Col));
}
