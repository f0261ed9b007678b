#include "hosts/memory/EditBuffer.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

int16_t Clamp16(int V) {
  return static_cast<int16_t>(std::clamp(V, 0, int(std::numeric_limits<int16_t>::max())));
}

// The screen column after character C standing at column Col.
int NextColumn(char C, int Col, int TabWidth) {
  return C == '\t' ? ((Col - 1) / TabWidth + 1) * TabWidth + 1 : Col + 1;
}

}  // namespace

TEditBuffer::TEditBuffer(std::string AFileName, std::string AText)
    : FFileName(std::move(AFileName)), FText(std::move(AText)) {}

TBufferEdit TEditBuffer::Replace(int Pos, int Count, std::string_view Insert) {
  Pos = std::clamp(Pos, 0, Length());
  Count = std::clamp(Count, 0, Length() - Pos);
  TBufferEdit Edit{Pos, FText.substr(Pos, Count), std::string(Insert)};
  // An edit within a line moves the starts of the lines after it; one that
  // adds, removes, parts or joins a line break needs them found again.
  const bool WithinLine = Edit.Removed.find_first_of("\r\n") == std::string::npos &&
                          Insert.find_first_of("\r\n") == std::string_view::npos &&
                          !(Pos > 0 && FText[Pos - 1] == '\r' && Pos + Count < Length() && FText[Pos + Count] == '\n');
  FText.replace(Pos, Count, Insert);
  if (FIndexed && WithinLine) {
    const int Moved = static_cast<int>(Insert.size()) - Count;
    for (auto It = std::upper_bound(FLineStarts.begin(), FLineStarts.end(), Pos); It != FLineStarts.end(); ++It)
      *It += Moved;
  } else {
    FIndexed = false;
  }
  ++FVersion;
  Modified = true;
  return Edit;
}

void TEditBuffer::Reset(std::string AText) {
  FText = std::move(AText);
  FIndexed = false;
  ++FVersion;
  ClearUndo();
}

void TEditBuffer::PushUndo(TUndoStep Step) {
  if (Step.empty()) return;
  FUndo.push_back(std::move(Step));
  FRedo.clear();
}

void TEditBuffer::ClearUndo() {
  FUndo.clear();
  FRedo.clear();
}

bool TEditBuffer::Undo() {
  if (FUndo.empty()) return false;
  TUndoStep Step = std::move(FUndo.back());
  FUndo.pop_back();
  for (auto It = Step.rbegin(); It != Step.rend(); ++It)
    FText.replace(It->Pos, It->Inserted.size(), It->Removed);
  FIndexed = false;
  ++FVersion;
  Modified = true;
  FRedo.push_back(std::move(Step));
  return true;
}

bool TEditBuffer::Redo() {
  if (FRedo.empty()) return false;
  TUndoStep Step = std::move(FRedo.back());
  FRedo.pop_back();
  for (const TBufferEdit& E : Step) FText.replace(E.Pos, E.Removed.size(), E.Inserted);
  FIndexed = false;
  ++FVersion;
  Modified = true;
  FUndo.push_back(std::move(Step));
  return true;
}

void TEditBuffer::Index() const {
  if (FIndexed) return;
  FLineStarts.assign(1, 0);
  // Line ends are CR LF, LF or a lone CR: the next of each kind, merged.
  const char* const Begin = FText.data();
  const char* const End = Begin + FText.size();
  auto Next = [End](const char* From, char C) {
    const void* At = std::memchr(From, C, static_cast<size_t>(End - From));
    return At ? static_cast<const char*>(At) : End;
  };
  const char* Lf = Next(Begin, '\n');
  const char* Cr = Next(Begin, '\r');
  while (Lf < End || Cr < End) {
    if (Cr < Lf) {
      if (Cr + 1 != Lf) FLineStarts.push_back(static_cast<int>(Cr + 1 - Begin));
      Cr = Next(Cr + 1, '\r');
    } else {
      FLineStarts.push_back(static_cast<int>(Lf + 1 - Begin));
      Lf = Next(Lf + 1, '\n');
    }
  }
  FIndexed = true;
}

int TEditBuffer::LineCount() const {
  Index();
  return static_cast<int>(FLineStarts.size());
}

int TEditBuffer::LineStart(int Line) const {
  Index();
  if (Line < 1) return 0;
  if (Line > LineCount()) return Length();
  return FLineStarts[Line - 1];
}

int TEditBuffer::LineLength(int Line) const {
  if (Line < 1 || Line > LineCount()) return 0;
  const int Start = LineStart(Line);
  if (Line == LineCount()) return Length() - Start;  // the last line has no line end
  int End = FLineStarts[Line];
  if (FText[End - 1] == '\n' && End - 1 > Start && FText[End - 2] == '\r') End -= 2;
  else --End;
  return End - Start;
}

TCharPos TEditBuffer::PosToCharPos(int Pos) const {
  Index();
  Pos = std::clamp(Pos, 0, Length());
  const auto It = std::upper_bound(FLineStarts.begin(), FLineStarts.end(), Pos);
  const int Line = static_cast<int>(It - FLineStarts.begin());
  return TCharPos{Clamp16(std::min(Pos - LineStart(Line), LineLength(Line))), Line};
}

int TEditBuffer::CharPosToPos(TCharPos CharPos) const {
  if (CharPos.Line > LineCount()) return Length();
  const int Line = std::max(CharPos.Line, 1);
  return LineStart(Line) + std::clamp(int(CharPos.CharIndex), 0, LineLength(Line));
}

TCharPos TEditBuffer::EditPosToCharPos(TEditPos EditPos) const {
  const int Line = EditPos.Line;
  const int Start = LineStart(Line), Len = LineLength(Line);
  int Col = 1;
  for (int I = 0; I < Len; ++I) {
    const int Next = NextColumn(FText[Start + I], Col, TabWidth);
    if (EditPos.Col < Next) return TCharPos{Clamp16(I), Line};
    Col = Next;
  }
  return TCharPos{Clamp16(Len + std::max(0, EditPos.Col - Col)), Line};
}

TEditPos TEditBuffer::CharPosToEditPos(TCharPos CharPos) const {
  const int Line = CharPos.Line;
  const int Start = LineStart(Line), Len = LineLength(Line);
  int Col = 1;
  const int Index = std::max(0, int(CharPos.CharIndex));
  for (int I = 0; I < std::min(Index, Len); ++I) Col = NextColumn(FText[Start + I], Col, TabWidth);
  if (Index > Len) Col += Index - Len;
  return TEditPos{Clamp16(Col), Line};
}

int TEditBuffer::LineEndColumn(int Line) const {
  return CharPosToEditPos(TCharPos{Clamp16(LineLength(Line)), Line}).Col;
}

TEditPos TEditBuffer::ClampEditPos(TEditPos Pos) const {
  Pos.Line = std::clamp(Pos.Line, 1, LineCount());
  Pos.Col = Clamp16(std::clamp(int(Pos.Col), 1, LineEndColumn(Pos.Line)));
  return Pos;
}

void TEditBuffer::ClampView() {
  Cursor = ClampEditPos(Cursor);
  Top = ClampEditPos(Top);
}
