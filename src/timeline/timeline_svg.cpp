#include "timeline/timeline_svg.h"

#include "catalogue/list_line.h"
#include "platform/utf8.h"
#include "timeline/ticks.h"
#include "timeline/tooltip.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace voice::timeline {
namespace {

// Whether XML 1.0 admits the character at all, even as a reference.
bool IsXmlChar(char32_t c) noexcept {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// Text for an element or an attribute value, well-formed in either. A character XML cannot
// carry is written out as the list writes control characters ("\x01"); tab and carriage
// return are references, which a parser keeps as they are.
std::string Escaped(std::wstring_view text) {
    std::wstring kept;
    kept.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<char32_t>(text[i]);
        const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() &&
                          text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (pair) {
            kept.append(text.substr(i++, 2));
        } else if (IsXmlChar(c)) {
            kept += text[i];
        } else {
            wchar_t code[16];
            std::swprintf(code, 16, L"\\x%02X", static_cast<unsigned>(c));
            kept += code;
        }
    }
    std::string out;
    for (char c : voice::ToUtf8(kept)) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\t':
            out += "&#9;";
            break;
        case '\r':
            out += "&#13;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    std::string s = text;
    // Trailing zeros say nothing and bloat a picture of thousands of bars.
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.')
        s.pop_back();
    return s;
}

// The window's channel colours, told apart with the common colour-vision deficiencies.
const char* ChannelColour(int channel) {
    static constexpr const char* kPalette[] = {"#0072b2", "#d55e00", "#009e73", "#cc79a7",
                                               "#e69f00", "#56b4e9", "#785e3c", "#5a5a5a"};
    return kPalette[static_cast<unsigned>(channel + 7) % std::size(kPalette)];
}

} // namespace

int SvgWidthFor(const Timeline& timeline, const Fold& fold, const SvgLayout& layout) {
    const double days =
        (fold.Shown(timeline.lastDay + kSecondsPerDay) - fold.Shown(timeline.firstDay)) /
        static_cast<double>(std::max<Seconds>(fold.DayLength(), 1));
    return layout.labelWidth + std::clamp(static_cast<int>(days * 720), 1200, 20000);
}

std::string TimelineSvg(const Timeline& timeline, std::span<const std::wstring> lines,
                        const Fold& fold, const SvgLayout& layout,
                        const std::vector<bool>& heardByLine) {
    const int plot = std::max(layout.width - layout.labelWidth, 1);
    TimeScale scale(fold, timeline.firstDay, timeline.lastDay, layout.labelWidth, plot);
    const int lanesBottom =
        layout.axisHeight + static_cast<int>(timeline.lanes.size()) * layout.laneHeight;
    const int height = lanesBottom + 1 + layout.footHeight;
    std::string svg;
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(layout.width) +
           "\" height=\"" + std::to_string(height) + "\" viewBox=\"0 0 " +
           std::to_string(layout.width) + ' ' + std::to_string(height) + "\">\n";
    // The range and the channels, also as the document's own title.
    std::wstring channels, range;
    for (const Lane& lane : timeline.lanes)
        channels += (channels.empty() ? L"" : L", ") + std::to_wstring(lane.channel);
    if (!timeline.Empty()) {
        range = L"Записи " + FormatDate(timeline.firstDay);
        if (timeline.lastDay != timeline.firstDay)
            range += L" – " + FormatDate(timeline.lastDay);
        range += L", каналы " + channels;
    }
    svg += "<title>" + Escaped(range.empty() ? L"Временная шкала" : L"Временная шкала: " + range) +
           "</title>\n";
    svg += "<style>text{font:12px sans-serif;fill:#000}.day{stroke:#444;stroke-width:1.5}"
           ".tick{stroke:#ccc;stroke-width:1}.lane{fill:#f6f6f6;stroke:#ccc}"
           ".heard{fill-opacity:.3}.caption{font-weight:bold}</style>\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";

    // The lanes first, so that the grid runs through them and the bars lie on top.
    for (std::size_t l = 0; l < timeline.lanes.size(); ++l) {
        const int channel = timeline.lanes[l].channel;
        const int top = layout.axisHeight + static_cast<int>(l) * layout.laneHeight;
        svg += "<rect class=\"lane\" x=\"" + std::to_string(layout.labelWidth) + "\" y=\"" +
               std::to_string(top) + "\" width=\"" + std::to_string(plot) + "\" height=\"" +
               std::to_string(layout.laneHeight) + "\"/>";
        svg += "<text x=\"4\" y=\"" + std::to_string(top + layout.laneHeight / 2 + 4) + "\">" +
               Escaped(L"Канал " + std::to_wstring(channel)) + "</text>\n";
    }

    svg += "<g class=\"axis\">\n";
    for (const Tick& tick : MakeTicks(scale, 70)) {
        svg += "<line class=\"" + std::string(tick.dayChange ? "day" : "tick") + "\" x1=\"" +
               Number(tick.x) + "\" y1=\"" + std::to_string(layout.axisHeight - 8) + "\" x2=\"" +
               Number(tick.x) + "\" y2=\"" + std::to_string(lanesBottom) + "\"/>";
        svg += "<text x=\"" + Number(tick.x + 2) + "\" y=\"" +
               std::to_string(tick.dayChange ? layout.axisHeight - 24 : layout.axisHeight - 12) +
               "\">" + Escaped(tick.label) + "</text>\n";
    }
    svg += "</g>\n";

    std::size_t heardCount = 0;
    for (std::size_t l = 0; l < timeline.lanes.size(); ++l) {
        const Lane& lane = timeline.lanes[l];
        const int top = layout.axisHeight + static_cast<int>(l) * layout.laneHeight;
        svg += "<g class=\"channel\" data-channel=\"" + std::to_string(lane.channel) +
               "\" fill=\"" + ChannelColour(lane.channel) + "\">\n";
        for (std::int32_t i = lane.begin; i < lane.end; ++i) {
            const Recording& r = timeline.recordings[i];
            const double x0 = scale.X(r.start);
            const double width = std::max(scale.X(r.end) - x0, layout.narrowest);
            const std::wstring_view path = r.line < static_cast<std::int32_t>(lines.size())
                                               ? ListLinePath(lines[r.line])
                                               : std::wstring_view{};
            const bool heard =
                static_cast<std::size_t>(r.line) < heardByLine.size() && heardByLine[r.line];
            heardCount += heard;
            svg += std::string("<rect class=\"") + (heard ? "bar heard" : "bar") +
                   "\" data-line=\"" + std::to_string(r.line) + "\" x=\"" + Number(x0) + "\" y=\"" +
                   std::to_string(top + layout.barInset) + "\" width=\"" + Number(width) +
                   "\" height=\"" + std::to_string(layout.laneHeight - 2 * layout.barInset) +
                   "\"><title>" + Escaped(RecordingTooltip(timeline, i, path)) +
                   "</title></rect>\n";
        }
        svg += "</g>\n";
    }

    // Below the lanes: what the picture shows, and how to read it.
    if (!timeline.Empty()) {
        const int y = lanesBottom + 18;
        std::wstring caption = range + L": " + std::to_wstring(timeline.recordings.size());
        if (heardCount)
            caption += L", прослушано " + std::to_wstring(heardCount);
        svg += "<text class=\"caption\" x=\"4\" y=\"" + std::to_string(y) + "\">" +
               Escaped(caption) + "</text>\n<g class=\"legend\">";
        int x = 4;
        const auto swatch = [&](const std::string& fill, const char* extra,
                                const std::wstring& label) {
            svg += "<rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y + 10) +
                   "\" width=\"14\" height=\"10\" fill=\"" + fill + "\"" + extra + "/>";
            svg += "<text x=\"" + std::to_string(x + 18) + "\" y=\"" + std::to_string(y + 20) +
                   "\">" + Escaped(label) + "</text>";
            x += 26 + 8 * static_cast<int>(label.size());
        };
        for (const Lane& lane : timeline.lanes)
            swatch(ChannelColour(lane.channel), "", L"канал " + std::to_wstring(lane.channel));
        swatch("#888", " class=\"heard\"", L"прослушано");
        svg += "</g>\n";
    }
    svg += "</svg>\n";
    return svg;
}

} // namespace voice::timeline
