#pragma once
// The loaded recording's designed playback file while "$$$.Wav" holds what the listening
// aids made of it. Moved aside by a rename before "$$$.Wav" is first written over, so
// nothing is read or copied for it: the first change of speed costs what every later one
// does. Read a stretch at a time, and deleted at the next conversion or with the window.
// Kept in memory (its bytes, not samples) only where it cannot be moved. Win32.

#include "conversion/playback_samples.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace voice {

// Where the designed file waits: a name of this process's own in the user's records
// folder (%LOCALAPPDATA%\Voice), never the start directory, which holds only the
// designed files. On the same volume the move is a rename; elsewhere the bytes are kept
// in memory instead.
std::wstring PlaybackSourcePath();

class PlaybackSource {
public:
    PlaybackSource() = default;
    ~PlaybackSource() { Reset(); }
    PlaybackSource(const PlaybackSource&) = delete;
    PlaybackSource& operator=(const PlaybackSource&) = delete;

    // Takes the designed file at playbackPath as the source, left where it is for now (the
    // player may still hold it). False for what we cannot process (an undecodable
    // recording's empty file, a compressed WAV): that plays as it stands.
    bool Take(const std::wstring& playbackPath);
    // Takes the designed file's bytes, made in memory while the playback file was written
    // at another speed; false as for Take.
    bool Take(std::vector<std::uint8_t> designedFile);
    // Takes the recording itself, whose samples are the designed file's as they stand (a
    // headerless recording, or a WAV that was copied): only ever read, never set aside.
    bool TakeRecording(const std::wstring& recordingPath, bool headerless);
    // Before the designed file is written over, once the player has closed it: moves it to
    // asidePath, or, where it cannot be moved, reads its bytes. False when neither worked.
    bool SetAside(const std::wstring& asidePath);
    // Forgets the source and deletes the file set aside.
    void Reset() noexcept;

    bool Held() const noexcept { return layout_.has_value(); }
    int SampleRate() const noexcept { return layout_ ? layout_->sampleRate : 0; }
    // How long the recording lasts.
    double Seconds() const noexcept {
        return layout_ && layout_->sampleRate > 0
                   ? static_cast<double>(layout_->frames) / layout_->sampleRate
                   : 0.0;
    }
    // Mono samples from source second `from` on, `seconds` of them at most (fewer at the
    // end; INFINITY: the rest). Empty when the file can no longer be read.
    std::vector<float> Read(double fromSeconds, double seconds) const;

private:
    std::wstring path_;                // where the file is now
    bool aside_ = false;               // path_ is ours to delete
    bool recording_ = false;           // path_ is the recording: never moved
    std::vector<std::uint8_t> memory_; // the file's bytes, when it could not be moved
    bool inMemory_ = false;
    std::optional<PlaybackLayout> layout_;
};

} // namespace voice
