// The window as it looks: the designed faces (or their metric-compatible stand-ins) are
// the ones drawn, every caption fits its control, and the program carries its icon and
// version.

#include "gui/font.h"
#include "platform/text.h"
#include "version.h"
#include "window_driver.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace voice::testing_support {
namespace {

std::wstring WindowText(HWND hwnd) {
    wchar_t text[256] = {};
    ::GetWindowTextW(hwnd, text, 256);
    return text;
}

// What a control's font resolves to on this system.
struct DrawnFont {
    std::wstring face;
    bool fixedPitch = false;
};

DrawnFont FontOf(HWND hwnd) {
    HDC dc = ::GetDC(hwnd);
    HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    wchar_t face[LF_FACESIZE] = {};
    ::GetTextFaceW(dc, LF_FACESIZE, face);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(hwnd, dc);
    // The flag's name is the opposite of its meaning: set for a variable pitch.
    return {face, (metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0};
}

int TextWidth(HWND hwnd, const std::wstring& text) {
    HDC dc = ::GetDC(hwnd);
    HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(hwnd, dc);
    return size.cx;
}

int ClientWidth(HWND hwnd) {
    RECT client{};
    ::GetClientRect(hwnd, &client);
    return client.right - client.left;
}

class LookTest : public ::testing::Test {
protected:
    TempDirectory start;
    WindowDriver window{start.Path()};
    UINT dpi = window.Form().Dpi();
};

TEST_F(LookTest, ControlsDrawWithTheDesignedFacesOrTheirMetricTwins) {
    const std::set<std::wstring> courier{L"Courier New", L"Liberation Mono"};
    const std::set<std::wstring> times{L"Times New Roman", L"Liberation Serif"};
    const std::set<std::wstring> arial{L"Arial", L"Liberation Sans"};
    const std::set<std::wstring> serif{L"MS Serif", L"Liberation Serif"};
    const std::set<std::wstring> sansSerif{L"MS Sans Serif"};
    const struct {
        const wchar_t* control;
        const std::set<std::wstring>& faces;
        bool fixedPitch;
    } cases[] = {
        {L"LBListFiles", courier, true},     {L"Panel3", courier, true},
        {L"RGSort", times, false},           {L"BtnCaseAll", arial, false},
        {L"BitBtn1", arial, false},          {L"GroupBox2", serif, false},
        {L"ChBxAutoStart", serif, false},    {L"BtnFormList", serif, false},
        {L"GrBxChannals", sansSerif, false}, {L"DriveComboBox1", sansSerif, false},
        {L"Label1", sansSerif, false},
    };
    for (const auto& c : cases) {
        const DrawnFont font = FontOf(window.Control(c.control));
        EXPECT_TRUE(c.faces.count(font.face))
            << WideToUtf8(c.control) << " draws with " << WideToUtf8(font.face);
        if (c.fixedPitch)
            EXPECT_TRUE(font.fixedPitch) << WideToUtf8(c.control);
    }
}

TEST_F(LookTest, EveryCaptionFitsItsControl) {
    // Room a control takes beside its text: a check mark or radio dot and its gap, a push
    // button's edges, a bitmap button's glyph too.
    const int mark = ::GetSystemMetrics(SM_CXMENUCHECK) + gui::Scale(4, dpi);
    const int edges = gui::Scale(6, dpi);
    const int glyph = gui::Scale(18 + 4, dpi) + edges;
    std::vector<std::pair<HWND, int>> cases = {
        {window.Control(L"ChBxAutoStart"), mark}, {window.Control(L"BtnFormList"), edges},
        {window.Control(L"BtnClearList"), edges}, {window.Control(L"BtnCaseAll"), edges},
        {window.Control(L"BtnCleareAll"), edges}, {window.Control(L"BtnOnOff0"), edges},
        {window.Control(L"BitBtnStart"), glyph},  {window.Control(L"BitBtn1"), glyph},
        {window.Control(L"Panel3"), 0},           {window.Control(L"Label2"), 0},
    };
    for (int i = 0; i < window.Form().RGSort.ItemCount(); ++i)
        cases.emplace_back(window.Form().RGSort.ItemHandle(i), mark);
    for (const auto& [control, room] : cases) {
        const std::wstring caption = WindowText(control);
        ASSERT_FALSE(caption.empty());
        EXPECT_LE(TextWidth(control, caption) + room, ClientWidth(control)) << WideToUtf8(caption);
    }
}

TEST_F(LookTest, TheCaptionButtonsHaveTheirSymbolFont) {
    FontHandle marlett(
        ::CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, SYMBOL_CHARSET, 0, 0, 0, 0, L"Marlett"));
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, marlett.Get());
    wchar_t face[LF_FACESIZE] = {};
    ::GetTextFaceW(dc, LF_FACESIZE, face);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    EXPECT_STREQ(face, L"Marlett");
}

TEST_F(LookTest, TheWindowShowsTheProgramsIconBigAndSmall) {
    HWND form = window.Form().Handle();
    const struct {
        int classIndex;
        WPARAM caption;
        int width;
    } cases[] = {{GCLP_HICON, ICON_BIG, ::GetSystemMetrics(SM_CXICON)},
                 {GCLP_HICONSM, ICON_SMALL, ::GetSystemMetrics(SM_CXSMICON)}};
    for (const auto& c : cases) {
        HICON icon = reinterpret_cast<HICON>(::GetClassLongPtrW(form, c.classIndex));
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(form, WM_GETICON, c.caption, 0)), icon);
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(icon, &info));
        BITMAP mask{};
        ::GetObjectW(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(mask.bmWidth, c.width);
        ::DeleteObject(info.hbmMask);
        ::DeleteObject(info.hbmColor);
    }
}

TEST(VersionTest, TheExecutableNamesItselfAndItsVersion) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    std::vector<BYTE> data(::GetFileVersionInfoSizeW(path, &ignored));
    ASSERT_FALSE(data.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(path, 0, static_cast<DWORD>(data.size()), data.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\StringFileInfo\\041904B0\\FileDescription",
                                 &value, &length));
    EXPECT_STREQ(static_cast<const wchar_t*>(value), L"Воспроизведение записей");
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\StringFileInfo\\041904B0\\ProductVersion", &value,
                                 &length));
    EXPECT_EQ(WideToUtf8(static_cast<const wchar_t*>(value)), VOICE_VERSION_TEXT);
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\", &value, &length));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    const WORD numbers[] = {VOICE_VERSION_NUMBERS};
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(numbers[1], numbers[0])));
    EXPECT_EQ(fixed->dwProductVersionLS, static_cast<DWORD>(MAKELONG(numbers[3], numbers[2])));
}

} // namespace
} // namespace voice::testing_support
