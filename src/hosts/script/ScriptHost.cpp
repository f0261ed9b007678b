#include "hosts/script/ScriptHost.h"

#include <algorithm>

#include "hosts/memory/EditWindow.h"
#include "hosts/memory/ExpertSession.h"
#include "hosts/script/ScriptMenus.h"
#include "hosts/script/ScriptWords.h"
#include "platform/rtl/AtomicFile.h"
#include "platform/rtl/FileSearch.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/FormReader.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/RichTextPdf.h"
#include "platform/vcl/ScriptHooks.h"
#include "project/VelmoricProjectSettings.h"

namespace {

struct TAnswerWord {
  const char* Word;
  int Result;
  TMsgDlgBtn Button;
};

const TAnswerWord AnswerWords[] = {
    {"OK", mrOk, mbOK},          {"Cancel", mrCancel, mbCancel}, {"Yes", mrYes, mbYes},
    {"No", mrNo, mbNo},          {"Abort", mrAbort, mbAbort},    {"Retry", mrRetry, mbRetry},
    {"Ignore", mrIgnore, mbIgnore},
};

const TAnswerWord* AnswerByWord(const std::string& Word) {
  for (const TAnswerWord& A : AnswerWords)
    if (SameText(A.Word, Word)) return &A;
  return nullptr;
}

const TAnswerWord* AnswerByResult(int Result) {
  for (const TAnswerWord& A : AnswerWords)
    if (A.Result == Result) return &A;
  return nullptr;
}

std::string ResultWord(int Result) {
  const TAnswerWord* A = AnswerByResult(Result);
  return A ? A->Word : IntToStr(Result);
}

// Line breaks shown as "\n", so that a message stays one line.
std::string OneLine(const std::string& Text) {
  std::string Result;
  for (size_t I = 0; I < Text.size(); ++I) {
    if (Text[I] == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n') continue;
    if (Text[I] == '\n' || Text[I] == '\r') Result += "\\n";
    else Result += Text[I];
  }
  return Result;
}

std::vector<std::string> SplitPath(const std::vector<std::string>& Words, size_t From) {
  std::string All;
  for (size_t I = From; I < Words.size(); ++I) All += (I > From ? " " : "") + Words[I];
  std::vector<std::string> Parts;
  size_t Start = 0;
  for (;;) {
    const size_t P = All.find(" > ", Start);
    Parts.push_back(Trim(All.substr(Start, P == std::string::npos ? std::string::npos : P - Start)));
    if (P == std::string::npos) break;
    Start = P + 3;
  }
  return Parts;
}

const char* const TopVerbs[] = {"open", "cursor", "type", "select-text", "menu", "key",
                                "wait", "undo", "save", "close", "print", "dialog",
                                "form", "message", "file", "clipboard", "run", "stop",
                                "drop", "designer"};
const char* const ActionVerbs[] = {"set", "select", "unselect", "check", "uncheck", "click",
                                   "dblclick", "keypress", "tab", "row", "header", "expand",
                                   "collapse", "close", "print"};

template <size_t N>
bool OneOf(const std::string& Word, const char* const (&List)[N]) {
  return std::find_if(std::begin(List), std::end(List), [&](const char* V) { return Word == V; }) !=
         std::end(List);
}

// The number of words an action takes after its verb: at least Min.
size_t MinActionArgs(const std::string& Verb) {
  if (Verb == "close" || Verb == "print") return 0;
  if (Verb == "set" || Verb == "select" || Verb == "unselect" || Verb == "keypress" ||
      Verb == "tab" || Verb == "row" || Verb == "header" || Verb == "expand" || Verb == "collapse")
    return 2;
  return 1;
}

}  // namespace

bool ScriptFormMatches(const TCustomForm& Form, const std::string& Name) {
  return SameText(Form.ClassName(), Name) || SameText(Form.Name(), Name) ||
         StripHotkey(Form.Caption) == StripHotkey(Name) ||
         SameText(StripHotkey(Form.Caption), StripHotkey(Name));
}

TComponent* ScriptFindComponent(const TComponent& Owner, const std::string& Name) {
  if (TComponent* C = Owner.FindComponent(Name)) return C;
  for (int I = 0; I < Owner.ComponentCount(); ++I)
    if (TComponent* C = ScriptFindComponent(*Owner.Components(I), Name)) return C;
  return nullptr;
}

// ------------------------------------------------------------------ life cycle

TScriptHost::TScriptHost(std::ostream& Out, std::ostream& Err) : FOut(Out), FErr(Err) {}

TScriptHost::~TScriptHost() = default;

TMemoryIDE& TScriptHost::IDE() { return FSession->IDE(); }

void TScriptHost::Fail(const std::string& Why) {
  if (!FError) FError = TError{FLine, Why};
  throw TStop{};
}

void TScriptHost::CheckStopped() {
  if (FError) throw TStop{};
}

void TScriptHost::Trace(const TStatement& S) {
  if (FTrace) FErr << "+ " << S.Line << ": " << S.Text << '\n';
}

int TScriptHost::Run(const std::string& Script, const TScriptOptions& Options) {
  FTrace = Options.Trace;
  FError.reset();
  FUnanswered = false;
  FDialogs.clear();
  FMessages.clear();
  FFiles.clear();

  FSavedHost = VclHost();
  FSavedSearchPaths = TSavedSearchPaths();
  VclHost().ShowModal = [this](TCustomForm& Form) { return OnShowModal(Form); };
  VclHost().MessageBox = [this](const TMessageBoxRequest& R) { return OnMessageBox(R); };
  VclHost().FileDialog = [this](TOpenDialog& D) { return OnFileDialog(D); };
  VclHost().GetClipboardText = [this] { return FClipboard; };
  VclHost().SetClipboardText = [this](const std::string& Text) { FClipboard = Text; };
  VclHost().Beep = [](uint32_t) {};
  VclHost().PrintRichText = [this](const std::string& Title, const TRichTextDocument& Document) {
    OnPrint(Title, Document);
  };

  struct TRestore {
    TScriptHost* Host;
    ~TRestore() {
      Host->FSession.reset();
      VclHost() = Host->FSavedHost;
      Host->FSavedSearchPaths.Restore();
      Host->FOut.flush();
    }
  } Restore{this};

  FSession = std::make_unique<TExpertSession>();
  FSession->SetDataDirectory(TExpertSession::DefaultDataDirectory());
  if (!Options.Project.empty()) {
    AddHostSearchFolder(ExtractFilePath(ExpandFileName(Options.Project)));
    FSession->OpenProject(Options.Project);
  }
  FSession->RegisterExpert();
  if (!FSession->Expert()) throw Exception("The expert did not load");
  if (Options.Prepare) Options.Prepare(*FSession);

  // The script, line by line.
  std::vector<std::string> Lines;
  for (size_t Start = 0; Start <= Script.size();) {
    size_t End = Script.find('\n', Start);
    if (End == std::string::npos) End = Script.size();
    Lines.push_back(Script.substr(Start, End - Start));
    Start = End + 1;
  }
  auto Parse = [&](size_t Index, TStatement& S) {
    FLine = static_cast<int>(Index) + 1;
    S.Line = FLine;
    S.Text = Trim(Lines[Index]);
    if (S.Text.empty() || S.Text[0] == '#') return false;
    try {
      S.Words = SplitScriptWords(S.Text);
    } catch (const Exception& E) {
      Fail(E.Message());
    }
    return !S.Words.empty();
  };

  for (size_t I = 0; I < Lines.size() && !FError; ++I) {
    try {
      TStatement S;
      if (!Parse(I, S)) continue;
      const std::string& Verb = S.Words[0];
      if (Verb == "dialog" || Verb == "form") {
        if (S.Words.size() != 2) Fail(Verb + " takes one form name");
        TFormAnswer Answer;
        Answer.Line = S.Line;
        Answer.Name = S.Words[1];
        size_t J = I + 1;
        bool Ended = false;
        for (; J < Lines.size(); ++J) {
          TStatement A;
          if (!Parse(J, A)) continue;
          const std::string& V = A.Words[0];
          if (V == "end") {
            if (A.Words.size() != 1) Fail("end takes nothing");
            Ended = true;
            break;
          }
          if (V == "dialog" || V == "form") Fail(V + " inside " + Verb + " " + Answer.Name);
          if (!OneOf(V, ActionVerbs)) Fail("unknown action " + V);
          if (A.Words.size() - 1 < MinActionArgs(V)) Fail(V + " needs more arguments");
          Answer.Actions.push_back(std::move(A));
        }
        FLine = S.Line;
        if (!Ended) Fail(Verb + " " + Answer.Name + " has no end");
        I = J;
        Trace(S);
        if (Verb == "dialog") {
          FDialogs.push_back(std::move(Answer));
        } else {
          TCustomForm* Form = nullptr;
          for (int K = 0; K < Screen->FormCount() && !Form; ++K)
            if (Screen->Forms(K)->Visible() && ScriptFormMatches(*Screen->Forms(K), Answer.Name))
              Form = Screen->Forms(K);
          if (!Form) Fail("no form " + Answer.Name + " is shown");
          RunActions(*Form, Answer.Actions, false);
        }
      } else {
        Trace(S);
        Execute(S);
      }
      CheckStopped();
      IDE().PumpEvents();
      CheckStopped();
    } catch (const TStop&) {
    } catch (const std::exception& E) {
      if (!FError) FError = TError{FLine, E.what()};
    }
  }

  if (!FError) {
    try {
      FSession->ReleaseExpert();
    } catch (const TStop&) {
    }
  }
  FOut.flush();
  if (FError) {
    FErr << "script:" << FError->Line << ": " << FError->Why << '\n';
    return 2;
  }
  // Answers no form or box asked for point at a script that went otherwise
  // than its writer thought.
  for (const TFormAnswer& A : FDialogs)
    FErr << "script:" << A.Line << ": note: no dialog " << A.Name << " was shown\n";
  for (const TQueued& M : FMessages)
    FErr << "script:" << M.Line << ": note: no message box took the answer " << M.Value << '\n';
  for (const TQueued& F : FFiles)
    FErr << "script:" << F.Line << ": note: no file dialog took the answer\n";
  return FUnanswered ? 1 : 0;
}

// ------------------------------------------------------------------ statements

std::string TScriptHost::FrontFile() {
  const std::string File = IDE().GetCurrentFile();
  if (File.empty()) Fail("no file is open");
  return File;
}

void TScriptHost::Execute(const TStatement& S) {
  const std::string& Verb = S.Words[0];
  const size_t Args = S.Words.size() - 1;
  auto Want = [&](size_t N, const char* What) {
    if (Args != N) Fail(Verb + " takes " + What);
  };
  auto Number = [&](size_t Index, const char* What) { return ScriptNumber(S.Words[Index], What); };

  if (Verb == "open") {
    Want(1, "one file");
    AddHostSearchFolder(ExtractFilePath(ExpandFileName(S.Words[1])));
    FSession->OpenFile(S.Words[1]);
  } else if (Verb == "cursor" || Verb == "select-text") {
    Want(Verb == "cursor" ? 2 : 4, Verb == "cursor" ? "LINE COL" : "LINE COL LINE COL");
    const std::string File = FrontFile();
    TEditBuffer& B = IDE().Buffer(File);
    auto Position = [&](size_t Index) {
      const int Line = Number(Index, "line"), Col = Number(Index + 1, "column");
      if (Line < 1 || Line > B.LineCount())
        Fail(Format("line %d is outside the text (%d lines)", Line, B.LineCount()));
      TCharPos End;
      End.Line = Line;
      End.CharIndex = static_cast<int16_t>(std::min(B.LineLength(Line), 32767));
      const int Last = B.CharPosToEditPos(End).Col;
      if (Col < 1 || Col > Last) Fail(Format("column %d is outside line %d (columns 1 to %d)", Col, Line, Last));
      TEditPos P;
      P.Line = Line;
      P.Col = static_cast<int16_t>(Col);
      return P;
    };
    const TEditPos From = Position(1);
    const TEditPos To = Verb == "cursor" ? From : Position(3);
    FSession->SetCursor(File, To.Line, To.Col);
    B.BlockStart = Verb == "cursor" ? To : From;
    B.BlockAfter = To;
  } else if (Verb == "type") {
    Want(1, "one text");
    const std::string File = FrontFile();
    TEditBuffer& B = IDE().Buffer(File);
    std::string Text = ScriptText(S.Words[1]);
    if (B.Text().find("\r\n") != std::string::npos) {
      std::string Crlf;
      for (char C : Text) Crlf += C == '\n' ? std::string("\r\n") : std::string(1, C);
      Text = Crlf;
    }
    const int Pos = B.CharPosToPos(B.EditPosToCharPos(B.Cursor));
    IDE().EditText(File, Pos, 0, Text);
    B.Cursor = B.CharPosToEditPos(B.PosToCharPos(Pos + static_cast<int>(Text.size())));
    B.BlockStart = B.BlockAfter = B.Cursor;
  } else if (Verb == "menu") {
    if (Args == 0) Fail("menu takes a menu path");
    const std::vector<std::string> Path = SplitPath(S.Words, 1);
    TIMainMenuIntf* Menu = IDE().GetMainMenu();
    std::string Name;
    try {
      Name = MenuItemAtPath(Menu, Path);
    } catch (...) {
      Menu->Release();
      throw;
    }
    Menu->Release();
    if (Name.empty() || !IDE().ClickMenuItem(Name)) Fail("the menu item " + Path.back() + " is disabled");
  } else if (Verb == "key") {
    Want(1, "one short cut");
    const TShortCut Cut = TextToShortCut(S.Words[1]);
    if (Cut == scNone) Fail("unknown short cut " + S.Words[1]);
    if (!IDE().PressShortCut(Cut)) Fail("no enabled menu item has the short cut " + ShortCutToText(Cut));
  } else if (Verb == "wait") {
    Want(1, "milliseconds");
    IDE().AdvanceTime(static_cast<uint32_t>(Number(1, "milliseconds")));
  } else if (Verb == "undo") {
    Want(0, "nothing");
    const std::string File = FrontFile();
    if (!IDE().Undo(File)) Fail("nothing to undo in " + File);
  } else if (Verb == "save") {
    Want(0, "nothing");
    const std::string File = FrontFile();
    if (!IDE().SaveFile(File)) Fail(IDE().LastError());
  } else if (Verb == "close") {
    Want(0, "nothing (close RESULT belongs in a dialog)");
    const std::string File = FrontFile();
    if (!IDE().CloseFile(File)) Fail(File + " was not closed");
  } else if (Verb == "print") {
    Want(1, "text, caption, cursor, menu, files, clipboard, title or main-caption");
    Print(S.Words[1]);
  } else if (Verb == "message") {
    Want(1, "one answer");
    const TAnswerWord* A = AnswerByWord(S.Words[1]);
    if (!A) Fail("unknown answer " + S.Words[1] + " (OK, Cancel, Yes, No, Abort, Retry, Ignore)");
    FMessages.push_back({S.Line, A->Word});
  } else if (Verb == "file") {
    Want(1, "a path or -");
    FFiles.push_back({S.Line, S.Words[1] == "-" ? std::string() : ExpandFileName(S.Words[1])});
  } else if (Verb == "clipboard") {
    Want(1, "one text");
    Clipboard().SetAsText(ScriptText(S.Words[1]));
  } else if (Verb == "run" || Verb == "stop") {
    Want(0, "nothing");
    IDE().SetRunning(Verb == "run");
  } else if (Verb == "drop") {
    if (Args < 2) Fail("drop takes a form name and files");
    TCustomForm* Form = nullptr;
    for (int I = 0; I < Screen->FormCount() && !Form; ++I)
      if (SameText(Screen->Forms(I)->Name(), S.Words[1]) && Screen->Forms(I)->Visible())
        Form = Screen->Forms(I);
    if (!Form) Fail("no form " + S.Words[1] + " is shown");
    std::vector<std::string> Files;
    for (size_t I = 2; I < S.Words.size(); ++I) Files.push_back(ExpandFileName(S.Words[I]));
    if (!Form->DropFiles(Files)) Fail("the form " + S.Words[1] + " takes no dropped files");
  } else if (Verb == "designer") {
    if (Args < 2 || Args > 3) Fail("designer takes a form file, a component and a verb");
    Designer(S.Words[1], S.Words[2], Args == 3 ? &S.Words[3] : nullptr);
  } else if (Verb == "end") {
    Fail("end without dialog or form");
  } else {
    Fail("unknown statement " + Verb);
  }
}

void TScriptHost::Print(const std::string& What) {
  if (What == "text") {
    const std::string& Text = IDE().Buffer(FrontFile()).Text();
    FOut << Text;
    if (!Text.empty() && Text.back() != '\n') FOut << '\n';
  } else if (What == "title") {
    FOut << Application->Title << '\n';
  } else if (What == "main-caption") {
    FOut << IDE().MainWindow()->Caption << '\n';
  } else if (What == "caption") {
    TEditWindow* Window = IDE().EditWindow(FrontFile());
    FOut << (Window ? Window->Caption : std::string()) << '\n';
  } else if (What == "cursor") {
    const TEditPos P = IDE().Buffer(FrontFile()).Cursor;
    FOut << P.Line << ':' << P.Col << '\n';
  } else if (What == "menu") {
    TIMainMenuIntf* Menu = IDE().GetMainMenu();
    PrintExpertMenus(Menu, FOut);
    Menu->Release();
  } else if (What == "files") {
    std::vector<std::string> Files;
    for (int I = 0; I < Screen->FormCount(); ++I)
      if (auto* W = dynamic_cast<TEditWindow*>(Screen->Forms(I)))
        if (IDE().FindBuffer(W->FileName())) Files.push_back(W->FileName());
    for (int I = 0; I < IDE().GetModuleCount(); ++I) {
      const std::string Name = IDE().GetModuleName(I);
      if (std::find(Files.begin(), Files.end(), Name) == Files.end()) Files.push_back(Name);
    }
    for (const std::string& F : Files) FOut << F << '\n';
  } else if (What == "clipboard") {
    const std::string Text = Clipboard().AsText();
    FOut << Text;
    if (Text.empty() || Text.back() != '\n') FOut << '\n';
  } else {
    Fail("print takes text, caption, cursor, menu, files, clipboard, title or main-caption, not " + What);
  }
}

// -------------------------------------------------------------------- designer

void TScriptHost::Designer(const std::string& FormFile, const std::string& Name, const std::string* Verb) {
  TDesignedForm& Form = IDE().OpenForm(FormFile);
  TComponent* C = Form.FindComponent(Name);
  if (!C) Fail(Format("%s has no component %s", ExtractFileName(Form.FileName()), Name));
  const std::vector<std::string> Verbs = Form.Designer().Verbs(C);
  std::string List;
  for (size_t I = 0; I < Verbs.size(); ++I)
    if (!Verbs[I].empty()) List += (List.empty() ? "" : ", ") + StripHotkey(Verbs[I]);
  if (!Verb) {
    // Without a verb: the component and its context menu.
    FOut << C->ClassName() << ' ' << C->Name() << '\n';
    for (size_t I = 0; I < Verbs.size(); ++I)
      if (!Verbs[I].empty()) FOut << "  " << I << ' ' << ScriptQuote(StripHotkey(Verbs[I])) << '\n';
    return;
  }
  int Index = -1;
  if (Verb->size() > 1 && (*Verb)[0] == '#') {
    Index = ScriptNumber(Verb->substr(1), "verb");
  } else {
    for (size_t I = 0; I < Verbs.size() && Index < 0; ++I)
      if (!Verbs[I].empty() && SameText(StripHotkey(Verbs[I]), StripHotkey(*Verb))) Index = static_cast<int>(I);
  }
  if (Index < 0 || Index >= static_cast<int>(Verbs.size()) || Verbs[Index].empty())
    Fail(Format("%s %s has no verb %s (%s)", C->ClassName(), Name, *Verb, List.empty() ? "no verbs" : List));
  Form.Designer().ExecuteVerb(C, Index);
}

// ----------------------------------------------------------------------- forms

void TScriptHost::PrintLines(const std::vector<std::string>& Lines) {
  for (const std::string& L : Lines) FOut << L << '\n';
}

namespace {
// Tells whether a form was freed meanwhile (a handler may free its form).
class TFormWatch : public TComponent {
 public:
  explicit TFormWatch(TComponent* Form) : TComponent(nullptr), FForm(Form) { FreeNotification(Form); }
  ~TFormWatch() override {
    if (FForm) RemoveFreeNotification(FForm);
  }
  bool Gone() const { return !FForm; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    if (Operation == opRemove && AComponent == FForm) FForm = nullptr;
  }

 private:
  TComponent* FForm;
};
}  // namespace

void TScriptHost::RunActions(TCustomForm& Form, const std::vector<TStatement>& Actions, bool Modal) {
  const std::string Name = ScriptName(Form);
  TFormWatch Watch(&Form);
  for (const TStatement& A : Actions) {
    FLine = A.Line;
    Trace(A);
    if (Watch.Gone()) Fail(Name + " is gone");
    if (Modal ? Form.ModalResult != mrNone : !Form.Visible())
      Fail(Format("%s is closed already", ScriptName(Form)));
    RunAction(Form, A, Modal);
    CheckStopped();
  }
}

void TScriptHost::RunAction(TCustomForm& Form, const TStatement& A, bool Modal) {
  const std::string& Verb = A.Words[0];
  if (Verb == "print") {
    if (A.Words.size() > 2) Fail("print takes at most one control name");
    std::vector<std::string> Lines;
    if (A.Words.size() == 1) {
      Form.ScriptPrint(Lines);
      for (int I = 0; I < Form.ComponentCount(); ++I) Form.Components(I)->ScriptPrint(Lines);
    } else {
      TComponent* C = ScriptFindComponent(Form, A.Words[1]);
      if (!C) Fail(Format("%s has no control %s", ScriptName(Form), A.Words[1]));
      C->ScriptPrint(Lines);
    }
    PrintLines(Lines);
    return;
  }
  if (Verb == "close") {
    if (!Modal) {
      if (A.Words.size() != 1) Fail("close of a form that is not modal takes nothing");
      Form.Close();
      return;
    }
    if (A.Words.size() != 2) Fail("close takes OK or Cancel");
    const TAnswerWord* Answer = AnswerByWord(A.Words[1]);
    if (!Answer) Fail("unknown modal result " + A.Words[1]);
    Form.ModalResult = Answer->Result;
    return;
  }
  TComponent* C = ScriptFindComponent(Form, A.Words[1]);
  if (!C) Fail(Format("%s has no control %s", ScriptName(Form), A.Words[1]));
  std::vector<std::string> Args(A.Words.begin() + 2, A.Words.end());
  if (Verb == "set" && Args.size() == 1) Args[0] = ScriptText(Args[0]);
  if (auto* Control = dynamic_cast<TControl*>(C)) {
    if (!Control->Enabled) Fail(A.Words[1] + " is disabled");
    if (!Control->Visible()) Fail(A.Words[1] + " is hidden");
    auto* Win = dynamic_cast<TWinControl*>(Control);
    if (Win && (Verb == "set" || Verb == "keypress") && Form.ContainsControl(Win)) Form.SetActiveControl(Win);
  }
  try {
    if (!C->ScriptAction(Verb, Args))
      Fail(Format("%s does not apply to %s %s", Verb, C->ClassName(), A.Words[1]));
  } catch (const TStop&) {
    throw;
  } catch (const EScriptError& E) {
    Fail(E.Message());
  } catch (const std::exception& E) {
    // What a handler raises reaches the application, as in the library.
    Application->ShowException(E);
  }
}

int TScriptHost::OnShowModal(TCustomForm& Form) {
  if (FError) return mrCancel;
  auto It = std::find_if(FDialogs.begin(), FDialogs.end(),
                         [&](const TFormAnswer& A) { return ScriptFormMatches(Form, A.Name); });
  if (It == FDialogs.end()) {
    FOut << "unanswered dialog " << Form.ClassName() << ' ' << ScriptQuote(Form.Caption) << '\n';
    FUnanswered = true;
    return mrCancel;
  }
  const TFormAnswer Answer = std::move(*It);
  FDialogs.erase(It);
  // A failing action ends the answer here; the error stops the script once
  // the IDE's code has unwound by itself.
  const int Line = FLine;
  try {
    RunActions(Form, Answer.Actions, true);
  } catch (const TStop&) {
    return mrCancel;
  }
  FLine = Line;
  return mrCancel;
}

int TScriptHost::OnMessageBox(const TMessageBoxRequest& Request) {
  const int Default = MessageBoxDefaultAnswer(Request.Buttons);
  if (FError) return Default;
  int Answer = Default;
  std::optional<TQueued> Queued;
  if (!FMessages.empty()) {
    Queued = FMessages.front();
    FMessages.pop_front();
    const TAnswerWord* A = AnswerByWord(Queued->Value);
    if (Request.Buttons & MsgDlgButton(A->Button)) Answer = A->Result;
  }
  FOut << "message " << ScriptQuote(Request.Caption) << ' ' << OneLine(Request.Text) << " -> "
       << ResultWord(Answer) << '\n';
  if (Queued && Answer != AnswerByWord(Queued->Value)->Result) {
    std::string Buttons;
    for (const TAnswerWord& W : AnswerWords)
      if (Request.Buttons & MsgDlgButton(W.Button)) Buttons += (Buttons.empty() ? "" : ", ") + std::string(W.Word);
    FError = TError{Queued->Line, Format("the message box has no %s button (%s)", Queued->Value, Buttons)};
  }
  return Answer;
}

void TScriptHost::OnPrint(const std::string& Title, const TRichTextDocument& Document) {
  if (FError) return;
  // The printer is a PDF file that the next "file" answer names.
  if (FFiles.empty()) {
    FOut << "unanswered print " << ScriptQuote(Title) << '\n';
    FUnanswered = true;
    return;
  }
  const TQueued Answer = FFiles.front();
  FFiles.pop_front();
  if (Answer.Value.empty()) {
    FOut << "print " << ScriptQuote(Title) << " cancelled\n";
    return;
  }
  try {
    WriteFileAtomically(Answer.Value, RichTextToPdf(Document, Title));
  } catch (const Exception& E) {
    FError = TError{Answer.Line, E.Message()};
    return;
  }
  FOut << "printed " << ScriptQuote(Title) << " to " << Answer.Value << '\n';
}

bool TScriptHost::OnFileDialog(TOpenDialog& Dialog) {
  if (FError || FFiles.empty()) return false;
  const TQueued Answer = FFiles.front();
  FFiles.pop_front();
  if (Answer.Value.empty()) return false;
  Dialog.FileName = Answer.Value;
  return true;
}
