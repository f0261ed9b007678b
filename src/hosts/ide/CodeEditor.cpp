#include "hosts/ide/CodeEditor.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <Qsci/qscilexerpascal.h>

#include <QFontDatabase>

#include <algorithm>

#include "hosts/memory/MemoryIDE.h"
#include "platform/vcl/Forms.h"

namespace {

bool operator!=(const TEditPos& A, const TEditPos& B) { return A.Col != B.Col || A.Line != B.Line; }

// Scintilla's end of line mode for the first line end of Text (CR LF when none).
int EolModeOf(const std::string& Text) {
  const size_t At = Text.find_first_of("\r\n");
  if (At == std::string::npos || (Text[At] == '\r' && At + 1 < Text.size() && Text[At + 1] == '\n'))
    return QsciScintillaBase::SC_EOL_CRLF;
  return Text[At] == '\n' ? QsciScintillaBase::SC_EOL_LF : QsciScintillaBase::SC_EOL_CR;
}

}  // namespace

TCodeEditor::TCodeEditor(TMemoryIDE& IDE, std::string FileName, QWidget* Parent)
    : QsciScintilla(Parent), FIDE(IDE), FFileName(std::move(FileName)) {
  // Bytes as the buffer holds them: one byte a character.
  setUtf8(false);
  const QFont Mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  auto* Lexer = new QsciLexerPascal(this);
  Lexer->setDefaultFont(Mono);
  Lexer->setFont(Mono);
  setLexer(Lexer);
  setMarginsFont(Mono);
  setMarginWidth(0, QFontMetrics(Mono).horizontalAdvance("00000") + 6);
  setMarginLineNumbers(0, true);
  setCaretLineVisible(true);
  setCaretLineBackgroundColor(QColor(0xe8, 0xf0, 0xff));
  setBraceMatching(QsciScintilla::NoBraceMatch);
  setAutoIndent(false);
  setContextMenuPolicy(Qt::NoContextMenu);
  // Undo, the block and the clipboard are the IDE's commands (its menu's
  // short cuts); the editor keeps no history.
  for (QsciCommand::Command C : {QsciCommand::Undo, QsciCommand::Redo, QsciCommand::SelectionCut,
                                 QsciCommand::SelectionCopy, QsciCommand::Paste, QsciCommand::SelectAll})
    if (QsciCommand* Command = standardCommands()->find(C)) {
      Command->setKey(0);
      Command->setAlternateKey(0);
    }
  SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);

  connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
          [this](int Position, int Type, const char* Text, int Count, int, int, int, int, int, int) {
            OnModified(Position, Type, Text, Count);
          });
  connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int) { SyncToBuffer(); });

  if (TEditBufferPtr B = Buffer()) {
    setTabWidth(B->TabWidth);
    SendScintilla(SCI_SETEOLMODE, static_cast<unsigned long>(EolModeOf(B->Text())));
    FVersion = ~uint64_t(0);  // nothing shown yet
    FCursor = FTop = TEditPos{0, 0};
  }
  SyncFromBuffer();
}

TEditBufferPtr TCodeEditor::Buffer() const { return FDetached ? nullptr : FIDE.FindBuffer(FFileName); }

const char* TCodeEditor::Bytes() const {
  return reinterpret_cast<const char*>(const_cast<TCodeEditor*>(this)->SendScintilla(SCI_GETCHARACTERPOINTER));
}

int TCodeEditor::Length() const {
  return static_cast<int>(const_cast<TCodeEditor*>(this)->SendScintilla(SCI_GETLENGTH));
}

void TCodeEditor::SyncFromBuffer() {
  TEditBufferPtr B = Buffer();
  if (!B) return;
  ++FApplying;
  if (B->Version() != FVersion) {
    // Only the changed middle is replaced, so the view stays where it was.
    const std::string& Text = B->Text();
    const char* Shown = Bytes();
    const int Old = Length(), New = static_cast<int>(Text.size());
    int Head = 0;
    while (Head < Old && Head < New && Shown[Head] == Text[Head]) ++Head;
    int Tail = 0;
    while (Tail < Old - Head && Tail < New - Head && Shown[Old - 1 - Tail] == Text[New - 1 - Tail]) ++Tail;
    if (Head < Old - Tail || Head < New - Tail) {
      SendScintilla(SCI_SETTARGETRANGE, static_cast<unsigned long>(Head), static_cast<long>(Old - Tail));
      SendScintilla(SCI_REPLACETARGET, static_cast<unsigned long>(New - Head - Tail), Text.data() + Head);
    }
    FVersion = B->Version();
  }
  MoveTo(*B);
  --FApplying;
}

void TCodeEditor::MoveTo(TEditBuffer& B) {
  auto Offset = [&B](TEditPos P) {
    return static_cast<unsigned long>(B.CharPosToPos(B.EditPosToCharPos(B.ClampEditPos(P))));
  };
  if (B.Top != FTop) {
    SendScintilla(SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(std::max(0, B.Top.Line - 1)));
    FTop = B.Top;
  }
  if (B.Cursor != FCursor || B.BlockStart != FBlockStart || B.BlockAfter != FBlockAfter) {
    const unsigned long Caret = Offset(B.Cursor);
    unsigned long Anchor = Caret;
    // A block the cursor bounds shows as the editor's selection.
    if (B.BlockStart != B.BlockAfter) {
      const unsigned long From = Offset(B.BlockStart), To = Offset(B.BlockAfter);
      Anchor = Caret == From ? To : From;
    }
    SendScintilla(SCI_SETSEL, Anchor, static_cast<long>(Caret));
    SendScintilla(SCI_SCROLLCARET);
    FCursor = B.Cursor;
    FBlockStart = B.BlockStart;
    FBlockAfter = B.BlockAfter;
  }
}

TEditPos TCodeEditor::CursorPos() const {
  TEditBufferPtr B = Buffer();
  if (!B) return {};
  const int Pos = static_cast<int>(const_cast<TCodeEditor*>(this)->SendScintilla(SCI_GETCURRENTPOS));
  return B->CharPosToEditPos(B->PosToCharPos(Pos));
}

void TCodeEditor::OnModified(int Position, int Type, const char* Inserted, int Count) {
  if (FApplying || !(Type & (SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT))) return;
  TEditBufferPtr B = Buffer();
  if (!B) return;
  ++FApplying;
  Application->Guard([&] {
    if (Type & SC_MOD_INSERTTEXT) FIDE.EditText(FFileName, Position, 0, std::string(Inserted, Count));
    else FIDE.EditText(FFileName, Position, Count, "");
  });
  --FApplying;
  // The buffer now holds what the editor shows; where a writer refused,
  // the next sync puts the buffer's text back.
  const std::string& Text = B->Text();
  const bool Same = Text.size() == static_cast<size_t>(Length()) && Text.compare(0, Text.size(), Bytes(), Text.size()) == 0;
  FVersion = Same ? B->Version() : ~uint64_t(0);
}

void TCodeEditor::keyPressEvent(QKeyEvent* Event) {
  QsciScintilla::keyPressEvent(Event);
  SyncToBuffer();
}

void TCodeEditor::mouseReleaseEvent(QMouseEvent* Event) {
  QsciScintilla::mouseReleaseEvent(Event);
  SyncToBuffer();
}

void TCodeEditor::SyncToBuffer() {
  if (FApplying) return;
  TEditBufferPtr B = Buffer();
  if (!B) return;
  auto At = [&B](long Pos) { return B->CharPosToEditPos(B->PosToCharPos(static_cast<int>(Pos))); };
  const long Caret = SendScintilla(SCI_GETCURRENTPOS), Anchor = SendScintilla(SCI_GETANCHOR);
  B->Cursor = At(Caret);
  B->BlockStart = At(std::min(Caret, Anchor));
  B->BlockAfter = At(std::max(Caret, Anchor));
  B->Top = TEditPos{1, static_cast<int>(SendScintilla(SCI_GETFIRSTVISIBLELINE)) + 1};
  B->ClampView();
  FCursor = B->Cursor;
  FBlockStart = B->BlockStart;
  FBlockAfter = B->BlockAfter;
  FTop = B->Top;
}
