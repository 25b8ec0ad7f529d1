#include "gui/file_dialogs.h"

#include <commdlg.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace voice::gui {
namespace {

// COM for this thread for the lifetime of the object, when it was not already on.
class ComApartment {
public:
    ComApartment()
        : initialised_(SUCCEEDED(
              ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComApartment() {
        if (initialised_)
            ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_;
};

template <typename T> class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_)
            p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* operator->() const noexcept { return p_; }
    T* Get() const noexcept { return p_; }
    T** Out() noexcept { return &p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

struct CoTaskText {
    PWSTR text = nullptr;
    ~CoTaskText() { ::CoTaskMemFree(text); }
};

struct ItemIdList {
    PIDLIST_ABSOLUTE list = nullptr;
    ~ItemIdList() { ::CoTaskMemFree(list); }
};

enum class Answer { Chosen, Cancelled, Failed };

// The item dialog: shown, and its result's file-system path read.
template <typename Dialog>
Answer ShowItemDialog(Dialog& dialog, HWND owner, std::filesystem::path& chosen) {
    const HRESULT shown = dialog->Show(owner);
    if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED))
        return Answer::Cancelled;
    if (FAILED(shown))
        return Answer::Failed;
    ComPtr<IShellItem> item;
    if (FAILED(dialog->GetResult(item.Out())))
        return Answer::Failed;
    CoTaskText path;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path.text)))
        return Answer::Failed;
    chosen = path.text;
    return Answer::Chosen;
}

// The folder as a shell item, for the dialog to open on.
void OpenOn(IFileDialog* dialog, const std::filesystem::path& folder) {
    if (folder.empty())
        return;
    ComPtr<IShellItem> item;
    if (SUCCEEDED(::SHCreateItemFromParsingName(folder.c_str(), nullptr, IID_PPV_ARGS(item.Out()))))
        dialog->SetFolder(item.Get());
}

// An item dialog with our options on top of its own: file-system paths only, and the
// process's current directory left where it is. False when the system has none.
template <typename Dialog>
bool CreateItemDialog(REFCLSID kind, FILEOPENDIALOGOPTIONS extra, const std::wstring& title,
                      ComPtr<Dialog>& dialog) {
    if (FAILED(::CoCreateInstance(kind, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(dialog.Out()))))
        return false;
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    if (FAILED(dialog->SetOptions(options | extra | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST |
                                  FOS_NOCHANGEDIR)))
        return false;
    dialog->SetTitle(title.c_str());
    return true;
}

Answer FolderByItemDialog(HWND owner, const std::wstring& title,
                          const std::filesystem::path& startFolder, std::filesystem::path& chosen) {
    ComPtr<IFileOpenDialog> dialog;
    if (!CreateItemDialog(CLSID_FileOpenDialog, FOS_PICKFOLDERS, title, dialog))
        return Answer::Failed;
    OpenOn(dialog.Get(), startFolder);
    return ShowItemDialog(dialog, owner, chosen);
}

std::optional<std::filesystem::path> FolderByBrowser(HWND owner, const std::wstring& title) {
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    ItemIdList chosen{::SHBrowseForFolderW(&info)};
    if (!chosen.list)
        return std::nullopt;
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetPathFromIDListW(chosen.list, path))
        return std::nullopt;
    return std::filesystem::path(path);
}

Answer SaveByItemDialog(HWND owner, const SaveFileRequest& request, std::filesystem::path& chosen) {
    ComPtr<IFileSaveDialog> dialog;
    if (!CreateItemDialog(CLSID_FileSaveDialog, FOS_OVERWRITEPROMPT, request.title, dialog))
        return Answer::Failed;
    const std::wstring pattern = L"*." + request.extension;
    const COMDLG_FILTERSPEC filter{request.typeName.c_str(), pattern.c_str()};
    dialog->SetFileTypes(1, &filter);
    dialog->SetDefaultExtension(request.extension.c_str());
    dialog->SetFileName(request.defaultName.c_str());
    return ShowItemDialog(dialog, owner, chosen);
}

std::optional<std::filesystem::path> SaveByCommonDialog(HWND owner,
                                                        const SaveFileRequest& request) {
    // "name\0pattern\0\0"
    std::wstring filter = request.typeName + L'\0' + L"*." + request.extension + L'\0';
    std::vector<wchar_t> path(32768, L'\0');
    request.defaultName.copy(path.data(), std::min(request.defaultName.size(), path.size() - 1));
    OPENFILENAMEW info{};
    info.lStructSize = sizeof(info);
    info.hwndOwner = owner;
    info.lpstrFilter = filter.c_str();
    info.lpstrFile = path.data();
    info.nMaxFile = static_cast<DWORD>(path.size());
    info.lpstrTitle = request.title.c_str();
    info.lpstrDefExt = request.extension.c_str();
    info.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER;
    if (!::GetSaveFileNameW(&info))
        return std::nullopt;
    return std::filesystem::path(path.data());
}

} // namespace

std::optional<std::filesystem::path> ChooseFolder(HWND owner, const std::wstring& title,
                                                  const std::filesystem::path& startFolder) {
    ComApartment com;
    std::filesystem::path chosen;
    switch (FolderByItemDialog(owner, title, startFolder, chosen)) {
    case Answer::Chosen:
        return chosen;
    case Answer::Cancelled:
        return std::nullopt;
    case Answer::Failed:
        break;
    }
    return FolderByBrowser(owner, title);
}

std::optional<std::filesystem::path> ChooseSaveFile(HWND owner, const SaveFileRequest& request) {
    ComApartment com;
    std::filesystem::path chosen;
    switch (SaveByItemDialog(owner, request, chosen)) {
    case Answer::Chosen:
        return chosen;
    case Answer::Cancelled:
        return std::nullopt;
    case Answer::Failed:
        break;
    }
    return SaveByCommonDialog(owner, request);
}

} // namespace voice::gui
