#pragma once
// Shared by the drive box and directory list tests: a container window that reflects
// its children's notifications, a temporary directory tree, and a guard for the
// process-wide state the controls change (current directory, per-drive directories).

#include "gui/control.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace voice::gui::chooser_test {

class ReflectingParent {
public:
    ReflectingParent() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Procedure;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VoiceChooserTestParent";
        ::RegisterClassW(&wc); // a second registration fails harmlessly
        hwnd_ = ::CreateWindowExW(0, wc.lpszClassName, L"test", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~ReflectingParent() { ::DestroyWindow(hwnd_); }
    ReflectingParent(const ReflectingParent&) = delete;
    ReflectingParent& operator=(const ReflectingParent&) = delete;
    HWND Handle() const { return hwnd_; }

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        LRESULT result = 0;
        if (ReflectToControl(msg, wp, lp, result))
            return result;
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    HWND hwnd_;
};

inline std::wstring CurrentDirectoryNow() {
    wchar_t path[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, path);
    return path;
}

// A fresh directory below the temporary directory, removed with everything in it.
class TempTree {
public:
    TempTree() {
        static int serial = 0;
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        // GetTempPath's case and separators may differ from what entering reports.
        std::wstring base = std::wstring(temp) + L"chooser-" +
                            std::to_wstring(::GetCurrentProcessId()) + L"-" +
                            std::to_wstring(++serial);
        ::CreateDirectoryW(base.c_str(), nullptr);
        wchar_t full[MAX_PATH] = {};
        ::GetFullPathNameW(base.c_str(), MAX_PATH, full, nullptr);
        root_ = full;
    }
    ~TempTree() {
        // A directory cannot be removed while it is the current one.
        const std::wstring current = CurrentDirectoryNow();
        if (::CompareStringOrdinal(
                current.c_str(), static_cast<int>(std::min(current.size(), root_.size())),
                root_.c_str(), static_cast<int>(root_.size()), TRUE) == CSTR_EQUAL)
            ::SetCurrentDirectoryW((root_ + L"\\..").c_str());
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(root_), ignored);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::wstring& Root() const { return root_; }
    std::wstring Path(const std::wstring& relative) const { return root_ + L"\\" + relative; }
    std::wstring MakeDirectory(const std::wstring& relative, DWORD attributes = 0) const {
        const std::wstring path = Path(relative);
        ::CreateDirectoryW(path.c_str(), nullptr);
        if (attributes)
            ::SetFileAttributesW(path.c_str(), attributes);
        return path;
    }
    void MakeFile(const std::wstring& relative) const {
        HANDLE file = ::CreateFileW(Path(relative).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ::CloseHandle(file);
    }

private:
    std::wstring root_;
};

// Puts back the current directory and the per-drive directories a test changed.
class ProcessStateKept {
public:
    ProcessStateKept() : directory_(CurrentDirectoryNow()) {
        for (wchar_t drive : {L'C', L'Z'})
            Save(drive);
    }
    ~ProcessStateKept() {
        ::SetCurrentDirectoryW(directory_.c_str());
        for (const auto& [name, value, present] : drives_)
            ::SetEnvironmentVariableW(name.c_str(), present ? value.c_str() : nullptr);
    }
    ProcessStateKept(const ProcessStateKept&) = delete;
    ProcessStateKept& operator=(const ProcessStateKept&) = delete;

private:
    struct DriveVariable {
        std::wstring name;
        std::wstring value;
        bool present;
    };
    void Save(wchar_t drive) {
        const std::wstring name{L'=', drive, L':'};
        wchar_t value[MAX_PATH] = {};
        const bool present = ::GetEnvironmentVariableW(name.c_str(), value, MAX_PATH) > 0;
        drives_.push_back({name, value, present});
    }
    std::wstring directory_;
    std::vector<DriveVariable> drives_;
};

// A screen-compatible DC with a font selected, for measuring.
class WindowDcFor {
public:
    WindowDcFor(HWND hwnd, HFONT font) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {
        old_ = ::SelectObject(dc_, font);
    }
    ~WindowDcFor() {
        ::SelectObject(dc_, old_);
        ::ReleaseDC(hwnd_, dc_);
    }
    WindowDcFor(const WindowDcFor&) = delete;
    WindowDcFor& operator=(const WindowDcFor&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
    HGDIOBJ old_;
};

// One owner-drawn item, drawn by its control (through its parent, as the system would
// ask) into a bitmap of its own.
class DrawnLine {
public:
    DrawnLine(int width, int height) : dc_(::CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = ::SelectObject(dc_, bitmap_);
    }
    ~DrawnLine() {
        ::SelectObject(dc_, old_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc_);
    }
    DrawnLine(const DrawnLine&) = delete;
    DrawnLine& operator=(const DrawnLine&) = delete;
    HDC Dc() const { return dc_; }
    COLORREF Pixel(int x, int y) const { return ::GetPixel(dc_, x, y); }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

inline void DrawItem(HWND parent, const Control& control, UINT type, int item, ULONG_PTR data,
                     bool selected, const DrawnLine& target, int width, int height) {
    DRAWITEMSTRUCT draw{};
    draw.CtlType = type;
    draw.CtlID = static_cast<UINT>(::GetDlgCtrlID(control.Handle()));
    draw.itemID = static_cast<UINT>(item);
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = selected ? ODS_SELECTED : 0;
    draw.hwndItem = control.Handle();
    draw.hDC = target.Dc();
    draw.rcItem = {0, 0, width, height};
    draw.itemData = data;
    ::SendMessageW(parent, WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
}

} // namespace voice::gui::chooser_test
