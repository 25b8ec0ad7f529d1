#include "export/background_sha256.h"

#include "export/sha256_cpu.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace voice::exporting {
namespace {

class SystemSha256 final : public DigestFunction {
public:
    void Update(std::span<const std::uint8_t> bytes) override { hash_.Update(bytes); }
    Sha256Digest Finish() override { return hash_.Finish(); }

private:
    Sha256 hash_;
};

class CpuDigest final : public DigestFunction {
public:
    void Update(std::span<const std::uint8_t> bytes) override { hash_.Update(bytes); }
    Sha256Digest Finish() override { return hash_.Finish(); }

private:
    CpuSha256 hash_;
};

// The processor's SHA instructions where it has them, else the system's hash.
std::unique_ptr<DigestFunction> SystemFunction() noexcept {
    try {
        if (CpuSha256::Available())
            return std::make_unique<CpuDigest>();
        return std::make_unique<SystemSha256>();
    } catch (...) {
        return nullptr;
    }
}

} // namespace

BackgroundSha256::BackgroundSha256(std::unique_ptr<DigestFunction> function)
    : function_(function ? std::move(function) : SystemFunction()) {
    for (Block& block : blocks_)
        block.bytes.resize(kBlockSize);
    worker_ = std::thread([this] { Run(); });
}

BackgroundSha256::~BackgroundSha256() {
    {
        std::lock_guard<LightMutex> lock(mutex_);
        stop_ = true;
    }
    queued_.notify_one();
    worker_.join();
}

void BackgroundSha256::Run() {
    std::unique_lock<LightMutex> lock(mutex_);
    for (;;) {
        queued_.wait(lock, [this] { return stop_ || count_ > 0; });
        if (stop_)
            return;
        Block& block = blocks_[first_];
        lock.unlock();
        if (function_ && !failed_) {
            try {
                function_->Update(std::span(block.bytes.data(), block.size));
            } catch (...) {
                failed_ = true;
            }
        }
        lock.lock();
        first_ = (first_ + 1) % kBlocks;
        --count_;
        released_.notify_one();
    }
}

void BackgroundSha256::Update(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        if (filling_ == kBlocks) {
            std::unique_lock<LightMutex> lock(mutex_);
            released_.wait(lock, [this] { return count_ < kBlocks; });
            filling_ = (first_ + count_) % kBlocks;
            blocks_[filling_].size = 0;
        }
        Block& block = blocks_[filling_];
        const std::size_t n = std::min(bytes.size(), kBlockSize - block.size);
        std::memcpy(block.bytes.data() + block.size, bytes.data(), n);
        block.size += n;
        bytes = bytes.subspan(n);
        if (block.size == kBlockSize)
            Submit();
    }
}

void BackgroundSha256::Submit() {
    if (filling_ == kBlocks)
        return;
    {
        std::lock_guard<LightMutex> lock(mutex_);
        ++count_;
    }
    filling_ = kBlocks;
    queued_.notify_one();
}

void BackgroundSha256::WaitIdle() {
    std::unique_lock<LightMutex> lock(mutex_);
    released_.wait(lock, [this] { return count_ == 0; });
}

std::optional<Sha256Digest> BackgroundSha256::Finish() {
    Submit();
    WaitIdle();
    const bool failed = std::exchange(failed_, false);
    try {
        if (function_) {
            const Sha256Digest digest = function_->Finish();
            if (!failed)
                return digest;
        }
    } catch (...) {
    }
    return std::nullopt;
}

void BackgroundSha256::Reset() {
    filling_ = kBlocks;
    Finish();
}

} // namespace voice::exporting
