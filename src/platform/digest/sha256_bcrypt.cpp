#include "platform/digest/sha256.h"

#include <windows.h>

#include <bcrypt.h>

#include <stdexcept>

namespace voice {

struct Sha256::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    ~State() {
        if (hash)
            ::BCryptDestroyHash(hash);
        if (algorithm)
            ::BCryptCloseAlgorithmProvider(algorithm, 0);
    }
    void Begin() {
        if (hash)
            ::BCryptDestroyHash(hash);
        hash = nullptr;
        if (::BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) < 0)
            throw std::runtime_error("SHA-256 unavailable");
    }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    if (::BCryptOpenAlgorithmProvider(&state_->algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0)
        throw std::runtime_error("SHA-256 unavailable");
    state_->Begin();
}

Sha256::~Sha256() = default;

void Sha256::Update(std::span<const std::uint8_t> bytes) {
    // BCrypt takes at most 4 GB per call; the export hashes in blocks far below that.
    if (::BCryptHashData(state_->hash, const_cast<PUCHAR>(bytes.data()),
                         static_cast<ULONG>(bytes.size()), 0) < 0)
        throw std::runtime_error("SHA-256 failed");
}

Sha256Digest Sha256::Finish() {
    Sha256Digest digest{};
    const bool done =
        ::BCryptFinishHash(state_->hash, digest.data(), static_cast<ULONG>(digest.size()), 0) >= 0;
    state_->Begin();
    if (!done)
        throw std::runtime_error("SHA-256 failed");
    return digest;
}

} // namespace voice
