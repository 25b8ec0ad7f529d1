#include "incident/incident_stream.h"

#include <algorithm>
#include <cmath>

#include "review/loudness.h"
#include "review/pause_shortener.h"
#include "review/time_stretch.h"

namespace voice::incident {
namespace {

// A shared pause shorter than this is not worth a cut and its fades.
constexpr double kLeastCutSeconds = 0.1;
// The level that picks a part's boundary is judged over this much.
constexpr double kQuietWindowSeconds = 0.01;

} // namespace

// Processed recordings from memory, the rest from their sources.
class IncidentStream::Opener final : public ItemOpener {
public:
    Opener(ItemFeed& feed, std::map<std::size_t, std::vector<float>>& processed)
        : feed_(feed), processed_(processed) {}
    std::unique_ptr<SampleSource> Open(std::size_t item) override {
        const auto held = processed_.find(item);
        if (held == processed_.end())
            return feed_.Open(item);
        auto source = std::make_unique<HeldSource>(std::move(held->second));
        processed_.erase(held);
        return source;
    }
    void Closed(std::size_t item, bool whole) override { feed_.Closed(item, whole); }

private:
    ItemFeed& feed_;
    std::map<std::size_t, std::vector<float>>& processed_;
};

IncidentStream::IncidentStream(ItemFeed& feed, const LaneGains& gains, int rate,
                               std::int64_t from, StreamChoices choices)
    : feed_(feed), rate_(rate), outputs_(static_cast<std::size_t>(gains.outputs)),
      from_(from), choices_(std::move(choices)), aids_(!choices_.aids.IsDefault()),
      axis_(from, review::UsableSpeed(choices_.aids.speed)),
      opener_(std::make_unique<Opener>(feed, processed_)),
      mixer_(std::make_unique<BlockMixer>(gains, rate, *opener_)) {}

IncidentStream::~IncidentStream() = default;

std::optional<PlacedItem> IncidentStream::Known(std::size_t k) {
    while (known_.size() <= k && !feedDone_) {
        if (auto placed = feed_.Placed(known_.size()))
            known_.push_back(*placed);
        else
            feedDone_ = true;
    }
    return k < known_.size() ? std::optional(known_[k]) : std::nullopt;
}

bool IncidentStream::Wanted(const PlacedItem& p) const {
    const std::size_t lane = p.item.lane;
    const bool heard = lane >= choices_.lanesHeard.size() || choices_.lanesHeard[lane];
    return heard && p.item.place.frames > 0 && p.item.place.at + p.item.place.frames > from_;
}

void IncidentStream::AddUpTo(double limit) {
    while (!end_) {
        const std::optional<PlacedItem> next = Known(next_);
        if (!next) {
            const std::int64_t frames = feed_.Frames();
            end_ = aids_ ? std::llround(axis_.Out(frames)) : frames - from_;
            return;
        }
        if (!Wanted(*next)) {
            ++next_;
            continue;
        }
        // Where it begins: from the moment playback started, for one sounding then.
        MixItem item = next->item;
        const std::int64_t late = std::max<std::int64_t>(from_ - item.place.at, 0);
        item.place.at += late;
        item.place.skip += late;
        item.place.frames -= late;
        const double at = aids_ ? axis_.Out(item.place.at) : double(item.place.at - from_);
        if (at >= limit)
            return;
        if (aids_)
            Prepare(*next, item);
        else
            item.place.at -= from_;
        mixer_->Add(next->id, item);
        ++next_;
    }
}

std::vector<float> IncidentStream::ReadWhole(const PlacedItem& p) {
    std::vector<float> samples(static_cast<std::size_t>(p.item.place.skip + p.item.place.frames));
    std::size_t got = 0;
    if (const std::unique_ptr<SampleSource> source = feed_.Open(p.id))
        while (got < samples.size()) {
            const std::size_t n = source->Read(std::span(samples).subspan(got));
            if (n == 0)
                break;
            got += n;
        }
    feed_.Closed(p.id, got == samples.size());
    samples.resize(got);
    return samples;
}

IncidentStream::Analysed& IncidentStream::Analysis(const PlacedItem& p) {
    const auto found = analysed_.find(p.id);
    if (found != analysed_.end())
        return found->second;
    Analysed a;
    a.samples = ReadWhole(p);
    a.analysis = review::AnalyseRecording(a.samples, rate_);
    return analysed_.emplace(p.id, std::move(a)).first->second;
}

void IncidentStream::Prepare(const PlacedItem& p, MixItem& out) {
    const review::ReviewOptions& aids = choices_.aids;
    const Placement& place = out.place; // clipped to the stream's start
    const FrameSpan span{place.at, place.at + place.frames};
    if (aids.shortenPauses) {
        // Every recording heard beside it, with its own pauses on the incident's frames.
        std::vector<PausedRecording> beside;
        for (std::size_t k = 0;; ++k) {
            const std::optional<PlacedItem> q = Known(k);
            if (!q || q->item.place.at >= span.end)
                break;
            const Placement& qp = q->item.place;
            if (!Wanted(*q) || qp.at + qp.frames <= span.begin)
                continue;
            PausedRecording r{{qp.at, qp.at + qp.frames}, {}};
            for (const review::PauseCut& c : Analysis(*q).analysis.cuts) {
                const std::int64_t b = qp.at + static_cast<std::int64_t>(c.begin) - qp.skip;
                const std::int64_t e = qp.at + static_cast<std::int64_t>(c.end) - qp.skip;
                if (e > r.span.begin && b < r.span.end)
                    r.cuts.push_back({std::max(b, r.span.begin), std::min(e, r.span.end)});
            }
            beside.push_back(std::move(r));
        }
        axis_.AddCuts(SharedCuts(beside, span,
                                 static_cast<std::int64_t>(kLeastCutSeconds * rate_)));
    }
    const bool judged = aids.shortenPauses || aids.evenLoudness;
    std::vector<float> whole = judged ? std::move(Analysis(p).samples) : ReadWhole(p);
    const auto first = static_cast<std::size_t>(place.skip);
    std::vector<float> rest(whole.begin() + static_cast<std::ptrdiff_t>(std::min(first, whole.size())),
                            whole.end());
    whole = {};
    if (aids.evenLoudness)
        review::ApplyLevel(analysed_.at(p.id).analysis.level, rest, first, rest);
    if (aids.shortenPauses) {
        std::vector<review::PauseCut> cuts;
        for (const FrameSpan& c : axis_.CutsWithin(span))
            if (c.end - place.at <= static_cast<std::int64_t>(rest.size()))
                cuts.push_back({static_cast<std::size_t>(c.begin - place.at),
                                static_cast<std::size_t>(c.end - place.at)});
        if (!cuts.empty())
            rest = review::RemoveCuts(rest, cuts, rate_);
    }
    if (review::UsableSpeed(aids.speed) != 1.0)
        rest = review::TimeStretch(rest, rate_, aids.speed);
    out.place = {std::llround(axis_.Out(span.begin)), 0, static_cast<std::int64_t>(rest.size())};
    processed_[p.id] = std::move(rest);
}

void IncidentStream::Pump(std::int64_t frames) {
    const std::int64_t block = std::max(rate_, 1);
    while (!finished_ &&
           readyFrom_ + static_cast<std::int64_t>(ready_.size() / outputs_) < frames) {
        const std::int64_t mixed = mixer_->Mixed();
        AddUpTo(static_cast<double>(mixed + block));
        const std::int64_t n = end_ ? std::min(block, *end_ - mixed) : block;
        if (n > 0) {
            mixer_->Mix(n, ready_);
            continue;
        }
        // The limiter's delay: the output ends where the mix did.
        mixer_->Finish(ready_);
        const auto total = static_cast<std::size_t>(std::max<std::int64_t>(*end_ - readyFrom_, 0));
        ready_.resize(std::min(ready_.size(), total * outputs_));
        finished_ = true;
    }
}

std::int64_t IncidentStream::QuietBoundary(std::int64_t nominal, std::int64_t slack) const {
    const auto window = std::max<std::int64_t>(1, std::llround(kQuietWindowSeconds * rate_));
    std::int64_t best = nominal;
    double least = -1;
    for (std::int64_t at = std::max<std::int64_t>(nominal - slack, 0);
         at + window <= nominal + slack; at += window) {
        double energy = 0;
        const auto from = static_cast<std::size_t>(at) * outputs_;
        for (std::size_t i = from; i < from + static_cast<std::size_t>(window) * outputs_; ++i)
            energy += static_cast<double>(ready_[i]) * ready_[i];
        if (least < 0 || energy < least) {
            least = energy;
            best = at + window / 2;
        }
    }
    return best;
}

StreamPart IncidentStream::Next(std::int64_t nominal, std::int64_t slack) {
    const std::int64_t o0 = readyFrom_;
    Pump(o0 + nominal + slack);
    const auto available = static_cast<std::int64_t>(ready_.size() / outputs_);
    StreamPart part;
    const std::int64_t frames =
        finished_ && available <= nominal + slack ? available : QuietBoundary(nominal, slack);
    const auto samples = static_cast<std::ptrdiff_t>(static_cast<std::size_t>(frames) * outputs_);
    Quantise(std::span(ready_).first(static_cast<std::size_t>(samples)), part.pcm);
    ready_.erase(ready_.begin(), ready_.begin() + samples);
    readyFrom_ += frames;
    part.clock = axis_.Corners(o0, readyFrom_, rate_);
    part.from = axis_.In(static_cast<double>(o0)) / rate_;
    part.to = At();
    part.last = finished_ && ready_.empty();
    return part;
}

double IncidentStream::At() const {
    return axis_.In(static_cast<double>(readyFrom_)) / rate_;
}

} // namespace voice::incident
