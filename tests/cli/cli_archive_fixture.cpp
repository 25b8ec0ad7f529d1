#include "cli_archive_fixture.h"

#include "recording_encoder.h"

namespace voice::cli::test {

CliArchiveTest::CliArchiveTest() {
    const RecordingKind kinds[] = {RecordingKind::Wav,         RecordingKind::HeaderlessPcm,
                                   RecordingKind::Inverted,    RecordingKind::InvertedRuns,
                                   RecordingKind::SwappedRuns, RecordingKind::PlainRuns};
    int n = 0;
    for (int channel : {1, 2, 3})
        for (const RecordingKind kind : kinds) {
            Add(channel, {2026, 12, 5, n, 0, 0},
                EncodeRecording(kind, SoundWithRuns(2000 + 301 * n, n)));
            ++n;
        }
}

std::filesystem::path CliArchiveTest::Base(int channel) const {
    return Root() / ("ch" + std::to_string(channel));
}

std::filesystem::path CliArchiveTest::Add(int channel, const DateTimeParts& start,
                                          const std::vector<std::uint8_t>& content) {
    const std::wstring name = exporting::test::RecordingName(start, channel);
    const std::filesystem::path dir = Base(channel) / name.substr(0, 3);
    exporting::test::AddRecording(dir, channel, start, content);
    return dir / name;
}

std::vector<std::string> CliArchiveTest::Args(std::vector<std::string> extra,
                                              const std::string& channels, const std::string& from,
                                              const std::string& to) const {
    std::vector<std::string> args = {"--channels", channels, "--from", from, "--to", to};
    for (int channel : {1, 2, 3})
        args.insert(args.end(), {"--dir", std::to_string(channel) + "=" + Native(Base(channel))});
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

std::filesystem::path CliArchiveTest::IndexIn(const std::filesystem::path& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".csv")
            return entry.path();
    return {};
}

} // namespace voice::cli::test
