#pragma once
// Stand-ins for controls and services whose modules have not landed in this tree yet, so
// the window builds and runs meanwhile. Each block disappears with the arrival of the real
// header; the window is written against the real interfaces.

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
