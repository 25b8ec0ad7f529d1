#pragma once
// The media player's way to the media control interface: winmm in the program, a
// recording fake in tests.

#include <windows.h>
// after windows.h, which it needs
#include <mmsystem.h>

#include <memory>
#include <string>

namespace voice {

class MciPort {
public:
    virtual ~MciPort() = default;
    // One MCI command; params points to the command's parameter block.
    virtual MCIERROR SendCommand(MCIDEVICEID device, UINT command, DWORD_PTR flags,
                                 DWORD_PTR params) = 0;
    // The system's text for an error code; false when it has none.
    virtual bool ErrorString(MCIERROR code, std::wstring& text) = 0;
    // Keeps the driver of an open device loaded until the process ends. A driver may
    // still be running on a thread of its own after it posted a notification; closing
    // its last device from the notification handler would otherwise unload its code
    // under that thread.
    virtual void KeepDriverLoaded(MCIDEVICEID device) = 0;
};

std::unique_ptr<MciPort> MakeWinmmPort();

} // namespace voice
