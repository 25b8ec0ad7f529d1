#include "review/processed_timeline.h"

#include <algorithm>

namespace voice::review {

ProcessedTimeline::ProcessedTimeline(std::vector<Corner> corners) : corners_(std::move(corners)) {}

double ProcessedTimeline::OutputFromSource(double sourceSeconds) const {
    if (corners_.empty()) {
        return sourceSeconds;
    }
    if (!(sourceSeconds > corners_.front().source)) {
        return corners_.front().output;
    }
    // The last corner at or before the moment: inside a flat piece (a cut pause) every
    // source moment maps to the cut's one output moment.
    const auto after = std::upper_bound(corners_.begin(), corners_.end(), sourceSeconds,
                                        [](double s, const Corner& c) { return s < c.source; });
    if (after == corners_.end()) {
        return corners_.back().output;
    }
    const Corner& a = *(after - 1);
    const Corner& b = *after;
    const double t = (sourceSeconds - a.source) / (b.source - a.source);
    return a.output + t * (b.output - a.output);
}

double ProcessedTimeline::SourceFromOutput(double outputSeconds) const {
    if (corners_.empty()) {
        return outputSeconds;
    }
    if (!(outputSeconds > corners_.front().output)) {
        return corners_.front().source;
    }
    // The first corner at or after the moment: an output moment that a whole cut maps to
    // goes back to the cut's start, where that moment was first heard.
    const auto at = std::lower_bound(corners_.begin(), corners_.end(), outputSeconds,
                                     [](const Corner& c, double o) { return c.output < o; });
    if (at == corners_.end()) {
        return corners_.back().source;
    }
    const Corner& b = *at;
    const Corner& a = *(at - 1);
    if (b.output == a.output) {
        return a.source;
    }
    const double t = (outputSeconds - a.output) / (b.output - a.output);
    return a.source + t * (b.source - a.source);
}

} // namespace voice::review
