#include "catalogue/channel_dir_file.h"

#include "platform/app_error.h"
#include "platform/file_attributes.h"
#include "platform/text.h"
#include "platform/unique_handle.h"

#include <windows.h>

namespace voice {
namespace {

constexpr DWORD kTableSize = static_cast<DWORD>(ChannelDirTable::kSize);

// Record-size-one "rewrite": create or truncate.
FileHandle CreateTableFile(const std::wstring& path) {
    if (IsReadOnlyFile(path))
        return FileHandle();
    return FileHandle(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

void WriteTable(const FileHandle& file, const ChannelDirTable& table) {
    DWORD written = 0;
    if (!::WriteFile(file.Get(), table.Data().data(), kTableSize, &written, nullptr))
        throw InOutError(::GetLastError());
    if (written != kTableSize)
        throw InOutError(101); // disk full
}

// Writes the table to path when the file can be created; silent when it cannot.
void RewriteTableFile(const std::wstring& path, const ChannelDirTable& table) {
    FileHandle file = CreateTableFile(path);
    if (!file)
        return;
    WriteTable(file, table);
}

} // namespace

void LoadChannelDirTable(ChannelDirTable& table) {
    const std::wstring name = kChannelDirFileName;
    table.ResetToDefault();
    if (!IsReadOnlyFile(name)) {
        // Read and write access: a read-only or locked file counts as not openable.
        FileHandle file(::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            LARGE_INTEGER size{};
            if (!::GetFileSizeEx(file.Get(), &size))
                throw InOutError(::GetLastError());
            if (size.QuadPart == kTableSize) {
                ChannelDirTable::Bytes bytes;
                DWORD read = 0;
                if (!::ReadFile(file.Get(), bytes.data(), kTableSize, &read, nullptr))
                    throw InOutError(::GetLastError());
                if (read != kTableSize)
                    throw InOutError(100); // read beyond end of file
                table.Data() = bytes;
                return;
            }
        }
    }
    RewriteTableFile(name, table);
}

void SaveChannelDirTable(const ChannelDirTable& table, const std::wstring& startDir) {
    RewriteTableFile(startDir + L"\\" + kChannelDirFileName, table);
}

std::wstring GetChannelDir(const ChannelDirTable& table, int k) {
    return AnsiToWide(table.GetChannelDirBytes(k));
}

bool SetChannelDir(ChannelDirTable& table, int k, std::wstring_view path) {
    if (path.empty())
        return table.SetChannelDirBytes(k, {});
    if (path.size() > ChannelDirTable::kEntrySize * 2)
        return false;
    BOOL lossy = FALSE;
    const int length = static_cast<int>(path.size());
    int bytes = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(), length, nullptr, 0,
                                      nullptr, &lossy);
    if (bytes <= 0 || lossy || static_cast<std::size_t>(bytes) > ChannelDirTable::kMaxPathLength)
        return false;
    std::string ansi(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(), length, ansi.data(), bytes,
                          nullptr, nullptr);
    return table.SetChannelDirBytes(k, ansi);
}

} // namespace voice
