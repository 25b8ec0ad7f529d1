#pragma once
// SHA-256 on a thread of its own, so that hashing a file overlaps reading and writing it.
// The bytes handed over are copied into a few fixed blocks and hashed there in order:
// memory stays fixed whatever the length, and the hash is the system's as in Sha256.
// Portable: no <windows.h>.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <thread>
#include <vector>

#include "export/light_sync.h"
#include "export/sha256.h"

namespace voice::exporting {

class BackgroundSha256 {
public:
    // Large blocks: few hand-overs between the threads, and BCrypt takes large updates
    // best. Three of them let the caller fill one while the hash works on another.
    static constexpr std::size_t kBlockSize = 262144;
    static constexpr std::size_t kBlocks = 3;

    BackgroundSha256();
    ~BackgroundSha256();
    BackgroundSha256(const BackgroundSha256&) = delete;
    BackgroundSha256& operator=(const BackgroundSha256&) = delete;

    // Copies the bytes; waits only while every block is still waiting to be hashed.
    void Update(std::span<const std::uint8_t> bytes);
    // Waits for everything handed over and returns its digest; the hash starts afresh.
    Sha256Digest Finish();
    // Drops whatever was handed over since the last Finish; the hash starts afresh.
    void Reset();

private:
    struct Block {
        std::vector<std::uint8_t> bytes;
        std::size_t size = 0;
    };

    void Run();
    // Queues the block being filled, if it holds anything.
    void Submit();
    // Waits until the worker has hashed every queued block.
    void WaitIdle();

    Sha256 hash_; // touched by the worker only while blocks are queued
    std::array<Block, kBlocks> blocks_;
    LightMutex mutex_;
    LightCondition queued_;         // to the worker: a block or the stop
    LightCondition released_;       // to the caller: a block hashed
    std::size_t first_ = 0;         // the oldest queued block
    std::size_t count_ = 0;         // blocks queued, including one being hashed
    std::size_t filling_ = kBlocks; // the block the caller fills; kBlocks: none
    bool stop_ = false;
    std::thread worker_; // last: starts once everything above exists
};

} // namespace voice::exporting
