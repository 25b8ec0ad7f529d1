#include "window_driver.h"

#include "catalogue/recording_name.h"
#include "keyboard_input.h"
#include "platform/unique_handle.h"

#include <commctrl.h>
#include <stdexcept>

namespace voice::testing_support {

std::wstring DayDirName(const Moment& day) {
    return {kNameAlphabet[static_cast<size_t>(day.year - 2000)],
            kNameAlphabet[static_cast<size_t>(day.month)],
            kNameAlphabet[static_cast<size_t>(day.day)]};
}

std::wstring RecordingName(const Moment& start, int channel) {
    wchar_t tail[16];
    swprintf(tail, 16, L"%02d%02d.%d", start.minute, start.second, channel);
    return DayDirName(start) + kNameAlphabet[static_cast<size_t>(start.hour)] + tail;
}

void CreateRecording(const std::wstring& path, unsigned size, const Moment& end) {
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        throw std::runtime_error("cannot create a recording");
    std::string bytes(size, '\x80');
    DWORD written = 0;
    ::WriteFile(file.Get(), bytes.data(), size, &written, nullptr);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(end.year);
    st.wMonth = static_cast<WORD>(end.month);
    st.wDay = static_cast<WORD>(end.day);
    st.wHour = static_cast<WORD>(end.hour);
    st.wMinute = static_cast<WORD>(end.minute);
    st.wSecond = static_cast<WORD>(end.second);
    FILETIME local, utc;
    ::SystemTimeToFileTime(&st, &local);
    ::LocalFileTimeToFileTime(&local, &utc);
    ::SetFileTime(file.Get(), nullptr, nullptr, &utc);
}

std::string ChannelTableBytes(const std::vector<std::wstring>& entries) {
    std::string bytes(2048, '\0');
    for (size_t k = 0; k < 8; ++k) {
        std::string path = "c:\\";
        if (k < entries.size()) {
            path.clear();
            for (wchar_t c : entries[k])
                path.push_back(static_cast<char>(c)); // test paths are ASCII
        }
        bytes.replace(k * 256, path.size(), path);
    }
    return bytes;
}

WindowDriver::WindowDriver(const std::wstring& startDir, std::unique_ptr<MciPort> port) {
    ::SetCurrentDirectoryW(startDir.c_str());
    form_ = port ? std::make_unique<TFrmVoice>(std::move(port)) : std::make_unique<TFrmVoice>();
    gui::testing::Pump();
}

WindowDriver::~WindowDriver() {
    form_.reset();
    gui::testing::Pump();
}

HWND WindowDriver::Control(const wchar_t* name) const {
    HWND hwnd = form_->ControlHandle(name);
    if (!hwnd)
        throw std::runtime_error("no such control");
    return hwnd;
}

void WindowDriver::Click(const wchar_t* name) const {
    ::SendMessageW(Control(name), BM_CLICK, 0, 0);
    gui::testing::Pump();
}

bool WindowDriver::Checked(const wchar_t* name) const {
    return ::SendMessageW(Control(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool WindowDriver::Enabled(const wchar_t* name) const {
    return ::IsWindowEnabled(Control(name)) != FALSE;
}

std::wstring WindowDriver::Text(const wchar_t* name) const {
    wchar_t text[512] = {};
    ::GetWindowTextW(Control(name), text, 512);
    return text;
}

std::vector<std::wstring> WindowDriver::ListLines() const {
    HWND list = Control(L"LBListFiles");
    std::vector<std::wstring> lines;
    const int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::wstring line(static_cast<size_t>(::SendMessageW(list, LB_GETTEXTLEN, i, 0)), L'\0');
        ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::wstring> WindowDriver::ListDisplay() const {
    std::vector<std::wstring> display;
    for (std::wstring line : ListLines()) {
        line.resize(std::min<size_t>(line.size(), 80));
        line.erase(line.find_last_not_of(L' ') + 1);
        display.push_back(line);
    }
    return display;
}

void WindowDriver::SetDate(const wchar_t* picker, int year, int month, int day) const {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    ::SendMessageW(Control(picker), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

SYSTEMTIME WindowDriver::Date(const wchar_t* picker) const {
    SYSTEMTIME st{};
    ::SendMessageW(Control(picker), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
    return st;
}

void WindowDriver::ClickItem(const wchar_t* radioGroup, int index) const {
    HWND item = ::GetWindow(Control(radioGroup), GW_CHILD);
    for (int i = 0; i < index && item; ++i)
        item = ::GetWindow(item, GW_HWNDNEXT);
    if (!item)
        throw std::runtime_error("no such item");
    ::SendMessageW(item, BM_CLICK, 0, 0);
    gui::testing::Pump();
}

void WindowDriver::PressKey(UINT key) const {
    gui::testing::PressKey(*form_, key);
}

std::wstring WindowDriver::NameOf(HWND window) const {
    for (const std::wstring& name : form_->ControlNames())
        if (form_->ControlHandle(name) == window)
            return name;
    for (const gui::RadioGroup* group : {&form_->RgDirChan, &form_->RGSort})
        for (int i = 0; i < group->ItemCount(); ++i)
            if (group->ItemHandle(i) == window)
                return NameOf(group->Handle()) + L"[" + std::to_wstring(i) + L"]";
    return L"";
}

void WindowDriver::Close() {
    ::SendMessageW(form_->Handle(), WM_CLOSE, 0, 0);
    gui::testing::Pump();
}

} // namespace voice::testing_support
