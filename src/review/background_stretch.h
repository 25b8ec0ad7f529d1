#pragma once
// The stretch on a thread of its own, so that reading and decoding a recording overlap
// with stretching it: with two cores, writing the playback file at another speed costs
// little more than writing it at 1x. Portable: no <windows.h>.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "review/time_stretch.h"

namespace voice::review {

class BackgroundStretch {
public:
    // The sink is called on the stretch's thread, never after Finish returns or the
    // object is gone.
    BackgroundStretch(int sampleRate, double speed, StretchSink& sink);
    // Without Finish, stops at once: what was not through the sink is dropped.
    ~BackgroundStretch();
    BackgroundStretch(const BackgroundStretch&) = delete;
    BackgroundStretch& operator=(const BackgroundStretch&) = delete;

    // Copies the samples and returns; waits only while several pieces are still queued.
    void Push(std::span<const float> samples);
    void PushU8(std::span<const std::uint8_t> samples);
    // Waits until every sample is through the sink; rethrows what the sink threw.
    void Finish();

private:
    struct Piece {
        std::vector<float> samples;
        std::vector<std::uint8_t> bytes;
    };

    void Enqueue(Piece piece);
    void Run();

    StretchStream stream_;
    StretchSink& sink_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Piece> queue_;
    bool finishing_ = false;
    bool stopping_ = false;
    bool done_ = false;
    std::exception_ptr failure_;
    std::thread worker_; // last: starts once everything it uses exists
};

} // namespace voice::review
