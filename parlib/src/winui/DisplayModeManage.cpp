#include "winui/DisplayModeManage.h"

#include "util/Log.h"

#include <cstring>

namespace par {

namespace {

bool sameTriple(const DEVMODEA& mode, int width, int height, int depth)
{
    return (width == -1 || mode.dmPelsWidth == static_cast<DWORD>(width)) &&
           (height == -1 || mode.dmPelsHeight == static_cast<DWORD>(height)) &&
           (depth == -1 || mode.dmBitsPerPel == static_cast<DWORD>(depth));
}

bool sameTriple(const DEVMODEA& a, const DEVMODEA& b)
{
    return a.dmPelsWidth == b.dmPelsWidth && a.dmPelsHeight == b.dmPelsHeight &&
           a.dmBitsPerPel == b.dmBitsPerPel;
}

DEVMODEA emptyMode()
{
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof mode;
    return mode;
}

bool enumerate(DWORD index, DEVMODEA& out)
{
    out = emptyMode();
    return EnumDisplaySettingsA(nullptr, index, &out) == TRUE;
}

// Built when the program loads, as the list is wanted from the start.
DisplayModeManage* const theInstance = new DisplayModeManage();

} // namespace

DisplayModeManage::DisplayModeManage()
{
    loadModes();
}

DisplayModeManage* DisplayModeManage::getInstance()
{
    return theInstance;
}

void DisplayModeManage::loadModes()
{
    myModes.clear();
    DEVMODEA mode;
    for (DWORD i = 0; enumerate(i, mode); ++i) {
        bool listed = false;
        for (const DEVMODEA& known : myModes)
            listed = listed || sameTriple(known, mode);
        if (!listed)
            myModes.push_back(mode);
    }
}

bool DisplayModeManage::findMode(DEVMODEA& out, int width, int height, int depth) const
{
    for (const DEVMODEA& mode : myModes) {
        if (sameTriple(mode, width, height, depth)) {
            out = mode;
            return true;
        }
    }
    return false;
}

bool DisplayModeManage::getCurrentMode(DEVMODEA& out)
{
    return enumerate(ENUM_CURRENT_SETTINGS, out);
}

bool DisplayModeManage::getRegistryMode(DEVMODEA& out)
{
    return enumerate(ENUM_REGISTRY_SETTINGS, out);
}

void DisplayModeManage::change(int width, int height, int depth)
{
    DEVMODEA wanted;
    if (!findMode(wanted, width, height, depth))
        return;
    DEVMODEA current;
    if (getCurrentMode(current) && sameTriple(current, wanted))
        return;
    DEVMODEA registry;
    if (getRegistryMode(registry) && sameTriple(registry, wanted)) {
        restore();
        return;
    }
    const LONG result = ChangeDisplaySettingsA(&wanted, CDS_FULLSCREEN);
    // Set even on failure, so that the next restore resets the display.
    myChanged = true;
    if (result != DISP_CHANGE_SUCCESSFUL)
        logSevere("DisplayModeManage::change() failed");
}

void DisplayModeManage::apply(const FullscreenDisplayMode& mode)
{
    if (mode.id != FullscreenDisplayMode::DEFAULT)
        change(mode.width, mode.height, mode.depth);
    else
        restore();
}

void DisplayModeManage::restore()
{
    if (!myChanged)
        return;
    ChangeDisplaySettingsA(nullptr, 0);
    myChanged = false;
}

} // namespace par
