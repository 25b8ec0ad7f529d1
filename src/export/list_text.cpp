// The saved list and DisplayText: the list as it stands.

#include <cstdint>

#include "catalogue/line_columns.h"
#include "catalogue/local_time.h"
#include "export/archive_guard.h"
#include "export/export_job.h"
#include "export/recording_duration.h"
#include "platform/csv_writer.h"
#include "platform/safe_file.h"

namespace voice::exporting {

std::optional<std::string> ListCsvText(const std::vector<std::wstring>& lines,
                                       ExportProgress& progress) {
    std::string text(kUtf8Bom);
    text += CsvRow({L"channel", L"start", L"end", L"duration_s", L"size_bytes", L"source"});
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (progress.CancelRequested())
            return std::nullopt;
        const LineColumns c = ReadLineColumns(lines[i]);
        progress.OnPreparing(i, lines.size(), c.source);
        // A recording that cannot be read keeps the length its line shows.
        const std::optional<double> seconds = PlaybackSeconds(PathFromWide(c.source));
        text += CsvRow(
            {std::to_wstring(c.channel), FormatIsoDateTime(c.start), FormatIsoDateTime(c.end),
             seconds ? FormatSeconds(*seconds) : std::to_wstring(c.written - c.startInstant),
             std::to_wstring(c.size), c.source});
    }
    return text;
}

void WriteOutsideArchive(const std::filesystem::path& target, std::string_view bytes,
                         const Archive& archive, bool replace) {
    const TargetFolder folder = archive.OpenTarget(target.parent_path(), false);
    const std::filesystem::path name = target.filename();
    if (replace)
        archive.RefuseReplacing(folder, {name});
    WriteWholeFile(folder, name, bytes, replace);
}

bool SaveListCsv(const std::vector<std::wstring>& lines, const std::filesystem::path& target,
                 const Archive& archive, ExportProgress& progress, bool replace) {
    RefuseNonFileTarget(archive.OpenTarget(target.parent_path(), false), target.filename());
    if (!replace)
        RefuseExistingTarget(target);
    const std::optional<std::string> text = ListCsvText(lines, progress);
    if (!text)
        return false;
    WriteOutsideArchive(target, *text, archive, replace);
    return true;
}

void SaveListCsv(const std::vector<std::wstring>& lines, const std::filesystem::path& target,
                 const Archive& archive, bool replace) {
    class Unwatched final : public ExportProgress {
        void OnItem(std::size_t, std::size_t, const std::wstring&) override {}
        bool CancelRequested() const override { return false; }
    } unwatched;
    SaveListCsv(lines, target, archive, unwatched, replace);
}

std::wstring DisplayText(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (const std::wstring& line : lines)
        text += ReadLineColumns(line).display + L"\r\n";
    return text;
}

} // namespace voice::exporting
