// A long autostart sequence in the real window, on the real winmm, leaks nothing: the
// process's handles, window objects and private bytes are the same late in the sequence
// as early on. Recordings of every stored form, with undecodable, zero-length and
// vanished-since-the-search ones among them (the sequence waits for the user on those, and
// the test starts it again below, as the user would).
//
// VOICE_LEAK_RECORDINGS sets the length (default 60, as in the test run; 500 for the
// long measurement).

#include "soak_archive.h"
#include "voice/frm_voice.h"

#include <gtest/gtest.h>

#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

namespace voice::soak {
namespace {

namespace fs = std::filesystem;

// What the system reports, and, since Wine reports zero for most of it, our own counts:
// kernel handles by probing every handle value, GDI objects by asking GDI the type of every
// handle index (Wine takes an index without its upper word), windows by enumeration, and
// committed private memory by walking the address space.
struct Usage {
    DWORD handles = 0;
    DWORD gdiObjects = 0, userObjects = 0;
    double privateMb = 0;
    int probedHandles = 0;
    int probedGdiObjects = 0;
    int windows = 0;
    double committedPrivateMb = 0;
};

int CountWindows(HWND parent) {
    int n = 0;
    ::EnumChildWindows(
        parent,
        [](HWND, LPARAM count) -> BOOL {
            ++*reinterpret_cast<int*>(count);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&n));
    return n;
}

// Every top-level, child and message-only window of this thread.
int ThreadWindows() {
    int n = 0;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hwnd, LPARAM count) -> BOOL {
            *reinterpret_cast<int*>(count) += 1 + CountWindows(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&n));
    for (HWND w = ::FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
         w = ::FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr)) {
        if (::GetWindowThreadProcessId(w, nullptr) == ::GetCurrentThreadId())
            ++n;
    }
    return n;
}

int ProbeHandles() {
    int n = 0;
    for (ULONG_PTR value = 4; value < 0x40000; value += 4) {
        DWORD flags = 0;
        n += ::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != FALSE;
    }
    return n;
}

int ProbeGdiObjects() {
    int n = 0;
    for (ULONG_PTR index = 1; index < 0x10000; ++index)
        n += ::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0;
    return n;
}

double CommittedPrivateMb() {
    double bytes = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* at = nullptr;
         ::VirtualQuery(at, &region, sizeof(region)) == sizeof(region);
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            bytes += static_cast<double>(region.RegionSize);
    }
    return bytes / (1024.0 * 1024.0);
}

Usage Measure() {
    Usage u;
    const HANDLE self = ::GetCurrentProcess();
    ::GetProcessHandleCount(self, &u.handles);
    u.gdiObjects = ::GetGuiResources(self, GR_GDIOBJECTS);
    u.userObjects = ::GetGuiResources(self, GR_USEROBJECTS);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    ::GetProcessMemoryInfo(self, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                           sizeof(memory));
    u.privateMb = static_cast<double>(memory.PrivateUsage) / (1024.0 * 1024.0);
    u.probedHandles = ProbeHandles();
    u.probedGdiObjects = ProbeGdiObjects();
    u.windows = ThreadWindows();
    u.committedPrivateMb = CommittedPrivateMb();
    return u;
}

void Print(const char* when, int recording, const Usage& u) {
    std::printf("%-5s recording %3d: reported: handles %lu, GDI %lu, USER %lu, private %.2f MB; "
                "counted: handles %d, GDI objects %d, windows %d, committed private %.2f MB\n",
                when, recording, u.handles, u.gdiObjects, u.userObjects, u.privateMb,
                u.probedHandles, u.probedGdiObjects, u.windows, u.committedPrivateMb);
}

// Recording i of the archive: every stored form in turn, some empty, some deleted after
// the search.
ArchiveRecording RecordingOf(int i) {
    if (i % 25 == 12)
        return {RecordingKind::HeaderlessPcm, 0.0};
    return {static_cast<RecordingKind>(i % 7 + 1), 0.1};
}
bool Vanishes(int i) {
    return i % 40 == 33;
}
bool Plays(int i) {
    return RecordingOf(i).seconds > 0 && RecordingOf(i).kind != RecordingKind::Undecodable && !Vanishes(i);
}

// The first recording at or after i that loads: both measurements are taken with a
// recording loaded, so they compare like with like.
int PlayableFrom(int i) {
    while (!Plays(i))
        ++i;
    return i;
}

template <typename Done> bool PumpUntil(Done done, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return true;
}

// Our counts must see new objects of each kind, or a flat figure proves nothing.
TEST(SequenceLeak, TheCountsSeeNewObjects) {
    const Usage before = Measure();
    HANDLE events[4];
    for (HANDLE& event : events)
        event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr,
                                    nullptr, nullptr);
    std::vector<char> block(8 * 1024 * 1024, 1);
    const Usage during = Measure();
    ::DestroyWindow(window);
    ::DeleteObject(brush);
    for (HANDLE event : events)
        ::CloseHandle(event);
    // A thread of the system's may open or close one of its own meanwhile.
    EXPECT_NEAR(during.probedHandles, before.probedHandles + 4, 1);
    EXPECT_EQ(during.probedGdiObjects, before.probedGdiObjects + 1);
    EXPECT_EQ(during.windows, before.windows + 1);
    EXPECT_GE(during.committedPrivateMb, before.committedPrivateMb + 7.9);
}

TEST(SequenceLeak, ALongSequenceKeepsHandlesWindowsAndMemoryFlat) {
    const char* configured = std::getenv("VOICE_LEAK_RECORDINGS");
    const int count = configured ? std::atoi(configured) : 60;
    ASSERT_GE(count, 40);
    // Past the first recordings' one-time costs (driver, fonts, caches).
    const int early = PlayableFrom(count >= 500 ? 49 : count / 3);
    const int last = count - 1;
    ASSERT_TRUE(Plays(last));

    const fs::path work =
        fs::temp_directory_path() / (L"voice_leak_" + std::to_wstring(::GetCurrentProcessId()));
    fs::remove_all(work);
    fs::create_directories(work / L"start");
    std::vector<ArchiveRecording> planned;
    for (int i = 0; i < count; ++i)
        planned.push_back(RecordingOf(i));
    const std::vector<fs::path> paths = MakeArchive(work / L"archive", planned);
    WriteChannelTable(work / L"start", work / L"archive");
    const fs::path previousDir = fs::current_path();
    fs::current_path(work / L"start");

    std::optional<Usage> atEarly, atLast;
    int restarts = 0;
    {
        TFrmVoice form;
        form.Show();
        ::SendMessageW(form.ControlHandle(L"BtnCaseAll"), BM_CLICK, 0, 0);
        ::SendMessageW(form.ControlHandle(L"BtnFormList"), BM_CLICK, 0, 0);
        ASSERT_EQ(form.LBListFiles.Count(), count);
        for (int i = 0; i < count; ++i)
            if (Vanishes(i))
                fs::remove(paths[static_cast<size_t>(i)]);

        // Measured on the tick that finds the recording loaded.
        auto tick = form.Timer1.OnTimer;
        form.Timer1.OnTimer = [&] {
            tick();
            if (!form.MediaPlayer1.DeviceOpen())
                return;
            if (form.CurrentIndex == early && !atEarly)
                atEarly = Measure();
            if (form.CurrentIndex == last && !atLast)
                atLast = Measure();
        };
        ::SendMessageW(form.LBListFiles.Handle(), LB_SETSEL, TRUE, -1);
        form.ChBxAutoStart.SetChecked(true);
        ::SendMessageW(form.ControlHandle(L"BitBtnStart"), BM_CLICK, 0, 0);

        // The sequence waits for the user after a recording that does not load, and after
        // an empty one, which the wave device plays without ever notifying.
        const auto waiting = [&] {
            if (!form.MediaPlayer1.DeviceOpen())
                return !form.SequenceActive;
            return !form.PlayPending && form.MediaPlayer1.Length() == 0 &&
                   form.MediaPlayer1.Mode() == msStopped;
        };
        while (true) {
            ASSERT_TRUE(PumpUntil(waiting, std::chrono::seconds(120)))
                << "stuck at recording " << form.CurrentIndex + 1;
            if (form.CurrentIndex >= last)
                break;
            // Start again below it, as a user would.
            ::SendMessageW(form.LBListFiles.Handle(), LB_SELITEMRANGE, FALSE,
                           MAKELPARAM(0, form.CurrentIndex));
            ::SendMessageW(form.ControlHandle(L"BitBtnStart"), BM_CLICK, 0, 0);
            ++restarts;
        }
        form.Close();
    }
    fs::current_path(previousDir);
    std::error_code ignored;
    fs::remove_all(work, ignored);

    ASSERT_TRUE(atEarly && atLast);
    Print("early", early + 1, *atEarly);
    Print("last", last + 1, *atLast);
    std::printf("restarts after recordings that do not load: %d\n", restarts);
    const auto within = [](double a, double b, double limit) { return std::abs(a - b) <= limit; };
    EXPECT_TRUE(within(atEarly->handles, atLast->handles, 5));
    EXPECT_TRUE(within(atEarly->gdiObjects, atLast->gdiObjects, 5));
    EXPECT_TRUE(within(atEarly->userObjects, atLast->userObjects, 5));
    EXPECT_TRUE(within(atEarly->privateMb, atLast->privateMb, 2.0));
    EXPECT_TRUE(within(atEarly->probedHandles, atLast->probedHandles, 5));
    EXPECT_TRUE(within(atEarly->probedGdiObjects, atLast->probedGdiObjects, 5));
    EXPECT_EQ(atEarly->windows, atLast->windows);
    EXPECT_TRUE(within(atEarly->committedPrivateMb, atLast->committedPrivateMb, 2.0));
}

} // namespace
} // namespace voice::soak
