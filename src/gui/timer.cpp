#include "gui/timer.h"

#include "platform/app_error.h"

namespace voice::gui {

namespace {
constexpr UINT_PTR kTimerId = 1;
}

Timer::~Timer() {
    Stop();
}

void Timer::Start(UINT intervalMs) {
    if (!Handle() &&
        !CreateWindowObject(L"VoiceTimer", 0, nullptr, 0, 0, L"", 0, 0, 0, 0, HWND_MESSAGE, 0))
        throw AppError(L"Cannot create the timer window");
    interval_ = intervalMs;
    running_ = ::SetTimer(Handle(), kTimerId, intervalMs, nullptr) != 0;
}

void Timer::Stop() {
    if (running_ && Handle())
        ::KillTimer(Handle(), kTimerId);
    running_ = false;
}

LRESULT Timer::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kTimerId) {
        if (OnTimer)
            OnTimer();
        return 0;
    }
    return DefaultHandling(msg, wp, lp);
}

} // namespace voice::gui
