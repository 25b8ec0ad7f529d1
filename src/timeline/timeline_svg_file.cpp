#include "timeline/timeline_svg_file.h"

#include "export/archive_guard.h"
#include "export/export_file.h"
#include "export/export_job.h"
#include "timeline/timeline_svg.h"

namespace voice::timeline {

void SaveTimelineSvg(std::span<const std::wstring> lines, Seconds searchedFrom, Seconds searchedTo,
                     DayWindow window, const std::filesystem::path& target,
                     const std::vector<std::filesystem::path>& archiveBases) {
    using exporting::ExportRefused;
    using exporting::WideFromPath;
    exporting::RefuseArchiveTarget(target, archiveBases);
    if (exporting::FileExists(target))
        throw ExportRefused(L"Файл «" + WideFromPath(target) + L"» уже существует.");
    const Timeline timeline = BuildTimeline(lines, searchedFrom, searchedTo);
    const std::string svg =
        TimelineSvg(timeline, lines, Fold(timeline.firstDay, window, !window.Whole()));
    exporting::PartFile part(exporting::PartPathOf(target));
    if (!part.IsOpen())
        throw ExportRefused(L"Не удалось создать файл «" + WideFromPath(target) + L"».");
    part.File().Write({reinterpret_cast<const std::uint8_t*>(svg.data()), svg.size()});
    if (!part.Commit(target, false))
        throw ExportRefused(L"Не удалось записать файл «" + WideFromPath(target) + L"».");
}

} // namespace voice::timeline
