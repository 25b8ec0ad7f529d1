#pragma once
// The recordings of an incident: before the mix each opened and its form and length
// found, so the placement knows how long each sounds; in the mix read again and hashed on
// a thread of its own as it is read, so the hash costs no pass of its own. Portable.

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
    std::uint64_t frames = 0;   // at its own rate
    bool counted = true;        // frames known; a run-coded form's are only once decoded
    bool damagedHeader = false; // begins as a WAV but is read as headerless 8-bit samples
};

// A line whose recording cannot be read or decoded, and why.
struct UnreadSource {
    std::size_t index = 0;
    LineColumns columns;
    std::wstring why;
};

struct IncidentSources {
    std::vector<IncidentSource> sources;
    std::vector<UnreadSource> unread;
    bool cancelled = false;
};

// Every line's recording looked at in turn; those that cannot be read or decoded are
// reported in failures and in unread, and left out of sources.
IncidentSources ReadIncidentSources(const std::vector<std::wstring>& lines,
                                    ExportProgress& progress, RecordingOutcome& failures);

// item's recording (index and columns set) opened, its length, rate and frames found (a
// run-coded form's frames only with countRunCoded: they take decoding it all). The
// failure's text when it cannot be read or decoded, else null.
const wchar_t* LookAtIncidentSource(IncidentSource& item, bool countRunCoded);

class RecordingSamples;
class BackgroundSha256;

// A source opened again for the mix.
class MixedSource {
public:
    // hash: idle; it hashes the file as it is read.
    MixedSource(const IncidentSource& source, int outRate, std::unique_ptr<BackgroundSha256> hash);
    ~MixedSource();
    MixedSource(const MixedSource&) = delete;
    MixedSource& operator=(const MixedSource&) = delete;

    // Its samples at the output rate; null when it can no longer be read as it was.
    incident::SampleSource* Samples() noexcept { return samples_.get(); }
    // The mix has read what it needs: what was read is hashed meanwhile.
    void Mixed();
    // Once the mix has what it needs: the rest of the file is hashed, and the digest (hex)
    // returned; empty when the file could not be read whole.
    std::wstring Finish();
    // After Finish: the hash, idle again, for another source (its worker thread kept).
    std::unique_ptr<BackgroundSha256> TakeHash();

private:
    std::unique_ptr<BackgroundSha256> hash_;
    RecordingSamples* recording_ = nullptr; // inside samples_
    std::unique_ptr<incident::SampleSource> samples_;
};

} // namespace voice::exporting
