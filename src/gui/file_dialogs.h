#pragma once
// The system's dialogs for choosing a folder and a file name to save to. Neither changes
// the process's current directory. Where the newer item dialog is missing or fails, the
// older shell folder browser and save dialog take its place.

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

namespace voice::gui {

// An existing folder, or nothing when the user cancelled. The dialog opens on
// startFolder when it is given and exists.
std::optional<std::filesystem::path> ChooseFolder(HWND owner, const std::wstring& title,
                                                  const std::filesystem::path& startFolder = {});

struct SaveFileRequest {
    std::wstring title;
    std::wstring typeName;  // shown in the type list, e.g. "Звук WAV (*.wav)"
    std::wstring extension; // without the dot; added to a name typed without it
    std::wstring defaultName;
};

// A file name to write (the user has agreed to replace an existing file), or nothing
// when the user cancelled.
std::optional<std::filesystem::path> ChooseSaveFile(HWND owner, const SaveFileRequest& request);

} // namespace voice::gui
