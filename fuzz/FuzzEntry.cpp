// The libFuzzer entry point of one target; PLIMDISP_FUZZ_BODY names the body it runs.
#include "fuzz/FuzzBodies.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return PLIMDISP_FUZZ_BODY(data, size);
}
