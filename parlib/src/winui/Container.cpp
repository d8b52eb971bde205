#include "winui/Container.h"

namespace par {

namespace {

// The style that addChild gives a window made with this one on the desktop,
// where every window is given WS_CLIPSIBLINGS.
DWORD styleIn(Window* holder, DWORD style)
{
    if (!holder)
        return style;
    return ((style ? style : WS_POPUP) | WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE) & ~(WS_POPUP | WS_CAPTION);
}

} // namespace

Container::Container(COLORREF background, DWORD style, DWORD exStyle)
    : Container(nullptr, background, style, exStyle)
{
}

Container::Container(Window* holder, COLORREF background, DWORD style, DWORD exStyle)
    : CustomWindow(holder, styleIn(holder, style), exStyle, "ParDefaultWindowClass")
{
    setControlParent(true);
    if (background != NO_BACKGROUND) {
        setNoErase(false);
        setBackgroundColor(background);
    } else {
        setNoErase(true);
    }
}

Container::~Container() = default;

} // namespace par
