#pragma once
// The selected recordings as they happened, in one WAV: each at its true start, overlaps
// sounding together, long silences shortened, optionally cut to a span; a cue point and a
// label at each recording's start and an index FILE.csv beside it. Guarded, replaced and
// reported as the merge is. Portable.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "export/archive_guard.h"
#include "export/export_job.h"
#include "incident/session/incident_plan.h"

namespace voice::exporting {

// The index beside the incident file: FILE.wav's FILE.csv.
std::filesystem::path IncidentIndexPath(const std::filesystem::path& target);

// Throws WriteRefused when target would be its own index (FILE.csv).
void RefuseIndexAsTarget(const std::filesystem::path& target);

// "Не вошли в файл: вне промежутка — 12, без звука — 1."; empty when none was left out.
std::wstring LeftOutText(const ExportOutcome& outcome);

// Writes target and its index; an existing one is replaced only when replace is true, and
// only once both are complete. Throws WriteRefused (inside the archive, past 4 GB, a
// name taken, not a file), NothingToWrite (nothing sounds in the span) or WriteFailed.
ExportOutcome ExportIncident(const std::vector<std::wstring>& lines,
                             const std::filesystem::path& target, const Archive& archive,
                             const incident::IncidentOptions& options, ExportProgress& progress,
                             bool replace);

} // namespace voice::exporting
