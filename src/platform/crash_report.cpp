#include "platform/crash_report.h"

// after windows.h, which it needs
#include <dbghelp.h>

#include <csignal>
#include <cstdio>
#include <cwchar>
#include <exception>
#include <iterator>

namespace voice {
namespace {

// The crash handlers get no context, so what they need is fixed at install time and kept
// here; nothing in it is allocated once a fault has happened.
struct ReportPlace {
    wchar_t appData[MAX_PATH]{}; // %LOCALAPPDATA%, or the temporary folder without it
    LONG taken = 0;              // the first faulting thread writes; later ones wait
};

ReportPlace& Place() {
    static ReportPlace place;
    return place;
}

struct DumpRequest {
    DWORD threadId;
    EXCEPTION_POINTERS* exception; // nullptr: no exception record (terminate, abort)
};

void DumpPath(wchar_t (&path)[MAX_PATH + 64]) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    std::swprintf(path, std::size(path), L"%ls\\Voice", Place().appData);
    ::CreateDirectoryW(path, nullptr);
    std::wcscat(path, L"\\crashes");
    ::CreateDirectoryW(path, nullptr);
    const size_t used = std::wcslen(path);
    std::swprintf(path + used, std::size(path) - used, L"\\Voice-%04u%02u%02u-%02u%02u%02u-%lu.dmp",
                  now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                  ::GetCurrentProcessId());
}

// On a fresh thread: the faulting one may have no stack left.
DWORD WINAPI WriteDump(void* parameter) {
    const auto& request = *static_cast<const DumpRequest*>(parameter);
    wchar_t path[MAX_PATH + 64];
    DumpPath(path);
    HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    MINIDUMP_EXCEPTION_INFORMATION info{request.threadId, request.exception, FALSE};
    const BOOL written =
        ::MiniDumpWriteDump(::GetCurrentProcess(), ::GetCurrentProcessId(), file,
                            MiniDumpNormal, request.exception ? &info : nullptr, nullptr, nullptr);
    ::CloseHandle(file);
    return written ? 0 : 1;
}

[[noreturn]] void ReportAndEnd(EXCEPTION_POINTERS* exception) {
    if (::InterlockedExchange(&Place().taken, 1) == 0) {
        DumpRequest request{::GetCurrentThreadId(), exception};
        if (HANDLE writer = ::CreateThread(nullptr, 0, &WriteDump, &request, 0, nullptr)) {
            ::WaitForSingleObject(writer, 60'000);
            ::CloseHandle(writer);
        } else {
            WriteDump(&request);
        }
        ::TerminateProcess(::GetCurrentProcess(), kCrashExitCode);
    }
    // Another thread is writing the report and will end the process.
    for (;;)
        ::Sleep(INFINITE);
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* exception) {
    ReportAndEnd(exception);
}

void OnTerminate() {
    ReportAndEnd(nullptr);
}

void OnAbort(int) {
    ReportAndEnd(nullptr);
}

} // namespace

void InstallCrashReport() {
    ReportPlace& place = Place();
    const DWORD length =
        ::GetEnvironmentVariableW(L"LOCALAPPDATA", place.appData, std::size(place.appData));
    if (length == 0 || length >= std::size(place.appData))
        ::GetTempPathW(std::size(place.appData), place.appData);
    // No trailing separator: the folders are appended with one.
    for (size_t n = std::wcslen(place.appData); n > 0 && place.appData[n - 1] == L'\\'; --n)
        place.appData[n - 1] = L'\0';
    ::SetUnhandledExceptionFilter(&OnUnhandledException);
    std::set_terminate(&OnTerminate);
    std::signal(SIGABRT, &OnAbort);
}

} // namespace voice
