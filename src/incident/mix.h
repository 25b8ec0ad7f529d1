#pragma once
// The incident's samples, one block of output at a time: each recording read from its
// source while it sounds, added in with its lane's gains, the sum limited under full scale
// and handed on as 16-bit frames. Only the recordings sounding in the block are open, so
// memory does not grow with the incident's length. Portable.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "incident/placement.h"
#include "incident/sample_source.h"

namespace voice::incident {

enum class Layout { Mono, Stereo, Tracks };

// The output's share of each lane: lanes are the channels present in channel order.
struct LaneGains {
    int outputs = 1;
    std::vector<std::vector<float>> gains; // [lane][output]
};
// Mono and stereo leave headroom for overlaps; stereo spreads the lanes from left to
// right with constant power; tracks give every lane an output of its own at full level.
LaneGains GainsFor(Layout layout, std::size_t lanes);

struct MixItem {
    std::size_t lane = 0;
    Placement place;
};

// Opens the sources as the mix reaches them, and takes the file's frames.
class MixClient {
public:
    virtual ~MixClient() = default;
    // The item's samples at the output rate from its own first sample; null: silence.
    virtual std::unique_ptr<SampleSource> Open(std::size_t item) = 0;
    // The item has sounded; whole is false when its source gave fewer samples than placed.
    virtual void Closed(std::size_t item, bool whole) = 0;
    virtual void Write(std::span<const std::int16_t> frames) = 0;
    // Asked before every block: false stops the mix.
    virtual bool Continue() { return true; }
};

// Mixes items (any order) into frames of output at rate; false when the client stopped it.
bool MixIncident(std::span<const MixItem> items, const LaneGains& gains, std::int64_t frames,
                 int rate, MixClient& client);

} // namespace voice::incident
