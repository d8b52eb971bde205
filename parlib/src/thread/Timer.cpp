#include "thread/Timer.h"

#include "util/ExceptionUtil.h"

#include <map>
#include <vector>

namespace par {

namespace {

// Finds a timer again from the id that the system hands to the timer
// procedure. Only running timers are registered: a stopped or destroyed
// timer leaves no entry behind, so a late tick or a reused id never reaches it.
class TimerRegistry {
public:
    void add(UINT_PTR id, Timer* timer)
    {
        myTimers[id] = timer;
        myIds[timer] = id;
    }

    // Forgets the timer; returns its id, or 0 when it had none.
    UINT_PTR remove(Timer* timer)
    {
        auto found = myIds.find(timer);
        if (found == myIds.end())
            return 0;
        const UINT_PTR id = found->second;
        myIds.erase(found);
        myTimers.erase(id);
        return id;
    }

    Timer* find(UINT_PTR id) const
    {
        auto found = myTimers.find(id);
        return found == myTimers.end() ? nullptr : found->second;
    }

private:
    std::map<UINT_PTR, Timer*> myTimers;
    std::map<Timer*, UINT_PTR> myIds;
};

TimerRegistry theRegistry;

} // namespace

Timer::Timer(unsigned intervalMs) : myInterval(intervalMs) {}

Timer::~Timer()
{
    stop();
    if (myDestroyedFlag)
        *myDestroyedFlag = true;
}

void Timer::start()
{
    if (myRunning)
        return;
    myStartTick = GetTickCount();
    const UINT_PTR id = SetTimer(nullptr, 0, myInterval, &Timer::timerProc);
    if (id == 0)
        return;
    theRegistry.add(id, this);
    myRunning = true;
}

void Timer::stop()
{
    if (!myRunning)
        return;
    myRunning = false;
    KillTimer(nullptr, theRegistry.remove(this));
}

void Timer::addListener(Listener* listener, bool owned)
{
    myListeners.add(listener, owned);
}

void Timer::removeListener(Listener* listener)
{
    myListeners.remove(listener);
}

void CALLBACK Timer::timerProc(HWND, UINT, UINT_PTR id, DWORD)
{
    if (Timer* timer = theRegistry.find(id))
        callGuarded("Timer::timerProc()", [timer] { timer->fire(); });
}

void Timer::fire()
{
    // A tick may run a nested message loop and so a nested tick; the flags
    // chain so that every level learns of a destruction.
    bool destroyed = false;
    bool* outerFlag = myDestroyedFlag;
    myDestroyedFlag = &destroyed;

    // Exceptions stop here, so that the flag is always put back; the copy
    // of the listeners too may run out of memory.
    callGuarded("Timer::onTick()", [this] { onTick(); });
    std::vector<Listener*> listeners;
    if (!destroyed)
        callGuarded("Timer::fire()", [this, &listeners] { listeners = myListeners.snapshot(); });
    for (Listener* listener : listeners) {
        // One listener may remove (and delete) another during the tick.
        if (!myListeners.contains(listener))
            continue;
        callGuarded("Timer listener", [this, listener] { listener->onTimer(this); });
        if (destroyed)
            break;
    }

    if (destroyed) {
        if (outerFlag)
            *outerFlag = true;
        return;
    }
    myDestroyedFlag = outerFlag;
}

} // namespace par
