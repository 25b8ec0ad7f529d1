#include "platform/digest/sha256_cpu.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define VOICE_X86_SHA 1
#endif

namespace voice {
namespace {

#if VOICE_X86_SHA

alignas(16) constexpr std::uint32_t kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

// The blocks' rounds. The instructions keep the state as two halves, ABEF and CDGH,
// and take the message four words at a time with its schedule.
__attribute__((target("sha,sse4.1,ssse3"))) void
Compress(std::uint32_t* state, const std::uint8_t* data, std::size_t blocks) {
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i abcd =
        _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0xB1);
    __m128i cdgh =
        _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4)), 0x1B);
    __m128i abef = _mm_alignr_epi8(abcd, cdgh, 8);
    cdgh = _mm_blend_epi16(cdgh, abcd, 0xF0);
    for (; blocks > 0; --blocks, data += 64) {
        const __m128i abefBefore = abef, cdghBefore = cdgh;
        __m128i w[4]; // the last four groups of the schedule
#pragma GCC unroll 16
        for (int g = 0; g < 16; ++g) {
            __m128i m;
            if (g < 4) {
                m = _mm_shuffle_epi8(
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * g)), byteSwap);
            } else {
                // W[t-16] + s0(W[t-15]), + W[t-7], + s1(W[t-2]).
                m = _mm_sha256msg1_epu32(w[g & 3], w[(g + 1) & 3]);
                m = _mm_add_epi32(m, _mm_alignr_epi8(w[(g + 3) & 3], w[(g + 2) & 3], 4));
                m = _mm_sha256msg2_epu32(m, w[(g + 3) & 3]);
            }
            w[g & 3] = m;
            const __m128i k = _mm_add_epi32(
                m, _mm_load_si128(reinterpret_cast<const __m128i*>(kRoundConstants + 4 * g)));
            cdgh = _mm_sha256rnds2_epu32(cdgh, abef, k);
            abef = _mm_sha256rnds2_epu32(abef, cdgh, _mm_shuffle_epi32(k, 0x0E));
        }
        abef = _mm_add_epi32(abef, abefBefore);
        cdgh = _mm_add_epi32(cdgh, cdghBefore);
    }
    const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(feba, dchg, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(dchg, feba, 8));
}

#else

void Compress(std::uint32_t*, const std::uint8_t*, std::size_t) {}

#endif

} // namespace

bool CpuSha256::Available() noexcept {
#if VOICE_X86_SHA
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d))
        return false;
    const bool sse = (c & bit_SSE4_1) && (c & bit_SSSE3);
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d))
        return false;
    return sse && (b & (1u << 29)) != 0;
#else
    return false;
#endif
}

void CpuSha256::Update(std::span<const std::uint8_t> bytes) noexcept {
    if (bytes.empty())
        return;
    length_ += bytes.size();
    if (pendingSize_ > 0) {
        const std::size_t n = std::min(bytes.size(), pending_.size() - pendingSize_);
        std::memcpy(pending_.data() + pendingSize_, bytes.data(), n);
        pendingSize_ += n;
        bytes = bytes.subspan(n);
        if (pendingSize_ < pending_.size())
            return;
        Compress(state_.data(), pending_.data(), 1);
        pendingSize_ = 0;
    }
    const std::size_t blocks = bytes.size() / 64;
    Compress(state_.data(), bytes.data(), blocks);
    bytes = bytes.subspan(blocks * 64);
    if (!bytes.empty())
        std::memcpy(pending_.data(), bytes.data(), bytes.size());
    pendingSize_ = bytes.size();
}

Sha256Digest CpuSha256::Finish() noexcept {
    // The padding: a one bit, zeros, and the length in bits, big-endian, ending a block.
    const std::uint64_t bits = length_ * 8;
    std::uint8_t tail[128] = {0x80};
    const std::size_t padding = (pendingSize_ < 56 ? 56 : 120) - pendingSize_;
    for (int i = 0; i < 8; ++i)
        tail[padding + static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(bits >> (56 - 8 * i));
    Update(std::span(tail, padding + 8));
    Sha256Digest digest;
    for (std::size_t i = 0; i < 8; ++i)
        for (std::size_t k = 0; k < 4; ++k)
            digest[4 * i + k] = static_cast<std::uint8_t>(state_[i] >> (24 - 8 * k));
    state_ = kInitial;
    pendingSize_ = 0;
    length_ = 0;
    return digest;
}

} // namespace voice
