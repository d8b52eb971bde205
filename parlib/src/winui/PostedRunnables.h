#pragma once

#include <windows.h>

namespace par {

class Runnable;

// Keeps track of the runnables posted to windows until they have run. The
// system drops the posted messages of a window that is destroyed; what was
// still on its way is deleted here instead of leaking. Any thread may post.
class PostedRunnables {
public:
    // Posts WM_ASYNC_EXEC with the runnable to the window. On failure the
    // runnable is deleted and the result is false.
    static bool post(HWND window, Runnable* runnable);
    // Runs a runnable taken from a WM_ASYNC_EXEC message once and deletes it.
    static void run(Runnable* runnable);
    // Deletes what is still on its way to a handle that is no longer a window.
    static void discard(HWND window);
};

} // namespace par
