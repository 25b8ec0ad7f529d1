#include "gui/directory_list_box.h"

#include "gui/drive_info.h"
#include "platform/app_error.h"
#include "platform/unique_handle.h"

#include <windowsx.h>

#include <algorithm>

namespace voice::gui {
namespace {

std::wstring CurrentDirectory() {
    DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    std::wstring path(size, L'\0');
    size = ::GetCurrentDirectoryW(size, path.data());
    path.resize(size);
    return path;
}

void Enter(const std::wstring& path) {
    if (!::SetCurrentDirectoryW(path.c_str()))
        throw InOutError(::GetLastError());
}

// Puts the process's current directory back when the scope ends, however it ends.
class CurrentDirectoryKept {
public:
    CurrentDirectoryKept() : saved_(CurrentDirectory()) {}
    ~CurrentDirectoryKept() { ::SetCurrentDirectoryW(saved_.c_str()); }
    CurrentDirectoryKept(const CurrentDirectoryKept&) = delete;
    CurrentDirectoryKept& operator=(const CurrentDirectoryKept&) = delete;

private:
    std::wstring saved_;
};

// Enters the drive part, the directory part and the last name of `path` one after the
// other, so a path relative to a drive's own current directory resolves, and returns
// the directory reached. The current directory is unchanged afterwards.
std::wstring Resolve(const std::wstring& path) {
    CurrentDirectoryKept kept;
    const DrivePart split = SplitDrivePart(path);
    const bool absolute = !split.rest.empty() && (split.rest[0] == L'\\' || split.rest[0] == L'/');
    if (split.drive.size() > 2 || (!split.drive.empty() && absolute)) {
        // A share, or a path from the drive's root: the drive's own directory is not needed
        // and may be gone.
        Enter(split.drive + L'\\');
    } else if (!split.drive.empty() && !::SetCurrentDirectoryW(split.drive.c_str())) {
        // The directory last used on that drive is gone: a drive alone falls back to its root.
        if (!split.rest.empty())
            throw InOutError(::GetLastError());
        Enter(split.drive + L'\\');
    }
    std::wstring name = split.rest;
    const size_t last = split.rest.find_last_of(L"\\/");
    if (last != std::wstring::npos) {
        Enter(split.rest.substr(0, std::max<size_t>(last, 1)));
        name = split.rest.substr(last + 1);
    }
    if (!name.empty())
        Enter(name);
    return CurrentDirectory();
}

// The system keeps one current directory per process; the directory last used on each
// drive lives in the "=X:" environment variables, which it consults when a drive alone
// ("X:") is entered. Keep them, as command shells do.
void RememberOnItsDrive(const std::wstring& directory) {
    if (directory.size() < 2 || directory[1] != L':')
        return;
    const wchar_t name[] = {L'=', static_cast<wchar_t>(::towupper(directory[0])), L':', 0};
    ::SetEnvironmentVariableW(name, directory.c_str());
}

std::vector<std::wstring> VisibleSubdirectories(const std::wstring& directory) {
    std::wstring pattern = directory;
    if (pattern.empty() || (pattern.back() != L'\\' && pattern.back() != L'/'))
        pattern += L'\\';
    pattern += L'*';
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    FindHandle find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry,
                                       FindExSearchLimitToDirectories, nullptr, 0));
    if (!find)
        return names;
    constexpr DWORD kLeftOut = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    do {
        const std::wstring name = entry.cFileName;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(entry.dwFileAttributes & kLeftOut) && name != L"." && name != L"..")
            names.push_back(name);
    } while (::FindNextFileW(find.Get(), &entry));
    SortNamesIgnoringCase(names);
    return names;
}

const wchar_t* FolderGlyphName(FolderGlyph glyph) {
    switch (glyph) {
    case FolderGlyph::Open:
        return L"OPENFOLDER";
    case FolderGlyph::Current:
        return L"CURRENTFOLDER";
    case FolderGlyph::Closed:
        return L"CLOSEDFOLDER";
    }
    return L"CLOSEDFOLDER";
}

constexpr int kGlyphLineHeight = 16;
constexpr int kTextGap = 4;

} // namespace

DirectoryListBox::DirectoryListBox() : directory_(CurrentDirectory()) {}

void DirectoryListBox::Create(HWND parent, UINT id, int x, int y, int width, int height) {
    for (FolderGlyph glyph : {FolderGlyph::Open, FolderGlyph::Current, FolderGlyph::Closed})
        glyphs_[static_cast<size_t>(glyph)] = ListGlyph(FolderGlyphName(glyph));
    HWND hwnd = ::CreateWindowExW(
        WS_EX_CLIENTEDGE, L"LISTBOX", L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
            LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
        x, y, width, height, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
        ::GetModuleHandleW(nullptr), nullptr);
    if (!hwnd)
        throw AppError(L"Cannot create the directory list");
    Attach(hwnd);
    UpdateItemHeight();
    directory_ = CurrentDirectory();
    Rebuild();
}

void DirectoryListBox::SetDirectory(std::wstring path) {
    if (path.empty() || SameDirectory(path))
        return;
    const std::wstring resolved = Resolve(path);
    Enter(resolved);
    RememberOnItsDrive(directory_);
    directory_ = CurrentDirectory();
    RememberOnItsDrive(directory_);
    Rebuild();
    if (OnChange)
        OnChange();
}

void DirectoryListBox::SetDrive(wchar_t letter) {
    if (letter == 0 || ::towlower(letter) == ::towlower(Drive()))
        return;
    // Upper case, as the system shows drive letters, when it falls back to the root.
    SetDirectory(std::wstring{static_cast<wchar_t>(::towupper(letter)), L':'});
}

void DirectoryListBox::OpenLine(int index) {
    if (index < 0 || index >= static_cast<int>(lines_.size()))
        return;
    SetDirectory(lines_[static_cast<size_t>(index)].target); // copied: Rebuild replaces lines_
}

int DirectoryListBox::SelectedIndex() const {
    if (!Handle())
        return -1;
    return static_cast<int>(::SendMessageW(Handle(), LB_GETCURSEL, 0, 0));
}

bool DirectoryListBox::SameDirectory(const std::wstring& path) const {
    if (caseSensitive_)
        return path == directory_;
    return ::CompareStringOrdinal(path.c_str(), static_cast<int>(path.size()), directory_.c_str(),
                                  static_cast<int>(directory_.size()), TRUE) == CSTR_EQUAL;
}

void DirectoryListBox::Rebuild() {
    DWORD flags = 0;
    {
        CriticalErrorPromptsOff quiet;
        const std::wstring root = SplitDrivePart(directory_).drive + L'\\';
        if (!::GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr,
                                     0))
            flags = FILE_CASE_PRESERVED_NAMES; // unknown: show names as stored
    }
    caseSensitive_ = (flags & FILE_CASE_SENSITIVE_SEARCH) != 0;
    const bool lowerCase = !(flags & (FILE_CASE_PRESERVED_NAMES | FILE_CASE_SENSITIVE_SEARCH));
    lines_ = BuildDirectoryLines(directory_, VisibleSubdirectories(directory_), lowerCase);
    if (!Handle())
        return;
    ::SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(Handle(), LB_RESETCONTENT, 0, 0);
    for (const DirectoryLine& line : lines_)
        ::SendMessageW(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.text.c_str()));
    ::SendMessageW(Handle(), LB_SETCURSEL, OwnLineIndex(directory_), 0);
    ::SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void DirectoryListBox::UpdateItemHeight() {
    WindowDc dc(Handle());
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(Handle(), WM_GETFONT, 0, 0));
    TEXTMETRICW metrics{};
    {
        DcSelection select(dc.Get(), font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
        ::GetTextMetricsW(dc.Get(), &metrics);
    }
    const int height = std::max<int>(metrics.tmHeight, kGlyphLineHeight);
    ::SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, MAKELPARAM(height, 0));
}

void DirectoryListBox::DrawItem(const DRAWITEMSTRUCT& item) const {
    if (item.itemID >= lines_.size()) {
        DrawGlyphLine(item, nullptr, 0, 0, {});
        return;
    }
    const DirectoryLine& line = lines_[item.itemID];
    DrawGlyphLine(item, &glyphs_[static_cast<size_t>(line.glyph)], item.rcItem.left + line.indent,
                  kTextGap, line.text);
}

bool DirectoryListBox::OnReflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_DRAWITEM) {
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        result = TRUE;
        return true;
    }
    if (msg == WM_COMMAND && HIWORD(wp) == LBN_DBLCLK) {
        result = 0;
        OpenLine(SelectedIndex());
        return true;
    }
    return false;
}

LRESULT DirectoryListBox::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_GETDLGCODE: {
        // Enter opens a line here even when a dialog manager drives the keyboard.
        LRESULT code = CallDefault(msg, wp, lp);
        const MSG* message = reinterpret_cast<const MSG*>(lp);
        if (message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN)
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_KEYDOWN:
        if (wp == VK_RETURN) {
            OpenLine(SelectedIndex());
            return 0;
        }
        break;
    case WM_SETFONT: {
        LRESULT result = CallDefault(msg, wp, lp);
        UpdateItemHeight();
        return result;
    }
    default:
        break;
    }
    return CallDefault(msg, wp, lp);
}

} // namespace voice::gui
