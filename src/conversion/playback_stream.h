#pragma once
// A recording's playback samples pulled in order, a block at a time, without writing its
// playback file: the conversion's decoder for the recorder's forms, the playback layout
// for a WAV (any PCM layout, mixed to mono). Memory stays fixed whatever the length, so
// many recordings can be read side by side. Portable: no <windows.h>.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "conversion/playback_samples.h"
#include "conversion/recording_converter.h"

namespace voice {

class PlaybackStream final : private SampleSink {
public:
    // Detects the recording's kind and reads its layout.
    explicit PlaybackStream(RecordingReader& recording);
    PlaybackStream(const PlaybackStream&) = delete;
    PlaybackStream& operator=(const PlaybackStream&) = delete;

    RecordingKind Kind() const noexcept { return kind_; }
    // 0 when there is nothing to play: kind 7, a WAV that is not PCM we read.
    int SampleRate() const noexcept { return rate_; }
    // Frames the recording holds; nullopt for the run-coded forms, known only once decoded.
    std::optional<std::uint64_t> Frames() const noexcept;

    // The next samples, -1 .. 1; fewer only at the end or after a failed read.
    std::size_t Read(std::span<float> into);
    // Reads to the end and says how many samples were left (decoded, not converted).
    std::uint64_t CountRest();

private:
    void WritePiece(std::span<const std::uint8_t> piece) override;

    ReaderBytes bytes_;
    RecordingKind kind_;
    std::uint64_t length_;
    int rate_ = 0;
    std::optional<PlaybackLayout> layout_;
    std::vector<std::uint8_t> raw_; // a WAV's bytes on their way to samples
    std::uint64_t frame_ = 0; // of a WAV, the next to read
    std::optional<SampleDecoder> decoder_;
    std::vector<std::uint8_t> pending_; // decoded, not yet read, from pendingAt_
    std::size_t pendingAt_ = 0;
    bool more_ = true;
};

} // namespace voice
