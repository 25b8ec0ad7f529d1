#pragma once
// The incident played from any moment on, a part at a time: each part continues the one
// before it exactly (the limiter's state carried), ends at the quietest moment near its
// nominal length, and is made only from the recordings it reaches, placed as they become
// known, so the first part sounds before the last source is looked at. Muted lanes are
// left out, and the listening aids apply: each recording levelled on its own before the
// mix, pauses cut where every recording sounding pauses, everything at the chosen speed.
// Portable.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "incident/mix.h"
#include "incident/output_axis.h"
#include "review/review_pipeline.h"

namespace voice::incident {

struct PlacedItem {
    std::size_t id = 0; // as ItemOpener knows it
    MixItem item;
};

// The items of an incident in order of their place, as they become known.
class ItemFeed : public ItemOpener {
public:
    // The k-th item by place, waiting until it is placed; nullopt past the last.
    virtual std::optional<PlacedItem> Placed(std::size_t k) = 0;
    // The incident's length in frames, once every item is placed.
    virtual std::int64_t Frames() = 0;
};

struct StreamChoices {
    std::vector<bool> lanesHeard; // per lane; a lane not in it sounds
    review::ReviewOptions aids;
};

struct StreamPart {
    std::vector<std::int16_t> pcm; // interleaved frames
    // Incident seconds against the part's own seconds.
    std::vector<review::ProcessedTimeline::Corner> clock;
    double from = 0, to = 0; // incident seconds the part begins and ends at
    bool last = false;
};

class IncidentStream {
public:
    // from: the incident frame playback starts at.
    IncidentStream(ItemFeed& feed, const LaneGains& gains, int rate, std::int64_t from,
                   StreamChoices choices);
    ~IncidentStream();
    IncidentStream(const IncidentStream&) = delete;
    IncidentStream& operator=(const IncidentStream&) = delete;

    // The next part: nominal frames of output, give or take slack, ending where the mix is
    // quietest there.
    StreamPart Next(std::int64_t nominal, std::int64_t slack);
    // The incident second the next part begins at.
    double At() const;

private:
    struct Analysed {
        std::vector<float> samples; // the recording's first skip + frames, until processed
        review::RecordingAnalysis analysis;
    };
    class Opener;

    std::optional<PlacedItem> Known(std::size_t k);
    bool Wanted(const PlacedItem& p) const;
    // Items whose output begins before limit go to the mixer.
    void AddUpTo(double limit);
    void Prepare(const PlacedItem& p, MixItem& out);
    Analysed& Analysis(const PlacedItem& p);
    std::vector<float> ReadWhole(const PlacedItem& p);
    void Pump(std::int64_t frames);
    std::int64_t QuietBoundary(std::int64_t nominal, std::int64_t slack) const;

    ItemFeed& feed_;
    int rate_;
    std::size_t outputs_;
    std::int64_t from_;
    StreamChoices choices_;
    bool aids_;
    OutputAxis axis_;
    std::unique_ptr<Opener> opener_;
    std::unique_ptr<BlockMixer> mixer_;
    std::vector<PlacedItem> known_;
    bool feedDone_ = false;
    std::size_t next_ = 0; // of known_: the next to go to the mixer
    std::map<std::size_t, Analysed> analysed_;
    std::map<std::size_t, std::vector<float>> processed_;
    std::optional<std::int64_t> end_; // the output's length, once every item is in the mixer
    bool finished_ = false;
    std::vector<float> ready_; // limited output from frame readyFrom_ on
    std::int64_t readyFrom_ = 0;
};

} // namespace voice::incident
