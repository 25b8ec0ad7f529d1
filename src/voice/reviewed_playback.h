#pragma once
// What the main window keeps for the listening aids, and what the player has open of the
// loaded recording: the designed file, the whole recording processed, or a part of it
// processed from a moment on. Every question about where playback stands in the
// recording goes through here, whichever of the three is loaded.

#include "conversion/playback_source.h"
#include "review/playback_clock.h"
#include "review/review_pipeline.h"

#include <cstdint>
#include <optional>
#include <string>

namespace voice {

class ReviewedPlayback {
public:
    enum class Loaded {
        Designed, // the designed playback file, or one nothing could be done with
        Whole,    // the whole recording processed
        Part,     // a part processed from a moment on, written while playing
    };

    // --- What is loaded ---------------------------------------------------------------
    Loaded State() const noexcept { return loaded_; }
    void LoadDesigned();
    void LoadWhole(review::PlaybackClock clock);
    // A part from the recording's second from; to: where it ends when before the
    // recording's end (the next part follows there).
    void LoadPart(review::PlaybackClock clock, double from, std::optional<double> to);

    // The recording's second heard at the player's position (ms).
    double RecordingAt(std::int32_t position) const;
    // The player's position (ms) of the recording's second, clamped to what is loaded.
    std::int32_t PositionOf(double recordingSeconds) const;
    // How long the recording is, given the open file's length (ms).
    double RecordingLength(std::int32_t fileLength) const;
    // The loaded file holds that moment of the recording.
    bool Holds(double recordingSeconds) const;
    // The recording's second the loaded file begins at (0 but for a part).
    double From() const noexcept { return from_; }
    // Where the next part begins, when a part that ends before the recording is loaded.
    std::optional<double> NextPart() const;

    // --- What the player's notification means --------------------------------------------
    enum class Notified {
        Stale,    // a play of ours was interrupted: nothing happened for the user
        NextPart, // a part ended before the recording: the next one plays on
        Designed, // the designed handler decides
    };
    // result: aborted or superseded (interrupted), or successful with the device stopped
    // at its end (atEnd) while the sequence plays on.
    Notified OnNotify(bool interrupted, bool atEnd);
    // The user acted on the player: a late notification is the user's again.
    void UserActed() noexcept { staleNotifyExpected_ = false; }
    // A command of ours is about to interrupt a play the user did not end.
    void InterruptingPlay() noexcept { staleNotifyExpected_ = true; }

    // --- The reviewer's choices and the recording's samples -----------------------------
    review::ReviewOptions options;
    std::wstring baseCaption; // the window's caption at the default choices
    // The loaded recording's designed file; not held while that plays as it stands.
    PlaybackSource source;
    // How the loaded recording's level and pauses were judged: once, on all of it, so a
    // later change reads and processes only the part it plays. Goes with the source.
    std::optional<review::RecordingAnalysis> analysis;
    // The bar is being moved to show where playback stands, not by the user: no seek.
    bool showingPosition = false;

private:
    Loaded loaded_ = Loaded::Designed;
    review::PlaybackClock clock_;
    double from_ = 0;
    std::optional<double> to_;
    bool staleNotifyExpected_ = false;
};

} // namespace voice
