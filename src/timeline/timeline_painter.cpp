#include "timeline/timeline_painter.h"

#include "gui/font.h"
#include "timeline/ticks.h"

#include <algorithm>
#include <cmath>

namespace voice::timeline {
namespace {

// a weighted towards b by t (0..1): shades that stay between two system colours, so a
// high-contrast theme keeps its contrast.
COLORREF Blend(COLORREF a, COLORREF b, double t) {
    const auto mix = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
               mix(GetBValue(a), GetBValue(b)));
}

struct Colours {
    COLORREF window = ::GetSysColor(COLOR_WINDOW);
    COLORREF text = ::GetSysColor(COLOR_WINDOWTEXT);
    COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    COLORREF grey = ::GetSysColor(COLOR_GRAYTEXT);
    COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    COLORREF laneOdd = Blend(window, face, 0.5);
    COLORREF bar = Blend(text, window, 0.35);
    COLORREF heard = Blend(text, window, 0.7); // muted
    COLORREF tick = Blend(grey, window, 0.5);
};

} // namespace

TimelineLayout TimelineLayout::For(SIZE client, std::size_t lanes, UINT dpi) {
    TimelineLayout layout;
    layout.labelWidth = gui::Scale(72, dpi);
    layout.axisHeight = gui::Scale(38, dpi);
    const int free = client.cy - layout.axisHeight;
    const int each = lanes ? free / static_cast<int>(lanes) : free;
    layout.laneHeight = std::clamp(each, gui::Scale(22, dpi), gui::Scale(64, dpi));
    layout.barInset = std::max(2, layout.laneHeight / 6);
    return layout;
}

int TimelineLayout::LaneAt(int y, std::size_t lanes) const {
    if (y < axisHeight || laneHeight <= 0)
        return -1;
    const int lane = (y - axisHeight) / laneHeight;
    return lane < static_cast<int>(lanes) ? lane : -1;
}

TimelinePainter::~TimelinePainter() {
    ReleaseBitmap();
}

void TimelinePainter::ReleaseBitmap() noexcept {
    if (memory_ && previous_)
        ::SelectObject(memory_->Get(), previous_);
    previous_ = nullptr;
    bitmap_.Reset();
    memory_.reset();
    pixels_ = nullptr;
}

void TimelinePainter::EnsureBitmap(HDC like, SIZE size) {
    if (memory_ && size.cx == size_.cx && size.cy == size_.cy)
        return;
    ReleaseBitmap();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.Reset(::CreateDIBSection(like, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_)
        return;
    memory_ = std::make_unique<MemoryDc>(like);
    previous_ = ::SelectObject(memory_->Get(), bitmap_.Get());
    pixels_ = static_cast<std::uint32_t*>(bits);
    size_ = size;
}

void TimelinePainter::Fill(int x0, int y0, int x1, int y1, COLORREF colour) {
    x0 = std::max(x0, 0), y0 = std::max(y0, 0);
    x1 = std::min<int>(x1, size_.cx), y1 = std::min<int>(y1, size_.cy);
    if (x0 >= x1 || y0 >= y1)
        return;
    // The bitmap's pixels are blue, green, red from the lowest byte.
    const std::uint32_t pixel =
        (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    for (int y = y0; y < y1; ++y)
        std::fill(pixels_ + static_cast<std::size_t>(y) * size_.cx + x0,
                  pixels_ + static_cast<std::size_t>(y) * size_.cx + x1, pixel);
}

std::uint32_t TimelinePainter::Pixel(COLORREF colour) noexcept {
    // The bitmap's pixels are blue, green, red from the lowest byte.
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

void TimelinePainter::PaintDensity(int left, int top, int bottom, const LaneRaster& raster,
                                   COLORREF selected, COLORREF heard, COLORREF normal) {
    const int width = static_cast<int>(raster.count.size());
    heights_.assign(static_cast<std::size_t>(width), 0);
    colours_.resize(static_cast<std::size_t>(width));
    const int height = bottom - top;
    const double busiest = std::log1p(static_cast<double>(raster.busiest));
    const std::uint32_t pixels[] = {Pixel(normal), Pixel(heard), Pixel(selected)};
    for (int column = 0; column < width; ++column) {
        const std::uint32_t count = raster.count[column];
        if (count == 0)
            continue;
        // A third of the bar for one recording, the whole bar for the busiest column.
        heights_[column] =
            std::max(1, static_cast<int>(height * (0.34 + 0.66 * std::log1p(count) / busiest)));
        colours_[column] = pixels[raster.selected[column]       ? 2
                                  : raster.unheard[column] == 0 ? 1
                                                                : 0];
    }
    // Row by row, as the bitmap lies in memory.
    left = std::max(left, 0);
    const int right = std::min<int>(left + width, size_.cx);
    for (int y = std::max(top, 0); y < std::min<int>(bottom, size_.cy); ++y) {
        std::uint32_t* row = pixels_ + static_cast<std::size_t>(y) * size_.cx;
        const int needed = bottom - y;
        for (int x = left; x < right; ++x)
            if (heights_[x - left] >= needed)
                row[x] = colours_[x - left];
    }
}

void TimelinePainter::PaintEmpty(HDC target, SIZE size, const TimelinePicture& p) {
    // No recordings: no axis either (its days would be made up), only a word in the middle.
    const Colours c;
    Fill(0, 0, size.cx, size.cy, c.window);
    HDC dc = memory_->Get();
    DcSelection font(dc,
                     p.font ? static_cast<HGDIOBJ>(p.font) : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, c.grey);
    RECT all{0, 0, size.cx, size.cy};
    ::DrawTextW(dc, L"Нет записей", -1, &all, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
    ::BitBlt(target, 0, 0, size.cx, size.cy, dc, 0, 0, SRCCOPY);
}

void TimelinePainter::Paint(HDC target, SIZE size, const TimelinePicture& p) {
    if (size.cx <= 0 || size.cy <= 0)
        return;
    EnsureBitmap(target, size);
    if (!pixels_)
        return;
    ::GdiFlush(); // earlier text must be in the pixels before they are overwritten
    const Colours c;
    const Timeline& timeline = *p.timeline;
    const TimeScale& scale = *p.scale;
    const TimelineLayout& l = p.layout;
    const int right = scale.Left() + scale.Width();
    if (timeline.Empty()) {
        PaintEmpty(target, size, p);
        return;
    }

    // Background, lanes, the axis's grid.
    Fill(0, 0, size.cx, size.cy, c.window);
    Fill(0, 0, size.cx, l.axisHeight, c.face);
    for (std::size_t lane = 0; lane < timeline.lanes.size(); ++lane) {
        const int top = l.LaneTop(lane);
        Fill(0, top, size.cx, top + l.laneHeight, lane % 2 ? c.laneOdd : c.window);
        Fill(0, top + l.laneHeight - 1, size.cx, top + l.laneHeight, c.tick);
    }
    const int lanesBottom = l.LaneTop(timeline.lanes.size());
    const std::vector<Tick> ticks = MakeTicks(scale, gui::Scale(76, p.dpi));
    for (const Tick& tick : ticks) {
        const int x = static_cast<int>(std::lround(tick.x));
        Fill(x, tick.dayChange ? l.axisHeight / 3 : l.axisHeight * 2 / 3, x + 1, lanesBottom,
             tick.dayChange ? c.text : c.tick);
    }
    Fill(l.labelWidth - 1, 0, l.labelWidth, lanesBottom, c.grey);

    // Recordings: bars, then the merged columns of those narrower than a pixel.
    static const std::vector<bool> kNone;
    const std::vector<bool>& selected = p.selected ? *p.selected : kNone;
    const std::vector<bool>& heard = p.heard ? *p.heard : kNone;
    const auto isSet = [](const std::vector<bool>& v, std::int32_t i) {
        return i >= 0 && static_cast<std::size_t>(i) < v.size() && v[i];
    };
    for (std::size_t lane = 0; lane < timeline.lanes.size(); ++lane) {
        const int top = l.LaneTop(lane) + l.barInset;
        const int bottom = l.LaneTop(lane) + l.laneHeight - l.barInset;
        RasterizeLane(timeline, lane, scale, selected, heard, raster_, p.index);
        if (raster_.busiest > 0)
            PaintDensity(scale.Left(), top, bottom, raster_, c.highlight, c.heard, c.bar);
        for (const Bar& bar : raster_.bars) {
            const COLORREF colour = isSet(selected, bar.item) ? c.highlight
                                    : isSet(heard, bar.item)  ? c.heard
                                                              : c.bar;
            Fill(bar.x0, top, bar.x1, bottom, colour);
            // Touching bars stay apart.
            if (bar.x1 - bar.x0 > 3)
                Fill(bar.x1 - 1, top, bar.x1, bottom, c.window);
        }
    }

    // The recording playing: framed, with the playhead across its lane.
    if (p.playing >= 0 && static_cast<std::size_t>(p.playing) < timeline.recordings.size()) {
        const Recording& r = timeline.recordings[p.playing];
        const int top = l.LaneTop(r.lane);
        const int x0 = std::max(scale.Left(), static_cast<int>(std::lround(scale.X(r.start))));
        const int x1 = std::min(right, static_cast<int>(std::lround(scale.X(r.end))) + 1);
        Fill(x0, top + 1, x1, top + 2, c.text);
        Fill(x0, top + l.laneHeight - 3, x1, top + l.laneHeight - 2, c.text);
        const int x = static_cast<int>(std::lround(scale.X(p.playhead)));
        if (x >= scale.Left() && x < right)
            Fill(x - 1, top, x + 1, top + l.laneHeight, c.text);
    }
    // Content that runs left of the lanes' start belongs to no time: the labels' column.
    Fill(0, l.axisHeight, l.labelWidth - 1, lanesBottom, c.face);
    Fill(right, 0, size.cx, lanesBottom, c.face);

    // Text and the outlines GDI draws best.
    HDC dc = memory_->Get();
    DcSelection font(dc,
                     p.font ? static_cast<HGDIOBJ>(p.font) : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, c.text);
    int labelsEnd = -1;
    for (const Tick& tick : ticks) {
        const int x = static_cast<int>(std::lround(tick.x)) + 3;
        SIZE extent{};
        ::GetTextExtentPoint32W(dc, tick.label.c_str(), static_cast<int>(tick.label.size()),
                                &extent);
        if (x < labelsEnd || x + extent.cx > size.cx)
            continue; // a day change's date may crowd the hour next to it
        const int y = tick.dayChange ? 1 : l.axisHeight / 3 + 1;
        ::TextOutW(dc, x, y, tick.label.c_str(), static_cast<int>(tick.label.size()));
        labelsEnd = x + extent.cx + 4;
    }
    for (std::size_t lane = 0; lane < timeline.lanes.size(); ++lane) {
        RECT r{4, l.LaneTop(lane), l.labelWidth - 2, l.LaneTop(lane) + l.laneHeight};
        const std::wstring label = L"Канал " + std::to_wstring(timeline.lanes[lane].channel);
        ::DrawTextW(dc, label.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    if (p.spanActive) {
        RECT span{std::min(p.spanFrom, p.spanTo), l.axisHeight, std::max(p.spanFrom, p.spanTo) + 1,
                  lanesBottom};
        ::InvertRect(dc, &span);
    }
    if (p.showFocus && p.focus >= 0 &&
        static_cast<std::size_t>(p.focus) < timeline.recordings.size()) {
        const Recording& r = timeline.recordings[p.focus];
        RECT f{std::max(scale.Left(), static_cast<int>(std::lround(scale.X(r.start))) - 2),
               l.LaneTop(r.lane) + 1,
               std::min(right, static_cast<int>(std::lround(scale.X(r.end))) + 3),
               l.LaneTop(r.lane) + l.laneHeight - 1};
        if (f.right > f.left)
            ::DrawFocusRect(dc, &f);
    }
    ::BitBlt(target, 0, 0, size.cx, size.cy, dc, 0, 0, SRCCOPY);
}

} // namespace voice::timeline
