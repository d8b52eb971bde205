#include "desktop/TemperatureIcon.h"

#include "util/Scoped.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const wchar_t DEGREE_SIGN[] = L"\u00B0";

LOGFONTA tahoma(int height, BYTE outPrecision)
{
    LOGFONTA font;
    std::memset(&font, 0, sizeof font);
    std::strcpy(font.lfFaceName, "Tahoma");
    font.lfHeight = height;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = outPrecision;
    font.lfQuality = ANTIALIASED_QUALITY;
    return font;
}

} // namespace

int TemperatureIcon::fontHeight(double t, bool transparent)
{
    if (t >= 100)
        return transparent ? -11 : -10;
    if (t <= -10)
        return -11;
    return -13;
}

std::wstring TemperatureIcon::text(double t)
{
    const int rounded = static_cast<int>(t > 0 ? t + 0.5 : t - 0.5);
    wchar_t buffer[16];
    std::swprintf(buffer, sizeof buffer / sizeof buffer[0], L"%i", rounded);
    return buffer;
}

TemperatureIcon::Layout TemperatureIcon::layout(double t, const Metrics& measured, bool transparent)
{
    int cx = measured.cx;
    // The glyphs' side bearings make these look one pixel too wide.
    if (t == 1 || t >= 20)
        cx -= 1;
    const int cy = measured.cy - measured.internalLeading - measured.descent;
    const int degreeWidth = measured.degreeWidth;

    int x = EDGE / 2 - cx / 2;
    if (x + cx + degreeWidth > EDGE)
        x = EDGE - cx - degreeWidth;
    x = std::max(x, transparent ? 0 : 1);
    if (t >= 100)
        x = transparent ? -1 : 1;
    int y = EDGE / 2 - cy / 2;

    const bool overflow = x + cx + degreeWidth > EDGE;
    if (overflow) {
        if (transparent) {
            y += 1;
        } else if (!(t > -10 && t < 0)) {
            y += 1;
            if (fontHeight(t, transparent) == -13)
                y += 1;
        }
    }
    if (t <= -10 && !transparent)
        x -= 1;

    Layout result;
    result.textX = x;
    result.textY = y - measured.internalLeading;
    if (overflow) {
        result.degreeX = EDGE - degreeWidth;
        result.degreeY = transparent ? -3 : -2;
    } else {
        result.degreeX = x + cx;
        result.degreeY = y - measured.internalLeading;
    }
    return result;
}

TemperatureIcon::TemperatureIcon(double t, COLORREF textColor, COLORREF background, bool transparent)
    : myT(t), myTextColor(textColor), myBackground(background), myTransparent(transparent)
{
}

HICON TemperatureIcon::create() const
{
    HDC screen = GetDC(nullptr);
    HDC colorDc = CreateCompatibleDC(screen);
    HDC maskDc = CreateCompatibleDC(screen);
    // Both bitmaps start black; a memory DC's own bitmap is monochrome.
    par::ScopedBitmap color(CreateCompatibleBitmap(screen, EDGE, EDGE));
    par::ScopedBitmap mask(CreateCompatibleBitmap(maskDc, EDGE, EDGE));
    {
        par::SelectedObject selected(maskDc, mask.get());
        PatBlt(maskDc, 0, 0, EDGE, EDGE, WHITENESS);
        drawPass(maskDc, true);
    }
    {
        par::SelectedObject selected(colorDc, color.get());
        drawPass(colorDc, false);
    }
    ICONINFO info;
    std::memset(&info, 0, sizeof info);
    info.fIcon = FALSE;
    info.hbmMask = mask.get();
    info.hbmColor = color.get();
    HICON icon = CreateIconIndirect(&info);
    DeleteDC(maskDc);
    DeleteDC(colorDc);
    ReleaseDC(nullptr, screen);
    return icon;
}

void TemperatureIcon::drawPass(HDC dc, bool mask) const
{
    SetBkMode(dc, TRANSPARENT);
    if (!myTransparent) {
        par::ScopedBrush brush(CreateSolidBrush(mask ? 0 : myBackground));
        RECT all = {0, 0, EDGE, EDGE};
        FillRect(dc, &all, brush.get());
    }
    const int height = fontHeight(myT, myTransparent);
    const std::wstring digits = text(myT);
    SetTextColor(dc, mask ? 0 : myTextColor);

    LOGFONTA digitRecord = tahoma(height, OUT_DEVICE_PRECIS);
    par::ScopedFont digitFont(CreateFontIndirectA(&digitRecord));
    LOGFONTA degreeRecord = tahoma(-11, OUT_DEFAULT_PRECIS);
    par::ScopedFont degreeFont(CreateFontIndirectA(&degreeRecord));

    par::SelectedObject selected(dc, digitFont.get());
    Metrics measured = {};
    SIZE extent = {};
    GetTextExtentPoint32W(dc, digits.c_str(), static_cast<int>(digits.size()), &extent);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    measured.cx = extent.cx;
    measured.cy = extent.cy;
    measured.internalLeading = metrics.tmInternalLeading;
    measured.descent = metrics.tmDescent;
    SelectObject(dc, degreeFont.get());
    SIZE degree = {};
    GetTextExtentPoint32W(dc, DEGREE_SIGN, 1, &degree);
    measured.degreeWidth = degree.cx;

    const Layout placed = layout(myT, measured, myTransparent);
    SetTextAlign(dc, 0);
    SelectObject(dc, digitFont.get());
    TextOutW(dc, placed.textX, placed.textY, digits.c_str(), static_cast<int>(digits.size()));
    SelectObject(dc, degreeFont.get());
    TextOutW(dc, placed.degreeX, placed.degreeY, DEGREE_SIGN, 1);
}
