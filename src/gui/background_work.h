#pragma once
// Long work on a worker thread behind a progress window, one piece at a time.
//
// While the work runs, the controls named at the start are disabled (and get back
// exactly the enabled state they had), the window stays responsive, and a progress
// window owned by it appears once the work has taken longer than a moment. The worker
// never touches a window: it leaves its progress in state shared with this object and
// wakes it by posting messages to a hidden window of its own. The end is handled on the
// window's thread. CancelAndWait (and the destructor) ask the work to stop and wait for
// it; the end handler is then not called.

#include "gui/progress_window.h"
#include "gui/window.h"

#include <chrono>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace voice::gui {

// What the work sees, on its own thread.
class WorkProgress {
public:
    virtual ~WorkProgress() = default;
    // Before item index (0-based) of total.
    virtual void Report(std::size_t index, std::size_t total, const std::wstring& item) = 0;
    virtual bool CancelRequested() const = 0;
};

struct WorkRequest {
    HWND owner = nullptr;             // owns the progress window
    std::wstring caption;             // the progress window's caption
    std::vector<HWND> controlsToLock; // disabled while the work runs
    std::function<void(WorkProgress&)> work;
    // On the window's thread, after everything is restored: the exception the work
    // ended with, or null.
    std::function<void(std::exception_ptr)> finished;
};

class BackgroundWork : public Window {
public:
    BackgroundWork();
    ~BackgroundWork() override;

    // The progress window appears when the work is still running after this long.
    void SetShowDelay(std::chrono::milliseconds delay) noexcept { showDelay_ = delay; }

    bool Running() const noexcept { return worker_.joinable(); }
    // Starts the work; false (and nothing started) while other work runs.
    bool Start(WorkRequest request);
    // As "Отмена": the work stops where it next asks.
    void RequestCancel();
    // Asks the work to stop, waits for its thread, restores the controls and closes the
    // progress window, without calling finished.
    void CancelAndWait();

    const ProgressWindow& Progress() const noexcept { return progress_; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    struct Shared;
    class Reporter;

    void ShowLatestProgress();
    // Joins the thread and puts the window back as it was; returns the work's exception.
    std::exception_ptr Finish();

    std::chrono::milliseconds showDelay_{300};
    std::shared_ptr<Shared> shared_;
    std::thread worker_;
    WorkRequest request_;
    std::vector<std::pair<HWND, bool>> lockedControls_;
    HWND focusBefore_ = nullptr;
    WPARAM serial_ = 0; // tells the end of this work from a late message of the last
    ProgressWindow progress_;
};

} // namespace voice::gui
