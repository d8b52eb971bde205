#pragma once

#include "MessageWindow.h"

#include <windows.h>

#include <functional>
#include <vector>

namespace standin {

// The work a movie does later, on the control's thread: each item runs at
// its time, one per message, in the order planned. A busy movie runs
// nothing: while it hangs (only items planned to end the hang run), and
// while one of its own events still runs in the host, as a real movie's
// code waits for the host to return.
class MovieSchedule {
public:
    using Work = std::function<void()>;

    // What the owner's handler hands to onWake: the posted message and the timer.
    static const UINT kWakeMessage = WM_APP + 1;
    static const UINT_PTR kTimerId = 1;

    explicit MovieSchedule(MessageWindow& window) : myWindow(window) {}
    MovieSchedule(const MovieSchedule&) = delete;
    MovieSchedule& operator=(const MovieSchedule&) = delete;

    void plan(DWORD delayMs, Work work, bool evenWhileHanging = false);
    // Drops everything planned and ends a hang: a new movie, or none.
    void clear();

    void setHang(bool hang);
    bool hangs() const { return myHang; }

    // Whether work could run at once, ahead of nothing: the movie is not
    // busy and nothing planned is due.
    bool canRunNow() const;

    void enterEvent() { ++myEvents; }
    void leaveEvent();

    void onWake();

private:
    struct Item {
        ULONGLONG due;
        Work work;
        bool evenWhileHanging;
    };

    // The index of the first item that may run, or npos.
    size_t nextItem() const;
    void wake();

    MessageWindow& myWindow;
    // Ordered by time, then by planning.
    std::vector<Item> myItems;
    bool myHang = false;
    int myEvents = 0;
    bool myWakePosted = false;
};

} // namespace standin
