#pragma once
// The recording search behind "Сформировать список": walks the base directory of every
// ticked channel, keeps the day directories and recordings in the date range and the
// time window, and fills the list with one ListLine per recording, sorting it after
// each channel. Portable over DirectoryEnumerator.

#include "catalogue/channel_dir_table.h"
#include "catalogue/date_time.h"
#include "catalogue/directory_enumerator.h"
#include "catalogue/sort_str.h"
#include "platform/app_error.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace voice {

// A time field: whether it is enabled and its text "hh:nn:ss".
struct TimeBound {
    bool enabled = false;
    std::wstring text;
};

struct SearchCriteria {
    std::array<bool, 8> channelTicked{}; // check-box order, channel 1 first
    CalendarDate from;                   // DTPicker0's date
    CalendarDate to;                     // DTPicker1's date
    TimeBound fromTime;                  // MEDTime0
    TimeBound toTime;                    // MEDTime1
    wchar_t timeSeparator = L':';        // the locale's time separator
};

bool AnyChannelTicked(const SearchCriteria& criteria) noexcept;

// The search's DateEncodeError, its text unchanged, with the day folder or recording
// (full path) whose name holds the date, for whoever must say where the search stopped.
class NamedDateError : public DateEncodeError {
public:
    explicit NamedDateError(std::wstring path) : path_(std::move(path)) {}
    const std::wstring& Path() const noexcept { return path_; }

private:
    std::wstring path_;
};

// One directory found below a channel's base directory.
class TDirectory {
public:
    explicit TDirectory(std::wstring_view path) : path_(path) {}
    const std::wstring& Path() const noexcept { return path_; }

private:
    std::wstring path_;
};
using DayDirList = std::vector<TDirectory>;

// Empties lineList and runs the search into it. For each ticked channel whose base
// directory can be entered: the lines of its day directories are appended (sorted state
// false), then the sorted state is set to true, which sorts by the ordering the list's
// source reports, then afterChannel runs (the window copies the lines into its list box
// there). Ends in startDir.
//
// An impossible calendar date in a name throws NamedDateError at once: lineList keeps
// the completed channels' lines, sorted, plus the interrupted channel's lines found so
// far, unsorted, and the current directory is left where the search was.
void RunRecordingSearch(const SearchCriteria& criteria, const ChannelDirTable& table,
                        TSortStr& lineList, const std::wstring& startDir,
                        const std::function<void()>& afterChannel, DirectoryEnumerator& enumerator);

// The search's pieces: which entries it takes and how it compares texts.
bool PassesAttributeMask(std::uint32_t attributes, std::uint32_t mask) noexcept;
bool CollectDayDir(const DirectoryEntry& entry) noexcept; // attribute word exactly 16
bool MatchesNoExtension(std::wstring_view name) noexcept; // what "*." selects
bool MatchesChannelExtension(std::wstring_view name, int channel) noexcept; // "*.n"
// A time field's text as compared: a blank hour-tens column reads as "0".
std::wstring ComparableTimeText(std::wstring_view text);
// Byte-wise text order, a text that begins the other being the smaller.
int CompareText(std::wstring_view a, std::wstring_view b) noexcept;

} // namespace voice
