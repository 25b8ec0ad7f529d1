#include "review/review_pipeline.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

#include "review/loudness.h"
#include "review/pause_shortener.h"
#include "review/time_stretch.h"

namespace voice::review {
namespace {

constexpr std::array<double, 9> kOfferedSpeeds{0.5, 0.75, 1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0};

// The cuts that fall within [from, from + length), counted from from; a cut the moment
// falls in starts at the moment, one the end falls in ends there.
std::vector<PauseCut> CutsWithin(std::span<const PauseCut> cuts, std::size_t from,
                                 std::size_t length) {
    std::vector<PauseCut> kept;
    for (PauseCut cut : cuts) {
        if (cut.end <= from || cut.begin >= from + length) {
            continue;
        }
        cut.begin = std::max(cut.begin, from) - from;
        cut.end = std::min(cut.end, from + length) - from;
        kept.push_back(cut);
    }
    return kept;
}

std::size_t FirstSample(double fromSourceSeconds, int sampleRate, std::size_t length) {
    const double wanted = std::isnan(fromSourceSeconds) ? 0.0 : fromSourceSeconds * sampleRate;
    return static_cast<std::size_t>(
        std::clamp(std::round(wanted), 0.0, static_cast<double>(length)));
}

// Corners of the map from source seconds to output seconds: the start, both ends of each
// cut (the same output moment), and the end; the speed divides every output moment.
ProcessedTimeline TimelineOf(std::size_t from, std::size_t length, std::span<const PauseCut> cuts,
                             int sampleRate, double speed) {
    const double rate = sampleRate;
    std::vector<ProcessedTimeline::Corner> corners;
    corners.push_back({from / rate, 0.0});
    std::size_t removed = 0;
    for (const PauseCut& cut : cuts) {
        const double output = static_cast<double>(cut.begin - removed) / rate / speed;
        corners.push_back({(from + cut.begin) / rate, output});
        corners.push_back({(from + cut.end) / rate, output});
        removed += cut.end - cut.begin;
    }
    corners.push_back(
        {(from + length) / rate, static_cast<double>(length - removed) / rate / speed});
    return ProcessedTimeline(std::move(corners));
}

} // namespace

std::span<const double> OfferedSpeeds() noexcept {
    return kOfferedSpeeds;
}

RecordingAnalysis AnalyseRecording(std::span<const float> samples, int sampleRate) {
    if (sampleRate <= 0) {
        throw std::invalid_argument("sample rate must be positive");
    }
    return {samples.size(), PlanLevel(samples, sampleRate), FindPauseCuts(samples, sampleRate)};
}

ProcessedRecording ProcessFrom(std::span<const float> samples, int sampleRate,
                               const ReviewOptions& options, double fromSourceSeconds) {
    if (sampleRate <= 0) {
        throw std::invalid_argument("sample rate must be positive");
    }
    // Only what the options use is judged: this call looks at the recording once anyway.
    RecordingAnalysis analysis;
    analysis.length = samples.size();
    if (options.evenLoudness) {
        analysis.level = PlanLevel(samples, sampleRate);
    }
    if (options.shortenPauses) {
        analysis.cuts = FindPauseCuts(samples, sampleRate);
    }
    const std::size_t from = FirstSample(fromSourceSeconds, sampleRate, samples.size());
    return ProcessFrom(samples.subspan(from), sampleRate, options,
                       static_cast<double>(from) / sampleRate, analysis);
}

ProcessedRecording ProcessFrom(std::span<const float> rest, int sampleRate,
                               const ReviewOptions& options, double fromSourceSeconds,
                               const RecordingAnalysis& analysis) {
    if (sampleRate <= 0) {
        throw std::invalid_argument("sample rate must be positive");
    }
    const double speed = UsableSpeed(options.speed);
    const std::size_t from = FirstSample(fromSourceSeconds, sampleRate, analysis.length);
    // Nothing past the recording's end as it was judged.
    rest = rest.first(std::min(rest.size(), analysis.length - from));

    // Each stage works on what the one before left; only stages that are on make a copy.
    std::vector<float> work;
    std::span<const float> current = rest;
    if (options.evenLoudness) {
        // Judged on the whole recording, so a restart mid-way keeps the same level.
        work.resize(rest.size());
        ApplyLevel(analysis.level, rest, from, work);
        current = work;
    }
    std::vector<PauseCut> cuts;
    if (options.shortenPauses) {
        // The detector judges levels against the recording's own floor, so the original
        // finds the same pauses as the levelled samples would, and a restart finds them too.
        cuts = CutsWithin(analysis.cuts, from, rest.size());
        if (!cuts.empty()) {
            work = RemoveCuts(current, cuts, sampleRate);
            current = work;
        }
    }
    ProcessedRecording result;
    if (speed != 1.0) {
        result.samples = TimeStretch(current, sampleRate, speed);
    } else if (current.data() == work.data() && !work.empty()) {
        result.samples = std::move(work);
    } else {
        result.samples.assign(current.begin(), current.end());
    }
    result.timeline = TimelineOf(from, rest.size(), cuts, sampleRate, speed);
    return result;
}

ProcessedTimeline SpeedTimeline(std::size_t samples, int sampleRate, double speed) {
    return TimelineOf(0, samples, {}, sampleRate, UsableSpeed(speed));
}

ProcessedRecording ProcessRecordingWithTimeline(std::span<const float> samples, int sampleRate,
                                                const ReviewOptions& options) {
    return ProcessFrom(samples, sampleRate, options, 0.0);
}

std::vector<float> ProcessRecording(std::span<const float> samples, int sampleRate,
                                    const ReviewOptions& options) {
    return ProcessFrom(samples, sampleRate, options, 0.0).samples;
}

} // namespace voice::review
