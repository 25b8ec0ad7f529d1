#include <windows.h>

#include <string>

#include "cli/console.h"
#include "export/utf8.h"

namespace voice::cli {
namespace {

// A console takes wide text as it stands; a pipe or a file gets UTF-8.
class Win32Console final : public Console {
public:
    Win32Console()
        : out_(::GetStdHandle(STD_OUTPUT_HANDLE)), err_(::GetStdHandle(STD_ERROR_HANDLE)) {}

    void Out(std::wstring_view line) override { Write(out_, std::wstring(line) + L"\r\n"); }
    void OutBytes(std::string_view bytes) override {
        DWORD written = 0;
        ::WriteFile(out_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    void Err(std::wstring_view line) override {
        EndProgress();
        Write(err_, std::wstring(line) + L"\r\n");
    }
    bool ErrIsTerminal() const override { return IsConsole(err_); }
    void Progress(std::wstring_view text) override {
        CONSOLE_SCREEN_BUFFER_INFO info{};
        std::size_t width = 79;
        if (::GetConsoleScreenBufferInfo(err_, &info) && info.dwSize.X > 1)
            width = static_cast<std::size_t>(info.dwSize.X) - 1;
        std::wstring shown(text.substr(0, width));
        shown.resize(width, L' '); // covers a longer line drawn before
        Write(err_, L"\r" + shown);
        shown_ = true;
        width_ = width;
    }
    void EndProgress() override {
        if (shown_)
            Write(err_, L"\r" + std::wstring(width_, L' ') + L"\r");
        shown_ = false;
    }

private:
    static bool IsConsole(HANDLE handle) {
        DWORD mode = 0;
        return handle != INVALID_HANDLE_VALUE && handle != nullptr &&
               ::GetConsoleMode(handle, &mode) != FALSE;
    }
    static void Write(HANDLE handle, const std::wstring& text) {
        DWORD written = 0;
        if (IsConsole(handle)) {
            ::WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written,
                            nullptr);
            return;
        }
        const std::string bytes = exporting::ToUtf8(text);
        ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }

    HANDLE out_;
    HANDLE err_;
    bool shown_ = false;
    std::size_t width_ = 0;
};

} // namespace

std::unique_ptr<Console> MakeSystemConsole() {
    return std::make_unique<Win32Console>();
}

} // namespace voice::cli
