// The hand-over between the command's thread and the hash's or the writer's: every byte
// arrives once and in order in blocks no larger than asked, the caller runs ahead by at
// most the blocks there are, a failing consumer loses what follows until Drain says so,
// and stopping neither hangs nor consumes what was still queued.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <ostream>
#include <stdexcept>
#include <thread>

#include "platform/block_pipe.h"

namespace voice {
namespace {

using namespace std::chrono_literals;

// Byte i of everything handed over, so a block tells where it came from.
std::uint8_t ByteAt(std::size_t i) {
    return static_cast<std::uint8_t>(i * 7 % 251);
}

struct Block {
    std::size_t first, size; // where it begins among the bytes handed over
    bool operator==(const Block&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Block& b) {
    return out << "[" << b.first << ", +" << b.size << "]";
}

// What the consumer got, as runs of the bytes handed over; the call throwAt throws.
struct Consumed {
    std::mutex mutex;
    std::vector<Block> blocks;
    bool inOrder = true;
    int calls = 0, throwAt = -1;

    void Take(std::span<const std::uint8_t> bytes) {
        const std::lock_guard<std::mutex> lock(mutex);
        if (calls++ == throwAt)
            throw std::runtime_error("disk full");
        std::size_t first = 0; // found from the first byte's value and checked byte by byte
        while (first < 251 && ByteAt(first) != bytes[0])
            ++first;
        for (std::size_t i = 0; i < bytes.size(); ++i)
            inOrder = inOrder && bytes[i] == ByteAt(first + i);
        blocks.push_back({first, bytes.size()});
    }
};

enum class Op { Update, Write, Flush, Drop, DrainTrue, DrainFalse };
struct Step {
    Op op;
    std::size_t bytes = 0;
};

struct PipeCase {
    const char* name;
    std::size_t blockSize, blocks;
    int throwAt;
    std::vector<Step> steps;
    std::vector<Block> expected;
};

TEST(BlockPipe, EveryByteOnceInOrderInBlocksOfTheSize) {
    const PipeCase cases[] = {
        {"copied", 4, 2, -1, {{Op::Update, 10}, {Op::DrainTrue}}, {{0, 4}, {4, 4}, {8, 2}}},
        {"one block for many", 3, 1, -1, {{Op::Update, 10}, {Op::DrainTrue}},
         {{0, 3}, {3, 3}, {6, 3}, {9, 1}}},
        // Written in place: the room left in a block is only its free part.
        {"in place", 4, 2, -1, {{Op::Write, 3}, {Op::Write, 3}, {Op::DrainTrue}}, {{0, 4}, {4, 2}}},
        {"flushed part", 4, 2, -1, {{Op::Update, 3}, {Op::Flush}, {Op::Update, 3}, {Op::DrainTrue}},
         {{0, 3}, {3, 3}}},
        {"nothing to flush", 4, 2, -1, {{Op::Flush}, {Op::DrainTrue}, {Op::DrainTrue}}, {}},
        {"the filling block dropped", 4, 2, -1,
         {{Op::Update, 6}, {Op::Drop}, {Op::Update, 2}, {Op::DrainTrue}}, {{0, 4}, {6, 2}}},
        // The second block fails: the rest is lost until Drain says so, once.
        {"after a failure", 4, 2, 1,
         {{Op::Update, 16}, {Op::DrainFalse}, {Op::DrainTrue}, {Op::Update, 4}, {Op::DrainTrue}},
         {{0, 4}, {16, 4}}},
    };
    for (const PipeCase& c : cases) {
        Consumed consumed;
        consumed.throwAt = c.throwAt;
        BlockPipe pipe(c.blockSize, c.blocks,
                       [&](std::span<const std::uint8_t> bytes) { consumed.Take(bytes); });
        std::size_t given = 0;
        for (const Step& step : c.steps) {
            switch (step.op) {
            case Op::Update: {
                std::vector<std::uint8_t> bytes(step.bytes);
                for (std::uint8_t& b : bytes)
                    b = ByteAt(given++);
                pipe.Update(bytes);
                break;
            }
            case Op::Write:
                for (std::size_t left = step.bytes; left > 0;) {
                    const std::span<std::uint8_t> room = pipe.Room();
                    ASSERT_FALSE(room.empty()) << c.name;
                    const std::size_t n = std::min(left, room.size());
                    for (std::size_t i = 0; i < n; ++i)
                        room[i] = ByteAt(given++);
                    pipe.Commit(n);
                    left -= n;
                }
                break;
            case Op::Flush:
                pipe.Flush();
                break;
            case Op::Drop:
                pipe.DropFilling();
                break;
            case Op::DrainTrue:
            case Op::DrainFalse:
                EXPECT_EQ(pipe.Drain(), step.op == Op::DrainTrue) << c.name;
                break;
            }
        }
        EXPECT_EQ(consumed.blocks, c.expected) << c.name;
        EXPECT_TRUE(consumed.inOrder) << c.name;
    }
}

// A consumer held up at its first block.
class Gate {
public:
    void Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        entered_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
    }
    void Open() {
        const std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    bool Entered(std::chrono::milliseconds within) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, within, [this] { return entered_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool entered_ = false, open_ = false;
};

// Memory stays fixed: with every block queued behind a slow consumer the caller waits, and
// not before.
TEST(BlockPipe, TheCallerWaitsOnlyWhenEveryBlockIsQueued) {
    Gate gate;
    Consumed consumed;
    BlockPipe pipe(4, 2, [&](std::span<const std::uint8_t> bytes) {
        gate.Wait();
        consumed.Take(bytes);
    });
    std::vector<std::uint8_t> bytes(12);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = ByteAt(i);
    std::atomic<int> handed{0};
    std::thread caller([&] {
        pipe.Update(std::span(bytes).first(8)); // both blocks
        handed = 1;
        pipe.Update(std::span(bytes).subspan(8)); // a third: one must be consumed first
        handed = 2;
    });
    ASSERT_TRUE(gate.Entered(10s));
    for (int i = 0; i < 1000 && handed < 1; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(handed, 1);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(handed, 1); // still waiting for room
    gate.Open();
    caller.join();
    EXPECT_TRUE(pipe.Drain());
    EXPECT_EQ(consumed.blocks, (std::vector<Block>{{0, 4}, {4, 4}, {8, 4}}));
}

// Stopping waits for the block being consumed and drops the one still queued.
TEST(BlockPipe, StoppingDropsWhatIsQueued) {
    Gate gate;
    Consumed consumed;
    auto pipe = std::make_unique<BlockPipe>(4, 2, [&](std::span<const std::uint8_t> bytes) {
        gate.Wait();
        consumed.Take(bytes);
    });
    std::vector<std::uint8_t> bytes(8);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = ByteAt(i);
    pipe->Update(bytes);
    ASSERT_TRUE(gate.Entered(10s));
    std::atomic<bool> stopped{false};
    std::thread stopper([&] {
        pipe.reset();
        stopped = true;
    });
    std::this_thread::sleep_for(300ms); // the stop asked for while the first block is out
    EXPECT_FALSE(stopped);
    gate.Open();
    stopper.join();
    EXPECT_EQ(consumed.blocks, (std::vector<Block>{{0, 4}}));
    BlockPipe idle(4, 2, [](std::span<const std::uint8_t>) {}); // and an idle one just stops
}

} // namespace
} // namespace voice
