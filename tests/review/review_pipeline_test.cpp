// The whole chain as the playback file's writer uses it: sample conversions, the default
// left alone, where each moment went, restarting mid-way, and sox's tempo as a reference.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "review/pause_shortener.h"
#include "review/review_pipeline.h"
#include "review/time_stretch.h"
#include "review_signals.h"

namespace voice::review {
namespace {

using test::kRate;

TEST(SampleConversion, EightAndSixteenBitRoundTrips) {
    const struct {
        std::uint8_t u8;
        float value;
        std::int16_t s16;
    } cases[] = {{0, -1.0f, -32768}, {1, -127 / 128.0f, -32512}, {127, -1 / 128.0f, -256},
                 {128, 0.0f, 0},     {129, 1 / 128.0f, 256},     {255, 127 / 128.0f, 32512}};
    for (const auto& c : cases) {
        const std::uint8_t in[] = {c.u8};
        const std::vector<float> f = SamplesFromU8(in);
        EXPECT_EQ(f[0], c.value) << int{c.u8};
        EXPECT_EQ(ToS16(f)[0], c.s16) << int{c.u8};
        EXPECT_EQ(ToU8(f)[0], c.u8);
    }
    std::vector<std::int16_t> every;
    for (int v = -32768; v <= 32767; ++v) {
        every.push_back(static_cast<std::int16_t>(v));
    }
    EXPECT_EQ(ToS16(SamplesFromS16(every)), every);
}

TEST(SampleConversion, ToS16RoundsAndClamps) {
    const struct {
        float in;
        std::int16_t out;
    } cases[] = {{1.0f, 32767},     {1.7f, 32767},       {-1.0f, -32768},   {-3.0f, -32768},
                 {0.6f / 32768, 1}, {-0.6f / 32768, -1}, {0.4f / 32768, 0}, {NAN, 0},
                 {INFINITY, 32767}, {-INFINITY, -32768}};
    for (const auto& c : cases) {
        const float in[] = {c.in};
        EXPECT_EQ(ToS16(in)[0], c.out) << c.in;
    }
    const struct {
        float in;
        std::uint8_t out;
    } eightBit[] = {{1.0f, 255},       {-1.0f, 0},         {2.0f, 255}, {-2.0f, 0},
                    {0.6f / 128, 129}, {-0.6f / 128, 127}, {NAN, 128}};
    for (const auto& c : eightBit) {
        const float in[] = {c.in};
        EXPECT_EQ(ToU8(in)[0], c.out) << c.in;
    }
}

// The stretch converts every decoded byte through the wide path: each of the 256 values,
// wherever it sits, is (value - 128) / 128 exactly.
TEST(SampleConversion, EveryByteValueAtEveryPositionOfALongBuffer) {
    for (const std::size_t shift : {0, 1, 7, 15}) {
        std::vector<std::uint8_t> bytes(256 + 19);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<std::uint8_t>((i + shift) % 256);
        }
        const std::vector<float> samples = SamplesFromU8(bytes);
        ASSERT_EQ(samples.size(), bytes.size());
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            EXPECT_EQ(samples[i] * 128.0f, static_cast<float>(int{bytes[i]} - 128)) << i;
        }
        EXPECT_EQ(ToU8(samples), bytes);
    }
}

// The writer converts long buffers, which go through the processors' wide path; every
// sample there must come out as it does alone, wherever it sits in the buffer.
TEST(SampleConversion, LongBuffersConvertEachSampleAsItWouldAlone) {
    const struct {
        float in;
        std::uint8_t u8;
        std::int16_t s16;
    } cases[] = {{0.0f, 128, 0},          {NAN, 128, 0},
                 {INFINITY, 255, 32767},  {-INFINITY, 0, -32768},
                 {1.0f, 255, 32767},      {-1.0f, 0, -32768},
                 {-1.5f, 0, -32768},      {127 / 128.0f, 255, 32512},
                 {0.49f / 128, 128, 125}, {-0.51f / 128, 127, -131},
                 {0.5f / 32768, 128, 1},  {-0.5f / 32768, 128, 0},
                 {-100.0f, 0, -32768}};
    const std::size_t count = std::size(cases);
    // Each value at every position of a 41-sample buffer (two and a half wide steps of 16).
    for (std::size_t shift = 0; shift < 41; ++shift) {
        std::vector<float> buffer(41);
        for (std::size_t i = 0; i < buffer.size(); ++i) {
            buffer[i] = cases[(i + shift) % count].in;
        }
        const std::vector<std::uint8_t> u8 = ToU8(buffer);
        const std::vector<std::int16_t> s16 = ToS16(buffer);
        for (std::size_t i = 0; i < buffer.size(); ++i) {
            const auto& c = cases[(i + shift) % count];
            EXPECT_EQ(u8[i], c.u8) << c.in << " at " << i;
            EXPECT_EQ(s16[i], c.s16) << c.in << " at " << i;
        }
    }
}

// A recording of words and long pauses on a hissing line.
std::vector<float> WordsAndPauses() {
    std::vector<float> samples;
    unsigned seed = 40;
    for (const double f0 : {100.0, 210.0, 150.0}) {
        test::Append(samples, test::Noise(1.5, 0.002, ++seed));
        std::vector<float> word = test::Voiced(f0, 1.0, 0.05);
        const std::vector<float> hiss = test::Noise(1.0, 0.002, ++seed);
        for (std::size_t i = 0; i < word.size(); ++i) {
            word[i] += hiss[i];
        }
        test::Append(samples, word);
    }
    return samples;
}

TEST(ReviewPipeline, DefaultOptionsLeaveTheSamplesAsTheyAre) {
    const std::vector<float> samples = WordsAndPauses();
    const ProcessedRecording out = ProcessRecordingWithTimeline(samples, kRate, ReviewOptions{});
    EXPECT_EQ(out.samples, samples);
    EXPECT_DOUBLE_EQ(out.timeline.OutputFromSource(3.7), 3.7);
}

const ReviewOptions kCombinations[] = {{1.5, false, false}, {0.5, true, false},
                                       {1.0, true, true},   {2.0, true, true},
                                       {3.0, false, true},  {1.25, true, false}};

// The timeline says where each word went: the word is there in the output, and the
// moment maps back to where it came from.
TEST(ReviewPipeline, TheTimelineFindsEachWordInTheOutput) {
    const std::vector<float> samples = WordsAndPauses();
    for (const ReviewOptions& options : kCombinations) {
        const ProcessedRecording out = ProcessRecordingWithTimeline(samples, kRate, options);
        const double seconds = static_cast<double>(out.samples.size()) / kRate;
        EXPECT_NEAR(out.timeline.OutputFromSource(static_cast<double>(samples.size()) / kRate),
                    seconds, 1.0 / kRate);
        for (const double wordStart : {1.5, 4.0, 6.5}) {
            const double at = out.timeline.OutputFromSource(wordStart + 0.1);
            EXPECT_NEAR(out.timeline.SourceFromOutput(at), wordStart + 0.1, 1e-9);
            // 100 ms into the word there is voice; 100 ms before it, only the line's hiss.
            const auto window = [&](double t) {
                return std::span(out.samples)
                    .subspan(static_cast<std::size_t>(t * kRate),
                             static_cast<std::size_t>(0.05 * kRate));
            };
            const double before = out.timeline.OutputFromSource(wordStart - 0.1);
            EXPECT_GT(test::RmsDb(window(at)), test::RmsDb(window(before - 0.05)) + 20)
                << options.speed << " word at " << wordStart;
        }
        if (options.shortenPauses) {
            // Each 1.5 s pause became 0.25 s.
            EXPECT_NEAR(out.timeline.OutputFromSource(4.0) - out.timeline.OutputFromSource(2.5),
                        0.25 / options.speed, 0.02 / options.speed);
        }
    }
}

// A speed change mid-way restarts from the same moment: the rest comes out as long as the
// whole pass's rest, and at speed 1 sample for sample the same.
TEST(ReviewPipeline, ProcessingFromAMomentContinuesTheWholePass) {
    const std::vector<float> samples = WordsAndPauses();
    for (const ReviewOptions& options : kCombinations) {
        const ProcessedRecording whole = ProcessRecordingWithTimeline(samples, kRate, options);
        for (const double from : {0.0, 2.0, 4.3}) {
            const ProcessedRecording rest = ProcessFrom(samples, kRate, options, from);
            EXPECT_DOUBLE_EQ(rest.timeline.OutputFromSource(from), 0.0);
            const double restSeconds = static_cast<double>(rest.samples.size()) / kRate;
            const double expected = static_cast<double>(whole.samples.size()) / kRate -
                                    whole.timeline.OutputFromSource(from);
            EXPECT_NEAR(restSeconds, expected, 0.01) << options.speed << " from " << from;
            EXPECT_NEAR(
                rest.timeline.OutputFromSource(6.0),
                whole.timeline.OutputFromSource(6.0) - whole.timeline.OutputFromSource(from), 0.01);
            if (options.speed == 1.0 && from == 4.3) { // inside a word, away from any fade
                const auto skip = static_cast<std::size_t>(
                    std::lround(whole.timeline.OutputFromSource(from) * kRate));
                ASSERT_EQ(skip + rest.samples.size(), whole.samples.size());
                EXPECT_TRUE(std::equal(rest.samples.begin(), rest.samples.end(),
                                       whole.samples.begin() + static_cast<long>(skip)));
            }
        }
    }
}

// The analysis kept for a loaded recording gives what judging the whole recording again
// gives, sample for sample, whether the rest is handed over alone or the whole recording.
TEST(ReviewPipeline, KeptAnalysisGivesWhatJudgingAgainGives) {
    const std::vector<float> samples = WordsAndPauses();
    const RecordingAnalysis analysis = AnalyseRecording(samples, kRate);
    for (const ReviewOptions& options : kCombinations) {
        for (const double from : {0.0, 2.0, 3.2, 4.3}) { // 3.2: inside a cut pause
            const ProcessedRecording again = ProcessFrom(samples, kRate, options, from);
            const auto first = static_cast<std::size_t>(std::lround(from * kRate));
            const ProcessedRecording kept =
                ProcessFrom(std::span(samples).subspan(first), kRate, options, from, analysis);
            EXPECT_EQ(kept.samples, again.samples) << options.speed << " from " << from;
            ASSERT_EQ(kept.timeline.Corners().size(), again.timeline.Corners().size());
            for (std::size_t i = 0; i < kept.timeline.Corners().size(); ++i) {
                EXPECT_DOUBLE_EQ(kept.timeline.Corners()[i].source,
                                 again.timeline.Corners()[i].source);
                EXPECT_DOUBLE_EQ(kept.timeline.Corners()[i].output,
                                 again.timeline.Corners()[i].output);
            }
        }
    }
}

// A part that stops short of the end, at speed 1: the whole pass's output up to where the
// part ends, a pause cut across its end cut up to there, and the level of the whole.
TEST(ReviewPipeline, APartIsTheWholePassUpToItsEnd) {
    const std::vector<float> samples = WordsAndPauses();
    const RecordingAnalysis analysis = AnalyseRecording(samples, kRate);
    const struct {
        double from, to;
    } parts[] = {{2.0, 3.2}, {2.0, 4.6}, {4.3, 6.0}, {0.5, 7.4}, {0.0, 1.0}};
    for (const ReviewOptions options :
         {ReviewOptions{1.0, true, true}, ReviewOptions{1.0, true, false},
          ReviewOptions{1.0, false, true}}) {
        for (const auto& part : parts) {
            const ProcessedRecording whole = ProcessFrom(samples, kRate, options, part.from);
            const auto first = static_cast<std::size_t>(std::lround(part.from * kRate));
            const auto last = static_cast<std::size_t>(std::lround(part.to * kRate));
            const ProcessedRecording out =
                ProcessFrom(std::span(samples).subspan(first, last - first), kRate, options,
                            part.from, analysis);
            const double end = whole.timeline.OutputFromSource(part.to);
            EXPECT_NEAR(static_cast<double>(out.samples.size()) / kRate, end, 1.5 / kRate)
                << part.from << ".." << part.to;
            EXPECT_NEAR(out.timeline.OutputFromSource(part.to), end, 1e-9);
            ASSERT_LE(out.samples.size(), whole.samples.size());
            EXPECT_TRUE(std::equal(out.samples.begin(), out.samples.end(), whole.samples.begin()))
                << part.from << ".." << part.to;
        }
    }
}

#ifndef _WIN32
// sox's tempo effect as a reference for the stretched length and the kept pitch; the
// samples go both ways as raw 16-bit.
void WriteRaw16(const std::filesystem::path& path, std::span<const float> samples) {
    const std::vector<std::int16_t> pcm = ToS16(samples);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(pcm.data()), static_cast<long>(pcm.size() * 2));
}

std::vector<float> ReadRaw16(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::int16_t> pcm;
    std::int16_t v;
    while (in.read(reinterpret_cast<char*>(&v), 2)) {
        pcm.push_back(v);
    }
    return SamplesFromS16(pcm);
}

TEST(ReviewPipeline, LengthAndPitchAgreeWithSoxTempo) {
    if (std::system("sox --version >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "sox is not installed";
    }
    const auto dir =
        std::filesystem::temp_directory_path() /
        ("voice_review_sox_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "_" + std::to_string(std::rand()));
    std::filesystem::create_directories(dir);
    const std::vector<float> source = test::Voiced(130, 3.0, 0.1);
    WriteRaw16(dir / "in.raw", source);
    for (const double speed : {0.75, 1.5, 2.5}) {
        const std::string command = "sox -t raw -r 7860 -e signed -b 16 -c 1 \"" +
                                    (dir / "in.raw").string() + "\" -t raw -e signed -b 16 \"" +
                                    (dir / "out.raw").string() + "\" tempo -s " +
                                    std::to_string(speed);
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const std::vector<float> reference = ReadRaw16(dir / "out.raw");
        const std::vector<float> ours = ProcessRecording(source, kRate, {speed, false, false});
        ASSERT_FALSE(reference.empty());
        EXPECT_NEAR(static_cast<double>(ours.size()) / reference.size(), 1.0, 0.005) << speed;
        EXPECT_NEAR(test::FundamentalHz(ours) / test::FundamentalHz(reference), 1.0, 0.01) << speed;
    }
    std::filesystem::remove_all(dir);
}
#endif

} // namespace
} // namespace voice::review
