#include "export/incident_sources.h"

#include "conversion/playback_stream.h"
#include "export/background_sha256.h"
#include "export/source_recording.h"
#include "incident/resampler.h"

namespace voice::exporting {
namespace {

inline constexpr wchar_t kNotPcm[] = L"WAV не в формате PCM: в общий файл не включается";

// A recording's playback samples with the file they come from.
class RecordingSamples final : public incident::SampleSource {
public:
    explicit RecordingSamples(const std::filesystem::path& path)
        : recording_(std::make_unique<SourceRecording>(path)) {
        if (recording_->IsOpen())
            stream_ = std::make_unique<PlaybackStream>(*recording_);
    }
    bool Matches(const IncidentSource& source) const {
        return stream_ && recording_->Length() == source.length &&
               stream_->SampleRate() == source.rate;
    }
    std::size_t Read(std::span<float> into) override {
        const std::size_t n = stream_->Read(into);
        return recording_->Failed() ? 0 : n;
    }

private:
    std::unique_ptr<SourceRecording> recording_;
    std::unique_ptr<PlaybackStream> stream_;
};

} // namespace

IncidentSources ReadIncidentSources(const std::vector<std::wstring>& lines,
                                    ExportProgress& progress, RecordingOutcome& failures) {
    IncidentSources result;
    BackgroundSha256 hash;
    std::vector<float> samples(65536);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (progress.CancelRequested()) {
            result.cancelled = true;
            return result;
        }
        IncidentSource item;
        item.index = i;
        item.columns = ReadLineColumns(lines[i]); // the one place the lines are read
        progress.OnPreparing(i, lines.size(), item.columns.source);
        hash.Reset();
        SourceRecording source(PathFromWide(item.columns.source), hash);
        if (!source.IsOpen()) {
            failures.Fail(i, item.columns.source, kCannotOpen);
            continue;
        }
        item.length = source.Length();
        PlaybackStream stream(source);
        item.rate = stream.SampleRate();
        if (item.rate == 0) {
            failures.Fail(i, item.columns.source,
                          stream.Kind() == RecordingKind::Wav ? kNotPcm : kNoDecoder);
            continue;
        }
        if (const auto frames = stream.Frames()) {
            item.frames = *frames;
        } else {
            // The recorder's forms: decoded once here to count their samples.
            for (std::size_t n; (n = stream.Read(samples)) > 0;)
                item.frames += n;
        }
        const auto digest = source.FinishHash();
        if (source.Failed() || !digest) {
            failures.Fail(i, item.columns.source, source.Failed() ? kCannotRead : kHashFailed);
            continue;
        }
        item.digest = HexDigest(*digest);
        result.sources.push_back(std::move(item));
    }
    return result;
}

std::unique_ptr<incident::SampleSource> OpenIncidentSource(const IncidentSource& source,
                                                           int outRate) {
    auto samples = std::make_unique<RecordingSamples>(PathFromWide(source.columns.source));
    if (!samples->Matches(source))
        return nullptr;
    if (source.rate == outRate)
        return samples;
    return std::make_unique<incident::Resampler>(std::move(samples), source.rate, outRate);
}

} // namespace voice::exporting
