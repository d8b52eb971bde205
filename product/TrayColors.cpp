#include "product/TrayColors.h"

#include "util/Log.h"
#include "winui/VisualStyle.h"

COLORREF TrayColors::getDefaultTextColor() const
{
    COLORREF color = 0;
    par::visualStyleTextColor(&color);
    const int style = par::classifyVisualStyle();
    if (style == par::VISUAL_STYLE_AERO || style == par::VISUAL_STYLE_LUNA_NORMAL)
        color = WHITE;

    // The taskbar is dark from Windows Vista on.
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExA(&version))
        par::logSevere("GetVersionEx failed");
    else if (version.dwMajorVersion >= 6)
        color = WHITE;
    return color;
}

COLORREF TrayColors::getDefaultBackground() const
{
    par::classifyVisualStyle();
    return 0;
}

COLORREF TrayColors::getDefaultOutdatedColor() const
{
    COLORREF background = getDefaultBackground();
    if (background == 0)
        par::visualStyleBackgroundColor(&background);
    return outdatedColorFor(luminance(background));
}

double TrayColors::luminance(COLORREF color)
{
    return (GetRValue(color) * 0.299 + GetGValue(color) * 0.587 + GetBValue(color) * 0.114) / 255.0;
}

COLORREF TrayColors::outdatedColorFor(double backgroundLuminance)
{
    return backgroundLuminance >= 0.5 ? OUTDATED_ON_LIGHT : OUTDATED_ON_DARK;
}
