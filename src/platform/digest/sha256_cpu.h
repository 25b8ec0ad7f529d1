#pragma once
// SHA-256 on the processor's own SHA instructions, where it has them: several times the
// speed of the system's hash under Wine, which rounds in plain code. Callers ask
// Available() first and fall back on the system's Sha256. Portable.

#include <array>
#include <cstdint>
#include <span>

#include "platform/digest/sha256.h"

namespace voice {

class CpuSha256 {
public:
    // Whether this processor has the SHA instructions (and the SSE4.1 they come with).
    static bool Available() noexcept;

    void Update(std::span<const std::uint8_t> bytes) noexcept;
    // The digest of everything since the last Finish; starts afresh.
    Sha256Digest Finish() noexcept;

private:
    static constexpr std::array<std::uint32_t, 8> kInitial = {0x6a09e667, 0xbb67ae85, 0x3c6ef372,
                                                              0xa54ff53a, 0x510e527f, 0x9b05688c,
                                                              0x1f83d9ab, 0x5be0cd19};

    std::array<std::uint32_t, 8> state_ = kInitial;
    std::array<std::uint8_t, 64> pending_{}; // a block begun
    std::size_t pendingSize_ = 0;
    std::uint64_t length_ = 0; // bytes hashed since the last Finish
};

} // namespace voice
