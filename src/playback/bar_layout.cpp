#include "playback/bar_layout.h"

#include <algorithm>

namespace voice {

int LaidOutButtonCount(TButtonSet visible) {
    return std::max(visible.Count(), 1);
}

int ButtonWidthFor(int controlWidth, TButtonSet visible) {
    return (controlWidth - 1) / LaidOutButtonCount(visible) + 1;
}

BarSize FittedBarSize(BarSize current, TButtonSet visible, BarSize minimumButton) {
    const int n = LaidOutButtonCount(visible);
    const int buttonWidth = ButtonWidthFor(current.width, visible);
    return {std::max(n * (buttonWidth - 1) + 1, n * (minimumButton.width - 1) + 1),
            std::max(current.height, minimumButton.height)};
}

BarHit HitButton(int x, TButtonSet visible, int buttonWidth) {
    int left = 0;
    for (int i = 0; i < kButtonCount; ++i) {
        const auto b = static_cast<TMPBtnType>(i);
        if (!visible.Contains(b))
            continue;
        if (left <= x && x <= left + buttonWidth)
            return {true, b, left};
        left += buttonWidth - 1;
    }
    return {};
}

int ButtonLeft(TMPBtnType button, TButtonSet visible, int buttonWidth) {
    int left = 0;
    for (int i = 0; i < button; ++i)
        if (visible.Contains(static_cast<TMPBtnType>(i)))
            left += buttonWidth - 1;
    return left;
}

TMPBtnType FocusLeftOf(TMPBtnType focused, TButtonSet visible) {
    int i = focused;
    if (i > 0) {
        do
            --i;
        while (i > 0 && !visible.Contains(static_cast<TMPBtnType>(i)));
    }
    return static_cast<TMPBtnType>(i);
}

TMPBtnType FocusRightOf(TMPBtnType focused, TButtonSet visible) {
    int i = focused;
    if (i < kButtonCount - 1) {
        do
            ++i;
        while (i < kButtonCount - 1 && !visible.Contains(static_cast<TMPBtnType>(i)));
    }
    return static_cast<TMPBtnType>(i);
}

} // namespace voice
