// The whole review chain over arbitrary samples, options, sample rates and restart
// moments: no crash, the output as long as the length rule says, every sample inside full
// scale, silence kept silent, and a timeline that runs forwards from 0 to the output's end.
// The same bytes as 8-bit samples, stretched in pieces straight to bytes, give the bytes
// of the float stretch.
//
// Input: speed byte, option bits (and above them a part's length, in 63rds of the rest), two bytes
// of sample rate, a restart byte, then 16-bit samples.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "review/review_pipeline.h"
#include "review/time_stretch.h"

namespace {

void Require(bool rule) {
    if (!rule) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace voice::review;
    if (size < 5) {
        return 0;
    }
    ReviewOptions options;
    // A little beyond the offered range on both sides, to reach the clamping.
    options.speed = 0.4 + data[0] * (2.8 / 255);
    options.shortenPauses = (data[1] & 1) != 0;
    options.evenLoudness = (data[1] & 2) != 0;
    // Low rates make the 0.7 s pauses reachable with the fuzzer's short inputs.
    const int rate = 100 + (data[2] | data[3] << 8) % 48000;
    std::vector<std::int16_t> pcm((size - 5) / 2);
    if (!pcm.empty()) {
        std::memcpy(pcm.data(), data + 5, pcm.size() * 2);
    }
    const std::vector<float> samples = SamplesFromS16(pcm);
    const double seconds = static_cast<double>(samples.size()) / rate;
    const double from = data[4] < 128 ? 0.0 : (data[4] - 128) / 127.0 * seconds * 1.1;

    const ProcessedRecording out = ProcessFrom(samples, rate, options, from);
    const double speed = UsableSpeed(options.speed);

    const auto& corners = out.timeline.Corners();
    Require(!corners.empty() && corners.front().output == 0.0);
    for (std::size_t i = 1; i < corners.size(); ++i) {
        Require(corners[i].source >= corners[i - 1].source);
        Require(corners[i].output >= corners[i - 1].output);
    }
    // What is left after the cuts, stretched by the speed: exactly the length rule.
    const auto kept = static_cast<std::size_t>(std::llround(corners.back().output * rate * speed));
    const std::size_t rest =
        samples.size() - static_cast<std::size_t>(std::llround(
                             std::min(from * rate, static_cast<double>(samples.size()))));
    Require(kept <= rest);
    Require(options.shortenPauses || kept == rest);
    Require(out.samples.size() == StretchedLength(kept, speed));

    bool silent = true;
    for (const float s : samples) {
        silent = silent && s == 0.0f;
    }
    for (const float s : out.samples) {
        Require(std::isfinite(s) && std::fabs(s) <= 1.0f);
        Require(!silent || s == 0.0f);
    }
    const double end = static_cast<double>(out.samples.size()) / rate;
    for (double t = 0; t <= end; t += end / 7 + 1e-3) {
        const double back = out.timeline.SourceFromOutput(t);
        Require(back >= corners.front().source && back <= corners.back().source);
    }

    // The kept analysis: the rest alone gives exactly the same; a part that stops short
    // keeps the length rule within it.
    const RecordingAnalysis analysis = AnalyseRecording(samples, rate);
    const std::size_t first = samples.size() - rest;
    const std::span<const float> after = std::span(samples).subspan(first);
    const ProcessedRecording fromKept = ProcessFrom(after, rate, options, from, analysis);
    Require(fromKept.samples == out.samples);
    const std::size_t partLength = after.size() * (data[1] >> 2) / 63;
    const ProcessedRecording part =
        ProcessFrom(after.first(partLength), rate, options, from, analysis);
    const auto partKept = static_cast<std::size_t>(
        std::llround(part.timeline.Corners().back().output * rate * speed));
    Require(partKept <= partLength);
    Require(part.samples.size() == StretchedLength(partKept, speed));

    const std::span<const std::uint8_t> bytes(data + 5, size - 5);
    struct Collect final : StretchByteSink {
        void Take(std::span<const std::uint8_t> piece) override {
            out.insert(out.end(), piece.begin(), piece.end());
        }
        std::vector<std::uint8_t> out;
    } collect;
    StretchStream stream(rate, options.speed);
    const std::size_t piece = 1 + data[4] * 37;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        stream.PushU8(bytes.subspan(at, std::min(piece, bytes.size() - at)), collect);
    }
    stream.Finish(collect);
    Require(collect.out == ToU8(TimeStretch(SamplesFromU8(bytes), rate, options.speed)));
    return 0;
}
