#include "export/merge_plan.h"

#include <optional>

#include "conversion/recording_converter.h"
#include "conversion/wav_header.h"
#include "export/riff_chunks.h"
#include "export/source_recording.h"

namespace voice::exporting {
namespace {

class DiscardingWriter final : public ConvertedWriter {
public:
    void Append(std::span<const std::uint8_t>) override {}
    void RewriteHeader(std::span<const std::uint8_t>) override {}
};

std::uint32_t Load32(const std::uint8_t* at) noexcept {
    return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}
std::uint16_t Load16(const std::uint8_t* at) noexcept {
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

bool IsMergedFormat(const std::array<std::uint8_t, 44>& head) noexcept {
    return Load16(&head[20]) == 1 && Load16(&head[22]) == 1 &&
           Load32(&head[24]) == kPlaybackSampleRate && Load16(&head[34]) == 8;
}

} // namespace

void SizeMerge(MergePlan& plan) {
    std::vector<CuePoint> points;
    plan.dataSize = 0;
    for (const MergeItem& item : plan.items) {
        if (!points.empty())
            plan.dataSize += kMergeSilenceSamples;
        plan.dataSize += item.samples;
        points.push_back({0, 0, item.columns.display});
    }
    plan.fileSize = kWavHeaderSize + plan.dataSize + plan.dataSize % 2 +
                    CueChunkSize(points.size()) + LabelListChunkSize(points);
}

MergePlan PlanMerge(const std::vector<std::wstring>& lines, ExportProgress& progress,
                    RecordingOutcome& failures) {
    MergePlan plan;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (progress.CancelRequested()) {
            plan.cancelled = true;
            return plan;
        }
        MergeItem item{i, ReadLineColumns(lines[i]), 0};
        progress.OnPreparing(i, lines.size(), item.columns.source);
        SourceRecording source{PathFromWide(item.columns.source)};
        if (!source.IsOpen()) {
            failures.Fail(item.columns.source, kCannotOpen);
            continue;
        }
        const std::array<std::uint8_t, kDetectionSize>& head = source.Head();
        const std::uint64_t length = source.Length();
        const RecordingKind kind = DetectKind(source);
        switch (kind) {
        case RecordingKind::Undecodable:
            failures.Fail(item.columns.source, kNoDecoder);
            continue;
        case RecordingKind::Wav: {
            // Other tools put chunks before "data": the samples start where the walk
            // finds them.
            const std::optional<WavDataChunk> data = FindWavData(source);
            if (!IsMergedFormat(head) || !data) {
                failures.Fail(item.columns.source, kOtherWavFormat);
                continue;
            }
            item.skip = data->offset;
            item.samples = std::min<std::uint64_t>(
                data->size, length > data->offset ? length - data->offset : 0);
            break;
        }
        case RecordingKind::HeaderlessPcm:
            item.samples = length;
            break;
        case RecordingKind::Inverted:
            item.samples = length > kSignatureSize ? length - kSignatureSize : 0;
            break;
        default: {
            DiscardingWriter counter;
            item.samples = ConvertRecording(source, counter).bytesWritten - kWavHeaderSize;
            break;
        }
        }
        if (source.Failed()) {
            failures.Fail(item.columns.source, kCannotRead);
            continue;
        }
        plan.items.push_back(std::move(item));
    }
    SizeMerge(plan);
    return plan;
}

} // namespace voice::exporting
