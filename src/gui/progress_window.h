#pragma once
// A small window owned by the main window while long work runs: a bar, "N из M", the
// item being worked on, and "Отмена". It only shows; the work and its thread belong to
// BackgroundWork. Closing it by its caption or Escape counts as "Отмена".

#include "gui/window.h"
#include "platform/unique_handle.h"

#include <cstddef>
#include <functional>
#include <string>

namespace voice::gui {

class ProgressWindow : public Window {
public:
    ~ProgressWindow() override;

    // Created hidden, centred over its owner.
    void Create(HWND owner, const std::wstring& caption);
    void Destroy();

    // Before item index (0-based) of total.
    void ShowProgress(std::size_t index, std::size_t total, const std::wstring& item);
    // "Отмена" was pressed: the button greys and the window says it is stopping.
    void ShowCancelling();

    HWND CancelButton() const noexcept { return cancel_; }
    std::wstring CountText() const;
    std::wstring ItemText() const;

    std::function<void()> OnCancel;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    HWND bar_ = nullptr;
    HWND count_ = nullptr;
    HWND item_ = nullptr;
    HWND cancel_ = nullptr;
    FontHandle font_;
};

} // namespace voice::gui
