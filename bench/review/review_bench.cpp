// A one-hour recording (7860 samples per second, 8-bit, no header) played at 1.5x: read,
// converted, stretched with the pitch kept as it is decoded (in the same thread, or on a
// thread of its own) and written 8-bit or 16-bit, against converting it at 1x with the
// program's routine and against a plain copy of its bytes, all through files in 64 KB
// blocks, measured alternately in the same run (best of each). The bar: the 1.5x file
// within 1.5 times the 1x conversion; the program exits with 1 when it is not.
// Usage: review_bench [repetitions]

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "conversion/recording_converter.h"
#include "recording_encoder.h"
#include "review/background_stretch.h"
#include "review/review_pipeline.h"
#include "review/time_stretch.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kLimit = 1.5;
constexpr int kRate = 7860;
constexpr std::size_t kOneHour = 3600 * kRate;
constexpr std::size_t kBlock = 64 * 1024;

// Speech-like 8-bit sound: voiced syllables of wandering pitch and level with pauses of
// hiss between them; ten seconds made once and repeated.
std::vector<std::uint8_t> OneHourOfSpeech() {
    std::mt19937 rng(1);
    std::vector<std::uint8_t> ten;
    double phase = 0;
    while (ten.size() < 10 * kRate) {
        const auto syllable = static_cast<std::size_t>((0.15 + rng() % 100 / 250.0) * kRate);
        const double f0 = 90 + rng() % 200;
        const double level = 10 + rng() % 50;
        for (std::size_t i = 0; i < syllable; ++i) {
            const double envelope = std::sin(std::numbers::pi * i / syllable);
            double s = 0;
            for (int k = 1; k < 8; ++k) {
                s += std::sin(k * phase) / k;
            }
            phase += 2 * std::numbers::pi * f0 / kRate;
            ten.push_back(static_cast<std::uint8_t>(128 + std::lround(level * envelope * s)));
        }
        const auto pause = static_cast<std::size_t>((0.05 + rng() % 100 / 120.0) * kRate);
        for (std::size_t i = 0; i < pause; ++i) {
            ten.push_back(static_cast<std::uint8_t>(127 + rng() % 3));
        }
    }
    std::vector<std::uint8_t> hour;
    hour.reserve(kOneHour);
    while (hour.size() < kOneHour) {
        hour.insert(hour.end(), ten.begin(),
                    ten.begin() +
                        static_cast<std::ptrdiff_t>(std::min(ten.size(), kOneHour - hour.size())));
    }
    return hour;
}

class FileReader final : public voice::RecordingReader {
public:
    explicit FileReader(const std::filesystem::path& path)
        : f_(std::fopen(path.string().c_str(), "rb")) {}
    ~FileReader() { std::fclose(f_); }
    std::size_t Read(std::span<std::uint8_t> into) override {
        return std::fread(into.data(), 1, into.size(), f_);
    }
    void Seek(std::uint64_t offset) override {
        std::fseek(f_, static_cast<long>(offset), SEEK_SET);
    }
    std::uint64_t Length() override {
        const long at = std::ftell(f_);
        std::fseek(f_, 0, SEEK_END);
        const long length = std::ftell(f_);
        std::fseek(f_, at, SEEK_SET);
        return static_cast<std::uint64_t>(length);
    }

private:
    std::FILE* f_;
};

class FileWriter final : public voice::ConvertedWriter {
public:
    explicit FileWriter(const std::filesystem::path& path)
        : f_(std::fopen(path.string().c_str(), "wb")) {}
    ~FileWriter() { std::fclose(f_); }
    void Append(std::span<const std::uint8_t> bytes) override {
        std::fwrite(bytes.data(), 1, bytes.size(), f_);
    }
    void RewriteHeader(std::span<const std::uint8_t> header) override {
        std::fseek(f_, 0, SEEK_SET);
        std::fwrite(header.data(), 1, header.size(), f_);
        std::fseek(f_, 0, SEEK_END);
    }

private:
    std::FILE* f_;
};

// The playback file's writer with the speed on: the converted samples go to the stretch,
// in the same thread or on a thread of its own beside the conversion, and its output is
// written in blocks, 8-bit or 16-bit.
template <typename Sample>
class StretchingWriter final : public voice::ConvertedWriter, public voice::review::StretchSink {
public:
    StretchingWriter(const std::filesystem::path& path, double speed, bool background)
        : f_(std::fopen(path.string().c_str(), "wb")), block_(kBlock / sizeof(Sample)),
          stream_(kRate, speed) {
        if (background) {
            background_.emplace(kRate, speed, *this);
        }
    }
    ~StretchingWriter() { std::fclose(f_); }
    void Finish() {
        if (background_) {
            background_->Finish();
        } else {
            stream_.Finish(*this);
        }
        WriteBlock();
    }
    void Append(std::span<const std::uint8_t> bytes) override {
        // The first 44 bytes are the header: written as they are (timing only).
        const std::size_t header = std::min(bytes.size(), 44 - std::min<std::size_t>(44, seen_));
        std::fwrite(bytes.data(), 1, header, f_);
        seen_ += bytes.size();
        if (background_) {
            background_->PushU8(bytes.subspan(header));
        } else {
            stream_.PushU8(bytes.subspan(header), *this);
        }
    }
    void RewriteHeader(std::span<const std::uint8_t>) override {}
    // Converted into a 64 KB block, written when full: under Wine each write call costs
    // about as much as copying several kilobytes.
    void Take(std::span<const float> samples) override {
        while (!samples.empty()) {
            const std::size_t count = std::min(samples.size(), block_.size() - filled_);
            const auto into = std::span(block_).subspan(filled_, count);
            if constexpr (sizeof(Sample) == 1) {
                voice::review::ToU8(samples.first(count), into);
            } else {
                voice::review::ToS16(samples.first(count), into);
            }
            filled_ += count;
            samples = samples.subspan(count);
            if (filled_ == block_.size()) {
                WriteBlock();
            }
        }
    }

private:
    void WriteBlock() {
        std::fwrite(block_.data(), sizeof(Sample), filled_, f_);
        filled_ = 0;
    }

    std::FILE* f_;
    std::vector<Sample> block_;
    std::size_t filled_ = 0;
    std::size_t seen_ = 0;
    voice::review::StretchStream stream_;
    std::optional<voice::review::BackgroundStretch> background_; // last: its thread calls Take
};

void Copy(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::FILE* in = std::fopen(from.string().c_str(), "rb");
    std::FILE* out = std::fopen(to.string().c_str(), "wb");
    std::vector<char> block(kBlock);
    std::size_t got;
    while ((got = std::fread(block.data(), 1, block.size(), in)) > 0) {
        std::fwrite(block.data(), 1, got, out);
    }
    std::fclose(in);
    std::fclose(out);
}

void Convert(const std::filesystem::path& from, const std::filesystem::path& to) {
    FileReader in(from);
    FileWriter out(to);
    voice::ConvertRecording(in, out);
}

template <typename Sample>
void ConvertStretched(const std::filesystem::path& from, const std::filesystem::path& to,
                      double speed, bool background = false) {
    FileReader in(from);
    StretchingWriter<Sample> out(to, speed, background);
    voice::ConvertRecording(in, out);
    out.Finish();
}

template <typename F> double Seconds(F f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const auto dir = std::filesystem::temp_directory_path() /
                     ("voice_review_bench_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    const auto recording = dir / "12345678.2";
    const std::vector<std::uint8_t> sound = OneHourOfSpeech();
    {
        const voice::Bytes stored =
            voice::EncodeRecording(voice::RecordingKind::HeaderlessPcm, sound);
        std::FILE* f = std::fopen(recording.string().c_str(), "wb");
        std::fwrite(stored.data(), 1, stored.size(), f);
        std::fclose(f);
    }

    double copy = 1e9, convert = 1e9, stretched8 = 1e9, stretched16 = 1e9, stretchOnly = 1e9,
           beside = 1e9;
    // One pass of each first, so all start from the same cache state.
    Copy(recording, dir / "copy.bin");
    Convert(recording, dir / "play1.wav");
    ConvertStretched<std::uint8_t>(recording, dir / "play15.wav", 1.5);
    for (int i = 0; i < repetitions; ++i) {
        copy = std::min(copy, Seconds([&] { Copy(recording, dir / "copy.bin"); }));
        convert = std::min(convert, Seconds([&] { Convert(recording, dir / "play1.wav"); }));
        stretched8 = std::min(
            stretched8,
            Seconds([&] { ConvertStretched<std::uint8_t>(recording, dir / "play15.wav", 1.5); }));
        beside =
            std::min(beside, Seconds([&] {
                         ConvertStretched<std::uint8_t>(recording, dir / "play15.wav", 1.5, true);
                     }));
        stretched16 = std::min(
            stretched16,
            Seconds([&] { ConvertStretched<std::int16_t>(recording, dir / "play15.wav", 1.5); }));
        stretchOnly = std::min(stretchOnly, Seconds([&] {
                                   struct Discard final : voice::review::StretchSink {
                                       void Take(std::span<const float> s) override {
                                           total += s.size();
                                       }
                                       std::size_t total = 0;
                                   } discard;
                                   voice::review::StretchStream stream(kRate, 1.5);
                                   stream.PushU8(sound, discard);
                                   stream.Finish(discard);
                                   if (discard.total == 0) {
                                       std::abort();
                                   }
                               }));
    }
    const double ratio = std::min(stretched8, beside) / convert;
    std::printf("one hour, %zu samples at %d Hz, best of %d\n", sound.size(), kRate, repetitions);
    std::printf("plain copy (8-bit read + 8-bit write)  %7.1f ms\n", copy * 1000);
    std::printf("conversion at 1x                        %7.1f ms  %5.2f x copy\n", convert * 1000,
                convert / copy);
    std::printf("stretch alone at 1.5x (in memory)       %7.1f ms  %5.2f x conversion\n",
                stretchOnly * 1000, stretchOnly / convert);
    std::printf(
        "conversion at 1.5x, 8-bit file          %7.1f ms  %5.2f x conversion  %5.2f x copy\n",
        stretched8 * 1000, stretched8 / convert, stretched8 / copy);
    std::printf(
        "conversion at 1.5x, 16-bit file         %7.1f ms  %5.2f x conversion  %5.2f x copy\n",
        stretched16 * 1000, stretched16 / convert, stretched16 / copy);
    std::printf(
        "conversion at 1.5x, 8-bit, stretch on a thread of its own  %7.1f ms  %5.2f x conversion\n",
        beside * 1000, beside / convert);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    std::printf(ratio <= kLimit ? "within %.1f x the 1x conversion\n"
                                : "above %.1f x the 1x conversion\n",
                kLimit);
    return ratio <= kLimit ? 0 : 1;
}
