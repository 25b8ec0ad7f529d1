#include "other_process.h"

#include "platform/unique_handle.h"

#include <windows.h>

#include <stdexcept>
#include <vector>

namespace voice::testing_support {
namespace {

std::wstring ExecutableDirectory() {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, length);
    return dir.substr(0, dir.find_last_of(L"\\/"));
}

// Starts commandLine and returns its process handle (null when it could not start).
HANDLE Start(const wchar_t* application, std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(application, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &info))
        return nullptr;
    ::CloseHandle(info.hThread);
    return info.hProcess;
}

} // namespace

HeldByAnotherProcess::HeldByAnotherProcess(const std::wstring& path) {
    static int counter = 0;
    const std::wstring name = L"voice-held-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                              std::to_wstring(++counter);
    ready_ = ::CreateEventW(nullptr, TRUE, FALSE, (name + L"-ready").c_str());
    release_ = ::CreateEventW(nullptr, TRUE, FALSE, (name + L"-release").c_str());
    const std::wstring holder = ExecutableDirectory() + L"\\file_holder.exe";
    process_ = Start(holder.c_str(), L"\"" + holder + L"\" \"" + path + L"\" " + name + L"-ready " +
                                         name + L"-release");
    if (!ready_ || !release_ || !process_)
        throw std::runtime_error("the holder did not start");
    HANDLE waits[] = {ready_, process_};
    if (::WaitForMultipleObjects(2, waits, FALSE, 60'000) != WAIT_OBJECT_0) {
        Release();
        throw std::runtime_error("the holder could not take the file");
    }
}

HeldByAnotherProcess::~HeldByAnotherProcess() {
    Release();
    for (void* handle : {ready_, release_})
        if (handle)
            ::CloseHandle(handle);
}

void HeldByAnotherProcess::Release() {
    if (!process_)
        return;
    ::SetEvent(release_);
    ::WaitForSingleObject(process_, 60'000);
    ::CloseHandle(process_);
    process_ = nullptr;
}

bool RunningUnderWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

bool RunHostCommand(const std::string& command) {
    if (!RunningUnderWine())
        return false;
    // Wine starts a Linux program on its own and hands back no process handle to wait on
    // or to ask for the exit code. The command therefore leaves its exit code in a file.
    static int counter = 0;
    const std::string status = "/tmp/voice-host-" + std::to_string(::GetCurrentProcessId()) + "-" +
                               std::to_string(::GetTickCount64()) + "-" + std::to_string(++counter);
    const std::string script =
        "(" + command + "); echo $? > " + status + ".part && mv " + status + ".part " + status;
    std::wstring line = L"/bin/sh -c \"";
    for (char c : script) {
        if (c == '"')
            line.push_back(L'\\');
        line.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    }
    line += L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info))
        return false;
    for (HANDLE handle : {info.hProcess, info.hThread}) // none, for a Linux program
        if (handle)
            ::CloseHandle(handle);
    std::wstring statusFile = L"Z:";
    for (char c : status)
        statusFile.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(c));
    const ULONGLONG deadline = ::GetTickCount64() + 60'000;
    while (::GetFileAttributesW(statusFile.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (::GetTickCount64() > deadline)
            return false;
        ::Sleep(10);
    }
    char code[16] = {};
    DWORD read = 0;
    {
        FileHandle file(::CreateFileW(statusFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file)
            ::ReadFile(file.Get(), code, sizeof code - 1, &read, nullptr);
    }
    ::DeleteFileW(statusFile.c_str());
    return std::string(code, read) == "0\n";
}

SmallFileSystem::SmallFileSystem(unsigned kilobytes)
    : unixPath_("/tmp/voice-small-fs-" + std::to_string(::GetCurrentProcessId()) + "-" +
                std::to_string(::GetTickCount64())) {
    if (!RunningUnderWine()) {
        why_ = "not running under Wine: no Linux commands to mount a file system with";
        return;
    }
    if (!RunHostCommand("mkdir -p " + unixPath_)) {
        why_ = "cannot make the mount point " + unixPath_;
        return;
    }
    mounted_ = RunHostCommand("mount -t tmpfs -o size=" + std::to_string(kilobytes) +
                              "k voice-small-fs " + unixPath_);
    if (!mounted_) {
        RunHostCommand("rmdir " + unixPath_);
        why_ = "mount -t tmpfs failed (needs root and the right to mount here)";
    }
}

SmallFileSystem::~SmallFileSystem() {
    if (!mounted_)
        return;
    // The program leaves the process in its StartDir, which may be on this file system.
    wchar_t temp[MAX_PATH];
    if (::GetTempPathW(MAX_PATH, temp))
        ::SetCurrentDirectoryW(temp);
    // Wine may still hold a directory of it for a moment: then unmount lazily.
    RunHostCommand("umount " + unixPath_ + " || umount -l " + unixPath_ + "; rmdir " + unixPath_);
}

std::wstring SmallFileSystem::Path() const {
    std::wstring path = L"Z:";
    for (char c : unixPath_)
        path.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(c));
    return path;
}

bool SmallFileSystem::MakeReadOnly() {
    return mounted_ && RunHostCommand("mount -o remount,ro " + unixPath_);
}

} // namespace voice::testing_support
