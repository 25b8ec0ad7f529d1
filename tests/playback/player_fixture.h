#pragma once
// A media player on a scripted MCI device, as this program's window sets it up: eight
// visible buttons (no Record) in 225 pixels, Play, Stop, Next and Previous enabled.

#include "fake_mci_port.h"
#include "playback/media_player.h"

#include <gtest/gtest.h>

#include <memory>

namespace voice::test {

inline constexpr TButtonSet kThisWindowVisible{btPlay, btPause, btStop, btNext,
                                               btPrev, btStep,  btBack, btEject};
inline constexpr TButtonSet kThisWindowEnabled{btPlay, btStop, btNext, btPrev};

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent_ = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr,
                                    nullptr, nullptr, nullptr);
        ASSERT_NE(parent_, nullptr);
        player = std::make_unique<TMediaPlayer>(std::make_unique<FakeMciPort>(mci));
        player->Create(parent_, 1, 10, 10, 225, 30);
        player->SetEnabledButtons(kThisWindowEnabled);
        player->SetVisibleButtons(kThisWindowVisible);
    }
    void TearDown() override {
        player.reset();
        ::DestroyWindow(parent_);
    }
    void OpenDevice() {
        player->SetFileName(L"C:\\rec\\$$$.Wav");
        player->Open();
        mci->Clear();
    }
    void ClickAt(int x) {
        player->HandleLButtonDown(MK_LBUTTON, MAKELPARAM(x, 7));
        player->HandleLButtonUp(0, MAKELPARAM(x, 7));
    }
    void Notify(WPARAM result) {
        ::SendMessageW(player->Handle(), MM_MCINOTIFY, result, mci->nextId);
    }

    std::shared_ptr<FakeMci> mci = std::make_shared<FakeMci>();
    std::unique_ptr<TMediaPlayer> player;

private:
    HWND parent_ = nullptr;
};

} // namespace voice::test
