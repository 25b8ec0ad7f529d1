#pragma once
// What the main window keeps for the listening aids: the reviewer's choices, the loaded
// recording's designed playback file (set aside, read a part at a time) and where the
// source went in the file the player has open.

#include "conversion/playback_source.h"
#include "review/playback_clock.h"
#include "review/review_pipeline.h"

#include <optional>
#include <string>

namespace voice {

struct ReviewState {
    review::ReviewOptions options;
    std::wstring baseCaption; // the window's caption at the default choices
    // The loaded recording's designed file; not held while that plays as it stands.
    PlaybackSource source;
    // How the loaded recording's level and pauses were judged: once, on all of it, so a
    // later change reads and processes only the part it plays. Goes with the source.
    std::optional<review::RecordingAnalysis> analysis;
    // Where each moment of the recording is in the file the player has open; the
    // designed file: one to one. The file begins at source second origin.
    review::PlaybackClock clock;
    double origin = 0;
    // A file written while playing holds only a part, so the new speed sounds at once;
    // the source second it ends at (0: the recording's end). The next part follows there.
    double partEnd = 0;
    // A command of ours interrupted a play the user did not end: its late "aborted"
    // notification must not count as the recording having finished.
    bool staleNotifyExpected = false;
    // The bar is being moved to show where playback stands, not by the user: no seek.
    bool showingPosition = false;
};

} // namespace voice
