#pragma once

#include "winui/CustomWindow.h"

namespace par {

// A window on "ParDefaultWindowClass" that holds child windows. It is made a
// child of its holder with addChild.
class Container : public CustomWindow {
public:
    static constexpr COLORREF NO_BACKGROUND = 0xFFFFFFFF;

    // With NO_BACKGROUND the container paints no background at all.
    Container(COLORREF background, DWORD style, DWORD exStyle);
    ~Container() override;
};

} // namespace par
