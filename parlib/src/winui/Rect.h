#pragma once

namespace par {

// A rectangle as position and size rather than as two corners.
struct Rect {
    int x;
    int y;
    int width;
    int height;
};

} // namespace par
