// MergeRecordings: every recording's samples in one 8-bit mono WAV, half a second of
// silence between them, a cue point and a label at each recording's first sample. A
// recording goes in whole, with its cue and label, or not at all.

#include <algorithm>
#include <memory>
#include <system_error>

#include "catalogue/line_columns.h"
#include "conversion/run_decoders.h"
#include "conversion/wav/riff_chunks.h"
#include "conversion/wav/source_recording.h"
#include "conversion/wav/wav_header.h"
#include "export/archive_guard.h"
#include "export/export_job.h"
#include "export/merge_plan.h"
#include "export/recording_outcome.h"

namespace voice::exporting {
namespace {

namespace fs = std::filesystem;

inline constexpr wchar_t kChanged[] = L"запись изменилась во время работы";

std::wstring MegaBytes(std::uint64_t bytes) {
    return std::to_wstring((bytes + (1u << 20) - 1) >> 20);
}

WriteRefused PastFourGigabytes() {
    return WriteRefused(L"Общий файл превысил бы 4 ГБ. Выберите меньше записей.");
}

// The merged file's data chunk as it grows: recordings appended, and taken back again
// when one turns out not to be whole.
class MergedData {
public:
    MergedData(FileStream& file, std::uint64_t limit) noexcept : file_(file), limit_(limit) {}

    std::uint64_t Samples() const noexcept { return samples_; }
    // The farthest the file has been written: past the end when something was taken back.
    std::uint64_t HighWater() const noexcept { return highWater_; }

    // Throws WriteRefused rather than pass the limit (a run-coded recording is sized only
    // as it is decoded).
    void Append(std::span<const std::uint8_t> bytes) {
        if (bytes.size() > limit_ - samples_)
            throw PastFourGigabytes();
        file_.Write(bytes);
        samples_ += bytes.size();
        highWater_ = std::max(highWater_, kWavHeaderSize + samples_);
    }
    // Back to samples, dropping what was appended after.
    void TakeBack(std::uint64_t samples) noexcept {
        samples_ = samples;
        file_.Seek(kWavHeaderSize + samples);
    }

private:
    FileStream& file_;
    std::uint64_t limit_;
    std::uint64_t samples_ = 0;
    std::uint64_t highWater_ = kWavHeaderSize;
};

// Passes on the samples of a playback file: its header is dropped (44 bytes, or a WAV
// recording's chunks up to its data), and so is whatever comes after limit samples.
class SampleWriter final : public ConvertedWriter {
public:
    SampleWriter(MergedData& data, std::uint64_t skip, std::uint64_t limit) noexcept
        : data_(data), limit_(limit), skip_(skip) {}
    void Append(std::span<const std::uint8_t> bytes) override {
        if (skip_ > 0) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(skip_, bytes.size()));
            bytes = bytes.subspan(n);
            skip_ -= n;
        }
        if (bytes.size() > limit_ - written_)
            bytes = bytes.first(static_cast<std::size_t>(limit_ - written_));
        data_.Append(bytes);
        written_ += bytes.size();
    }
    void RewriteHeader(std::span<const std::uint8_t>) override {}
    std::uint64_t Written() const noexcept { return written_; }

private:
    MergedData& data_;
    std::uint64_t limit_;
    std::uint64_t skip_;
    std::uint64_t written_ = 0;
};

// Appends the recording's samples, after the silence that parts it from the one
// before; empty when it went in whole, else why not (the caller takes it back).
std::wstring AppendRecording(const MergeItem& item, bool first, MergedData& data) {
    SourceRecording source{PathFromWide(item.columns.source)};
    if (!source.IsOpen())
        return kCannotOpen;
    if (!first) {
        const std::vector<std::uint8_t> silence(kMergeSilenceSamples, 0x80);
        data.Append(silence);
    }
    SampleWriter writer(data, item.skip, item.samples.value_or(~std::uint64_t{0}));
    const ConversionResult converted = ConvertRecording(source, writer);
    if (source.Failed())
        return kCannotRead;
    if (converted.kind != item.kind || source.Length() != item.length ||
        (item.samples && writer.Written() != *item.samples))
        return kChanged;
    return {};
}

// The merged file's first 44 bytes are the playback header: the same format.
void WriteHeader(FileStream& file, std::uint64_t dataSize, std::uint64_t fileSize) {
    const WavHeader header = MakePlaybackWavHeader(static_cast<std::uint32_t>(fileSize - 8),
                                                   static_cast<std::uint32_t>(dataSize));
    file.Seek(0);
    file.Write(header);
}

} // namespace

ExportOutcome MergeRecordings(const std::vector<std::wstring>& lines, const fs::path& target,
                              const Archive& archive, ExportProgress& progress, bool replace) {
    const TargetFolder folder = archive.OpenTarget(target.parent_path(), false);
    const fs::path name = target.filename();
    RefuseNonFileTarget(folder, name);
    RecordingOutcome result;
    const MergePlan plan = PlanMerge(lines, progress, result);
    if (plan.cancelled) {
        result.cancelled = true;
        return result.Take();
    }
    if (plan.fileSize - 8 > kLargestRiffSize)
        throw WriteRefused(L"Общий файл занял бы " + MegaBytes(plan.fileSize) +
                           L" МБ, а файл WAV не может быть больше 4 ГБ. Выберите меньше "
                           L"записей.");
    if (plan.items.empty())
        return result.Take();

    if (replace && folder.IdentityOfName(name)) {
        // The file replaced must not be one the merge reads, by whatever name.
        std::vector<FileIdentity> sources;
        for (const MergeItem& item : plan.items)
            if (const auto identity = IdentityOf(PathFromWide(item.columns.source)))
                sources.push_back(*identity);
        archive.RefuseReplacing(folder, {name}, sources);
    }
    PartFile part(folder, name);
    if (!part.IsOpen())
        throw WriteRefused(L"Не удалось создать файл «" + WideFromPath(target) + L"»: " +
                           part.FailureReason() + L".");
    FileStream& file = part.File();
    WriteHeader(file, 0, kWavHeaderSize); // written again once the sizes are known

    MergedData data(file, plan.dataLimit);
    std::vector<CuePoint> cues;
    for (const MergeItem& item : plan.items) {
        if (progress.CancelRequested()) {
            result.NothingWritten();
            result.cancelled = true;
            return result.Take(); // the part file goes with it
        }
        progress.OnItem(item.index, lines.size(), item.columns.source);
        const std::uint64_t before = data.Samples();
        const std::wstring failure = AppendRecording(item, cues.empty(), data);
        if (!failure.empty()) {
            data.TakeBack(before);
            result.Fail(item.index, item.columns.source, failure);
            continue;
        }
        // The cue marks the recording's first sample, after the silence.
        const std::uint64_t start = cues.empty() ? before : before + kMergeSilenceSamples;
        cues.push_back({static_cast<std::uint32_t>(cues.size() + 1),
                        static_cast<std::uint32_t>(start), item.columns.display});
        result.Succeed(item.index, WideFromPath(target.filename()), {});
    }
    if (cues.empty())
        return result.Take(); // every one failed: no file

    const std::uint64_t samples = data.Samples();
    if (samples % 2 != 0) {
        const std::uint8_t pad = 0;
        file.Write(std::span(&pad, 1));
    }
    const Bytes cueChunk = CueChunk(cues);
    const Bytes labels = LabelListChunk(cues);
    file.Write(cueChunk);
    file.Write(labels);
    const std::uint64_t fileSize =
        kWavHeaderSize + samples + samples % 2 + cueChunk.size() + labels.size();
    WriteHeader(file, samples, fileSize); // the seek also flushes what came before
    // What a recording taken back left past the end goes.
    if (data.HighWater() > fileSize)
        file.Resize(fileSize);
    if (!part.Commit(name, replace)) {
        result.NothingWritten();
        const std::wstring reason = part.FailureReason();
        result.fileFailure = L"Не удалось записать файл «" + WideFromPath(target) + L"»" +
                             (reason.empty() ? L"" : L": " + reason) + L".";
    }
    return result.Take();
}

} // namespace voice::exporting
