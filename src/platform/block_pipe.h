#pragma once
// Bytes handed from the caller's thread to a thread of the pipe's own, through a few
// fixed blocks consumed there in order: the caller goes on while the consumer works, and
// memory stays fixed whatever the length. Under the background hash and the incident's
// file writer. Portable: no <windows.h>.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <thread>
#include <vector>

#include "platform/light_sync.h"

namespace voice {

class BlockPipe {
public:
    // Runs on the pipe's thread, one block at a time. Once it has thrown, the blocks after
    // are dropped until Drain says so.
    using Consumer = std::function<void(std::span<const std::uint8_t>)>;

    BlockPipe(std::size_t blockSize, std::size_t blocks, Consumer consume);
    // Stops: blocks still queued are dropped.
    ~BlockPipe();
    BlockPipe(const BlockPipe&) = delete;
    BlockPipe& operator=(const BlockPipe&) = delete;

    // Copies the bytes; waits only while every block is still queued.
    void Update(std::span<const std::uint8_t> bytes);
    // The free part of the block being filled, taking the next block when none is (and
    // waiting only while every block is still queued): bytes written there in place, then
    // handed over by Commit, cost the caller no copy. Never empty.
    std::span<std::uint8_t> Room();
    // The first bytes of Room written; a full block goes to the consumer.
    void Commit(std::size_t bytes);
    // Waits until everything handed over has been consumed; false when the consumer threw
    // since the last Drain.
    bool Drain();
    // Forgets the block being filled (what was queued is still consumed).
    void DropFilling() noexcept;
    // Queues the block being filled, if it holds anything, without waiting for it.
    void Flush();

private:
    struct Block {
        std::vector<std::uint8_t> bytes;
        std::size_t size = 0;
    };

    void Run();

    Consumer consume_;
    std::size_t blockSize_;
    bool failed_ = false; // touched by the worker only while blocks are queued
    std::vector<Block> blocks_;
    LightMutex mutex_;
    LightCondition queued_;   // to the worker: a block or the stop
    LightCondition released_; // to the caller: a block consumed
    std::size_t first_ = 0;   // the oldest queued block
    std::size_t count_ = 0;   // blocks queued, including one being consumed
    std::size_t filling_;     // the block the caller fills; blocks_.size(): none
    bool stop_ = false;
    std::thread worker_; // last: starts once everything above exists
};

} // namespace voice
