#include "incident/output_axis.h"

#include <algorithm>

namespace voice::incident {

std::vector<FrameSpan> SharedCuts(std::span<const PausedRecording> recordings, FrameSpan within,
                                  std::int64_t least) {
    // Between consecutive edges nothing changes: each piece is judged at its start.
    std::vector<std::int64_t> edges{within.begin, within.end};
    for (const PausedRecording& r : recordings) {
        edges.push_back(r.span.begin);
        edges.push_back(r.span.end);
        for (const FrameSpan& c : r.cuts) {
            edges.push_back(c.begin);
            edges.push_back(c.end);
        }
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    auto inCut = [](const PausedRecording& r, std::int64_t t) {
        const auto after = std::upper_bound(r.cuts.begin(), r.cuts.end(), t,
                                            [](std::int64_t v, const FrameSpan& c) { return v < c.begin; });
        return after != r.cuts.begin() && t < std::prev(after)->end;
    };
    std::vector<FrameSpan> shared;
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
        const std::int64_t t = edges[i];
        if (t < within.begin || t >= within.end)
            continue;
        bool covered = false, paused = true;
        for (const PausedRecording& r : recordings)
            if (r.span.begin <= t && t < r.span.end) {
                covered = true;
                paused = paused && inCut(r, t);
            }
        if (!covered || !paused)
            continue;
        if (!shared.empty() && shared.back().end == t)
            shared.back().end = edges[i + 1];
        else
            shared.push_back({t, edges[i + 1]});
    }
    std::erase_if(shared, [least](const FrameSpan& c) { return c.end - c.begin < least; });
    return shared;
}

void OutputAxis::AddCuts(std::span<const FrameSpan> cuts) {
    cuts_.insert(cuts_.end(), cuts.begin(), cuts.end());
    std::sort(cuts_.begin(), cuts_.end(),
              [](const FrameSpan& a, const FrameSpan& b) { return a.begin < b.begin; });
    std::vector<FrameSpan> merged;
    for (const FrameSpan& c : cuts_) {
        if (c.end <= from_)
            continue;
        const FrameSpan own{std::max(c.begin, from_), c.end};
        if (!merged.empty() && own.begin <= merged.back().end)
            merged.back().end = std::max(merged.back().end, own.end);
        else
            merged.push_back(own);
    }
    cuts_ = std::move(merged);
}

double OutputAxis::Out(std::int64_t t) const {
    std::int64_t removed = 0;
    for (const FrameSpan& c : cuts_) {
        if (c.begin >= t)
            break;
        removed += std::min(c.end, t) - c.begin;
    }
    return static_cast<double>(t - from_ - removed) / speed_;
}

double OutputAxis::In(double o) const {
    const double kept = o * speed_; // incident frames heard before it
    std::int64_t removed = 0;
    for (const FrameSpan& c : cuts_) {
        if (static_cast<double>(c.begin - from_ - removed) >= kept)
            break;
        removed += c.end - c.begin;
    }
    return static_cast<double>(from_ + removed) + kept;
}

std::vector<FrameSpan> OutputAxis::CutsWithin(FrameSpan span) const {
    std::vector<FrameSpan> within;
    for (const FrameSpan& c : cuts_)
        if (c.end > span.begin && c.begin < span.end)
            within.push_back({std::max(c.begin, span.begin), std::min(c.end, span.end)});
    return within;
}

std::vector<review::ProcessedTimeline::Corner> OutputAxis::Corners(std::int64_t o0,
                                                                   std::int64_t o1,
                                                                   int rate) const {
    const double r = rate;
    const auto o0d = static_cast<double>(o0), o1d = static_cast<double>(o1);
    std::vector<review::ProcessedTimeline::Corner> corners{{In(o0d) / r, 0.0}};
    for (const FrameSpan& c : cuts_) {
        const double at = Out(c.begin);
        if (at < o0d)
            continue;
        if (at >= o1d)
            break;
        corners.push_back({static_cast<double>(c.begin) / r, (at - o0d) / r});
        corners.push_back({static_cast<double>(c.end) / r, (at - o0d) / r});
    }
    corners.push_back({std::max(In(o1d) / r, corners.back().source), (o1d - o0d) / r});
    return corners;
}

} // namespace voice::incident
