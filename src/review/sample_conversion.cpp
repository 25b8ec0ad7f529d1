// The playback file's sample formats to and from floats. The writer converts every sample
// of a long recording here, so the float-to-integer direction has an SSE2 path (every
// x86-64 processor has it); other processors and the last few samples take the plain loop,
// which the SSE2 path matches sample for sample.

#include <cstdint>
#include <span>
#include <vector>

#include "review/review_pipeline.h"
#include "review/sample_conversion.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace voice::review {
namespace {

// Clamped before the conversion, which is undefined out of range; NaN is silence. Adding
// the offset and a half makes the value positive, so truncation rounds it.
template <typename Out, int kScale> Out FromFloat(float x) {
    float v = x == x ? x * float{kScale} + (float{kScale} + 0.5f) : float{kScale} + 0.5f;
    v = v > 0.0f ? v : 0.0f;
    v = v < float{2 * kScale - 1} ? v : float{2 * kScale - 1};
    return static_cast<Out>(static_cast<std::int32_t>(v) - (sizeof(Out) == 1 ? 0 : kScale));
}

#if defined(__SSE2__)
// Four samples as FromFloat makes them, before narrowing: 0 .. 2 * scale - 1.
inline __m128i Offset4(const float* from, __m128 scale, __m128 offset, __m128 top) {
    __m128 x = _mm_loadu_ps(from);
    x = _mm_and_ps(x, _mm_cmpord_ps(x, x)); // NaN -> 0, which becomes the offset
    __m128 v = _mm_add_ps(_mm_mul_ps(x, scale), offset);
    v = _mm_min_ps(_mm_max_ps(v, _mm_setzero_ps()), top);
    return _mm_cvttps_epi32(v);
}
#endif

} // namespace

void FloatsFromU8(const std::uint8_t* from, std::size_t count, float* into) noexcept {
    std::size_t i = 0;
#if defined(__SSE2__)
    // A byte b in the low mantissa bits of 65536.0f makes 65536 + b / 128 (the spacing of
    // floats there is 1/128); less 65537 that is (b - 128) / 128, exactly as below.
    const __m128i zero = _mm_setzero_si128(), magic = _mm_set1_epi32(0x47800000);
    const __m128 bias = _mm_set1_ps(65537.0f);
    for (; i + 16 <= count; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
        const __m128i words[2] = {_mm_unpacklo_epi8(bytes, zero), _mm_unpackhi_epi8(bytes, zero)};
        for (int w = 0; w < 2; ++w) {
            const __m128i low = _mm_or_si128(_mm_unpacklo_epi16(words[w], zero), magic);
            const __m128i high = _mm_or_si128(_mm_unpackhi_epi16(words[w], zero), magic);
            _mm_storeu_ps(into + i + 8 * w, _mm_sub_ps(_mm_castsi128_ps(low), bias));
            _mm_storeu_ps(into + i + 8 * w + 4, _mm_sub_ps(_mm_castsi128_ps(high), bias));
        }
    }
#endif
    for (; i < count; ++i) {
        into[i] = static_cast<float>(static_cast<int>(from[i]) - 128) * (1.0f / 128.0f);
    }
}

std::vector<float> SamplesFromU8(std::span<const std::uint8_t> samples) {
    std::vector<float> out(samples.size());
    FloatsFromU8(samples.data(), samples.size(), out.data());
    return out;
}

std::vector<float> SamplesFromS16(std::span<const std::int16_t> samples) {
    std::vector<float> out(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        out[i] = static_cast<float>(samples[i]) * (1.0f / 32768.0f);
    }
    return out;
}

void ToS16(std::span<const float> in, std::span<std::int16_t> out) {
    const float* from = in.data();
    std::int16_t* into = out.data();
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128 scale = _mm_set1_ps(32768.0f), offset = _mm_set1_ps(32768.5f),
                 top = _mm_set1_ps(65535.0f);
    const __m128i half = _mm_set1_epi32(32768);
    for (; i + 8 <= in.size(); i += 8) {
        // Back to -32768 .. 32767 before packing, which saturates nothing then.
        const __m128i a = _mm_sub_epi32(Offset4(from + i, scale, offset, top), half);
        const __m128i b = _mm_sub_epi32(Offset4(from + i + 4, scale, offset, top), half);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(into + i), _mm_packs_epi32(a, b));
    }
#endif
    for (; i < in.size(); ++i) {
        into[i] = FromFloat<std::int16_t, 32768>(from[i]);
    }
}

void ToU8(std::span<const float> in, std::span<std::uint8_t> out) {
    const float* from = in.data();
    std::uint8_t* into = out.data();
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128 scale = _mm_set1_ps(128.0f), offset = _mm_set1_ps(128.5f),
                 top = _mm_set1_ps(255.0f);
    for (; i + 16 <= in.size(); i += 16) {
        const __m128i a = _mm_packs_epi32(Offset4(from + i, scale, offset, top),
                                          Offset4(from + i + 4, scale, offset, top));
        const __m128i b = _mm_packs_epi32(Offset4(from + i + 8, scale, offset, top),
                                          Offset4(from + i + 12, scale, offset, top));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(into + i), _mm_packus_epi16(a, b));
    }
#endif
    for (; i < in.size(); ++i) {
        into[i] = FromFloat<std::uint8_t, 128>(from[i]);
    }
}

std::vector<std::int16_t> ToS16(std::span<const float> samples) {
    std::vector<std::int16_t> out(samples.size());
    ToS16(samples, out);
    return out;
}

std::vector<std::uint8_t> ToU8(std::span<const float> samples) {
    std::vector<std::uint8_t> out(samples.size());
    ToU8(samples, out);
    return out;
}

} // namespace voice::review
