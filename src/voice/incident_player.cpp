#include "voice/incident_player.h"

#include <algorithm>

#include "conversion/reviewed_playback_file.h"
#include "review/processed_timeline.h"
#include "review/time_stretch.h"

namespace voice {
namespace {

// A part of the mix: long enough that handovers are rare; the first after a start or a
// jump short, so that it sounds at once. Each ends at the quietest moment within the slack.
constexpr double kPartSeconds = 60.0;
constexpr double kFirstPartSeconds = 4.0;
constexpr double kPartSlackSeconds = 1.0;
constexpr double kFirstPartSlackSeconds = 0.5;
// A rest shorter than this is mixed in one part: a few milliseconds, and no handover heard.
constexpr double kWholeAtMost = 90.0;

} // namespace

bool IncidentPlayer::Start(std::vector<std::int32_t> listLines,
                           const std::vector<std::wstring>& lines,
                           const incident::IncidentOptions& options) {
    End();
    auto mix = std::make_unique<incident::IncidentPlayback>(lines, options);
    if (mix->Empty())
        return false;
    mix_ = std::move(mix);
    listLines_ = std::move(listLines);
    return true;
}

void IncidentPlayer::End() noexcept {
    mix_.reset();
    listLines_.clear();
    heard_.reset();
    named_ = -1;
}

std::vector<int> IncidentPlayer::Channels() const {
    return mix_ ? mix_->Channels() : std::vector<int>{};
}

std::optional<IncidentPlayer::Part>
IncidentPlayer::WritePart(double from, const incident::StreamChoices& choices,
                          const std::wstring& file) {
    if (!mix_)
        return std::nullopt;
    incident::IncidentPlayback& mix = *mix_;
    const double whole = mix.Seconds();
    from = std::clamp(from, 0.0, std::max(0.0, whole - 0.1)); // never an empty file
    const bool first = !mix.Continues(from, choices);
    const double rest = (whole - from) / review::UsableSpeed(choices.aids.speed);
    incident::StreamPart part =
        rest <= kWholeAtMost ? mix.Part(from, rest + kPartSlackSeconds, kPartSlackSeconds, choices)
        : first              ? mix.Part(from, kFirstPartSeconds, kFirstPartSlackSeconds, choices)
                             : mix.Part(from, kPartSeconds, kPartSlackSeconds, choices);
    if (part.pcm.empty()) { // the player cannot open an empty file: a moment of silence
        part.pcm.assign(static_cast<std::size_t>(mix.Rate() / 20 * mix.Outputs()), 0);
        part.clock = {{from, 0.0}, {from, 0.05}};
        part.from = part.to = from;
        part.last = true;
    }
    if (!WritePcm16PlaybackFile(file, mix.Rate(), mix.Outputs(), part.pcm))
        return std::nullopt;
    return Part{review::PlaybackClock(review::ProcessedTimeline(std::move(part.clock)), 0.0,
                                      std::max(mix.Seconds(), part.to)),
                part.from, part.last ? std::nullopt : std::optional(part.to)};
}

std::pair<std::int32_t, double> IncidentPlayer::Sounding(double at) {
    if (!mix_)
        return {-1, 0.0};
    const std::vector<incident::IncidentPiece>& pieces = mix_->Pieces();
    if (const auto piece = incident::SoundingAt(pieces, at))
        heard_ = piece;
    if (pieces.empty())
        return {-1, 0.0};
    const incident::IncidentPiece& p = pieces[heard_.value_or(0)];
    const double into = std::clamp(at - p.at, 0.0, p.seconds) + p.skipped;
    return {listLines_[p.line], p.whole > 0 ? std::min(1.0, into / p.whole) : 0.0};
}

std::optional<std::int32_t> IncidentPlayer::NewlyNamed(double at) {
    const std::int32_t line = Sounding(at).first;
    if (line < 0 || line == named_)
        return std::nullopt;
    named_ = line;
    return line;
}

} // namespace voice
