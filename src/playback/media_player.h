#pragma once
// TMediaPlayer: a strip of push buttons it draws itself, wrapped around one MCI device.
// The device side (media_player.cpp) opens FileName, sends play, stop, seek and status
// commands, keeps the buttons that make sense in the device's state and turns
// completion notifications into OnNotify. The bar side (media_player_bar.cpp) lays out,
// paints and presses the buttons.
//
// Notify := v (SetNotify) and the wait arming are one-shot: the next command that
// computes its flags consumes them. Without arming, every command waits for the device
// except Play, BeginRecording and Resume, which return at once and notify.

#include "gui/window.h"
#include "platform/unique_handle.h"
#include "playback/mci_device_error.h"
#include "playback/mci_port.h"
#include "playback/mp_types.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace voice {

class TMediaPlayer : public gui::Window {
public:
    TMediaPlayer(); // on winmm
    explicit TMediaPlayer(std::unique_ptr<MciPort> port);
    ~TMediaPlayer() override;

    // Creates the control as a child window (physical pixels); it then fits its width and
    // height to its visible buttons.
    void Create(HWND parent, UINT id, int x, int y, int width = 240, int height = 30);
    bool Enabled() const { return ::IsWindowEnabled(Handle()) != FALSE; }
    void SetEnabled(bool enabled) { ::EnableWindow(Handle(), enabled ? TRUE : FALSE); }

    // Events. OnClick gets doDefault true; setting it false suppresses the button's action
    // and OnPostClick. OnNotify follows every completion notification.
    std::function<void(TMPBtnType button, bool& doDefault)> OnClick;
    std::function<void(TMPBtnType button)> OnPostClick;
    std::function<void()> OnNotify;

    // Properties.
    const std::wstring& FileName() const { return fileName_; }
    void SetFileName(std::wstring name) { fileName_ = std::move(name); }
    TMPDeviceTypes DeviceType() const { return deviceType_; }
    void SetDeviceType(TMPDeviceTypes type) { deviceType_ = type; }
    bool Shareable() const { return shareable_; }
    void SetShareable(bool shareable) { shareable_ = shareable; }
    bool AutoRewind() const { return autoRewind_; }
    void SetAutoRewind(bool autoRewind) { autoRewind_ = autoRewind; }
    bool AutoOpen() const { return autoOpen_; }
    // Takes effect at Create: the control then opens FileName by itself.
    void SetAutoOpen(bool autoOpen) { autoOpen_ = autoOpen; }
    bool AutoEnable() const { return autoEnable_; }
    void SetAutoEnable(bool autoEnable);
    TButtonSet EnabledButtons() const { return enabledButtons_; }
    void SetEnabledButtons(TButtonSet buttons);
    TButtonSet VisibleButtons() const { return visibleButtons_; }
    void SetVisibleButtons(TButtonSet buttons);
    TButtonSet ColoredButtons() const { return coloredButtons_; }
    void SetColoredButtons(TButtonSet buttons);
    // The window a device with video shows its picture in (nullptr: none).
    HWND Display() const { return display_; }
    void SetDisplay(HWND display);

    // Run-time state.
    MCIDEVICEID DeviceId() const { return deviceId_; }
    bool DeviceOpen() const { return deviceOpen_; }
    DWORD LastError() const { return lastError_; }
    TMPNotifyResult LastNotifyResult() const { return lastNotifyResult_; }
    std::int32_t StepFrames() const { return stepFrames_; }
    TButtonSet AutoEnabledButtons() const { return autoEnabledButtons_; }
    // Width and height of the device's picture (0 for a device without video).
    SIZE DisplaySize() const { return displaySize_; }
    bool CanPlay() const { return canPlay_; }
    bool CanRecord() const { return canRecord_; }
    bool CanEject() const { return canEject_; }
    bool HasVideo() const { return hasVideo_; }
    bool CanStep() const { return canStep_; }
    // The system's text for LastError, or "Unknown error code".
    std::wstring ErrorText() const;

    // Arms the notify (wait) flag for the next command only.
    void SetNotify(bool notify);
    // Whether Notify := true is armed for the next command.
    bool NotifyArmed() const { return notifyArmed_ && notify_; }
    void SetWait(bool wait);

    // Operations. Those that need a device raise EMCIDeviceError "No MCI device open"
    // without one; Open raises it with the system's text when the device fails to open.
    // Close never raises.
    void Open();
    void Close();
    void Play();
    void BeginRecording();
    void Stop();
    void Pause();
    void PauseDevice();
    void Resume();
    void Rewind();
    void Next();
    void Previous();
    void Step();
    void Back();
    void Eject();
    std::int32_t Position(); // no device check
    void SetPosition(std::int32_t position);
    std::int32_t Length();
    TMPState Mode(); // no device check
    std::int32_t TrackCount();
    std::int32_t TimeFormat();
    std::int32_t TrackStart(std::int32_t track);

    // Button bar.
    int ButtonWidth() const { return buttonWidth_; }
    SIZE MinimumButtonSize() const { return minimumButton_; }
    TMPBtnType FocusedButton() const { return focused_; }
    // The left-button handlers; callers may hand them a press directly (client point in
    // lp as in WM_LBUTTONDOWN / WM_LBUTTONUP); a release runs OnClick, the action and
    // OnPostClick before it returns.
    void HandleLButtonDown(WPARAM keys, LPARAM point);
    void HandleLButtonUp(WPARAM keys, LPARAM point);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    struct Glyphs {
        BitmapHandle enabled, disabled, colored;
        SIZE size{};
    };

    // Device side.
    DWORD_PTR Callback() const;
    DWORD OneShotFlags();
    DWORD PlayFlags();
    MCIERROR Send(UINT command, DWORD_PTR flags, void* params); // records LastError
    MCIERROR SendQuietly(MCIDEVICEID device, UINT command, DWORD_PTR flags, void* params);
    void CheckDeviceOpen() const;
    DWORD StatusItem(DWORD item);
    DWORD DeviceCapability(DWORD item);
    void SeekTo(std::int32_t position);
    void StartPlayOrRecord(UINT command);
    std::int32_t NextTrackStart();
    std::int32_t PreviousTrackStart();
    void MoveTrack(DWORD seekEdge, std::int32_t (TMediaPlayer::*trackStart)());
    void OnMciNotify(WPARAM result);
    void OnDisplayDestroyed();
    void ApplyTransition(TMPBtnType after);
    void CopyAutoEnabledToButtons();

    // Bar side.
    void LoadGlyphs();
    void Layout();
    void Paint(HDC dc);
    void PaintButton(HDC dc, TMPBtnType button, const RECT& r, bool sunken);
    HBITMAP GlyphFor(TMPBtnType button) const;
    bool ButtonEnabledForMouse(TMPBtnType button) const;
    RECT ButtonRect(TMPBtnType button) const;
    void Click(TMPBtnType button);
    void PerformAction(TMPBtnType button);
    void HandleMouseMove(LPARAM point);
    void HandleKeyDown(WPARAM key);
    void Repaint();

    std::unique_ptr<MciPort> port_;

    std::wstring fileName_;
    TMPDeviceTypes deviceType_ = dtAutoSelect;
    bool shareable_ = false;
    bool autoRewind_ = true;
    bool autoEnable_ = true;
    bool autoOpen_ = false;
    TButtonSet enabledButtons_ = TButtonSet::All();
    TButtonSet visibleButtons_ = TButtonSet::All();
    TButtonSet coloredButtons_ = TButtonSet::All();
    HWND display_ = nullptr;

    MCIDEVICEID deviceId_ = 0;
    bool deviceOpen_ = false;
    DWORD lastError_ = 0;
    TMPNotifyResult lastNotifyResult_ = nrSuccessful;
    bool notify_ = false, notifyArmed_ = false;
    bool wait_ = false, waitArmed_ = false;
    bool playFromArmed_ = false;
    std::int32_t playFrom_ = 0;
    std::int32_t stepFrames_ = 0;
    bool canPlay_ = false, canRecord_ = false, canEject_ = false, hasVideo_ = false,
         canStep_ = false;
    SIZE displaySize_{};
    TButtonSet autoEnabledButtons_;
    TButtonSet buttonsAutoEnabled_;        // the per-button copy the bar draws and presses by
    TMPBtnType transitionButton_ = btPlay; // Next/Previous while playing stand for Play

    std::array<Glyphs, kButtonCount> glyphs_;
    SIZE minimumButton_{};
    int buttonWidth_ = 0;
    TMPBtnType focused_ = btPlay;
    bool held_ = false, inside_ = false;
    TMPBtnType pressed_ = btPlay;
    RECT pressedRect_{};
};

} // namespace voice
