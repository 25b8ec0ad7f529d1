#include "playback/media_player.h"

#include <utility>

namespace voice {
namespace {

constexpr int kModeNotReady = 524; // MCI_MODE_NOT_READY
constexpr DWORD kStatusFlags = MCI_STATUS_ITEM | MCI_WAIT;
constexpr DWORD kTrackFormat = 10; // MCI_FORMAT_TMSF
constexpr DWORD kStepFrames = 0x20000;
constexpr DWORD kStepReverse = 0x10000;
constexpr DWORD kWhereSource = 0x20000;
constexpr DWORD kWhereDestination = 0x40000;
constexpr DWORD kWindowHandle = 0x10000;

const wchar_t* DeviceTypeName(TMPDeviceTypes type) {
    static constexpr const wchar_t* kNames[] = {
        L"",        L"AVIVideo", L"CDAudio",   L"DAT", L"DigitalVideo", L"MMMovie",  L"Other",
        L"Overlay", L"Scanner",  L"Sequencer", L"VCR", L"Videodisc",    L"WaveAudio"};
    return kNames[type];
}

bool TypeCanStep(DWORD type) {
    return type == MCI_DEVTYPE_VCR || type == MCI_DEVTYPE_OVERLAY ||
           type == MCI_DEVTYPE_ANIMATION || type == MCI_DEVTYPE_DIGITAL_VIDEO;
}

// Track-format positions pack track, minutes, seconds and frames into one byte each.
int TrackOf(std::int32_t tmsf) {
    return tmsf & 0xFF;
}
int MinuteOf(std::int32_t tmsf) {
    return (tmsf >> 8) & 0xFF;
}
int SecondOf(std::int32_t tmsf) {
    return (tmsf >> 16) & 0xFF;
}

} // namespace

TMediaPlayer::TMediaPlayer() : TMediaPlayer(MakeWinmmPort()) {}

TMediaPlayer::TMediaPlayer(std::unique_ptr<MciPort> port) : port_(std::move(port)) {}

TMediaPlayer::~TMediaPlayer() {
    // No callback: the window may be gone already, and nobody listens any more.
    if (deviceId_ != 0) {
        MCI_GENERIC_PARMS p{};
        SendQuietly(deviceId_, MCI_CLOSE, MCI_WAIT, &p);
    }
}

DWORD_PTR TMediaPlayer::Callback() const {
    return reinterpret_cast<DWORD_PTR>(Handle());
}

void TMediaPlayer::SetNotify(bool notify) {
    notify_ = notify;
    notifyArmed_ = true;
}

void TMediaPlayer::SetWait(bool wait) {
    wait_ = wait;
    waitArmed_ = true;
}

DWORD TMediaPlayer::OneShotFlags() {
    DWORD flags = 0;
    if (!waitArmed_ || wait_)
        flags |= MCI_WAIT;
    if (notifyArmed_ && notify_)
        flags |= MCI_NOTIFY;
    notifyArmed_ = waitArmed_ = false;
    return flags;
}

DWORD TMediaPlayer::PlayFlags() {
    DWORD flags = 0;
    if (!notifyArmed_ || notify_)
        flags |= MCI_NOTIFY;
    if (waitArmed_ && wait_)
        flags |= MCI_WAIT;
    notifyArmed_ = waitArmed_ = false;
    return flags;
}

MCIERROR TMediaPlayer::SendQuietly(MCIDEVICEID device, UINT command, DWORD_PTR flags,
                                   void* params) {
    return port_->SendCommand(device, command, flags, reinterpret_cast<DWORD_PTR>(params));
}

MCIERROR TMediaPlayer::Send(UINT command, DWORD_PTR flags, void* params) {
    lastError_ = SendQuietly(deviceId_, command, flags, params);
    return lastError_;
}

void TMediaPlayer::CheckDeviceOpen() const {
    if (!deviceOpen_)
        throw EMCIDeviceError(kNoDeviceOpenText);
}

std::wstring TMediaPlayer::ErrorText() const {
    std::wstring text;
    if (!port_->ErrorString(lastError_, text))
        text = L"Unknown error code";
    return text;
}

void TMediaPlayer::Open() {
    Close();
    DWORD flags = OneShotFlags();
    flags |= deviceType_ == dtAutoSelect ? MCI_OPEN_ELEMENT : MCI_OPEN_TYPE;
    if (shareable_)
        flags |= MCI_OPEN_SHAREABLE;
    MCI_OPEN_PARMSW p{};
    p.dwCallback = Callback();
    p.lpstrDeviceType = DeviceTypeName(deviceType_);
    p.lpstrElementName = fileName_.c_str();
    // Always to device 0: a device whose close failed is still in deviceId_.
    lastError_ = SendQuietly(0, MCI_OPEN, flags, &p);
    if (lastError_ != 0)
        throw EMCIDeviceError(ErrorText());

    deviceOpen_ = true;
    deviceId_ = p.wDeviceID;
    port_->KeepDriverLoaded(deviceId_);
    stepFrames_ = Length() / 10;

    canPlay_ = DeviceCapability(MCI_GETDEVCAPS_CAN_PLAY) != 0;
    canRecord_ = DeviceCapability(MCI_GETDEVCAPS_CAN_RECORD) != 0;
    canEject_ = DeviceCapability(MCI_GETDEVCAPS_CAN_EJECT) != 0;
    hasVideo_ = DeviceCapability(MCI_GETDEVCAPS_HAS_VIDEO) != 0;
    canStep_ = TypeCanStep(DeviceCapability(MCI_GETDEVCAPS_DEVICE_TYPE));

    // MCI rectangles carry the extent in right and bottom.
    MCI_ANIM_RECT_PARMS where{};
    where.dwCallback = Callback();
    Send(MCI_WHERE, kWhereSource, &where);
    displaySize_ = {where.rc.right, where.rc.bottom};
    if (hasVideo_) {
        if (display_)
            SetDisplay(display_);
        MCI_ANIM_RECT_PARMS destination{};
        destination.dwCallback = Callback();
        Send(MCI_WHERE, kWhereDestination, &destination);
        displaySize_ = {destination.rc.right, destination.rc.bottom};
    }

    if (deviceType_ == dtCDAudio || deviceType_ == dtVideodisc) {
        MCI_SET_PARMS set{};
        set.dwCallback = Callback();
        set.dwTimeFormat = kTrackFormat;
        Send(MCI_SET, MCI_SET_TIME_FORMAT | MCI_NOTIFY, &set);
    }

    autoEnabledButtons_ = AutoEnabledAtOpen(canPlay_, canRecord_, canEject_, canStep_);
    if (Mode() == msPlaying)
        ApplyTransition(btPlay);
    CopyAutoEnabledToButtons();
}

void TMediaPlayer::Close() {
    if (deviceId_ == 0)
        return;
    MCI_GENERIC_PARMS p{};
    p.dwCallback = Callback();
    if (Send(MCI_CLOSE, OneShotFlags(), &p) != 0)
        return;
    deviceOpen_ = false;
    deviceId_ = 0;
    autoEnabledButtons_ = {};
    CopyAutoEnabledToButtons();
}

void TMediaPlayer::StartPlayOrRecord(UINT command) {
    MCI_PLAY_PARMS p{}; // same layout as MCI_RECORD_PARMS
    p.dwCallback = Callback();
    DWORD flags = PlayFlags();
    if (playFromArmed_) {
        flags |= MCI_FROM;
        p.dwFrom = static_cast<DWORD>(playFrom_);
        playFromArmed_ = false;
    }
    Send(command, flags, &p);
}

void TMediaPlayer::Play() {
    CheckDeviceOpen();
    // A one-shot end position is never armed, so only the start position counts.
    if (autoRewind_ && !playFromArmed_ && Position() == Length())
        Rewind();
    StartPlayOrRecord(MCI_PLAY);
}

void TMediaPlayer::BeginRecording() {
    CheckDeviceOpen();
    StartPlayOrRecord(MCI_RECORD);
}

void TMediaPlayer::Stop() {
    CheckDeviceOpen();
    MCI_GENERIC_PARMS p{};
    p.dwCallback = Callback();
    Send(MCI_STOP, OneShotFlags(), &p);
}

void TMediaPlayer::Pause() {
    CheckDeviceOpen();
    switch (Mode()) {
    case msPlaying:
        PauseDevice();
        break;
    case msPaused:
        Resume();
        break;
    default:
        break;
    }
}

void TMediaPlayer::PauseDevice() {
    CheckDeviceOpen();
    MCI_GENERIC_PARMS p{};
    p.dwCallback = Callback();
    Send(MCI_PAUSE, OneShotFlags(), &p);
}

void TMediaPlayer::Resume() {
    CheckDeviceOpen();
    DWORD flags = 0;
    if (!notifyArmed_ || notify_)
        flags |= MCI_NOTIFY;
    if (waitArmed_ && wait_)
        flags |= MCI_WAIT;
    MCI_GENERIC_PARMS p{};
    p.dwCallback = Callback();
    if (Send(MCI_RESUME, flags, &p) != 0) {
        Play();
        return;
    }
    notifyArmed_ = waitArmed_ = false;
}

void TMediaPlayer::Rewind() {
    CheckDeviceOpen();
    MCI_SEEK_PARMS p{};
    p.dwCallback = Callback();
    SendQuietly(deviceId_, MCI_SEEK, MCI_SEEK_TO_START | MCI_WAIT, &p);
}

void TMediaPlayer::SeekTo(std::int32_t position) {
    MCI_SEEK_PARMS p{};
    p.dwCallback = Callback();
    p.dwTo = static_cast<DWORD>(position);
    Send(MCI_SEEK, OneShotFlags() | MCI_TO, &p);
}

void TMediaPlayer::SetPosition(std::int32_t position) {
    CheckDeviceOpen();
    SeekTo(position);
}

std::int32_t TMediaPlayer::NextTrackStart() {
    const int track = TrackOf(Position());
    return TrackStart(track < TrackCount() ? track + 1 : track);
}

std::int32_t TMediaPlayer::PreviousTrackStart() {
    const std::int32_t position = Position();
    const int track = TrackOf(position);
    const std::int32_t start = TrackStart(track);
    if (track >= 2 && MinuteOf(position) == MinuteOf(start) &&
        SecondOf(position) == SecondOf(start))
        return TrackStart(track - 1);
    return start;
}

void TMediaPlayer::Next() {
    MoveTrack(MCI_SEEK_TO_END, &TMediaPlayer::NextTrackStart);
}

void TMediaPlayer::Previous() {
    MoveTrack(MCI_SEEK_TO_START, &TMediaPlayer::PreviousTrackStart);
}

// Next and Previous: outside the track format a seek to the medium's end or start; in it,
// the target track's start, played from there while playing.
void TMediaPlayer::MoveTrack(DWORD seekEdge, std::int32_t (TMediaPlayer::*trackStart)()) {
    CheckDeviceOpen();
    if (TimeFormat() != static_cast<std::int32_t>(kTrackFormat)) {
        MCI_SEEK_PARMS p{};
        p.dwCallback = Callback();
        Send(MCI_SEEK, OneShotFlags() | seekEdge, &p);
        return;
    }
    const std::int32_t target = (this->*trackStart)();
    if (Mode() == msPlaying) {
        playFrom_ = target;
        playFromArmed_ = true;
        Play();
        transitionButton_ = btPlay;
    } else {
        SeekTo(target);
    }
}

void TMediaPlayer::Step() {
    CheckDeviceOpen();
    if (!hasVideo_)
        return;
    if (autoRewind_ && Position() == Length())
        Rewind();
    MCI_ANIM_STEP_PARMS p{};
    p.dwCallback = Callback();
    p.dwFrames = static_cast<DWORD>(stepFrames_);
    Send(MCI_STEP, OneShotFlags() | kStepFrames, &p);
}

void TMediaPlayer::Back() {
    CheckDeviceOpen();
    if (!hasVideo_)
        return;
    MCI_ANIM_STEP_PARMS p{};
    p.dwCallback = Callback();
    p.dwFrames = static_cast<DWORD>(stepFrames_);
    Send(MCI_STEP, OneShotFlags() | kStepFrames | kStepReverse, &p);
}

void TMediaPlayer::Eject() {
    CheckDeviceOpen();
    if (!canEject_)
        return;
    MCI_SET_PARMS p{};
    p.dwCallback = Callback();
    Send(MCI_SET, OneShotFlags() | MCI_SET_DOOR_OPEN, &p);
}

DWORD TMediaPlayer::StatusItem(DWORD item) {
    MCI_STATUS_PARMS p{};
    p.dwCallback = Callback();
    p.dwItem = item;
    Send(MCI_STATUS, kStatusFlags, &p);
    return static_cast<DWORD>(p.dwReturn);
}

DWORD TMediaPlayer::DeviceCapability(DWORD item) {
    MCI_GETDEVCAPS_PARMS p{};
    p.dwCallback = Callback();
    p.dwItem = item;
    Send(MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM | MCI_WAIT, &p);
    return p.dwReturn;
}

std::int32_t TMediaPlayer::Position() {
    return static_cast<std::int32_t>(StatusItem(MCI_STATUS_POSITION));
}

std::int32_t TMediaPlayer::Length() {
    CheckDeviceOpen();
    return static_cast<std::int32_t>(StatusItem(MCI_STATUS_LENGTH));
}

TMPState TMediaPlayer::Mode() {
    return static_cast<TMPState>(
        static_cast<std::uint8_t>(StatusItem(MCI_STATUS_MODE) - kModeNotReady));
}

std::int32_t TMediaPlayer::TrackCount() {
    CheckDeviceOpen();
    return static_cast<std::int32_t>(StatusItem(MCI_STATUS_NUMBER_OF_TRACKS));
}

std::int32_t TMediaPlayer::TimeFormat() {
    CheckDeviceOpen();
    return static_cast<std::int32_t>(StatusItem(MCI_STATUS_TIME_FORMAT));
}

std::int32_t TMediaPlayer::TrackStart(std::int32_t track) {
    MCI_STATUS_PARMS p{};
    p.dwCallback = Callback();
    p.dwItem = MCI_STATUS_POSITION;
    p.dwTrack = static_cast<DWORD>(track);
    SendQuietly(deviceId_, MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK | MCI_WAIT, &p);
    return static_cast<std::int32_t>(p.dwReturn);
}

void TMediaPlayer::SetDisplay(HWND display) {
    if (deviceOpen_ && hasVideo_) {
        MCI_ANIM_WINDOW_PARMSW p{};
        p.dwCallback = Callback();
        p.hWnd = display;
        if (Send(MCI_WINDOW, kWindowHandle | MCI_WAIT, &p) != 0)
            display = nullptr;
    }
    display_ = display;
}

void TMediaPlayer::OnDisplayDestroyed() {
    if (deviceOpen_ && hasVideo_) {
        MCI_ANIM_WINDOW_PARMSW p{};
        p.dwCallback = Callback();
        Send(MCI_WINDOW, kWindowHandle | MCI_WAIT, &p);
    }
    display_ = nullptr;
}

void TMediaPlayer::ApplyTransition(TMPBtnType after) {
    autoEnabledButtons_ = AutoEnabledAfter(autoEnabledButtons_, after, canPlay_, canRecord_);
}

void TMediaPlayer::CopyAutoEnabledToButtons() {
    buttonsAutoEnabled_ = autoEnabledButtons_;
    Repaint();
}

void TMediaPlayer::SetAutoEnable(bool autoEnable) {
    autoEnable_ = autoEnable;
    if (autoEnable)
        buttonsAutoEnabled_ = autoEnabledButtons_;
    Repaint();
}

void TMediaPlayer::OnMciNotify(WPARAM result) {
    if (autoEnable_ && Mode() == msStopped) {
        ApplyTransition(btStop);
        CopyAutoEnabledToButtons();
    }
    switch (result) {
    case MCI_NOTIFY_SUCCESSFUL:
        lastNotifyResult_ = nrSuccessful;
        break;
    case MCI_NOTIFY_SUPERSEDED:
        lastNotifyResult_ = nrSuperseded;
        break;
    case MCI_NOTIFY_ABORTED:
        lastNotifyResult_ = nrAborted;
        break;
    case MCI_NOTIFY_FAILURE:
        lastNotifyResult_ = nrFailure;
        break;
    default:
        break;
    }
    if (OnNotify)
        OnNotify();
}

} // namespace voice
