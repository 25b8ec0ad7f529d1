#pragma once
// The incident as the window plays it: the same placement and mix as the file written for
// keeps, made a part at a time from any moment on, with where each recording sounds in it,
// so the window can tell from the player's position which recording is heard and at what
// time of day. The sources come from a feed of their own (source_feed.h), which the stream
// of parts reads too. Portable.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "incident/incident_stream.h"
#include "incident/session/incident_plan.h"
#include "incident/session/source_feed.h"

namespace voice::incident {

class IncidentPlayback {
public:
    // Sources that cannot be read are left out.
    IncidentPlayback(const std::vector<std::wstring>& lines, const IncidentOptions& options);
    ~IncidentPlayback();
    IncidentPlayback(const IncidentPlayback&) = delete;
    IncidentPlayback& operator=(const IncidentPlayback&) = delete;

    // Nothing sounds (waits for the first recording that does).
    bool Empty() { return feed_.Empty(); }
    int Rate() { return feed_.Rate(); }
    int Outputs() { return feed_.Outputs(); }
    // The channels of the lanes, in order.
    std::vector<int> Channels() { return feed_.Channels(); }
    // The whole mix (s): exact once every source has been looked at, until then with the
    // lengths the lines give for those not yet looked at.
    double Seconds() { return feed_.Seconds(); }
    // Where each recording placed so far sounds, by start.
    const std::vector<IncidentPiece>& Pieces() const noexcept { return feed_.Pieces(); }

    // The part of the mix from second from on: the one after the last part when that ended
    // there and the choices are the same (seamless), else mixed afresh from there.
    StreamPart Part(double from, double nominal, double slack, const StreamChoices& choices);
    // Part(from, ...) would continue the last part.
    bool Continues(double from, const StreamChoices& choices) const;
    // All of it at once, as one part.
    std::vector<std::int16_t> Whole(const StreamChoices& choices);

private:
    SourceFeed feed_;
    std::unique_ptr<IncidentStream> stream_; // reads feed_: declared after it, gone before it
    StreamChoices streamChoices_;
};

// The recording that started last among those sounding at second at of the mix.
std::optional<std::size_t> SoundingAt(const std::vector<IncidentPiece>& pieces, double at);

} // namespace voice::incident
