#pragma once
// A folder's entries as the system lists them from a handle, a buffer at a time: the one
// loop behind the target folder's names and the archive's listings. Windows only.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace voice {

// Calls each(entry, name) for every entry but "." and ".." of the folder open as listing,
// Info being the record of the classes asked (FILE_FULL_DIR_INFO, FILE_ID_BOTH_DIR_INFO).
// False when the system would not list the folder so at all; an empty folder is listed.
template <typename Info, typename Each>
bool ForEachListed(HANDLE listing, FILE_INFO_BY_HANDLE_CLASS restart,
                   FILE_INFO_BY_HANDLE_CLASS next, Each each) {
    alignas(8) std::uint8_t buffer[64 * 1024];
    FILE_INFO_BY_HANDLE_CLASS kind = restart;
    while (::GetFileInformationByHandleEx(listing, kind, buffer, sizeof buffer)) {
        kind = next;
        for (std::size_t at = 0;;) {
            const auto* entry = reinterpret_cast<const Info*>(buffer + at);
            const std::wstring_view name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..")
                each(*entry, name);
            if (entry->NextEntryOffset == 0)
                break;
            at += entry->NextEntryOffset;
        }
    }
    return kind == next || ::GetLastError() == ERROR_NO_MORE_FILES;
}

} // namespace voice
