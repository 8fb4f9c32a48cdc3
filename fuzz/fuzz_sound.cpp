// The registry's sound decoding from memory: header checks against the device (AIFF, 8SVX
// and VOC data refused), then the mixer's loaders (WAV, and its music decoders for everything
// else). Every input starts from an empty registry.
#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzz::engine(1)) abort();
    ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_SOUND, data, uint32_t(size));
    release_resources();
    return 0;
}
