#include "winui/CustomWindow.h"

namespace par {

namespace {

constexpr COLORREF WHITE = 0xFFFFFF;

} // namespace

CustomWindow::CustomWindow(Window* parent, DWORD style, DWORD exStyle, const std::string& className)
    : Window(parent, className, style ? style : WS_POPUP, exStyle),
      myBackgroundBrush(CreateSolidBrush(WHITE))
{
}

CustomWindow::CustomWindow(DWORD style, DWORD exStyle, const std::string& className)
    : CustomWindow(nullptr, style, exStyle, className)
{
}

CustomWindow::CustomWindow(HWND handle)
    : Window(handle), myBackgroundBrush(CreateSolidBrush(WHITE))
{
}

LRESULT CustomWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (fromHwnd(getHandle()) == this) {
        if (message == WM_ERASEBKGND) {
            if (!myNoErase) {
                RECT client;
                GetClientRect(getHandle(), &client);
                FillRect(reinterpret_cast<HDC>(wParam), &client, myBackgroundBrush.get());
            }
            return 1;
        }
        if (message == WM_PAINT) {
            PAINTSTRUCT paintStruct;
            HDC dc = BeginPaint(getHandle(), &paintStruct);
            paint(dc, &paintStruct);
            EndPaint(getHandle(), &paintStruct);
        }
    }
    if (message == WM_SETFONT)
        myFont = reinterpret_cast<HFONT>(wParam);
    else if (message == WM_GETFONT)
        return reinterpret_cast<LRESULT>(myFont);
    return Window::handleMessage(message, wParam, lParam);
}

void CustomWindow::paint(HDC, PAINTSTRUCT*)
{
}

void CustomWindow::setBackgroundColor(COLORREF color)
{
    myBackgroundBrush.reset(CreateSolidBrush(color));
    invalidate(true);
}

void CustomWindow::setNoErase(bool noErase)
{
    myNoErase = noErase;
    invalidate(true);
    UpdateWindow(getHandle());
}

} // namespace par
