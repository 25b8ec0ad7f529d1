#include "playback/mci_port.h"

#include <iterator>
#include <set>

namespace voice {
namespace {

// Where the system names the file of each MCI driver (value name: the install name).
constexpr wchar_t kMciDriversKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\MCI32";

class WinmmPort final : public MciPort {
public:
    MCIERROR SendCommand(MCIDEVICEID device, UINT command, DWORD_PTR flags,
                         DWORD_PTR params) override {
        return ::mciSendCommandW(device, command, flags, params);
    }
    bool ErrorString(MCIERROR code, std::wstring& text) override {
        std::wstring buffer(4096, L'\0');
        if (!::mciGetErrorStringW(code, buffer.data(), static_cast<UINT>(buffer.size())))
            return false;
        buffer.resize(::wcsnlen(buffer.c_str(), buffer.size()));
        text = std::move(buffer);
        return true;
    }
    // Failures are ignored: a driver we cannot name still plays, as it always did.
    void KeepDriverLoaded(MCIDEVICEID device) override {
        wchar_t installName[128]{};
        MCI_SYSINFO_PARMSW info{};
        info.lpstrReturn = installName;
        info.dwRetSize = static_cast<DWORD>(std::size(installName));
        if (::mciSendCommandW(device, MCI_SYSINFO, MCI_SYSINFO_INSTALLNAME,
                              reinterpret_cast<DWORD_PTR>(&info)) != 0 ||
            pinned_.contains(installName))
            return;
        wchar_t driverFile[MAX_PATH]{};
        DWORD size = sizeof(driverFile);
        if (::RegGetValueW(HKEY_LOCAL_MACHINE, kMciDriversKey, installName, RRF_RT_REG_SZ,
                           nullptr, driverFile, &size) != ERROR_SUCCESS)
            return;
        HMODULE module = nullptr;
        if (::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, driverFile, &module))
            pinned_.insert(installName);
    }

private:
    std::set<std::wstring, std::less<>> pinned_; // install names of the drivers kept
};

} // namespace

std::unique_ptr<MciPort> MakeWinmmPort() {
    return std::make_unique<WinmmPort>();
}

} // namespace voice
