#pragma once
// Stand-ins for controls and services whose modules have not landed in this tree yet, so
// the window builds and runs meanwhile. Each block disappears with the arrival of the real
// header; the window is written against the real interfaces.

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
