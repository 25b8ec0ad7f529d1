#pragma once
// What the main window keeps for the listening aids: the reviewer's choices, the loaded
// recording's samples (so a change of speed costs only the processing) and where the
// source went in the file the player has open.

#include "conversion/playback_samples.h"
#include "review/review_pipeline.h"

#include <optional>
#include <string>

namespace voice {

struct ReviewState {
    review::ReviewOptions options;
    std::wstring baseCaption; // the window's caption at the default choices
    // The loaded recording as samples; empty while it plays as the designed file.
    std::optional<PlaybackSamples> source;
    // Where each source moment is in the file the player has open; none: the designed
    // file, one to one. The file begins at source second origin.
    std::optional<review::ProcessedTimeline> timeline;
    double origin = 0;
    // A file written while playing holds only a part, so the new speed sounds at once;
    // the source second it ends at (0: the recording's end). The next part follows there.
    double partEnd = 0;
    // A command of ours interrupted a play the user did not end: its late "aborted"
    // notification must not count as the recording having finished.
    bool staleNotifyExpected = false;
};

} // namespace voice
