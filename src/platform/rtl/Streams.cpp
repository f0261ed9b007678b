#include "platform/rtl/Streams.h"

#include <algorithm>
#include <cstring>
#include <vector>

int32_t TStream::GetSize() {
  const int32_t Pos = Seek(0, soFromCurrent);
  const int32_t Result = Seek(0, soFromEnd);
  Seek(Pos, soFromBeginning);
  return Result;
}

void TStream::ReadBuffer(void* Buffer, int32_t Count) {
  if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, int32_t Count) {
  if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError("Stream write error");
}

int32_t TStream::CopyFrom(TStream& Source, int32_t Count) {
  if (Count == 0) {
    Source.SetPosition(0);
    Count = Source.GetSize();
  }
  const int32_t Result = Count;
  Expect(Count);
  constexpr int32_t MaxBufSize = 0xF000;
  std::vector<char> Buffer(std::min(Count, MaxBufSize));
  while (Count > 0) {
    const int32_t N = std::min(Count, MaxBufSize);
    Source.ReadBuffer(Buffer.data(), N);
    WriteBuffer(Buffer.data(), N);
    Count -= N;
  }
  return Result;
}

int32_t TStringStream::Read(void* Buffer, int32_t Count) {
  const int32_t Size = static_cast<int32_t>(FDataString.size());
  const int32_t N = std::max(0, std::min(Count, Size - FPosition));
  if (N > 0) std::memcpy(Buffer, FDataString.data() + FPosition, N);
  FPosition += N;
  return N;
}

int32_t TStringStream::Write(const void* Buffer, int32_t Count) {
  if (Count <= 0) return 0;
  const size_t End = static_cast<size_t>(FPosition) + Count;
  if (static_cast<size_t>(FPosition) == FDataString.size()) {
    FDataString.append(static_cast<const char*>(Buffer), static_cast<size_t>(Count));
  } else {
    if (End > FDataString.size()) FDataString.resize(End);
    std::memcpy(FDataString.data() + FPosition, Buffer, Count);
  }
  FPosition += Count;
  return Count;
}

void TStringStream::Expect(int32_t Count) {
  if (Count > 0) FDataString.reserve(static_cast<size_t>(FPosition) + static_cast<size_t>(Count));
}

int32_t TStringStream::Seek(int32_t Offset, uint16_t Origin) {
  const int32_t Size = static_cast<int32_t>(FDataString.size());
  switch (Origin) {
    case soFromBeginning: FPosition = Offset; break;
    case soFromCurrent: FPosition += Offset; break;
    case soFromEnd: FPosition = Size + Offset; break;
    default: throw EStreamError(Format("Invalid seek origin, %d", Origin));
  }
  FPosition = std::clamp(FPosition, 0, Size);
  return FPosition;
}
