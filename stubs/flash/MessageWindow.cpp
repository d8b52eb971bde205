#include "MessageWindow.h"

#include "StandInModule.h"

#include "util/ExceptionUtil.h"

namespace standin {

namespace {

const wchar_t* const kClassName = L"FlashStandInMessages";

} // namespace

MessageWindow::MessageWindow(Handler& handler) : myHandler(handler)
{
    if (registerWindowClass(kClassName, windowProc))
        myWindow = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   moduleHandle(), this);
}

MessageWindow::~MessageWindow()
{
    if (myWindow)
        DestroyWindow(myWindow);
}

bool MessageWindow::post(UINT message, WPARAM wParam)
{
    return myWindow && PostMessageW(myWindow, message, wParam, 0);
}

void MessageWindow::startTimer(UINT_PTR id, DWORD milliseconds)
{
    if (myWindow)
        SetTimer(myWindow, id, milliseconds, nullptr);
}

void MessageWindow::stopTimer(UINT_PTR id)
{
    if (myWindow)
        KillTimer(myWindow, id);
}

LRESULT CALLBACK MessageWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<MessageWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && (message == WM_TIMER || message >= WM_APP)) {
        par::callGuarded("standin MessageWindow", [&] { self->myHandler.onMessage(message, wParam); });
        return 0;
    }
    if (message == WM_NCDESTROY)
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace standin
