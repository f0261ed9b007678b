// The editor buffer adapter over any buffer: lines and their offsets match
// the buffer, line/column positions and offsets convert both ways and stay in
// range, and edits through the buffer's writer leave lines and offsets exact.
//
// Input: a byte N, then N % 64 control bytes (positions and edits), then the
// buffer's text.
#include <algorithm>
#include <vector>

#include "FuzzSupport.h"
#include "ide/VelmoricEditorStrings.h"
#include "platform/rtl/SysUtils.h"
#include "scanner/VelmoricSaveList.h"

namespace {

// An editor over a string, with the IDE's reader and writer semantics:
// writer positions are offsets in the text as it was when the writer was made.
class TFuzzEditor : public TIEditorInterface {
 public:
  explicit TFuzzEditor(std::string AText) : Text(std::move(AText)) {}
  std::string FileName() override { return "fuzz.pas"; }
  int LinesInBuffer() override { return static_cast<int>(std::count(Text.begin(), Text.end(), '\n')) + 1; }
  bool BufferModified() override { return false; }
  bool MarkModified() override { return true; }
  int GetViewCount() override { return 0; }
  TIEditView* GetView(int) override { return nullptr; }
  TIEditReader* CreateReader() override { return new TReader(*this); }
  TIEditWriter* CreateWriter() override { return new TWriter(*this); }
  TIEditWriter* CreateUndoableWriter() override { return new TWriter(*this); }

  std::string Text;
  int Readers = 0;
  int Writers = 0;

 private:
  class TReader : public TIEditReader {
   public:
    explicit TReader(TFuzzEditor& E) : Ed(E) { ++Ed.Readers; }
    ~TReader() override { --Ed.Readers; }
    int GetText(int Position, char* Buffer, int Count) override {
      const int Len = static_cast<int>(Ed.Text.size());
      if (Position < 0 || Count <= 0 || Position >= Len) return 0;
      const int N = std::min(Count, Len - Position);
      std::copy_n(Ed.Text.data() + Position, N, Buffer);
      return N;
    }
    TFuzzEditor& Ed;
  };

  class TWriter : public TIEditWriter {
   public:
    explicit TWriter(TFuzzEditor& E) : Ed(E), Original(static_cast<int>(E.Text.size())) {
      FUZZ_CHECK(Ed.Writers == 0, "two writers at once");
      ++Ed.Writers;
    }
    ~TWriter() override { --Ed.Writers; }
    bool CopyTo(int P) override {
      Pos = Target(P);
      return true;
    }
    bool DeleteTo(int P) override {
      const int End = Target(P);
      Ed.Text.erase(static_cast<size_t>(Pos + Delta), static_cast<size_t>(End - Pos));
      Delta -= End - Pos;
      Pos = End;
      return true;
    }
    bool Insert(const char* S) override {
      const std::string T = S ? S : "";
      Ed.Text.insert(static_cast<size_t>(Pos + Delta), T);
      Delta += static_cast<int>(T.size());
      return true;
    }
    int Position() override { return Pos; }
    TCharPos GetCurrentPos() override { return {}; }

   private:
    int Target(int P) {
      P = std::clamp(P, 0, Original);
      if (P < Pos) throw Exception(Format("Editor writer cannot move back from %d to %d", Pos, P));
      return P;
    }
    TFuzzEditor& Ed;
    int Original;
    int Pos = 0;
    int Delta = 0;
  };
};

struct TLine {
  int Start;
  int Length;
};

// The buffer's lines as the adapter must see them: split at CR LF, LF or CR.
std::vector<TLine> SplitLines(const std::string& Text) {
  std::vector<TLine> Lines;
  size_t P = 0;
  while (P < Text.size()) {
    const size_t Start = P;
    while (P < Text.size() && Text[P] != '\n' && Text[P] != '\r') ++P;
    Lines.push_back({static_cast<int>(Start), static_cast<int>(P - Start)});
    if (P < Text.size() && Text[P] == '\r') ++P;
    if (P < Text.size() && Text[P] == '\n') ++P;
  }
  return Lines;
}

bool IsIndexError(const Exception& E) {
  return dynamic_cast<const EStringListError*>(&E) || dynamic_cast<const EListError*>(&E);
}

// Lines, offsets and the conversions of L agree with the buffer's text.
void CheckLoaded(TEditorStrings& L, const std::string& Text, TFuzzBytes& Control) {
  const std::vector<TLine> Lines = SplitLines(Text);
  const int Count = static_cast<int>(Lines.size());
  FUZZ_CHECK(L.Count() == Count, "line count " + std::to_string(L.Count()) + ", not " + std::to_string(Count));
  FUZZ_CHECK(L.GetTextLen() == static_cast<int32_t>(Text.size()), "text length");
  for (int I = 0; I < Count; ++I) {
    FUZZ_CHECK(L.GetPosition(I) == Lines[I].Start, "offset of line " + std::to_string(I));
    FUZZ_CHECK(L.Get(I) == Text.substr(Lines[I].Start, Lines[I].Length), "text of line " + std::to_string(I));
  }
  // Line/column to offset: the column is clamped to the line.
  for (int I = 0; I < Count && I < 300; ++I) {
    const int Col = static_cast<int>(Control.Below(Lines[I].Length + 3)) - 1;
    const int32_t Pos = L.CharPosToPos(TCharPos{static_cast<int16_t>(Col), I + 1});
    FUZZ_CHECK(Pos == Lines[I].Start + std::clamp(Col, 0, Lines[I].Length),
               "CharPosToPos line " + std::to_string(I + 1) + " column " + std::to_string(Col));
  }
  FUZZ_CHECK(L.CharPosToPos(TCharPos{0, Count + 1}) == static_cast<int32_t>(Text.size()),
             "the line after the last does not start at the end");
  // Offset to line/column and back.
  const int Size = static_cast<int>(Text.size());
  const int Step = Size > 600 ? Size / 300 + static_cast<int>(Control.Below(7)) : 1;
  for (int Pos = 0; Pos <= Size; Pos += Step) {
    TCharPos P;
    try {
      L.PosToCharPos(Pos, P);
    } catch (const ERangeError&) {
      continue;  // a column beyond 16 bits
    } catch (const Exception& E) {
      FUZZ_CHECK(Count == 0 && IsIndexError(E), "PosToCharPos(" + std::to_string(Pos) + ") raised " + E.Message());
      continue;
    }
    FUZZ_CHECK(P.Line >= 1 && P.Line <= Count, "PosToCharPos line " + std::to_string(P.Line));
    const TLine& Line = Lines[P.Line - 1];
    FUZZ_CHECK(Line.Start <= Pos && (P.Line == Count || Lines[P.Line].Start > Pos),
               "offset " + std::to_string(Pos) + " put on line " + std::to_string(P.Line));
    FUZZ_CHECK(P.CharIndex == std::min(Pos - Line.Start, Line.Length),
               "offset " + std::to_string(Pos) + " put at column " + std::to_string(P.CharIndex));
    FUZZ_CHECK(L.CharPosToPos(P) == std::min(Pos, Line.Start + Line.Length), "round trip of " + std::to_string(Pos));
  }
  // Before the text and past the last line: the list's index error.
  for (const TCharPos Outside : {TCharPos{0, 0}, TCharPos{0, Count + 2}}) {
    try {
      L.CharPosToPos(Outside);
      FuzzFail(__FILE__, __LINE__, "CharPosToPos of line " + std::to_string(Outside.Line) + " did not raise");
    } catch (const Exception& E) {
      FUZZ_CHECK(IsIndexError(E), "CharPosToPos outside raised " + E.Message());
    }
  }
  for (int I = 0; I < Count && I < 50; ++I) {
    TCharPos P;
    try {
      L.GetCharPos(I, P);
    } catch (const ERangeError&) {
      continue;
    }
    FUZZ_CHECK(P.Line == I + 1 && P.CharIndex == 0, "GetCharPos of line " + std::to_string(I));
  }
}

std::vector<std::string> LinesOf(TEditorStrings& L) {
  std::vector<std::string> R;
  for (int I = 0; I < L.Count(); ++I) R.push_back(L.Get(I));
  return R;
}

// Where two line lists part.
std::string Difference(const std::vector<std::string>& Got, const std::vector<std::string>& Want) {
  size_t I = 0;
  while (I < Got.size() && I < Want.size() && Got[I] == Want[I]) ++I;
  auto At = [I](const std::vector<std::string>& V) { return I < V.size() ? "'" + V[I] + "'" : std::string("none"); };
  return std::to_string(Got.size()) + " lines, not " + std::to_string(Want.size()) + "; line " +
         std::to_string(I) + " is " + At(Got) + ", not " + At(Want);
}

// Whether Text mixes lone CR and LF line ends. There a write can join a CR
// and an LF into one CR LF line end (an empty line goes), so the lines after
// an edit are only checked against the buffer, not against the edit.
bool MixesLineEnds(const std::string& Text) {
  bool LoneCr = false;
  for (size_t I = 0; I < Text.size(); ++I)
    if (Text[I] == '\r' && (I + 1 == Text.size() || Text[I + 1] != '\n')) LoneCr = true;
  return LoneCr && Text.find('\n') != std::string::npos;
}

// One edit through TUpdateEditorStrings at a line that may lie outside the
// buffer: there it raises the list's index error and changes nothing.
void Edit(TUpdateEditorStrings& U, TFuzzEditor& Ed, TFuzzBytes& Control) {
  const int Count = U.Count();
  const int Index = static_cast<int>(Control.Below(Count + 3)) - 1;  // -1 .. Count + 1
  const int To = Index + static_cast<int>(Control.Below(4));
  // The buffer's lines: a write reads them again, also over a line that
  // ChangeLine changed in the cache only.
  std::vector<std::string> Before;
  for (const TLine& L : SplitLines(Ed.Text)) Before.push_back(Ed.Text.substr(L.Start, L.Length));
  const std::string TextBefore = Ed.Text;
  const uint8_t Op = Control.Byte() % 6;
  const bool Exact = !MixesLineEnds(Ed.Text);
  const std::string What = "edit " + std::to_string(Op) + " at " + std::to_string(Index) + " to " +
                           std::to_string(To) + " of " + std::to_string(Count) + " lines";
  // Whether the lines (0-based) and line starts the edit asks for exist.
  bool Valid = true;
  switch (Op) {
    case 0: Valid = Index >= 0 && Index <= Count; break;             // Insert
    case 1: Valid = Index >= 0 && Index < Count; break;              // Delete
    case 2: Valid = Index >= 0 && To <= Count; break;                // DeleteLines
    case 3: Valid = Index >= 0 && Index < Count; break;              // ChangeLine
    case 4: Valid = Index >= 0 && To <= Count; break;                // Replace
    case 5: Valid = true; break;                                     // InsertPos
  }
  try {
    switch (Op) {
      case 0: {
        U.Insert(Index, "inserted");
        std::vector<std::string> Want = Before;
        Want.insert(Want.begin() + Index, "inserted");
        FUZZ_CHECK(!Exact || LinesOf(U) == Want, What + ": " + Difference(LinesOf(U), Want));
        break;
      }
      case 1: {
        U.Delete(Index);
        std::vector<std::string> Want = Before;
        Want.erase(Want.begin() + Index);
        FUZZ_CHECK(!Exact || LinesOf(U) == Want, What + ": " + Difference(LinesOf(U), Want));
        break;
      }
      case 2: {
        U.DeleteLines(Index, To);
        std::vector<std::string> Want = Before;
        Want.erase(Want.begin() + Index, Want.begin() + To);
        FUZZ_CHECK(!Exact || LinesOf(U) == Want, What + ": " + Difference(LinesOf(U), Want));
        break;
      }
      case 3:
        U.ChangeLine(Index, "changed");  // no IDE: the cached line only
        FUZZ_CHECK(U.Get(Index) == "changed" && Ed.Text == TextBefore, What);
        break;
      case 4:
        U.Replace(Index + 1, To + 1, "replaced\r\n");
        break;
      case 5:
        U.InsertPos(static_cast<int32_t>(Control.Below(static_cast<uint32_t>(Ed.Text.size()) + 1)), "at");
        break;
    }
    FUZZ_CHECK(Valid, What + " did not raise");
  } catch (const Exception& E) {
    FUZZ_CHECK(!Valid && IsIndexError(E), What + " raised " + E.Message());
    FUZZ_CHECK(Ed.Text == TextBefore, What + " raised and changed the buffer");
  }
  FUZZ_CHECK(Ed.Readers == 0 && Ed.Writers == 0, What + ": a reader or writer was not released");
}

}  // namespace

void FuzzEditorStrings(const uint8_t* Data, size_t Size) {
  if (Size == 0) return;
  const size_t ControlSize = std::min<size_t>(Data[0] % 64, Size - 1);
  TFuzzBytes Control(Data + 1, ControlSize);
  const std::string Text(AsText(Data + 1 + ControlSize, Size - 1 - ControlSize));
  TFuzzEditor Ed(Text);

  {
    TEditorStrings L(&Ed);
    CheckLoaded(L, Text, Control);
    const size_t Break = Text.find_first_of("\r\n");
    const std::string Expected = Break == std::string::npos ? "\r\n"
                                 : Text[Break] == '\n'      ? "\n"
                                 : Text.compare(Break, 2, "\r\n") == 0 ? "\r\n"
                                                                       : "\r";
    FUZZ_CHECK(L.BufferLineBreak() == Expected, "the buffer's line end");

    // Edits of the cache written back in one go: the buffer holds the lines.
    if (L.Count() > 0) L.Put(0, "first");
    L.Insert(L.Count(), "last");
    const std::vector<std::string> Lines = LinesOf(L);
    const bool HasNul = std::any_of(Lines.begin(), Lines.end(),
                                    [](const std::string& S) { return S.find('\0') != std::string::npos; });
    try {
      L.SaveToEditor();
      FUZZ_CHECK(!HasNul, "lines holding a NUL character were written");
      TEditorStrings Back(&Ed);
      FUZZ_CHECK(LinesOf(Back) == Lines, "SaveToEditor did not write the cached lines: " + Difference(LinesOf(Back), Lines));
    } catch (const Exception& E) {
      // The writer takes zero-terminated texts: such lines are refused whole.
      FUZZ_CHECK(HasNul, "SaveToEditor raised " + E.Message());
      FUZZ_CHECK(Ed.Text == Text, "a refused SaveToEditor changed the buffer");
    }
  }
  FUZZ_CHECK(Ed.Readers == 0 && Ed.Writers == 0, "a reader or writer was not released");

  TUpdateEditorStrings U(&Ed);
  for (int I = 0; I < 8 && !Control.AtEnd(); ++I) {
    Edit(U, Ed, Control);
    if (I % 2 == 1 || Control.AtEnd()) {
      // After an edit the lines were read again, except ChangeLine's cached one.
      TEditorStrings Fresh(&Ed);
      TFuzzBytes More(Data + 1, ControlSize);
      CheckLoaded(Fresh, Ed.Text, More);
    }
  }
  FUZZ_CHECK(Ed.Readers == 0 && Ed.Writers == 0, "a reader or writer was not released");
}
