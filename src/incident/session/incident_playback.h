#pragma once
// The incident as the window plays it: the same placement and mix as the file written for
// keeps, made a part at a time from any moment on, with where each recording sounds in it,
// so the window can tell from the player's position which recording is heard and at what
// time of day. The sources are looked at on a thread of their own, in the order they
// begin, and the parts wait only for the ones they reach: a long selection sounds at once.
// Portable.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "incident/incident_stream.h"
#include "incident/session/incident_plan.h"
#include "incident/session/incident_source.h"

namespace voice::incident {

struct IncidentPiece {
    std::size_t line = 0; // its place in the lines given
    double at = 0;        // where it starts in the mix (s)
    double seconds = 0;   // how long it sounds there
    double skipped = 0;   // cut from its beginning by a span (s)
    double whole = 0;     // the recording's whole length (s)
};

class IncidentPlayback final : private ItemFeed {
public:
    // Sources that cannot be read are left out.
    IncidentPlayback(const std::vector<std::wstring>& lines, const IncidentOptions& options);
    ~IncidentPlayback() override;
    IncidentPlayback(const IncidentPlayback&) = delete;
    IncidentPlayback& operator=(const IncidentPlayback&) = delete;

    // Nothing sounds (waits for the first recording that does).
    bool Empty();
    int Rate();
    int Outputs();
    // The channels of the lanes, in order.
    std::vector<int> Channels();
    // The whole mix (s): exact once every source has been looked at, until then with the
    // lengths the lines give for those not yet looked at.
    double Seconds();
    // Where each recording placed so far sounds, by start.
    const std::vector<IncidentPiece>& Pieces() const noexcept { return pieces_; }

    // The part of the mix from second from on: the one after the last part when that ended
    // there and the choices are the same (seamless), else mixed afresh from there.
    StreamPart Part(double from, double nominal, double slack, const StreamChoices& choices);
    // Part(from, ...) would continue the last part.
    bool Continues(double from, const StreamChoices& choices) const;
    // All of it at once, as one part.
    std::vector<std::int16_t> Whole(const StreamChoices& choices);

private:
    struct Looked {
        IncidentSource source;
        bool done = false, failed = false;
    };

    void LookAtSources();
    void WaitForRate();
    std::optional<PlacedItem> Placed(std::size_t k) override;
    std::int64_t Frames() override;
    std::unique_ptr<SampleSource> Open(std::size_t item) override;
    void Closed(std::size_t, bool) override {}

    IncidentOptions options_;
    std::vector<Looked> looked_; // by where they begin
    std::mutex lock_;
    std::condition_variable changed_;
    std::size_t counted_ = 0; // looked_[0, counted_) are done
    bool ratesKnown_ = false, stop_ = false;
    std::thread worker_;

    std::optional<IncidentFrame> frame_;
    std::optional<Placer> placer_;
    std::size_t placing_ = 0; // of looked_: the next to place
    std::vector<PlacedItem> placed_;
    std::vector<IncidentPiece> pieces_;

    std::unique_ptr<IncidentStream> stream_;
    StreamChoices streamChoices_;
};

// The recording that started last among those sounding at second at of the mix.
std::optional<std::size_t> SoundingAt(const std::vector<IncidentPiece>& pieces, double at);

} // namespace voice::incident
