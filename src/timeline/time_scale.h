#pragma once
// The time<->pixel mapping of the timeline. Time first goes to "shown" seconds, which with
// the hours folded keep only each day's time-of-day window, so eight hours a day over a
// week fill the width; then the view scales and shifts shown seconds onto pixels.
// Portable.

#include "timeline/timeline_model.h"

namespace voice::timeline {

// Seconds of the day kept when folding: [from, to).
struct DayWindow {
    int from = 0;
    int to = static_cast<int>(kSecondsPerDay);
    bool Whole() const noexcept { return from <= 0 && to >= kSecondsPerDay; }
};

// The search's time fields as a window: "hh:nn:ss" texts, each only when enabled; the
// "to" second itself is inside. An empty or reversed window is the whole day.
DayWindow DayWindowOf(bool fromEnabled, std::wstring_view from, bool toEnabled,
                      std::wstring_view to);

class Fold {
public:
    Fold() = default;
    // origin: midnight of the first day; folded: keep only window of each day.
    Fold(Seconds origin, DayWindow window, bool folded);

    double Shown(Seconds t) const noexcept;
    double Shown(double t) const noexcept;
    // The real time of a shown instant (inside the window when folded).
    double Real(double shown) const noexcept;
    // The earliest real time shown at that instant: at a day's first shown second, the
    // previous day's window end, as every hidden hour between them is shown there too.
    double EarliestReal(double shown) const noexcept;
    // Shown seconds per day.
    Seconds DayLength() const noexcept { return to_ - from_; }
    Seconds Origin() const noexcept { return origin_; }
    bool Folded() const noexcept { return from_ != 0 || to_ != kSecondsPerDay; }
    // Whether a time of day is shown.
    bool ShowsTimeOfDay(Seconds secondOfDay) const noexcept {
        return secondOfDay >= from_ && secondOfDay <= to_;
    }
    int From() const noexcept { return static_cast<int>(from_); }
    int To() const noexcept { return static_cast<int>(to_); }

private:
    Seconds origin_ = 0;
    Seconds from_ = 0;
    Seconds to_ = kSecondsPerDay;
};

// Shown seconds on pixels: x = left + (shown - start) / secondsPerPixel.
class TimeScale {
public:
    TimeScale() = default;
    // The whole of [firstDay, lastDay + 1 day) fits width pixels from left.
    TimeScale(const Fold& fold, Seconds firstDay, Seconds lastDay, int left, int width);

    double X(Seconds t) const noexcept { return XOfShown(fold_.Shown(t)); }
    double X(double t) const noexcept { return XOfShown(fold_.Shown(t)); }
    double XOfShown(double shown) const noexcept { return left_ + (shown - start_) / perPixel_; }
    double ShownAt(double x) const noexcept { return start_ + (x - left_) * perPixel_; }
    double TimeAt(double x) const noexcept { return fold_.Real(ShownAt(x)); }

    const Fold& GetFold() const noexcept { return fold_; }
    double SecondsPerPixel() const noexcept { return perPixel_; }
    double ShownStart() const noexcept { return start_; }
    double ShownEnd() const noexcept { return start_ + width_ * perPixel_; }
    double ShownTotal() const noexcept { return total_; }
    int Left() const noexcept { return left_; }
    int Width() const noexcept { return width_; }
    // The finest zoom: this many seconds across the width.
    static constexpr double kFinestSpan = 10.0;
    double CoarsestPerPixel() const noexcept;
    double FinestPerPixel() const noexcept;

    // Changes of the view; each keeps it within the axis and the zoom within its bounds.
    void Resize(int left, int width);
    // Zoom by factor (above 1: closer) keeping the time under pixel x where it is.
    void ZoomAround(double x, double factor);
    void SetSecondsPerPixel(double perPixel, double keepX);
    void ScrollToShown(double shownStart);
    void ScrollByPixels(double dx) { ScrollToShown(start_ + dx * perPixel_); }
    // Scrolls only when t is outside the view, so that t is margin pixels inside it.
    void Reveal(Seconds t, double margin);
    void ShowWhole();
    // The same mapping over only the pixels [x0, x1): for painting a strip of the view.
    TimeScale Part(int x0, int x1) const noexcept;

private:
    void Clamp();

    Fold fold_;
    double start_ = 0;    // shown seconds at the left edge
    double perPixel_ = 1; // shown seconds per pixel
    double total_ = 0;    // shown seconds of the whole axis
    int left_ = 0;
    int width_ = 1;
};

} // namespace voice::timeline
