#include <unistd.h>

#include <ctime>
#include <vector>

#include "cli/posix_directory_enumerator.h"
#include "cli/system_platform.h"
#include "platform/utf8.h"

namespace voice::cli {
namespace {

class PosixPlatform final : public CliPlatform {
public:
    DirectoryEnumerator& Enumerator() override { return enumerator_; }
    bool StoreChannelDir(ChannelDirTable& table, int k, const std::wstring& path) override {
        return table.SetChannelDirBytes(k, voice::NameBytes(path));
    }
    std::wstring CurrentDirectory() override { return WindowsFormOfCurrentDirectory(); }
    std::wstring AbsolutePath(const std::wstring& path) override {
        const bool windowsForm = path.size() >= 3 && (path[0] == L'Z' || path[0] == L'z') &&
                                 path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
        if (path.empty() || path[0] == L'/' || windowsForm)
            return path;
        std::vector<char> buffer(4096);
        if (!::getcwd(buffer.data(), buffer.size()))
            return path;
        const std::wstring current = voice::FromUtf8(buffer.data());
        return current + (current.ends_with(L'/') ? L"" : L"/") + path;
    }
    wchar_t TimeSeparator() override { return L':'; }

private:
    PosixDirectoryEnumerator enumerator_;
};

} // namespace

std::unique_ptr<CliPlatform> MakeSystemPlatform() {
    return std::make_unique<PosixPlatform>();
}

} // namespace voice::cli
