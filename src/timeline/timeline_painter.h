#pragma once
// Paints the timeline: lanes, axis, bars in a colour per channel, density columns shaded
// by how many they hold, selection, heard marks, the playhead across every lane, the
// cursor line with its time and the focus rectangle, over the system's colours. Everything is drawn
// into a bitmap of the window's size and copied at once (no flicker); rectangles are written
// straight into the bitmap's pixels, so the cost follows the pixels, not the number of recordings.

#include "platform/unique_handle.h"
#include "timeline/lane_raster.h"
#include "timeline/timeline_view_model.h"

#include <windows.h>

#include <array>
#include <memory>
#include <vector>

namespace voice::timeline {

struct TimelineLayout {
    int labelWidth = 0; // lane labels at the left
    int axisHeight = 0; // the axis above the lanes
    int laneHeight = 0;
    int barInset = 0; // free pixels above and below a bar

    // For the client size at dpi: the lanes share the height, never below a least one.
    static TimelineLayout For(SIZE client, std::size_t lanes, UINT dpi);
    int LaneTop(std::size_t lane) const { return axisHeight + static_cast<int>(lane) * laneHeight; }
    // The lane at client y; -1 outside every lane.
    int LaneAt(int y, std::size_t lanes) const;
};

struct TimelinePicture {
    const Timeline* timeline = nullptr;
    const TimeScale* scale = nullptr;
    TimelineLayout layout;
    const std::vector<bool>* selected = nullptr; // per recording
    const std::vector<bool>* heard = nullptr;    // per recording
    const DensityIndex* index = nullptr;         // for coarse zooms; optional
    std::int32_t focus = -1;                     // drawn with a focus rectangle
    bool showFocus = false;
    std::int32_t playing = -1; // marked, with the playhead at playhead
    double playhead = 0;       // real seconds
    bool spanActive = false;   // Shift+drag in progress: the span [spanFrom, spanTo] in x
    int spanFrom = 0, spanTo = 0;
    int cursorX = -1; // the pointer's line with its time; -1 for none
    HFONT font = nullptr;
    // A lane's label: struck through when its channel is not heard in a mix, bold while it
    // is soloed.
    const LaneSound* sound = nullptr;
    HFONT struckFont = nullptr, soloFont = nullptr;
    UINT dpi = 96;
};

class TimelinePainter {
public:
    TimelinePainter() = default;
    ~TimelinePainter();
    TimelinePainter(const TimelinePainter&) = delete;
    TimelinePainter& operator=(const TimelinePainter&) = delete;

    // Paints the client area of size into target; with clip, only that part, the rest of
    // the bitmap kept from the last paint (the playhead's strip on a tick).
    void Paint(HDC target, SIZE size, const TimelinePicture& picture, const RECT* clip = nullptr);

private:
    void PaintEmpty(HDC target, SIZE size, const TimelinePicture& picture);
    void EnsureBitmap(HDC like, SIZE size);
    void ReleaseBitmap() noexcept;
    void Fill(int x0, int y0, int x1, int y1, COLORREF colour);
    // colour laid over what is there at opacity (0..1).
    void Tint(int x0, int y0, int x1, int y1, COLORREF colour, double opacity);
    static std::uint32_t Pixel(COLORREF colour) noexcept;
    // The merged columns of a lane, bottom-aligned, their height by how many they hold.
    void PaintDensity(int left, int top, int bottom, const LaneRaster& raster, COLORREF selected,
                      COLORREF heard, COLORREF normal, COLORREF background);

    std::unique_ptr<MemoryDc> memory_;
    BitmapHandle bitmap_;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t* pixels_ = nullptr;
    SIZE size_{};
    RECT clip_{};       // what this paint may touch
    LaneRaster raster_; // kept between paints: no allocation while zooming or playing
    std::vector<int> heights_;
    std::vector<std::uint32_t> colours_;
    std::array<std::array<std::uint32_t, 49>, 3> shades_{}; // by kind and count
    std::array<int, 49> shadeHeights_{};
    // The bars of a lane by column: how a column is drawn, its colour and its frame's.
    std::vector<std::uint8_t> kinds_;
    std::vector<std::uint32_t> fills_, accents_;
};

} // namespace voice::timeline
