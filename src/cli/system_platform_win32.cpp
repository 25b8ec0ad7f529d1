#include <windows.h>

#include "catalogue/channel_dir_file.h"
#include "catalogue/win32_directory_enumerator.h"
#include "cli/system_platform.h"

namespace voice::cli {
namespace {

class Win32Platform final : public CliPlatform {
public:
    DirectoryEnumerator& Enumerator() override { return enumerator_; }
    bool StoreChannelDir(ChannelDirTable& table, int k, const std::wstring& path) override {
        return SetChannelDir(table, k, path);
    }
    std::wstring CurrentDirectory() override {
        const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
        std::wstring dir(size, L'\0');
        dir.resize(::GetCurrentDirectoryW(size, dir.data()));
        return dir;
    }
    std::wstring AbsolutePath(const std::wstring& path) override {
        const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
        if (size == 0)
            return path;
        std::wstring full(size, L'\0');
        full.resize(::GetFullPathNameW(path.c_str(), size, full.data(), nullptr));
        return full;
    }
    wchar_t TimeSeparator() override { return LocaleTimeSeparator(); }

private:
    Win32DirectoryEnumerator enumerator_;
};

} // namespace

std::unique_ptr<CliPlatform> MakeSystemPlatform() {
    return std::make_unique<Win32Platform>();
}

} // namespace voice::cli
