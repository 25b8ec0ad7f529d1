#pragma once
// The recordings of an incident before the mix: each opened, its form and length found
// and its bytes hashed, so the placement knows how long each sounds and the index has
// every digest before the file is begun. Portable.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "export/export_job.h"
#include "export/line_columns.h"
#include "export/recording_outcome.h"
#include "incident/sample_source.h"

namespace voice::exporting {

struct IncidentSource {
    std::size_t index = 0; // the line's place in the list
    LineColumns columns;
    std::uint64_t length = 0; // of the recording when looked at: a change fails the incident
    int rate = 0;
    std::uint64_t frames = 0; // at its own rate
    std::wstring digest;      // SHA-256, hex
};

struct IncidentSources {
    std::vector<IncidentSource> sources;
    bool cancelled = false;
};

// Every line's recording looked at in turn; those that cannot be read or decoded are
// reported in failures and left out.
IncidentSources ReadIncidentSources(const std::vector<std::wstring>& lines,
                                    ExportProgress& progress, RecordingOutcome& failures);

// The source's samples again for the mix, at outRate; null when it can no longer be read
// as it was.
std::unique_ptr<incident::SampleSource> OpenIncidentSource(const IncidentSource& source,
                                                           int outRate);

} // namespace voice::exporting
