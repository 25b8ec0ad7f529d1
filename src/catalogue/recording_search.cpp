#include "catalogue/recording_search.h"

#include "catalogue/list_line.h"
#include "catalogue/recording_name.h"

#include <algorithm>

namespace voice {
namespace {

// Attributes the platform's search leaves out unless the mask includes them.
constexpr std::uint32_t kMaskableAttributes =
    kAttrHidden | kAttrSystem | kAttrVolumeLabel | kAttrDirectory;
// Read-only, system, volume label, archive and 64: files, but no hidden ones and no
// directories.
constexpr std::uint32_t kRecordingMask = 109;
// The platform's 260-character path buffer, terminator included.
constexpr std::size_t kMaxFullPath = 259;

// A date as its "yyyymmdd" text, read as a number: eight digits always, so the numbers
// compare as the texts do, with no text written per recording.
using DateNumber = std::uint32_t;

// The two digits WriteYyyymmdd writes for value.
std::uint32_t TwoDigitValue(int value) noexcept {
    return static_cast<std::uint32_t>(value >= 0 && value <= 99 ? value
                                                                : ((value % 100) + 100) % 100);
}

// The recordings of a day directory were written on few days: the date of the last day
// asked for is kept, and only the time of day is worked out for the next.
class WriteTimeParts {
public:
    DateTimeParts operator()(std::uint64_t fileTime) noexcept {
        constexpr std::uint64_t kTicksPerSecond = 10'000'000;
        const std::uint64_t seconds = fileTime / kTicksPerSecond;
        const std::uint64_t day = seconds / 86400;
        if (day != day_) {
            day_ = day;
            date_ = FileTimeToTwoSecondParts(day * 86400 * kTicksPerSecond);
        }
        DateTimeParts parts = date_;
        const int inDay = static_cast<int>(seconds % 86400);
        parts.hour = inDay / 3600;
        parts.minute = inDay / 60 % 60;
        parts.second = inDay % 60 & ~1;
        return parts;
    }

private:
    std::uint64_t day_ = ~std::uint64_t{0};
    DateTimeParts date_;
};

bool EndsInSeparator(std::wstring_view dir) noexcept {
    return !dir.empty() && dir.back() == L'\\';
}

std::wstring JoinedPath(std::wstring_view dir, std::wstring_view name) {
    std::wstring path(dir);
    if (!EndsInSeparator(dir))
        path.push_back(L'\\');
    return path.append(name);
}

DateNumber YyyymmddOf(int year, int month, int day) noexcept {
    return TwoDigitValue(year / 100) * 1'000'000 + TwoDigitValue(year) * 10'000 +
           TwoDigitValue(month) * 100 + TwoDigitValue(day);
}

class ChannelScan {
public:
    ChannelScan(const SearchCriteria& criteria, int channel, TSortStr& lineList,
                DirectoryEnumerator& enumerator)
        : criteria_(criteria), channel_(channel), lineList_(lineList), enumerator_(enumerator),
          from_(YyyymmddOf(criteria.from.year, criteria.from.month, criteria.from.day)),
          to_(YyyymmddOf(criteria.to.year, criteria.to.month, criteria.to.day)),
          fromTime_(ComparableTimeText(criteria.fromTime.text)),
          toTime_(ComparableTimeText(criteria.toTime.text)),
          pattern_(L"*." + std::to_wstring(channel)) {}

    void CollectDayDirs(DayDirList& dayDirList) {
        enumerator_.ListDirectory(L"*.", [&](const DirectoryEntry& entry) {
            if (!MatchesNoExtension(entry.name) ||
                !PassesAttributeMask(entry.attributes, kAttrDirectory) || !CollectDayDir(entry))
                return;
            std::wstring path;
            if (enumerator_.ExpandPath(entry.name, path))
                dayDirList.emplace_back(path);
        });
    }

    void ScanDayDir(const std::wstring& dir) {
        dirHead_.assign(dir);
        if (!EndsInSeparator(dir))
            dirHead_.push_back(L'\\');
        DateTimeParts day;
        try {
            day = DecodeDayDirParts(dir);
        } catch (const DateEncodeError&) {
            EnterWhereStopped();
            throw NamedDateError(dir);
        }
        if (!InDateRange(YyyymmddOf(day.year, day.month, day.day)) && dir.size() != 4)
            return;
        if (enumerator_.ListsInPlace())
            notEntered_.push_back(&dir);
        enumerator_.ListDirectoryAt(dir, pattern_, [&](const DirectoryEntry& entry) {
            if (MatchesChannelExtension(entry.name, channel_) &&
                PassesAttributeMask(entry.attributes, kRecordingMask))
                AddIfMatching(dir, entry);
        });
    }

private:
    bool InDateRange(const DateNumber& date) const noexcept { return date >= from_ && date <= to_; }

    // A search stopped by a date leaves the current directory where entering each day
    // directory to list it would have: the last one that can be entered.
    void EnterWhereStopped() {
        while (!notEntered_.empty()) {
            const std::wstring& dir = *notEntered_.back();
            notEntered_.pop_back();
            if (enumerator_.ChangeDirectory(dir))
                return;
        }
    }

    bool InTimeWindow(const DateTimeParts& start) const noexcept {
        if (!criteria_.fromTime.enabled && !criteria_.toTime.enabled)
            return true;
        wchar_t chars[8];
        WriteHhnnss(start, criteria_.timeSeparator, chars);
        const std::wstring_view time(chars, 8);
        if (criteria_.fromTime.enabled && CompareText(time, fromTime_) < 0)
            return false;
        if (criteria_.toTime.enabled && CompareText(time, toTime_) > 0)
            return false;
        return true;
    }

    void AddIfMatching(const std::wstring& dir, const DirectoryEntry& entry) {
        DateTimeParts start;
        try {
            start = DecodeRecordingParts(entry.name);
        } catch (const DateEncodeError&) {
            EnterWhereStopped();
            throw NamedDateError(JoinedPath(dir, entry.name));
        }
        if (!InDateRange(YyyymmddOf(start.year, start.month, start.day)) || !InTimeWindow(start))
            return;
        if (dirHead_.size() + entry.name.size() > kMaxFullPath)
            return;
        const DateTimeParts end = writeTime_(enumerator_.ToLocalFileTime(entry.lastWriteTime));
        std::wstring line = lineList_.TakeSpareLine();
        BuildListLine(line, channel_, start, end, entry.size, dirHead_, entry.name,
                      criteria_.timeSeparator);
        lineList_.Add(std::move(line));
    }

    const SearchCriteria& criteria_;
    int channel_;
    TSortStr& lineList_;
    DirectoryEnumerator& enumerator_;
    DateNumber from_;
    DateNumber to_;
    std::wstring fromTime_;
    std::wstring toTime_;
    std::wstring pattern_;
    std::wstring dirHead_; // the day directory with its separator
    std::vector<const std::wstring*> notEntered_; // day directories listed from outside
    WriteTimeParts writeTime_;
};

} // namespace

bool AnyChannelTicked(const SearchCriteria& criteria) noexcept {
    return std::any_of(criteria.channelTicked.begin(), criteria.channelTicked.end(),
                       [](bool ticked) { return ticked; });
}

bool PassesAttributeMask(std::uint32_t attributes, std::uint32_t mask) noexcept {
    return (attributes & kMaskableAttributes & ~mask) == 0;
}

bool CollectDayDir(const DirectoryEntry& entry) noexcept {
    return entry.attributes == kAttrDirectory && !entry.name.empty() && entry.name != L"..";
}

bool MatchesNoExtension(std::wstring_view name) noexcept {
    return name == L"." || name == L".." || name.find(L'.') == std::wstring_view::npos;
}

bool MatchesChannelExtension(std::wstring_view name, int channel) noexcept {
    return name.size() >= 2 && name[name.size() - 2] == L'.' &&
           name.back() == static_cast<wchar_t>(L'0' + channel);
}

std::wstring ComparableTimeText(std::wstring_view text) {
    std::wstring result(text);
    if (!result.empty() && result.front() == L' ')
        result.front() = L'0';
    return result;
}

int CompareText(std::wstring_view a, std::wstring_view b) noexcept {
    return a.compare(b);
}

void RunRecordingSearch(const SearchCriteria& criteria, const ChannelDirTable& table,
                        TSortStr& lineList, const std::wstring& startDir,
                        const std::function<void()>& afterChannel,
                        DirectoryEnumerator& enumerator) {
    lineList.ClearForRefill();
    // Whatever way the search ends, the buffers no line took are freed.
    struct SpareRelease {
        TSortStr& list;
        ~SpareRelease() { list.DropSpareLines(); }
    } spareRelease{lineList};
    DayDirList dayDirList;
    for (int channel = 1; channel <= ChannelDirTable::kEntryCount; ++channel) {
        dayDirList.clear();
        if (!criteria.channelTicked[static_cast<std::size_t>(channel - 1)])
            continue;
        const std::wstring baseDir =
            enumerator.AnsiToWideText(table.GetChannelDirBytes(channel - 1));
        if (!enumerator.ChangeDirectory(baseDir))
            continue;
        ChannelScan scan(criteria, channel, lineList, enumerator);
        scan.CollectDayDirs(dayDirList);
        lineList.SetSorted(false);
        for (const TDirectory& dir : dayDirList)
            scan.ScanDayDir(dir.Path());
        lineList.SetSorted(true);
        if (afterChannel)
            afterChannel();
        dayDirList.clear();
    }
    enumerator.ChangeDirectory(startDir);
}

} // namespace voice
