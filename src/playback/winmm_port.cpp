#include "playback/mci_port.h"

namespace voice {
namespace {

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
};

} // namespace

std::unique_ptr<MciPort> MakeWinmmPort() {
    return std::make_unique<WinmmPort>();
}

} // namespace voice
