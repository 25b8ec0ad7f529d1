#pragma once
// The media player's enumerations and its button set. Portable: no <windows.h>.

#include <cstdint>
#include <initializer_list>

namespace voice {

// Button kinds, in the order of the buttons from left to right.
enum TMPBtnType : std::uint8_t {
    btPlay,
    btPause,
    btStop,
    btNext,
    btPrev,
    btStep,
    btBack,
    btRecord,
    btEject
};
inline constexpr int kButtonCount = 9;

enum TMPDeviceTypes : std::uint8_t {
    dtAutoSelect,
    dtAVIVideo,
    dtCDAudio,
    dtDAT,
    dtDigitalVideo,
    dtMMMovie,
    dtOther,
    dtOverlay,
    dtScanner,
    dtSequencer,
    dtVCR,
    dtVideodisc,
    dtWaveAudio
};

// The device's mode: MCI's mode status minus MCI_MODE_NOT_READY, kept as one byte, so a
// failed query can yield values outside the named ones.
enum TMPState : std::uint8_t {
    msNotReady,
    msStopped,
    msPlaying,
    msRecording,
    msSeeking,
    msPaused,
    msOpen
};

enum TMPNotifyResult : std::uint8_t { nrSuccessful, nrSuperseded, nrAborted, nrFailure };

class TButtonSet {
public:
    constexpr TButtonSet() = default;
    constexpr TButtonSet(std::initializer_list<TMPBtnType> buttons) {
        for (TMPBtnType b : buttons)
            bits_ |= Bit(b);
    }
    static constexpr TButtonSet All() { return FromBits(0x1FF); }
    static constexpr TButtonSet FromBits(std::uint16_t bits) {
        TButtonSet s;
        s.bits_ = bits & 0x1FF;
        return s;
    }

    constexpr bool Contains(TMPBtnType b) const { return (bits_ & Bit(b)) != 0; }
    constexpr TButtonSet& Include(TMPBtnType b) {
        bits_ |= Bit(b);
        return *this;
    }
    constexpr TButtonSet& Exclude(TMPBtnType b) {
        bits_ &= static_cast<std::uint16_t>(~Bit(b));
        return *this;
    }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr int Count() const {
        int n = 0;
        for (std::uint16_t v = bits_; v; v &= static_cast<std::uint16_t>(v - 1))
            ++n;
        return n;
    }
    constexpr std::uint16_t Bits() const { return bits_; }
    friend constexpr bool operator==(TButtonSet, TButtonSet) = default;

private:
    static constexpr std::uint16_t Bit(TMPBtnType b) { return static_cast<std::uint16_t>(1u << b); }
    std::uint16_t bits_ = 0;
};

// The automatic enabling rules: the buttons that make sense after a button has acted (or,
// for btStop, after a notification that found the device stopped).
TButtonSet AutoEnabledAfter(TButtonSet current, TMPBtnType after, bool canPlay, bool canRecord);

// The buttons enabled right after a device opened.
TButtonSet AutoEnabledAtOpen(bool canPlay, bool canRecord, bool canEject, bool canStep);

} // namespace voice
