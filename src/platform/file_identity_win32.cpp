#include <windows.h>

#include <vector>

#include "platform/file_identity.h"

namespace voice {
namespace {

class Handle {
public:
    explicit Handle(const std::filesystem::path& path)
        // Backup semantics: directories open too; no access asked, so a file another
        // program holds locked still answers.
        : handle_(::CreateFileW(path.c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}
    ~Handle() {
        if (handle_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const noexcept { return handle_; }
    bool IsOpen() const noexcept { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

} // namespace

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
    if (path.empty())
        return std::nullopt;
    const Handle file(path);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.IsOpen() || !::GetFileInformationByHandle(file.Get(), &info))
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) |
                            info.nFileIndexLow};
}

std::optional<std::filesystem::path> PhysicalPath(const std::filesystem::path& path) {
    const Handle file(path);
    if (!file.IsOpen())
        return std::nullopt;
    std::vector<wchar_t> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD n = ::GetFinalPathNameByHandleW(file.Get(), buffer.data(),
                                                    static_cast<DWORD>(buffer.size()),
                                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0)
            return std::nullopt;
        if (n < buffer.size()) {
            std::wstring text(buffer.data(), n);
            if (text.starts_with(L"\\\\?\\UNC\\"))
                text = L"\\\\" + text.substr(8);
            else if (text.starts_with(L"\\\\?\\"))
                text = text.substr(4);
            return std::filesystem::path(text);
        }
        buffer.resize(n + 1);
    }
    return std::nullopt;
}

} // namespace voice
