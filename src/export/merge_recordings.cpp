// MergeRecordings: every recording's samples in one 8-bit mono WAV, half a second of
// silence between them, a cue point and a label at each recording's first sample.

#include <memory>

#include "conversion/run_decoders.h"
#include "conversion/wav_header.h"
#include "export/archive_guard.h"
#include "export/export_job.h"
#include "export/line_columns.h"
#include "export/merge_plan.h"
#include "export/recording_outcome.h"
#include "export/riff_chunks.h"
#include "export/source_recording.h"

namespace voice::exporting {
namespace {

namespace fs = std::filesystem;

// Passes on the samples of a playback file: its header is dropped (44 bytes, or a WAV
// recording's chunks up to its data), and so is whatever a WAV recording holds after its
// data chunk.
class SampleWriter final : public ConvertedWriter {
public:
    SampleWriter(ExportFile& file, std::uint64_t skip, std::uint64_t limit) noexcept
        : file_(file), limit_(limit), skip_(skip) {}
    void Append(std::span<const std::uint8_t> bytes) override {
        if (skip_ > 0) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(skip_, bytes.size()));
            bytes = bytes.subspan(n);
            skip_ -= n;
        }
        if (bytes.size() > limit_ - written_)
            bytes = bytes.first(static_cast<std::size_t>(limit_ - written_));
        file_.Write(bytes);
        written_ += bytes.size();
    }
    void RewriteHeader(std::span<const std::uint8_t>) override {}
    std::uint64_t Written() const noexcept { return written_; }

private:
    ExportFile& file_;
    std::uint64_t limit_;
    std::uint64_t skip_;
    std::uint64_t written_ = 0;
};

// The merged file's first 44 bytes are the playback header: the same format.
void WriteHeader(ExportFile& file, std::uint64_t dataSize, std::uint64_t fileSize) {
    const WavHeader header = MakePlaybackWavHeader(static_cast<std::uint32_t>(fileSize - 8),
                                                   static_cast<std::uint32_t>(dataSize));
    file.Seek(0);
    file.Write(header);
}

std::wstring MegaBytes(std::uint64_t bytes) {
    return std::to_wstring((bytes + (1u << 20) - 1) >> 20);
}

} // namespace

ExportOutcome MergeRecordings(const std::vector<std::wstring>& lines, const fs::path& target,
                              const std::vector<fs::path>& archiveBases, ExportProgress& progress,
                              bool replace) {
    RefuseArchiveTarget(target, archiveBases);
    RecordingOutcome result;
    const MergePlan plan = PlanMerge(lines, progress, result);
    if (plan.cancelled) {
        result.cancelled = true;
        return result.ToOutcome();
    }
    if (plan.fileSize - 8 > kLargestRiffSize)
        throw ExportRefused(L"Общий файл занял бы " + MegaBytes(plan.fileSize) +
                            L" МБ, а файл WAV не может быть больше 4 ГБ. Выберите меньше "
                            L"записей.");
    if (plan.items.empty())
        return result.ToOutcome();

    PartFile part(PartPathOf(target));
    if (!part.IsOpen())
        throw ExportRefused(L"Не удалось создать файл «" + WideFromPath(target) + L"»: " +
                            part.FailureReason() + L".");
    ExportFile& file = part.File();
    WriteHeader(file, plan.dataSize, plan.fileSize);

    const std::vector<std::uint8_t> silence(kMergeSilenceSamples, 0x80);
    std::vector<CuePoint> cues;
    std::uint64_t samples = 0;
    for (const MergeItem& item : plan.items) {
        if (progress.CancelRequested()) {
            result.cancelled = true;
            return result.ToOutcome(); // the part file goes with it
        }
        progress.OnItem(item.index, lines.size(), item.columns.source);
        SourceRecording source{PathFromWide(item.columns.source)};
        if (!source.IsOpen()) {
            result.Fail(item.columns.source, kCannotOpen);
            continue;
        }
        if (!cues.empty()) {
            file.Write(silence);
            samples += silence.size();
        }
        cues.push_back({static_cast<std::uint32_t>(cues.size() + 1),
                        static_cast<std::uint32_t>(samples), item.columns.display});
        SampleWriter writer(file, item.skip, item.samples);
        ConvertRecording(source, writer);
        samples += writer.Written();
        if (source.Failed() || writer.Written() != item.samples)
            result.Fail(item.columns.source, kCannotRead);
        else
            ++result.done;
    }

    // The plan's sizes hold unless a recording changed meanwhile: the header is written
    // again from what was written.
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
    if (fileSize - 8 > kLargestRiffSize)
        throw ExportRefused(L"Общий файл превысил бы 4 ГБ.");
    WriteHeader(file, samples, fileSize);
    if (!part.Commit(target, replace))
        throw ExportRefused(L"Не удалось записать файл «" + WideFromPath(target) + L"»: " +
                            part.FailureReason() + L".");
    result.written.push_back(target);
    return result.ToOutcome();
}

} // namespace voice::exporting
