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

} // namespace

std::string TimelineSvg(const Timeline& timeline, std::span<const std::wstring> lines,
                        const Fold& fold, const SvgLayout& layout) {
    const int plot = std::max(layout.width - layout.labelWidth, 1);
    TimeScale scale(fold, timeline.firstDay, timeline.lastDay, layout.labelWidth, plot);
    const int height =
        layout.axisHeight + static_cast<int>(timeline.lanes.size()) * layout.laneHeight + 1;
    std::string svg;
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(layout.width) +
           "\" height=\"" + std::to_string(height) + "\" viewBox=\"0 0 " +
           std::to_string(layout.width) + ' ' + std::to_string(height) + "\">\n";
    svg += "<style>text{font:12px sans-serif;fill:#000}.day{stroke:#444;stroke-width:1}"
           ".tick{stroke:#bbb;stroke-width:1}.lane{fill:#f4f4f4;stroke:#ccc}"
           ".bar{fill:#1f5fbf}</style>\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";

    svg += "<g class=\"axis\">\n";
    const double bottom = height - 1;
    for (const Tick& tick : MakeTicks(scale, 70)) {
        svg += "<line class=\"" + std::string(tick.dayChange ? "day" : "tick") + "\" x1=\"" +
               Number(tick.x) + "\" y1=\"" + std::to_string(layout.axisHeight - 8) + "\" x2=\"" +
               Number(tick.x) + "\" y2=\"" + Number(bottom) + "\"/>";
        svg += "<text x=\"" + Number(tick.x + 2) + "\" y=\"" +
               std::to_string(tick.dayChange ? layout.axisHeight - 24 : layout.axisHeight - 12) +
               "\">" + Escaped(tick.label) + "</text>\n";
    }
    svg += "</g>\n";

    for (std::size_t l = 0; l < timeline.lanes.size(); ++l) {
        const Lane& lane = timeline.lanes[l];
        const int top = layout.axisHeight + static_cast<int>(l) * layout.laneHeight;
        svg += "<g class=\"channel\" data-channel=\"" + std::to_string(lane.channel) + "\">\n";
        svg += "<rect class=\"lane\" x=\"" + std::to_string(layout.labelWidth) + "\" y=\"" +
               std::to_string(top) + "\" width=\"" + std::to_string(plot) + "\" height=\"" +
               std::to_string(layout.laneHeight) + "\"/>";
        svg += "<text x=\"4\" y=\"" + std::to_string(top + layout.laneHeight / 2 + 4) + "\">" +
               Escaped(L"Канал " + std::to_wstring(lane.channel)) + "</text>\n";
        for (std::int32_t i = lane.begin; i < lane.end; ++i) {
            const Recording& r = timeline.recordings[i];
            const double x0 = scale.X(r.start);
            const double width = std::max(scale.X(r.end) - x0, layout.narrowest);
            const std::wstring_view path = r.line < static_cast<std::int32_t>(lines.size())
                                               ? ListLinePath(lines[r.line])
                                               : std::wstring_view{};
            svg += "<rect class=\"bar\" data-line=\"" + std::to_string(r.line) + "\" x=\"" +
                   Number(x0) + "\" y=\"" + std::to_string(top + layout.barInset) + "\" width=\"" +
                   Number(width) + "\" height=\"" +
                   std::to_string(layout.laneHeight - 2 * layout.barInset) + "\"><title>" +
                   Escaped(RecordingTooltip(timeline, i, path)) + "</title></rect>\n";
        }
        svg += "</g>\n";
    }
    svg += "</svg>\n";
    return svg;
}

} // namespace voice::timeline
