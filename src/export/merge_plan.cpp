#include "export/merge_plan.h"

#include <optional>

#include "conversion/recording_converter.h"
#include "conversion/wav/riff_chunks.h"
#include "conversion/wav/source_recording.h"
#include "conversion/wav/wav_header.h"
#include "conversion/wav/wav_layout.h"

namespace voice::exporting {

void SizeMerge(MergePlan& plan) {
    std::vector<CuePoint> points;
    plan.dataSize = 0;
    for (const MergeItem& item : plan.items) {
        if (!points.empty())
            plan.dataSize += kMergeSilenceSamples;
        plan.dataSize += item.samples.value_or(0);
        points.push_back({0, 0, item.columns.display});
    }
    const std::uint64_t trailer = CueChunkSize(points.size()) + LabelListChunkSize(points);
    plan.fileSize = kWavHeaderSize + plan.dataSize + plan.dataSize % 2 + trailer;
    // One byte spare for the pad after an odd data chunk.
    const std::uint64_t room = kLargestRiffSize + 8 - kWavHeaderSize - 1;
    plan.dataLimit = room > trailer ? room - trailer : 0;
}

MergePlan PlanMerge(const std::vector<std::wstring>& lines, ExportProgress& progress,
                    RecordingOutcome& failures) {
    MergePlan plan;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (progress.CancelRequested()) {
            plan.cancelled = true;
            return plan;
        }
        MergeItem item;
        item.index = i;
        item.columns = ReadLineColumns(lines[i]);
        progress.OnPreparing(i, lines.size(), item.columns.source);
        SourceRecording source{PathFromWide(item.columns.source)};
        if (!source.IsOpen()) {
            failures.Fail(i, item.columns.source, kCannotOpen);
            continue;
        }
        item.length = source.Length();
        item.kind = DetectKind(source);
        switch (item.kind) {
        case RecordingKind::Undecodable:
            failures.Fail(i, item.columns.source, kNoDecoder);
            continue;
        case RecordingKind::Wav: {
            // Other tools put chunks before "data": the samples start where the walk
            // finds them, and end where the file does if it was cut short.
            const std::optional<WavLayout> layout = ReadWavLayout(source);
            if (!layout || !layout->IsPlaybackFormat()) {
                failures.Fail(i, item.columns.source,
                              source.Failed() ? kCannotRead : kOtherWavFormat);
                continue;
            }
            item.skip = layout->dataOffset;
            item.samples = layout->data;
            break;
        }
        case RecordingKind::HeaderlessPcm:
            item.samples = item.length;
            break;
        case RecordingKind::Inverted:
            item.samples = item.length > kSignatureSize ? item.length - kSignatureSize : 0;
            break;
        default:
            break; // run-coded: counted as it is written
        }
        if (source.Failed()) {
            failures.Fail(i, item.columns.source, kCannotRead);
            continue;
        }
        plan.items.push_back(std::move(item));
    }
    SizeMerge(plan);
    return plan;
}

} // namespace voice::exporting
