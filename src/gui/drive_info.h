#pragma once
// What the drive box knows of a drive: the drives present, their kinds and the text of
// their items.

#include <windows.h>

#include <string>
#include <vector>

namespace voice::gui {

enum class DriveKind { Removable, Fixed, Network, CdRom, Ram };

struct DriveItem {
    wchar_t letter; // lower case
    DriveKind kind;
    std::wstring text; // "c: [label]", "n: \\server\share", "a:"
};

// Every drive from a to z the system reports, in letter order; kinds other than the
// five above (no root directory, unknown) are left out. Removable drives are not
// touched; the others are asked for their label (or remote name) with the system's
// prompts for missing media suppressed.
std::vector<DriveItem> ListDrives();

// One drive described as ListDrives does; false when it would be left out.
bool DescribeDrive(wchar_t letter, DriveItem& item);

// The item text of a drive of the given kind: the letter and ":", then for every kind but
// removable a blank and the volume label in square brackets, or a network drive's remote
// name; label and remote name in lower case.
std::wstring DriveItemText(wchar_t letter, DriveKind kind);

// The bitmap resource that pictures a drive kind (16 x 11).
const wchar_t* DriveGlyphName(DriveKind kind);

// Suppresses the system's critical-error message boxes ("insert a disk") for its scope,
// restoring the previous mode afterwards.
class CriticalErrorPromptsOff {
public:
    CriticalErrorPromptsOff() noexcept;
    ~CriticalErrorPromptsOff();
    CriticalErrorPromptsOff(const CriticalErrorPromptsOff&) = delete;
    CriticalErrorPromptsOff& operator=(const CriticalErrorPromptsOff&) = delete;

private:
    DWORD previous_;
};

} // namespace voice::gui
