// The library's streams: TStream with its helpers, and a stream over a string.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "platform/rtl/Classes.h"

enum : uint16_t { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

class TStream : public TObject {
 public:
  virtual int32_t Read(void* Buffer, int32_t Count) = 0;
  virtual int32_t Write(const void* Buffer, int32_t Count) = 0;
  // Origin is soFromBeginning, soFromCurrent or soFromEnd; returns the new position.
  virtual int32_t Seek(int32_t Offset, uint16_t Origin) = 0;

  int32_t Position() { return Seek(0, soFromCurrent); }
  void SetPosition(int32_t Pos) { Seek(Pos, soFromBeginning); }
  // Measured by seeking to the end and back.
  int32_t GetSize();
  int32_t Size() { return GetSize(); }

  // Read or write exactly Count bytes, else EReadError "Stream read error"
  // or EWriteError "Stream write error".
  void ReadBuffer(void* Buffer, int32_t Count);
  void WriteBuffer(const void* Buffer, int32_t Count);
  // Copies Count bytes from Source; Count 0 copies all of Source from its
  // start. Returns the number copied.
  int32_t CopyFrom(TStream& Source, int32_t Count);

 protected:
  // Count bytes are about to be written at the position: room for them.
  virtual void Expect(int32_t Count) {}
};

class TStringStream : public TStream {
 public:
  explicit TStringStream(std::string AString = {}) : FDataString(std::move(AString)) {}
  int32_t Read(void* Buffer, int32_t Count) override;
  int32_t Write(const void* Buffer, int32_t Count) override;
  int32_t Seek(int32_t Offset, uint16_t Origin) override;
  const std::string& DataString() const { return FDataString; }
  // The data, leaving the stream empty.
  std::string TakeDataString() {
    FPosition = 0;
    return std::exchange(FDataString, {});
  }

 protected:
  void Expect(int32_t Count) override;

 private:
  std::string FDataString;
  int32_t FPosition = 0;
};
