#include "wizards/VelmoricExpandWord.h"

#include <algorithm>

#include "ide/VelmoricEditorStrings.h"
#include "ide/VelmoricWizard.h"
#include "platform/opentools/ToolIntf.h"
#include "trace/traceletVelmoric.h"
#include "wizards/VelmoricWordCandidates.h"

TFormVelmoricExpandWord* FormVelmoricExpandWord = nullptr;

namespace {

void Write(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

}  // namespace

TFormVelmoricExpandWord::TFormVelmoricExpandWord(TComponent* AOwner) : TForm(AOwner) {
  TTraceProc Trace("TFormVelmoricExpandWord.Create");
  SetName("FormVelmoricExpandWord");
  Caption = "Expand word";
  BorderStyle = bsSizeToolWin;
  SetBounds((Screen->Width - 404) / 2, (Screen->Height - 275) / 2, 404, 275);
  OnResize = [this](TObject* Sender) { FormResize(Sender); };
  DrawGrid1 = new TDrawGrid(this);
  DrawGrid1->SetName("DrawGrid1");
  DrawGrid1->SetParent(this);
  DrawGrid1->SetAlign(alClient);
  DrawGrid1->SetFixedCols(0);
  DrawGrid1->SetFixedRows(0);
  DrawGrid1->SetColCount(1);
  DrawGrid1->SetRowCount(1);
  DrawGrid1->SetDefaultColWidth(200);
  DrawGrid1->SetDefaultRowHeight(14);
  DrawGrid1->Options |= goRowSelect;
  DrawGrid1->OnKeyPress = [this](TObject* Sender, char& Key) { DrawGrid1KeyPress(Sender, Key); };
  DrawGrid1->OnDblClick = [this](TObject* Sender) { DrawGrid1DblClick(Sender); };
  DrawGrid1->OnDrawCell = [this](TObject* Sender, int ACol, int ARow, const TRect& Rect,
                                 TGridDrawState State) {
    StringGrid1DrawCell(Sender, ACol, ARow, Rect, State);
  };
  Results = new TStringList;
  Results->SetSorted(true);
  Results->SetDuplicates(dupAccept);
}

TFormVelmoricExpandWord::~TFormVelmoricExpandWord() {
  FormDestroy(this);
  if (FormVelmoricExpandWord == this) FormVelmoricExpandWord = nullptr;
}

void TFormVelmoricExpandWord::FormDestroy(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricExpandWord.FormDestroy");
  delete Results;
  Results = nullptr;
  if (EditView) {
    EditView->Release();
    EditView = nullptr;
  }
}

bool TFormVelmoricExpandWord::CreateWord() {
  TTraceProc Trace("TFormVelmoricExpandWord.CreateWord");
  Results->Clear();
  Write("start");
  TEditorStrings* Lines = Expert ? Expert->EditorStrings : nullptr;
  TIEditorInterface* Editor = Expert ? Expert->EditorIntf : nullptr;
  if (!Lines || !Editor) return false;
  EditView = Editor->GetView(0);
  if (!EditView) return false;
  TEditPos EditPos = EditView->GetPos(0);
  TCharPos CharPos;
  EditView->ConvertPos(true, EditPos, CharPos);
  CursorLine = CharPos.Line;
  CharIndex = CharPos.CharIndex;
  Write(Format("%d,%d", CursorLine, CharIndex));
  const std::string T =
      CursorLine >= 1 && CursorLine <= Lines->Count() ? Lines->Get(CursorLine - 1) : std::string();

  FindPartialWord(T, CharIndex, WordStart, WordEnd);
  Write(Format("%d %d", WordStart, WordEnd));
  const std::string Written =
      WordEnd >= WordStart ? T.substr(WordStart - 1, WordEnd - WordStart + 1) : std::string();
  Partial = LowerCase(Trim(Written));
  // Without a word before the cursor the word goes in at the cursor.
  if (Partial.empty()) WordStart = CharIndex + 1;
  Write("Wort = <" + Partial + ">");
  Write("line = " + T);

  CollectWordCandidates(Lines, Partial, Results, Written);
  // A grid keeps one row: without candidates it stays blank.
  DrawGrid1->SetRowCount(std::max(1, Results->Count()));
  DrawGrid1->SetRow(0);
  bool Inserted = false;
  if (Results->Count() == 1) {
    InsertWord();
    Inserted = true;
  }
  if (EditView) {
    EditView->Release();
    EditView = nullptr;
  }
  return Inserted;
}

void TFormVelmoricExpandWord::InsertWord() {
  TTraceProc Trace("TFormVelmoricExpandWord.InsertWord");
  const int Index = Results->Count() - 1 - DrawGrid1->Row();
  TEditorStrings* Lines = Expert ? Expert->EditorStrings : nullptr;
  if (Results->Count() == 0 || Index < 0 || Index >= Results->Count() || !Lines ||
      CursorLine < 1 || CursorLine > Lines->Count()) {
    ModalResult = mrCancel;
    return;
  }
  const std::string W = CandidateWord(Results->Get(Index));
  const std::string T = Lines->Get(CursorLine - 1);
  Write("s = " + T);
  Write(Format("Neuwort = %s Line = %d", W, CursorLine));
  const int S = WordStart < 1 ? 1 : WordStart;
  const int Len = static_cast<int>(Partial.size());
  const std::string NewLine = Copy(T, 1, S - 1) + W + Copy(T, S + Len, static_cast<int>(T.size()));
  if (auto* Update = dynamic_cast<TUpdateEditorStrings*>(Lines)) {
    Update->ChangeLine(CursorLine - 1, NewLine);
  } else {
    Lines->Put(CursorLine - 1, NewLine);
    Lines->SaveToEditor();
  }
  Write(NewLine);
  if (TIEditorInterface* Editor = Expert->EditorIntf) {
    Write("EditIntf existiert");
    if (TIEditView* View = Editor->GetView(0)) {
      TEditPos EditPos = View->GetPos(0);
      TCharPos CharPos;
      View->ConvertPos(true, EditPos, CharPos);
      CharPos.CharIndex = static_cast<int16_t>(S + static_cast<int>(W.size()) - 1);
      View->ConvertPos(false, EditPos, CharPos);
      View->SetPos(0, EditPos);
      View->Release();
    }
  }
  ModalResult = mrOk;
}

void TFormVelmoricExpandWord::DrawGrid1KeyPress(TObject* Sender, char& Key) {
  if (Key == '\r') InsertWord();
}

void TFormVelmoricExpandWord::DrawGrid1DblClick(TObject* Sender) { InsertWord(); }

void TFormVelmoricExpandWord::StringGrid1DrawCell(TObject* Sender, int ACol, int ARow,
                                                  const TRect& Rect, TGridDrawState State) {
  const int Index = Results->Count() - 1 - ARow;
  if (ARow < 0 || Index < 0) return;
  DrawGrid1->Canvas()->TextRect(Rect, Rect.Left + 2, Rect.Top + 1, Results->Get(Index));
}

void TFormVelmoricExpandWord::FormResize(TObject* Sender) {
  DrawGrid1->SetColWidths(0, Width() - 5);
}
