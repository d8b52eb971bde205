#include "thread/UiThreadQueue.h"

#include "thread/PostedRunnables.h"

namespace par {

namespace {

const char* const CLASS_NAME = "ParUiThreadQueue";

LRESULT CALLBACK queueProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ASYNC_EXEC) {
        PostedRunnables::run(reinterpret_cast<Runnable*>(lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HINSTANCE registeredClass()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    // Registered on first use; a later registration of the same class fails
    // harmlessly.
    if (!GetClassInfoExA(instance, CLASS_NAME, &windowClass)) {
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = queueProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = CLASS_NAME;
        RegisterClassExA(&windowClass);
    }
    return instance;
}

} // namespace

UiThreadQueue::UiThreadQueue()
    : myWindow(CreateWindowExA(0, CLASS_NAME, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               registeredClass(), nullptr))
{
}

UiThreadQueue::~UiThreadQueue()
{
    if (!myWindow)
        return;
    DestroyWindow(myWindow);
    PostedRunnables::discard(myWindow);
}

bool UiThreadQueue::post(Runnable* runnable) const
{
    return PostedRunnables::post(myWindow, runnable);
}

} // namespace par
