#pragma once
// The playback file at another speed, made while the recording is converted: the
// recording is read and decoded once, and only the stretched samples are written.
// Portable: no <windows.h>.
//
// Only the conversion's own form (8-bit mono at the recorder's rate, the data filling the
// file) is stretched here, 8-bit in and 8-bit out; anything else goes to the file as it
// is, and the caller processes it the usual way. Later changes of speed need the designed
// file's samples again: a recording that holds them as they stand (headerless, or a WAV
// copied as it stands) is itself their source; a decoded one is kept in memory as it is
// converted.

#include "conversion/recording_converter.h"
#include "conversion/wav/wav_header.h"
#include "review/time_stretch.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace voice {

class StretchedPlayback final : public ConvertedWriter, private review::StretchByteSink {
public:
    // The converted file is kept up to keptAtMost bytes (0: not at all); a longer one is
    // still stretched, but not kept.
    // expectedBytes: about how long the converted file will be, so that what is kept is
    // not copied as it grows.
    StretchedPlayback(ConvertedWriter& file, double speed, std::size_t keptAtMost,
                      std::size_t expectedBytes = 0);

    void Append(std::span<const std::uint8_t> bytes) override;
    void RewriteHeader(std::span<const std::uint8_t> header) override;
    // After the conversion: the last stretched samples and the file's header.
    void Finish();

    // The file holds the conversion's bytes unchanged (a form not stretched here).
    bool PassedThrough() const noexcept { return state_ == State::PassingThrough; }
    // After Finish: the file holds the stretch of what the player would play at 1x. Not
    // so when the data did not fill the converted file (a WAV copied with chunks of its
    // own after the samples).
    bool Stretched() const noexcept;
    // The designed file's samples.
    std::size_t Samples() const noexcept;
    // The designed file, header included, when Stretched() and it was kept whole.
    std::optional<std::vector<std::uint8_t>> TakeDesigned();

private:
    enum class State { Deciding, Stretching, PassingThrough };

    void Take(std::span<const std::uint8_t> samples) override; // the stretch's output
    void Stretch(std::span<const std::uint8_t> samples);
    void Keep(std::span<const std::uint8_t> bytes);
    void WriteBlock();

    ConvertedWriter& file_;
    review::StretchStream stream_;
    std::size_t keptAtMost_;
    State state_ = State::Deciding;
    std::vector<std::uint8_t> designed_; // the converted file, while kept_
    bool kept_;
    WavHeader header_{};              // the converted file's header as it stands
    std::uint64_t converted_ = 0;     // the converted file's bytes
    std::vector<std::uint8_t> block_; // stretched samples on their way to the file
    std::uint64_t stretched_ = 0;     // stretched samples written
    bool finished_ = false;
};

// What ConvertStretched did.
struct StretchedConversion {
    RecordingKind kind = RecordingKind::HeaderlessPcm;
    bool passedThrough = false; // as PassedThrough()
    bool stretched = false;     // as Stretched()
    std::size_t samples = 0;    // as Samples()
    // A decoded recording's designed file (kinds 3 to 6), kept while stretched.
    std::optional<std::vector<std::uint8_t>> designed;
};

// The recording converted into file at speed through a StretchedPlayback, keeping the
// designed file (up to keptAtMost bytes) only where the recording does not hold it.
StretchedConversion ConvertStretched(RecordingReader& recording, ConvertedWriter& file,
                                     double speed, std::size_t keptAtMost);

} // namespace voice
