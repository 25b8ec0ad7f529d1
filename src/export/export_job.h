#pragma once
// Taking recordings out of the archive: each selected recording as a WAV file with an
// index, all of them merged into one WAV, the list as CSV. Shared by the window (on a
// worker thread behind a progress window) and by voice-export. Nothing here ever writes
// below a channel's base directory. Portable: no <windows.h>.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/date_time.h"
#include "export/archive_guard.h"
#include "platform/safe_file.h"

namespace voice::exporting {

// Nothing to write: none of the recordings sounds in the span asked for, or none holds
// any sound. Neither a failure nor a refusal of the target; nothing was written.
class NothingToWrite : public WriteRefused {
public:
    using WriteRefused::WriteRefused;
};

// Told about the work as it goes; called on the thread that runs the command.
class ExportProgress {
public:
    virtual ~ExportProgress() = default;
    // Before recording index (0-based) of total; source is its path in the archive.
    virtual void OnItem(std::size_t index, std::size_t total, const std::wstring& source) = 0;
    // Asked between recordings: true stops after the current one.
    virtual bool CancelRequested() const = 0;
    // Before recording index of total is looked at ahead of the writing (the merge's first
    // pass, the saved list's durations).
    virtual void OnPreparing(std::size_t /*index*/, std::size_t /*total*/,
                             const std::wstring& /*source*/) {}
};

// One recording of the list as a command handled it.
struct RecordingResult {
    std::size_t line = 0; // its place in the lines given (the line names its source)
    std::wstring file;    // the name of the file that holds it now, in the export's folder
                          // or the merged file's; empty: none was written
    std::wstring failure; // why it was left out (empty: it went out whole)
    std::wstring repair;  // what was mended in a damaged WAV (empty: nothing)
};

struct ExportOutcome {
    std::size_t done = 0;             // recordings written
    std::size_t failed = 0;           // recordings that could not be read or decoded
    bool cancelled = false;           // stopped by the user (a merge then wrote nothing)
    std::filesystem::path indexFile;  // the CSV index of an export (empty otherwise)
    std::vector<std::wstring> errors; // one "source: text" per failed recording
    // Every recording handled, in list order, failed ones included (a cancel leaves the
    // rest out); kept whatever became of the index or the merged file. The files named
    // here and the index are all the command wrote.
    std::vector<RecordingResult> recordings;
    // Recordings an incident leaves out on purpose: outside the span asked for, or
    // holding no sound at all. Neither is a failure.
    std::size_t outsideSpan = 0;
    std::size_t silent = 0;
    // The index (export) or the merged file (merge) could not be written: the message.
    // The export's recordings still name their complete files.
    std::wstring fileFailure;
};

// Every file the command completed, in the order written: the recordings' files in folder
// (the export's folder, or the merged file's), then the index.
std::vector<std::filesystem::path> WrittenFiles(const ExportOutcome& outcome,
                                                const std::filesystem::path& folder);

// The moment a command runs, local time (names of the index file).
using LocalMoment = DateTimeParts;

// Every command takes whole list lines (display columns, path from column 81) in list
// order, and the channels' base directories for the archive refusal.

// One WAV per line into folder, named K<channel>_<YYYY-MM-DD>_<HH-MM-SS>.wav (never
// overwriting), plus the index export_<YYYY-MM-DD_HH-MM-SS>.csv.
ExportOutcome ExportRecordings(const std::vector<std::wstring>& lines,
                               const std::filesystem::path& folder, const Archive& archive,
                               const LocalMoment& now, ExportProgress& progress);

// All lines in one WAV with 0.5 s of silence between recordings, a cue point and a
// label per recording. An existing target is replaced only when replace is true (the
// window's save dialog has asked by then; voice-export says --force), and only by the
// complete file.
ExportOutcome MergeRecordings(const std::vector<std::wstring>& lines,
                              const std::filesystem::path& target, const Archive& archive,
                              ExportProgress& progress, bool replace = true);

// The whole list as CSV, each recording's playback length read from the recording (the
// index's figure). nullopt when progress asked to stop.
std::optional<std::string> ListCsvText(const std::vector<std::wstring>& lines,
                                       ExportProgress& progress);
// ListCsvText into target; an existing target is replaced only when replace is true (as
// for the merge).
// Returns false when progress asked to stop (nothing written).
bool SaveListCsv(const std::vector<std::wstring>& lines, const std::filesystem::path& target,
                 const Archive& archive, ExportProgress& progress, bool replace = true);
// The same with nobody to tell or to ask.
void SaveListCsv(const std::vector<std::wstring>& lines, const std::filesystem::path& target,
                 const Archive& archive, bool replace = true);
// bytes as target, through the archive's guard: the target's folder opened once and
// judged, a recording never replaced. Throws WriteRefused or WriteFailed.
void WriteOutsideArchive(const std::filesystem::path& target, std::string_view bytes,
                         const Archive& archive, bool replace);

// The lines' display columns, one line each (what "Копировать" puts on the clipboard).
std::wstring DisplayText(const std::vector<std::wstring>& lines);

} // namespace voice::exporting
