#pragma once
// SHA-256 on a thread of its own, so that hashing a file overlaps reading and writing it.
// The bytes handed over are copied into a few fixed blocks and hashed there in order:
// memory stays fixed whatever the length. The hash is the processor's (CpuSha256) where it
// has SHA instructions, else the system's (Sha256).
// Portable: no <windows.h>.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "platform/block_pipe.h"
#include "platform/digest/sha256.h"

namespace voice {

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

    // Copies the bytes; waits only while every block is still waiting to be hashed.
    void Update(std::span<const std::uint8_t> bytes) { pipe_.Update(bytes); }
    // Starts hashing what was handed over, a part block included, without waiting: a
    // Finish later then finds it done.
    void Flush() { pipe_.Flush(); }
    // Waits for everything handed over and returns its digest, nullopt when hashing
    // failed; the hash starts afresh.
    std::optional<Sha256Digest> Finish();
    // Drops whatever was handed over since the last Finish; the hash starts afresh.
    void Reset();

private:
    std::unique_ptr<DigestFunction> function_; // null: the system's could not be had
    BlockPipe pipe_;                           // last: its thread uses function_
};

} // namespace voice
