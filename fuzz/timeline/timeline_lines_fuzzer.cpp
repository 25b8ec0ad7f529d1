// Arbitrary list lines into the timeline: no crash; every readable line in exactly one lane,
// each lane in order of start; the keys never leave the recordings; the density index and
// a visit of every recording count the same recordings in view; and the heard marks of the
// lines survive their file format unchanged. The window's view model driven over the lines
// keeps its focus, selection and playhead on recordings; any line read as a time to go to
// reads back the same from its own text.
#include "../catalogue/fuzz_text.h"
#include "timeline/go_to_time.h"
#include "timeline/heard_marks.h"
#include "timeline/lane_raster.h"
#include "timeline/navigation.h"
#include "timeline/timeline_view_model.h"

#include <cstdlib>
#include <numeric>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace voice::timeline;
    if (size < 2)
        return 0;
    const bool folded = data[0] & 1;
    const int width = 50 + data[1];
    std::vector<std::wstring> lines(1);
    for (std::size_t k = 2; k < size; ++k) {
        if (data[k] == '\n')
            lines.emplace_back();
        else
            lines.back().push_back(voice::fuzzing::WideOf(data[k]));
    }
    const Timeline t = BuildTimeline(lines);
    std::size_t readable = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::int32_t item = t.ItemOfLine(static_cast<std::int32_t>(i));
        Check((item >= 0) == (ReadLineTimes(lines[i]).channel != 0));
        if (item >= 0) {
            ++readable;
            Check(t.recordings[item].line == static_cast<std::int32_t>(i));
        }
    }
    Check(readable == t.recordings.size());
    for (const Lane& lane : t.lanes)
        for (std::int32_t i = lane.begin; i < lane.end; ++i) {
            const Recording& r = t.recordings[i];
            Check(r.end >= r.start && r.end - r.start <= lane.longest);
            Check(i == lane.begin || t.recordings[i - 1].start <= r.start);
            for (int direction : {-1, 1})
                for (std::int32_t next :
                     {NextInLane(t, i, direction), InNeighbourLane(t, i, direction)})
                    Check(next >= 0 && static_cast<std::size_t>(next) < t.recordings.size());
        }

    // The whole axis: every recording counted once either way (bars included).
    const Fold fold(t.firstDay, {8 * 3600, 17 * 3600}, folded);
    const TimeScale scale(fold, t.firstDay, t.lastDay, 0, width);
    DensityIndex index(t);
    for (std::size_t lane = 0; lane < t.lanes.size(); ++lane) {
        LaneRaster visited, read;
        RasterizeLane(t, lane, scale, {}, {}, visited);
        RasterizeLane(t, lane, scale, {}, {}, read, &index);
        const auto total = [](const LaneRaster& r) {
            return std::accumulate(r.count.begin(), r.count.end(), std::size_t{0});
        };
        if (scale.SecondsPerPixel() >= index.Coarsest())
            Check(total(read) >= total(visited));
        for (const Bar& bar : visited.bars)
            Check(bar.x0 < bar.x1 && bar.x0 >= 0 && bar.x1 <= width);
    }

    TimelineViewModel view;
    view.Resize(10, width, 24);
    view.SetLines(lines, 0, 0, {8 * 3600, 17 * 3600});
    view.SetFolded(folded);
    view.ShowRecordings();
    const std::int32_t n = static_cast<std::int32_t>(view.Model().recordings.size());
    view.BeginSpan(10 + data[1] % width);
    view.EndSpan(10 + data[0] % width, true);
    view.MoveFocus(LastRecording(view.Model()), true);
    view.SetPlayback(static_cast<std::int32_t>(data[0] % (lines.size() + 1)) - 1, data[1] / 255.0);
    view.GoTo(view.Model().firstDay + data[1] * 997);
    Check(view.Focus() >= -1 && view.Focus() < n && view.Playing() >= -1 && view.Playing() < n);
    for (std::int32_t line : view.SelectedLines())
        Check(view.Model().ItemOfLine(line) >= 0);
    for (const std::wstring& line : lines)
        if (const auto at = ParseGoToTime(line, t.firstDay))
            Check(ParseGoToTime(GoToTimeText(*at), 0) == at);

    HeardMarks marks;
    for (const std::wstring& line : lines)
        marks.Mark(line);
    bool damaged = true;
    const HeardMarks again = HeardMarks::Parse(marks.Serialize(), damaged);
    Check(!damaged && again.Size() == marks.Size());
    for (const std::wstring& line : lines)
        Check(again.Heard(line) == marks.Heard(line));
    return 0;
}
