#pragma once
// Listening aids applied to a recording's samples before they are written to the playback
// file: a faster or slower speed with the pitch kept, long pauses cut short and one
// listening level. Portable: no <windows.h>. The archive is never touched; these act on
// samples the caller has already read.

#include <cstdint>
#include <span>
#include <vector>

#include "review/loudness.h"
#include "review/pause_shortener.h"
#include "review/processed_timeline.h"

namespace voice::review {

struct ReviewOptions {
    double speed = 1.0;         // 0.5 .. 3.0
    bool shortenPauses = false; // pauses > 0.7 s cut to 0.25 s with short fades
    bool evenLoudness = false;  // speech to one level, limiter; none found: as it was
    bool IsDefault() const noexcept { return speed == 1.0 && !shortenPauses && !evenLoudness; }
};

// The speeds offered to the user, slowest first: 0.5, 0.75, 1, 1.25, 1.5, 1.75, 2, 2.5, 3.
std::span<const double> OfferedSpeeds() noexcept;

// Float samples in [-1, 1], mono, any sample rate (the program's is 7860 Hz; WAV files of
// any PCM layout are mixed to mono by the caller). Processes a whole recording: loudness
// first (on the original), then pause shortening, then the time-scale change. With the
// default options the samples come back unchanged.
std::vector<float> ProcessRecording(std::span<const float> samples, int sampleRate,
                                    const ReviewOptions& options);

// The processed samples and where each moment of the source went.
struct ProcessedRecording {
    std::vector<float> samples;
    ProcessedTimeline timeline;
};

ProcessedRecording ProcessRecordingWithTimeline(std::span<const float> samples, int sampleRate,
                                                const ReviewOptions& options);

// The recording processed from a moment of the source on (samples before it are left out
// of the output, which starts at that moment): restarting mid-recording at a new speed
// costs only the rest. The level and the pauses are still judged on the whole recording,
// so the part sounds as it would in a whole pass. The timeline maps whole-recording source
// seconds to seconds of this output.
ProcessedRecording ProcessFrom(std::span<const float> samples, int sampleRate,
                               const ReviewOptions& options, double fromSourceSeconds);

// Where the moments of a recording of this many samples go at this speed alone: the
// timeline ProcessFrom gives with both options off.
ProcessedTimeline SpeedTimeline(std::size_t samples, int sampleRate, double speed);

// What the level and the pauses are judged by: one look at the whole recording, kept while
// it is loaded, so a later change reads and processes only the part it plays.
struct RecordingAnalysis {
    std::size_t length = 0; // the recording's samples
    LevelPlan level;
    std::vector<PauseCut> cuts; // in whole-recording samples
};

RecordingAnalysis AnalyseRecording(std::span<const float> samples, int sampleRate);

// The same as ProcessFrom on the whole recording, from what the recording holds from
// fromSourceSeconds on: `rest` starts at that moment and may stop short of the end (a part;
// a pause cut across its end is cut up to there). The output is what the whole-recording
// call gives for those samples.
ProcessedRecording ProcessFrom(std::span<const float> rest, int sampleRate,
                               const ReviewOptions& options, double fromSourceSeconds,
                               const RecordingAnalysis& analysis);

// 8-bit unsigned (128 = silence) and 16-bit signed samples to floats, and floats back to
// 16-bit: rounded, no dither, clamped to the 16-bit range. S16 -> float -> S16 is exact.
std::vector<float> SamplesFromU8(std::span<const std::uint8_t> samples);
std::vector<float> SamplesFromS16(std::span<const std::int16_t> samples);
std::vector<std::int16_t> ToS16(std::span<const float> samples);
// The same into a buffer of the caller's (out.size() >= in.size()), and to 8-bit unsigned:
// for writing a stream's pieces without allocating.
void ToS16(std::span<const float> in, std::span<std::int16_t> out);
void ToU8(std::span<const float> in, std::span<std::uint8_t> out);
std::vector<std::uint8_t> ToU8(std::span<const float> samples);

} // namespace voice::review
