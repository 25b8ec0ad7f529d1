#include "platform/digest/background_sha256.h"

#include "platform/digest/sha256_cpu.h"

#include <utility>

namespace voice {
namespace {

// Either hash behind the worker's interface.
template <typename Hash> class DigestOf final : public DigestFunction {
public:
    void Update(std::span<const std::uint8_t> bytes) override { hash_.Update(bytes); }
    Sha256Digest Finish() override { return hash_.Finish(); }

private:
    Hash hash_;
};

// The processor's SHA instructions where it has them, else the system's hash.
std::unique_ptr<DigestFunction> SystemFunction() noexcept {
    try {
        if (CpuSha256::Available())
            return std::make_unique<DigestOf<CpuSha256>>();
        return std::make_unique<DigestOf<Sha256>>();
    } catch (...) {
        return nullptr;
    }
}

} // namespace

BackgroundSha256::BackgroundSha256(std::unique_ptr<DigestFunction> function)
    : function_(function ? std::move(function) : SystemFunction()),
      pipe_(kBlockSize, kBlocks, [this](std::span<const std::uint8_t> bytes) {
          if (function_)
              function_->Update(bytes);
      }) {}

std::optional<Sha256Digest> BackgroundSha256::Finish() {
    const bool whole = pipe_.Drain();
    try {
        if (function_) {
            const Sha256Digest digest = function_->Finish();
            if (whole)
                return digest;
        }
    } catch (...) {
    }
    return std::nullopt;
}

void BackgroundSha256::Reset() {
    pipe_.DropFilling();
    Finish();
}

} // namespace voice
