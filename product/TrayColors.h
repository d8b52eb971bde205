#pragma once

#include <windows.h>

// The tray temperature's default colours, for when the movie gives none. A
// background of 0 means none (the movie is told "transparent").
class TrayColors {
public:
    static constexpr COLORREF WHITE = 0xFFFFFF;
    // Outdated weather on light and on dark backgrounds.
    static constexpr COLORREF OUTDATED_ON_LIGHT = 0x808080;
    static constexpr COLORREF OUTDATED_ON_DARK = 0xA8A8A8;

    COLORREF getDefaultTextColor() const;
    COLORREF getDefaultBackground() const;
    COLORREF getDefaultOutdatedColor() const;

    // 0.0 (black) to 1.0 (white).
    static double luminance(COLORREF color);
    static COLORREF outdatedColorFor(double backgroundLuminance);
};
