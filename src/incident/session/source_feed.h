#pragma once
// The sources of an incident played from list lines, as the stream takes them: looked at on
// a thread of the feed's own in the order they begin (first every rate, quickly; then the
// run-coded forms decoded to count their frames), placed one by one as the stream reaches
// them, and opened at the output rate when it mixes them. A part waits only for the sources
// it reaches, so a long selection sounds at once. The playback asks the same feed for the
// rate, the lanes, the length and where each placed recording sounds. Portable.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "incident/incident_stream.h"
#include "incident/placement.h"
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

class SourceFeed final : public ItemFeed {
public:
    // Starts looking at the sources; those that cannot be read are left out.
    SourceFeed(const std::vector<std::wstring>& lines, const IncidentOptions& options);
    // Stops looking (a source being looked at is finished first).
    ~SourceFeed() override;
    SourceFeed(const SourceFeed&) = delete;
    SourceFeed& operator=(const SourceFeed&) = delete;

    // The output's rate, lanes and gains: wait until every source's rate is known. A rate of
    // 0: nothing can be read. The gains stay while the feed does (a mixer holds them).
    int Rate();
    int Outputs();
    const LaneGains& Gains();
    // The channels of the lanes, in order.
    std::vector<int> Channels();
    // Nothing sounds (waits for the first recording that does).
    bool Empty();
    // The whole mix (s): exact once every source has been placed, until then with the
    // lengths the lines give for those not yet looked at.
    double Seconds();
    // Where each recording placed so far sounds, by start.
    const std::vector<IncidentPiece>& Pieces() const noexcept { return pieces_; }

    // The k-th source by place, waiting until it is looked at; the incident's length once
    // every one is placed; a source's samples at the output rate (null when it no longer
    // reads as it did when looked at).
    std::optional<PlacedItem> Placed(std::size_t k) override;
    std::int64_t Frames() override;
    std::unique_ptr<SampleSource> Open(std::size_t item) override;
    void Closed(std::size_t, bool) override {}

private:
    struct Looked {
        IncidentSource source;
        bool done = false, failed = false;
    };

    void LookAtSources();
    void WaitForRate();

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
};

} // namespace voice::incident
