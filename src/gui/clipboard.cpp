#include "gui/clipboard.h"

#include <cstring>
#include <cwchar>
#include <utility>

namespace voice::gui {
namespace {

// Open for the lifetime of the object; another program may hold it for a moment.
class OpenClipboardSession {
public:
    explicit OpenClipboardSession(HWND owner) {
        for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
            open_ = ::OpenClipboard(owner) != FALSE;
            if (!open_)
                ::Sleep(10);
        }
    }
    ~OpenClipboardSession() {
        if (open_)
            ::CloseClipboard();
    }
    OpenClipboardSession(const OpenClipboardSession&) = delete;
    OpenClipboardSession& operator=(const OpenClipboardSession&) = delete;
    explicit operator bool() const noexcept { return open_; }

private:
    bool open_ = false;
};

// Global memory until the clipboard takes it over.
class GlobalMemory {
public:
    explicit GlobalMemory(std::size_t bytes) : memory_(::GlobalAlloc(GMEM_MOVEABLE, bytes)) {}
    ~GlobalMemory() {
        if (memory_)
            ::GlobalFree(memory_);
    }
    GlobalMemory(const GlobalMemory&) = delete;
    GlobalMemory& operator=(const GlobalMemory&) = delete;
    HGLOBAL Get() const noexcept { return memory_; }
    HGLOBAL Release() noexcept { return std::exchange(memory_, nullptr); }

private:
    HGLOBAL memory_;
};

} // namespace

bool SetClipboardText(HWND owner, const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    GlobalMemory memory(bytes);
    if (!memory.Get())
        return false;
    void* target = ::GlobalLock(memory.Get());
    if (!target)
        return false;
    std::memcpy(target, text.c_str(), bytes);
    ::GlobalUnlock(memory.Get());

    OpenClipboardSession clipboard(owner);
    if (!clipboard || !::EmptyClipboard())
        return false;
    if (!::SetClipboardData(CF_UNICODETEXT, memory.Get()))
        return false;
    memory.Release(); // the clipboard owns it now
    return true;
}

std::wstring ClipboardText(HWND owner) {
    OpenClipboardSession clipboard(owner);
    if (!clipboard)
        return {};
    HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
    if (!data)
        return {};
    const auto* text = static_cast<const wchar_t*>(::GlobalLock(data));
    if (!text)
        return {};
    std::wstring copy(text, ::wcsnlen(text, ::GlobalSize(data) / sizeof(wchar_t)));
    ::GlobalUnlock(data);
    return copy;
}

} // namespace voice::gui
