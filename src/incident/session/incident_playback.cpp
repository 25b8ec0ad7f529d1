#include "incident/session/incident_playback.h"

#include <algorithm>
#include <cmath>

#include "review/time_stretch.h"

namespace voice::incident {
namespace {

bool Same(const StreamChoices& a, const StreamChoices& b) {
    return a.lanesHeard == b.lanesHeard && a.aids.speed == b.aids.speed &&
           a.aids.shortenPauses == b.aids.shortenPauses &&
           a.aids.evenLoudness == b.aids.evenLoudness;
}

} // namespace

IncidentPlayback::IncidentPlayback(const std::vector<std::wstring>& lines,
                                   const IncidentOptions& options)
    : feed_(lines, options) {}

IncidentPlayback::~IncidentPlayback() = default;

bool IncidentPlayback::Continues(double from, const StreamChoices& choices) const {
    return stream_ && Same(choices, streamChoices_) && std::abs(stream_->At() - from) <= 1e-9;
}

StreamPart IncidentPlayback::Part(double from, double nominal, double slack,
                                  const StreamChoices& choices) {
    if (Empty())
        return {};
    const int rate = feed_.Rate();
    if (!Continues(from, choices)) {
        stream_.reset();
        stream_ = std::make_unique<IncidentStream>(
            feed_, feed_.Gains(), rate, std::max<std::int64_t>(std::llround(from * rate), 0),
            choices);
        streamChoices_ = choices;
    }
    return stream_->Next(std::llround(nominal * rate), std::llround(slack * rate));
}

std::vector<std::int16_t> IncidentPlayback::Whole(const StreamChoices& choices) {
    if (Empty())
        return {};
    // Long enough at the slowest speed.
    const double seconds =
        static_cast<double>(feed_.Frames()) / feed_.Rate() / review::kSlowestSpeed;
    return Part(0.0, seconds + 1, 0, choices).pcm;
}

std::optional<std::size_t> SoundingAt(const std::vector<IncidentPiece>& pieces, double at) {
    std::optional<std::size_t> last;
    for (std::size_t i = 0; i < pieces.size() && pieces[i].at <= at; ++i)
        if (at < pieces[i].at + pieces[i].seconds)
            last = i;
    return last;
}

} // namespace voice::incident
