#pragma once
// Where the program keeps what is its own, per user: settings in
// %APPDATA%\Voice\Voice.ini, records it builds up (heard marks, crash reports) under
// %LOCALAPPDATA%\Voice. Never the start directory, never the archive.

#include "platform/user_settings.h"

#include <filesystem>

namespace voice {

// %APPDATA%\Voice\Voice.ini (the temporary folder stands in without %APPDATA%).
std::filesystem::path UserSettingsPath();
// %LOCALAPPDATA%\Voice, created when missing.
std::filesystem::path UserRecordsFolder();

// The settings file, read once and written back whole after each change. A missing or
// unreadable file reads as defaults; the next save writes it anew.
class UserSettingsFile {
public:
    explicit UserSettingsFile(std::filesystem::path path = UserSettingsPath());

    UserSettings& Values() noexcept { return values_; }
    const UserSettings& Values() const noexcept { return values_; }
    const std::filesystem::path& Path() const noexcept { return path_; }

    // Writes a new file beside the old one and moves it into place, so a failed write
    // leaves the previous settings as they were. False when the file could not be written.
    bool Save() const;

private:
    std::filesystem::path path_;
    UserSettings values_;
};

} // namespace voice
