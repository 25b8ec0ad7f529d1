#pragma once
// Drives the real main window as a user would: it is created in a temporary start
// directory, its controls are found by their designed names and worked with messages,
// and what they show is read back from the windows themselves.

#include "temp_directory.h"
#include "test_host_window.h"
#include "voice/frm_voice.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace voice::testing_support {

// An archive date-time as the recorder writes it into names.
struct Moment {
    int year, month, day, hour = 0, minute = 0, second = 0;
};

// The recorder's names: day directory "YMD", recording "YMDhmmss".
std::wstring DayDirName(const Moment& day);
std::wstring RecordingName(const Moment& start, int channel);

// A recording file of size bytes whose last write is at local time end.
void CreateRecording(const std::wstring& path, unsigned size, const Moment& end);

// BegDir.Ini bytes with the given entries (the rest default "c:\").
std::string ChannelTableBytes(const std::vector<std::wstring>& entries);

class WindowDriver {
public:
    // Creates the window with startDir as the current directory, which makes it StartDir;
    // its player on the given way to the media control interface, or on winmm.
    explicit WindowDriver(const std::wstring& startDir, std::unique_ptr<MciPort> port = nullptr);
    ~WindowDriver();

    TFrmVoice& Form() { return *form_; }
    HWND Control(const wchar_t* name) const;

    void Click(const wchar_t* name) const;
    bool Checked(const wchar_t* name) const;
    bool Enabled(const wchar_t* name) const;
    std::wstring Text(const wchar_t* name) const;
    std::vector<std::wstring> ListLines() const;
    // The display part (columns 1 to 80 without padding) of every list line.
    std::vector<std::wstring> ListDisplay() const;
    void SetDate(const wchar_t* picker, int year, int month, int day) const;
    // The date the picker shows, read from the control.
    SYSTEMTIME Date(const wchar_t* picker) const;
    // Selects item index of a radio group as a user click does.
    void ClickItem(const wchar_t* radioGroup, int index) const;
    // A key pressed and released at the focused control, through the program's message loop.
    void PressKey(UINT key) const;
    // The designed name of a control, or of the radio group an item belongs to with the
    // item's index ("RGSort[2]"); empty for a window of no control.
    std::wstring NameOf(HWND window) const;
    // Closes the window by its close box.
    void Close();

private:
    std::unique_ptr<TFrmVoice> form_;
};

} // namespace voice::testing_support
