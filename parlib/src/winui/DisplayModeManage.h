#pragma once

#include "winui/FullscreenDisplayMode.h"

#include <windows.h>

#include <vector>

namespace par {

// The display modes of the primary display, and the switch to one of them
// for fullscreen presentation. Remembers whether it switched, so that the
// user's mode is restored only when this process changed it.
class DisplayModeManage {
public:
    DisplayModeManage();

    // The process's instance, made when the program loads; never deleted.
    static DisplayModeManage* getInstance();

    // Lists the distinct (width, height, depth) modes in the order the
    // system enumerates them, keeping the first record of each.
    void loadModes();
    const std::vector<DEVMODEA>& getModes() const { return myModes; }

    // The first listed mode that matches; -1 matches any value.
    bool findMode(DEVMODEA& out, int width, int height, int depth) const;
    static bool getCurrentMode(DEVMODEA& out);
    static bool getRegistryMode(DEVMODEA& out);

    void change(int width, int height, int depth);
    void apply(const FullscreenDisplayMode& mode);
    void restore();
    bool isChanged() const { return myChanged; }

private:
    std::vector<DEVMODEA> myModes;
    bool myChanged = false;
};

} // namespace par
