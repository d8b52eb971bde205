#pragma once

#include "winui/CustomWindow.h"

namespace par {

// A window on "ParDefaultWindowClass" that holds child windows. It is made a
// child of its holder with addChild, or made in its holder at once.
class Container : public CustomWindow {
public:
    static constexpr COLORREF NO_BACKGROUND = 0xFFFFFFFF;

    // With NO_BACKGROUND the container paints no background at all.
    Container(COLORREF background, DWORD style, DWORD exStyle);
    // Made in the holder already as the child that addChild would make of
    // it: a window first made on the desktop costs the display server a
    // window of its own, made and then thrown away. A null holder is the
    // constructor above.
    Container(Window* holder, COLORREF background, DWORD style, DWORD exStyle);
    ~Container() override;
};

} // namespace par
