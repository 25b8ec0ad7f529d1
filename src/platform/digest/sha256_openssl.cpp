#include "platform/digest/sha256.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace voice {

struct Sha256::State {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    ~State() { EVP_MD_CTX_free(context); }
    void Begin() {
        if (!context || EVP_DigestInit_ex(context, EVP_sha256(), nullptr) != 1)
            throw std::runtime_error("SHA-256 unavailable");
    }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    state_->Begin();
}

Sha256::~Sha256() = default;

void Sha256::Update(std::span<const std::uint8_t> bytes) {
    if (EVP_DigestUpdate(state_->context, bytes.data(), bytes.size()) != 1)
        throw std::runtime_error("SHA-256 failed");
}

Sha256Digest Sha256::Finish() {
    Sha256Digest digest{};
    unsigned size = 0;
    const bool done = EVP_DigestFinal_ex(state_->context, digest.data(), &size) == 1;
    state_->Begin();
    if (!done)
        throw std::runtime_error("SHA-256 failed");
    return digest;
}

} // namespace voice
