#include "temp_directory.h"

#include "platform/unique_handle.h"

#include <windows.h>

#include <stdexcept>

namespace voice::testing_support {
namespace {

void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW data;
    FindHandle find(::FindFirstFileW((dir + L"\\*").c_str(), &data));
    if (find) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = dir + L"\\" + name;
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                ::DeleteFileW(path.c_str());
        } while (::FindNextFileW(find.Get(), &data));
    }
    find.Reset();
    ::SetFileAttributesW(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryW(dir.c_str());
}

} // namespace

TempDirectory::TempDirectory() : previousCurrent_(CurrentDirectory()) {
    wchar_t base[MAX_PATH];
    ::GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        path_ = std::wstring(base) + L"voice-catalogue-" +
                std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        if (::CreateDirectoryW(path_.c_str(), nullptr))
            break;
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot create a temporary directory");
    }
    if (path_.back() == L'\\')
        path_.pop_back();
}

TempDirectory::~TempDirectory() {
    ::SetCurrentDirectoryW(previousCurrent_.c_str());
    RemoveTree(path_);
}

void MakeDirectory(const std::wstring& path) {
    if (!::CreateDirectoryW(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        throw std::runtime_error("cannot create a directory");
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file ||
        !::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        throw std::runtime_error("cannot write a file");
}

std::string ReadBytes(const std::wstring& path) {
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return "<missing>";
    std::string bytes(1 << 16, '\0');
    DWORD read = 0;
    ::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}

std::wstring CurrentDirectory() {
    wchar_t buffer[MAX_PATH];
    const DWORD n = ::GetCurrentDirectoryW(MAX_PATH, buffer);
    return std::wstring(buffer, n);
}

} // namespace voice::testing_support
