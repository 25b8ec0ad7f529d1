#pragma once
// The timeline window: the recordings of the current list as bars in a lane per channel
// over a time axis. Modeless and owned by the main window; it shows, selects, zooms and
// scrolls, and leaves what a selection or a play means to its host (the main window), so
// that the list and the timeline share one selection and one player.

#include "gui/window.h"
#include "platform/unique_handle.h"
#include "platform/user_settings.h"
#include "timeline/timeline_painter.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace voice::timeline {

// What the window asks of its host.
struct TimelineHost {
    // The user selected these list lines (ascending) in the timeline.
    std::function<void(const std::vector<std::int32_t>& lines)> selectLines;
    // Double-click or Enter: play the selection, as the list's double-click does.
    std::function<void()> play;
    // A key the timeline does not use itself (the main window's shortcuts); true if used.
    std::function<bool(const MSG& msg)> otherKey;
    // "Снять отметки прослушивания" from the context menu.
    std::function<void()> clearHeard;
    // The window is closing: its place and zoom are to be kept.
    std::function<void()> closing;
};

class TimelineWindow : public gui::Window {
public:
    TimelineWindow();
    ~TimelineWindow() override;

    // Creates the window over owner at the place settings remember, or brings it to the front.
    void Open(HWND owner, TimelineHost host, const UserSettings& settings);
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
    const Timeline& Model() const noexcept { return timeline_; }
    const TimeScale& Scale() const noexcept { return scale_; }
    const TimelineLayout& Layout() const noexcept { return layout_; }
    std::vector<std::int32_t> SelectedLines() const;
    std::int32_t FocusedLine() const;
    std::int32_t PlayingLine() const;
    double PlayheadX() const;
    bool Folded() const noexcept { return folded_; }
    std::wstring TooltipText() const { return tipText_; }
    // The client point in the middle of a line's bar, at fraction of its length.
    POINT PointOfLine(std::int32_t line, double fraction = 0.5) const;
    // Paints the whole client area into dc (the benchmark paints into a bitmap).
    void PaintInto(HDC dc);

    // Context-menu commands.
    static constexpr UINT kClearHeardCommand = 0x7E81;
    static constexpr UINT kFoldCommand = 0x7E82;
    static constexpr UINT kWholeRangeCommand = 0x7E83;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Rebuild(bool keepView);
    void UpdateLayout();
    void UpdateScrollBar();
    void Invalidate();
    std::int32_t ItemAt(POINT client) const;
    // The user changed the selection: tell the host.
    void UserSelected();
    void SelectOnly(std::int32_t item);
    void MoveFocus(std::int32_t item, bool select);
    void UserScrolled();
    bool OnKeyDown(WPARAM key, LPARAM lp);
    void OnMouseDown(POINT at, WPARAM keys);
    void OnMouseMove(POINT at, WPARAM keys);
    void OnMouseUp(POINT at);
    void OnHScroll(WORD code);
    void ShowContextMenu(POINT screen);
    void UpdateTooltip(POINT client);
    void ApplyDpi(UINT dpi);

    TimelineHost host_;
    std::vector<std::wstring> lines_;
    Seconds searchedFrom_ = 0, searchedTo_ = 0;
    DayWindow window_;
    bool folded_ = false;
    Timeline timeline_;
    DensityIndex index_;     // of timeline_
    bool indexStale_ = true; // selection or heard marks changed since its update
    TimeScale scale_;
    TimelineLayout layout_;
    std::vector<bool> selected_; // per recording
    std::vector<bool> heard_;    // per recording
    std::vector<bool> heardByLine_;
    std::int32_t focus_ = -1;
    std::int32_t playing_ = -1;
    double playFraction_ = 0;
    bool followPlayhead_ = true;
    double savedPerPixel_ = 0; // the user's zoom (0: the whole axis), kept for a new list

    enum class Drag { None, Pending, Pan, Span };
    Drag drag_ = Drag::None;
    POINT dragFrom_{};
    WPARAM dragKeys_ = 0;
    int dragLastX_ = 0;
    int spanTo_ = 0;

    HWND tooltip_ = nullptr;
    std::wstring tipText_;
    std::int32_t tipItem_ = -1;
    UINT dpi_ = 96;
    FontHandle font_;
    TimelinePainter painter_;
};

} // namespace voice::timeline
