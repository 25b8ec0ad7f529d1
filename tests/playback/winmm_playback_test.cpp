// The media player on the real winmm: a one-second WAV plays to its end and notifies.

#include "playback/media_player.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <vector>

namespace voice::test {
namespace {

namespace fs = std::filesystem;

void WriteWav(const fs::path& path, int samples) {
    std::vector<unsigned char> bytes;
    auto put32 = [&](unsigned v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<unsigned char>(v >> (8 * i)));
    };
    auto put16 = [&](unsigned v) {
        bytes.push_back(static_cast<unsigned char>(v));
        bytes.push_back(static_cast<unsigned char>(v >> 8));
    };
    auto tag = [&](const char* t) { bytes.insert(bytes.end(), t, t + 4); };
    tag("RIFF");
    put32(36 + samples);
    tag("WAVE");
    tag("fmt ");
    put32(16);
    put16(1);
    put16(1);
    put32(7860);
    put32(7860);
    put16(1);
    put16(8);
    tag("data");
    put32(samples);
    for (int i = 0; i < samples; ++i)
        bytes.push_back(static_cast<unsigned char>(128 + (i % 40 < 20 ? 30 : -30)));
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// Pumps messages until done() holds or the timeout passes.
template <typename Done> bool PumpUntil(Done done, std::chrono::seconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return true;
}

class WinmmTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() / ("voice_player_" + std::to_string(::GetCurrentProcessId()));
        fs::create_directories(dir_);
        parent_ = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr,
                                    nullptr, nullptr, nullptr);
        player_.Create(parent_, 1, 0, 0, 225, 30);
    }
    void TearDown() override {
        player_.Close();
        ::DestroyWindow(parent_);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    fs::path dir_;
    HWND parent_ = nullptr;
    TMediaPlayer player_;
};

TEST_F(WinmmTest, OneSecondPlaysToItsEndAndNotifiesSuccess) {
    const fs::path wav = dir_ / L"one second.wav";
    WriteWav(wav, 7860);
    player_.SetFileName(wav.wstring());
    player_.Open();
    ASSERT_TRUE(player_.DeviceOpen());
    EXPECT_TRUE(player_.CanPlay());
    TButtonSet atOpen{btPlay, btNext, btPrev};
    if (player_.CanRecord())
        atOpen.Include(btRecord);
    EXPECT_EQ(player_.AutoEnabledButtons(), atOpen);
    const std::int32_t length = player_.Length();
    EXPECT_GT(length, 900); // milliseconds
    EXPECT_LT(length, 1100);

    int notifications = 0;
    player_.OnNotify = [&] { ++notifications; };
    player_.HandleLButtonDown(MK_LBUTTON, MAKELPARAM(7, 7));
    player_.HandleLButtonUp(0, MAKELPARAM(7, 7));
    EXPECT_EQ(player_.LastError(), 0u);
    EXPECT_EQ(player_.AutoEnabledButtons(), (TButtonSet{btPause, btStop, btNext, btPrev}));

    ASSERT_TRUE(PumpUntil([&] { return notifications > 0; }, std::chrono::seconds(60)));
    EXPECT_EQ(player_.LastNotifyResult(), nrSuccessful);
    EXPECT_EQ(player_.Mode(), msStopped);
    EXPECT_EQ(player_.Position(), player_.Length());
    EXPECT_EQ(player_.AutoEnabledButtons(), atOpen);
}

TEST_F(WinmmTest, AMissingFileFailsToOpenWithTheSystemText) {
    player_.SetFileName((dir_ / L"missing.wav").wstring());
    try {
        player_.Open();
        ADD_FAILURE() << "opened";
    } catch (const EMCIDeviceError& e) {
        EXPECT_FALSE(e.Text().empty());
        EXPECT_EQ(e.Text(), player_.ErrorText());
    }
    EXPECT_FALSE(player_.DeviceOpen());
    EXPECT_NE(player_.LastError(), 0u);
}

} // namespace
} // namespace voice::test
