// Work on a worker thread behind the progress window: progress, cancel, errors, the
// locked controls, and waiting for the work when the window goes.

#include "gui/background_work.h"
#include "test_host_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace voice::gui {
namespace {

using namespace std::chrono_literals;

// Waits on the worker's side for something the test does, with a deadline so that a
// broken test cannot hang the run.
bool WaitFor(const std::function<bool()>& done, std::chrono::seconds timeout = 20s) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::yield();
    }
    return true;
}

class BackgroundWorkTest : public ::testing::Test {
protected:
    BackgroundWorkTest() {
        enabledButton = MakeButton(0);
        disabledButton = MakeButton(30);
        ::EnableWindow(disabledButton, FALSE);
    }
    HWND MakeButton(int y) {
        return ::CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | WS_VISIBLE, 0, y, 50, 20,
                                 host.Handle(), nullptr, nullptr, nullptr);
    }
    WorkRequest Request(std::function<void(WorkProgress&)> work) {
        WorkRequest request;
        request.owner = host.Handle();
        request.caption = L"Экспорт записей";
        request.controlsToLock = {enabledButton, disabledButton};
        request.work = std::move(work);
        request.finished = [this](std::exception_ptr error) {
            ++finishedCalls;
            finishedError = error;
        };
        return request;
    }
    bool Ended() {
        return testing::PumpUntil([&] { return !work.Running(); }, 30s);
    }

    testing::HostWindow host;
    HWND enabledButton = nullptr;
    HWND disabledButton = nullptr;
    BackgroundWork work;
    int finishedCalls = 0;
    std::exception_ptr finishedError;
};

TEST_F(BackgroundWorkTest, ProgressShowsWhileControlsAreLockedAndEverythingComesBack) {
    std::atomic<bool> release{false};
    std::atomic<DWORD> workThread{0};
    work.SetShowDelay(0ms);
    ASSERT_TRUE(work.Start(Request([&](WorkProgress& progress) {
        workThread = ::GetCurrentThreadId();
        progress.Report(1, 3, L"C:\\архив\\A3F0000.1");
        WaitFor([&] { return release.load(); });
    })));
    EXPECT_FALSE(work.Start(Request([](WorkProgress&) {}))); // one at a time
    EXPECT_FALSE(::IsWindowEnabled(enabledButton));
    EXPECT_FALSE(::IsWindowEnabled(disabledButton));

    const ProgressWindow& progress = work.Progress();
    ASSERT_TRUE(testing::PumpUntil(
        [&] { return progress.CountText() == L"2 из 3" && ::IsWindowVisible(progress.Handle()); }));
    EXPECT_EQ(progress.ItemText(), L"C:\\архив\\A3F0000.1");
    EXPECT_EQ(::GetWindow(progress.Handle(), GW_OWNER), host.Handle());
    EXPECT_EQ(finishedCalls, 0);

    release = true;
    ASSERT_TRUE(Ended());
    EXPECT_NE(workThread.load(), ::GetCurrentThreadId());
    EXPECT_EQ(finishedCalls, 1);
    EXPECT_FALSE(finishedError);
    EXPECT_TRUE(::IsWindowEnabled(enabledButton));
    EXPECT_FALSE(::IsWindowEnabled(disabledButton)); // as it was before
    EXPECT_EQ(progress.Handle(), nullptr);
}

// "Отмена", Escape (IDCANCEL from the dialog manager) and the close box.
TEST_F(BackgroundWorkTest, EveryWayOfCancellingReachesTheWorkWhichEndsNormally) {
    const std::pair<UINT, WPARAM> ways[] = {{BM_CLICK, 0}, {WM_COMMAND, IDCANCEL}, {WM_CLOSE, 0}};
    for (auto [msg, wp] : ways) {
        std::atomic<bool> sawCancel{false};
        ASSERT_TRUE(work.Start(Request([&](WorkProgress& progress) {
            progress.Report(0, 2, L"first");
            sawCancel = WaitFor([&] { return progress.CancelRequested(); });
        })));
        HWND cancel = work.Progress().CancelButton();
        ASSERT_TRUE(testing::PumpUntil([&] { return work.Progress().CountText() == L"1 из 2"; }));
        ::SendMessageW(msg == BM_CLICK ? cancel : work.Progress().Handle(), msg, wp, 0);
        EXPECT_FALSE(::IsWindowEnabled(cancel)) << msg; // pressed once
        ASSERT_TRUE(Ended());
        EXPECT_TRUE(sawCancel) << msg;
    }
    EXPECT_EQ(finishedCalls, 3);
}

TEST_F(BackgroundWorkTest, AnErrorOfTheWorkArrivesOnTheWindowsThread) {
    ASSERT_TRUE(work.Start(Request([](WorkProgress&) { throw std::runtime_error("disk"); })));
    ASSERT_TRUE(Ended());
    ASSERT_EQ(finishedCalls, 1);
    ASSERT_TRUE(finishedError);
    EXPECT_THROW(std::rethrow_exception(finishedError), std::runtime_error);
    EXPECT_TRUE(::IsWindowEnabled(enabledButton));
}

TEST_F(BackgroundWorkTest, CancelAndWaitStopsTheWorkWithoutCallingTheEnd) {
    std::atomic<bool> sawCancel{false};
    std::atomic<bool> started{false};
    ASSERT_TRUE(work.Start(Request([&](WorkProgress& progress) {
        started = true;
        sawCancel = WaitFor([&] { return progress.CancelRequested(); });
        progress.Report(1, 2, L"late"); // after the window stopped listening
    })));
    ASSERT_TRUE(WaitFor([&] { return started.load(); }));
    work.CancelAndWait();
    EXPECT_FALSE(work.Running());
    EXPECT_TRUE(sawCancel);
    EXPECT_TRUE(::IsWindowEnabled(enabledButton));
    EXPECT_EQ(work.Progress().Handle(), nullptr);
    testing::Pump(); // the late messages find nothing to do
    EXPECT_EQ(finishedCalls, 0);

    // The next work is not confused by the last one's messages.
    ASSERT_TRUE(work.Start(Request([](WorkProgress&) {})));
    ASSERT_TRUE(Ended());
    EXPECT_EQ(finishedCalls, 1);
}

TEST_F(BackgroundWorkTest, ShortWorkNeverShowsTheProgressWindow) {
    work.SetShowDelay(60s);
    bool everVisible = false;
    ASSERT_TRUE(work.Start(Request([](WorkProgress& progress) { progress.Report(0, 1, L"x"); })));
    ASSERT_TRUE(testing::PumpUntil([&] {
        everVisible = everVisible || ::IsWindowVisible(work.Progress().Handle());
        return !work.Running();
    }));
    EXPECT_FALSE(everVisible);
    EXPECT_EQ(finishedCalls, 1);
}

} // namespace
} // namespace voice::gui
