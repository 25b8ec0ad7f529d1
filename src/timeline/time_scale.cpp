#include "timeline/time_scale.h"

#include <algorithm>
#include <cmath>

namespace voice::timeline {
namespace {

// "hh:nn:ss" with any separator; -1 when it is not a time of day.
int SecondOfDay(std::wstring_view text) {
    int parts[3] = {-1, -1, -1};
    std::size_t at = 0;
    for (int& part : parts) {
        while (at < text.size() && text[at] == L' ')
            ++at; // a blank hour-tens column reads as 0
        int value = -1;
        while (at < text.size() && text[at] >= L'0' && text[at] <= L'9')
            value = (value < 0 ? 0 : value * 10) + (text[at++] - L'0');
        part = value;
        ++at; // the separator
    }
    if (parts[0] < 0 || parts[0] > 23 || parts[1] < 0 || parts[1] > 59 || parts[2] < 0 ||
        parts[2] > 59)
        return -1;
    return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

} // namespace

DayWindow DayWindowOf(bool fromEnabled, std::wstring_view from, bool toEnabled,
                      std::wstring_view to) {
    DayWindow window;
    const int a = fromEnabled ? SecondOfDay(from) : -1;
    const int b = toEnabled ? SecondOfDay(to) : -1;
    if (a >= 0)
        window.from = a;
    if (b >= 0)
        window.to = b + 1;
    if (window.to <= window.from)
        return {};
    return window;
}

Fold::Fold(Seconds origin, DayWindow window, bool folded) : origin_(origin) {
    if (folded && !window.Whole() && window.to > window.from) {
        from_ = window.from;
        to_ = window.to;
    }
}

double Fold::Shown(Seconds t) const noexcept {
    if (!Folded())
        return static_cast<double>(t - origin_);
    const Seconds since = t - origin_;
    const Seconds day = DayOf(since);
    const Seconds second = std::clamp(since - day * kSecondsPerDay, from_, to_);
    return static_cast<double>(day * DayLength() + second - from_);
}

double Fold::Shown(double t) const noexcept {
    const double since = t - static_cast<double>(origin_);
    if (!Folded())
        return since;
    const double day = std::floor(since / kSecondsPerDay);
    const double second = std::clamp(since - day * kSecondsPerDay, static_cast<double>(from_),
                                     static_cast<double>(to_));
    return day * static_cast<double>(DayLength()) + second - static_cast<double>(from_);
}

double Fold::Real(double shown) const noexcept {
    if (!Folded())
        return origin_ + shown;
    const double length = static_cast<double>(DayLength());
    const double day = std::floor(shown / length);
    return origin_ + day * kSecondsPerDay + from_ + (shown - day * length);
}

double Fold::EarliestReal(double shown) const noexcept {
    if (!Folded())
        return origin_ + shown;
    const double length = static_cast<double>(DayLength());
    const double day = std::floor(shown / length);
    if (shown - day * length > 0)
        return Real(shown);
    return origin_ + (day - 1) * kSecondsPerDay + to_;
}

TimeScale::TimeScale(const Fold& fold, Seconds firstDay, Seconds lastDay, int left, int width)
    : fold_(fold), left_(left), width_(std::max(width, 1)) {
    total_ = fold_.Shown(lastDay + kSecondsPerDay) - fold_.Shown(firstDay);
    start_ = fold_.Shown(firstDay);
    ShowWhole();
}

double TimeScale::CoarsestPerPixel() const noexcept {
    return std::max(total_, kFinestSpan) / width_;
}

double TimeScale::FinestPerPixel() const noexcept {
    return std::min(kFinestSpan / width_, CoarsestPerPixel());
}

void TimeScale::Clamp() {
    perPixel_ = std::clamp(perPixel_, FinestPerPixel(), CoarsestPerPixel());
    const double span = width_ * perPixel_;
    const double origin = fold_.Shown(fold_.Origin());
    start_ = span >= total_ ? origin : std::clamp(start_, origin, origin + total_ - span);
}

void TimeScale::Resize(int left, int width) {
    // The time at the left edge stays; the span grows or shrinks with the width.
    left_ = left;
    width_ = std::max(width, 1);
    Clamp();
}

void TimeScale::ZoomAround(double x, double factor) {
    if (factor > 0)
        SetSecondsPerPixel(perPixel_ / factor, x);
}

void TimeScale::SetSecondsPerPixel(double perPixel, double keepX) {
    const double kept = ShownAt(keepX);
    perPixel_ = std::clamp(perPixel, FinestPerPixel(), CoarsestPerPixel());
    start_ = kept - (keepX - left_) * perPixel_;
    Clamp();
}

void TimeScale::ScrollToShown(double shownStart) {
    start_ = shownStart;
    Clamp();
}

void TimeScale::Reveal(Seconds t, double margin) {
    const double x = X(t);
    const double inner = std::min(margin, width_ / 4.0);
    if (x < left_ + inner)
        ScrollByPixels(x - (left_ + inner));
    else if (x > left_ + width_ - inner)
        ScrollByPixels(x - (left_ + width_ - inner));
}

TimeScale TimeScale::Part(int x0, int x1) const noexcept {
    TimeScale part = *this;
    part.start_ = ShownAt(x0);
    part.left_ = x0;
    part.width_ = std::max(x1 - x0, 1);
    return part;
}

void TimeScale::ShowWhole() {
    start_ = fold_.Shown(fold_.Origin());
    perPixel_ = CoarsestPerPixel();
    Clamp();
}

} // namespace voice::timeline
