// The button bar of TMediaPlayer: glyphs, layout, painting, mouse and keyboard.

#include "playback/bar_layout.h"
#include "playback/media_player.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>

namespace voice {
namespace {

constexpr wchar_t kClassName[] = L"VoiceMediaPlayer";
constexpr COLORREF kGlyphTransparent = RGB(0x80, 0x80, 0x00);
constexpr const wchar_t* kKindNames[kButtonCount] = {L"MPPLAY", L"MPPAUSE",  L"MPSTOP",
                                                     L"MPNEXT", L"MPPREV",   L"MPSTEP",
                                                     L"MPBACK", L"MPRECORD", L"MPEJECT"};

BitmapHandle LoadGlyph(const wchar_t* state, const wchar_t* kind) {
    wchar_t name[32];
    std::swprintf(name, 32, L"%ls_%ls", state, kind);
    return BitmapHandle(static_cast<HBITMAP>(
        ::LoadImageW(::GetModuleHandleW(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(info), &info))
        return {};
    return {info.bmWidth, info.bmHeight};
}

void Line(HDC dc, int x0, int y0, int x1, int y1) {
    ::MoveToEx(dc, x0, y0, nullptr);
    ::LineTo(dc, x1, y1);
}

} // namespace

void TMediaPlayer::Create(HWND parent, UINT id, int x, int y, int width, int height) {
    LoadGlyphs();
    CreateWindowObject(kClassName, CS_DBLCLKS, nullptr, 0,
                       WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, L"", x, y, width,
                       height, parent, id);
    if (!Handle())
        throw AppError(L"Cannot create the media player");
    Layout();
    if (autoOpen_)
        Open();
}

void TMediaPlayer::LoadGlyphs() {
    SIZE widest{};
    for (int i = 0; i < kButtonCount; ++i) {
        Glyphs& g = glyphs_[i];
        g.enabled = LoadGlyph(L"EN", kKindNames[i]);
        g.disabled = LoadGlyph(L"DI", kKindNames[i]);
        g.colored = LoadGlyph(L"CL", kKindNames[i]);
        g.size = BitmapSize(g.enabled.Get());
        widest.cx = std::max(widest.cx, g.size.cx);
        widest.cy = std::max(widest.cy, g.size.cy);
    }
    minimumButton_ = {widest.cx + 8, widest.cy + 4};
}

void TMediaPlayer::Layout() {
    if (!Handle())
        return;
    RECT r{};
    ::GetWindowRect(Handle(), &r);
    const BarSize current{r.right - r.left, r.bottom - r.top};
    buttonWidth_ = ButtonWidthFor(current.width, visibleButtons_);
    const BarSize fitted =
        FittedBarSize(current, visibleButtons_,
                      {static_cast<int>(minimumButton_.cx), static_cast<int>(minimumButton_.cy)});
    if (fitted != current) // the resulting WM_SIZE lays out again
        ::SetWindowPos(Handle(), nullptr, 0, 0, fitted.width, fitted.height,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Repaint();
}

void TMediaPlayer::SetVisibleButtons(TButtonSet buttons) {
    visibleButtons_ = buttons;
    if (!Handle())
        return;
    RECT r{};
    ::GetWindowRect(Handle(), &r);
    const int n = LaidOutButtonCount(buttons);
    ::SetWindowPos(Handle(), nullptr, 0, 0, n * (buttonWidth_ - 1) + 1, r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
}

void TMediaPlayer::SetEnabledButtons(TButtonSet buttons) {
    enabledButtons_ = buttons;
    Repaint();
}

void TMediaPlayer::SetColoredButtons(TButtonSet buttons) {
    coloredButtons_ = buttons;
    Repaint();
}

void TMediaPlayer::Repaint() {
    if (Handle())
        ::InvalidateRect(Handle(), nullptr, FALSE);
}

RECT TMediaPlayer::ButtonRect(TMPBtnType button) const {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const int left = ButtonLeft(button, visibleButtons_, buttonWidth_);
    return {left, 0, left + buttonWidth_, client.bottom};
}

HBITMAP TMediaPlayer::GlyphFor(TMPBtnType button) const {
    const Glyphs& g = glyphs_[button];
    if (!::IsWindowEnabled(Handle()))
        return g.disabled.Get();
    const bool enabled =
        autoEnable_ ? buttonsAutoEnabled_.Contains(button) : enabledButtons_.Contains(button);
    if (!enabled)
        return g.disabled.Get();
    return coloredButtons_.Contains(button) ? g.colored.Get() : g.enabled.Get();
}

void TMediaPlayer::PaintButton(HDC dc, TMPBtnType button, const RECT& r, bool sunken) {
    ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
    ::FrameRect(dc, &r, ::GetSysColorBrush(COLOR_WINDOWFRAME));

    PenHandle highlight(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNHIGHLIGHT)));
    PenHandle shadow(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW)));
    const int l = r.left + 1, t = r.top + 1, rr = r.right - 2, b = r.bottom - 2;
    if (sunken) {
        DcSelection pen(dc, shadow.Get());
        Line(dc, l, b, l, t);
        Line(dc, l, t, rr + 1, t);
    } else {
        {
            DcSelection pen(dc, highlight.Get());
            Line(dc, l, b, l, t);
            Line(dc, l, t, rr + 1, t);
        }
        DcSelection pen(dc, shadow.Get());
        Line(dc, l, b, rr, b);
        Line(dc, rr, b, rr, t - 1);
    }

    HBITMAP glyph = GlyphFor(button);
    const SIZE size = glyphs_[button].size;
    if (glyph && size.cx > 0) {
        const int offset = sunken ? 1 : 0;
        const int x = r.left + (r.right - r.left - size.cx) / 2 + offset;
        const int y = r.top + (r.bottom - r.top - size.cy) / 2 + offset;
        MemoryDc source(dc);
        DcSelection selected(source.Get(), glyph);
        ::TransparentBlt(dc, x, y, size.cx, size.cy, source.Get(), 0, 0, size.cx, size.cy,
                         kGlyphTransparent);
    }
    if (button == focused_ && ::GetFocus() == Handle()) {
        RECT focus = r;
        ::InflateRect(&focus, -3, -3);
        ::DrawFocusRect(dc, &focus);
    }
}

void TMediaPlayer::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    ::FrameRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOWFRAME));
    for (int i = 0; i < kButtonCount; ++i) {
        const auto button = static_cast<TMPBtnType>(i);
        if (!visibleButtons_.Contains(button))
            continue;
        PaintButton(dc, button, ButtonRect(button), held_ && inside_ && pressed_ == button);
    }
}

bool TMediaPlayer::ButtonEnabledForMouse(TMPBtnType button) const {
    return autoEnable_ ? buttonsAutoEnabled_.Contains(button) : enabledButtons_.Contains(button);
}

void TMediaPlayer::HandleLButtonDown(WPARAM, LPARAM point) {
    const BarHit hit = HitButton(GET_X_LPARAM(point), visibleButtons_, buttonWidth_);
    if (!hit.hit || !ButtonEnabledForMouse(hit.button))
        return;
    pressed_ = hit.button;
    if (focused_ != hit.button) {
        focused_ = hit.button;
        Repaint();
    }
    RECT client{};
    ::GetClientRect(Handle(), &client);
    pressedRect_ = {hit.left, 0, hit.left + buttonWidth_, client.bottom};
    held_ = inside_ = true;
    ::InvalidateRect(Handle(), &pressedRect_, FALSE);
    ::SetCapture(Handle());
}

void TMediaPlayer::HandleMouseMove(LPARAM point) {
    if (!held_)
        return;
    const POINT p{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
    const bool nowInside = ::PtInRect(&pressedRect_, p) != FALSE;
    if (nowInside != inside_) {
        inside_ = nowInside;
        ::InvalidateRect(Handle(), &pressedRect_, FALSE);
    }
}

void TMediaPlayer::HandleLButtonUp(WPARAM, LPARAM) {
    ::ReleaseCapture();
    struct ReleaseHold {
        bool& held;
        ~ReleaseHold() { held = false; }
    } release{held_};
    if (!held_ || !inside_)
        return;
    inside_ = false;
    ::InvalidateRect(Handle(), &pressedRect_, FALSE);
    transitionButton_ = pressed_;
    Click(pressed_);
    if (autoEnable_ && lastError_ == 0 && deviceOpen_) {
        ApplyTransition(transitionButton_);
        CopyAutoEnabledToButtons();
    }
}

void TMediaPlayer::HandleKeyDown(WPARAM key) {
    switch (key) {
    case VK_SPACE:
        if (!enabledButtons_.Contains(focused_))
            return;
        transitionButton_ = focused_;
        Click(focused_);
        if (autoEnable_) {
            ApplyTransition(transitionButton_);
            CopyAutoEnabledToButtons();
        }
        break;
    case VK_LEFT:
    case VK_RIGHT: {
        const TMPBtnType next = key == VK_LEFT ? FocusLeftOf(focused_, visibleButtons_)
                                               : FocusRightOf(focused_, visibleButtons_);
        if (next != focused_) {
            focused_ = next;
            Repaint();
        }
        break;
    }
    default:
        break;
    }
}

void TMediaPlayer::Click(TMPBtnType button) {
    bool doDefault = true;
    if (OnClick)
        OnClick(button, doDefault);
    if (!doDefault)
        return;
    PerformAction(button);
    if (OnPostClick)
        OnPostClick(button);
}

void TMediaPlayer::PerformAction(TMPBtnType button) {
    switch (button) {
    case btPlay:
        Play();
        break;
    case btPause:
        Pause();
        break;
    case btStop:
        Stop();
        break;
    case btNext:
        Next();
        break;
    case btPrev:
        Previous();
        break;
    case btStep:
        Step();
        break;
    case btBack:
        Back();
        break;
    case btRecord:
        BeginRecording();
        break;
    case btEject:
        Eject();
        break;
    }
}

LRESULT TMediaPlayer::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(Handle(), &ps);
        Paint(dc);
        ::EndPaint(Handle(), &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wp));
        return 0;
    case WM_ERASEBKGND:
        return 1; // painted opaquely in WM_PAINT
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        HandleLButtonDown(wp, lp);
        return 0;
    case WM_MOUSEMOVE:
        HandleMouseMove(lp);
        return 0;
    case WM_LBUTTONUP:
        HandleLButtonUp(wp, lp);
        return 0;
    case WM_KEYDOWN:
        HandleKeyDown(wp);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
        Repaint();
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_SIZE:
        Layout();
        return 0;
    case MM_MCINOTIFY:
        OnMciNotify(wp);
        return 0;
    case WM_DESTROY:
        if (display_ == Handle())
            OnDisplayDestroyed();
        break;
    default:
        break;
    }
    return DefaultHandling(msg, wp, lp);
}

} // namespace voice
