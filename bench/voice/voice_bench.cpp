// voice_bench [RUNS [LINES]]: start-up to the first painted window against an empty Win32 window,
// and filling the recordings list with 100,000 lines against a bare LB_ADDSTRING loop.
// Absolute times on shared machines vary; the ratios are what to compare. Start-up runs in
// pairs, the empty window right before the program's, and reports the median of the pairs'
// ratios: a burst of load on the machine then touches both sides of one ratio.

#include "voice/frm_voice.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Median of runs; setup and teardown are outside the timing.
double Median(int runs, const std::function<void()>& setup, const std::function<void()>& timed,
              const std::function<void()>& teardown) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        setup();
        const auto start = Clock::now();
        timed();
        times.push_back(Milliseconds(Clock::now() - start));
        if (std::getenv("VOICE_BENCH_VERBOSE"))
            std::printf("  run %d: %.1f ms\n", i, times.back());
        teardown();
        Pump();
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void ShowPainted(HWND hwnd) {
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// Hidden before destruction: a shown window's destruction waits for a window manager.
void HideAndDestroy(HWND hwnd) {
    ::ShowWindow(hwnd, SW_HIDE);
    ::DestroyWindow(hwnd);
}

HWND EmptyWindow() {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = L"VoiceBenchEmpty";
        return ::RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    return ::CreateWindowExW(0, L"VoiceBenchEmpty", L"empty", WS_OVERLAPPEDWINDOW, 79, 102, 781,
                             554, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

// The empty window with `children` plain static texts in it: what that many child windows
// cost to create and paint here, whatever they are.
HWND WindowWithPlainChildren(int children) {
    HWND hwnd = EmptyWindow();
    for (int i = 0; i < children; ++i)
        ::CreateWindowExW(0, L"STATIC", L"Text", WS_CHILD | WS_VISIBLE, 4 + i % 8 * 90,
                          4 + i / 8 * 24, 86, 20, hwnd, nullptr, ::GetModuleHandleW(nullptr),
                          nullptr);
    return hwnd;
}

int CountChildren(HWND hwnd) {
    int count = 0;
    ::EnumChildWindows(
        hwnd, [](HWND, LPARAM counter) { return ++*reinterpret_cast<int*>(counter), TRUE; },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

std::vector<std::wstring> ListLines(int count) {
    std::vector<std::wstring> lines;
    lines.reserve(static_cast<size_t>(count));
    wchar_t text[160];
    for (int i = 0; i < count; ++i) {
        swprintf(text, 160,
                 L"%d  %02d.03.10 %02d:%02d:%02d  %02d.03.10 %02d:%02d:%02d  %-38d"
                 L"C:\\REC%d\\A3F\\A3F93015.%d",
                 i % 8 + 1, i % 28 + 1, i % 24, i % 60, i % 59, i % 28 + 1, i % 24, i % 60,
                 i % 59 + 1, 1000 + i, i % 8 + 1, i % 8 + 1);
        lines.emplace_back(text);
    }
    return lines;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring startDir =
        std::wstring(temp) + L"voice-bench-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(startDir.c_str(), nullptr);
    ::SetCurrentDirectoryW(startDir.c_str());

    // Start-up: construction (controls, bindings, FormCreate) to the first complete paint.
    std::unique_ptr<voice::TFrmVoice> form = std::make_unique<voice::TFrmVoice>();
    const int children = CountChildren(form->Handle());
    form.reset();
    std::vector<double> emptyMs, plainMs, voiceMs, createMs, paintMs, ratios;
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        HWND empty = EmptyWindow();
        ShowPainted(empty);
        emptyMs.push_back(Milliseconds(Clock::now() - start));
        HideAndDestroy(empty);
        Pump();

        start = Clock::now();
        HWND plain = WindowWithPlainChildren(children);
        ShowPainted(plain);
        plainMs.push_back(Milliseconds(Clock::now() - start));
        HideAndDestroy(plain);
        Pump();

        start = Clock::now();
        form = std::make_unique<voice::TFrmVoice>();
        const auto created = Clock::now();
        ShowPainted(form->Handle());
        voiceMs.push_back(Milliseconds(Clock::now() - start));
        createMs.push_back(Milliseconds(created - start));
        paintMs.push_back(voiceMs.back() - createMs.back());
        ratios.push_back(voiceMs.back() / emptyMs.back());
        if (std::getenv("VOICE_BENCH_VERBOSE"))
            std::printf("  pair %d: Voice %.1f ms (created in %.1f)   empty %.1f ms   "
                        "plain children %.1f ms\n",
                        i, voiceMs.back(), createMs.back(), emptyMs.back(), plainMs.back());
        ::ShowWindow(form->Handle(), SW_HIDE);
        form.reset();
        Pump();
    }
    std::printf("start-up to first paint:  Voice %8.1f ms (created in %.1f, painted in %.1f)   "
                "empty window %6.1f ms   ratio %6.2f (median of %d pairs)\n",
                Median(voiceMs), Median(createMs), Median(paintMs), Median(emptyMs), Median(ratios),
                runs);
    std::printf("  for scale: the empty window with %d plain child windows, as many as Voice has: "
                "%.1f ms\n",
                children, Median(plainMs));

    // Filling 100,000 lines into the shown list, against the bare loop into a plain list box
    // (drawing suspended in both, as any sensible bulk fill does).
    const int kLines = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100000;
    const std::vector<std::wstring> lines = ListLines(kLines);
    form = std::make_unique<voice::TFrmVoice>();
    ShowPainted(form->Handle());
    HWND plain = ::CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 0, 0,
                                   460, 352, form->Handle(), nullptr, nullptr, nullptr);
    const int fillRuns = std::max(1, runs / 2);
    const double bareMs = Median(
        fillRuns, [&] { ::SendMessageW(plain, LB_RESETCONTENT, 0, 0); },
        [&] {
            ::SendMessageW(plain, WM_SETREDRAW, FALSE, 0);
            for (const std::wstring& line : lines)
                ::SendMessageW(plain, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
            ::SendMessageW(plain, WM_SETREDRAW, TRUE, 0);
            ::UpdateWindow(plain);
        },
        [] {});
    ::DestroyWindow(plain);
    const double fillMs = Median(
        fillRuns, [&] { form->LBListFiles.Clear(); },
        [&] {
            form->LBListFiles.SetLines(lines);
            ::UpdateWindow(form->LBListFiles.Handle());
        },
        [] {});
    std::printf(
        "fill %d lines:        LBListFiles %8.1f ms   bare LB_ADDSTRING %5.1f ms   ratio %6.2f\n",
        kLines, fillMs, bareMs, fillMs / bareMs);
    ::ShowWindow(form->Handle(), SW_HIDE);
    form.reset();

    ::SetCurrentDirectoryW(temp);
    ::DeleteFileW((startDir + L"\\BegDir.Ini").c_str());
    ::RemoveDirectoryW(startDir.c_str());
    return 0;
}
