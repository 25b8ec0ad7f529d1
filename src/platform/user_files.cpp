#include "platform/user_files.h"

#include "platform/safe_file.h"
#include "platform/unique_handle.h"

#include <string>

namespace voice {
namespace {

namespace fs = std::filesystem;

fs::path FolderOf(const wchar_t* variable) {
    wchar_t text[MAX_PATH]{};
    const DWORD length = ::GetEnvironmentVariableW(variable, text, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        ::GetTempPathW(MAX_PATH, text);
    return fs::path(text) / L"Voice";
}

// Settings are small; a bigger file is not ours.
constexpr DWORD kLargestSettingsFile = 1 << 20;

std::string ReadSmallFile(const fs::path& path) {
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return {};
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart > kLargestSettingsFile)
        return {};
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() &&
        !::ReadFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr))
        return {};
    text.resize(read);
    return text;
}

} // namespace

fs::path UserSettingsPath() {
    return FolderOf(L"APPDATA") / L"Voice.ini";
}

fs::path UserRecordsFolder() {
    const fs::path folder = FolderOf(L"LOCALAPPDATA");
    std::error_code ignored;
    fs::create_directories(folder, ignored);
    return folder;
}

UserSettingsFile::UserSettingsFile(fs::path path)
    : path_(std::move(path)), values_(UserSettings::Parse(ReadSmallFile(path_))) {}

bool UserSettingsFile::Save() const {
    std::error_code ignored;
    fs::create_directories(path_.parent_path(), ignored);
    try {
        WriteWholeFile(path_, values_.Serialize(), true);
        return true;
    } catch (const WriteRefused&) {
        return false;
    }
}

} // namespace voice
