#include "review/background_stretch.h"

namespace voice::review {
namespace {

// Enough to keep the stretch busy while the reader waits on the disk, few enough that
// memory stays small.
constexpr std::size_t kMostQueued = 8;

} // namespace

BackgroundStretch::BackgroundStretch(int sampleRate, double speed, StretchSink& sink)
    : stream_(sampleRate, speed), sink_(sink), worker_([this] { Run(); }) {}

BackgroundStretch::~BackgroundStretch() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

void BackgroundStretch::Push(std::span<const float> samples) {
    Enqueue({{samples.begin(), samples.end()}, {}});
}

void BackgroundStretch::PushU8(std::span<const std::uint8_t> samples) {
    Enqueue({{}, {samples.begin(), samples.end()}});
}

void BackgroundStretch::Enqueue(Piece piece) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return queue_.size() < kMostQueued || stopping_ || done_; });
    if (stopping_ || done_) {
        return; // the sink failed: Finish reports it
    }
    queue_.push_back(std::move(piece));
    lock.unlock();
    changed_.notify_all();
}

void BackgroundStretch::Finish() {
    std::unique_lock lock(mutex_);
    finishing_ = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return done_; });
    if (failure_) {
        std::rethrow_exception(failure_);
    }
}

void BackgroundStretch::Run() {
    std::unique_lock lock(mutex_);
    try {
        for (;;) {
            changed_.wait(lock, [&] { return !queue_.empty() || finishing_ || stopping_; });
            if (stopping_) {
                break;
            }
            if (queue_.empty()) { // finishing, and everything pushed is through
                lock.unlock();
                stream_.Finish(sink_);
                lock.lock();
                break;
            }
            Piece piece = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            changed_.notify_all(); // room for the next piece
            if (piece.bytes.empty()) {
                stream_.Push(piece.samples, sink_);
            } else {
                stream_.PushU8(piece.bytes, sink_);
            }
            lock.lock();
        }
    } catch (...) {
        if (!lock.owns_lock()) {
            lock.lock();
        }
        failure_ = std::current_exception();
    }
    done_ = true;
    lock.unlock();
    changed_.notify_all();
}

} // namespace voice::review
