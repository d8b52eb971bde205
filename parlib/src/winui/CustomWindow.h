#pragma once

#include "util/Scoped.h"
#include "winui/Window.h"

namespace par {

// A window that paints its own background with a brush of its own, offers a
// paint hook and remembers the font it was given.
class CustomWindow : public Window {
public:
    // A style of 0 makes a popup window.
    CustomWindow(Window* parent, DWORD style, DWORD exStyle, const std::string& className);
    CustomWindow(DWORD style, DWORD exStyle, const std::string& className);
    explicit CustomWindow(HWND handle);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Called between BeginPaint and EndPaint.
    virtual void paint(HDC dc, PAINTSTRUCT* paintStruct);

    void setBackgroundColor(COLORREF color);
    // With no-erase on, the background is left as it is.
    void setNoErase(bool noErase);

protected:
    ScopedBrush myBackgroundBrush;
    bool myNoErase = false;
    // Not owned.
    HFONT myFont = nullptr;
};

} // namespace par
