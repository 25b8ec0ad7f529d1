#include "timeline/timeline_window.h"

#include "catalogue/list_line.h"
#include "gui/font.h"
#include "gui/popup_menu.h"
#include "timeline/navigation.h"
#include "timeline/tooltip.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>

namespace voice::timeline {
namespace {

constexpr wchar_t kClassName[] = L"VoiceTimeline";
constexpr wchar_t kCaption[] = L"Временная шкала";
constexpr int kScrollRange = 10000;
constexpr double kWheelStep = 1.5; // zoom per wheel notch
constexpr double kKeyStep = 2.0;   // zoom per + or −

bool KeyDown(int key) {
    return (::GetKeyState(key) & 0x8000) != 0;
}

} // namespace

TimelineWindow::TimelineWindow() = default;
TimelineWindow::~TimelineWindow() = default;

void TimelineWindow::Open(HWND owner, TimelineHost host, const UserSettings& settings) {
    if (Handle()) {
        if (::IsIconic(Handle()))
            ::ShowWindow(Handle(), SW_RESTORE);
        ::SetForegroundWindow(Handle());
        ::BringWindowToTop(Handle());
        ::SetFocus(Handle());
        return;
    }
    host_ = std::move(host);
    dpi_ = gui::DpiOfWindow(owner);
    RECT place{settings.GetInt("timeline.left", CW_USEDEFAULT, -32000, 32000),
               settings.GetInt("timeline.top", CW_USEDEFAULT, -32000, 32000), 0, 0};
    const int width = settings.GetInt("timeline.width", gui::Scale(900, dpi_), 200, 32000);
    const int height = settings.GetInt("timeline.height", gui::Scale(380, dpi_), 150, 32000);
    place.right = place.left + width;
    place.bottom = place.top + height;
    // A place on a screen no longer there falls back to the system's choice.
    if (place.left == CW_USEDEFAULT || !::MonitorFromRect(&place, MONITOR_DEFAULTTONULL))
        place.left = place.top = CW_USEDEFAULT;
    savedPerPixel_ = settings.GetDouble("timeline.zoom", 0, 0, 1e9);
    folded_ = settings.GetBool("timeline.fold", false);

    HWND hwnd =
        CreateWindowObject(kClassName, CS_DBLCLKS, nullptr, 0, WS_OVERLAPPEDWINDOW | WS_HSCROLL,
                           kCaption, place.left, place.top, width, height, owner, 0);
    if (!hwnd)
        return;
    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    if (tooltip_) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = hwnd;
        tool.uId = 1;
        tool.lpszText = const_cast<wchar_t*>(L"");
        ::GetClientRect(hwnd, &tool.rect);
        ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, gui::Scale(640, dpi_));
    }
    ApplyDpi(gui::DpiOfWindow(hwnd));
    Rebuild(false);
    if (settings.GetBool("timeline.maximized", false))
        ::ShowWindow(hwnd, SW_SHOWMAXIMIZED);
    else
        ::ShowWindow(hwnd, SW_SHOW);
    ::UpdateWindow(hwnd);
    ::SetFocus(hwnd);
}

void TimelineWindow::Close() {
    if (Handle())
        ::SendMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TimelineWindow::SaveTo(UserSettings& settings) const {
    if (!Handle())
        return;
    WINDOWPLACEMENT placement{sizeof(placement)};
    if (::GetWindowPlacement(Handle(), &placement)) {
        // The normal place, also while maximized, as the next opening restores it.
        const RECT& r = placement.rcNormalPosition;
        settings.SetInt("timeline.left", r.left);
        settings.SetInt("timeline.top", r.top);
        settings.SetInt("timeline.width", r.right - r.left);
        settings.SetInt("timeline.height", r.bottom - r.top);
        settings.SetBool("timeline.maximized", placement.showCmd == SW_SHOWMAXIMIZED);
    }
    settings.SetDouble("timeline.zoom", scale_.SecondsPerPixel());
    settings.SetBool("timeline.fold", folded_);
}

void TimelineWindow::SetLines(std::vector<std::wstring> lines, Seconds searchedFrom,
                              Seconds searchedTo, DayWindow window) {
    lines_ = std::move(lines);
    searchedFrom_ = searchedFrom;
    searchedTo_ = searchedTo;
    window_ = window;
    heardByLine_.clear();
    if (Handle())
        Rebuild(false);
}

void TimelineWindow::Rebuild(bool keepView) {
    const double perPixel = keepView ? scale_.SecondsPerPixel() : savedPerPixel_;
    const double centre = scale_.TimeAt(scale_.Left() + scale_.Width() / 2.0);
    // Folding keeps the list: its selection stays the list's.
    const std::vector<std::int32_t> selectedLines =
        keepView ? SelectedLines() : std::vector<std::int32_t>{};
    timeline_ = BuildTimeline(lines_, searchedFrom_, searchedTo_);
    index_ = DensityIndex(timeline_);
    indexStale_ = true;
    const Fold fold(timeline_.firstDay, window_, folded_);
    scale_ = TimeScale(fold, timeline_.firstDay, timeline_.lastDay, 0, 1);
    selected_.assign(timeline_.recordings.size(), false);
    for (std::int32_t line : selectedLines)
        if (timeline_.ItemOfLine(line) >= 0)
            selected_[timeline_.ItemOfLine(line)] = true;
    heard_.assign(timeline_.recordings.size(), false);
    for (std::size_t line = 0; line < heardByLine_.size(); ++line)
        if (heardByLine_[line] && timeline_.ItemOfLine(static_cast<std::int32_t>(line)) >= 0)
            heard_[timeline_.ItemOfLine(static_cast<std::int32_t>(line))] = true;
    if (!keepView) {
        focus_ = -1;
        playing_ = -1;
    }
    UpdateLayout();
    if (perPixel > 0) {
        scale_.SetSecondsPerPixel(perPixel, scale_.Left());
        const double at =
            keepView
                ? centre
                : (timeline_.Empty() ? static_cast<double>(timeline_.firstDay)
                                     : static_cast<double>(
                                           timeline_.recordings[FirstRecording(timeline_)].start));
        // Centred on what was in the middle, or starting a little before the first recording.
        const double offset = keepView ? scale_.Width() / 2.0 : scale_.Width() / 20.0;
        scale_.ScrollToShown(scale_.GetFold().Shown(at) - offset * scale_.SecondsPerPixel());
    }
    UpdateScrollBar();
    Invalidate();
}

void TimelineWindow::UpdateLayout() {
    RECT client{};
    if (Handle())
        ::GetClientRect(Handle(), &client);
    layout_ = TimelineLayout::For({client.right, client.bottom}, timeline_.lanes.size(), dpi_);
    const int margin = gui::Scale(8, dpi_);
    scale_.Resize(layout_.labelWidth,
                  std::max(1, static_cast<int>(client.right) - layout_.labelWidth - margin));
    if (tooltip_) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = Handle();
        tool.uId = 1;
        tool.rect = client;
        ::SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void TimelineWindow::UpdateScrollBar() {
    if (!Handle())
        return;
    const double total = std::max(scale_.ShownTotal(), 1.0);
    SCROLLINFO info{sizeof(info)};
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = kScrollRange - 1;
    const double span = scale_.ShownEnd() - scale_.ShownStart();
    info.nPage = static_cast<UINT>(std::lround(std::min(1.0, span / total) * kScrollRange));
    info.nPos = static_cast<int>(std::lround(scale_.ShownStart() / total * kScrollRange));
    if (timeline_.Empty())
        info.nMax = static_cast<int>(info.nPage = info.nPos = 0); // nothing to scroll to
    ::SetScrollInfo(Handle(), SB_HORZ, &info, TRUE);
}

void TimelineWindow::Invalidate() {
    // Selection and heard marks change only through calls that end here.
    indexStale_ = true;
    if (Handle())
        ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TimelineWindow::SetSelectedLines(const std::vector<std::int32_t>& lines) {
    selected_.assign(timeline_.recordings.size(), false);
    for (std::int32_t line : lines) {
        const std::int32_t item = timeline_.ItemOfLine(line);
        if (item >= 0)
            selected_[item] = true;
    }
    Invalidate();
}

void TimelineWindow::SetHeardLines(const std::vector<bool>& heardByLine) {
    heardByLine_ = heardByLine;
    heard_.assign(timeline_.recordings.size(), false);
    for (std::size_t line = 0; line < heardByLine_.size(); ++line) {
        const std::int32_t item = timeline_.ItemOfLine(static_cast<std::int32_t>(line));
        if (heardByLine_[line] && item >= 0)
            heard_[item] = true;
    }
    Invalidate();
}

void TimelineWindow::MarkLineHeard(std::int32_t line) {
    if (line < 0)
        return;
    if (heardByLine_.size() <= static_cast<std::size_t>(line))
        heardByLine_.resize(static_cast<std::size_t>(line) + 1, false);
    heardByLine_[line] = true;
    const std::int32_t item = timeline_.ItemOfLine(line);
    if (item >= 0)
        heard_[item] = true;
    Invalidate();
}

void TimelineWindow::SetPlayback(std::int32_t line, double fraction) {
    const std::int32_t item = line >= 0 ? timeline_.ItemOfLine(line) : -1;
    if (item != playing_)
        followPlayhead_ = true; // a new recording: the view follows it again
    const bool changed = item != playing_ || fraction != playFraction_;
    playing_ = item;
    playFraction_ = std::clamp(fraction, 0.0, 1.0);
    if (!changed)
        return;
    if (playing_ >= 0 && followPlayhead_) {
        const Recording& r = timeline_.recordings[playing_];
        const double before = scale_.ShownStart();
        scale_.Reveal(r.start + static_cast<Seconds>(std::floor(playFraction_ * (r.end - r.start))),
                      scale_.Width() / 10.0);
        if (scale_.ShownStart() != before)
            UpdateScrollBar();
    }
    Invalidate();
}

std::vector<std::int32_t> TimelineWindow::SelectedLines() const {
    std::vector<std::int32_t> lines;
    for (std::size_t i = 0; i < selected_.size(); ++i)
        if (selected_[i])
            lines.push_back(timeline_.recordings[i].line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::int32_t TimelineWindow::FocusedLine() const {
    return focus_ >= 0 ? timeline_.recordings[focus_].line : -1;
}

std::int32_t TimelineWindow::PlayingLine() const {
    return playing_ >= 0 ? timeline_.recordings[playing_].line : -1;
}

double TimelineWindow::PlayheadX() const {
    if (playing_ < 0)
        return -1;
    const Recording& r = timeline_.recordings[playing_];
    return scale_.X(r.start + playFraction_ * static_cast<double>(r.end - r.start));
}

POINT TimelineWindow::PointOfLine(std::int32_t line, double fraction) const {
    const std::int32_t item = timeline_.ItemOfLine(line);
    if (item < 0)
        return {-1, -1};
    const Recording& r = timeline_.recordings[item];
    const double x = scale_.X(r.start + fraction * static_cast<double>(r.end - r.start));
    return {static_cast<LONG>(std::lround(x)), layout_.LaneTop(r.lane) + layout_.laneHeight / 2};
}

void TimelineWindow::PaintInto(HDC dc) {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    TimelinePicture picture;
    picture.timeline = &timeline_;
    picture.scale = &scale_;
    picture.layout = layout_;
    picture.selected = &selected_;
    picture.heard = &heard_;
    if (indexStale_) {
        index_.Update(selected_, heard_);
        indexStale_ = false;
    }
    picture.index = &index_;
    picture.focus = focus_;
    picture.showFocus = ::GetFocus() == Handle();
    picture.playing = playing_;
    if (playing_ >= 0) {
        const Recording& r = timeline_.recordings[playing_];
        picture.playhead = r.start + playFraction_ * static_cast<double>(r.end - r.start);
    }
    picture.spanActive = drag_ == Drag::Span;
    picture.spanFrom = dragFrom_.x;
    picture.spanTo = spanTo_;
    picture.font = font_.Get();
    picture.dpi = dpi_;
    painter_.Paint(dc, {client.right, client.bottom}, picture);
}

std::int32_t TimelineWindow::ItemAt(POINT client) const {
    const int lane = layout_.LaneAt(client.y, timeline_.lanes.size());
    if (lane < 0 || client.x < scale_.Left() || client.x > scale_.Left() + scale_.Width())
        return -1;
    return HitTest(timeline_, static_cast<std::size_t>(lane), scale_, client.x,
                   gui::Scale(3, dpi_));
}

void TimelineWindow::UserSelected() {
    Invalidate();
    if (host_.selectLines)
        host_.selectLines(SelectedLines());
}

void TimelineWindow::SelectOnly(std::int32_t item) {
    selected_.assign(timeline_.recordings.size(), false);
    if (item >= 0)
        selected_[item] = true;
}

void TimelineWindow::MoveFocus(std::int32_t item, bool select) {
    if (item < 0)
        return;
    focus_ = item;
    scale_.Reveal(timeline_.recordings[item].start, gui::Scale(24, dpi_));
    UserScrolled();
    if (select) {
        SelectOnly(item);
        UserSelected();
    }
    Invalidate();
}

void TimelineWindow::UserScrolled() {
    savedPerPixel_ = scale_.SecondsPerPixel(); // the user's zoom, kept for the next list
    // Away from the playhead, the view stays where the user put it until the next recording.
    if (playing_ >= 0) {
        const double x = PlayheadX();
        followPlayhead_ = x >= scale_.Left() && x <= scale_.Left() + scale_.Width();
    }
    UpdateScrollBar();
    Invalidate();
}

bool TimelineWindow::OnKeyDown(WPARAM key, LPARAM) {
    const bool ctrl = KeyDown(VK_CONTROL);
    const bool shift = KeyDown(VK_SHIFT);
    if (KeyDown(VK_MENU))
        return false;
    const std::int32_t from = focus_ >= 0 ? focus_ : -1;
    switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
        if (shift || ctrl)
            return false; // Ctrl+Left/Right are the player's skip keys
        MoveFocus(from < 0 ? FirstRecording(timeline_)
                           : NextInLane(timeline_, from, key == VK_LEFT ? -1 : 1),
                  true);
        return true;
    case VK_UP:
    case VK_DOWN:
        if (shift)
            return false;
        MoveFocus(from < 0 ? FirstRecording(timeline_)
                           : InNeighbourLane(timeline_, from, key == VK_UP ? -1 : 1),
                  !ctrl);
        return true;
    case VK_HOME:
    case VK_END:
        if (shift)
            return false;
        MoveFocus(key == VK_HOME ? FirstRecording(timeline_) : LastRecording(timeline_), !ctrl);
        return true;
    case VK_ADD:
    case VK_OEM_PLUS:
    case VK_SUBTRACT:
    case VK_OEM_MINUS: {
        if (ctrl)
            return false;
        // Around the focused recording when it is in view, else around the middle.
        double x = scale_.Left() + scale_.Width() / 2.0;
        if (focus_ >= 0) {
            const double fx = scale_.X(timeline_.recordings[focus_].start);
            if (fx >= scale_.Left() && fx <= scale_.Left() + scale_.Width())
                x = fx;
        }
        const bool in = key == VK_ADD || key == VK_OEM_PLUS;
        scale_.ZoomAround(x, in ? kKeyStep : 1 / kKeyStep);
        UserScrolled();
        return true;
    }
    case VK_RETURN:
        if (ctrl || shift)
            return false;
        if (std::find(selected_.begin(), selected_.end(), true) != selected_.end() && host_.play)
            host_.play();
        return true;
    case VK_SPACE:
        if (!ctrl || focus_ < 0)
            return false; // Space alone is the player's
        selected_[focus_] = !selected_[focus_];
        UserSelected();
        return true;
    case 'A':
        if (!ctrl || shift)
            return false;
        selected_.assign(timeline_.recordings.size(), true);
        UserSelected();
        return true;
    case VK_ESCAPE:
        Close();
        return true;
    default:
        return false;
    }
}

void TimelineWindow::OnMouseDown(POINT at, WPARAM keys) {
    ::SetFocus(Handle());
    ::SetCapture(Handle());
    dragFrom_ = at;
    dragKeys_ = keys;
    dragLastX_ = at.x;
    spanTo_ = at.x;
    drag_ = (keys & MK_SHIFT) ? Drag::Span : Drag::Pending;
    if (drag_ == Drag::Span)
        Invalidate();
}

void TimelineWindow::OnMouseMove(POINT at, WPARAM) {
    switch (drag_) {
    case Drag::None:
        UpdateTooltip(at);
        return;
    case Drag::Pending:
        if (std::abs(at.x - dragFrom_.x) < ::GetSystemMetrics(SM_CXDRAG))
            return;
        drag_ = Drag::Pan;
        [[fallthrough]];
    case Drag::Pan:
        scale_.ScrollByPixels(dragLastX_ - at.x);
        dragLastX_ = at.x;
        UserScrolled();
        return;
    case Drag::Span:
        spanTo_ = at.x;
        Invalidate();
        return;
    }
}

void TimelineWindow::OnMouseUp(POINT at) {
    const Drag drag = drag_;
    drag_ = Drag::None;
    if (::GetCapture() == Handle())
        ::ReleaseCapture();
    const bool ctrl = (dragKeys_ & MK_CONTROL) != 0;
    if (drag == Drag::Span) {
        const std::vector<std::int32_t> found =
            RecordingsInSpan(timeline_, scale_.TimeAt(dragFrom_.x), scale_.TimeAt(at.x));
        if (!ctrl)
            SelectOnly(-1);
        for (std::int32_t item : found)
            selected_[item] = true;
        if (!found.empty())
            focus_ = found.front();
        UserSelected();
        return;
    }
    if (drag != Drag::Pending)
        return;
    const std::int32_t item = ItemAt(dragFrom_);
    if (item < 0)
        return;
    focus_ = item;
    if (ctrl)
        selected_[item] = !selected_[item];
    else
        SelectOnly(item);
    UserSelected();
}

void TimelineWindow::OnHScroll(WORD code) {
    const double page = scale_.Width() * 0.9;
    switch (code) {
    case SB_LINELEFT:
        scale_.ScrollByPixels(-gui::Scale(40, dpi_));
        break;
    case SB_LINERIGHT:
        scale_.ScrollByPixels(gui::Scale(40, dpi_));
        break;
    case SB_PAGELEFT:
        scale_.ScrollByPixels(-page);
        break;
    case SB_PAGERIGHT:
        scale_.ScrollByPixels(page);
        break;
    case SB_LEFT:
        scale_.ScrollToShown(0);
        break;
    case SB_RIGHT:
        scale_.ScrollToShown(scale_.ShownTotal());
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO info{sizeof(info)};
        info.fMask = SIF_TRACKPOS;
        ::GetScrollInfo(Handle(), SB_HORZ, &info);
        scale_.ScrollToShown(info.nTrackPos * scale_.ShownTotal() / kScrollRange);
        break;
    }
    default:
        return;
    }
    UserScrolled();
}

void TimelineWindow::ShowContextMenu(POINT screen) {
    gui::PopupMenu menu;
    menu.AddItem(kWholeRangeCommand, L"Показать всё", L"", !timeline_.Empty());
    menu.AddItem(kFoldCommand,
                 folded_ ? L"Показать часы вне окна времени" : L"Свернуть часы вне окна времени",
                 L"", !window_.Whole());
    menu.AddSeparator();
    menu.AddItem(kClearHeardCommand, L"Снять отметки прослушивания", L"", true);
    menu.Track(Handle(), screen);
}

void TimelineWindow::UpdateTooltip(POINT client) {
    if (!tooltip_)
        return;
    MSG relay{Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y)};
    ::SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
    const std::int32_t item = ItemAt(client);
    if (item == tipItem_)
        return;
    tipItem_ = item;
    tipText_ = item >= 0 ? RecordingTooltip(timeline_, item,
                                            ListLinePath(lines_[timeline_.recordings[item].line]))
                         : std::wstring();
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = Handle();
    tool.uId = 1;
    tool.lpszText = tipText_.data();
    ::SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(tooltip_, TTM_ACTIVATE, item >= 0, 0);
}

void TimelineWindow::ApplyDpi(UINT dpi) {
    dpi_ = dpi;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW face = metrics.lfMessageFont;
    face.lfHeight = -::MulDiv(9, static_cast<int>(dpi), 72);
    face.lfWidth = 0;
    font_.Reset(::CreateFontIndirectW(&face));
    if (tooltip_)
        ::SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    UpdateLayout();
    UpdateScrollBar();
    Invalidate();
}

LRESULT TimelineWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(Handle(), &ps);
        PaintInto(dc);
        ::EndPaint(Handle(), &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1; // every pixel is painted
    case WM_SIZE:
        UpdateLayout();
        UpdateScrollBar();
        Invalidate();
        return 0;
    case WM_DPICHANGED: {
        ApplyDpi(HIWORD(wp));
        const RECT* suggested = reinterpret_cast<const RECT*>(lp);
        ::SetWindowPos(Handle(), nullptr, suggested->left, suggested->top,
                       suggested->right - suggested->left, suggested->bottom - suggested->top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate();
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        if (msg == WM_KEYDOWN && OnKeyDown(wp, lp))
            return 0;
        // The main window's shortcuts and the player's keys work here too.
        const MSG key{Handle(), msg, wp, lp};
        if (host_.otherKey && host_.otherKey(key))
            return 0;
        return DefaultHandling(msg, wp, lp);
    }
    case WM_CHAR:
        return 0; // keys are handled on their way down
    case WM_APPCOMMAND:
        // Media keys as the system reports them: the main window's player takes them.
        if (::SendMessageW(::GetWindow(Handle(), GW_OWNER), WM_APPCOMMAND, wp, lp))
            return TRUE;
        return DefaultHandling(msg, wp, lp);
    case WM_LBUTTONDOWN:
        OnMouseDown({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}, wp);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}, wp);
        return 0;
    case WM_LBUTTONUP:
        OnMouseUp({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        return 0;
    case WM_CAPTURECHANGED:
        if (drag_ != Drag::None && reinterpret_cast<HWND>(lp) != Handle()) {
            drag_ = Drag::None;
            Invalidate();
        }
        return 0;
    case WM_LBUTTONDBLCLK: {
        const std::int32_t item = ItemAt({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        if (item < 0)
            return 0;
        focus_ = item;
        if (SelectedLines() != std::vector<std::int32_t>{timeline_.recordings[item].line}) {
            SelectOnly(item);
            UserSelected();
        }
        if (host_.play)
            host_.play();
        return 0;
    }
    case WM_MOUSEWHEEL: {
        POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        ::ScreenToClient(Handle(), &at);
        const double notches = GET_WHEEL_DELTA_WPARAM(wp) / static_cast<double>(WHEEL_DELTA);
        scale_.ZoomAround(at.x, std::pow(kWheelStep, notches));
        UserScrolled();
        return 0;
    }
    case WM_MOUSEHWHEEL:
        scale_.ScrollByPixels(GET_WHEEL_DELTA_WPARAM(wp) * gui::Scale(40, dpi_) / WHEEL_DELTA);
        UserScrolled();
        return 0;
    case WM_HSCROLL:
        OnHScroll(LOWORD(wp));
        return 0;
    case WM_CONTEXTMENU: {
        POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (at.x == -1 && at.y == -1) {
            // From the keyboard: at the focused recording, or the lanes' top left.
            at = focus_ >= 0 ? PointOfLine(timeline_.recordings[focus_].line)
                             : POINT{scale_.Left(), layout_.axisHeight};
            ::ClientToScreen(Handle(), &at);
        }
        ShowContextMenu(at);
        return 0;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case kClearHeardCommand:
            if (host_.clearHeard)
                host_.clearHeard();
            return 0;
        case kFoldCommand:
            folded_ = !folded_;
            Rebuild(true);
            return 0;
        case kWholeRangeCommand:
            scale_.ShowWhole();
            UserScrolled();
            return 0;
        default:
            return DefaultHandling(msg, wp, lp);
        }
    case WM_CLOSE:
        ::DestroyWindow(Handle());
        return 0;
    case WM_DESTROY:
        // Also when the main window goes and takes this one with it.
        if (host_.closing)
            host_.closing();
        tooltip_ = nullptr; // destroyed with its owner
        return 0;
    default:
        return DefaultHandling(msg, wp, lp);
    }
}

} // namespace voice::timeline
