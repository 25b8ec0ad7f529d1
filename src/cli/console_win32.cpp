#include <windows.h>

#include <string>

#include "cli/console.h"
#include "platform/utf8.h"

namespace voice::cli {
namespace {

std::wstring OutErrorText(DWORD error) {
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return L"нет места на диске";
    case ERROR_INVALID_HANDLE:
        return L"он закрыт";
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
        return L"канал закрыт";
    case ERROR_ACCESS_DENIED:
        return L"отказано в доступе";
    default:
        return L"ошибка системы " + std::to_wstring(error);
    }
}

// A console takes wide text as it stands; a pipe or a file gets UTF-8.
class Win32Console final : public Console {
public:
    Win32Console()
        : out_(::GetStdHandle(STD_OUTPUT_HANDLE)), err_(::GetStdHandle(STD_ERROR_HANDLE)) {}

    void Out(std::wstring_view line) override { WriteOut(std::wstring(line) + L"\r\n"); }
    void OutBytes(std::string_view bytes) override {
        if (outError_ == 0 && !WriteBytes(out_, bytes))
            outError_ = LastError();
    }
    std::wstring OutFailure() const override {
        return outError_ == 0 ? std::wstring() : OutErrorText(outError_);
    }
    void Err(std::wstring_view line) override {
        EndProgress();
        Write(err_, std::wstring(line) + L"\r\n"); // nowhere left to tell of a failure
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
    // The error of the failed write; a handle never given reads as closed.
    static DWORD LastError() {
        const DWORD error = ::GetLastError();
        return error != 0 ? error : ERROR_INVALID_HANDLE;
    }
    static bool WriteBytes(HANDLE handle, std::string_view bytes) {
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
            ::SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        while (!bytes.empty()) {
            DWORD written = 0;
            if (!::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                             nullptr))
                return false;
            if (written == 0) {
                ::SetLastError(ERROR_DISK_FULL);
                return false;
            }
            bytes.remove_prefix(written);
        }
        return true;
    }
    static bool Write(HANDLE handle, const std::wstring& text) {
        if (IsConsole(handle)) {
            DWORD written = 0;
            return ::WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written,
                                   nullptr) != FALSE &&
                   written == text.size();
        }
        return WriteBytes(handle, voice::ToUtf8(text));
    }
    void WriteOut(const std::wstring& text) {
        if (outError_ == 0 && !Write(out_, text))
            outError_ = LastError();
    }

    HANDLE out_;
    HANDLE err_;
    bool shown_ = false;
    std::size_t width_ = 0;
    DWORD outError_ = 0;
};

} // namespace

std::unique_ptr<Console> MakeSystemConsole() {
    return std::make_unique<Win32Console>();
}

} // namespace voice::cli
