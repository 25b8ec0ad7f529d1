#include "timeline/heard_marks.h"

#include "catalogue/list_line.h"
#include "export/export_file.h"
#include "export/export_job.h"
#include "export/utf8.h"
#include "timeline/ticks.h"

#include <algorithm>
#include <cerrno>
#include <vector>

namespace voice::timeline {
namespace {

constexpr std::string_view kHeader = "Voice heard marks 1";
// Far more marks than any archive's lists would gather; a bigger file is not ours.
constexpr std::uint64_t kLargestFile = 256ull << 20;

std::string IsoStamp(Seconds t) {
    // FormatDateTime gives "dd.mm.yyyy hh:nn:ss"; the file keeps the sortable form.
    const std::wstring shown = FormatDateTime(t);
    std::string text;
    text += exporting::ToUtf8(shown.substr(6, 4)) + '-' + exporting::ToUtf8(shown.substr(3, 2)) +
            '-' + exporting::ToUtf8(shown.substr(0, 2)) + ' ' + exporting::ToUtf8(shown.substr(11));
    return text;
}

bool AllDigits(std::string_view text) {
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// "YYYY-MM-DD hh:mm:ss"
bool IsStamp(std::string_view text) {
    static constexpr std::string_view kPattern = "dddd-dd-dd dd:dd:dd";
    if (text.size() != kPattern.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (kPattern[i] == 'd' ? (text[i] < '0' || text[i] > '9') : text[i] != kPattern[i])
            return false;
    return true;
}

// size TAB stamp TAB non-empty path
bool IsKey(std::string_view line) {
    const std::size_t a = line.find('\t');
    if (a == std::string_view::npos)
        return false;
    const std::size_t b = line.find('\t', a + 1);
    return b != std::string_view::npos && b + 1 < line.size() && AllDigits(line.substr(0, a)) &&
           IsStamp(line.substr(a + 1, b - a - 1));
}

} // namespace

std::string HeardKeyOf(std::wstring_view line) {
    const LineTimes times = ReadLineTimes(line);
    const std::wstring_view path = ListLinePath(line);
    if (times.channel == 0 || path.empty())
        return {};
    return std::to_string(times.size) + '\t' + IsoStamp(times.end) + '\t' + exporting::ToUtf8(path);
}

HeardMarks HeardMarks::Parse(std::string_view text, bool& damaged) {
    HeardMarks marks;
    damaged = false;
    if (text.empty())
        return marks;
    std::size_t at = 0;
    bool first = true;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (first) {
            first = false;
            if (line != kHeader) {
                damaged = true;
                return marks; // not ours: nothing in it can be trusted
            }
            continue;
        }
        if (line.empty())
            continue;
        if (IsKey(line))
            marks.keys_.emplace(line);
        else
            damaged = true;
    }
    return marks;
}

std::string HeardMarks::Serialize() const {
    std::vector<const std::string*> sorted;
    sorted.reserve(keys_.size());
    for (const std::string& key : keys_)
        sorted.push_back(&key);
    // In a stable order, so that a file compares and diffs.
    std::sort(sorted.begin(), sorted.end(),
              [](const std::string* a, const std::string* b) { return *a < *b; });
    std::string text(kHeader);
    text += '\n';
    for (const std::string* key : sorted)
        text += *key + '\n';
    return text;
}

bool HeardMarks::Heard(std::wstring_view line) const {
    if (keys_.empty())
        return false;
    const std::string key = HeardKeyOf(line);
    return !key.empty() && keys_.contains(key);
}

bool HeardMarks::Mark(std::wstring_view line) {
    std::string key = HeardKeyOf(line);
    return !key.empty() && keys_.insert(std::move(key)).second;
}

HeardMarks LoadHeardMarks(const std::filesystem::path& file, HeardMarksLoad& load) {
    load = {};
    if (!exporting::FileExists(file))
        return {};
    // Some systems open a folder for reading and fail only at the read.
    std::error_code ignored;
    if (std::filesystem::is_directory(file, ignored)) {
        load = {HeardMarksFile::Unreadable, EISDIR};
        return {};
    }
    exporting::ExportFile in(file, exporting::ExportFile::Mode::Read);
    if (!in.IsOpen()) {
        load = {HeardMarksFile::Unreadable, in.Error()};
        return {};
    }
    const std::uint64_t length = in.Length();
    if (length > kLargestFile) {
        load.file = HeardMarksFile::TooLarge;
        return {};
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    const std::size_t read = in.Read({reinterpret_cast<std::uint8_t*>(text.data()), text.size()});
    text.resize(read);
    bool damaged = false;
    HeardMarks marks = HeardMarks::Parse(text, damaged);
    if (in.Failed())
        load = {HeardMarksFile::Unreadable, in.Error()};
    else
        load.file = damaged ? HeardMarksFile::Damaged : HeardMarksFile::Read;
    return marks;
}

HeardMarks LoadHeardMarks(const std::filesystem::path& file, bool& needsRewrite) {
    HeardMarksLoad load;
    HeardMarks marks = LoadHeardMarks(file, load);
    needsRewrite = load.file != HeardMarksFile::Missing && load.file != HeardMarksFile::Read;
    return marks;
}

bool SaveHeardMarks(const HeardMarks& marks, const std::filesystem::path& file) {
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    try {
        exporting::WriteWholeFile(file, marks.Serialize(), true);
        return true;
    } catch (const exporting::ExportRefused&) {
        return false;
    }
}

} // namespace voice::timeline
