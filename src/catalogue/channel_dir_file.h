#pragma once
// BegDir.Ini, the file image of the channel table, and the table's entries as wide
// text (converted through the ANSI code page). Win32.

#include "catalogue/channel_dir_table.h"

#include <string>
#include <string_view>

namespace voice {

inline constexpr wchar_t kChannelDirFileName[] = L"BegDir.Ini";

// Start-up load from "BegDir.Ini" in the current directory (StartDir at that moment).
// Missing, not openable for read and write, or not exactly 2048 bytes: the table is
// reset to the default and the file is (re)created with it; failing to create it is
// silent. A failing size query or read after the open throws InOutError; the table then
// holds the default table, so the caller can report the error and carry on.
void LoadChannelDirTable(ChannelDirTable& table);

// Writes all 2048 bytes to startDir + "\BegDir.Ini". A file that cannot be created is
// skipped silently; a failing write after the create throws InOutError.
void SaveChannelDirTable(const ChannelDirTable& table, const std::wstring& startDir);

// Entry k (0..7) as wide text.
std::wstring GetChannelDir(const ChannelDirTable& table, int k);

// Stores path in entry k. Refused (false, entry untouched) when its ANSI form is over
// 255 bytes or the ANSI code page cannot represent it.
bool SetChannelDir(ChannelDirTable& table, int k, std::wstring_view path);

} // namespace voice
