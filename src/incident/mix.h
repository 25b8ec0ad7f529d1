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

class Limiter;

// Opens the sources as the mix reaches them.
class ItemOpener {
public:
    virtual ~ItemOpener() = default;
    // The item's samples at the output rate from its own first sample; null: silence.
    virtual std::unique_ptr<SampleSource> Open(std::size_t item) = 0;
    // The item has sounded; whole is false when its source gave fewer samples than placed.
    virtual void Closed(std::size_t item, bool whole) = 0;
};

// ... and takes the file's frames.
class MixClient : public ItemOpener {
public:
    // The next limited samples (frames interleaved), for Quantise or QuantiseLittleEndian.
    virtual void Write(std::span<const float> samples) = 0;
    // Asked before every block: false stops the mix.
    virtual bool Continue() { return true; }
};

// The mix a block at a time, the limiter's state carried from block to block, so a mix
// made in pieces is the mix made at once. Items come in order of their place and sound
// from the block that reaches them.
class BlockMixer {
public:
    BlockMixer(const LaneGains& gains, int rate, ItemOpener& opener);
    ~BlockMixer();
    BlockMixer(const BlockMixer&) = delete;
    BlockMixer& operator=(const BlockMixer&) = delete;

    void Add(std::size_t id, const MixItem& item);
    // count more frames mixed; the limited ones ready appended to out (interleaved; the
    // limiter's delay behind what was mixed).
    void Mix(std::int64_t count, std::vector<float>& out);
    // The frames the limiter still holds, as if silence followed.
    void Finish(std::vector<float>& out);
    std::int64_t Mixed() const noexcept { return position_; }

private:
    struct Sounding;
    const LaneGains& gains_;
    ItemOpener& opener_;
    std::int64_t block_;
    std::unique_ptr<Limiter> limiter_;
    std::vector<std::pair<std::size_t, MixItem>> waiting_; // added, not yet reached
    std::size_t next_ = 0;
    std::vector<Sounding> sounding_;
    std::vector<float> mix_, samples_;
    std::int64_t position_ = 0;
};

// 16-bit PCM of limited samples.
void Quantise(std::span<const float> in, std::vector<std::int16_t>& out);
// The same as a WAV file holds it (little-endian), written to out: 2 bytes a sample.
void QuantiseLittleEndian(std::span<const float> in, std::uint8_t* out);

// Mixes items (any order) into frames of output at rate; false when the client stopped it.
bool MixIncident(std::span<const MixItem> items, const LaneGains& gains, std::int64_t frames,
                 int rate, MixClient& client);

} // namespace voice::incident
