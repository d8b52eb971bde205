#pragma once

namespace par {

// Which display mode fullscreen presentation uses: the screen's own
// ("default", id 0) or the one the user chose ("provided", id 1).
struct FullscreenDisplayMode {
    static constexpr int DEFAULT = 0;
    static constexpr int PROVIDED = 1;

    int id = DEFAULT;
    int width = 0;
    int height = 0;
    int depth = 0;

    void set(int newWidth, int newHeight, int newDepth)
    {
        id = PROVIDED;
        width = newWidth;
        height = newHeight;
        depth = newDepth;
    }
};

} // namespace par
