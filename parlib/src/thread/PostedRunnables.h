#pragma once

#include <windows.h>

namespace par {

class Runnable;

// The library's private message: its LPARAM carries a Runnable* that the
// receiving thread runs once and deletes; WPARAM is 0.
constexpr UINT WM_ASYNC_EXEC = WM_USER + 1000;

// Keeps track of the runnables posted as WM_ASYNC_EXEC until they have run.
// The system drops the posted messages of a window that is destroyed; what
// was still on its way is deleted here instead of leaking, and a message
// whose runnable was deleted so is never run. Any thread may post.
class PostedRunnables {
public:
    // Posts the runnable to the window. On failure the runnable is deleted
    // and the result is false.
    static bool post(HWND window, Runnable* runnable);
    // Posts the runnable to the thread's own queue, with the same failure rule.
    static bool postToThread(DWORD threadId, Runnable* runnable);
    // Runs a runnable taken from a WM_ASYNC_EXEC message once and deletes
    // it; one that was discarded meanwhile is left alone.
    static void run(Runnable* runnable);
    // Deletes what is still on its way to a handle that is no longer a window.
    static void discard(HWND window);
};

} // namespace par
