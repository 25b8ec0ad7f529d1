// The sources of an incident as the window's playback and its stream take them: which
// recordings sound, in what order and where, what is left out and why, and what is opened
// when the stream reaches a recording.

#include "incident/session/source_feed.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "catalogue/line_columns.h"
#include "catalogue/list_line.h"
#include "platform/safe_file.h"
#include "recording_encoder.h"

namespace voice::incident {
namespace {

namespace fs = std::filesystem;

constexpr int kRecorderRate = 7860;

class Folder {
public:
    Folder() {
        std::random_device random;
        path_ = fs::temp_directory_path() / ("voice-feed-" + std::to_string(random()));
        fs::create_directories(path_);
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

// A recording of the list: its channel, its start (seconds after 9:00 on 7.12.2026) and
// its bytes; no bytes at all: the file is not there.
struct Source {
    int channel = 1;
    int start = 0;
    Bytes bytes;
};

Bytes Recorder(double seconds) {
    return EncodeRecording(RecordingKind::HeaderlessPcm,
                           Bytes(static_cast<std::size_t>(seconds * kRecorderRate), 0x90));
}

Bytes Wav16(double seconds, std::uint32_t rate) {
    return EncodeRecording(RecordingKind::Wav,
                           Bytes(static_cast<std::size_t>(seconds * rate) * 2, 0x10),
                           {rate, 1, 16});
}

Bytes NoDecoder() {
    return EncodeRecording(RecordingKind::Undecodable, Bytes(7860, 0x90));
}

DateTimeParts At(int second) {
    return {2026, 12, 7, 9, second / 60, second % 60};
}

void Write(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::wstring> Lines(const fs::path& folder, const std::vector<Source>& sources) {
    std::vector<std::wstring> lines;
    for (const Source& s : sources) {
        fs::path path = folder / std::to_string(lines.size());
        path.replace_extension(std::to_string(s.channel));
        if (!s.bytes.empty())
            Write(path, s.bytes);
        lines.push_back(BuildListLine(s.channel, At(s.start), At(s.start + 60), s.bytes.size(),
                                      path.wstring()));
    }
    return lines;
}

struct PlacingCase {
    const char* what;
    std::vector<Source> sources;
    IncidentOptions options;
    int rate;
    std::vector<int> channels;
    std::vector<std::size_t> lines; // the lines heard, in the order they sound
    std::vector<double> at;         // where each starts in the mix (s)
    double seconds;                 // the whole mix
};

IncidentOptions RealTime() {
    IncidentOptions options;
    options.gapSeconds = 0;
    return options;
}

IncidentOptions Span(int from, int to) {
    IncidentOptions options;
    options.from = At(from);
    options.to = At(to);
    return options;
}

// The default shortens a silence over 2 s to 2 s.
// clang-format off
const PlacingCase kPlacing[] = {
    // what; sources {channel, start, bytes}; options;
    //   rate, lanes' channels, lines in the order heard, their starts in the mix (s), the mix (s)
    {"by their starts, not the list's order",
     {{1, 10, Recorder(1)}, {2, 0, Recorder(1)}}, {},
     kRecorderRate, {1, 2}, {1, 0}, {0, 3}, 4},
    {"overlaps at their true distance",
     {{1, 0, Recorder(3)}, {2, 1, Recorder(1)}}, {},
     kRecorderRate, {1, 2}, {0, 1}, {0, 1}, 3},
    {"real time when asked",
     {{1, 0, Recorder(1)}, {2, 10, Recorder(1)}}, RealTime(),
     kRecorderRate, {1, 2}, {0, 1}, {0, 10}, 11},
    {"a recording that is not there is left out",
     {{1, 0, Recorder(1)}, {1, 1, {}}, {3, 2, Recorder(1)}}, {},
     kRecorderRate, {1, 3}, {0, 2}, {0, 2}, 3},
    {"a form without a decoder is left out",
     {{1, 0, NoDecoder()}, {1, 5, Recorder(1)}}, {},
     kRecorderRate, {1}, {1}, {0}, 1},
    {"the highest rate of those that can be read",
     {{1, 0, Recorder(1)}, {2, 1, Wav16(1, 16000)}, {2, 2, {}}}, {},
     16000, {1, 2}, {0, 1}, {0, 1}, 2},
    {"a span cuts the recording it begins in and leaves out those after it",
     {{1, 0, Recorder(4)}, {2, 3, Recorder(1)}, {1, 30, Recorder(1)}}, Span(2, 5),
     kRecorderRate, {1, 2}, {0, 1}, {0, 1}, 3},
};
// clang-format on

TEST(SourceFeed, PlacesWhatCanBeReadByWhereItBegins) {
    for (const PlacingCase& c : kPlacing) {
        SCOPED_TRACE(c.what);
        Folder folder;
        SourceFeed feed(Lines(folder.Path(), c.sources), c.options);
        EXPECT_EQ(feed.Rate(), c.rate);
        EXPECT_EQ(feed.Channels(), c.channels);
        EXPECT_FALSE(feed.Empty());
        std::vector<std::size_t> lines;
        std::vector<double> at;
        for (std::size_t k = 0; const auto placed = feed.Placed(k); ++k) {
            lines.push_back(feed.Pieces()[k].line);
            at.push_back(feed.Pieces()[k].at);
            EXPECT_DOUBLE_EQ(static_cast<double>(placed->item.place.at) / c.rate, at.back());
        }
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(at, c.at);
        EXPECT_EQ(feed.Frames(), static_cast<std::int64_t>(c.seconds * c.rate));
        EXPECT_DOUBLE_EQ(feed.Seconds(), c.seconds);
    }
}

TEST(SourceFeed, NothingToPlayWhenNothingCanBeRead) {
    const std::vector<Source> cases[] = {
        {},
        {{1, 0, {}}},
        {{1, 0, NoDecoder()}, {2, 1, {}}},
    };
    for (const auto& sources : cases) {
        Folder folder;
        SourceFeed feed(Lines(folder.Path(), sources), {});
        EXPECT_TRUE(feed.Empty()) << sources.size();
        EXPECT_EQ(feed.Rate(), 0);
        EXPECT_FALSE(feed.Placed(0).has_value());
        EXPECT_EQ(feed.Frames(), 0);
        EXPECT_EQ(feed.Seconds(), 0.0);
    }
    Folder folder;
    SourceFeed outside(Lines(folder.Path(), {{1, 0, Recorder(1)}}), Span(30, 40));
    EXPECT_TRUE(outside.Empty());
}

// What the stream opens is the recording as it was looked at, at the mix's rate; a file
// changed since then no longer belongs to the mix.
TEST(SourceFeed, OpensARecordingAtTheMixRateOnlyWhileItIsAsLookedAt) {
    Folder folder;
    const std::vector<std::wstring> lines =
        Lines(folder.Path(), {{1, 0, Recorder(1)}, {2, 0, Wav16(2, 16000)}});
    SourceFeed feed(lines, {});
    ASSERT_EQ(feed.Rate(), 16000);
    std::vector<float> samples(40000);
    for (std::size_t k = 0; const auto placed = feed.Placed(k); ++k) {
        const auto source = feed.Open(placed->id);
        ASSERT_NE(source, nullptr);
        EXPECT_EQ(static_cast<std::int64_t>(source->Read(samples)), placed->item.place.frames)
            << "line " << feed.Pieces()[k].line;
    }
    const auto first = feed.Placed(0);
    ASSERT_TRUE(first.has_value());
    Write(PathFromWide(ReadLineColumns(lines[feed.Pieces()[0].line]).source), Recorder(3));
    EXPECT_EQ(feed.Open(first->id), nullptr);
}

} // namespace
} // namespace voice::incident
