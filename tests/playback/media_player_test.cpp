// The device side of the media player against a scripted MCI device: the commands and
// flag words it sends, the one-shot armings, opening, closing and automatic enabling.

#include "player_fixture.h"

#include <algorithm>
#include <functional>

namespace voice::test {
namespace {

using Sent = std::vector<std::pair<UINT, DWORD_PTR>>;
using Operation = std::function<void(TMediaPlayer&)>;
constexpr DWORD kStatus = MCI_STATUS_ITEM | MCI_WAIT;

TEST_F(PlayerTest, EachOperationSendsItsCommandAndFlags) {
    const auto mode = [](DWORD m) { return [m](FakeMci& d) { d.status[MCI_STATUS_MODE] = m; }; };
    const auto video = [](FakeMci& d) {
        d.caps[MCI_GETDEVCAPS_HAS_VIDEO] = 1;
        d.caps[MCI_GETDEVCAPS_CAN_EJECT] = 1;
    };
    const struct {
        const char* name;
        std::function<void(FakeMci&)> script;
        Operation operation;
        Sent expected;
    } cases[] = {
        {"play",
         {},
         &TMediaPlayer::Play,
         {{MCI_STATUS, kStatus}, {MCI_STATUS, kStatus}, {MCI_PLAY, MCI_NOTIFY}}},
        {"play at the end rewinds",
         [](FakeMci& d) { d.status[MCI_STATUS_POSITION] = 1000; },
         &TMediaPlayer::Play,
         {{MCI_STATUS, kStatus},
          {MCI_STATUS, kStatus},
          {MCI_SEEK, MCI_SEEK_TO_START | MCI_WAIT},
          {MCI_PLAY, MCI_NOTIFY}}},
        {"record", {}, &TMediaPlayer::BeginRecording, {{MCI_RECORD, MCI_NOTIFY}}},
        {"stop", {}, &TMediaPlayer::Stop, {{MCI_STOP, MCI_WAIT}}},
        {"pause while playing",
         mode(MCI_MODE_PLAY),
         &TMediaPlayer::Pause,
         {{MCI_STATUS, kStatus}, {MCI_PAUSE, MCI_WAIT}}},
        {"pause while paused",
         mode(MCI_MODE_PAUSE),
         &TMediaPlayer::Pause,
         {{MCI_STATUS, kStatus}, {MCI_RESUME, MCI_NOTIFY}}},
        {"pause while stopped", {}, &TMediaPlayer::Pause, {{MCI_STATUS, kStatus}}},
        {"failed resume plays",
         [](FakeMci& d) { d.results[MCI_RESUME] = 274; },
         &TMediaPlayer::Resume,
         {{MCI_RESUME, MCI_NOTIFY},
          {MCI_STATUS, kStatus},
          {MCI_STATUS, kStatus},
          {MCI_PLAY, MCI_NOTIFY}}},
        {"seek", {}, [](TMediaPlayer& p) { p.SetPosition(300); }, {{MCI_SEEK, MCI_WAIT | MCI_TO}}},
        {"next",
         {},
         &TMediaPlayer::Next,
         {{MCI_STATUS, kStatus}, {MCI_SEEK, MCI_WAIT | MCI_SEEK_TO_END}}},
        {"previous",
         {},
         &TMediaPlayer::Previous,
         {{MCI_STATUS, kStatus}, {MCI_SEEK, MCI_WAIT | MCI_SEEK_TO_START}}},
        {"step, back, eject without the means",
         {},
         [](TMediaPlayer& p) { p.Step(), p.Back(), p.Eject(); },
         {}},
        {"step",
         video,
         &TMediaPlayer::Step,
         {{MCI_STATUS, kStatus}, {MCI_STATUS, kStatus}, {MCI_STEP, 0x20000 | MCI_WAIT}}},
        {"back", video, &TMediaPlayer::Back, {{MCI_STEP, 0x30000 | MCI_WAIT}}},
        {"eject", video, &TMediaPlayer::Eject, {{MCI_SET, MCI_SET_DOOR_OPEN | MCI_WAIT}}},
        {"track start",
         {},
         [](TMediaPlayer& p) { p.TrackStart(2); },
         {{MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK | MCI_WAIT}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        *mci = FakeMci{};
        if (c.script)
            c.script(*mci);
        OpenDevice();
        c.operation(*player);
        EXPECT_EQ(mci->Sent(), c.expected);
        for (const MciCall& call : mci->calls)
            EXPECT_EQ(call.device, 5u);
        player->Close();
    }
}

TEST_F(PlayerTest, ModeIsTheStatusMinusNotReadyAsOneByte) {
    OpenDevice();
    const std::pair<DWORD, int> cases[] = {{MCI_MODE_PAUSE, msPaused}, {0, (0 - 524) & 0xFF}};
    for (const auto& [status, mode] : cases) {
        mci->status[MCI_STATUS_MODE] = status;
        EXPECT_EQ(player->Mode(), mode);
    }
}

TEST_F(PlayerTest, OperationsThatNeedADeviceRaiseWithoutOne) {
    const Operation cases[] = {&TMediaPlayer::Play,
                               &TMediaPlayer::BeginRecording,
                               &TMediaPlayer::Stop,
                               &TMediaPlayer::Pause,
                               &TMediaPlayer::Resume,
                               &TMediaPlayer::Rewind,
                               &TMediaPlayer::Next,
                               &TMediaPlayer::Previous,
                               &TMediaPlayer::Step,
                               &TMediaPlayer::Eject,
                               [](TMediaPlayer& p) { p.SetPosition(0); },
                               [](TMediaPlayer& p) { p.Length(); }};
    for (const Operation& operation : cases) {
        try {
            operation(*player);
            ADD_FAILURE() << "no error";
        } catch (const EMCIDeviceError& e) {
            EXPECT_EQ(e.Text(), L"No MCI device open");
        }
    }
    EXPECT_TRUE(mci->calls.empty());
}

TEST_F(PlayerTest, NotifyArmingIsConsumedByExactlyTheNextCommand) {
    OpenDevice();
    player->SetNotify(true);
    player->SetPosition(0);
    player->SetPosition(0);
    player->SetNotify(false);
    player->Play();
    EXPECT_EQ(mci->Sent(), (Sent{{MCI_SEEK, MCI_NOTIFY | MCI_WAIT | MCI_TO},
                                 {MCI_SEEK, MCI_WAIT | MCI_TO},
                                 {MCI_STATUS, kStatus},
                                 {MCI_STATUS, kStatus},
                                 {MCI_PLAY, 0}}));

    player->Close();
    mci->calls.clear();
    player->SetNotify(true);
    player->Close(); // no device: sends nothing, the arming waits for Open
    player->Open();
    ASSERT_FALSE(mci->calls.empty());
    EXPECT_EQ(mci->calls[0].flags, DWORD_PTR(MCI_NOTIFY | MCI_WAIT | MCI_OPEN_ELEMENT));
}

TEST_F(PlayerTest, OpenSendsTypeElementAndShareableFlags) {
    const struct {
        TMPDeviceTypes type;
        bool shareable;
        DWORD_PTR flags;
        const wchar_t* opened;
        bool trackFormat;
    } cases[] = {
        {dtAutoSelect, false, MCI_WAIT | MCI_OPEN_ELEMENT, L"|a.wav", false},
        {dtAutoSelect, true, MCI_WAIT | MCI_OPEN_ELEMENT | MCI_OPEN_SHAREABLE, L"|a.wav", false},
        {dtWaveAudio, false, MCI_WAIT | MCI_OPEN_TYPE, L"WaveAudio|a.wav", false},
        {dtCDAudio, false, MCI_WAIT | MCI_OPEN_TYPE, L"CDAudio|a.wav", true},
        {dtVideodisc, true, MCI_WAIT | MCI_OPEN_TYPE | MCI_OPEN_SHAREABLE, L"Videodisc|a.wav",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.opened);
        player->SetDeviceType(c.type);
        player->SetShareable(c.shareable);
        player->SetFileName(L"a.wav");
        mci->opened.clear();
        mci->keptLoaded.clear();
        player->Open();
        mci->calls.clear();
        player->Close();
        player->Open(); // closes first, then opens the same way
        ASSERT_GE(mci->calls.size(), 2u);
        EXPECT_EQ(mci->calls[1].command, UINT(MCI_OPEN));
        EXPECT_EQ(mci->calls[1].flags, c.flags);
        EXPECT_EQ(mci->opened, (std::vector<std::wstring>{c.opened, c.opened}));
        const auto sent = mci->Sent();
        EXPECT_EQ(std::count(sent.begin(), sent.end(),
                             std::pair<UINT, DWORD_PTR>(MCI_SET, MCI_SET_TIME_FORMAT | MCI_NOTIFY)),
                  c.trackFormat);
        EXPECT_TRUE(player->DeviceOpen());
        EXPECT_EQ(mci->keptLoaded, (std::vector<MCIDEVICEID>{5, 5})); // the opened device's
    }
}

TEST_F(PlayerTest, OpenFailureRaisesTheSystemTextOrUnknownErrorCode) {
    const std::pair<std::map<MCIERROR, std::wstring>, std::wstring> cases[] = {
        {{{275, L"Cannot find the file."}}, L"Cannot find the file."}, {{}, L"Unknown error code"}};
    for (const auto& [texts, expected] : cases) {
        OpenDevice();
        mci->results[MCI_OPEN] = 275;
        mci->errorTexts = texts;
        mci->keptLoaded.clear();
        try {
            player->Open();
            ADD_FAILURE() << "opened";
        } catch (const EMCIDeviceError& e) {
            EXPECT_EQ(e.Text(), expected);
        }
        EXPECT_FALSE(player->DeviceOpen());
        EXPECT_EQ(player->LastError(), 275u);
        EXPECT_EQ(mci->Sent(),
                  (Sent{{MCI_CLOSE, MCI_WAIT}, {MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT}}));
        EXPECT_TRUE(mci->keptLoaded.empty()); // no device, no driver to keep
        mci->results.clear();
    }
}

TEST_F(PlayerTest, CloseKeepsAFailingDeviceAndDestructionClosesWithWaitOnly) {
    OpenDevice();
    mci->results[MCI_CLOSE] = 263;
    EXPECT_NO_THROW(player->Close());
    EXPECT_TRUE(player->DeviceOpen());
    player->Open(); // the failed close leaves an id behind; the open still goes to device 0
    ASSERT_EQ(mci->calls.size() >= 3 ? mci->calls[2].command : 0u, UINT(MCI_OPEN));
    EXPECT_EQ(mci->calls[2].device, 0u);
    mci->results.clear();
    mci->calls.clear();
    player.reset();
    EXPECT_EQ(mci->Sent(), (Sent{{MCI_CLOSE, MCI_WAIT}}));
}

TEST_F(PlayerTest, ButtonsFollowCapabilitiesPressesAndNotifications) {
    const struct {
        const char* name;
        std::map<DWORD, DWORD> caps;
        DWORD mode;
        TButtonSet expected;
    } atOpen[] = {
        {"plays", {{MCI_GETDEVCAPS_CAN_PLAY, 1}}, MCI_MODE_STOP, {btPlay, btNext, btPrev}},
        {"records, steps, ejects",
         {{MCI_GETDEVCAPS_CAN_RECORD, 1},
          {MCI_GETDEVCAPS_CAN_EJECT, 1},
          {MCI_GETDEVCAPS_DEVICE_TYPE, MCI_DEVTYPE_VCR}},
         MCI_MODE_STOP,
         {btRecord, btNext, btPrev, btStep, btBack, btEject}},
        {"already playing",
         {{MCI_GETDEVCAPS_CAN_PLAY, 1}},
         MCI_MODE_PLAY,
         {btPause, btStop, btNext, btPrev}},
    };
    for (const auto& c : atOpen) {
        mci->caps = c.caps;
        mci->status[MCI_STATUS_MODE] = c.mode;
        OpenDevice();
        EXPECT_EQ(player->AutoEnabledButtons(), c.expected) << c.name;
    }
    *mci = FakeMci{};
    OpenDevice();
    mci->results[MCI_PLAY] = 266; // a failed command leaves the buttons
    ClickAt(7);
    EXPECT_EQ(player->AutoEnabledButtons(), (TButtonSet{btPlay, btNext, btPrev}));
    mci->results.clear();
    ClickAt(7);
    EXPECT_EQ(player->AutoEnabledButtons(), (TButtonSet{btPause, btStop, btNext, btPrev}));
    mci->status[MCI_STATUS_MODE] = MCI_MODE_PLAY;
    Notify(MCI_NOTIFY_SUPERSEDED);
    EXPECT_EQ(player->AutoEnabledButtons(), (TButtonSet{btPause, btStop, btNext, btPrev}));
    mci->status[MCI_STATUS_MODE] = MCI_MODE_STOP;
    Notify(MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(player->AutoEnabledButtons(), (TButtonSet{btPlay, btNext, btPrev}));
    player->Close();
    EXPECT_TRUE(player->AutoEnabledButtons().Empty());
}

TEST_F(PlayerTest, EveryNotificationRaisesOnNotifyAndRecordsItsResult) {
    int raised = 0;
    player->OnNotify = [&] { ++raised; };
    const std::pair<WPARAM, TMPNotifyResult> cases[] = {
        {MCI_NOTIFY_SUPERSEDED, nrSuperseded},
        {MCI_NOTIFY_ABORTED, nrAborted},
        {MCI_NOTIFY_FAILURE, nrFailure},
        {MCI_NOTIFY_SUCCESSFUL, nrSuccessful},
        {0x40, nrSuccessful}}; // an unknown code leaves it
    for (const auto& [code, result] : cases) {
        Notify(code);
        EXPECT_EQ(player->LastNotifyResult(), result) << code;
    }
    EXPECT_EQ(raised, 5);
}

TEST_F(PlayerTest, NextAndPreviousGoByTracksInTrackFormat) {
    mci->status = {{MCI_STATUS_TIME_FORMAT, MCI_FORMAT_TMSF}, {MCI_STATUS_NUMBER_OF_TRACKS, 3}};
    mci->trackStarts = {{1, 0x000001}, {2, 0x050302}, {3, 0x100803}};
    const struct {
        DWORD position;
        Operation operation;
        DWORD target;
    } cases[] = {
        {0x200001, &TMediaPlayer::Next, 0x050302},
        {0x200003, &TMediaPlayer::Next, 0x100803},
        {0x090302, &TMediaPlayer::Previous, 0x050302},
        {0x050302, &TMediaPlayer::Previous, 0x000001},
        {0x000001, &TMediaPlayer::Previous, 0x000001},
    };
    for (const auto& c : cases) {
        for (DWORD mode : {MCI_MODE_STOP, MCI_MODE_PLAY}) { // seeks there, or plays from there
            mci->status[MCI_STATUS_POSITION] = c.position;
            mci->status[MCI_STATUS_MODE] = mode;
            OpenDevice();
            c.operation(*player);
            EXPECT_EQ(mci->calls.back().command, UINT(mode == MCI_MODE_PLAY ? MCI_PLAY : MCI_SEEK));
            EXPECT_EQ(mci->targets, std::vector<DWORD>{c.target}) << std::hex << c.position;
        }
    }
}

} // namespace
} // namespace voice::test
