#include "gui/background_work.h"

#include "platform/app_error.h"

#include <atomic>
#include <mutex>

namespace voice::gui {
namespace {

constexpr UINT kProgressMessage = WM_APP + 1;
constexpr UINT kDoneMessage = WM_APP + 2;
constexpr UINT_PTR kShowTimer = 1;

} // namespace

// Lives as long as the longer of the worker and this object.
struct BackgroundWork::Shared {
    std::atomic<bool> cancel{false};
    std::atomic<bool> progressPosted{false};
    std::mutex mutex;
    std::size_t index = 0;
    std::size_t total = 0;
    std::wstring item;
    bool reported = false;
    std::exception_ptr error;
};

class BackgroundWork::Reporter : public WorkProgress {
public:
    Reporter(std::shared_ptr<Shared> shared, HWND window)
        : shared_(std::move(shared)), window_(window) {}

    void Report(std::size_t index, std::size_t total, const std::wstring& item) override {
        {
            std::lock_guard lock(shared_->mutex);
            shared_->index = index;
            shared_->total = total;
            shared_->item = item;
            shared_->reported = true;
        }
        // One wake-up at a time: the window reads the latest state when it gets to it.
        if (!shared_->progressPosted.exchange(true))
            ::PostMessageW(window_, kProgressMessage, 0, 0);
    }
    bool CancelRequested() const override { return shared_->cancel.load(); }

private:
    std::shared_ptr<Shared> shared_;
    HWND window_;
};

BackgroundWork::BackgroundWork() {
    if (!CreateWindowObject(L"VoiceBackgroundWork", 0, nullptr, 0, 0, L"", 0, 0, 0, 0, HWND_MESSAGE,
                            0))
        throw AppError(L"Cannot create the background work window");
}

BackgroundWork::~BackgroundWork() {
    CancelAndWait();
}

bool BackgroundWork::Start(WorkRequest request) {
    if (Running())
        return false;
    // What can fail comes before anything is locked.
    progress_.Create(request.owner, request.caption);
    progress_.OnCancel = [this] { RequestCancel(); };
    request_ = std::move(request);
    shared_ = std::make_shared<Shared>();
    ++serial_;
    try {
        worker_ = std::thread(
            [shared = shared_, window = Handle(), serial = serial_, work = request_.work] {
                Reporter reporter(shared, window);
                try {
                    work(reporter);
                } catch (...) {
                    shared->error = std::current_exception();
                }
                ::PostMessageW(window, kDoneMessage, serial, 0);
            });
    } catch (...) {
        progress_.Destroy();
        request_ = {};
        throw;
    }

    focusBefore_ = ::GetFocus();
    lockedControls_.clear();
    for (HWND control : request_.controlsToLock) {
        lockedControls_.emplace_back(control, ::IsWindowEnabled(control) != FALSE);
        ::EnableWindow(control, FALSE);
    }
    ::SetTimer(Handle(), kShowTimer, static_cast<UINT>(showDelay_.count()), nullptr);
    return true;
}

void BackgroundWork::RequestCancel() {
    if (!Running() || shared_->cancel.exchange(true))
        return;
    progress_.ShowCancelling();
}

void BackgroundWork::CancelAndWait() {
    if (!Running())
        return;
    shared_->cancel = true;
    Finish();
    request_ = {};
}

std::exception_ptr BackgroundWork::Finish() {
    worker_.join();
    if (Handle())
        ::KillTimer(Handle(), kShowTimer);
    for (auto [control, enabled] : lockedControls_)
        if (::IsWindow(control))
            ::EnableWindow(control, enabled ? TRUE : FALSE);
    lockedControls_.clear();
    progress_.Destroy();
    // The focus goes back to the control that had it, when it can still take it.
    if (focusBefore_ && ::IsWindow(focusBefore_) && ::IsWindowEnabled(focusBefore_) &&
        ::GetActiveWindow() == request_.owner)
        ::SetFocus(focusBefore_);
    focusBefore_ = nullptr;
    return std::exchange(shared_->error, nullptr);
}

void BackgroundWork::ShowLatestProgress() {
    if (!shared_)
        return;
    shared_->progressPosted = false;
    std::size_t index = 0, total = 0;
    std::wstring item;
    {
        std::lock_guard lock(shared_->mutex);
        if (!shared_->reported)
            return;
        index = shared_->index;
        total = shared_->total;
        item = shared_->item;
    }
    if (!shared_->cancel)
        progress_.ShowProgress(index, total, item);
}

LRESULT BackgroundWork::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case kProgressMessage:
        if (Running())
            ShowLatestProgress();
        return 0;
    case kDoneMessage: {
        if (!Running() || wp != serial_)
            return 0; // work already waited for
        ShowLatestProgress();
        std::exception_ptr error = Finish();
        // Moved out first: finished may start the next work.
        auto finished = std::move(request_.finished);
        request_ = {};
        if (finished)
            finished(error);
        return 0;
    }
    case WM_TIMER:
        if (wp == kShowTimer) {
            ::KillTimer(Handle(), kShowTimer);
            if (Running() && progress_.Handle()) {
                ::ShowWindow(progress_.Handle(), SW_SHOW);
                ::SetFocus(progress_.CancelButton());
            }
            return 0;
        }
        break;
    default:
        break;
    }
    return DefaultHandling(msg, wp, lp);
}

} // namespace voice::gui
