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
    COLORREF tick = Blend(grey, window, 0.6);
    COLORREF hour = Blend(grey, window, 0.3);
};

// Luminance 0..255 of a colour.
int Luminance(COLORREF c) {
    return (GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114) / 1000;
}

// A channel's colour: hues told apart also with the common colour-vision deficiencies,
// lightened on a dark background (a high-contrast theme) so that they stay legible.
COLORREF ChannelColour(int channel, COLORREF window) {
    static constexpr COLORREF kPalette[] = {
        RGB(0, 114, 178), RGB(213, 94, 0),   RGB(0, 158, 115), RGB(204, 121, 167),
        RGB(230, 159, 0), RGB(86, 180, 233), RGB(120, 94, 60), RGB(90, 90, 90),
    };
    const COLORREF c = kPalette[static_cast<unsigned>(channel + 7) % std::size(kPalette)];
    return Luminance(window) < 128 ? Blend(c, RGB(255, 255, 255), 0.35) : c;
}

} // namespace

TimelineLayout TimelineLayout::For(SIZE client, std::size_t lanes, UINT dpi) {
    TimelineLayout layout;
    layout.labelWidth = gui::Scale(72, dpi);
    layout.axisHeight = gui::Scale(38, dpi);
    const int free = client.cy - layout.axisHeight;
    const int each = lanes ? free / static_cast<int>(lanes) : free;
    layout.laneHeight = std::max(each, gui::Scale(22, dpi));
    layout.barInset = std::clamp(layout.laneHeight / 6, 2, gui::Scale(12, dpi));
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
    x0 = std::max<int>(x0, clip_.left), y0 = std::max<int>(y0, clip_.top);
    x1 = std::min<int>(x1, clip_.right), y1 = std::min<int>(y1, clip_.bottom);
    if (x0 >= x1 || y0 >= y1)
        return;
    // The bitmap's pixels are blue, green, red from the lowest byte.
    const std::uint32_t pixel =
        (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    for (int y = y0; y < y1; ++y)
        std::fill(pixels_ + static_cast<std::size_t>(y) * size_.cx + x0,
                  pixels_ + static_cast<std::size_t>(y) * size_.cx + x1, pixel);
}

void TimelinePainter::Tint(int x0, int y0, int x1, int y1, COLORREF colour, double opacity) {
    x0 = std::max<int>(x0, clip_.left), y0 = std::max<int>(y0, clip_.top);
    x1 = std::min<int>(x1, clip_.right), y1 = std::min<int>(y1, clip_.bottom);
    const auto a = static_cast<std::uint32_t>(std::lround(opacity * 256));
    const std::uint32_t over = Pixel(colour);
    const auto mix = [a](std::uint32_t p, std::uint32_t q, int shift) {
        const std::uint32_t x = (p >> shift) & 0xFF, y = (q >> shift) & 0xFF;
        return ((x * (256 - a) + y * a) >> 8) << shift;
    };
    for (int y = y0; y < y1; ++y) {
        std::uint32_t* row = pixels_ + static_cast<std::size_t>(y) * size_.cx;
        for (int x = x0; x < x1; ++x)
            row[x] = mix(row[x], over, 16) | mix(row[x], over, 8) | mix(row[x], over, 0);
    }
}

std::uint32_t TimelinePainter::Pixel(COLORREF colour) noexcept {
    // The bitmap's pixels are blue, green, red from the lowest byte.
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

void TimelinePainter::PaintDensity(int left, int top, int bottom, const LaneRaster& raster,
                                   COLORREF selected, COLORREF heard, COLORREF normal,
                                   COLORREF background) {
    const int width = static_cast<int>(raster.count.size());
    heights_.assign(static_cast<std::size_t>(width) + 1, 0);
    colours_.resize(static_cast<std::size_t>(width) + 1);
    const int height = bottom - top;
    // Shade and height both grow with the count, so one recording and twenty-four differ
    // at a glance; the least of either stays visible. The scale is fixed, not the view's
    // busiest column, so a strip painted alone matches its neighbours.
    constexpr std::uint32_t kFull = 48; // recordings in a column drawn at full shade
    // Heights and shades by count, worked out once a lane rather than once a column.
    const COLORREF kinds[] = {normal, heard, selected};
    for (int kind = 0; kind < 3; ++kind)
        for (std::uint32_t count = 1; count <= kFull; ++count) {
            const double share = std::log1p(count) / std::log1p(kFull);
            // Selected columns keep the full highlight: a selection must never look faint.
            shades_[kind][count] =
                Pixel(kind == 2 ? selected : Blend(background, kinds[kind], 0.55 + 0.45 * share));
            if (kind == 0)
                shadeHeights_[count] =
                    std::max(2, static_cast<int>(height * (0.35 + 0.65 * share)));
        }
    for (int column = 0; column < width; ++column) {
        const std::uint32_t count = std::min(raster.count[column], kFull);
        if (count == 0)
            continue;
        heights_[column] = shadeHeights_[count];
        const int kind = raster.selected[column] ? 2 : raster.unheard[column] == 0 ? 1 : 0;
        colours_[column] = shades_[kind][count];
    }
    // A lone column is drawn two pixels wide.
    for (int column = width - 1; column >= 0; --column)
        if (heights_[column] > 0 && heights_[column + 1] == 0)
            heights_[column + 1] = heights_[column], colours_[column + 1] = colours_[column];
    // Row by row, as the bitmap lies in memory.
    const int from = std::max<int>(left, clip_.left);
    const int right = std::min<int>(left + width + 1, clip_.right);
    for (int y = std::max<int>(top, clip_.top); y < std::min<int>(bottom, clip_.bottom); ++y) {
        std::uint32_t* row = pixels_ + static_cast<std::size_t>(y) * size_.cx;
        const int needed = bottom - y;
        std::uint32_t* pixel = row + left;
        for (int i = from - left; i < right - left; ++i) // a select, not a branch: it vectorises
            pixel[i] = heights_[i] >= needed ? colours_[i] : pixel[i];
    }
}

void TimelinePainter::PaintEmpty(HDC target, SIZE size, const TimelinePicture& p) {
    // No recordings: no axis either (its days would be made up), only a word in the middle.
    const Colours c;
    clip_ = {0, 0, size.cx, size.cy};
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

void TimelinePainter::Paint(HDC target, SIZE size, const TimelinePicture& p, const RECT* clip) {
    if (size.cx <= 0 || size.cy <= 0)
        return;
    const bool fresh = !memory_ || size.cx != size_.cx || size.cy != size_.cy;
    EnsureBitmap(target, size);
    if (!pixels_)
        return;
    clip_ = {0, 0, size.cx, size.cy};
    if (clip && !fresh) // a new bitmap has nothing to keep
        ::IntersectRect(&clip_, &clip_, clip);
    if (::IsRectEmpty(&clip_))
        return;
    ::GdiFlush(); // earlier text must be in the pixels before they are overwritten
    const Colours c;
    const Timeline& timeline = *p.timeline;
    const TimeScale& scale = *p.scale;
    const TimelineLayout& l = p.layout;
    const int right = scale.Left() + scale.Width();
    // Lanes without recordings (the benchmark's floor) still have their axis.
    if (timeline.lanes.empty()) {
        PaintEmpty(target, size, p);
        return;
    }
    HDC dc = memory_->Get();
    DcSelection font(dc,
                     p.font ? static_cast<HGDIOBJ>(p.font) : ::GetStockObject(DEFAULT_GUI_FONT));
    const bool partial =
        clip_.left > 0 || clip_.top > 0 || clip_.right < size.cx || clip_.bottom < size.cy;
    if (partial)
        ::IntersectClipRect(dc, clip_.left, clip_.top, clip_.right, clip_.bottom);
    SIZE digits{};
    ::GetTextExtentPoint32W(dc, L"00:00", 5, &digits);
    const int lineHeight = std::max<int>(digits.cy, 8);

    // Background, lanes, the axis's grid through every lane.
    // Each pixel once: the axis, the lanes, and what lies below them.
    Fill(0, 0, size.cx, l.axisHeight, c.face);
    Fill(0, l.LaneTop(timeline.lanes.size()), size.cx, size.cy, c.window);
    for (std::size_t lane = 0; lane < timeline.lanes.size(); ++lane) {
        const int top = l.LaneTop(lane);
        Fill(0, top, size.cx, top + l.laneHeight - 1, lane % 2 ? c.laneOdd : c.window);
        Fill(0, top + l.laneHeight - 1, size.cx, top + l.laneHeight, c.tick);
    }
    const int lanesBottom = l.LaneTop(timeline.lanes.size());
    // Labels as close as their width allows.
    const std::vector<Tick> ticks = MakeTicks(scale, digits.cx + gui::Scale(18, p.dpi));
    for (const Tick& tick : ticks) {
        const int x = static_cast<int>(std::lround(tick.x));
        if (tick.dayChange)
            Fill(x, l.axisHeight / 3, x + std::max(1, gui::Scale(2, p.dpi) / 2 + 1), lanesBottom,
                 c.text);
        else
            Fill(x, l.axisHeight * 2 / 3, x + 1, lanesBottom, c.tick);
    }
    Fill(l.labelWidth - 1, 0, l.labelWidth, lanesBottom, c.grey);

    // Recordings: bars, then the merged columns of those narrower than a pixel.
    static const std::vector<bool> kNone;
    const std::vector<bool>& selected = p.selected ? *p.selected : kNone;
    const std::vector<bool>& heard = p.heard ? *p.heard : kNone;
    const auto isSet = [](const std::vector<bool>& v, std::int32_t i) {
        return i >= 0 && static_cast<std::size_t>(i) < v.size() && v[i];
    };
    const int least = std::max(2, gui::Scale(2, p.dpi));
    // Only the columns of the lanes inside the clip are looked at.
    const int lanesFrom = std::max<int>(scale.Left(), clip_.left);
    const int lanesTo = std::min<int>(right, clip_.right);
    const TimeScale lanesPart = scale.Part(lanesFrom, lanesTo);
    const int frame = std::max(2, gui::Scale(2, p.dpi));
    for (std::size_t lane = 0; lane < timeline.lanes.size(); ++lane) {
        const int top = l.LaneTop(lane) + l.barInset;
        const int bottom = l.LaneTop(lane) + l.laneHeight - l.barInset;
        const COLORREF background = lane % 2 ? c.laneOdd : c.window;
        const COLORREF own = ChannelColour(timeline.lanes[lane].channel, c.window);
        // Heard: the channel's colour faded towards the lane, no longer a solid bar.
        const COLORREF faded = Blend(own, background, 0.72);
        if (lanesTo <= lanesFrom)
            continue;
        RasterizeLane(timeline, lane, lanesPart, selected, heard, raster_, p.index);
        if (raster_.busiest > 0)
            PaintDensity(lanesPart.Left(), top, bottom, raster_, c.highlight, faded, own,
                         background);
        // Bars by column, then row by row as the bitmap lies: at the whole range tens of
        // thousands of narrow bars cost a few writes each, not a rectangle each.
        kinds_.assign(static_cast<std::size_t>(lanesTo - lanesFrom), 0);
        fills_.resize(kinds_.size());
        accents_.resize(kinds_.size());
        const auto mark = [&](int x0, int x1, std::uint8_t kind, COLORREF fill, COLORREF accent) {
            const std::uint32_t f = Pixel(fill), a = Pixel(accent);
            for (int x = std::max(x0, lanesFrom); x < std::min(x1, lanesTo); ++x) {
                const auto i = static_cast<std::size_t>(x - lanesFrom);
                kinds_[i] = kind, fills_[i] = f, accents_[i] = a;
            }
        };
        enum : std::uint8_t { kSolid = 1, kFramed, kUnderlined };
        for (const Bar& bar : raster_.bars) {
            // Where the whole bar lies, so that a strip draws its part as the whole view does.
            const Recording& r = timeline.recordings[bar.item];
            const int x0 = static_cast<int>(std::lround(scale.X(r.start)));
            const int x1 = std::max(static_cast<int>(std::lround(scale.X(r.end))), x0 + least);
            if (isSet(selected, bar.item)) {
                // Selected: the system's highlight, framed in the text colour.
                const int side = x1 - x0 > 2 * frame ? frame : 0;
                mark(x0, x1, kFramed, c.highlight, c.text);
                mark(x0, x0 + side, kSolid, c.text, c.text);
                mark(x1 - side, x1, kSolid, c.text, c.text);
            } else if (isSet(heard, bar.item)) {
                mark(x0, x1, kUnderlined, faded, own); // the underline keeps the channel
            } else {
                mark(x0, x1, kSolid, own, own);
            }
            // Touching bars stay apart.
            if (x1 - x0 > 3)
                mark(x1 - 1, x1, kSolid, background, background);
        }
        for (int y = std::max<int>(top, clip_.top);
             !raster_.bars.empty() && y < std::min<int>(bottom, clip_.bottom); ++y) {
            std::uint32_t* row = pixels_ + static_cast<std::size_t>(y) * size_.cx + lanesFrom;
            const bool edge = y < top + frame || y >= bottom - frame;
            const bool under = y >= bottom - frame;
            for (std::size_t i = 0; i < kinds_.size(); ++i) {
                switch (kinds_[i]) {
                case kSolid:
                    row[i] = fills_[i];
                    break;
                case kFramed:
                    row[i] = edge ? accents_[i] : fills_[i];
                    break;
                case kUnderlined:
                    row[i] = under ? accents_[i] : fills_[i];
                    break;
                default:
                    break;
                }
            }
        }
    }

    // The recording playing is boxed, wide enough to show around a bar of a pixel or two;
    // the playhead crosses every lane, and the axis marks it.
    if (p.playing >= 0 && static_cast<std::size_t>(p.playing) < timeline.recordings.size()) {
        const Recording& r = timeline.recordings[p.playing];
        const int top = l.LaneTop(r.lane) + 1, bottom = l.LaneTop(r.lane) + l.laneHeight - 2;
        const int x0 = static_cast<int>(std::lround(scale.X(r.start))) - 3;
        const int x1 = std::max(static_cast<int>(std::lround(scale.X(r.end))), x0 + 3 + least) + 3;
        const int a = std::max(scale.Left(), x0), b = std::min(right, x1);
        Fill(a, top, b, top + 1, c.text);
        Fill(a, bottom - 1, b, bottom, c.text);
        if (x0 >= scale.Left())
            Fill(x0, top, x0 + 1, bottom, c.text);
        if (x1 <= right)
            Fill(x1 - 1, top, x1, bottom, c.text);
        const int x = static_cast<int>(std::lround(scale.X(p.playhead)));
        if (x >= scale.Left() && x < right) {
            Fill(x, l.axisHeight * 2 / 3, x + 1, lanesBottom, c.text);
            Fill(x - 3, l.axisHeight - 4, x + 4, l.axisHeight, c.text);
        }
    }
    if (p.cursorX >= scale.Left() && p.cursorX <= right)
        Fill(p.cursorX, l.axisHeight, p.cursorX + 1, lanesBottom, c.grey);
    if (p.spanActive) // translucent, so the bars under it stay readable
        Tint(std::min(p.spanFrom, p.spanTo), l.axisHeight, std::max(p.spanFrom, p.spanTo) + 1,
             lanesBottom, c.highlight, 0.3);
    // Content that runs left of the lanes' start belongs to no time: the labels' column.
    Fill(0, l.axisHeight, l.labelWidth - 1, lanesBottom, c.face);
    Fill(right, 0, size.cx, lanesBottom, c.face);

    // Text and the outlines GDI draws best.
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, c.text);
    // The date of the view's left edge, before the first tick: within a day no tick has one.
    const std::wstring date =
        FormatDate(static_cast<Seconds>(std::floor(scale.TimeAt(scale.Left()))));
    ::TextOutW(dc, 4, 1, date.c_str(), static_cast<int>(date.size()));
    int labelsEnd = l.labelWidth;
    for (const Tick& tick : ticks) {
        const int x = static_cast<int>(std::lround(tick.x)) + 3;
        SIZE extent{};
        ::GetTextExtentPoint32W(dc, tick.label.c_str(), static_cast<int>(tick.label.size()),
                                &extent);
        if (x < labelsEnd || x + extent.cx > size.cx)
            continue; // a day change's date may crowd the hour next to it
        if (tick.dayChange && tick.x < scale.Left() + 1 && tick.label == date)
            continue; // the corner says it already
        const int y = tick.dayChange ? 1 : l.axisHeight / 3 + 1;
        ::TextOutW(dc, x, y, tick.label.c_str(), static_cast<int>(tick.label.size()));
        labelsEnd = x + extent.cx + 4;
    }
    for (std::size_t lane = 0; lane < timeline.lanes.size(); ++lane) {
        RECT r{4, l.LaneTop(lane), l.labelWidth - 2, l.LaneTop(lane) + l.laneHeight};
        const int channel = timeline.lanes[lane].channel;
        const std::wstring label = L"Канал " + std::to_wstring(channel);
        const bool silent = p.sound && !p.sound->Sounds(channel);
        const bool solo = p.sound && p.sound->Solo() == channel;
        HFONT own = silent ? p.struckFont : solo ? p.soloFont : nullptr;
        DcSelection labelFont(dc, own ? static_cast<HGDIOBJ>(own) : ::GetCurrentObject(dc, OBJ_FONT));
        ::SetTextColor(dc, silent ? c.grey : c.text);
        ::DrawTextW(dc, label.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        ::SetTextColor(dc, c.text);
        // The channel's colour beside its name ties the label to its bars.
        RECT swatch{l.labelWidth - gui::Scale(10, p.dpi), l.LaneTop(lane) + l.laneHeight / 2 - 4,
                    l.labelWidth - gui::Scale(4, p.dpi), l.LaneTop(lane) + l.laneHeight / 2 + 4};
        ::SetBkColor(dc, ChannelColour(timeline.lanes[lane].channel, c.window));
        ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &swatch, nullptr, 0, nullptr);
    }
    // A time in a box at the foot of the axis: the cursor's, or the span's ends.
    const auto boxed = [&](int x, const std::wstring& text) {
        SIZE extent{};
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        const int left = std::clamp<int>(x - extent.cx / 2 - 3, scale.Left(),
                                         std::max<int>(scale.Left(), right - extent.cx - 6));
        RECT box{left, l.axisHeight - lineHeight - 2, left + extent.cx + 6, l.axisHeight};
        ::SetBkColor(dc, c.window);
        ::ExtTextOutW(dc, box.left + 3, box.top + 1, ETO_OPAQUE, &box, text.c_str(),
                      static_cast<UINT>(text.size()), nullptr);
        ::FrameRect(dc, &box, static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
    };
    const auto timeText = [&](double x, bool withDate) {
        const auto t = static_cast<Seconds>(std::floor(scale.TimeAt(x)));
        return withDate ? FormatDate(t) + L' ' + FormatTime(t, true) : FormatTime(t, true);
    };
    if (p.spanActive) {
        const int a = std::min(p.spanFrom, p.spanTo), b = std::max(p.spanFrom, p.spanTo);
        const auto from = static_cast<Seconds>(std::floor(scale.TimeAt(a)));
        const auto to = static_cast<Seconds>(std::floor(scale.TimeAt(b)));
        boxed((a + b) / 2, timeText(a, true) + L" – " + timeText(b, DayOf(from) != DayOf(to)));
    } else if (p.cursorX >= scale.Left() && p.cursorX <= right) {
        boxed(p.cursorX, timeText(p.cursorX, scale.SecondsPerPixel() * scale.Width() >
                                                 static_cast<double>(kSecondsPerDay) / 2));
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
    if (partial)
        ::SelectClipRgn(dc, nullptr);
    ::BitBlt(target, clip_.left, clip_.top, clip_.right - clip_.left, clip_.bottom - clip_.top, dc,
             clip_.left, clip_.top, SRCCOPY);
}

} // namespace voice::timeline
