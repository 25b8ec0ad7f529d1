#pragma once
// SHA-256 on a thread of its own, so that hashing a file overlaps reading and writing it.
// The bytes handed over are copied into a few fixed blocks and hashed there in order:
// memory stays fixed whatever the length. The hash is the processor's (CpuSha256) where it
// has SHA instructions, else the system's (Sha256).
// Portable: no <windows.h>.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <thread>
#include <vector>

#include "export/light_sync.h"
#include "export/sha256.h"

namespace voice::exporting {

// What the worker hashes with: SHA-256 in the program, a stand-in in tests.
// Either may throw; the worker catches it.
class DigestFunction {
public:
    virtual ~DigestFunction() = default;
    virtual void Update(std::span<const std::uint8_t> bytes) = 0;
    // The digest of everything since the last Finish; starts afresh.
    virtual Sha256Digest Finish() = 0;
};

// An exception from the hashing library never leaves this class (it would end the
// program from the worker thread): the digest in hand is lost, and Finish says so.
class BackgroundSha256 {
public:
    // Large blocks: few hand-overs between the threads, and BCrypt takes large updates
    // best. Three of them let the caller fill one while the hash works on another.
    static constexpr std::size_t kBlockSize = 262144;
    static constexpr std::size_t kBlocks = 3;

    // Null: SHA-256, the processor's or the system's.
    explicit BackgroundSha256(std::unique_ptr<DigestFunction> function = nullptr);
    ~BackgroundSha256();
    BackgroundSha256(const BackgroundSha256&) = delete;
    BackgroundSha256& operator=(const BackgroundSha256&) = delete;

    // Copies the bytes; waits only while every block is still waiting to be hashed.
    void Update(std::span<const std::uint8_t> bytes);
    // Waits for everything handed over and returns its digest, nullopt when hashing
    // failed; the hash starts afresh.
    std::optional<Sha256Digest> Finish();
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

    // Both touched by the worker only while blocks are queued.
    std::unique_ptr<DigestFunction> function_; // null: the system's could not be had
    bool failed_ = false;
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
