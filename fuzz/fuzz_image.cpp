// The registry's image decoding from memory: header checks, then SDL's decoder, then a
// texture on the renderer, then one draw of it. Every input starts from an empty registry.
#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzz::engine(0)) abort();
    const ResourceId id = ORVEX_LoadResourceFromMemory(ORVEX_RESOURCE_IMAGE, data, uint32_t(size));
    if (id != 0) {
        ORVEX_DrawImageArgs args{};
        args.id = id;
        args.w = args.h = ORVEX_WHOLE_IMAGE;
        args.scale_x = args.scale_y = 1.0f;
        ORVEX_DrawImage(&args);
    }
    release_resources();
    return 0;
}
