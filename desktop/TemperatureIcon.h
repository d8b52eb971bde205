#pragma once

#include <windows.h>

#include <string>

// The 16 x 16 tray picture of a temperature: the rounded value in digits
// and a small degree sign. The layout is a pure function of the value and
// the measured text, so that every placement rule can be checked without
// fonts.
class TemperatureIcon {
public:
    static constexpr int EDGE = 16;

    // What the digit font and the degree font measure for the text.
    struct Metrics {
        int cx;
        int cy;
        int internalLeading;
        int descent;
        int degreeWidth;
    };

    // Where the digits and the degree sign go, in the icon's pixels.
    struct Layout {
        int textX;
        int textY;
        int degreeX;
        int degreeY;
    };

    // The digit font's height (negative: a character height).
    static int fontHeight(double t, bool transparent);
    // t rounded half away from zero.
    static std::wstring text(double t);
    static Layout layout(double t, const Metrics& measured, bool transparent);

    // t is already in the user's unit. A transparent background leaves the
    // mask white except under the glyphs.
    TemperatureIcon(double t, COLORREF textColor, COLORREF background, bool transparent);

    // A new icon that the caller destroys; null when the system refuses one.
    HICON create() const;

private:
    void drawPass(HDC dc, bool mask) const;

    double myT;
    COLORREF myTextColor;
    COLORREF myBackground;
    bool myTransparent;
};
