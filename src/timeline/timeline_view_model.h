#pragma once
// What the timeline window shows and what the user did in it, without the window: the
// list's lines as lanes, the view, the selection, the focus, a Shift+drag span and the
// playhead the view follows. The window only turns messages into these calls and paints
// what they leave. Calls that change the selection return true: the host is to be told.
// Portable.

#include "timeline/lane_raster.h"

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace voice::timeline {

// What a playback report changed on screen.
struct PlaybackChange {
    bool whole = false; // the view moved or the recording playing changed: repaint it all
    double fromX = -1;  // else only the playhead moved, from this x to that (-1: none shown)
    double toX = -1;
};

// Which channels a mix lets be heard: a muted one is silent, and while one is soloed only it
// sounds, muted or not. Kept by channel, so a new list keeps the choice.
class LaneSound {
public:
    void ToggleMute(int channel);
    // Solos channel, or clears the solo when it is the one soloed.
    void ToggleSolo(int channel);
    bool Sounds(int channel) const { return solo_ ? *solo_ == channel : !muted_.contains(channel); }
    bool Muted(int channel) const { return muted_.contains(channel); }
    std::optional<int> Solo() const noexcept { return solo_; }

private:
    std::set<int> muted_;
    std::optional<int> solo_;
};

class TimelineViewModel {
public:
    // A new list (or none): lanes, days searched (midnights, 0 for none), the search's
    // time-of-day window. The view starts at the kept zoom a little before the first recording.
    void SetLines(std::vector<std::wstring> lines, Seconds searchedFrom, Seconds searchedTo,
                  DayWindow window);
    // Hours outside the window folded away or shown; the selection and the view's middle stay.
    void SetFolded(bool folded);
    bool Folded() const noexcept { return folded_; }
    bool CanFold() const noexcept { return !window_.Whole(); }
    // The zoom a new list starts with (0: the whole axis).
    void SetKeptZoom(double secondsPerPixel) { keptPerPixel_ = secondsPerPixel; }
    // The lanes' pixels; margin: how far inside the view a focused bar is kept.
    void Resize(int left, int width, double margin);

    void SetSelectedLines(const std::vector<std::int32_t>& lines);
    void SetHeardLines(const std::vector<bool>& heardByLine);
    void MarkLineHeard(std::int32_t line);
    // The line playing (-1: none) and how far (0..1). The view follows the playhead unless
    // the user moved it away from it; a new recording is followed again.
    PlaybackChange SetPlayback(std::int32_t line, double fraction);

    // A click on item (-1: none): it alone, or added/removed with toggle.
    bool Click(std::int32_t item, bool toggle);
    // A double-click: item alone selected and focused; true if that changed the selection.
    bool Activate(std::int32_t item);
    // Moves the focus to item, keeping it inside the view, and selects it alone when asked.
    bool MoveFocus(std::int32_t item, bool select);
    bool ToggleFocused();
    bool SelectAll();
    // Shift+drag: the span between two x; its end selects what it crosses (added with add).
    void BeginSpan(double x);
    void MoveSpan(double x);
    bool EndSpan(double x, bool add);
    void CancelSpan() { spanActive_ = false; }
    bool SpanActive() const noexcept { return spanActive_; }
    double SpanFrom() const noexcept { return spanFrom_; }
    double SpanTo() const noexcept { return spanTo_; }
    // The times the last span covered, while the selection is still the one it made.
    std::optional<std::pair<double, double>> SelectedSpan() const;

    // A click on a lane's label mutes or unmutes its channel; Ctrl+click solos it.
    void ClickLabel(std::size_t lane, bool solo);
    // M and S: the same for the focused recording's lane; false with nothing focused.
    bool MuteFocusedLane(bool solo);
    const LaneSound& Sound() const noexcept { return sound_; }

    // The user's own moves of the view.
    void ZoomAround(double x, double factor);
    void ScrollByPixels(double dx);
    void ScrollToShown(double shown);
    // From the first recording's start to the last one's end, with a little room each side.
    void ShowRecordings();
    // Centres the view on t, at most an hour across so that its minutes can be told.
    void GoTo(Seconds t);

    const Timeline& Model() const noexcept { return timeline_; }
    const TimeScale& Scale() const noexcept { return scale_; }
    const std::vector<std::wstring>& Lines() const noexcept { return lines_; }
    const std::vector<bool>& Selected() const noexcept { return selected_; }
    const std::vector<bool>& Heard() const noexcept { return heard_; }
    // Brought up to date with the selection and heard marks before it is returned.
    const DensityIndex& Index();
    std::vector<std::int32_t> SelectedLines() const;
    bool AnySelected() const;
    std::int32_t Focus() const noexcept { return focus_; }
    std::int32_t Playing() const noexcept { return playing_; }
    // The playhead's time, and its x (-1 when nothing plays).
    double PlayheadTime() const;
    double PlayheadX() const;
    bool Following() const noexcept { return following_; }

private:
    void Rebuild(bool keepView);
    void SelectOnly(std::int32_t item);
    // After any move of the view by the user.
    void UserMoved();

    std::vector<std::wstring> lines_;
    Seconds searchedFrom_ = 0, searchedTo_ = 0;
    DayWindow window_;
    bool folded_ = false;
    Timeline timeline_;
    DensityIndex index_;
    bool indexStale_ = true;
    TimeScale scale_;
    double margin_ = 24;
    std::vector<bool> selected_, heard_, heardByLine_;
    std::int32_t focus_ = -1;
    std::int32_t playing_ = -1;
    double fraction_ = 0;
    bool following_ = true;
    double keptPerPixel_ = 0;
    bool spanActive_ = false;
    double spanFrom_ = 0, spanTo_ = 0;
    std::pair<double, double> lastSpan_{};
    std::vector<std::int32_t> lastSpanSelection_; // empty: no span made the selection
    LaneSound sound_;
};

} // namespace voice::timeline
