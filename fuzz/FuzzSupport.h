// Helpers shared by the fuzz target bodies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzTargets.h"

// Raises TFuzzFailure naming the property and where it is checked.
[[noreturn]] void FuzzFail(const char* File, int Line, const std::string& What);

#define FUZZ_CHECK(Cond, What)                                       \
  do {                                                               \
    if (!(Cond)) FuzzFail(__FILE__, __LINE__, std::string(#Cond) + ": " + (What)); \
  } while (0)

// Reads control values from a byte string; past its end every value is 0.
class TFuzzBytes {
 public:
  TFuzzBytes(const uint8_t* Data, size_t Size) : FData(Data), FSize(Size) {}
  uint8_t Byte() { return FPos < FSize ? FData[FPos++] : 0; }
  uint16_t Word() { return static_cast<uint16_t>(Byte() | Byte() << 8); }
  // A value in 0 .. Limit - 1 (0 for Limit 0).
  uint32_t Below(uint32_t Limit) {
    const uint32_t V = static_cast<uint32_t>(Word()) << 8 | Byte();
    return Limit ? V % Limit : 0;
  }
  bool AtEnd() const { return FPos >= FSize; }

 private:
  const uint8_t* FData;
  size_t FSize;
  size_t FPos = 0;
};

inline std::string_view AsText(const uint8_t* Data, size_t Size) {
  return Size ? std::string_view(reinterpret_cast<const char*>(Data), Size) : std::string_view();
}

// A private scratch folder for files a body must read or write, made once per
// process (under $TMPDIR, else /dev/shm, else /tmp) and removed at exit.
// Ends with "/".
const std::string& FuzzScratchDir();

