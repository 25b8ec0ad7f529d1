// SaveListCsv and DisplayText: the list as it stands, nothing decoded.

#include <cstdint>

#include "export/archive_guard.h"
#include "export/csv_writer.h"
#include "export/export_file.h"
#include "export/export_job.h"
#include "export/line_columns.h"

namespace voice::exporting {
namespace {

// Days since 01.01.1970 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(int year, int month, int day) noexcept {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = static_cast<int>(year - era * 400);
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::int64_t Seconds(const DateTimeParts& p) noexcept {
    return DaysFromCivil(p.year, p.month, p.day) * 86400 + p.hour * 3600 + p.minute * 60 + p.second;
}

} // namespace

void SaveListCsv(const std::vector<std::wstring>& lines, const std::filesystem::path& target,
                 const std::vector<std::filesystem::path>& archiveBases) {
    RefuseArchiveTarget(target, archiveBases);
    PartFile part(PartPathOf(target));
    if (!part.IsOpen())
        throw ExportRefused(L"Не удалось создать файл «" + WideFromPath(target) + L"».");
    std::string text(kUtf8Bom);
    text += CsvRow({L"channel", L"start", L"end", L"duration_s", L"size_bytes", L"source"});
    for (const std::wstring& line : lines) {
        const LineColumns c = ReadLineColumns(line);
        text +=
            CsvRow({std::to_wstring(c.channel), FormatIsoDateTime(c.start),
                    FormatIsoDateTime(c.end), std::to_wstring(Seconds(c.end) - Seconds(c.start)),
                    std::to_wstring(c.size), c.source});
    }
    part.File().Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    if (!part.Commit(target, true))
        throw ExportRefused(L"Не удалось записать файл «" + WideFromPath(target) + L"».");
}

std::wstring DisplayText(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (const std::wstring& line : lines)
        text += ReadLineColumns(line).display + L"\r\n";
    return text;
}

} // namespace voice::exporting
