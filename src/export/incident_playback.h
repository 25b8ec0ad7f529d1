#pragma once
// The incident as the window plays it: the same mix as the file written for keeps, held
// in memory for the playback file, with where each recording sounds in it, so the window
// can tell from the player's position which recording is heard and at what time of day.
// Portable.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "export/export_job.h"
#include "export/incident_export.h"

namespace voice::exporting {

struct IncidentPiece {
    std::size_t line = 0; // its place in the lines given
    double at = 0;        // where it starts in the mix (s)
    double seconds = 0;   // how long it sounds there
    double skipped = 0;   // cut from its beginning by a span (s)
    double whole = 0;     // the recording's whole length (s)
};

struct IncidentSource;
struct IncidentPlan;

// The sources looked at and placed once; any part of the mix made when it is to play, so a
// long incident sounds at once and memory holds only the part playing.
class IncidentPlayback {
public:
    // Sources that cannot be read are left out; Empty() when nothing sounds.
    IncidentPlayback(const std::vector<std::wstring>& lines, const IncidentOptions& options,
                     ExportProgress& progress);
    ~IncidentPlayback();
    IncidentPlayback(const IncidentPlayback&) = delete;
    IncidentPlayback& operator=(const IncidentPlayback&) = delete;

    bool Empty() const noexcept;
    int Rate() const noexcept;
    int Outputs() const noexcept;
    double Seconds() const noexcept; // the whole mix
    // Where each recording sounds, by start.
    const std::vector<IncidentPiece>& Pieces() const noexcept { return pieces_; }
    // The mix's interleaved frames from second from on, at most seconds of them.
    std::vector<std::int16_t> Mix(double from, double seconds) const;

private:
    std::vector<IncidentSource> sources_;
    std::unique_ptr<IncidentPlan> plan_;
    std::vector<IncidentPiece> pieces_;
};

// The recording that started last among those sounding at second at of the mix.
std::optional<std::size_t> SoundingAt(const std::vector<IncidentPiece>& pieces, double at);

} // namespace voice::exporting
