// The device side of the media player against a scripted MCI device: the commands and
// flag words it sends, the one-shot armings, opening, closing and automatic enabling.

#include "player_fixture.h"

#include <functional>

namespace voice::test {
namespace {

using Sent = std::vector<std::pair<UINT, DWORD_PTR>>;

struct CommandCase {
    const char* name;
    std::function<void(FakeMci&)> script;
    std::function<void(TMediaPlayer&)> operation;
    Sent expected;
};

TEST_F(PlayerTest, EachOperationSendsItsCommandAndFlags) {
    const DWORD status = MCI_STATUS_ITEM | MCI_WAIT;
    const auto playingMode = [](FakeMci& d) { d.status[MCI_STATUS_MODE] = MCI_MODE_PLAY; };
    const auto withVideo = [](FakeMci& d) {
        d.caps[MCI_GETDEVCAPS_HAS_VIDEO] = 1;
        d.caps[MCI_GETDEVCAPS_DEVICE_TYPE] = MCI_DEVTYPE_DIGITAL_VIDEO;
    };
    const CommandCase cases[] = {
        {"play",
         {},
         [](auto& p) { p.Play(); },
         {{MCI_STATUS, status}, {MCI_STATUS, status}, {MCI_PLAY, MCI_NOTIFY}}},
        {"play at the end rewinds first",
         [](FakeMci& d) { d.status[MCI_STATUS_POSITION] = 1000; },
         [](auto& p) { p.Play(); },
         {{MCI_STATUS, status},
          {MCI_STATUS, status},
          {MCI_SEEK, MCI_SEEK_TO_START | MCI_WAIT},
          {MCI_PLAY, MCI_NOTIFY}}},
        {"record", {}, [](auto& p) { p.BeginRecording(); }, {{MCI_RECORD, MCI_NOTIFY}}},
        {"stop", {}, [](auto& p) { p.Stop(); }, {{MCI_STOP, MCI_WAIT}}},
        {"pause while playing",
         playingMode,
         [](auto& p) { p.Pause(); },
         {{MCI_STATUS, status}, {MCI_PAUSE, MCI_WAIT}}},
        {"pause while paused resumes",
         [](FakeMci& d) { d.status[MCI_STATUS_MODE] = MCI_MODE_PAUSE; },
         [](auto& p) { p.Pause(); },
         {{MCI_STATUS, status}, {MCI_RESUME, MCI_NOTIFY}}},
        {"pause while stopped", {}, [](auto& p) { p.Pause(); }, {{MCI_STATUS, status}}},
        {"a failed resume plays",
         [](FakeMci& d) { d.results[MCI_RESUME] = 274; },
         [](auto& p) { p.Resume(); },
         {{MCI_RESUME, MCI_NOTIFY},
          {MCI_STATUS, status},
          {MCI_STATUS, status},
          {MCI_PLAY, MCI_NOTIFY}}},
        {"seek", {}, [](auto& p) { p.SetPosition(300); }, {{MCI_SEEK, MCI_WAIT | MCI_TO}}},
        {"rewind", {}, [](auto& p) { p.Rewind(); }, {{MCI_SEEK, MCI_SEEK_TO_START | MCI_WAIT}}},
        {"next",
         {},
         [](auto& p) { p.Next(); },
         {{MCI_STATUS, status}, {MCI_SEEK, MCI_WAIT | MCI_SEEK_TO_END}}},
        {"previous",
         {},
         [](auto& p) { p.Previous(); },
         {{MCI_STATUS, status}, {MCI_SEEK, MCI_WAIT | MCI_SEEK_TO_START}}},
        {"step without video", {}, [](auto& p) { p.Step(); }, {}},
        {"back without video", {}, [](auto& p) { p.Back(); }, {}},
        {"eject on a device that cannot", {}, [](auto& p) { p.Eject(); }, {}},
        {"length", {}, [](auto& p) { p.Length(); }, {{MCI_STATUS, status}}},
        {"mode", {}, [](auto& p) { p.Mode(); }, {{MCI_STATUS, status}}},
        {"track start",
         {},
         [](auto& p) { p.TrackStart(2); },
         {{MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK | MCI_WAIT}}},
        {"step with video",
         withVideo,
         [](auto& p) { p.Step(); },
         {{MCI_STATUS, status}, {MCI_STATUS, status}, {MCI_STEP, 0x20000 | MCI_WAIT}}},
        {"back with video", withVideo, [](auto& p) { p.Back(); }, {{MCI_STEP, 0x30000 | MCI_WAIT}}},
        {"eject",
         [](FakeMci& d) { d.caps[MCI_GETDEVCAPS_CAN_EJECT] = 1; },
         [](auto& p) { p.Eject(); },
         {{MCI_SET, MCI_SET_DOOR_OPEN | MCI_WAIT}}},
    };
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(c.name);
        *mci = FakeMci{};
        if (c.script)
            c.script(*mci);
        OpenDevice();
        c.operation(*player);
        EXPECT_EQ(mci->Sent(), c.expected);
        for (const MciCall& call : mci->calls) {
            EXPECT_EQ(call.device, mci->nextId);
            EXPECT_EQ(call.callback, reinterpret_cast<DWORD_PTR>(player->Handle()));
        }
        player->Close();
    }
}

TEST_F(PlayerTest, CommandParametersCarryPositionsItemsAndFrames) {
    mci->caps[MCI_GETDEVCAPS_HAS_VIDEO] = 1;
    mci->status[MCI_STATUS_LENGTH] = 1234;
    OpenDevice();
    EXPECT_EQ(player->StepFrames(), 123);

    player->SetPosition(300);
    player->Back();
    player->TrackStart(4);
    player->Length();
    player->Mode();
    player->Position();
    ASSERT_EQ(mci->calls.size(), 6u);
    EXPECT_EQ(mci->calls[0].to, 300u);
    EXPECT_EQ(mci->calls[1].frames, 123u);
    EXPECT_EQ(mci->calls[2].item, DWORD(MCI_STATUS_POSITION));
    EXPECT_EQ(mci->calls[2].track, 4u);
    EXPECT_EQ(mci->calls[3].item, DWORD(MCI_STATUS_LENGTH));
    EXPECT_EQ(mci->calls[4].item, DWORD(MCI_STATUS_MODE));
    EXPECT_EQ(mci->calls[5].item, DWORD(MCI_STATUS_POSITION));
}

TEST_F(PlayerTest, ModeIsTheStatusMinusNotReadyAsOneByte) {
    const std::pair<DWORD, int> cases[] = {
        {MCI_MODE_NOT_READY, msNotReady}, {MCI_MODE_STOP, msStopped}, {MCI_MODE_PLAY, msPlaying},
        {MCI_MODE_RECORD, msRecording},   {MCI_MODE_SEEK, msSeeking}, {MCI_MODE_PAUSE, msPaused},
        {MCI_MODE_OPEN, msOpen},          {0, (0 - 524) & 0xFF}};
    OpenDevice();
    for (const auto& [status, mode] : cases) {
        mci->status[MCI_STATUS_MODE] = status;
        EXPECT_EQ(player->Mode(), mode) << status;
    }
}

TEST_F(PlayerTest, OperationsThatNeedADeviceRaiseWithoutOneAndSendNothing) {
    const std::pair<const char*, std::function<void(TMediaPlayer&)>> cases[] = {
        {"play", [](auto& p) { p.Play(); }},
        {"record", [](auto& p) { p.BeginRecording(); }},
        {"stop", [](auto& p) { p.Stop(); }},
        {"pause", [](auto& p) { p.Pause(); }},
        {"pause device", [](auto& p) { p.PauseDevice(); }},
        {"resume", [](auto& p) { p.Resume(); }},
        {"seek", [](auto& p) { p.SetPosition(0); }},
        {"rewind", [](auto& p) { p.Rewind(); }},
        {"next", [](auto& p) { p.Next(); }},
        {"previous", [](auto& p) { p.Previous(); }},
        {"step", [](auto& p) { p.Step(); }},
        {"back", [](auto& p) { p.Back(); }},
        {"eject", [](auto& p) { p.Eject(); }},
        {"length", [](auto& p) { p.Length(); }},
        {"track count", [](auto& p) { p.TrackCount(); }},
        {"time format", [](auto& p) { p.TimeFormat(); }},
    };
    for (const auto& [name, operation] : cases) {
        SCOPED_TRACE(name);
        try {
            operation(*player);
            ADD_FAILURE() << "no error";
        } catch (const EMCIDeviceError& e) {
            EXPECT_EQ(e.Text(), L"No MCI device open");
        }
        EXPECT_TRUE(mci->calls.empty());
    }
}

TEST_F(PlayerTest, NotifyArmingIsConsumedByExactlyTheNextCommand) {
    OpenDevice();
    player->SetNotify(true);
    player->SetPosition(0);
    player->SetPosition(0);
    player->SetNotify(false);
    player->Play();
    player->Play();
    EXPECT_EQ(mci->Sent(), (Sent{{MCI_SEEK, MCI_NOTIFY | MCI_WAIT | MCI_TO},
                                 {MCI_SEEK, MCI_WAIT | MCI_TO},
                                 {MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT},
                                 {MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT},
                                 {MCI_PLAY, 0},
                                 {MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT},
                                 {MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT},
                                 {MCI_PLAY, MCI_NOTIFY}}));
}

TEST_F(PlayerTest, WaitArmingFalseLetsTheNextCommandReturnAtOnce) {
    OpenDevice();
    player->SetWait(false);
    player->Stop();
    player->Stop();
    player->SetWait(true);
    player->BeginRecording();
    EXPECT_EQ(mci->Sent(),
              (Sent{{MCI_STOP, 0}, {MCI_STOP, MCI_WAIT}, {MCI_RECORD, MCI_NOTIFY | MCI_WAIT}}));
}

TEST_F(PlayerTest, CloseWithoutDeviceSendsNothingAndKeepsTheArming) {
    player->SetNotify(true);
    player->Close();
    EXPECT_TRUE(mci->calls.empty());
    player->SetFileName(L"a.wav");
    player->Open();
    ASSERT_FALSE(mci->calls.empty());
    EXPECT_EQ(mci->calls[0].command, UINT(MCI_OPEN));
    EXPECT_EQ(mci->calls[0].flags, DWORD_PTR(MCI_NOTIFY | MCI_WAIT | MCI_OPEN_ELEMENT));
}

struct OpenCase {
    const char* name;
    TMPDeviceTypes type;
    bool shareable;
    DWORD_PTR flags;
    const wchar_t* typeName;
    bool setsTrackFormat;
};

TEST_F(PlayerTest, OpenSendsTypeElementAndShareableFlags) {
    const OpenCase cases[] = {
        {"chosen by file", dtAutoSelect, false, MCI_WAIT | MCI_OPEN_ELEMENT, L"", false},
        {"shareable", dtAutoSelect, true, MCI_WAIT | MCI_OPEN_ELEMENT | MCI_OPEN_SHAREABLE, L"",
         false},
        {"wave audio", dtWaveAudio, false, MCI_WAIT | MCI_OPEN_TYPE, L"WaveAudio", false},
        {"sequencer", dtSequencer, false, MCI_WAIT | MCI_OPEN_TYPE, L"Sequencer", false},
        {"CD audio", dtCDAudio, false, MCI_WAIT | MCI_OPEN_TYPE, L"CDAudio", true},
        {"videodisc", dtVideodisc, true, MCI_WAIT | MCI_OPEN_TYPE | MCI_OPEN_SHAREABLE,
         L"Videodisc", true},
    };
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.name);
        mci->Clear();
        player->SetDeviceType(c.type);
        player->SetShareable(c.shareable);
        player->SetFileName(L"D:\\sound.wav");
        player->Open();
        ASSERT_FALSE(mci->calls.empty());
        const MciCall& open = mci->calls[0];
        EXPECT_EQ(open.command, UINT(MCI_OPEN));
        EXPECT_EQ(open.device, 0u);
        EXPECT_EQ(open.flags, c.flags);
        EXPECT_EQ(open.deviceType, c.typeName);
        EXPECT_EQ(open.element, L"D:\\sound.wav");
        bool trackFormat = false;
        for (const MciCall& call : mci->calls)
            if (call.command == MCI_SET && call.flags == (MCI_SET_TIME_FORMAT | MCI_NOTIFY) &&
                call.timeFormat == 10)
                trackFormat = true;
        EXPECT_EQ(trackFormat, c.setsTrackFormat);
        EXPECT_TRUE(player->DeviceOpen());
        EXPECT_EQ(player->DeviceId(), mci->nextId);
        player->Close();
    }
}

TEST_F(PlayerTest, OpenClosesTheOpenDeviceFirst) {
    OpenDevice();
    const MCIDEVICEID first = player->DeviceId();
    mci->nextId = 9;
    player->Open();
    ASSERT_GE(mci->calls.size(), 2u);
    EXPECT_EQ(mci->calls[0].command, UINT(MCI_CLOSE));
    EXPECT_EQ(mci->calls[0].device, first);
    EXPECT_EQ(mci->calls[1].command, UINT(MCI_OPEN));
    EXPECT_EQ(player->DeviceId(), 9u);
}

TEST_F(PlayerTest, OpenFailureRaisesTheSystemTextOrUnknownErrorCode) {
    const struct {
        const char* name;
        std::map<MCIERROR, std::wstring> texts;
        const wchar_t* expected;
    } cases[] = {
        {"system text",
         {{275, L"Cannot find the specified file."}},
         L"Cannot find the specified file."},
        {"no text", {}, L"Unknown error code"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpenDevice();
        mci->results[MCI_OPEN] = 275;
        mci->errorTexts = c.texts;
        try {
            player->Open();
            ADD_FAILURE() << "no error";
        } catch (const EMCIDeviceError& e) {
            EXPECT_EQ(e.Text(), c.expected);
        }
        EXPECT_FALSE(player->DeviceOpen());
        EXPECT_EQ(player->DeviceId(), 0u);
        EXPECT_EQ(player->LastError(), 275u);
        EXPECT_EQ(mci->Sent(),
                  (Sent{{MCI_CLOSE, MCI_WAIT}, {MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT}}));
        mci->results.clear();
    }
}

TEST_F(PlayerTest, FailedCloseKeepsTheDeviceOpenWithoutRaising) {
    OpenDevice();
    mci->results[MCI_CLOSE] = 263;
    EXPECT_NO_THROW(player->Close());
    EXPECT_TRUE(player->DeviceOpen());
    EXPECT_EQ(player->LastError(), 263u);
    mci->results.clear();
    player->Close();
    EXPECT_FALSE(player->DeviceOpen());
    EXPECT_EQ(player->DeviceId(), 0u);
    EXPECT_TRUE(player->AutoEnabledButtons().Empty());
}

TEST_F(PlayerTest, DestructionClosesWithWaitOnly) {
    OpenDevice();
    const MCIDEVICEID id = player->DeviceId();
    player.reset();
    ASSERT_EQ(mci->calls.size(), 1u);
    EXPECT_EQ(mci->calls[0].command, UINT(MCI_CLOSE));
    EXPECT_EQ(mci->calls[0].flags, DWORD_PTR(MCI_WAIT));
    EXPECT_EQ(mci->calls[0].device, id);
}

TEST_F(PlayerTest, ButtonsEnabledAtOpenFollowTheCapabilities) {
    const struct {
        const char* name;
        std::map<DWORD, DWORD> caps;
        DWORD mode;
        TButtonSet expected;
    } cases[] = {
        {"plays only", {{MCI_GETDEVCAPS_CAN_PLAY, 1}}, MCI_MODE_STOP, {btPlay, btNext, btPrev}},
        {"plays and records",
         {{MCI_GETDEVCAPS_CAN_PLAY, 1}, {MCI_GETDEVCAPS_CAN_RECORD, 1}},
         MCI_MODE_STOP,
         {btPlay, btRecord, btNext, btPrev}},
        {"steps and ejects",
         {{MCI_GETDEVCAPS_CAN_EJECT, 1}, {MCI_GETDEVCAPS_DEVICE_TYPE, MCI_DEVTYPE_VCR}},
         MCI_MODE_STOP,
         {btNext, btPrev, btStep, btBack, btEject}},
        {"already playing",
         {{MCI_GETDEVCAPS_CAN_PLAY, 1}},
         MCI_MODE_PLAY,
         {btPause, btStop, btNext, btPrev}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mci->caps = c.caps;
        mci->status[MCI_STATUS_MODE] = c.mode;
        OpenDevice();
        EXPECT_EQ(player->AutoEnabledButtons(), c.expected);
        player->Close();
    }
}

TEST_F(PlayerTest, PlayPressAndStoppedNotificationSwitchTheButtons) {
    OpenDevice();
    ClickAt(7);
    EXPECT_EQ(player->AutoEnabledButtons(), (TButtonSet{btPause, btStop, btNext, btPrev}));

    mci->status[MCI_STATUS_MODE] = MCI_MODE_PLAY;
    Notify(MCI_NOTIFY_SUPERSEDED);
    EXPECT_EQ(player->AutoEnabledButtons(), (TButtonSet{btPause, btStop, btNext, btPrev}));

    mci->status[MCI_STATUS_MODE] = MCI_MODE_STOP;
    Notify(MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(player->AutoEnabledButtons(), (TButtonSet{btPlay, btNext, btPrev}));
}

TEST_F(PlayerTest, AFailedCommandSkipsTheTransitionAfterAPress) {
    OpenDevice();
    mci->results[MCI_PLAY] = 266;
    ClickAt(7);
    EXPECT_EQ(player->LastError(), 266u);
    EXPECT_EQ(player->AutoEnabledButtons(), (TButtonSet{btPlay, btNext, btPrev}));
}

TEST_F(PlayerTest, EveryNotificationRaisesOnNotifyAndRecordsItsResult) {
    int raised = 0;
    player->OnNotify = [&] { ++raised; };
    const std::pair<WPARAM, TMPNotifyResult> cases[] = {
        {MCI_NOTIFY_SUPERSEDED, nrSuperseded},
        {MCI_NOTIFY_ABORTED, nrAborted},
        {MCI_NOTIFY_FAILURE, nrFailure},
        {MCI_NOTIFY_SUCCESSFUL, nrSuccessful},
        {0x40, nrSuccessful}, // unknown codes leave it unchanged
    };
    for (const auto& [code, result] : cases) {
        Notify(code);
        EXPECT_EQ(player->LastNotifyResult(), result) << code;
    }
    EXPECT_EQ(raised, 5);
}

TEST_F(PlayerTest, NextAndPreviousInTrackFormat) {
    mci->status[MCI_STATUS_TIME_FORMAT] = MCI_FORMAT_TMSF;
    mci->status[MCI_STATUS_NUMBER_OF_TRACKS] = 3;
    mci->trackStarts = {{1, 0x00000001}, {2, 0x00050302}, {3, 0x00100803}};
    const struct {
        const char* name;
        DWORD position;
        bool next;
        DWORD target;
    } cases[] = {
        {"next from track 1", 0x00200001, true, 0x00050302},
        {"next from the last track", 0x00200003, true, 0x00100803},
        {"previous inside track 2", 0x00090302, false, 0x00050302},
        {"previous at the start of track 2", 0x00050302, false, 0x00000001},
        {"previous at the start of track 1", 0x00000001, false, 0x00000001},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (DWORD mode : {MCI_MODE_STOP, MCI_MODE_PLAY}) {
            mci->status[MCI_STATUS_POSITION] = c.position;
            mci->status[MCI_STATUS_MODE] = mode;
            OpenDevice();
            c.next ? player->Next() : player->Previous();
            const MciCall& last = mci->calls.back();
            if (mode == MCI_MODE_PLAY) {
                EXPECT_EQ(last.command, UINT(MCI_PLAY));
                EXPECT_EQ(last.flags, DWORD_PTR(MCI_NOTIFY | MCI_FROM));
                EXPECT_EQ(last.from, c.target);
            } else {
                EXPECT_EQ(last.command, UINT(MCI_SEEK));
                EXPECT_EQ(last.flags, DWORD_PTR(MCI_WAIT | MCI_TO));
                EXPECT_EQ(last.to, c.target);
            }
        }
    }
}

} // namespace
} // namespace voice::test
