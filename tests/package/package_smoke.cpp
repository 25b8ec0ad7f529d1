// package_smoke DIR: starts DIR\Voice.exe the way a user does, with DIR as its current
// directory, waits for its window, closes it as its close box does and checks that it
// ended by itself, successfully, made its BegDir.Ini in DIR and left no playback file.
// Exit code 0 when all of that holds; what failed goes to stderr.

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr DWORD kPatience = 60000; // ms; a loaded machine may be slow, a hang is not
constexpr DWORD kPoll = 100;

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindMainWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    wchar_t className[64] = {};
    ::GetClassNameW(hwnd, className, 64);
    if (owner == search->processId && ::IsWindowVisible(hwnd) &&
        std::wstring(className) == L"VoiceForm") {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int Fail(const char* what, HANDLE process) {
    std::fprintf(stderr, "package_smoke: %s\n", what);
    if (process && ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT)
        ::TerminateProcess(process, 1);
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: package_smoke DIR\n");
        return 2;
    }
    const std::wstring dir = argv[1];
    std::wstring commandLine = L"\"" + dir + L"\\Voice.exe\"";
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          dir.c_str(), &startup, &started))
        return Fail("Voice.exe did not start", nullptr);
    ::CloseHandle(started.hThread);
    HANDLE process = started.hProcess;

    Search search{started.dwProcessId, nullptr};
    for (DWORD waited = 0; !search.found && waited < kPatience; waited += kPoll) {
        if (::WaitForSingleObject(process, kPoll) != WAIT_TIMEOUT)
            return Fail("Voice.exe ended before showing its window", process);
        ::EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&search));
    }
    if (!search.found)
        return Fail("no window appeared", process);

    ::PostMessageW(search.found, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process, kPatience) != WAIT_OBJECT_0)
        return Fail("Voice.exe did not end after its window was closed", process);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(process, &exitCode);
    ::CloseHandle(process);
    if (exitCode != 0)
        return Fail("Voice.exe ended with a non-zero exit code", nullptr);
    if (!Exists(dir + L"\\BegDir.Ini"))
        return Fail("no BegDir.Ini in the directory it was started in", nullptr);
    if (Exists(dir + L"\\$$$.Wav"))
        return Fail("$$$.Wav was left behind", nullptr);
    std::printf("package_smoke: started, showed its window and closed cleanly\n");
    return 0;
}
