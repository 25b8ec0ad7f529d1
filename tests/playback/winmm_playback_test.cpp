// The media player on the real winmm: a one-second WAV plays to its end and notifies.

#include "playback/media_player.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace voice::test {
namespace {

namespace fs = std::filesystem;

void WriteOneSecondWav(const fs::path& path) {
    const unsigned samples = 7860;
    std::string bytes = "RIFF....WAVEfmt ";
    const unsigned header[] = {16, 1 | 1 << 16, 7860, 7860, 1 | 8 << 16};
    bytes.append(reinterpret_cast<const char*>(header), sizeof(header));
    bytes += "data";
    bytes.append(reinterpret_cast<const char*>(&samples), 4);
    for (unsigned i = 0; i < samples; ++i)
        bytes += static_cast<char>(i % 40 < 20 ? 98 : 158);
    const unsigned riffSize = static_cast<unsigned>(bytes.size() - 8);
    bytes.replace(4, 4, reinterpret_cast<const char*>(&riffSize), 4);
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(Winmm, OneSecondPlaysToItsEndAndNotifiesSuccess) {
    const fs::path dir =
        fs::temp_directory_path() / ("voice_player_" + std::to_string(::GetCurrentProcessId()));
    fs::create_directories(dir);
    WriteOneSecondWav(dir / L"one second.wav");
    HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr,
                                    nullptr, nullptr, nullptr);
    {
        TMediaPlayer player;
        player.Create(parent, 1, 0, 0, 225, 30);
        player.SetFileName((dir / L"missing.wav").wstring());
        EXPECT_THROW(player.Open(), EMCIDeviceError);
        EXPECT_NE(player.ErrorText(), L"Unknown error code");

        player.SetFileName((dir / L"one second.wav").wstring());
        player.Open();
        ASSERT_TRUE(player.DeviceOpen());
        EXPECT_NEAR(player.Length(), 1000, 50); // milliseconds
        int notifications = 0;
        player.OnNotify = [&] { ++notifications; };
        player.HandleLButtonDown(MK_LBUTTON, MAKELPARAM(7, 7));
        player.HandleLButtonUp(0, MAKELPARAM(7, 7));
        EXPECT_EQ(player.LastError(), 0u);
        EXPECT_TRUE(player.AutoEnabledButtons().Contains(btStop));

        // Pump messages until the notification, generously: the machine is shared.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (notifications == 0 && std::chrono::steady_clock::now() < end) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageW(&msg);
        }
        ASSERT_EQ(notifications, 1);
        EXPECT_EQ(player.LastNotifyResult(), nrSuccessful);
        EXPECT_EQ(player.Mode(), msStopped);
        EXPECT_EQ(player.Position(), player.Length());
        EXPECT_TRUE(player.AutoEnabledButtons().Contains(btPlay));
        EXPECT_FALSE(player.AutoEnabledButtons().Contains(btStop));
    }
    ::DestroyWindow(parent);
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

// The wave driver plays on a thread of its own that is still in the driver's code after
// it posted the completion; a close from the notification handler must not unload it.
TEST(Winmm, TheDriverStaysLoadedAfterItsLastDeviceCloses) {
    const fs::path dir =
        fs::temp_directory_path() / ("voice_driver_" + std::to_string(::GetCurrentProcessId()));
    fs::create_directories(dir);
    WriteOneSecondWav(dir / L"a.wav");
    const auto driverLoaded = [] {
        HMODULE module = nullptr;
        return ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, L"mciwave.dll",
                                    &module) != FALSE;
    };
    {
        TMediaPlayer player;
        player.SetFileName((dir / L"a.wav").wstring());
        for (int round = 0; round < 2; ++round) {
            player.Open();
            ASSERT_TRUE(player.DeviceOpen());
            EXPECT_TRUE(driverLoaded()); // the device is the wave driver's
            player.Close();
            ASSERT_FALSE(player.DeviceOpen());
            EXPECT_TRUE(driverLoaded()) << "round " << round;
        }
    }
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

} // namespace
} // namespace voice::test
