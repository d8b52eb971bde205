#include "winui/Container.h"

namespace par {

Container::Container(COLORREF background, DWORD style, DWORD exStyle)
    : CustomWindow(style, exStyle, "ParDefaultWindowClass")
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
