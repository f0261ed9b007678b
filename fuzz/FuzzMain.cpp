// The libFuzzer entry of one target; VELMORIC_FUZZ_BODY names its body. A
// broken property aborts with its description, so that libFuzzer keeps the
// input; any other exception that escapes the body aborts as well.
#include <cstdio>
#include <cstdlib>

#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  try {
    VELMORIC_FUZZ_BODY(Data, Size);
  } catch (const TFuzzFailure& F) {
    std::fprintf(stderr, "==fuzz property failed: %s\n", F.What.c_str());
    std::abort();
  }
  return 0;
}
