#include "gui/error_box.h"

#include "platform/app_error.h"
#include "platform/text.h"

#include <cwctype>
#include <exception>

namespace voice::gui {

std::wstring ApplicationTitleFromPath(std::wstring_view exePath) {
    size_t slash = exePath.find_last_of(L"\\/:");
    std::wstring_view name = slash == std::wstring_view::npos ? exePath : exePath.substr(slash + 1);
    name = name.substr(0, name.find(L'.'));
    std::wstring title(name);
    for (size_t i = 1; i < title.size(); ++i)
        title[i] = static_cast<wchar_t>(std::towlower(title[i]));
    return title;
}

std::wstring ApplicationTitle() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return ApplicationTitleFromPath(path);
}

std::wstring WithFullStop(std::wstring text) {
    if (!text.empty() && text.back() > L'.')
        text.push_back(L'.');
    return text;
}

void ShowErrorBox(HWND owner, const std::wstring& text) {
    ::MessageBoxW(owner, WithFullStop(text).c_str(), ApplicationTitle().c_str(),
                  MB_OK | MB_ICONERROR);
}

void ShowCurrentException(HWND owner) noexcept {
    try {
        try {
            throw;
        } catch (const AppError& e) {
            ShowErrorBox(owner, e.Text());
        } catch (const std::exception& e) {
            ShowErrorBox(owner, AnsiToWide(e.what()));
        } catch (...) {
            ShowErrorBox(owner, L"Unknown error");
        }
    } catch (...) {
        // Nothing may escape a window procedure, not even a failure to report.
    }
}

} // namespace voice::gui
