#pragma once
// Geometry of the media player's button bar: button width, the size the control fits
// itself to, the hit rule and the focus walk. Portable: no <windows.h>.

#include "playback/mp_types.h"

namespace voice {

struct BarSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const BarSize&, const BarSize&) = default;
};

// Visible buttons counted for the layout: 1 when none is visible.
int LaidOutButtonCount(TButtonSet visible);

// Width of one button for a control of the given width: neighbours share a border pixel.
int ButtonWidthFor(int controlWidth, TButtonSet visible);

// The size the control takes: wide enough for every visible button at no less than the
// minimum width, high enough for the minimum height.
BarSize FittedBarSize(BarSize current, TButtonSet visible, BarSize minimumButton);

struct BarHit {
    bool hit = false;
    TMPBtnType button = btPlay;
    int left = 0; // left edge of the hit button
};

// The first visible button whose columns [left, left + width] hold x: the two columns a
// button shares with its right neighbour belong to it.
BarHit HitButton(int x, TButtonSet visible, int buttonWidth);

// Left edge of a visible button.
int ButtonLeft(TMPBtnType button, TButtonSet visible, int buttonWidth);

// Keyboard focus walk: the nearest visible button in that direction; button 0 and
// button 8 end the walk even when invisible.
TMPBtnType FocusLeftOf(TMPBtnType focused, TButtonSet visible);
TMPBtnType FocusRightOf(TMPBtnType focused, TButtonSet visible);

} // namespace voice
