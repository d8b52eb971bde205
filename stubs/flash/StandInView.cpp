#include "StandInView.h"

#include "StandInModule.h"

#include "util/ExceptionUtil.h"

namespace standin {

namespace {

const wchar_t* const kClassName = L"FlashStandInView";
const int kMargin = 8;

} // namespace

bool StandInView::create(HWND parent, const RECT& rect)
{
    if (!registerWindowClass(kClassName, windowProc))
        return false;
    myWindow = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                               rect.left, rect.top, rect.right - rect.left,
                               rect.bottom - rect.top, parent, nullptr, moduleHandle(), this);
    return myWindow != nullptr;
}

void StandInView::destroy()
{
    if (myWindow)
        DestroyWindow(myWindow);
}

void StandInView::move(const RECT& rect)
{
    if (myWindow)
        MoveWindow(myWindow, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   TRUE);
}

void StandInView::setBackground(COLORREF color)
{
    myBackground = color;
    redraw();
}

void StandInView::setTitle(const std::wstring& title)
{
    myTitle = title;
    redraw();
}

void StandInView::setLines(const std::vector<std::wstring>& lines)
{
    myLines = lines;
    redraw();
}

void StandInView::setStatus(const std::wstring& status)
{
    myStatus = status;
    redraw();
}

// Once until the next paint: the status changes with every call.
void StandInView::redraw()
{
    if (myWindow && !myRedrawPending)
        myRedrawPending = InvalidateRect(myWindow, nullptr, FALSE) != FALSE;
}

void StandInView::paint(HDC dc)
{
    RECT client;
    GetClientRect(myWindow, &client);
    HBRUSH brush = CreateSolidBrush(myBackground);
    FillRect(dc, &client, brush);
    DeleteObject(brush);

    // Dark text on light backgrounds and the other way round.
    const int luminance = (GetRValue(myBackground) * 299 + GetGValue(myBackground) * 587 +
                           GetBValue(myBackground) * 114) / 1000;
    SetTextColor(dc, luminance < 128 ? RGB(255, 255, 255) : RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    const int lineHeight = metrics.tmHeight + metrics.tmExternalLeading;

    int y = kMargin;
    const std::wstring title = L"Flash control stand-in: " + myTitle;
    TextOutW(dc, kMargin, y, title.c_str(), static_cast<int>(title.size()));
    y += lineHeight * 3 / 2;
    for (const std::wstring& line : myLines) {
        TextOutW(dc, kMargin, y, line.c_str(), static_cast<int>(line.size()));
        y += lineHeight;
    }
    if (!myStatus.empty()) {
        const std::wstring status = L"Last: " + myStatus;
        TextOutW(dc, kMargin, y + lineHeight / 2, status.c_str(), static_cast<int>(status.size()));
    }
    SelectObject(dc, oldFont);
}

LRESULT CALLBACK StandInView::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* view = reinterpret_cast<StandInView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!view)
        return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        view->myRedrawPending = false;
        HDC dc = BeginPaint(window, &ps);
        par::callGuarded("standin StandInView paint", [&] { view->paint(dc); });
        EndPaint(window, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        par::callGuarded("standin StandInView paint",
                         [&] { view->paint(reinterpret_cast<HDC>(wParam)); });
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        view->myWindow = nullptr;
        view->myRedrawPending = false;
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace standin
