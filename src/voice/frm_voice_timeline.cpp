// The timeline window in step with the list and the player: one selection for both, the
// recording playing marked with its playhead, and heard marks kept per user.
//
// The list stays the one place the selection lives: a selection made in the timeline is
// put into LBListFiles and then handled as the list's own click, so playback follows the
// same rules whichever window the user worked in.

#include "timeline/heard_marks.h"
#include "timeline/timeline_window.h"
#include "voice/frm_voice.h"

#include <tuple>

namespace voice {

// What the main window keeps for the timeline, open or not, and what the timeline asks of
// the window.
class TimelineLink final : public timeline::TimelineHost {
public:
    explicit TimelineLink(TFrmVoice& form) : form_(form) {}

    timeline::TimelineWindow window;
    // The heard marks, read when first needed.
    timeline::HeardMarks marks;
    bool marksLoaded = false;
    std::filesystem::path marksFile;
    // The searched days and time window of the list shown.
    timeline::Seconds searchedFrom = 0, searchedTo = 0;
    timeline::DayWindow dayWindow;
    // The list line seen playing, which counts as heard once it nears its end.
    std::int32_t playedLine = -1;

    void LoadMarks() {
        if (marksLoaded)
            return;
        marksLoaded = true;
        marksFile = timeline::HeardMarksPath();
        bool rewrite = false;
        marks = timeline::LoadHeardMarks(marksFile, rewrite);
        if (rewrite)
            timeline::SaveHeardMarks(marks, marksFile); // a damaged file is replaced at once
    }

    // The timeline's selection goes into the list, and then as the user's own click there.
    void SelectLines(const std::vector<std::int32_t>& lines) override {
        HWND list = form_.LBListFiles.Handle();
        ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        ::SendMessageW(list, LB_SETSEL, FALSE, -1);
        // Runs of lines at once: selecting all of 100,000 lines stays one message per run.
        for (std::size_t i = 0; i < lines.size();) {
            std::size_t j = i + 1;
            while (j < lines.size() && lines[j] == lines[j - 1] + 1)
                ++j;
            ::SendMessageW(list, LB_SELITEMRANGEEX, lines[i], lines[j - 1]);
            i = j;
        }
        ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        if (!lines.empty())
            ::SendMessageW(list, LB_SETCARETINDEX, lines.front(), FALSE); // into view
        ::InvalidateRect(list, nullptr, TRUE);
        form_.LBListFilesClick();
    }
    void Play() override { form_.LBListFilesDblClick(); }
    void PlayPause() override { form_.PlayPauseKey(); }
    bool OtherKey(const MSG& key) override {
        MSG asMain = key;
        asMain.hwnd = form_.Handle();
        return form_.TranslateShortcut(asMain);
    }
    // The list's own commands, acting on the one selection both windows share.
    void FillMenu(gui::PopupMenu& menu) override {
        menu.AddSeparator();
        form_.AppendListMenu(menu);
    }
    void RunCommand(UINT command) override {
        ::SendMessageW(form_.Handle(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
    }
    void ClearHeard() override {
        LoadMarks();
        marks.Clear();
        timeline::SaveHeardMarks(marks, marksFile);
        window.SetHeardLines({});
    }
    void LanesChanged() override { form_.IncidentLanesChanged(); }
    void Closing() override {
        window.SaveTo(form_.OwnSettings.Values());
        form_.OwnSettings.Save();
    }

private:
    TFrmVoice& form_;
};

void TimelineLinkDeleter::operator()(TimelineLink* link) const noexcept {
    delete link;
}

namespace {

// Within this much of its end a recording counts as heard.
constexpr double kHeardBeforeEnd = 1.0; // s

timeline::Seconds Midnight(const CalendarDate& date) {
    return SecondsOf({date.year, date.month, date.day, 0, 0, 0});
}

} // namespace

timeline::TimelineWindow& TFrmVoice::TimelineView() {
    if (!timeline_)
        timeline_.reset(new TimelineLink(*this));
    return timeline_->window;
}

void TFrmVoice::TimelineClick() {
    timeline::TimelineWindow& view = TimelineView();
    if (view.IsOpen()) {
        view.Open(Handle(), *timeline_, OwnSettings.Values()); // to the front
        return;
    }
    view.Open(Handle(), *timeline_, OwnSettings.Values());
    TimelineListChanged();
}

void TFrmVoice::TimelineListChanged() {
    if (!timeline_)
        return;
    TimelineLink& link = *timeline_;
    const std::vector<std::wstring> lines = AllLines();
    if (lines.empty()) {
        link.searchedFrom = link.searchedTo = 0;
        link.dayWindow = {};
    } else {
        const SearchCriteria criteria = GatherSearchCriteria();
        link.searchedFrom = Midnight(criteria.from);
        link.searchedTo = Midnight(criteria.to);
        link.dayWindow = timeline::DayWindowOf(criteria.fromTime.enabled, criteria.fromTime.text,
                                               criteria.toTime.enabled, criteria.toTime.text);
    }
    link.playedLine = -1;
    if (!link.window.IsOpen())
        return;
    link.window.SetLines(lines, link.searchedFrom, link.searchedTo, link.dayWindow);
    link.LoadMarks();
    if (link.marks.Settle(lines)) // early marks in today's format
        timeline::SaveHeardMarks(link.marks, link.marksFile);
    std::vector<bool> heard(lines.size(), false);
    if (link.marks.Size() > 0)
        for (std::size_t i = 0; i < lines.size(); ++i)
            heard[i] = link.marks.Heard(lines[i]);
    link.window.SetHeardLines(heard);
    TimelineSelectionChanged();
}

void TFrmVoice::TimelineSelectionChanged() {
    if (!timeline_ || !timeline_->window.IsOpen())
        return;
    const std::vector<int> selected = LBListFiles.SelectedIndices();
    timeline_->window.SetSelectedLines({selected.begin(), selected.end()});
}

void TFrmVoice::TimelinePlaybackTick() {
    // Heard marks count also while the timeline is closed.
    if (!timeline_)
        timeline_.reset(new TimelineLink(*this));
    TimelineLink& link = *timeline_;
    std::int32_t line = -1;
    double fraction = 0;
    if (incident_.Active()) {
        // The playhead at the incident's time of day: in the recording heard last.
        std::tie(line, fraction) = IncidentSounding();
    } else if (MediaPlayer1.DeviceOpen() && 0 <= CurrentIndex &&
               CurrentIndex < LBListFiles.Count()) {
        const TMPState mode = MediaPlayer1.Mode();
        // In the recording's own seconds: the file open may be a part of it, or faster.
        const double length = review_.RecordingLength(MediaPlayer1.Length());
        const double position = review_.RecordingAt(MediaPlayer1.Position());
        // Paused or stopped the recording is still where playback stands: a skip shows.
        if (mode == msPlaying || mode == msPaused || mode == msStopped) {
            line = CurrentIndex;
            fraction = length > 0 ? position / length : 0;
        }
        if (mode == msPlaying)
            link.playedLine = CurrentIndex;
        if (link.playedLine == CurrentIndex && length > 0 && position >= length - kHeardBeforeEnd) {
            link.playedLine = -1; // once
            link.LoadMarks();
            const std::wstring text = LBListFiles.Line(CurrentIndex);
            if (link.marks.Mark(text))
                timeline::SaveHeardMarks(link.marks, link.marksFile);
            link.window.MarkLineHeard(CurrentIndex);
        }
    }
    if (link.window.IsOpen())
        link.window.SetPlayback(line, fraction);
}

} // namespace voice
