#include "timeline/heard_marks.h"

#include "catalogue/list_line.h"
#include "catalogue/local_time.h"
#include "platform/safe_file.h"
#include "platform/utf8.h"
#include "timeline/timeline_model.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

namespace voice::timeline {
namespace {

// Version 2 keys the write time in UTC, so a clock change leaves a mark standing, and
// escapes the path, so any name survives a line of its own. Version 1 (the list's local
// end, the path as it was) is still read.
constexpr std::string_view kHeader = "Voice heard marks 2";
constexpr std::string_view kOldHeader = "Voice heard marks 1";
// Far more marks than any archive's lists would gather; a bigger file is not ours.
constexpr std::uint64_t kLargestFile = 256ull << 20;

constexpr std::string_view kStamp = "dddd-dd-ddTdd:dd:ddZ";
constexpr std::string_view kOldStamp = "dddd-dd-dd dd:dd:dd";
constexpr std::string_view kUnknownStamp = "?";
constexpr char kHex[] = "0123456789ABCDEF";

std::string UtcStamp(std::int64_t utc) {
    const DateTimeParts p = PartsOf(utc);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", p.year, p.month, p.day,
                  p.hour, p.minute, p.second);
    return text;
}

// The path's bytes, with '%', line breaks and every other control character as %XX, and
// a byte of a name that is no text (see FromUtf8) too, so the file stays UTF-8.
std::string EscapedPath(std::wstring_view path) {
    std::string out;
    std::wstring run; // characters kept as they are
    for (std::size_t i = 0; i < path.size(); ++i) {
        const wchar_t c = path[i];
        const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < path.size() &&
                          path[i + 1] >= 0xDC00 && path[i + 1] <= 0xDFFF;
        const int byte = pair ? -1 : voice::KeptByte(c);
        if (byte < 0 && c >= 0x20 && c != 0x7F && c != L'%') {
            run += c;
            if (pair)
                run += path[++i];
            continue;
        }
        const auto code = static_cast<unsigned>(byte >= 0 ? byte : c);
        out += voice::NameBytes(run) + '%' + kHex[code >> 4] + kHex[code & 0xF];
        run.clear();
    }
    return out + voice::NameBytes(run);
}

bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// Written by EscapedPath: no control character, every '%' followed by two hex digits.
bool IsEscapedPath(std::string_view path) {
    if (path.empty())
        return false;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (c < 0x20 || c == 0x7F)
            return false;
        if (c == '%' && (i + 2 >= path.size() || !IsHex(path[i + 1]) || !IsHex(path[i + 2])))
            return false;
    }
    return true;
}

bool AllDigits(std::string_view text) {
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

bool Matches(std::string_view text, std::string_view pattern) {
    if (text.size() != pattern.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (pattern[i] == 'd' ? (text[i] < '0' || text[i] > '9') : text[i] != pattern[i])
            return false;
    return true;
}

struct KeyFields {
    std::string_view size, stamp, path;
};

// size TAB stamp TAB non-empty path
bool SplitKey(std::string_view line, std::string_view stampPattern, KeyFields& fields) {
    const std::size_t a = line.find('\t');
    if (a == std::string_view::npos)
        return false;
    const std::size_t b = line.find('\t', a + 1);
    if (b == std::string_view::npos || b + 1 >= line.size())
        return false;
    fields = {line.substr(0, a), line.substr(a + 1, b - a - 1), line.substr(b + 1)};
    return AllDigits(fields.size) && Matches(fields.stamp, stampPattern);
}

// A version 1 line as an early key: its size and its path escaped. Its local time was taken
// by the offset in force when it was marked, which is not known, so it is not used. Empty
// when the line does not read.
std::string EarlyKeyOfOldLine(std::string_view line) {
    KeyFields f;
    if (!SplitKey(line, kOldStamp, f))
        return {};
    return std::string(f.size) + '\t' + EscapedPath(voice::FromUtf8(f.path));
}

// A key without its stamp.
std::string EarlyKeyOf(const std::string& key) {
    const std::size_t a = key.find('\t');
    const std::size_t b = key.find('\t', a + 1);
    return key.substr(0, a) + key.substr(b);
}

} // namespace

std::string HeardKeyOf(std::wstring_view line) {
    const LineTimes times = ReadLineTimes(line);
    const std::wstring_view path = ListLinePath(line);
    if (times.channel == 0 || path.empty())
        return {};
    // The list's end is the write time by the offset in force now; the key is that moment.
    const std::int64_t utc = UtcOfListed(times.end, UtcOffsetNow());
    return std::to_string(times.size) + '\t' + UtcStamp(utc) + '\t' + EscapedPath(path);
}

HeardMarks HeardMarks::Parse(std::string_view text, bool& damaged) {
    HeardMarks marks;
    damaged = false;
    if (text.empty())
        return marks;
    std::size_t at = 0;
    bool first = true;
    bool old = false;
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
            old = line == kOldHeader;
            if (line != kHeader && !old) {
                damaged = true;
                return marks; // not ours: nothing in it can be trusted
            }
            continue;
        }
        if (line.empty())
            continue;
        KeyFields fields;
        if (old) {
            std::string key = EarlyKeyOfOldLine(line);
            damaged |= key.empty();
            if (!key.empty())
                marks.early_.insert(std::move(key));
        } else if (SplitKey(line, kStamp, fields) && IsEscapedPath(fields.path)) {
            marks.keys_.insert(std::string(line));
        } else if (SplitKey(line, kUnknownStamp, fields) && IsEscapedPath(fields.path)) {
            marks.early_.insert(EarlyKeyOf(std::string(line)));
        } else {
            damaged = true;
        }
    }
    return marks;
}

std::string HeardMarks::Serialize() const {
    std::vector<std::string> lines(keys_.begin(), keys_.end());
    for (const std::string& early : early_) {
        const std::size_t tab = early.find('\t');
        lines.push_back(early.substr(0, tab) + '\t' + std::string(kUnknownStamp) +
                        early.substr(tab));
    }
    // In a stable order, so that a file compares and diffs.
    std::sort(lines.begin(), lines.end());
    std::string text(kHeader);
    text += '\n';
    for (const std::string& line : lines)
        text += line + '\n';
    return text;
}

bool HeardMarks::Heard(std::wstring_view line) const {
    if (Size() == 0)
        return false;
    const std::string key = HeardKeyOf(line);
    return !key.empty() &&
           (keys_.contains(key) || (!early_.empty() && early_.contains(EarlyKeyOf(key))));
}

bool HeardMarks::Mark(std::wstring_view line) {
    std::string key = HeardKeyOf(line);
    if (key.empty())
        return false;
    const bool early = !early_.empty() && early_.erase(EarlyKeyOf(key)) > 0;
    return keys_.insert(std::move(key)).second || early;
}

bool HeardMarks::Settle(std::span<const std::wstring> lines) {
    bool settled = false;
    for (std::size_t i = 0; i < lines.size() && !early_.empty(); ++i) {
        std::string key = HeardKeyOf(lines[i]);
        if (!key.empty() && early_.erase(EarlyKeyOf(key)) > 0) {
            keys_.insert(std::move(key));
            settled = true;
        }
    }
    return settled;
}

HeardMarks LoadHeardMarks(const std::filesystem::path& file, HeardMarksLoad& load) {
    load = {};
    if (!voice::FileExists(file))
        return {};
    // Some systems open a folder for reading and fail only at the read.
    std::error_code ignored;
    if (std::filesystem::is_directory(file, ignored)) {
        load = {HeardMarksFile::Unreadable, EISDIR};
        return {};
    }
    voice::FileStream in(file, voice::FileStream::Mode::Read);
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
        voice::WriteWholeFile(file, marks.Serialize(), true);
        return true;
    } catch (const voice::WriteRefused&) {
        return false;
    }
}

} // namespace voice::timeline
