#pragma once
// The playback file as samples: what the listening aids (speed, pauses, loudness) work on
// (their file is written back with wav/wav_header.h's 16-bit header). Reads every form the
// playback file takes: the 8-bit file the conversion writes and a WAV recording copied as
// it stands (8, 16, 24 or 32-bit integer or 32-bit float PCM, any number of channels,
// mixed to mono). Portable: no <windows.h>.

#include "conversion/recording_kind.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace voice {

struct PlaybackSamples {
    int sampleRate = 0;
    std::vector<float> samples; // mono, -1 .. 1
};

// The samples of a whole playback file held in memory; nullopt for what is not PCM we
// can read (an empty file from an undecodable recording, a compressed WAV), which then
// plays as it stands. A data chunk longer than the file ends with the file.
std::optional<PlaybackSamples> PlaybackSamplesOfWav(std::span<const std::uint8_t> file);

// Where a playback file's samples lie and how: enough to read any stretch of it without
// the rest, so a change of speed mid-recording reads only the part it plays.
struct PlaybackLayout {
    int sampleRate = 0;
    std::uint16_t format = 0, channels = 0, bits = 0;
    std::uint64_t dataOffset = 0;
    std::uint64_t frames = 0; // whole frames of the data chunk that the file holds
};

// The layout of the playback file of fileSize bytes; nullopt as for PlaybackSamplesOfWav.
std::optional<PlaybackLayout> PlaybackLayoutOf(RecordingBytes& file, std::uint64_t fileSize);

// The mono samples of frames first .. first + count (fewer at the end of the data), read
// a piece at a time: the raw bytes never take more than a piece of memory. A failed read
// ends the samples there.
std::vector<float> ReadPlaybackFrames(RecordingBytes& file, const PlaybackLayout& layout,
                                      std::uint64_t first, std::uint64_t count);
// The same into the caller's samples (as many frames as into holds), the raw bytes read
// through raw, which the caller keeps from one call to the next; the frames read.
std::size_t ReadPlaybackFrames(RecordingBytes& file, const PlaybackLayout& layout,
                               std::uint64_t first, std::span<float> into,
                               std::vector<std::uint8_t>& raw);

} // namespace voice
