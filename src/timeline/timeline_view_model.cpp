#include "timeline/timeline_view_model.h"

#include "timeline/navigation.h"

#include <algorithm>
#include <cmath>

namespace voice::timeline {

void LaneSound::ToggleMute(int channel) {
    if (!muted_.erase(channel))
        muted_.insert(channel);
}

void LaneSound::ToggleSolo(int channel) {
    if (solo_ == channel)
        solo_.reset();
    else
        solo_ = channel;
}

void TimelineViewModel::ClickLabel(std::size_t lane, bool solo) {
    if (lane >= timeline_.lanes.size())
        return;
    const int channel = timeline_.lanes[lane].channel;
    if (solo)
        sound_.ToggleSolo(channel);
    else
        sound_.ToggleMute(channel);
}

bool TimelineViewModel::MuteFocusedLane(bool solo) {
    if (focus_ < 0)
        return false;
    ClickLabel(static_cast<std::size_t>(timeline_.recordings[focus_].lane), solo);
    return true;
}

void TimelineViewModel::SetLines(std::vector<std::wstring> lines, Seconds searchedFrom,
                                 Seconds searchedTo, DayWindow window) {
    lines_ = std::move(lines);
    searchedFrom_ = searchedFrom;
    searchedTo_ = searchedTo;
    window_ = window;
    heardByLine_.clear();
    Rebuild(false);
}

void TimelineViewModel::SetFolded(bool folded) {
    if (folded == folded_)
        return;
    folded_ = folded;
    if (!lines_.empty() || !timeline_.Empty())
        Rebuild(true);
}

void TimelineViewModel::Rebuild(bool keepView) {
    const double perPixel = keepView ? scale_.SecondsPerPixel() : keptPerPixel_;
    const double centre = scale_.TimeAt(scale_.Left() + scale_.Width() / 2.0);
    const std::vector<std::int32_t> selectedLines =
        keepView ? SelectedLines() : std::vector<std::int32_t>{};
    const std::int32_t focusLine = keepView && focus_ >= 0 ? timeline_.recordings[focus_].line : -1;
    const std::int32_t playingLine =
        keepView && playing_ >= 0 ? timeline_.recordings[playing_].line : -1;
    const int left = scale_.Left(), width = scale_.Width();

    timeline_ = BuildTimeline(lines_, searchedFrom_, searchedTo_);
    index_ = DensityIndex(timeline_);
    const Fold fold(timeline_.firstDay, window_, folded_);
    scale_ = TimeScale(fold, timeline_.firstDay, timeline_.lastDay, left, width);
    selected_.assign(timeline_.recordings.size(), false);
    SetSelectedLines(selectedLines);
    SetHeardLines(heardByLine_);
    focus_ = timeline_.ItemOfLine(focusLine);
    playing_ = timeline_.ItemOfLine(playingLine);
    spanActive_ = false;
    if (!keepView)
        following_ = true;
    if (perPixel > 0) {
        scale_.SetSecondsPerPixel(perPixel, scale_.Left());
        const std::int32_t first = FirstRecording(timeline_);
        const double at = keepView     ? centre
                          : first >= 0 ? static_cast<double>(timeline_.recordings[first].start)
                                       : static_cast<double>(timeline_.firstDay);
        // Centred on what was in the middle, or starting a little before the first recording.
        const double offset = keepView ? scale_.Width() / 2.0 : scale_.Width() / 20.0;
        scale_.ScrollToShown(scale_.GetFold().Shown(at) - offset * scale_.SecondsPerPixel());
    }
}

void TimelineViewModel::Resize(int left, int width, double margin) {
    margin_ = margin;
    scale_.Resize(left, width);
}

void TimelineViewModel::SetSelectedLines(const std::vector<std::int32_t>& lines) {
    selected_.assign(timeline_.recordings.size(), false);
    for (std::int32_t line : lines)
        if (timeline_.ItemOfLine(line) >= 0)
            selected_[timeline_.ItemOfLine(line)] = true;
    indexStale_ = true;
}

void TimelineViewModel::SetHeardLines(const std::vector<bool>& heardByLine) {
    heardByLine_ = heardByLine;
    heard_.assign(timeline_.recordings.size(), false);
    for (std::size_t line = 0; line < heardByLine_.size(); ++line) {
        const std::int32_t item = timeline_.ItemOfLine(static_cast<std::int32_t>(line));
        if (heardByLine_[line] && item >= 0)
            heard_[item] = true;
    }
    indexStale_ = true;
}

void TimelineViewModel::MarkLineHeard(std::int32_t line) {
    if (line < 0)
        return;
    if (heardByLine_.size() <= static_cast<std::size_t>(line))
        heardByLine_.resize(static_cast<std::size_t>(line) + 1, false);
    heardByLine_[line] = true;
    if (timeline_.ItemOfLine(line) >= 0)
        heard_[timeline_.ItemOfLine(line)] = true;
    indexStale_ = true;
}

PlaybackChange TimelineViewModel::SetPlayback(std::int32_t line, double fraction) {
    const std::int32_t item = timeline_.ItemOfLine(line);
    fraction = std::clamp(fraction, 0.0, 1.0);
    if (item == playing_ && fraction == fraction_)
        return {};
    PlaybackChange change;
    change.fromX = PlayheadX();
    change.whole = item != playing_;
    if (item != playing_)
        following_ = true; // a new recording: the view follows it again
    playing_ = item;
    fraction_ = fraction;
    if (playing_ >= 0 && following_) {
        // Leaving the view's last tenth, the view turns a page: it starts a tenth before the
        // playhead, so that most ticks repaint only the playhead's strip.
        const double x = PlayheadX(), lead = scale_.Width() / 10.0;
        const double before = scale_.ShownStart();
        if (x < scale_.Left() || x > scale_.Left() + scale_.Width() - lead)
            scale_.ScrollByPixels(x - (scale_.Left() + lead));
        change.whole = change.whole || scale_.ShownStart() != before;
    }
    change.toX = PlayheadX();
    return change;
}

void TimelineViewModel::SelectOnly(std::int32_t item) {
    selected_.assign(timeline_.recordings.size(), false);
    if (item >= 0)
        selected_[item] = true;
    indexStale_ = true;
}

bool TimelineViewModel::Click(std::int32_t item, bool toggle) {
    if (item < 0 || static_cast<std::size_t>(item) >= selected_.size())
        return false;
    focus_ = item;
    if (toggle) {
        selected_[item] = !selected_[item];
        indexStale_ = true;
    } else {
        SelectOnly(item);
    }
    return true;
}

bool TimelineViewModel::Activate(std::int32_t item) {
    if (item < 0 || static_cast<std::size_t>(item) >= selected_.size())
        return false;
    focus_ = item;
    if (SelectedLines() == std::vector<std::int32_t>{timeline_.recordings[item].line})
        return false;
    SelectOnly(item);
    return true;
}

bool TimelineViewModel::MoveFocus(std::int32_t item, bool select) {
    if (item < 0 || static_cast<std::size_t>(item) >= selected_.size())
        return false;
    focus_ = item;
    // The bar in view with the margin each side; of one longer than the view, its start.
    const Recording& r = timeline_.recordings[item];
    const double margin = std::min(margin_, scale_.Width() / 4.0);
    const double room = scale_.Width() - 2 * margin;
    const double x0 = scale_.X(r.start), x1 = std::min(scale_.X(r.end), x0 + room);
    const double right = scale_.Left() + scale_.Width() - margin;
    if (x1 > right)
        scale_.ScrollByPixels(x1 - right);
    if (scale_.X(r.start) < scale_.Left() + margin)
        scale_.ScrollByPixels(scale_.X(r.start) - (scale_.Left() + margin));
    UserMoved();
    if (!select)
        return false;
    SelectOnly(item);
    return true;
}

bool TimelineViewModel::ToggleFocused() {
    return Click(focus_, true);
}

bool TimelineViewModel::SelectAll() {
    selected_.assign(timeline_.recordings.size(), true);
    indexStale_ = true;
    return true;
}

void TimelineViewModel::BeginSpan(double x) {
    spanActive_ = true;
    spanFrom_ = spanTo_ = x;
}

void TimelineViewModel::MoveSpan(double x) {
    spanTo_ = x;
}

bool TimelineViewModel::EndSpan(double x, bool add) {
    if (!spanActive_)
        return false;
    spanActive_ = false;
    spanTo_ = x;
    const std::vector<std::int32_t> found =
        RecordingsInSpan(timeline_, scale_.TimeAt(spanFrom_), scale_.TimeAt(spanTo_));
    if (!add)
        SelectOnly(-1);
    for (std::int32_t item : found)
        selected_[item] = true;
    if (!found.empty())
        focus_ = found.front();
    indexStale_ = true;
    const double a = scale_.TimeAt(spanFrom_), b = scale_.TimeAt(spanTo_);
    lastSpan_ = {std::min(a, b), std::max(a, b)};
    lastSpanSelection_ = SelectedLines();
    return true;
}

std::optional<std::pair<double, double>> TimelineViewModel::SelectedSpan() const {
    if (lastSpanSelection_.empty() || lastSpanSelection_ != SelectedLines())
        return std::nullopt;
    return lastSpan_;
}

void TimelineViewModel::UserMoved() {
    keptPerPixel_ = scale_.SecondsPerPixel(); // the user's zoom, kept for the next list
    // Away from the playhead, the view stays where the user put it until the next recording.
    if (playing_ >= 0) {
        const double x = PlayheadX();
        following_ = x >= scale_.Left() && x <= scale_.Left() + scale_.Width();
    }
}

void TimelineViewModel::ZoomAround(double x, double factor) {
    scale_.ZoomAround(x, factor);
    UserMoved();
}

void TimelineViewModel::ScrollByPixels(double dx) {
    scale_.ScrollByPixels(dx);
    UserMoved();
}

void TimelineViewModel::ScrollToShown(double shown) {
    scale_.ScrollToShown(shown);
    UserMoved();
}

void TimelineViewModel::ShowRecordings() {
    if (timeline_.Empty())
        return;
    Seconds first = timeline_.recordings.front().start, last = timeline_.recordings.front().end;
    for (const Recording& r : timeline_.recordings) {
        first = std::min(first, r.start);
        last = std::max(last, r.end);
    }
    const Fold& fold = scale_.GetFold();
    const double span = std::max(fold.Shown(last) - fold.Shown(first), TimeScale::kFinestSpan);
    const double room = span / 40;
    scale_.SetSecondsPerPixel((span + 2 * room) / scale_.Width(), scale_.Left());
    scale_.ScrollToShown(fold.Shown(first) - room);
    UserMoved();
}

void TimelineViewModel::GoTo(Seconds t) {
    constexpr double kHour = 3600;
    if (scale_.SecondsPerPixel() * scale_.Width() > kHour)
        scale_.SetSecondsPerPixel(kHour / scale_.Width(), scale_.Left());
    scale_.ScrollToShown(scale_.GetFold().Shown(t) -
                         scale_.Width() / 2.0 * scale_.SecondsPerPixel());
    UserMoved();
}

const DensityIndex& TimelineViewModel::Index() {
    if (indexStale_) {
        index_.Update(selected_, heard_);
        indexStale_ = false;
    }
    return index_;
}

std::vector<std::int32_t> TimelineViewModel::SelectedLines() const {
    std::vector<std::int32_t> lines;
    for (std::size_t i = 0; i < selected_.size(); ++i)
        if (selected_[i])
            lines.push_back(timeline_.recordings[i].line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

bool TimelineViewModel::AnySelected() const {
    return std::find(selected_.begin(), selected_.end(), true) != selected_.end();
}

double TimelineViewModel::PlayheadTime() const {
    if (playing_ < 0)
        return 0;
    const Recording& r = timeline_.recordings[playing_];
    return r.start + fraction_ * static_cast<double>(r.end - r.start);
}

double TimelineViewModel::PlayheadX() const {
    return playing_ >= 0 ? scale_.X(PlayheadTime()) : -1;
}

} // namespace voice::timeline
