#pragma once
// A media player on a scripted MCI device that records every command, set up as this
// program's window sets it: eight visible buttons (no Record) in 225 pixels, Play, Stop,
// Next and Previous enabled.

#include "playback/media_player.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

namespace voice::test {

struct MciCall {
    MCIDEVICEID device;
    UINT command;
    DWORD_PTR flags;
    DWORD_PTR params;
};

struct FakeMci {
    std::vector<MciCall> calls; // parameter blocks are valid only during the command
    MCIDEVICEID nextId = 5;
    std::map<DWORD, DWORD> status{{MCI_STATUS_MODE, MCI_MODE_STOP}, {MCI_STATUS_LENGTH, 1000}};
    std::map<DWORD, DWORD> caps{{MCI_GETDEVCAPS_CAN_PLAY, 1}};
    std::map<DWORD, DWORD> trackStarts;
    std::map<UINT, MCIERROR> results;
    std::map<MCIERROR, std::wstring> errorTexts;
    std::vector<std::wstring> opened; // element names
    std::vector<DWORD> targets;       // seek, play-from and step values, in order
    std::vector<MCIDEVICEID> keptLoaded; // devices whose driver was to stay loaded

    std::vector<std::pair<UINT, DWORD_PTR>> Sent() const {
        std::vector<std::pair<UINT, DWORD_PTR>> sent;
        for (const MciCall& c : calls)
            sent.emplace_back(c.command, c.flags);
        return sent;
    }
};

class FakeMciPort final : public MciPort {
public:
    explicit FakeMciPort(std::shared_ptr<FakeMci> d) : d_(std::move(d)) {}
    MCIERROR SendCommand(MCIDEVICEID id, UINT command, DWORD_PTR flags, DWORD_PTR params) override {
        d_->calls.push_back({id, command, flags, params});
        const MCIERROR result = d_->results.count(command) ? d_->results[command] : 0;
        if (command == MCI_OPEN) {
            auto* p = reinterpret_cast<MCI_OPEN_PARMSW*>(params);
            d_->opened.push_back(std::wstring(p->lpstrDeviceType) + L"|" + p->lpstrElementName);
            p->wDeviceID = result ? 0 : d_->nextId;
        } else if (command == MCI_STATUS) {
            auto* p = reinterpret_cast<MCI_STATUS_PARMS*>(params);
            p->dwReturn = flags & MCI_TRACK ? d_->trackStarts[p->dwTrack] : d_->status[p->dwItem];
        } else if (command == MCI_GETDEVCAPS) {
            auto* p = reinterpret_cast<MCI_GETDEVCAPS_PARMS*>(params);
            p->dwReturn = d_->caps[p->dwItem];
        } else if (command == MCI_SEEK && (flags & MCI_TO)) {
            d_->targets.push_back(reinterpret_cast<MCI_SEEK_PARMS*>(params)->dwTo);
        } else if (command == MCI_PLAY && (flags & MCI_FROM)) {
            d_->targets.push_back(reinterpret_cast<MCI_PLAY_PARMS*>(params)->dwFrom);
        } else if (command == MCI_STEP) {
            d_->targets.push_back(reinterpret_cast<MCI_ANIM_STEP_PARMS*>(params)->dwFrames);
        }
        return result;
    }
    bool ErrorString(MCIERROR code, std::wstring& text) override {
        if (!d_->errorTexts.count(code))
            return false;
        text = d_->errorTexts[code];
        return true;
    }
    void KeepDriverLoaded(MCIDEVICEID device) override { d_->keptLoaded.push_back(device); }

private:
    std::shared_ptr<FakeMci> d_;
};

inline constexpr TButtonSet kThisWindowVisible{btPlay, btPause, btStop, btNext,
                                               btPrev, btStep,  btBack, btEject};

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent_ = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr,
                                    nullptr, nullptr, nullptr);
        player = std::make_unique<TMediaPlayer>(std::make_unique<FakeMciPort>(mci));
        player->Create(parent_, 1, 10, 10, 225, 30);
        player->SetEnabledButtons({btPlay, btStop, btNext, btPrev});
        player->SetVisibleButtons(kThisWindowVisible);
    }
    void TearDown() override {
        player.reset();
        ::DestroyWindow(parent_);
    }
    void OpenDevice() {
        player->SetFileName(L"C:\\rec\\$$$.Wav");
        player->Open();
        mci->calls.clear();
        mci->targets.clear();
    }
    void ClickAt(int x) {
        player->HandleLButtonDown(MK_LBUTTON, MAKELPARAM(x, 7));
        player->HandleLButtonUp(0, MAKELPARAM(x, 7));
    }
    void Notify(WPARAM result) { ::SendMessageW(player->Handle(), MM_MCINOTIFY, result, 5); }

    std::shared_ptr<FakeMci> mci = std::make_shared<FakeMci>();
    std::unique_ptr<TMediaPlayer> player;

private:
    HWND parent_ = nullptr;
};

} // namespace voice::test
