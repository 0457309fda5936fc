#pragma once
// How the window is shared: the 3-D view at its left and, while the panel shows, a strip of
// the panel's width beside it, so the panel never covers the view and the view keeps its size.

constexpr int PANEL_STRIP_WIDTH = 310; // pixels

inline int panelStripWidth(bool panelVisible) {
    return panelVisible ? PANEL_STRIP_WIDTH : 0;
}

// The view's width in a window `windowWidth` wide: never below one pixel, so the perspective
// stays defined in a window narrower than the strip.
inline int viewWidthIn(int windowWidth, bool panelVisible) {
    const int width = windowWidth - panelStripWidth(panelVisible);
    return width < 1 ? 1 : width;
}
