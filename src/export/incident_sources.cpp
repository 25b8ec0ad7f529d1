#include "export/incident_sources.h"

#include <atomic>
#include <exception>
#include <stop_token>
#include <thread>

#include "conversion/playback_stream.h"
#include "conversion/wav/source_recording.h"
#include "incident/resampler.h"
#include "platform/digest/background_sha256.h"

namespace voice::exporting {

// A recording's playback samples with the file they come from.
class RecordingSamples final : public incident::SampleSource {
public:
    RecordingSamples(const std::filesystem::path& path, BackgroundSha256& hash)
        : recording_(std::make_unique<SourceRecording>(path, hash)) {
        if (recording_->IsOpen())
            stream_ = std::make_unique<PlaybackStream>(*recording_);
    }
    bool Matches(const incident::IncidentSource& source) const {
        return stream_ && recording_->Length() == source.length &&
               stream_->SampleRate() == source.rate;
    }
    std::size_t Read(std::span<float> into) override {
        const std::size_t n = stream_->Read(into);
        return recording_->Failed() ? 0 : n;
    }
    std::wstring Finish() {
        const auto digest = recording_->FinishHash();
        return digest && !recording_->Failed() ? HexDigest(*digest) : std::wstring();
    }

private:
    std::unique_ptr<SourceRecording> recording_;
    std::unique_ptr<PlaybackStream> stream_;
};

// The lines are shared between this thread and one more, each taking the next line not
// yet taken: counting a run-coded form's samples means decoding it, and two processors
// halve that. Progress is told, and cancelling asked, for the lines this thread takes.
IncidentSources ReadIncidentSources(const std::vector<std::wstring>& lines,
                                    ExportProgress& progress, RecordingOutcome& failures) {
    std::vector<incident::IncidentSource> items(lines.size());
    std::vector<const wchar_t*> failure(lines.size(), nullptr);
    std::vector<char> looked(lines.size(), 0);
    std::atomic<std::size_t> next{0};
    const auto read = [&](std::size_t i) {
        items[i].index = i;
        items[i].columns = ReadLineColumns(lines[i]); // the one place the lines are read
    };
    const auto look = [&](std::size_t i) {
        failure[i] = incident::LookAtIncidentSource(items[i], true);
        looked[i] = 1;
    };
    std::exception_ptr helperFailed;
    IncidentSources result;
    {
        std::jthread helper([&](std::stop_token stop) {
            try {
                for (std::size_t i; !stop.stop_requested() && (i = next++) < lines.size();) {
                    read(i);
                    look(i);
                }
            } catch (...) {
                helperFailed = std::current_exception();
            }
        });
        for (std::size_t i; (i = next++) < lines.size();) {
            if (progress.CancelRequested()) {
                result.cancelled = true;
                break; // the helper stops at its next line
            }
            read(i);
            progress.OnPreparing(i, lines.size(), items[i].columns.source);
            look(i);
        }
    }
    if (helperFailed)
        std::rethrow_exception(helperFailed);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!looked[i])
            continue;
        if (failure[i]) {
            failures.Fail(i, items[i].columns.source, failure[i]);
            result.unread.push_back({i, std::move(items[i].columns), failure[i]});
        } else
            result.sources.push_back(std::move(items[i]));
    }
    return result;
}

MixedSource::MixedSource(const incident::IncidentSource& source, int outRate,
                         std::unique_ptr<BackgroundSha256> hash)
    : hash_(std::move(hash)) {
    auto samples = std::make_unique<RecordingSamples>(PathFromWide(source.columns.source), *hash_);
    if (!samples->Matches(source))
        return;
    recording_ = samples.get();
    if (source.rate == outRate)
        samples_ = std::move(samples);
    else
        samples_ = std::make_unique<incident::Resampler>(std::move(samples), source.rate, outRate);
}

// The recording (and its reads) go before the hash it feeds.
MixedSource::~MixedSource() {
    samples_.reset();
}

void MixedSource::Mixed() {
    hash_->Flush();
}

std::unique_ptr<BackgroundSha256> MixedSource::TakeHash() {
    samples_.reset(); // an unfinished hash is dropped, so it is idle either way
    recording_ = nullptr;
    return std::move(hash_);
}

std::wstring MixedSource::Finish() {
    return recording_ ? recording_->Finish() : std::wstring();
}

} // namespace voice::exporting
