#pragma once
// The incident the player holds: the selected recordings mixed as they happened, written
// into the playback file a part at a time, and which list line is heard at a moment of it.
// The main window owns one and asks it; it is idle until Start and again after End.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "incident/session/incident_playback.h"
#include "review/playback_clock.h"

namespace voice {

class IncidentPlayer {
public:
    // Mixes these list lines (their places in the list and their text); false, and idle,
    // when nothing in them sounds.
    bool Start(std::vector<std::int32_t> listLines, const std::vector<std::wstring>& lines,
               const incident::IncidentOptions& options);
    void End() noexcept;
    bool Active() const noexcept { return mix_ != nullptr; }

    // The channels of the incident's lanes, in order.
    std::vector<int> Channels() const;

    // The mix from the incident's second from on, written as the playback file file: a part
    // (short after a start or a jump so it sounds at once, a minute when it follows the one
    // before, the rest when that is short), or a moment of silence past the end. Its clock
    // maps its seconds to the incident's and spans the whole incident; next is where the
    // part after it begins. nullopt when the file could not be written.
    struct Part {
        review::PlaybackClock clock;
        double from = 0;
        std::optional<double> next;
    };
    std::optional<Part> WritePart(double from, const incident::StreamChoices& choices,
                                  const std::wstring& file);

    // The list line heard at the incident's second at, and how far into its recording
    // (0..1); between recordings the one heard last. {-1, 0} when idle.
    std::pair<std::int32_t, double> Sounding(double at);
    // The list line to name at second at, when it is not the one named last.
    std::optional<std::int32_t> NewlyNamed(double at);

private:
    std::unique_ptr<incident::IncidentPlayback> mix_;
    std::vector<std::int32_t> listLines_; // by the mix's line
    std::optional<std::size_t> heard_;    // the piece heard last
    std::int32_t named_ = -1;             // the list line named last
};

} // namespace voice
