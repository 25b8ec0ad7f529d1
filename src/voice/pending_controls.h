#pragma once
// Stand-ins for controls and services whose modules have not landed in this tree yet, so
// the window builds and runs meanwhile. Each block disappears with the arrival of the real
// header; the window is written against the real interfaces.

#if __has_include("playback/media_player.h")
#include "playback/media_player.h"
#else
#include "gui/window.h"
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
namespace voice {
enum TMPBtnType : std::uint8_t {
    btPlay,
    btPause,
    btStop,
    btNext,
    btPrev,
    btStep,
    btBack,
    btRecord,
    btEject
};
class TButtonSet {
public:
    constexpr TButtonSet() = default;
    constexpr TButtonSet(std::initializer_list<TMPBtnType>) {}
};
class TMediaPlayer : public gui::Window {
public:
    void Create(HWND parent, UINT id, int x, int y, int width = 240, int height = 30) {
        CreateWindowObject(L"VoicePendingPlayer", 0, ::GetSysColorBrush(COLOR_BTNFACE), 0,
                           WS_CHILD | WS_VISIBLE, L"", x, y, width, height, parent, id);
    }
    std::function<void(TMPBtnType button, bool& doDefault)> OnClick;
    std::function<void(TMPBtnType button)> OnPostClick;
    std::function<void()> OnNotify;
    const std::wstring& FileName() const { return fileName_; }
    void SetFileName(std::wstring name) { fileName_ = std::move(name); }
    bool DeviceOpen() const { return false; }
    void SetVisibleButtons(TButtonSet) {}
    void SetEnabledButtons(TButtonSet) {}
    void SetDisplay(HWND) {}
    void SetNotify(bool) {}
    void Close() {}

private:
    std::wstring fileName_;
};
} // namespace voice
#define VOICE_PENDING_MEDIA_PLAYER 1
#endif

#if __has_include("gui/mask_edit.h")
#include "gui/mask_edit.h"
#include "gui/up_down.h"
#include "voice/time_fields.h"
#else
#include "gui/control.h"
#include <functional>
#include <string>
#include <string_view>
namespace voice::gui {
enum class UpDownButton { Up, Down };
class MaskEdit : public Control {
public:
    void Create(HWND parent, UINT id, int x, int y, int width, int height,
                std::wstring_view = L"!90:00:00;1; ") {
        Attach(::CreateWindowExW(
            WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_DISABLED, x, y, width,
            height, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr));
    }
    std::wstring Text() const { return text_; }
    void SetText(std::wstring_view text) {
        text_ = text;
        ::SetWindowTextW(Handle(), text_.c_str());
    }
    int CaretPosition() const { return 0; }
    void SetCaretPosition(int) {}
    void SetBackground(COLORREF) {}

private:
    std::wstring text_;
};
class UpDown : public Control {
public:
    void Create(HWND parent, UINT id, int x, int y, int width, int height) {
        Attach(::CreateWindowExW(
            0, L"msctls_updown32", L"", WS_CHILD | WS_VISIBLE | WS_DISABLED, x, y, width, height,
            parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr));
    }
    int Increment() const noexcept { return 1; }
    std::function<void(UpDownButton)> OnClick;
};
} // namespace voice::gui
namespace voice {
template <typename F, typename A> void IncTimeField(gui::UpDownButton, F&, const A&) {}
} // namespace voice
#endif

#if __has_include("gui/drive_combo_box.h")
#include "gui/directory_list_box.h"
#include "gui/drive_combo_box.h"
#else
#include "gui/control.h"
#include <functional>
#include <string>
namespace voice::gui {
class DriveComboBox : public Control {
public:
    void Create(HWND parent, UINT id, int x, int y, int width, int height) {
        Attach(::CreateWindowExW(
            0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, x, y, width, height * 8,
            parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr));
    }
    wchar_t Drive() const { return drive_; }
    void SetDrive(wchar_t drive) { drive_ = drive; }
    std::function<void()> OnChange;

private:
    wchar_t drive_ = L'c';
};
class DirectoryListBox : public Control {
public:
    void Create(HWND parent, UINT id, int x, int y, int width, int height) {
        Attach(::CreateWindowExW(
            WS_EX_CLIENTEDGE, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr));
    }
    std::wstring Directory() const { return directory_; }
    void SetDirectory(const std::wstring& directory) { directory_ = directory; }
    wchar_t Drive() const { return directory_.empty() ? L'\0' : directory_[0]; }
    void SetDrive(wchar_t) {}
    std::function<void()> OnChange;

private:
    std::wstring directory_;
};
} // namespace voice::gui
#endif

#if __has_include("conversion/file_handle_field.h")
#include "conversion/file_handle_field.h"
#else
namespace voice {
class FileHandleField {
public:
    bool IsOpen() const noexcept { return false; }
};
inline void CloseFileHandle(FileHandleField&) noexcept {}
} // namespace voice
#endif

#if __has_include("catalogue/recording_search.h")
#include "catalogue/channel_dir_file.h"
#include "catalogue/recording_search.h"
#include "catalogue/sort_str.h"
#include "catalogue/win32_directory_enumerator.h"
#else
#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>
namespace voice {
class ChannelDirTable {};
inline void LoadChannelDirTable(ChannelDirTable&) {}
inline void SaveChannelDirTable(const ChannelDirTable&, const std::wstring&) {}
inline std::wstring GetChannelDir(const ChannelDirTable&, int) {
    return L"c:\\";
}
inline bool SetChannelDir(ChannelDirTable&, int, std::wstring_view) {
    return true;
}
class TSortStr {
public:
    void SetOrderingSource(std::function<int()>) {}
    int Count() const noexcept { return static_cast<int>(lines_.size()); }
    const std::vector<std::wstring>& Lines() const noexcept { return lines_; }
    void Clear() noexcept { lines_.clear(); }

private:
    std::vector<std::wstring> lines_;
};
struct CalendarDate {
    int year = 1900, month = 1, day = 1;
};
struct TimeBound {
    bool enabled = false;
    std::wstring text;
};
struct SearchCriteria {
    std::array<bool, 8> channelTicked{};
    CalendarDate from, to;
    TimeBound fromTime, toTime;
    wchar_t timeSeparator = L':';
};
class TDirectory {};
using DayDirList = std::vector<TDirectory>;
class DirectoryEnumerator {};
class Win32DirectoryEnumerator : public DirectoryEnumerator {};
inline void RunRecordingSearch(const SearchCriteria&, const ChannelDirTable&, TSortStr&,
                               const std::wstring&, const std::function<void()>&,
                               DirectoryEnumerator&) {}
} // namespace voice
#endif
