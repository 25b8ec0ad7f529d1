// soak_driver VOICE_EXE WORK_DIR CYCLES
//
// Starts the real program again and again in a start directory of its own, lists a small
// archive, plays a sequence and closes the window at a chosen moment: while the first
// recording converts, while one plays, while one is paused, when the sequence has
// stopped, and right after an advance. Each run must end within 10 s of the close, with
// exit code 0, no crash dump and no playback file left behind. Prints one line per cycle
// and a summary; exits non-zero on any crash, hang, file left or cycle that could not be
// driven.

#include "platform/crash_report.h"
#include "soak_archive.h"

#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace voice::soak {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr UINT kMessageTimeoutMs = 30'000;
constexpr DWORD kCloseLimitMs = 10'000;

// Lines of the list, in start order (see Recordings()).
constexpr int kLongConversion = 0;
constexpr int kTwoSecondsA = 1;
constexpr int kTwoSecondsB = 2;
constexpr int kFirstShort = 3;
constexpr int kLastShort = 14;

std::vector<ArchiveRecording> Recordings() {
    std::vector<ArchiveRecording> planned{
        {RecordingKind::Inverted, 240.0}, // about 1.9 MB: a conversion that takes a while
        {RecordingKind::Wav, 2.0},
        {RecordingKind::SwappedRuns, 2.0},
    };
    for (int i = 0; i < 8; ++i)
        planned.push_back({static_cast<RecordingKind>(i % 6 + 1), 0.2});
    planned.push_back({RecordingKind::Undecodable, 0.2}); // the sequence stops on it
    planned.push_back({RecordingKind::HeaderlessPcm, 0.0});
    planned.push_back({RecordingKind::PlainRuns, 0.2});
    planned.push_back({RecordingKind::InvertedRuns, 0.2});
    return planned;
}

enum class Moment { Converting, Playing, Paused, Stopped, AfterAdvance };
constexpr const char* kMomentNames[] = {"converting", "playing", "paused", "stopped",
                                        "after-advance"};

LRESULT Send(HWND hwnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_NORMAL, kMessageTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

std::wstring TextOf(HWND hwnd) {
    wchar_t text[256]{};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(hwnd, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                          kMessageTimeoutMs, &ignored);
    return text;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64]{};
    ::GetClassNameW(hwnd, name, 64);
    return name;
}

// The program's window and the controls the driver works, found by class and caption.
struct VoiceWindow {
    HWND form = nullptr;
    HWND list = nullptr, trackBar = nullptr, fileName = nullptr, player = nullptr;
    std::map<std::wstring, HWND> buttons; // by caption

    HWND Button(const wchar_t* caption) const {
        auto found = buttons.find(caption);
        return found == buttons.end() ? nullptr : found->second;
    }
    bool Complete() const {
        return list && trackBar && fileName && player && Button(L"Start") &&
               Button(L"Выбрать все") && Button(L"Сформировать список") &&
               Button(L"Автозапуск");
    }
};

HWND FindForm(DWORD processId) {
    struct Search {
        DWORD processId;
        HWND found;
    } search{processId, nullptr};
    ::EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lp);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            if (owner == s.processId && ClassOf(hwnd) == L"VoiceForm" && ::IsWindowVisible(hwnd)) {
                s.found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

VoiceWindow ReadControls(HWND form) {
    VoiceWindow w;
    w.form = form;
    std::vector<HWND> children;
    ::EnumChildWindows(
        form,
        [](HWND hwnd, LPARAM lp) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        const std::wstring cls = ClassOf(child);
        if (cls == L"Button")
            w.buttons[TextOf(child)] = child;
        else if (cls == L"ListBox" &&
                 (::GetWindowLongW(child, GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL)))
            w.list = child; // the recordings, not the directory list
        else if (cls == L"msctls_trackbar32")
            w.trackBar = child;
        else if (cls == L"VoiceMediaPlayer")
            w.player = child;
    }
    // The name of the loaded recording is the static text beside the position bar.
    for (HWND child : children)
        if (w.trackBar && ClassOf(child) == L"Static" && ::GetParent(child) == ::GetParent(w.trackBar))
            w.fileName = child;
    return w;
}

// Polls until done() holds or the limit passes.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > end)
            return false;
        ::Sleep(5);
    }
    return true;
}

class Random {
public:
    explicit Random(unsigned seed) : state_(seed * 2654435761u + 1) {}
    unsigned Below(unsigned n) {
        state_ = state_ * 1103515245u + 12345u;
        return (state_ >> 16) % n;
    }

private:
    unsigned state_;
};

struct CycleResult {
    bool driven = false; // every step before the close worked
    std::string failure;
    bool closed = false; // the process ended within the limit
    double closeMs = 0;
    DWORD exitCode = 0;
    bool dumped = false;
    bool fileLeft = false;
};

size_t CountDumps(const fs::path& crashDir) {
    std::error_code ec;
    size_t n = 0;
    for (auto it = fs::directory_iterator(crashDir, ec); !ec && it != fs::directory_iterator();
         it.increment(ec))
        ++n;
    return n;
}

class Cycle {
public:
    Cycle(const VoiceWindow& w, Random& random) : w_(w), random_(random) {}

    // Brings the program to the moment; false (with the reason) when it cannot.
    bool Reach(Moment moment, bool autostart, std::string& failure) {
        Send(w_.Button(L"Выбрать все"), BM_CLICK);
        Send(w_.Button(L"Сформировать список"), BM_CLICK);
        if (Send(w_.list, LB_GETCOUNT) != kLastShort + 1)
            return Fail(failure, "the search listed " + std::to_string(Send(w_.list, LB_GETCOUNT)) +
                                     " lines");
        if ((Send(w_.Button(L"Автозапуск"), BM_GETCHECK) == BST_CHECKED) != autostart)
            Send(w_.Button(L"Автозапуск"), BM_CLICK);

        switch (moment) {
        case Moment::Converting:
            Select(kLongConversion, kTwoSecondsA);
            // Posted: the close arrives while the click's conversion is running.
            ::PostMessageW(w_.Button(L"Start"), BM_CLICK, 0, 0);
            ::Sleep(random_.Below(40));
            return true;
        case Moment::Playing:
            Select(kTwoSecondsA, kLastShort);
            Send(w_.Button(L"Start"), BM_CLICK);
            if (!WaitFor([&] { return Send(w_.trackBar, TBM_GETPOS) > 0; }, Limit()))
                return Fail(failure, "the recording did not play");
            ::Sleep(random_.Below(700));
            return true;
        case Moment::Paused: {
            Select(kTwoSecondsA, kTwoSecondsB);
            Send(w_.Button(L"Start"), BM_CLICK);
            if (!WaitFor([&] { return Send(w_.trackBar, TBM_GETPOS) > 0; }, Limit()))
                return Fail(failure, "the recording did not play");
            PressPlayerButton(1); // Pause, the second button
            ::Sleep(100);
            const LRESULT before = Send(w_.trackBar, TBM_GETPOS);
            ::Sleep(500); // longer than one step of the device's position
            if (Send(w_.trackBar, TBM_GETPOS) != before)
                return Fail(failure, "the recording did not pause");
            ::Sleep(random_.Below(300));
            return true;
        }
        case Moment::Stopped: {
            // Autostart: the last recording ended and the player closed. Without: the
            // next one is loaded and waits for Play.
            Select(kFirstShort, autostart ? kFirstShort : kFirstShort + 1);
            Send(w_.Button(L"Start"), BM_CLICK);
            const std::wstring first = TextOf(w_.fileName);
            const bool reached = WaitFor(
                [&] {
                    const std::wstring now = TextOf(w_.fileName);
                    return autostart ? now.empty() : !now.empty() && now != first;
                },
                Limit());
            return reached || Fail(failure, "the sequence did not stop");
        }
        case Moment::AfterAdvance: {
            Select(kFirstShort, kLastShort);
            Send(w_.Button(L"Start"), BM_CLICK);
            const int advances = autostart ? 1 + static_cast<int>(random_.Below(5)) : 1;
            std::wstring shown = TextOf(w_.fileName);
            for (int n = 0; n < advances; ++n) {
                const bool advanced = WaitFor(
                    [&] {
                        const std::wstring now = TextOf(w_.fileName);
                        if (now == shown)
                            return false;
                        shown = now;
                        return true;
                    },
                    Limit());
                if (!advanced)
                    return Fail(failure, "the sequence did not advance");
            }
            return true;
        }
        }
        return false;
    }

private:
    static std::chrono::milliseconds Limit() { return std::chrono::seconds(60); }
    static bool Fail(std::string& failure, const std::string& why) {
        failure = why;
        return false;
    }
    void Select(int first, int last) {
        Send(w_.list, LB_SETSEL, FALSE, -1);
        for (int i = first; i <= last; ++i)
            Send(w_.list, LB_SETSEL, TRUE, i);
    }
    void PressPlayerButton(int index) {
        RECT r{};
        ::GetClientRect(w_.player, &r);
        const int x = (r.right / 8) * index + r.right / 16; // eight visible buttons
        ::PostMessageW(w_.player, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, r.bottom / 2));
        ::PostMessageW(w_.player, WM_LBUTTONUP, 0, MAKELPARAM(x, r.bottom / 2));
    }

    const VoiceWindow& w_;
    Random& random_;
};

CycleResult RunCycle(const fs::path& voiceExe, const fs::path& startDir, const fs::path& crashDir,
                     Moment moment, bool autostart, Random& random) {
    CycleResult result;
    const fs::path playbackFile = startDir / L"$$$.Wav";
    std::error_code ignored;
    fs::remove(playbackFile, ignored);
    const size_t dumpsBefore = CountDumps(crashDir);

    std::wstring commandLine = L"\"" + voiceExe.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ::SetEnvironmentVariableW(L"LOCALAPPDATA", crashDir.parent_path().parent_path().c_str());
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          startDir.c_str(), &startup, &process)) {
        result.failure = "cannot start the program";
        return result;
    }
    HWND form = nullptr;
    WaitFor(
        [&] {
            form = FindForm(process.dwProcessId);
            return form != nullptr ||
                   ::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
        },
        std::chrono::seconds(60));
    const VoiceWindow window = form ? ReadControls(form) : VoiceWindow{};
    if (!window.Complete())
        result.failure = "the window or one of its controls was not found";
    else
        result.driven = Cycle(window, random).Reach(moment, autostart, result.failure);

    const auto closing = Clock::now();
    if (form)
        ::PostMessageW(form, WM_CLOSE, 0, 0);
    result.closed = ::WaitForSingleObject(process.hProcess, kCloseLimitMs) == WAIT_OBJECT_0;
    result.closeMs = std::chrono::duration<double, std::milli>(Clock::now() - closing).count();
    if (!result.closed) {
        ::TerminateProcess(process.hProcess, 1);
        ::WaitForSingleObject(process.hProcess, kCloseLimitMs);
    }
    ::GetExitCodeProcess(process.hProcess, &result.exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);

    result.dumped = CountDumps(crashDir) > dumpsBefore;
    result.fileLeft = fs::exists(playbackFile);
    fs::remove(playbackFile, ignored);
    return result;
}

int Run(const fs::path& voiceExe, const fs::path& work, int cycles) {
    const fs::path startDir = work / L"start";
    const fs::path archive = work / L"archive";
    const fs::path crashDir = work / L"appdata" / L"Voice" / L"crashes";
    fs::create_directories(startDir);
    fs::create_directories(crashDir);
    fs::remove_all(archive);
    MakeArchive(archive, Recordings());
    WriteChannelTable(startDir, archive);

    int crashes = 0, hangs = 0, left = 0, undriven = 0;
    std::vector<double> closeTimes;
    for (int c = 0; c < cycles; ++c) {
        const auto moment = static_cast<Moment>(c % 5);
        const bool autostart = (c / 5) % 2 == 0;
        Random random(static_cast<unsigned>(c));
        const CycleResult r = RunCycle(voiceExe, startDir, crashDir, moment, autostart, random);
        const bool crashed = r.dumped || (r.closed && r.exitCode != 0);
        crashes += crashed;
        hangs += !r.closed;
        left += r.fileLeft;
        undriven += !r.driven;
        if (r.closed)
            closeTimes.push_back(r.closeMs);
        std::printf("cycle %d %s autostart=%s close=%.0fms exit=%lu%s%s%s%s%s\n", c + 1,
                    kMomentNames[static_cast<int>(moment)], autostart ? "on" : "off", r.closeMs,
                    r.exitCode, crashed ? " CRASH" : "", r.closed ? "" : " HANG",
                    r.fileLeft ? " FILE-LEFT" : "", r.driven ? "" : " not-driven: ",
                    r.failure.c_str());
        std::fflush(stdout);
    }
    std::sort(closeTimes.begin(), closeTimes.end());
    std::printf("cycles %d\ncrashes %d\nhangs %d\nfiles left %d\nnot driven %d\n", cycles, crashes,
                hangs, left, undriven);
    if (!closeTimes.empty())
        std::printf("close ms min %.0f median %.0f max %.0f\n", closeTimes.front(),
                    closeTimes[closeTimes.size() / 2], closeTimes.back());
    return crashes || hangs || left || undriven ? 1 : 0;
}

} // namespace
} // namespace voice::soak

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: soak_driver VOICE_EXE WORK_DIR CYCLES\n");
        return 2;
    }
    voice::InstallCrashReport();
    try {
        return voice::soak::Run(argv[1], argv[2], _wtoi(argv[3]));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "soak_driver: %s\n", e.what());
        return 2;
    }
}
