#include "export/export_names.h"

#include "platform/safe_file.h"
#include "export/export_job.h"

namespace voice::exporting {
namespace {

std::wstring Pad2(int value) {
    return {static_cast<wchar_t>(L'0' + value / 10 % 10), static_cast<wchar_t>(L'0' + value % 10)};
}

std::wstring DateAndTime(int year, int month, int day, int hour, int minute, int second) {
    return std::to_wstring(year) + L'-' + Pad2(month) + L'-' + Pad2(day) + L'_' + Pad2(hour) +
           L'-' + Pad2(minute) + L'-' + Pad2(second);
}

wchar_t FoldCase(wchar_t c) noexcept {
    if (c >= L'a' && c <= L'z')
        return static_cast<wchar_t>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<wchar_t>(c - 0x20);
    if (c >= 0x430 && c <= 0x44F)
        return static_cast<wchar_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F)
        return static_cast<wchar_t>(c - 0x50);
    return c;
}

} // namespace

std::wstring FoldName(std::wstring_view name) {
    std::wstring folded(name);
    for (wchar_t& c : folded)
        c = FoldCase(c);
    return folded;
}

std::wstring RecordingFileStem(int channel, const DateTimeParts& start) {
    return L'K' + std::to_wstring(channel) + L'_' +
           DateAndTime(start.year, start.month, start.day, start.hour, start.minute, start.second);
}

std::wstring IndexFileStem(const LocalMoment& m) {
    return L"export_" + DateAndTime(m.year, m.month, m.day, m.hour, m.minute, m.second);
}

std::wstring FirstFreeName(const std::wstring& stem, const std::wstring& extension,
                           const std::function<bool(const std::wstring&)>& taken) {
    std::wstring name = stem + extension;
    for (int n = 2; taken(name); ++n)
        name = stem + L'_' + std::to_wstring(n) + extension;
    return name;
}

std::vector<std::filesystem::path> WrittenFiles(const ExportOutcome& outcome,
                                                const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    std::wstring last;
    for (const RecordingResult& recording : outcome.recordings)
        if (!recording.file.empty() && recording.file != last)
            files.push_back(folder / PathFromWide(last = recording.file));
    if (!outcome.indexFile.empty())
        files.push_back(outcome.indexFile);
    return files;
}

} // namespace voice::exporting
