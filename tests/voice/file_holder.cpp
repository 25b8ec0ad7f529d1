// The other program of the tests that need one: holds a file (or directory) open without
// sharing until the test lets go.
//
//     file_holder <path> <ready event> <release event>
//
// Sets the ready event once the file is held; exits when the release event is set, or
// after ten minutes should the test have gone away.

#include "platform/unique_handle.h"

#include <shellapi.h>
#include <windows.h>

#include <memory>

namespace {

struct CloseEvent {
    void operator()(HANDLE event) const { ::CloseHandle(event); }
};
using Event = std::unique_ptr<void, CloseEvent>; // null when the open failed

} // namespace

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc != 4)
        return 2;
    voice::FileHandle held(::CreateFileW(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!held)
        return 1;
    const Event ready(::OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]));
    const Event release(::OpenEventW(SYNCHRONIZE, FALSE, argv[3]));
    if (!ready || !release)
        return 3;
    ::SetEvent(ready.get());
    ::WaitForSingleObject(release.get(), 10 * 60 * 1000);
    return 0;
}
