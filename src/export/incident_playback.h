#pragma once
// The incident as the window plays it: the same mix as the file written for keeps, held
// in memory for the playback file, with where each recording sounds in it, so the window
// can tell from the player's position which recording is heard and at what time of day.
// Portable.

#include <cstdint>
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

struct IncidentMix {
    int rate = 0;
    int outputs = 0;
    std::vector<std::int16_t> frames;  // interleaved
    std::vector<IncidentPiece> pieces; // by start
    bool cancelled = false;
};

// Empty frames when nothing could be read or nothing lies in the span.
IncidentMix MixIncidentForPlayback(const std::vector<std::wstring>& lines,
                                   const IncidentOptions& options, ExportProgress& progress);

// The recording that started last among those sounding at second at of the mix.
std::optional<std::size_t> SoundingAt(const std::vector<IncidentPiece>& pieces, double at);

} // namespace voice::exporting
