#pragma once
// The timeline window: the recordings of the current list as bars in a lane per channel
// over a time axis. Modeless and owned by the main window; it turns messages into calls on
// its view model and paints what that holds, and leaves what a selection or a play means to
// its host (the main window), so that the list and the timeline share one selection and
// one player.

#include "gui/popup_menu.h"
#include "gui/window.h"
#include "platform/unique_handle.h"
#include "platform/user_settings.h"
#include "timeline/timeline_painter.h"
#include "timeline/timeline_view_model.h"

#include <memory>
#include <string>
#include <vector>

namespace voice::timeline {

// What the window asks of its host, the main window, which owns the list, the player and
// the program's settings. Every call comes on the window's thread.
class TimelineHost {
public:
    virtual ~TimelineHost() = default;
    // The user selected these list lines (ascending) in the timeline.
    virtual void SelectLines(const std::vector<std::int32_t>& lines) = 0;
    // Double-click or Enter: play the selection, as the list's double-click does.
    virtual void Play() = 0;
    // Space: play or pause, as the player's own key does.
    virtual void PlayPause() = 0;
    // A key the timeline does not use itself (the main window's shortcuts); true if used.
    virtual bool OtherKey(const MSG& msg) = 0;
    // The host's commands for the context menu (export, playback); a chosen one comes back
    // through RunCommand.
    virtual void FillMenu(gui::PopupMenu& menu) = 0;
    virtual void RunCommand(UINT command) = 0;
    // "Снять отметки прослушивания" from the context menu.
    virtual void ClearHeard() = 0;
    // A lane was muted, unmuted, soloed or its solo cleared: a mix playing follows.
    virtual void LanesChanged() = 0;
    // The window is closing: its place and zoom are to be kept.
    virtual void Closing() = 0;
};

class TimelineWindow : public gui::Window {
public:
    TimelineWindow();
    ~TimelineWindow() override;

    // Creates the window over owner at the place settings remember, or brings it to the
    // front. host outlives the window.
    void Open(HWND owner, TimelineHost& host, const UserSettings& settings);
    bool IsOpen() const noexcept { return Handle() != nullptr; }
    void Close();
    // Place, size, zoom and folding under "timeline.*".
    void SaveTo(UserSettings& settings) const;

    // The list's lines (a new list, or none), the searched days (midnights, 0 for none) and
    // the time-of-day window of the search.
    void SetLines(std::vector<std::wstring> lines, Seconds searchedFrom, Seconds searchedTo,
                  DayWindow window);
    // The list's selection, shown without telling the host again.
    void SetSelectedLines(const std::vector<std::int32_t>& lines);
    void SetHeardLines(const std::vector<bool>& heardByLine);
    void MarkLineHeard(std::int32_t line);
    // The line playing and how far (0..1); line -1 when nothing plays.
    void SetPlayback(std::int32_t line, double fraction);

    // What the window shows, for its tests and the benchmark.
    const Timeline& Model() const noexcept { return view_.Model(); }
    const TimeScale& Scale() const noexcept { return view_.Scale(); }
    const TimelineLayout& Layout() const noexcept { return layout_; }
    std::vector<std::int32_t> SelectedLines() const { return view_.SelectedLines(); }
    std::int32_t FocusedLine() const;
    std::int32_t PlayingLine() const;
    double PlayheadX() const { return view_.PlayheadX(); }
    std::optional<std::pair<double, double>> SelectedSpan() const { return view_.SelectedSpan(); }
    bool Folded() const noexcept { return view_.Folded(); }
    // Which channels a mix lets be heard.
    const LaneSound& Sound() const noexcept { return view_.Sound(); }
    // The client point in the middle of a lane's label.
    POINT PointOfLabel(std::size_t lane) const;
    std::wstring TooltipText() const { return tipText_; }
    // The client point in the middle of a line's bar, at fraction of its length.
    POINT PointOfLine(std::int32_t line, double fraction = 0.5) const;
    // Paints the client area, or only clip of it, into dc.
    void PaintInto(HDC dc, const RECT* clip = nullptr);

    // Context-menu commands.
    static constexpr UINT kClearHeardCommand = 0x7E81;
    static constexpr UINT kFoldCommand = 0x7E82;
    static constexpr UINT kWholeRangeCommand = 0x7E83;
    static constexpr UINT kGoToTimeCommand = 0x7E84;
    static constexpr UINT kPlayCommand = 0x7E85;
    static constexpr UINT kMuteLaneCommand = 0x7E86;
    static constexpr UINT kSoloLaneCommand = 0x7E87;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Rebuild();
    void UpdateLayout();
    void UpdateScrollBar();
    void Invalidate();
    std::int32_t ItemAt(POINT client) const;
    // The user changed the selection: tell the host.
    void UserSelected();
    // The user moved the view.
    void UserScrolled();
    // A lane's label clicked, M or S, or their menu items: the picture and the mix follow.
    void LanesChanged();
    void Focus(std::int32_t item, bool select);
    bool OnKeyDown(WPARAM key, LPARAM lp);
    void OnMouseDown(POINT at, WPARAM keys);
    void OnMouseMove(POINT at, WPARAM keys);
    void OnMouseUp(POINT at);
    void OnHScroll(WORD code);
    void OnWheel(POINT screen, int delta, bool pan);
    void ShowContextMenu(POINT screen);
    void GoToTime();
    void UpdateTooltip(POINT client);
    void SetCursor(int x);
    void ApplyDpi(UINT dpi);
    void PlaceBeside(HWND owner, int width, int height);

    TimelineHost* host_ = nullptr;
    TimelineViewModel view_;
    TimelineLayout layout_;

    enum class Drag { None, Pending, Pan, Span };
    Drag drag_ = Drag::None;
    POINT dragFrom_{};
    WPARAM dragKeys_ = 0;
    int dragLastX_ = 0;
    int cursorX_ = -1; // the pointer's x over the lanes, -1 away from them

    HWND tooltip_ = nullptr;
    std::wstring tipText_;
    std::int64_t tipKey_ = -1; // what the tooltip shows: a recording or a merged column
    UINT dpi_ = 96;
    FontHandle font_, struckFont_, soloFont_;
    std::size_t menuLane_ = 0; // the lane the context menu's mute and solo act on
    TimelinePainter painter_;
};

} // namespace voice::timeline
