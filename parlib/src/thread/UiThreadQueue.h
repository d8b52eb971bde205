#pragma once

#include <windows.h>

namespace par {

class Runnable;

// Hands work to the thread that made the queue through a message-only
// window. Every message loop of that thread dispatches it, modal loops (a
// message box, a dialog, a menu, moving a window) included, which discard
// messages posted to the thread itself. A runnable still queued when the
// queue goes is deleted, never run.
class UiThreadQueue {
public:
    // On the thread that is to run the work.
    UiThreadQueue();
    ~UiThreadQueue();
    UiThreadQueue(const UiThreadQueue&) = delete;
    UiThreadQueue& operator=(const UiThreadQueue&) = delete;

    // Any thread. The runnable is the queue's from here on; a failed post
    // deletes it and returns false.
    bool post(Runnable* runnable) const;
    HWND getHandle() const { return myWindow; }

private:
    HWND myWindow;
};

} // namespace par
