#include "gui/drive_info.h"

#include <winnetwk.h>

namespace voice::gui {
namespace {

std::wstring Lower(std::wstring text) {
    if (!text.empty())
        ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::wstring RootOf(wchar_t letter) {
    return {letter, L':', L'\\'};
}

std::wstring VolumeLabel(wchar_t letter) {
    wchar_t label[MAX_PATH + 1] = {};
    if (!::GetVolumeInformationW(RootOf(letter).c_str(), label, MAX_PATH + 1, nullptr, nullptr,
                                 nullptr, nullptr, 0))
        return {};
    return label;
}

bool RemoteName(wchar_t letter, std::wstring& name) {
    const wchar_t local[] = {letter, L':', 0};
    DWORD size = MAX_PATH;
    std::wstring buffer(size, L'\0');
    DWORD rc = ::WNetGetConnectionW(local, buffer.data(), &size);
    if (rc == ERROR_MORE_DATA) {
        buffer.assign(size, L'\0');
        rc = ::WNetGetConnectionW(local, buffer.data(), &size);
    }
    if (rc != NO_ERROR)
        return false;
    buffer.resize(wcsnlen(buffer.c_str(), buffer.size()));
    name = std::move(buffer);
    return true;
}

bool KindOf(UINT type, DriveKind& kind) {
    switch (type) {
    case DRIVE_REMOVABLE:
        kind = DriveKind::Removable;
        return true;
    case DRIVE_FIXED:
        kind = DriveKind::Fixed;
        return true;
    case DRIVE_REMOTE:
        kind = DriveKind::Network;
        return true;
    case DRIVE_CDROM:
        kind = DriveKind::CdRom;
        return true;
    case DRIVE_RAMDISK:
        kind = DriveKind::Ram;
        return true;
    default:
        return false; // DRIVE_NO_ROOT_DIR, DRIVE_UNKNOWN
    }
}

} // namespace

// Per thread, so nothing else in the process loses its prompts meanwhile.
CriticalErrorPromptsOff::CriticalErrorPromptsOff() noexcept : previous_(0) {
    DWORD previous = 0;
    ::SetThreadErrorMode(::GetThreadErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX,
                         &previous);
    previous_ = previous;
}

CriticalErrorPromptsOff::~CriticalErrorPromptsOff() {
    ::SetThreadErrorMode(previous_, nullptr);
}

std::wstring DriveItemText(wchar_t letter, DriveKind kind) {
    std::wstring text{static_cast<wchar_t>(::towlower(letter)), L':'};
    if (kind == DriveKind::Removable)
        return text; // touching it could spin up a floppy or ask for a disk
    std::wstring name;
    if (kind != DriveKind::Network || !RemoteName(letter, name))
        name = L"[" + VolumeLabel(letter) + L"]";
    return text + L" " + Lower(name);
}

bool DescribeDrive(wchar_t letter, DriveItem& item) {
    CriticalErrorPromptsOff quiet;
    letter = static_cast<wchar_t>(::towlower(letter));
    if (letter < L'a' || letter > L'z')
        return false;
    DriveKind kind;
    if (!KindOf(::GetDriveTypeW(RootOf(letter).c_str()), kind))
        return false;
    item = {letter, kind, DriveItemText(letter, kind)};
    return true;
}

std::vector<DriveItem> ListDrives() {
    std::vector<DriveItem> drives;
    const DWORD present = ::GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        DriveItem item;
        if ((present & (1u << i)) && DescribeDrive(static_cast<wchar_t>(L'a' + i), item))
            drives.push_back(std::move(item));
    }
    return drives;
}

const wchar_t* DriveGlyphName(DriveKind kind) {
    switch (kind) {
    case DriveKind::Removable:
        return L"FLOPPY";
    case DriveKind::Fixed:
        return L"HARD";
    case DriveKind::Network:
        return L"NETWORK";
    case DriveKind::CdRom:
        return L"CDROM";
    case DriveKind::Ram:
        return L"RAM";
    }
    return L"HARD";
}

} // namespace voice::gui
