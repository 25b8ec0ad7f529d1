#pragma once
// SHA-256 from the system: BCrypt on Windows, libcrypto elsewhere. A failure of either
// throws std::runtime_error.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace voice {

using Sha256Digest = std::array<std::uint8_t, 32>;

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Update(std::span<const std::uint8_t> bytes);
    // The digest of everything given since construction or the last Finish; the hash
    // starts afresh.
    Sha256Digest Finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// 64 lower-case hexadecimal digits.
std::wstring HexDigest(const Sha256Digest& digest);

} // namespace voice
