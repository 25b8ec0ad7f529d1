#pragma once
// Invisible; raises OnTimer every interval from Start until Stop or destruction. Owns a
// message-only window, so it needs no help from the window it serves.

#include "gui/window.h"

#include <functional>

namespace voice::gui {

class Timer : public Window {
public:
    ~Timer() override;
    void Start(UINT intervalMs);
    void Stop();
    bool Running() const noexcept { return running_; }
    UINT Interval() const noexcept { return interval_; }

    std::function<void()> OnTimer;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    UINT interval_ = 0;
    bool running_ = false;
};

} // namespace voice::gui
