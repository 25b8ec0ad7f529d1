#include "incident/session/source_feed.h"

#include <algorithm>

#include "conversion/playback_stream.h"
#include "conversion/wav/source_recording.h"
#include "incident/resampler.h"
#include "platform/safe_file.h"

namespace voice::incident {
namespace {

// A recording's samples at the output rate, for listening: not hashed.
class ListenedSamples final : public SampleSource {
public:
    ListenedSamples(const IncidentSource& source)
        : recording_(PathFromWide(source.columns.source)) {
        if (recording_.IsOpen() && recording_.Length() == source.length)
            stream_.emplace(recording_);
    }
    bool Matches(const IncidentSource& source) const {
        return stream_ && stream_->SampleRate() == source.rate;
    }
    std::size_t Read(std::span<float> into) override {
        const std::size_t n = stream_->Read(into);
        return recording_.Failed() ? 0 : n;
    }

private:
    SourceRecording recording_;
    std::optional<PlaybackStream> stream_;
};

} // namespace

SourceFeed::SourceFeed(const std::vector<std::wstring>& lines, const IncidentOptions& options)
    : options_(options) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Looked looked;
        looked.source.index = i;
        looked.source.columns = ReadLineColumns(lines[i]); // the one place the lines are read
        looked_.push_back(std::move(looked));
    }
    // The order the placement takes them in: where each begins within the span.
    const auto span = SpanInstants(options);
    const auto begin = [&](const Looked& l) {
        const std::int64_t start = l.source.columns.startInstant;
        return span ? std::max(start, span->first) : start;
    };
    std::stable_sort(looked_.begin(), looked_.end(),
                     [&](const Looked& a, const Looked& b) { return begin(a) < begin(b); });
    if (!looked_.empty())
        worker_ = std::thread([this] { LookAtSources(); });
}

SourceFeed::~SourceFeed() {
    {
        std::lock_guard hold(lock_);
        stop_ = true;
    }
    if (worker_.joinable())
        worker_.join();
}

void SourceFeed::LookAtSources() {
    // First every source's form and rate (the output's rate is the highest), quickly; then
    // the run-coded ones decoded to count their frames, in the order they are placed.
    for (bool counting : {false, true})
        for (std::size_t i = 0; i < looked_.size(); ++i) {
            Looked& l = looked_[i];
            {
                std::lock_guard hold(lock_);
                if (stop_)
                    return;
            }
            IncidentSource source = l.source;
            bool failed = l.failed;
            if (!failed && (!counting || !source.counted))
                failed = LookAtIncidentSource(source, counting) != nullptr;
            std::lock_guard hold(lock_);
            l.source = std::move(source);
            l.failed = failed;
            if (counting) {
                l.done = true;
                counted_ = i + 1;
            }
            if (!counting && i + 1 == looked_.size())
                ratesKnown_ = true;
            changed_.notify_all();
        }
}

void SourceFeed::WaitForRate() {
    if (frame_ || looked_.empty())
        return;
    std::vector<int> rates;
    std::vector<const LineColumns*> columns;
    {
        std::unique_lock hold(lock_);
        changed_.wait(hold, [&] { return ratesKnown_; });
        for (const Looked& l : looked_) {
            columns.push_back(&l.source.columns);
            if (!l.failed)
                rates.push_back(l.source.rate);
        }
    }
    frame_ = FrameIncident(columns, OutputRate(rates), options_);
    placer_.emplace(frame_->maxGap, frame_->span);
}

std::optional<PlacedItem> SourceFeed::Placed(std::size_t k) {
    WaitForRate();
    if (!frame_ || frame_->rate == 0)
        return std::nullopt;
    while (placed_.size() <= k && placing_ < looked_.size()) {
        const std::size_t i = placing_++;
        {
            std::unique_lock hold(lock_);
            changed_.wait(hold, [&] { return counted_ > i; });
        }
        const Looked& l = looked_[i];
        if (l.failed)
            continue;
        const IncidentSource& s = l.source;
        const Placement p = placer_->Place(frame_->RecordingOf(s.columns, s.rate, s.frames));
        if (p.frames <= 0)
            continue;
        placed_.push_back({i, {frame_->LaneOf(s.columns.channel), p}});
        const double rate = frame_->rate;
        pieces_.push_back({s.index, static_cast<double>(p.at) / rate,
                           static_cast<double>(p.frames) / rate, static_cast<double>(p.skip) / rate,
                           static_cast<double>(s.frames) / s.rate});
    }
    return k < placed_.size() ? std::optional(placed_[k]) : std::nullopt;
}

std::int64_t SourceFeed::Frames() {
    Placed(looked_.size());
    return placer_ ? placer_->Frames() : 0;
}

std::unique_ptr<SampleSource> SourceFeed::Open(std::size_t item) {
    const IncidentSource& source = looked_[item].source;
    auto samples = std::make_unique<ListenedSamples>(source);
    if (!samples->Matches(source))
        return nullptr;
    if (source.rate == frame_->rate)
        return samples;
    return std::make_unique<Resampler>(std::move(samples), source.rate, frame_->rate);
}

bool SourceFeed::Empty() {
    return !Placed(0);
}

const LaneGains& SourceFeed::Gains() {
    WaitForRate();
    static const LaneGains kNone;
    return frame_ ? frame_->gains : kNone;
}

int SourceFeed::Rate() {
    WaitForRate();
    return frame_ ? frame_->rate : 0;
}

int SourceFeed::Outputs() {
    WaitForRate();
    return frame_ ? frame_->gains.outputs : 0;
}

std::vector<int> SourceFeed::Channels() {
    WaitForRate();
    return frame_ ? frame_->lanes : std::vector<int>{};
}

double SourceFeed::Seconds() {
    WaitForRate();
    if (!frame_ || frame_->rate == 0)
        return 0.0;
    if (placing_ == looked_.size())
        return static_cast<double>(placer_->Frames()) / frame_->rate;
    // The rest placed as the lines tell their lengths, or as counted where that is done.
    Placer estimate = *placer_;
    std::lock_guard hold(lock_);
    for (std::size_t i = placing_; i < looked_.size(); ++i) {
        const Looked& l = looked_[i];
        if (l.failed)
            continue;
        const LineColumns& c = l.source.columns;
        const std::int64_t listed = std::max<std::int64_t>(c.written - c.startInstant, 0);
        const std::uint64_t frames =
            l.done ? l.source.frames
                   : static_cast<std::uint64_t>(listed) * static_cast<std::uint64_t>(l.source.rate);
        estimate.Place(frame_->RecordingOf(c, l.source.rate, frames));
    }
    return static_cast<double>(estimate.Frames()) / frame_->rate;
}

} // namespace voice::incident
