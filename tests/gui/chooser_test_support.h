#pragma once
// Shared by the drive box and directory list tests: a temporary directory tree, a guard
// for the process-wide state the two controls change, and owner-drawn items drawn into
// a bitmap of the test's own.

#include "gui/control.h"
#include "platform/unique_handle.h"

#include <windows.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace voice::gui::chooser_test {

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
        const std::wstring base = std::wstring(temp) + L"chooser-" +
                                  std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(++serial);
        ::CreateDirectoryW(base.c_str(), nullptr);
        wchar_t full[MAX_PATH] = {};
        ::GetFullPathNameW(base.c_str(), MAX_PATH, full, nullptr);
        root_ = full;
    }
    ~TempTree() {
        // A directory cannot be removed while it is the current one.
        ::SetCurrentDirectoryW((root_ + L"\\..").c_str());
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(root_), ignored);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::wstring& Root() const { return root_; }
    std::wstring Path(const std::wstring& relative) const { return root_ + L"\\" + relative; }
    void MakeDirectory(const std::wstring& relative, DWORD attributes = 0) const {
        ::CreateDirectoryW(Path(relative).c_str(), nullptr);
        if (attributes)
            ::SetFileAttributesW(Path(relative).c_str(), attributes);
    }
    void MakeFile(const std::wstring& relative) const {
        FileHandle(::CreateFileW(Path(relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    }

private:
    std::wstring root_;
};

// Puts back the current directory and the directories last used on C: and Z:.
class ProcessStateKept {
public:
    ProcessStateKept() : directory_(CurrentDirectoryNow()) {
        for (const wchar_t* name : {L"=C:", L"=Z:"}) {
            wchar_t value[MAX_PATH] = {};
            const bool present = ::GetEnvironmentVariableW(name, value, MAX_PATH) > 0;
            drives_.push_back({name, present ? value : L"", present});
        }
    }
    ~ProcessStateKept() {
        ::SetCurrentDirectoryW(directory_.c_str());
        for (const auto& drive : drives_)
            ::SetEnvironmentVariableW(drive.name, drive.present ? drive.value.c_str() : nullptr);
    }
    ProcessStateKept(const ProcessStateKept&) = delete;
    ProcessStateKept& operator=(const ProcessStateKept&) = delete;

private:
    struct DriveVariable {
        const wchar_t* name;
        std::wstring value;
        bool present;
    };
    std::wstring directory_;
    std::vector<DriveVariable> drives_;
};

inline int TextHeight(HWND hwnd, HFONT font) {
    WindowDc dc(hwnd);
    DcSelection select(dc.Get(), font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.Get(), &metrics);
    return metrics.tmHeight;
}

// One item drawn by its control, asked through its parent as the system asks, into a
// bitmap of the given size.
class DrawnItem {
public:
    DrawnItem(HWND parent, const Control& control, UINT type, int item, ULONG_PTR data,
              bool selected, int width, int height)
        : dc_(nullptr) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32};
        void* bits = nullptr;
        bitmap_.Reset(::CreateDIBSection(dc_.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        DcSelection select(dc_.Get(), bitmap_.Get());
        DRAWITEMSTRUCT draw{type,
                            static_cast<UINT>(::GetDlgCtrlID(control.Handle())),
                            static_cast<UINT>(item),
                            ODA_DRAWENTIRE,
                            selected ? static_cast<UINT>(ODS_SELECTED) : 0u,
                            control.Handle(),
                            dc_.Get(),
                            {0, 0, width, height},
                            data};
        ::SendMessageW(parent, WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
    }
    COLORREF Pixel(int x, int y) const {
        DcSelection select(dc_.Get(), bitmap_.Get());
        return ::GetPixel(dc_.Get(), x, y);
    }

private:
    MemoryDc dc_;
    BitmapHandle bitmap_;
};

} // namespace voice::gui::chooser_test
