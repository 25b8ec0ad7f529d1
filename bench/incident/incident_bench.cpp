// The incident of 8 channels over one hour (each channel sounding about half the time,
// kinds 1 to 6 in turn) in the default stereo layout, against a floor measured in the same
// run: merging the same recordings plus the SHA-256 of the same source files, each file
// read and hashed as the incident hashes its sources (bar 1.5, aim 1.3). Both read every
// recording to plan and to write; the incident must also hash each for its index, which
// the merge does not, so the merge alone is no fair floor (its ratio is printed beside).
// The incident also mixes, and resamples nothing (all at the recorder's rate).
// Then the first sound of the same incident played (Ctrl+Enter): looking at the sources,
// mixing the first part and writing it as the playback file, against writing the playback
// file of the one recording that starts first (decoded whole, as "Start" does), bar 150 ms.
// Usage: incident_bench [repetitions]

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "../bench_files.h"
#include "catalogue/line_columns.h"
#include "catalogue/list_line.h"
#include "catalogue/local_time.h"
#include "conversion/playback_stream.h"
#include "conversion/wav/source_recording.h"
#include "conversion/wav/wav_header.h"
#include "export/export_job.h"
#include "export/incident_export.h"
#include "incident/session/incident_playback.h"
#include "platform/digest/background_sha256.h"
#include "platform/safe_file.h"
#include "recording_encoder.h"

namespace {

namespace fs = std::filesystem;
using voice::bench::TimeOf;

constexpr double kLimit = 1.5;
constexpr double kAim = 1.3;
constexpr double kFirstSoundLimit = 0.150; // s
constexpr int kChannels = 8;
constexpr int kRate = 7860;
constexpr int kHour = 3600;

class Silent final : public voice::exporting::ExportProgress {
public:
    void OnItem(std::size_t, std::size_t, const std::wstring&) override {}
    bool CancelRequested() const override { return false; }
};

// Speech-like 8-bit sound; even samples, as the run forms keep the lowest bit.
voice::Bytes Sound(std::size_t length, std::mt19937& rng) {
    voice::Bytes sound;
    sound.reserve(length);
    int level = 128;
    while (sound.size() < length) {
        level = std::clamp(level + static_cast<int>(rng() % 21) - 10, 30, 225);
        sound.push_back(static_cast<std::uint8_t>((level + static_cast<int>(rng() % 9) - 4) & ~1));
    }
    return sound;
}

// Each channel: recordings of 20 to 120 s with pauses as long between them.
std::vector<std::wstring> MakeArchive(const fs::path& base) {
    std::mt19937 rng(7);
    std::vector<std::wstring> lines;
    int kind = 0;
    for (int channel = 1; channel <= kChannels; ++channel) {
        const fs::path dir = base / ("kanal" + std::to_string(channel));
        fs::create_directories(dir);
        for (int at = static_cast<int>(rng() % 60); at < kHour;) {
            const int seconds = std::min(20 + static_cast<int>(rng() % 100), kHour - at);
            const voice::Bytes content =
                voice::EncodeRecording(static_cast<voice::RecordingKind>(kind++ % 6 + 1),
                                       Sound(static_cast<std::size_t>(seconds) * kRate, rng));
            const fs::path file = dir / ("rec" + std::to_string(at) + ".1");
            std::ofstream(file, std::ios::binary)
                .write(reinterpret_cast<const char*>(content.data()),
                       static_cast<std::streamsize>(content.size()));
            const voice::DateTimeParts start{2026, 12, 7, 8 + at / 3600, at / 60 % 60, at % 60};
            const int end = at + seconds;
            const voice::DateTimeParts stop{2026, 12, 7, 8 + end / 3600, end / 60 % 60, end % 60};
            lines.push_back(
                voice::BuildListLine(channel, start, stop, content.size(), file.wstring()));
            at += seconds + 20 + static_cast<int>(rng() % 100);
        }
    }
    return lines;
}

// Every source's SHA-256, each file read through and hashed as the incident hashes it; the
// hash's thread reused from file to file, as the incident reuses its hashes'.
void HashSources(const std::vector<std::wstring>& lines, voice::BackgroundSha256& hash) {
    for (const std::wstring& line : lines) {
        voice::SourceRecording source(
            voice::PathFromWide(voice::ReadLineColumns(line).source), hash);
        if (!source.FinishHash()) {
            std::fprintf(stderr, "a source could not be hashed\n");
            std::exit(2);
        }
    }
}

// 16-bit frames into a WAV file, as the playback file is written.
void WriteWav(const fs::path& path, int rate, int channels, const std::vector<std::int16_t>& pcm) {
    const auto bytes = static_cast<std::uint32_t>(pcm.size() * 2);
    const std::vector<std::uint8_t> header = voice::Pcm16WavHeader(rate, channels, bytes);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(header.data()),
              static_cast<std::streamsize>(header.size()));
    out.write(reinterpret_cast<const char*>(pcm.data()), static_cast<std::streamsize>(bytes));
}

// The playback file of one recording: decoded whole and written 16-bit.
void PlayOne(const std::wstring& line, const fs::path& target) {
    voice::SourceRecording source(voice::PathFromWide(voice::ReadLineColumns(line).source));
    voice::PlaybackStream stream(source);
    std::vector<float> samples(1 << 16);
    std::vector<std::int16_t> pcm;
    for (std::size_t n; (n = stream.Read(samples)) > 0;)
        for (std::size_t i = 0; i < n; ++i)
            pcm.push_back(static_cast<std::int16_t>(std::lround(samples[i] * 32767)));
    WriteWav(target, stream.SampleRate(), 1, pcm);
}

// Ctrl+Enter to the playback file the player opens: what the window does before it plays.
void FirstSound(const std::vector<std::wstring>& lines, const fs::path& target) {
    voice::incident::IncidentPlayback play(lines, {});
    const voice::incident::StreamPart part = play.Part(0, 4.0, 0.5, {});
    WriteWav(target, play.Rate(), play.Outputs(), part.pcm);
}

} // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const fs::path dir = fs::temp_directory_path() / "voice_incident_bench";
    fs::remove_all(dir);
    const fs::path archive = dir / "archive", out = dir / "out";
    fs::create_directories(out);
    const std::vector<std::wstring> lines = MakeArchive(archive);
    std::uintmax_t bytes = 0;
    for (const std::wstring& line : lines)
        bytes += fs::file_size(line.substr(80));
    Silent progress;
    // Each written as a new file, as a user writes one: replacing would add the guard's
    // look through the archive and the old file's removal, the same for both and noisy.
    auto fresh = [](fs::path file) {
        fs::remove(file);
        fs::remove(file.replace_extension(".csv"));
    };
    auto merge = [&] {
        voice::exporting::MergeRecordings(lines, out / "merged.wav", {archive}, progress, false);
    };
    auto incident = [&] {
        voice::exporting::ExportIncident(lines, out / "incident.wav", {archive}, {}, progress,
                                         false);
    };
    voice::BackgroundSha256 hash;
    auto hashSources = [&] { HashSources(lines, hash); };
    fresh(out / "merged.wav");
    merge();
    hashSources();
    fresh(out / "incident.wav");
    incident();
    double best = 1e9, merging = 1e9, hashing = 1e9;
    for (int i = 0; i < repetitions; ++i) {
        fresh(out / "merged.wav");
        merging = std::min(merging, TimeOf(merge));
        hashing = std::min(hashing, TimeOf(hashSources));
        fresh(out / "incident.wav");
        best = std::min(best, TimeOf(incident));
    }
    const double floor = merging + hashing;
    const double ratio = best / floor;
    std::printf("%zu recordings on %d channels over one hour, %.1f MB stored; incident file "
                "%.1f MB\n",
                lines.size(), kChannels, bytes / 1048576.0,
                fs::file_size(out / "incident.wav") / 1048576.0);
    std::printf("merge %6.0f ms + SHA-256 of the sources %6.0f ms = floor %6.0f ms  incident "
                "%6.0f ms\n",
                merging * 1000, hashing * 1000, floor * 1000, best * 1000);
    std::printf("ratio %.2f  bar %.1f  aim %.1f  (to the merge alone %.2f)\n", ratio, kLimit, kAim,
                best / merging);

    // The recording the incident starts with, as the designed playback plays it.
    const std::wstring firstLine = *std::min_element(
        lines.begin(), lines.end(), [](const std::wstring& a, const std::wstring& b) {
            using voice::ReadLineColumns, voice::SecondsOf;
            return SecondsOf(ReadLineColumns(a).start) < SecondsOf(ReadLineColumns(b).start);
        });
    FirstSound(lines, out / "first.wav");
    double first = 1e9, one = 1e9;
    for (int i = 0; i < repetitions; ++i) {
        one = std::min(one, TimeOf([&] { PlayOne(firstLine, out / "one.wav"); }));
        first = std::min(first, TimeOf([&] { FirstSound(lines, out / "first.wav"); }));
    }
    std::printf("first sound: one recording's playback file %6.1f ms  incident's first part "
                "%6.1f ms  ratio %.2f  bar %.0f ms\n",
                one * 1000, first * 1000, first / one, kFirstSoundLimit * 1000);
    fs::remove_all(dir);
    return ratio <= kLimit && first <= kFirstSoundLimit ? 0 : 1;
}
