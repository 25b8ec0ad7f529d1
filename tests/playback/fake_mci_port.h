#pragma once
// A recording MCI port: every command with its flags and the parameters that matter,
// answered from a scripted device.

#include "playback/mci_port.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace voice::test {

struct MciCall {
    MCIDEVICEID device = 0;
    UINT command = 0;
    DWORD_PTR flags = 0;
    DWORD_PTR callback = 0;
    DWORD item = 0, track = 0, from = 0, to = 0, frames = 0, timeFormat = 0;
    std::wstring deviceType, element;
};

struct FakeMci {
    std::vector<MciCall> calls;
    MCIDEVICEID nextId = 5;
    // Answers: status items, capabilities, track starts, and a result per command.
    std::map<DWORD, DWORD> status{{MCI_STATUS_MODE, MCI_MODE_STOP},
                                  {MCI_STATUS_LENGTH, 1000},
                                  {MCI_STATUS_POSITION, 0},
                                  {MCI_STATUS_TIME_FORMAT, MCI_FORMAT_MILLISECONDS}};
    std::map<DWORD, DWORD> caps{{MCI_GETDEVCAPS_CAN_PLAY, 1},
                                {MCI_GETDEVCAPS_DEVICE_TYPE, MCI_DEVTYPE_WAVEFORM_AUDIO}};
    std::map<DWORD, DWORD> trackStarts;
    std::map<UINT, MCIERROR> results;
    std::map<MCIERROR, std::wstring> errorTexts;

    // The commands sent since the last Clear, as (command, flags).
    std::vector<std::pair<UINT, DWORD_PTR>> Sent() const;
    void Clear() { calls.clear(); }
};

class FakeMciPort final : public MciPort {
public:
    explicit FakeMciPort(std::shared_ptr<FakeMci> device) : device_(std::move(device)) {}
    MCIERROR SendCommand(MCIDEVICEID device, UINT command, DWORD_PTR flags,
                         DWORD_PTR params) override;
    bool ErrorString(MCIERROR code, std::wstring& text) override;

private:
    std::shared_ptr<FakeMci> device_;
};

} // namespace voice::test
