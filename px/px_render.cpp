// px presentation: dithers the canvas into the streaming texture once a frame and copies it
// onto the current render target. The generator is a serial chain, so the SIMD paths run
// several lanes that start one step apart and each jump ahead by the lane count, which yields
// the exact serial sequence; the path is chosen once by CPU (AVX-512, else AVX2, else SSE2)
// at run time. In a browser the module itself is the choice: the page loads the build with
// WebAssembly SIMD128 where the browser has it, else the one without any SIMD.
//
// Index: Generator / Colour table snapshot / Plain C++ path / SSE2 path / AVX2 path / AVX-512 path /
//        WebAssembly SIMD128 path / Dispatch / Presentation
#include <bit>
#include <cstring>

#include <SDL.h>

#include <orvex/orvex.hpp>

#include "log.hpp"
#include "px_internal.hpp"

#if defined(__x86_64__) || defined(__i386__)
#define PX_X86 1
#include <immintrin.h>
#else
#define PX_X86 0
#endif

#if defined(__wasm_simd128__)
#define PX_SIMD128 1
#include <wasm_simd128.h>
#else
#define PX_SIMD128 0
#endif

static_assert(std::endian::native == std::endian::little, "texels are stored as B, G, R, A");

//------------------------------------------------------------------------------------------
// Generator
//------------------------------------------------------------------------------------------
// Composing the step k times by squaring: (a, c) applied twice is (a*a, a*c + c).
void px_rng_jump(uint32_t k, uint32_t* a, uint32_t* c) {
    uint32_t acc_a = 1, acc_c = 0;
    uint32_t sq_a = PX_RNG_MUL, sq_c = PX_RNG_ADD;
    for (; k != 0; k >>= 1) {
        if (k & 1) {
            acc_a = acc_a * sq_a;
            acc_c = acc_c * sq_a + sq_c;
        }
        sq_c = sq_a * sq_c + sq_c;
        sq_a = sq_a * sq_a;
    }
    *a = acc_a;
    *c = acc_c;
}

// v = ((s >> 16) & 0x7fff) mod 255, with the quotient by 255 as (x * 0x8081) >> 23, exact for
// every 15-bit x.
static inline uint32_t dither_value(uint32_t s) {
    const uint32_t x = (s >> 16) & 0x7fffu;
    return x - ((x * 0x8081u) >> 23) * 255u;
}

//------------------------------------------------------------------------------------------
// Colour table snapshot
//------------------------------------------------------------------------------------------
// What one conversion needs of the colour table, read once: the palette cannot change while
// a frame is being converted.
struct DitherTable {
    uint8_t threshold[PX_COLORS];
    bool identity;  // no dither map entry changes a threshold: the indices are the thresholds
    uint32_t dark, light;  // ARGB8888 of entries 0 and 254, alpha 255
};

static uint32_t texel(const PxColor& c) {
    return 0xff000000u | uint32_t{c.r} << 16 | uint32_t{c.g} << 8 | uint32_t{c.b};
}

static void build_dither_table(const PxColor* palette, DitherTable* t) {
    t->identity = true;
    for (int32_t i = 0; i < PX_COLORS; i++) {
        const uint32_t d = static_cast<uint32_t>(palette[i].dither);
        t->threshold[i] = static_cast<uint8_t>(d != 0 ? d - 1u : static_cast<uint32_t>(i));
        if (t->threshold[i] != i) t->identity = false;
    }
    t->dark = texel(palette[0]);
    t->light = texel(palette[254]);
}

// The thresholds of one canvas row: the row itself, or looked up into `buf`.
static const uint8_t* row_thresholds(const DitherTable* t, const uint8_t* row, uint8_t* buf) {
    if (t->identity) return row;
    for (int32_t x = 0; x < PX_WIDTH; x++) buf[x] = t->threshold[row[x]];
    return buf;
}

//------------------------------------------------------------------------------------------
// Plain C++ path
//------------------------------------------------------------------------------------------
static uint32_t convert_scalar(const uint8_t* pixels, const DitherTable* t, uint32_t s,
                               uint8_t* out, int32_t pitch) {
    uint8_t buf[PX_WIDTH];
    for (int32_t y = 0; y < PX_HEIGHT; y++) {
        const uint8_t* thr = row_thresholds(t, pixels + y * PX_WIDTH, buf);
        uint8_t* dst = out + static_cast<ptrdiff_t>(y) * pitch;
        for (int32_t x = 0; x < PX_WIDTH; x++) {
            s = s * PX_RNG_MUL + PX_RNG_ADD;
            const uint32_t v = dither_value(s) < thr[x] ? t->light : t->dark;
            memcpy(dst + 4 * x, &v, 4);
        }
    }
    return s;
}

// The states after each of the next n steps from s: lanes[i] = s(i + 1).
[[maybe_unused]] static void first_states(uint32_t s, uint32_t* lanes, int32_t n) {
    for (int32_t i = 0; i < n; i++) {
        s = s * PX_RNG_MUL + PX_RNG_ADD;
        lanes[i] = s;
    }
}

#if PX_X86
//------------------------------------------------------------------------------------------
// SSE2 path (every x86-64 CPU): 16 lanes as four vectors of four
//------------------------------------------------------------------------------------------
// Low 32 bits of a * b per lane; SSE2 has only the 32x32->64 multiply of even lanes.
static inline __m128i mullo32_sse2(__m128i a, __m128i b) {
    const __m128i even = _mm_mul_epu32(a, b);
    const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                              _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}

// Four texels from four generator states and four thresholds.
static inline __m128i dither4_sse2(__m128i s, const uint8_t* thr, __m128i dark, __m128i light) {
    const __m128i x = _mm_and_si128(_mm_srli_epi32(s, 16), _mm_set1_epi32(0x7fff));
    const __m128i q = _mm_srli_epi32(_mm_mulhi_epu16(x, _mm_set1_epi32(0x8081)), 7);
    const __m128i v = _mm_sub_epi32(_mm_add_epi32(x, q), _mm_slli_epi32(q, 8));
    int32_t four;
    memcpy(&four, thr, 4);
    const __m128i zero = _mm_setzero_si128();
    const __m128i t = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(four), zero), zero);
    const __m128i light_mask = _mm_cmpgt_epi32(t, v);
    return _mm_or_si128(_mm_and_si128(light_mask, light), _mm_andnot_si128(light_mask, dark));
}

static uint32_t convert_sse2(const uint8_t* pixels, const DitherTable* t, uint32_t s0, uint8_t* out,
                             int32_t pitch) {
    alignas(16) uint32_t lanes[16];
    first_states(s0, lanes, 16);
    __m128i s[4];
    for (int32_t k = 0; k < 4; k++)
        s[k] = _mm_load_si128(reinterpret_cast<const __m128i*>(lanes + 4 * k));
    uint32_t a, c;
    px_rng_jump(16, &a, &c);
    const __m128i va = _mm_set1_epi32(static_cast<int32_t>(a)),
                  vc = _mm_set1_epi32(static_cast<int32_t>(c));
    const __m128i dark = _mm_set1_epi32(static_cast<int32_t>(t->dark));
    const __m128i light = _mm_set1_epi32(static_cast<int32_t>(t->light));
    uint8_t buf[PX_WIDTH];
    for (int32_t y = 0; y < PX_HEIGHT; y++) {
        const uint8_t* thr = row_thresholds(t, pixels + y * PX_WIDTH, buf);
        uint8_t* dst = out + static_cast<ptrdiff_t>(y) * pitch;
        for (int32_t x = 0; x < PX_WIDTH; x += 16) {
            for (int32_t k = 0; k < 4; k++) {
                const __m128i texels = dither4_sse2(s[k], thr + x + 4 * k, dark, light);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * (x + 4 * k)), texels);
                s[k] = _mm_add_epi32(mullo32_sse2(s[k], va), vc);
            }
        }
    }
    uint32_t fa, fc;
    px_rng_jump(PX_PIXELS, &fa, &fc);
    return fa * s0 + fc;
}

//------------------------------------------------------------------------------------------
// AVX2 path: 32 lanes as four vectors of eight
//------------------------------------------------------------------------------------------
__attribute__((target("avx2"))) static inline __m256i dither8_avx2(__m256i s, const uint8_t* thr,
                                                                   __m256i dark, __m256i light) {
    const __m256i x = _mm256_and_si256(_mm256_srli_epi32(s, 16), _mm256_set1_epi32(0x7fff));
    const __m256i q = _mm256_srli_epi32(_mm256_mulhi_epu16(x, _mm256_set1_epi32(0x8081)), 7);
    const __m256i v = _mm256_sub_epi32(_mm256_add_epi32(x, q), _mm256_slli_epi32(q, 8));
    const __m256i t = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(thr)));
    return _mm256_blendv_epi8(dark, light, _mm256_cmpgt_epi32(t, v));
}

__attribute__((target("avx2"))) static uint32_t convert_avx2(const uint8_t* pixels,
                                                             const DitherTable* t, uint32_t s0,
                                                             uint8_t* out, int32_t pitch) {
    alignas(32) uint32_t lanes[32];
    first_states(s0, lanes, 32);
    __m256i s[4];
    for (int32_t k = 0; k < 4; k++)
        s[k] = _mm256_load_si256(reinterpret_cast<const __m256i*>(lanes + 8 * k));
    uint32_t a, c;
    px_rng_jump(32, &a, &c);
    const __m256i va = _mm256_set1_epi32(static_cast<int32_t>(a)),
                  vc = _mm256_set1_epi32(static_cast<int32_t>(c));
    const __m256i dark = _mm256_set1_epi32(static_cast<int32_t>(t->dark));
    const __m256i light = _mm256_set1_epi32(static_cast<int32_t>(t->light));
    uint8_t buf[PX_WIDTH];
    for (int32_t y = 0; y < PX_HEIGHT; y++) {
        const uint8_t* thr = row_thresholds(t, pixels + y * PX_WIDTH, buf);
        uint8_t* dst = out + static_cast<ptrdiff_t>(y) * pitch;
        for (int32_t x = 0; x < PX_WIDTH; x += 32) {
            for (int32_t k = 0; k < 4; k++) {
                const __m256i texels = dither8_avx2(s[k], thr + x + 8 * k, dark, light);
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 4 * (x + 8 * k)), texels);
                s[k] = _mm256_add_epi32(_mm256_mullo_epi32(s[k], va), vc);
            }
        }
    }
    uint32_t fa, fc;
    px_rng_jump(PX_PIXELS, &fa, &fc);
    return fa * s0 + fc;
}

//------------------------------------------------------------------------------------------
// AVX-512 path (F, BW and VBMI): 64 lanes as four vectors of sixteen
//------------------------------------------------------------------------------------------
// With a dither map, the thresholds of 64 pixels come from two byte permutes over 128-entry
// halves of the table, the index's top bit choosing the half: three instructions where the
// other paths look up each pixel on its own.
#define PX_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi")))

// GCC 12's unmasked forms of some of these intrinsics read a deliberately uninitialised
// pass-through and trip -Wuninitialized; the zero-masked forms with every lane selected are
// the same instructions.
constexpr __mmask16 kAll16 = 0xffff;

struct ThresholdTable512 {
    __m512i quarter[4];  // entries 0-63, 64-127, 128-191, 192-255
};

PX_AVX512 static inline __m512i thresholds64_avx512(const ThresholdTable512& t, __m512i idx) {
    const __m512i low = _mm512_permutex2var_epi8(t.quarter[0], idx, t.quarter[1]);
    const __m512i high = _mm512_permutex2var_epi8(t.quarter[2], idx, t.quarter[3]);
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(idx), low, high);
}

PX_AVX512 static inline __m512i dither16_avx512(__m512i s, __m128i thr, __m512i dark,
                                                __m512i light) {
    const __m512i x =
        _mm512_and_si512(_mm512_maskz_srli_epi32(kAll16, s, 16), _mm512_set1_epi32(0x7fff));
    const __m512i q =
        _mm512_maskz_srli_epi32(kAll16, _mm512_mulhi_epu16(x, _mm512_set1_epi32(0x8081)), 7);
    const __m512i v =
        _mm512_sub_epi32(_mm512_add_epi32(x, q), _mm512_maskz_slli_epi32(kAll16, q, 8));
    const __m512i t = _mm512_maskz_cvtepu8_epi32(kAll16, thr);
    return _mm512_mask_blend_epi32(_mm512_cmpgt_epi32_mask(t, v), dark, light);
}

PX_AVX512 static uint32_t convert_avx512(const uint8_t* pixels, const DitherTable* t, uint32_t s0,
                                         uint8_t* out, int32_t pitch) {
    uint32_t lanes[64];
    first_states(s0, lanes, 64);
    __m512i s[4];
    for (int32_t k = 0; k < 4; k++) s[k] = _mm512_loadu_si512(lanes + 16 * k);
    uint32_t a, c;
    px_rng_jump(64, &a, &c);
    const __m512i va = _mm512_set1_epi32(static_cast<int32_t>(a)),
                  vc = _mm512_set1_epi32(static_cast<int32_t>(c));
    const __m512i dark = _mm512_set1_epi32(static_cast<int32_t>(t->dark));
    const __m512i light = _mm512_set1_epi32(static_cast<int32_t>(t->light));
    ThresholdTable512 table;
    for (int32_t k = 0; k < 4; k++) table.quarter[k] = _mm512_loadu_si512(t->threshold + 64 * k);
    for (int32_t y = 0; y < PX_HEIGHT; y++) {
        const uint8_t* row = pixels + y * PX_WIDTH;
        uint8_t* dst = out + static_cast<ptrdiff_t>(y) * pitch;
        for (int32_t x = 0; x < PX_WIDTH; x += 64) {
            __m512i thr = _mm512_loadu_si512(row + x);
            if (!t->identity) thr = thresholds64_avx512(table, thr);
            const __m128i q[4] = {_mm512_maskz_extracti32x4_epi32(0xf, thr, 0),
                                  _mm512_maskz_extracti32x4_epi32(0xf, thr, 1),
                                  _mm512_maskz_extracti32x4_epi32(0xf, thr, 2),
                                  _mm512_maskz_extracti32x4_epi32(0xf, thr, 3)};
            for (int32_t k = 0; k < 4; k++) {
                const __m512i texels = dither16_avx512(s[k], q[k], dark, light);
                _mm512_storeu_si512(dst + 4 * (x + 16 * k), texels);
                s[k] = _mm512_add_epi32(_mm512_mullo_epi32(s[k], va), vc);
            }
        }
    }
    uint32_t fa, fc;
    px_rng_jump(PX_PIXELS, &fa, &fc);
    return fa * s0 + fc;
}
#endif

#if PX_SIMD128
//------------------------------------------------------------------------------------------
// WebAssembly SIMD128 path: 16 lanes as four vectors of four
//------------------------------------------------------------------------------------------
// Four texels from four generator states and their four thresholds; v as in dither_value.
static inline v128_t dither4_simd128(v128_t s, v128_t t, v128_t dark, v128_t light) {
    const v128_t x = wasm_v128_and(wasm_u32x4_shr(s, 16), wasm_i32x4_splat(0x7fff));
    const v128_t q = wasm_u32x4_shr(wasm_i32x4_mul(x, wasm_i32x4_splat(0x8081)), 23);
    const v128_t v = wasm_i32x4_sub(x, wasm_i32x4_mul(q, wasm_i32x4_splat(255)));
    return wasm_v128_bitselect(light, dark, wasm_i32x4_gt(t, v));
}

// The 16 thresholds at thr, widened to four vectors of four 32-bit lanes.
static inline void widen16_simd128(const uint8_t* thr, v128_t* t) {
    const v128_t bytes = wasm_v128_load(thr);
    const v128_t low = wasm_u16x8_extend_low_u8x16(bytes);
    const v128_t high = wasm_u16x8_extend_high_u8x16(bytes);
    t[0] = wasm_u32x4_extend_low_u16x8(low);
    t[1] = wasm_u32x4_extend_high_u16x8(low);
    t[2] = wasm_u32x4_extend_low_u16x8(high);
    t[3] = wasm_u32x4_extend_high_u16x8(high);
}

static uint32_t convert_simd128(const uint8_t* pixels, const DitherTable* t, uint32_t s0,
                                uint8_t* out, int32_t pitch) {
    alignas(16) uint32_t lanes[16];
    first_states(s0, lanes, 16);
    v128_t s[4];
    for (int32_t k = 0; k < 4; k++) s[k] = wasm_v128_load(lanes + 4 * k);
    uint32_t a, c;
    px_rng_jump(16, &a, &c);
    const v128_t va = wasm_i32x4_splat(static_cast<int32_t>(a));
    const v128_t vc = wasm_i32x4_splat(static_cast<int32_t>(c));
    const v128_t dark = wasm_i32x4_splat(static_cast<int32_t>(t->dark));
    const v128_t light = wasm_i32x4_splat(static_cast<int32_t>(t->light));
    uint8_t buf[PX_WIDTH];
    for (int32_t y = 0; y < PX_HEIGHT; y++) {
        const uint8_t* thr = row_thresholds(t, pixels + y * PX_WIDTH, buf);
        uint8_t* dst = out + static_cast<ptrdiff_t>(y) * pitch;
        for (int32_t x = 0; x < PX_WIDTH; x += 16) {
            v128_t t32[4];
            widen16_simd128(thr + x, t32);
            for (int32_t k = 0; k < 4; k++) {
                wasm_v128_store(dst + 4 * (x + 4 * k), dither4_simd128(s[k], t32[k], dark, light));
                s[k] = wasm_i32x4_add(wasm_i32x4_mul(s[k], va), vc);
            }
        }
    }
    uint32_t fa, fc;
    px_rng_jump(PX_PIXELS, &fa, &fc);
    return fa * s0 + fc;
}
#endif

//------------------------------------------------------------------------------------------
// Dispatch
//------------------------------------------------------------------------------------------
static PxRenderPath chosen_path = PX_PATH_AUTO;

bool px_render_path_supported(PxRenderPath path) {
    switch (path) {
    case PX_PATH_AUTO:
    case PX_PATH_SCALAR: return true;
#if PX_X86
    case PX_PATH_SSE2: return true;
    case PX_PATH_AVX2: return __builtin_cpu_supports("avx2");
    case PX_PATH_AVX512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
               __builtin_cpu_supports("avx512vbmi");
#endif
#if PX_SIMD128
    case PX_PATH_SIMD128: return true;  // a browser without SIMD128 never loads this build
#endif
    default: return false;
    }
}

static PxRenderPath best_path(void) {
    if (px_render_path_supported(PX_PATH_SIMD128)) return PX_PATH_SIMD128;
    if (px_render_path_supported(PX_PATH_AVX512)) return PX_PATH_AVX512;
    if (px_render_path_supported(PX_PATH_AVX2)) return PX_PATH_AVX2;
    if (px_render_path_supported(PX_PATH_SSE2)) return PX_PATH_SSE2;
    return PX_PATH_SCALAR;
}

bool px_set_render_path(PxRenderPath path) {
    if (!px_render_path_supported(path)) return false;
    chosen_path = path == PX_PATH_AUTO ? best_path() : path;
    return true;
}

PxRenderPath px_render_path(void) {
    if (chosen_path == PX_PATH_AUTO) chosen_path = best_path();
    return chosen_path;
}

uint32_t px_dither_convert(const uint8_t* pixels, const PxColor* palette, uint32_t state,
                           uint8_t* out, int32_t pitch) {
    if (pitch < PX_ROW_BYTES) return state;
    DitherTable table;
    build_dither_table(palette, &table);
    switch (px_render_path()) {
#if PX_X86
    case PX_PATH_AVX512: return convert_avx512(pixels, &table, state, out, pitch);
    case PX_PATH_AVX2: return convert_avx2(pixels, &table, state, out, pitch);
    case PX_PATH_SSE2: return convert_sse2(pixels, &table, state, out, pitch);
#endif
#if PX_SIMD128
    case PX_PATH_SIMD128: return convert_simd128(pixels, &table, state, out, pitch);
#endif
    default: return convert_scalar(pixels, &table, state, out, pitch);
    }
}

//------------------------------------------------------------------------------------------
// Presentation
//------------------------------------------------------------------------------------------
int32_t px_render(void) {
    void* memory = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(px_canvas_texture(), nullptr, &memory, &pitch) != 0) {
        orvex_report_line("%s\n", SDL_GetError());
        return -1;
    }
    if (pitch < PX_ROW_BYTES) {
        SDL_UnlockTexture(px_texture);
        orvex_report_line("px_render: texture rows are %d bytes, fewer than %d\n", pitch,
                          PX_ROW_BYTES);
        return -1;
    }
    if (px_digest_wanted()) px_note_frame(px_rng_state);
    px_rng_state = px_dither_convert(px_pixels, px_palette, px_rng_state,
                                     static_cast<uint8_t*>(memory), pitch);
    SDL_UnlockTexture(px_texture);
    SDL_RenderCopy(ORVEX_GetRenderer(), px_texture, nullptr, nullptr);
    return 0;
}
