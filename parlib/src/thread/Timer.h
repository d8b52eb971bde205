#pragma once

#include "thread/ListenerList.h"

#include <windows.h>

namespace par {

// An interval timer that fires on the thread that started it, while that
// thread dispatches messages. It uses a thread timer of the system (no
// window), so start, stop and destroy it on that same thread.
class Timer {
public:
    class Listener {
    public:
        virtual void onTimer(Timer*) {}
        virtual ~Listener() = default;
    };

    explicit Timer(unsigned intervalMs);
    virtual ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    // Called on every tick before the listeners are told.
    virtual void onTick() {}
    virtual void start();
    virtual void stop();

    bool isRunning() const { return myRunning; }
    unsigned getInterval() const { return myInterval; }
    // Takes effect at the next start.
    void setInterval(unsigned intervalMs) { myInterval = intervalMs; }
    // GetTickCount() at the last start.
    DWORD getStartTick() const { return myStartTick; }

    void addListener(Listener* listener, bool owned);
    void removeListener(Listener* listener);

private:
    static void CALLBACK timerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
    void fire();

    unsigned myInterval;
    DWORD myStartTick = 0;
    bool myRunning = false;
    ListenerList<Listener> myListeners;
    // Set while the timer fires, so that a destructor called from a tick
    // can tell the tick to go no further.
    bool* myDestroyedFlag = nullptr;
};

} // namespace par
