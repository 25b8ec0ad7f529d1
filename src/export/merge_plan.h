#pragma once
// What a merge will write, worked out before anything is written: which recordings go
// in, how many samples each gives where that follows from its length, and the least
// size of the whole file (a RIFF file cannot pass 4 GB). Nothing is decoded here: the
// run-coded forms are counted as they are written, so each is decoded once. Portable.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/line_columns.h"
#include "conversion/recording_kind.h"
#include "export/export_job.h"
#include "export/recording_outcome.h"

namespace voice::exporting {

inline constexpr std::uint64_t kLargestRiffSize = 0xFFFFFFFFull;
inline constexpr std::size_t kMergeSilenceSamples = 3930; // 0.5 s at 7860 per second

struct MergeItem {
    std::size_t index = 0; // the line's place in the list
    LineColumns columns;
    RecordingKind kind = RecordingKind::HeaderlessPcm;
    std::uint64_t length = 0;             // of the recording when planned: a change fails it
    std::optional<std::uint64_t> samples; // nullopt: run-coded, known once decoded
    std::uint64_t skip = 44;              // bytes of its playback file before the samples
};

struct MergePlan {
    std::vector<MergeItem> items;
    std::uint64_t dataSize = 0; // the samples known, silences included
    std::uint64_t fileSize = 0; // at least
    // The most samples the data chunk can hold beside every item's cue and label.
    std::uint64_t dataLimit = 0;
    bool cancelled = false;
};

// The sizes of a merged file holding the plan's recordings (run-coded ones as empty).
void SizeMerge(MergePlan& plan);

// Opens every recording and finds its kind and, but for the run-coded forms, its sample
// count. Recordings that cannot be read, kind 7, and WAV files not in the merged format
// (8-bit mono 7860 Hz PCM, also as an extensible format's sub-format) are left out and
// reported in failures.
MergePlan PlanMerge(const std::vector<std::wstring>& lines, ExportProgress& progress,
                    RecordingOutcome& failures);

} // namespace voice::exporting
