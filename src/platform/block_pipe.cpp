#include "platform/block_pipe.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace voice {

BlockPipe::BlockPipe(std::size_t blockSize, std::size_t blocks, Consumer consume)
    : consume_(std::move(consume)), blockSize_(std::max<std::size_t>(blockSize, 1)),
      blocks_(std::max<std::size_t>(blocks, 1)), filling_(blocks_.size()) {
    for (Block& block : blocks_)
        block.bytes.resize(blockSize_);
    worker_ = std::thread([this] { Run(); });
}

BlockPipe::~BlockPipe() {
    {
        std::lock_guard<LightMutex> lock(mutex_);
        stop_ = true;
    }
    queued_.notify_one();
    worker_.join();
}

void BlockPipe::Run() {
    std::unique_lock<LightMutex> lock(mutex_);
    for (;;) {
        queued_.wait(lock, [this] { return stop_ || count_ > 0; });
        if (stop_)
            return;
        Block& block = blocks_[first_];
        lock.unlock();
        if (!failed_) {
            try {
                consume_(std::span(block.bytes.data(), block.size));
            } catch (...) {
                failed_ = true;
            }
        }
        lock.lock();
        first_ = (first_ + 1) % blocks_.size();
        --count_;
        released_.notify_one();
    }
}

void BlockPipe::Update(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const std::span<std::uint8_t> room = Room();
        const std::size_t n = std::min(bytes.size(), room.size());
        std::memcpy(room.data(), bytes.data(), n);
        Commit(n);
        bytes = bytes.subspan(n);
    }
}

std::span<std::uint8_t> BlockPipe::Room() {
    if (filling_ == blocks_.size()) {
        std::unique_lock<LightMutex> lock(mutex_);
        released_.wait(lock, [this] { return count_ < blocks_.size(); });
        filling_ = (first_ + count_) % blocks_.size();
        blocks_[filling_].size = 0;
    }
    Block& block = blocks_[filling_];
    return std::span(block.bytes).subspan(block.size);
}

void BlockPipe::Commit(std::size_t bytes) {
    Block& block = blocks_[filling_];
    block.size += bytes;
    if (block.size == blockSize_)
        Flush();
}

void BlockPipe::Flush() {
    if (filling_ == blocks_.size())
        return;
    {
        std::lock_guard<LightMutex> lock(mutex_);
        ++count_;
    }
    filling_ = blocks_.size();
    queued_.notify_one();
}

bool BlockPipe::Drain() {
    Flush();
    std::unique_lock<LightMutex> lock(mutex_);
    released_.wait(lock, [this] { return count_ == 0; });
    return !std::exchange(failed_, false);
}

void BlockPipe::DropFilling() noexcept {
    filling_ = blocks_.size();
}

} // namespace voice
