// The language server's message reader over any byte stream: it ends, every
// body it returns lies in the input with the length its header gave, a body
// framed again reads back the same, the JSON-RPC check classifies each body
// without throwing, and the UTF-16 position conversions agree both ways.
//
// Input: a byte whose low bits give the size of the reads (1 to 64 bytes,
// or 0 for all at once), then the stream.
#include <algorithm>
#include <cstring>

#include "FuzzSupport.h"
#include "hosts/lsp/LspText.h"
#include "hosts/lsp/LspTransport.h"

namespace {

// Hands the stream out in reads of at most Chunk bytes; Ready says no every
// other time, as a pipe between two writes would.
class TChunkInput : public TLspInput {
 public:
  TChunkInput(std::string_view Data, size_t Chunk) : FData(Data), FChunk(Chunk) {}
  size_t Read(char* Buffer, size_t Max) override {
    const size_t N = std::min({Max, FChunk ? FChunk : Max, FData.size() - FPos});
    if (N > 0) std::memcpy(Buffer, FData.data() + FPos, N);
    FPos += N;
    return N;
  }
  bool Ready() override { return (FToggle = !FToggle); }

 private:
  std::string_view FData;
  size_t FChunk;
  size_t FPos = 0;
  bool FToggle = false;
};

void CheckMessage(const std::string& Body) {
  const TLspIncoming M = ParseMessage(Body);
  switch (M.Kind) {
    case TLspIncoming::Invalid:
      FUZZ_CHECK(M.ErrorCode == lspParseError || M.ErrorCode == lspInvalidRequest, "error code");
      FUZZ_CHECK(!M.Error.empty(), "an invalid message without a reason");
      break;
    case TLspIncoming::Request:
      FUZZ_CHECK(M.Id.is_string() || M.Id.is_number_integer(), "request id " + M.Id.dump());
      break;
    case TLspIncoming::Notification:
      FUZZ_CHECK(M.Id.is_null(), "a notification with an id");
      break;
    case TLspIncoming::Response:
      break;
  }
  // Whatever came in can be answered.
  const std::string Answer = DumpJson(ErrorMessage(M.Id, lspInvalidRequest, M.Error + Body.substr(0, 64)));
  FUZZ_CHECK(!json::parse(Answer, nullptr, false).is_discarded(), "an answer that is not JSON");
}

void CheckPositions(std::string_view Line) {
  Line = Line.substr(0, 256);
  for (TTextEncoding Enc : {TTextEncoding::Utf8, TTextEncoding::Latin1}) {
    int Last = 0;
    for (int B = 0; B <= static_cast<int>(Line.size()); ++B) {
      const int Units = Utf16Length(Line, B, Enc);
      FUZZ_CHECK(Units >= Last && Units <= B, "UTF-16 length of " + std::to_string(B) + " bytes");
      Last = Units;
      const int Back = ByteOffset(Line, Units, Enc);
      FUZZ_CHECK(Back <= B && Utf16Length(Line, Back, Enc) == Units,
                 "byte offset of unit " + std::to_string(Units));
    }
  }
  const std::string Utf8 = ToUtf8(Line, DetectEncoding(Line));
  FUZZ_CHECK(DetectEncoding(Utf8) == TTextEncoding::Utf8, "a converted text that is not UTF-8");
}

// The line index agrees with a plain split at CR LF, LF and CR.
void CheckLines(std::string_view Text) {
  const TLineIndex Lines(Text);
  int Line = 0;
  size_t Start = 0;
  for (size_t P = 0; P <= Text.size(); ++P) {
    const bool End = P == Text.size();
    if (!End && Text[P] != '\n' && Text[P] != '\r') continue;
    FUZZ_CHECK(Line < Lines.LineCount(), "too few lines");
    FUZZ_CHECK(Lines.LineStart(Line) == static_cast<int>(Start) &&
                   Lines.LineLength(Line) == static_cast<int>(P - Start),
               "line " + std::to_string(Line));
    FUZZ_CHECK(Lines.LineOf(static_cast<int>(Start)) == Line, "LineOf " + std::to_string(Start));
    ++Line;
    if (End) break;
    if (Text[P] == '\r' && P + 1 < Text.size() && Text[P + 1] == '\n') ++P;
    Start = P + 1;
  }
  FUZZ_CHECK(Lines.LineCount() == Line, "line count");
}

}  // namespace

void FuzzLspReader(const uint8_t* Data, size_t Size) {
  if (Size == 0) return;
  const size_t Chunk = Data[0] & 63;
  const std::string_view Stream = AsText(Data + 1, Size - 1);
  CheckLines(Stream);
  TChunkInput In(Stream, Chunk);
  TLspReader Reader(In);
  size_t Frames = 0;
  for (;;) {
    const TLspFrame F = Reader.Next();
    if (F.Kind == TLspFrame::End) break;
    FUZZ_CHECK(++Frames <= Stream.size() + 1, "more frames than bytes");
    if (F.Kind == TLspFrame::Error) {
      FUZZ_CHECK(!F.Problem.empty(), "an error frame without a reason");
      continue;
    }
    FUZZ_CHECK(F.Body.size() <= TLspReader::MaxBody, "a body over the limit");
    FUZZ_CHECK(Stream.find(F.Body) != std::string_view::npos, "a body that is not in the input");
    // Framed again, the body reads back as it was.
    TStringInput Again(FrameMessage(F.Body));
    TLspReader Second(Again);
    const TLspFrame Back = Second.Next();
    FUZZ_CHECK(Back.Kind == TLspFrame::Message && Back.Body == F.Body, "a framed body read back differently");
    FUZZ_CHECK(Second.Next().Kind == TLspFrame::End, "more than one message in one frame");
    CheckMessage(F.Body);
    CheckPositions(F.Body);
  }
}
