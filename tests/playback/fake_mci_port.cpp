#include "fake_mci_port.h"

namespace voice::test {

std::vector<std::pair<UINT, DWORD_PTR>> FakeMci::Sent() const {
    std::vector<std::pair<UINT, DWORD_PTR>> sent;
    for (const MciCall& c : calls)
        sent.emplace_back(c.command, c.flags);
    return sent;
}

MCIERROR FakeMciPort::SendCommand(MCIDEVICEID device, UINT command, DWORD_PTR flags,
                                  DWORD_PTR params) {
    FakeMci& d = *device_;
    MciCall call;
    call.device = device;
    call.command = command;
    call.flags = flags;
    call.callback = *reinterpret_cast<const DWORD_PTR*>(params);
    const auto found = d.results.find(command);
    const MCIERROR result = found == d.results.end() ? 0 : found->second;
    switch (command) {
    case MCI_OPEN: {
        auto* p = reinterpret_cast<MCI_OPEN_PARMSW*>(params);
        call.deviceType = p->lpstrDeviceType ? p->lpstrDeviceType : L"";
        call.element = p->lpstrElementName ? p->lpstrElementName : L"";
        if (result == 0)
            p->wDeviceID = d.nextId;
        break;
    }
    case MCI_STATUS: {
        auto* p = reinterpret_cast<MCI_STATUS_PARMS*>(params);
        call.item = p->dwItem;
        call.track = p->dwTrack;
        if (flags & MCI_TRACK)
            p->dwReturn = d.trackStarts[p->dwTrack];
        else
            p->dwReturn = d.status[p->dwItem];
        break;
    }
    case MCI_GETDEVCAPS: {
        auto* p = reinterpret_cast<MCI_GETDEVCAPS_PARMS*>(params);
        call.item = p->dwItem;
        p->dwReturn = d.caps[p->dwItem];
        break;
    }
    case MCI_PLAY:
    case MCI_RECORD: {
        auto* p = reinterpret_cast<MCI_PLAY_PARMS*>(params);
        call.from = p->dwFrom;
        call.to = p->dwTo;
        break;
    }
    case MCI_SEEK:
        call.to = reinterpret_cast<MCI_SEEK_PARMS*>(params)->dwTo;
        break;
    case MCI_STEP:
        call.frames = reinterpret_cast<MCI_ANIM_STEP_PARMS*>(params)->dwFrames;
        break;
    case MCI_SET:
        call.timeFormat = reinterpret_cast<MCI_SET_PARMS*>(params)->dwTimeFormat;
        break;
    default:
        break;
    }
    d.calls.push_back(call);
    return result;
}

bool FakeMciPort::ErrorString(MCIERROR code, std::wstring& text) {
    const auto found = device_->errorTexts.find(code);
    if (found == device_->errorTexts.end())
        return false;
    text = found->second;
    return true;
}

} // namespace voice::test
