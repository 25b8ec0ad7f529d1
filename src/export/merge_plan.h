#pragma once
// What a merge will write, worked out before anything is written: which recordings go
// in, how many samples each gives, and the size of the whole file (a RIFF file cannot
// pass 4 GB). Portable.

#include <cstdint>
#include <string>
#include <vector>

#include "export/export_job.h"
#include "export/line_columns.h"
#include "export/recording_outcome.h"

namespace voice::exporting {

inline constexpr std::uint64_t kLargestRiffSize = 0xFFFFFFFFull;
inline constexpr std::size_t kMergeSilenceSamples = 3930; // 0.5 s at 7860 per second

struct MergeItem {
    std::size_t index = 0; // the line's place in the list
    LineColumns columns;
    std::uint64_t samples = 0;
    std::uint64_t skip = 44; // bytes of its playback file before the samples
};

struct MergePlan {
    std::vector<MergeItem> items;
    std::uint64_t dataSize = 0;
    std::uint64_t fileSize = 0;
    bool cancelled = false;
};

// The sizes of a merged file holding recordings of the given sample counts and labels.
void SizeMerge(MergePlan& plan);

// Opens every recording and counts its samples (run-coded forms are decoded to count
// them). Recordings that cannot be read, kind 7, and WAV files not in the merged format
// (8-bit mono 7860 Hz PCM) are left out and reported in failures.
MergePlan PlanMerge(const std::vector<std::wstring>& lines, ExportProgress& progress,
                    RecordingOutcome& failures);

} // namespace voice::exporting
