#include "ide/VelmoricEditorStrings.h"

#include <algorithm>
#include <cstring>
#include <iostream>
#include <vector>

#include "platform/opentools/ToolIntf.h"
#include "scanner/VelmoricSaveList.h"
#include "trace/traceletVelmoric.h"

namespace {

// Reports entry with the arguments formatted in, and exit with the plain name.
class TTraceArgs {
 public:
  template <typename MakeName>
  TTraceArgs(const char* ExitName, MakeName&& Make) : FExit(ExitName) {
    if (FlagTrace) [[unlikely]] {
      DebugStartProcedure(Make());
      FEntered = true;
    }
  }
  ~TTraceArgs() {
    if (FEntered) [[unlikely]] {
      try {
        DebugEndProcedure(FExit);
      } catch (...) {
      }
    }
  }
  TTraceArgs(const TTraceArgs&) = delete;
  TTraceArgs& operator=(const TTraceArgs&) = delete;

 private:
  const char* FExit;
  bool FEntered = false;
};

// A line on the trace stream of this unit.
void Note(const std::string& Text) {
  if (tracelet) tracelet->StrWrite("TEditorStrings", Text);
}

TObject* PositionToObject(int32_t Pos) {
  return reinterpret_cast<TObject*>(static_cast<intptr_t>(Pos));
}

int32_t ObjectToPosition(TObject* Obj) {
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(Obj));
}

// Releases an IDE interface when the scope ends, also when an exception passes.
template <typename T>
struct TReleaseGuard {
  T* Intf;
  ~TReleaseGuard() {
    if (Intf) Intf->Release();
  }
};

// The writer takes zero-terminated texts: a NUL would cut the text there and
// lose the rest, so a text holding one is refused before anything is written.
void CheckWritable(const std::string& Text, TIEditorInterface* Editor) {
  if (Text.find('\0') != std::string::npos)
    throw Exception(Format("Cannot write a text holding a NUL character into %s", Editor->FileName()));
}

// The length of the buffer: pieces of 16383 characters until a short one.
int32_t MeasureBuffer(TIEditReader* Reader) {
  constexpr int32_t Piece = 16383;
  std::vector<char> Buffer(16384);
  int32_t Total = 0;
  for (;;) {
    const int N = Reader->GetText(Total, Buffer.data(), Piece);
    Total += N;
    if (N < Piece) return Total;
  }
}

}  // namespace

// -------------------------------------------------------- TEditReaderStream

TEditReaderStream::TEditReaderStream(TIEditorInterface* Editor) {
  TTraceProc Trace("TEditReaderStream.Create");
  FReader = Editor->CreateReader();
}

TEditReaderStream::~TEditReaderStream() {
  TTraceProc Trace("TEditReaderStream.Destroy");
  if (FReader) FReader->Release();
}

int32_t TEditReaderStream::Read(void* Buffer, int32_t Count) {
  TTraceProc Trace("TEditReaderStream.Read");
  constexpr int32_t MaxPiece = 0x7C00;
  char* P = static_cast<char*>(Buffer);
  int32_t Result = 0;
  while (Count > 0) {
    const int Got = FReader->GetText(FPosition, P, std::min(Count, MaxPiece));
    if (Got <= 0) break;  // the buffer ended before Count was reached
    FPosition += Got;
    P += Got;
    Result += Got;
    Count -= Got;
  }
  return Result;
}

int32_t TEditReaderStream::Write(const void* Buffer, int32_t Count) {
  TTraceProc Trace("TEditReaderStream.Write");
  throw Exception("Attempt to write to readonly stream!");
}

int32_t TEditReaderStream::Seek(int32_t Offset, uint16_t Origin) {
  TTraceProc Trace("TEditReaderStream.Seek");
  switch (Origin) {
    case 0: FPosition = Offset; break;
    case 1: FPosition += Offset; break;
    case 2: FPosition = GetSize() + Offset; break;
    default: throw Exception(Format("Invalid seek origin, %d", Origin));
  }
  return FPosition;
}

int32_t TEditReaderStream::GetSize() {
  TTraceProc Trace("TEditReaderStream.GetSize");
  return MeasureBuffer(FReader);
}

// ----------------------------------------------------------- TEditorStrings

TEditorStrings::TEditorStrings(TIEditorInterface* Editor)
    : fStrings(new TSaveStringList("fStrings", "TEditorStrings")), FEditor(Editor) {
  TTraceProc Trace("TEditorStrings.Create");
  if (Editor) {
    try {
      LoadFromEditor(Editor);
    } catch (...) {
      delete fStrings;
      throw;
    }
  }
}

TEditorStrings::~TEditorStrings() {
  TTraceProc Trace("TEditorStrings.Destroy");
  delete fStrings;
}

void TEditorStrings::LoadFromEditor(TIEditorInterface* Editor) {
  TTraceProc Trace("TEditorStrings.LoadFromEditor");
  std::string Text;
  {
    TEditReaderStream Reader(Editor);
    TStringStream Str;
    Reader.SetPosition(0);
    Str.SetPosition(0);
    Str.CopyFrom(Reader, 0);
    Text = Str.TakeDataString();
  }
  // The buffer's own line end, kept for writing lines back.
  const size_t End = Text.find_first_of("\r\n");
  if (End == std::string::npos) FLineBreak = "\r\n";
  else if (Text[End] == '\n') FLineBreak = "\n";
  else FLineBreak = End + 1 < Text.size() && Text[End + 1] == '\n' ? "\r\n" : "\r";
  FEndsWithLineBreak = Text.empty() || Text.back() == '\n' || Text.back() == '\r';
  // The list splits at CR LF, LF or CR; each line's position is where it
  // starts in the text.
  fStrings->SetText(std::move(Text));
  for (int I = 0; I < fStrings->Count(); ++I)
    fStrings->PutObject(I, PositionToObject(static_cast<int32_t>(fStrings->SplitOffset(I))));
}

void TEditorStrings::SaveToEditor() {
  if (!FEditor) return;
  std::string Text;
  for (int I = 0; I < fStrings->Count(); ++I) Text += fStrings->Get(I) + FLineBreak;
  // A buffer that did not end with a line end still does not.
  if (!FEndsWithLineBreak && !Text.empty()) Text.resize(Text.size() - FLineBreak.size());
  CheckWritable(Text, FEditor);
  const int32_t Len = GetTextLen();
  TIEditWriter* Writer = FEditor->CreateUndoableWriter();
  TReleaseGuard<TIEditWriter> Guard{Writer};
  Writer->CopyTo(0);
  Writer->DeleteTo(Len);  // the whole text, up to and with its last character
  Writer->Insert(Text.c_str());
}

int32_t TEditorStrings::GetTextLen() {
  TIEditReader* Reader = FEditor->CreateReader();
  TReleaseGuard<TIEditReader> Guard{Reader};
  return MeasureBuffer(Reader);
}

std::string TEditorStrings::Get(int Index) const {
  TTraceArgs Trace("TEditorStrings.Get", [&] { return Format("TEditorStrings.Get(Index=%d)", Index); });
  return fStrings->GetItems(Index);
}

std::string_view TEditorStrings::LoadedText() const { return fStrings->SplitText(); }

int TEditorStrings::GetCount() const {
  TTraceProc Trace("TEditorStrings.GetCount");
  return fStrings->Count();
}

TObject* TEditorStrings::GetObject(int Index) const {
  TTraceArgs Trace("TEditorStrings.GetObject",
                   [&] { return Format("TEditorStrings.GetObject(Index=%d)", Index); });
  return fStrings->GetObjects(Index);
}

void TEditorStrings::Put(int Index, const std::string& S) {
  TTraceProc Trace("TEditorStrings.Put");
  fStrings->PutItems(Index, S);
}

void TEditorStrings::PutObject(int Index, TObject* AObject) {
  TTraceArgs Trace("TEditorStrings.PutObject",
                   [&] { return Format("TEditorStrings.PutObject(Index=%d)", Index); });
  fStrings->PutObjects(Index, AObject);
}

void TEditorStrings::Delete(int Index) {
  TTraceArgs Trace("TEditorStrings.Delete",
                   [&] { return Format("TEditorStrings.Delete(Index=%d)", Index); });
  fStrings->CheckRangeError(Index);
  fStrings->Delete(Index);
}

void TEditorStrings::Insert(int Index, const std::string& S) {
  TTraceArgs Trace("TEditorStrings.Insert", [&] {
    return Format("TEditorStrings.Insert(Index=%d,Str=%s (max=%d))", Index, S, fStrings->Count());
  });
  if (Index != fStrings->Count()) fStrings->CheckRangeError(Index);
  fStrings->Insert(Index, S);
}

void TEditorStrings::Clear() {
  TTraceProc Trace("TEditorStrings.Clear");
  fStrings->Clear();
}

int32_t TEditorStrings::GetPosition(int Index) {
  TTraceArgs Trace("TEditorStrings.GetPosition",
                   [&] { return Format("TEditorStrings.GetPosition(Index=%d)", Index); });
  return ObjectToPosition(fStrings->GetObjects(Index));
}

void TEditorStrings::GetCharPos(int Index, TCharPos& CharPos) {
  TTraceArgs Trace("TEditorStrings.GetCharPos",
                   [&] { return Format("TEditorStrings.GetCharPos(Index=%d)", Index); });
  PosToCharPos(GetPosition(Index), CharPos);
}

int32_t TEditorStrings::CharPosToPos(TCharPos CharPos) {
  TTraceProc Trace("TEditorStrings.CharPosToPos");
  const int Index = CharPos.Line - 1;
  const int Count = fStrings->Count();
  if (Index == Count) {
    // The start of the line after the last line: the end of the buffer.
    if (FEditor) return GetTextLen();
    if (Count == 0) return 0;
    return GetPosition(Count - 1) + static_cast<int32_t>(fStrings->Get(Count - 1).size()) +
           (FEndsWithLineBreak ? static_cast<int32_t>(FLineBreak.size()) : 0);
  }
  const int32_t Start = GetPosition(Index);
  const int Len = static_cast<int>(fStrings->Get(Index).size());
  return Start + std::clamp<int>(CharPos.CharIndex, 0, Len);
}

void TEditorStrings::PosToCharPos(int32_t Pos, TCharPos& CharPos) {
  TTraceProc Trace("TEditorStrings.PosToCharPos");
  int Low = 0, High = fStrings->Count() - 1;
  while (Low <= High) {
    const int Mid = (Low + High) / 2;
    if (ObjectToPosition(fStrings->GetObject(Mid)) <= Pos) Low = Mid + 1;
    else High = Mid - 1;
  }
  CharPos.Line = Low;
  const int Index = Low - 1;
  const int32_t Start = GetPosition(Index);
  const int32_t Len = static_cast<int32_t>(fStrings->GetItems(Index).size());
  const int32_t Column = Pos < Start + Len ? Pos - Start : Len;
  if (Column > INT16_MAX || Column < INT16_MIN) throw ERangeError("Range check error");
  CharPos.CharIndex = static_cast<int16_t>(Column);
}

// -------------------------------------------------- TWriteBackEditorStrings

TWriteBackEditorStrings::~TWriteBackEditorStrings() {
  TTraceProc Trace("TWriteBackEditorStrings.Destroy");
  try {
    SaveToEditor();
  } catch (const std::exception& E) {
    const std::string Msg = std::string("Writing the lines back into the editor failed: ") + E.what();
    std::cerr << "velmoric: " << Msg << "\n";
    if (tracelet) tracelet->StrWrite("stdError", Msg);
  }
}

// ----------------------------------------------------- TUpdateEditorStrings

TUpdateEditorStrings::TUpdateEditorStrings(TIEditorInterface* Editor)
    : TEditorStrings(Editor), FUpdateEditor(Editor) {
  TTraceProc Trace("TUpdateEditorStrings.Create");
}

void TUpdateEditorStrings::Write(int32_t From, int32_t To, const std::string& Text) {
  CheckWritable(Text, FUpdateEditor);
  {
    TIEditWriter* Writer = FUpdateEditor->CreateUndoableWriter();
    TReleaseGuard<TIEditWriter> Guard{Writer};
    Writer->CopyTo(From);
    if (To >= 0) Writer->DeleteTo(To);
    if (!Text.empty()) Writer->Insert(Text.c_str());
  }
  LoadFromEditor(FUpdateEditor);
}

void TUpdateEditorStrings::InsertPos(int32_t Pos, const std::string& Str) {
  TTraceArgs Trace("TEditorStrings.InsertPos",
                   [&] { return Format("TEditorStrings.InsertPos(str=%s)", Str); });
  // At the end of a buffer whose last line has no line end, the new text
  // starts a line of its own.
  const bool Joins = !FEndsWithLineBreak && Pos > 0 && Pos >= GetTextLen();
  Write(Pos, -1, (Joins ? FLineBreak : "") + Str + FLineBreak);
}

void TUpdateEditorStrings::Insert(int Index, const std::string& S) {
  TTraceArgs Trace("TEditorStrings.Insert", [&] {
    return Format("TEditorStrings.Insert(Index=%d,Str=%s (max=%d))", Index, S, fStrings->Count());
  });
  Note(Format("Insert %d %s", Index, S));
  const bool HasLine = Index >= 0 && Index < fStrings->Count();
  Note("old Line = " + (HasLine ? fStrings->Get(Index) : std::string()));
  TCharPos P;
  P.Line = Index + 1;
  P.CharIndex = 0;
  InsertPos(CharPosToPos(P), S);
}

void TUpdateEditorStrings::InsertList(int Index, TStrings& List) {
  TTraceArgs Trace("TEditorStrings.InsertList",
                   [&] { return Format("TEditorStrings.InsertList(index=%d)", Index); });
  TCharPos P;
  P.Line = Index + 1;
  P.CharIndex = 0;
  InsertListPos(CharPosToPos(P), List);
}

void TUpdateEditorStrings::InsertListPos(int32_t Pos, TStrings& List) {
  TTraceProc Trace("TEditorStrings.InsertListPos");
  std::string S;
  ListToStr(List, S, FLineBreak);
  InsertPos(Pos, S);  // InsertPos ends the text with one more line end
}

void TUpdateEditorStrings::ReplacePos(int32_t von, int32_t bis, const std::string& Str) {
  TTraceArgs Trace("TEditorStrings.ReplacePos",
                   [&] { return Format("TEditorStrings.ReplacePos(str=%s)", Str); });
  Write(von, bis, Str);
}

void TUpdateEditorStrings::Replace(int von, int bis, const std::string& Str) {
  TTraceArgs Trace("TEditorStrings.Replace", [&] {
    return Format("TEditorStrings.Replace(von=%d,bis=%d,str=%s)", von, bis, Str);
  });
  TCharPos From, To;
  From.Line = von;
  To.Line = bis;
  ReplacePos(CharPosToPos(From), CharPosToPos(To), Str);
}

void TUpdateEditorStrings::ReplaceListPos(int32_t von, int32_t bis, TStrings& List) {
  TTraceProc Trace("TEditorStrings.ReplaceListPos");
  std::string S;
  ListToStr(List, S, FLineBreak);
  ReplacePos(von, bis, S);
}

void TUpdateEditorStrings::ReplaceList(int32_t von, int32_t bis, TStrings& List) {
  TTraceArgs Trace("TEditorStrings.ReplaceList", [&] {
    return Format("TEditorStrings.ReplaceList(von=%d,bis=%d)", von, bis);
  });
  std::string S;
  ListToStr(List, S, FLineBreak);
  ReplacePos(von, bis, S);
}

void TUpdateEditorStrings::Delete(int Index) {
  TTraceArgs Trace("TEditorStrings.Delete",
                   [&] { return Format("TEditorStrings.Delete(Index=%d)", Index); });
  Note("delet");
  TCharPos From, To;
  From.Line = Index + 1;
  To.Line = Index + 2;
  const int32_t Start = CharPosToPos(From);
  Write(Start, CharPosToPos(To), "");
}

void TUpdateEditorStrings::DeleteLines(int lineFrom, int lineTo) {
  TTraceArgs Trace("TEditorStrings.DeleteLines", [&] {
    return Format("TEditorStrings.DeleteLines(lineFrom=%d,lineTo=%d)", lineFrom, lineTo);
  });
  Note(Format("delete from %d to %d", lineFrom, lineTo));
  TCharPos From, To;
  From.Line = lineFrom + 1;
  To.Line = lineTo + 1;
  const int32_t Start = CharPosToPos(From);
  Write(Start, CharPosToPos(To), "");
}

void TUpdateEditorStrings::ChangeLine(int Index, const std::string& Value) {
  TTraceArgs Trace("TEditorStrings.ChangeLine", [&] {
    return Format("TEditorStrings.ChangeLine(index=%d,value=%s)", Index, Value);
  });
  Note(Format("Change line %d %s", Index, Value));
  if (Index < 0 || Index >= fStrings->Count()) {
    if (tracelet)
      tracelet->write("**** FATAL: Temp to write outside of list line = " + IntToStr(Index) +
                      " string = " + Value);
  }
  if (!ToolServices) {
    Put(Index, Value);
    return;
  }
  TCharPos From, To;
  From.Line = Index + 1;
  To.Line = Index + 2;
  const int32_t Start = CharPosToPos(From);
  Write(Start, CharPosToPos(To), Value + FLineBreak);
}

void ListToStr(TStrings& List, std::string& S, const std::string& LineBreak) {
  TTraceProc Trace("ListToStr");
  S.clear();
  for (int I = 0; I < List.Count(); ++I) S += List.Get(I) + LineBreak;
}
