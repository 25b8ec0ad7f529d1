#include "timeline/timeline_window.h"

#include "catalogue/list_line.h"
#include "gui/font.h"
#include "gui/popup_menu.h"
#include "timeline/go_to_time_dialog.h"
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

void TimelineWindow::Open(HWND owner, TimelineHost& host, const UserSettings& settings) {
    if (Handle()) {
        if (::IsIconic(Handle()))
            ::ShowWindow(Handle(), SW_RESTORE);
        ::SetForegroundWindow(Handle());
        ::BringWindowToTop(Handle());
        ::SetFocus(Handle());
        return;
    }
    host_ = &host;
    dpi_ = gui::DpiOfWindow(owner);
    RECT place{settings.GetInt("timeline.left", CW_USEDEFAULT, -32000, 32000),
               settings.GetInt("timeline.top", CW_USEDEFAULT, -32000, 32000), 0, 0};
    const int width = settings.GetInt("timeline.width", gui::Scale(900, dpi_), 200, 32000);
    const int height = settings.GetInt("timeline.height", gui::Scale(380, dpi_), 150, 32000);
    place.right = place.left + width;
    place.bottom = place.top + height;
    // A place on a screen no longer there counts as none.
    const bool kept =
        place.left != CW_USEDEFAULT && ::MonitorFromRect(&place, MONITOR_DEFAULTTONULL);
    view_.SetKeptZoom(settings.GetDouble("timeline.zoom", 0, 0, 1e9));
    view_.SetFolded(settings.GetBool("timeline.fold", false));

    HWND hwnd =
        CreateWindowObject(kClassName, CS_DBLCLKS, nullptr, 0, WS_OVERLAPPEDWINDOW | WS_HSCROLL,
                           kCaption, kept ? place.left : CW_USEDEFAULT,
                           kept ? place.top : CW_USEDEFAULT, width, height, owner, 0);
    if (!hwnd)
        return;
    if (!kept)
        PlaceBeside(owner, width, height);
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
    Rebuild();
    if (settings.GetBool("timeline.maximized", false))
        ::ShowWindow(hwnd, SW_SHOWMAXIMIZED);
    else
        ::ShowWindow(hwnd, SW_SHOW);
    ::UpdateWindow(hwnd);
    ::SetFocus(hwnd);
}

void TimelineWindow::PlaceBeside(HWND owner, int width, int height) {
    // The first time: right of the main window where the screen has room, else below it,
    // else over its lower part; never over the list when it can be helped.
    RECT main{};
    if (!owner || !::GetWindowRect(owner, &main))
        return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!::GetMonitorInfoW(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const RECT& work = monitor.rcWork;
    int x = main.right, y = main.top;
    if (x + width > work.right) {
        x = std::max<int>(work.left, std::min<int>(main.left, work.right - width));
        y = std::min<int>(main.bottom, work.bottom - height);
    }
    ::SetWindowPos(Handle(), nullptr, x, std::max<int>(y, work.top), width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void TimelineWindow::Close() {
    if (Handle())
        ::SendMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TimelineWindow::SaveTo(UserSettings& settings) const {
    if (!Handle())
        return;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (::GetWindowPlacement(Handle(), &placement)) {
        // The normal place, also while maximized, as the next opening restores it.
        const RECT& r = placement.rcNormalPosition;
        settings.SetInt("timeline.left", r.left);
        settings.SetInt("timeline.top", r.top);
        settings.SetInt("timeline.width", r.right - r.left);
        settings.SetInt("timeline.height", r.bottom - r.top);
        settings.SetBool("timeline.maximized", placement.showCmd == SW_SHOWMAXIMIZED);
    }
    settings.SetDouble("timeline.zoom", view_.Scale().SecondsPerPixel());
    settings.SetBool("timeline.fold", view_.Folded());
}

void TimelineWindow::SetLines(std::vector<std::wstring> lines, Seconds searchedFrom,
                              Seconds searchedTo, DayWindow window) {
    view_.SetLines(std::move(lines), searchedFrom, searchedTo, window);
    if (Handle())
        Rebuild();
}

void TimelineWindow::Rebuild() {
    UpdateLayout();
    UpdateScrollBar();
    Invalidate();
}

void TimelineWindow::UpdateLayout() {
    RECT client{};
    if (Handle())
        ::GetClientRect(Handle(), &client);
    layout_ = TimelineLayout::For({client.right, client.bottom}, Model().lanes.size(), dpi_);
    const int margin = gui::Scale(8, dpi_);
    view_.Resize(layout_.labelWidth,
                 std::max(1, static_cast<int>(client.right) - layout_.labelWidth - margin),
                 gui::Scale(24, dpi_));
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
    const TimeScale& scale = Scale();
    const double total = std::max(scale.ShownTotal(), 1.0);
    const double origin = scale.GetFold().Shown(scale.GetFold().Origin());
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = kScrollRange - 1;
    const double span = scale.ShownEnd() - scale.ShownStart();
    info.nPage = static_cast<UINT>(std::lround(std::min(1.0, span / total) * kScrollRange));
    info.nPos = static_cast<int>(std::lround((scale.ShownStart() - origin) / total * kScrollRange));
    if (Model().Empty())
        info.nMax = static_cast<int>(info.nPage = info.nPos = 0); // nothing to scroll to
    ::SetScrollInfo(Handle(), SB_HORZ, &info, TRUE);
}

void TimelineWindow::Invalidate() {
    if (Handle())
        ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TimelineWindow::SetSelectedLines(const std::vector<std::int32_t>& lines) {
    view_.SetSelectedLines(lines);
    Invalidate();
}

void TimelineWindow::SetHeardLines(const std::vector<bool>& heardByLine) {
    view_.SetHeardLines(heardByLine);
    Invalidate();
}

void TimelineWindow::MarkLineHeard(std::int32_t line) {
    view_.MarkLineHeard(line);
    Invalidate();
}

void TimelineWindow::SetPlayback(std::int32_t line, double fraction) {
    const PlaybackChange change = view_.SetPlayback(line, fraction);
    if (!Handle())
        return;
    if (change.whole) {
        UpdateScrollBar();
        Invalidate();
        return;
    }
    // Only the playhead moved: the strip it left and the one it reaches.
    const int width = gui::Scale(3, dpi_);
    for (const double x : {change.fromX, change.toX}) {
        if (x < 0)
            continue;
        const int at = static_cast<int>(std::lround(x));
        RECT strip{at - width, 0, at + width + 1, layout_.LaneTop(Model().lanes.size())};
        ::InvalidateRect(Handle(), &strip, FALSE);
    }
}

std::int32_t TimelineWindow::FocusedLine() const {
    return view_.Focus() >= 0 ? Model().recordings[view_.Focus()].line : -1;
}

std::int32_t TimelineWindow::PlayingLine() const {
    return view_.Playing() >= 0 ? Model().recordings[view_.Playing()].line : -1;
}

POINT TimelineWindow::PointOfLine(std::int32_t line, double fraction) const {
    const std::int32_t item = Model().ItemOfLine(line);
    if (item < 0)
        return {-1, -1};
    const Recording& r = Model().recordings[item];
    const double x = Scale().X(r.start + fraction * static_cast<double>(r.end - r.start));
    return {static_cast<LONG>(std::lround(x)), layout_.LaneTop(r.lane) + layout_.laneHeight / 2};
}

void TimelineWindow::PaintInto(HDC dc, const RECT* clip) {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    TimelinePicture picture;
    picture.timeline = &Model();
    picture.scale = &Scale();
    picture.layout = layout_;
    picture.selected = &view_.Selected();
    picture.heard = &view_.Heard();
    picture.index = &view_.Index();
    picture.focus = view_.Focus();
    picture.showFocus = ::GetFocus() == Handle();
    picture.playing = view_.Playing();
    picture.playhead = view_.PlayheadTime();
    picture.spanActive = view_.SpanActive();
    picture.spanFrom = static_cast<int>(std::lround(view_.SpanFrom()));
    picture.spanTo = static_cast<int>(std::lround(view_.SpanTo()));
    picture.cursorX = drag_ == Drag::None ? cursorX_ : -1;
    picture.font = font_.Get();
    picture.sound = &view_.Sound();
    picture.struckFont = struckFont_.Get();
    picture.soloFont = soloFont_.Get();
    picture.dpi = dpi_;
    painter_.Paint(dc, {client.right, client.bottom}, picture, clip);
}

POINT TimelineWindow::PointOfLabel(std::size_t lane) const {
    return {layout_.labelWidth / 2, layout_.LaneTop(lane) + layout_.laneHeight / 2};
}

void TimelineWindow::LanesChanged() {
    Invalidate();
    if (host_)
        host_->LanesChanged();
}

std::int32_t TimelineWindow::ItemAt(POINT client) const {
    const int lane = layout_.LaneAt(client.y, Model().lanes.size());
    const TimeScale& scale = Scale();
    if (lane < 0 || client.x < scale.Left() || client.x > scale.Left() + scale.Width())
        return -1;
    return HitTest(Model(), static_cast<std::size_t>(lane), scale, client.x, gui::Scale(3, dpi_));
}

void TimelineWindow::UserSelected() {
    Invalidate();
    if (host_)
        host_->SelectLines(SelectedLines());
}

void TimelineWindow::UserScrolled() {
    UpdateScrollBar();
    Invalidate();
}

void TimelineWindow::Focus(std::int32_t item, bool select) {
    if (item < 0)
        return;
    const bool selected = view_.MoveFocus(item, select);
    UserScrolled();
    if (selected)
        UserSelected();
}

bool TimelineWindow::OnKeyDown(WPARAM key, LPARAM) {
    const bool ctrl = KeyDown(VK_CONTROL);
    const bool shift = KeyDown(VK_SHIFT);
    if (KeyDown(VK_MENU))
        return false;
    const Timeline& timeline = Model();
    const std::int32_t from = view_.Focus();
    switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
        if (shift || ctrl)
            return false; // Ctrl+Left/Right are the player's skip keys
        Focus(from < 0 ? FirstRecording(timeline)
                       : NextInLane(timeline, from, key == VK_LEFT ? -1 : 1),
              true);
        return true;
    case VK_UP:
    case VK_DOWN:
        if (shift)
            return false;
        Focus(from < 0 ? FirstRecording(timeline)
                       : InNeighbourLane(timeline, from, key == VK_UP ? -1 : 1),
              !ctrl);
        return true;
    case VK_HOME:
    case VK_END:
        if (shift)
            return false;
        Focus(key == VK_HOME ? FirstRecording(timeline) : LastRecording(timeline), !ctrl);
        return true;
    case VK_ADD:
    case VK_OEM_PLUS:
    case VK_SUBTRACT:
    case VK_OEM_MINUS: {
        if (ctrl)
            return false;
        // Around the focused recording when it is in view, else around the middle.
        const TimeScale& scale = Scale();
        double x = scale.Left() + scale.Width() / 2.0;
        if (from >= 0) {
            const double fx = scale.X(timeline.recordings[from].start);
            if (fx >= scale.Left() && fx <= scale.Left() + scale.Width())
                x = fx;
        }
        const bool in = key == VK_ADD || key == VK_OEM_PLUS;
        view_.ZoomAround(x, in ? kKeyStep : 1 / kKeyStep);
        UserScrolled();
        return true;
    }
    case VK_RETURN:
        if (ctrl || shift)
            return false;
        if (view_.AnySelected() && host_)
            host_->Play();
        return true;
    case VK_SPACE:
        if (shift)
            return false;
        if (ctrl) {
            if (view_.ToggleFocused())
                UserSelected();
        } else if (host_) {
            host_->PlayPause();
        }
        return true;
    case 'A':
        if (!ctrl || shift)
            return false;
        view_.SelectAll();
        UserSelected();
        return true;
    case 'G':
        if (!ctrl || shift)
            return false;
        GoToTime();
        return true;
    case 'M':
    case 'S':
        if (ctrl || shift)
            return false;
        if (view_.MuteFocusedLane(key == 'S'))
            LanesChanged();
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
    const int lane = layout_.LaneAt(at.y, Model().lanes.size());
    if (lane >= 0 && at.x < layout_.labelWidth) {
        // The labels' column: a click mutes, Ctrl+click solos; nothing to drag there.
        view_.ClickLabel(static_cast<std::size_t>(lane), (keys & MK_CONTROL) != 0);
        LanesChanged();
        return;
    }
    ::SetCapture(Handle());
    dragFrom_ = at;
    dragKeys_ = keys;
    dragLastX_ = at.x;
    drag_ = (keys & MK_SHIFT) ? Drag::Span : Drag::Pending;
    if (drag_ == Drag::Span) {
        view_.BeginSpan(at.x);
        Invalidate();
    }
}

void TimelineWindow::SetCursor(int x) {
    const TimeScale& scale = Scale();
    if (x < scale.Left() || x > scale.Left() + scale.Width() || Model().Empty())
        x = -1;
    if (x == cursorX_)
        return;
    cursorX_ = x;
    Invalidate();
}

void TimelineWindow::OnMouseMove(POINT at, WPARAM) {
    if (cursorX_ < 0 || drag_ == Drag::None) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
        ::TrackMouseEvent(&track);
    }
    switch (drag_) {
    case Drag::None:
        SetCursor(layout_.LaneAt(at.y, Model().lanes.size()) >= 0 || at.y < layout_.axisHeight
                      ? at.x
                      : -1);
        UpdateTooltip(at);
        return;
    case Drag::Pending:
        if (std::abs(at.x - dragFrom_.x) < ::GetSystemMetrics(SM_CXDRAG))
            return;
        drag_ = Drag::Pan;
        [[fallthrough]];
    case Drag::Pan:
        view_.ScrollByPixels(dragLastX_ - at.x);
        dragLastX_ = at.x;
        UserScrolled();
        return;
    case Drag::Span:
        view_.MoveSpan(at.x);
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
        if (view_.EndSpan(at.x, ctrl))
            UserSelected();
        return;
    }
    if (drag == Drag::Pending && view_.Click(ItemAt(dragFrom_), ctrl))
        UserSelected();
}

void TimelineWindow::OnHScroll(WORD code) {
    const TimeScale& scale = Scale();
    const double page = scale.Width() * 0.9;
    const double origin = scale.GetFold().Shown(scale.GetFold().Origin());
    switch (code) {
    case SB_LINELEFT:
        view_.ScrollByPixels(-gui::Scale(40, dpi_));
        break;
    case SB_LINERIGHT:
        view_.ScrollByPixels(gui::Scale(40, dpi_));
        break;
    case SB_PAGELEFT:
        view_.ScrollByPixels(-page);
        break;
    case SB_PAGERIGHT:
        view_.ScrollByPixels(page);
        break;
    case SB_LEFT:
        view_.ScrollToShown(origin);
        break;
    case SB_RIGHT:
        view_.ScrollToShown(origin + scale.ShownTotal());
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_TRACKPOS;
        ::GetScrollInfo(Handle(), SB_HORZ, &info);
        view_.ScrollToShown(origin + info.nTrackPos * scale.ShownTotal() / kScrollRange);
        break;
    }
    default:
        return;
    }
    UserScrolled();
}

void TimelineWindow::OnWheel(POINT screen, int delta, bool pan) {
    ::ScreenToClient(Handle(), &screen);
    const double notches = delta / static_cast<double>(WHEEL_DELTA);
    if (pan) // Shift+wheel: a tenth of the view a notch, wheel down is later
        view_.ScrollByPixels(-notches * Scale().Width() / 10.0);
    else
        view_.ZoomAround(screen.x, std::pow(kWheelStep, notches));
    UserScrolled();
}

void TimelineWindow::ShowContextMenu(POINT screen) {
    // Mute and solo act on the lane under the pointer, or the focused recording's.
    POINT client = screen;
    ::ScreenToClient(Handle(), &client);
    const int pointed = layout_.LaneAt(client.y, Model().lanes.size());
    const std::int32_t focus = view_.Focus();
    const int lane = pointed >= 0 ? pointed : focus >= 0 ? Model().recordings[focus].lane : -1;
    menuLane_ = static_cast<std::size_t>(std::max(lane, 0));
    const int channel = lane >= 0 ? Model().lanes[menuLane_].channel : 0;
    const std::wstring name = L" " + std::to_wstring(channel);
    gui::PopupMenu menu;
    menu.AddItem(kPlayCommand, L"Воспроизвести", L"Enter", view_.AnySelected() && host_ != nullptr);
    if (host_)
        host_->FillMenu(menu);
    menu.AddSeparator();
    if (lane >= 0) {
        menu.AddCheckItem(kMuteLaneCommand, L"Заглушить канал" + name, L"M",
                          Sound().Muted(channel), false);
        menu.AddCheckItem(kSoloLaneCommand, L"Только канал" + name, L"S",
                          Sound().Solo() == channel, false);
    } else {
        menu.AddItem(kMuteLaneCommand, L"Заглушить канал", L"M", false);
        menu.AddItem(kSoloLaneCommand, L"Только канал", L"S", false);
    }
    menu.AddSeparator();
    menu.AddItem(kWholeRangeCommand, L"Показать всё", L"", !Model().Empty());
    menu.AddItem(kGoToTimeCommand, L"Перейти к времени…", L"Ctrl+G", !Model().Empty());
    menu.AddItem(kFoldCommand,
                 Folded() ? L"Показать часы вне окна времени" : L"Свернуть часы вне окна времени",
                 L"", view_.CanFold());
    menu.AddSeparator();
    menu.AddItem(kClearHeardCommand, L"Снять отметки прослушивания", L"", true);
    menu.Track(Handle(), screen);
}

void TimelineWindow::GoToTime() {
    if (Model().Empty())
        return;
    const TimeScale& scale = Scale();
    const auto middle =
        static_cast<Seconds>(std::floor(scale.TimeAt(scale.Left() + scale.Width() / 2.0)));
    const std::optional<Seconds> to = AskGoToTime(Handle(), middle, font_.Get());
    if (!to)
        return;
    view_.GoTo(*to);
    SetCursor(static_cast<int>(std::lround(Scale().X(*to))));
    UserScrolled();
}

void TimelineWindow::UpdateTooltip(POINT client) {
    if (!tooltip_)
        return;
    MSG relay{Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y), 0, {}};
    ::SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
    const std::int32_t item = ItemAt(client);
    std::int64_t key = item;
    std::wstring text;
    if (item >= 0) {
        text = RecordingTooltip(Model(), item,
                                ListLinePath(view_.Lines()[Model().recordings[item].line]));
    } else {
        // Over a merged column: how many recordings it holds.
        const int lane = layout_.LaneAt(client.y, Model().lanes.size());
        const int column = client.x - Scale().Left();
        if (lane >= 0 && column >= 0 && column < Scale().Width()) {
            LaneRaster raster;
            RasterizeLane(Model(), static_cast<std::size_t>(lane), Scale(), view_.Selected(),
                          view_.Heard(), raster, &view_.Index());
            const std::uint32_t count = raster.count[static_cast<std::size_t>(column)];
            if (count > 0) {
                key = -2 - (static_cast<std::int64_t>(lane) << 32 | column);
                text = MergedColumnTooltip(Model().lanes[lane].channel, count,
                                           Scale().TimeAt(client.x), Scale().TimeAt(client.x + 1));
            }
        }
    }
    if (key == tipKey_)
        return;
    tipKey_ = key;
    tipText_ = std::move(text);
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = Handle();
    tool.uId = 1;
    tool.lpszText = tipText_.data();
    ::SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(tooltip_, TTM_ACTIVATE, !tipText_.empty(), 0);
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
    LOGFONTW struck = face;
    struck.lfStrikeOut = TRUE;
    struckFont_.Reset(::CreateFontIndirectW(&struck));
    LOGFONTW solo = face;
    solo.lfWeight = FW_BOLD;
    soloFont_.Reset(::CreateFontIndirectW(&solo));
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
        PaintInto(dc, &ps.rcPaint);
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
        const MSG key{Handle(), msg, wp, lp, 0, {}};
        if (host_ && host_->OtherKey(key))
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
    case WM_MOUSELEAVE:
        SetCursor(-1);
        return 0;
    case WM_LBUTTONUP:
        OnMouseUp({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        return 0;
    case WM_CAPTURECHANGED:
        if (drag_ != Drag::None && reinterpret_cast<HWND>(lp) != Handle()) {
            drag_ = Drag::None;
            view_.CancelSpan();
            Invalidate();
        }
        return 0;
    case WM_LBUTTONDBLCLK: {
        const std::int32_t item = ItemAt({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        if (item < 0)
            return 0;
        if (view_.Activate(item))
            UserSelected();
        Invalidate();
        if (host_)
            host_->Play();
        return 0;
    }
    case WM_MOUSEWHEEL:
        OnWheel({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}, GET_WHEEL_DELTA_WPARAM(wp),
                (GET_KEYSTATE_WPARAM(wp) & MK_SHIFT) != 0);
        return 0;
    case WM_MOUSEHWHEEL:
        view_.ScrollByPixels(GET_WHEEL_DELTA_WPARAM(wp) * gui::Scale(40, dpi_) / WHEEL_DELTA);
        UserScrolled();
        return 0;
    case WM_HSCROLL:
        OnHScroll(LOWORD(wp));
        return 0;
    case WM_CONTEXTMENU: {
        POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (at.x == -1 && at.y == -1) {
            // From the keyboard: at the focused recording, or the lanes' top left.
            at = view_.Focus() >= 0 ? PointOfLine(FocusedLine())
                                    : POINT{Scale().Left(), layout_.axisHeight};
            ::ClientToScreen(Handle(), &at);
        }
        ShowContextMenu(at);
        return 0;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case kClearHeardCommand:
            if (host_)
                host_->ClearHeard();
            return 0;
        case kFoldCommand:
            view_.SetFolded(!Folded());
            UserScrolled();
            return 0;
        case kWholeRangeCommand:
            view_.ShowRecordings();
            UserScrolled();
            return 0;
        case kGoToTimeCommand:
            GoToTime();
            return 0;
        case kPlayCommand:
            if (view_.AnySelected() && host_)
                host_->Play();
            return 0;
        case kMuteLaneCommand:
        case kSoloLaneCommand:
            view_.ClickLabel(menuLane_, LOWORD(wp) == kSoloLaneCommand);
            LanesChanged();
            return 0;
        default:
            // The host's own commands from the context menu.
            if (lp == 0 && host_) {
                host_->RunCommand(LOWORD(wp));
                return 0;
            }
            return DefaultHandling(msg, wp, lp);
        }
    case WM_CLOSE:
        ::DestroyWindow(Handle());
        return 0;
    case WM_DESTROY:
        // Also when the main window goes and takes this one with it.
        if (host_)
            host_->Closing();
        tooltip_ = nullptr; // destroyed with its owner
        return 0;
    default:
        return DefaultHandling(msg, wp, lp);
    }
}

} // namespace voice::timeline
