#pragma once
// The recordings of an incident as the file written for keeps takes them: before the mix
// each looked at (the session's LookAtIncidentSource), two at a time, with the progress
// told and the failures reported; in the mix read again and hashed on a thread of its own
// as it is read, so the hash costs no pass of its own. Portable.

#include <memory>
#include <string>
#include <vector>

#include "export/export_job.h"
#include "export/recording_outcome.h"
#include "incident/sample_source.h"
#include "incident/session/incident_source.h"
#include "platform/digest/background_sha256.h"

namespace voice::exporting {

// A line whose recording cannot be read or decoded, and why.
struct UnreadSource {
    std::size_t index = 0;
    LineColumns columns;
    std::wstring why;
};

struct IncidentSources {
    std::vector<incident::IncidentSource> sources;
    std::vector<UnreadSource> unread;
    bool cancelled = false;
};

// Every line's recording looked at in turn; those that cannot be read or decoded are
// reported in failures and in unread, and left out of sources.
IncidentSources ReadIncidentSources(const std::vector<std::wstring>& lines,
                                    ExportProgress& progress, RecordingOutcome& failures);

class RecordingSamples;

// A source opened again for the mix.
class MixedSource {
public:
    // hash: idle; it hashes the file as it is read.
    MixedSource(const incident::IncidentSource& source, int outRate,
                std::unique_ptr<BackgroundSha256> hash);
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
