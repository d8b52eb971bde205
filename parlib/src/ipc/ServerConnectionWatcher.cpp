#include "ipc/ServerConnectionWatcher.h"

#include "app/UiApplication.h"

#include <wininet.h>

#include <map>
#include <mutex>

namespace par {

namespace {

// The watchers that exist, by serial number. Serial numbers are never
// reused, so a parcel of a deleted watcher finds nothing, even when a new
// watcher took its address.
class LiveWatchers {
public:
    unsigned add(ServerConnectionWatcher* watcher)
    {
        std::lock_guard<std::mutex> lock(myMutex);
        const unsigned serial = ++myLastSerial;
        myWatchers[serial] = watcher;
        return serial;
    }

    void remove(unsigned serial)
    {
        std::lock_guard<std::mutex> lock(myMutex);
        myWatchers.erase(serial);
    }

    ServerConnectionWatcher* find(unsigned serial)
    {
        std::lock_guard<std::mutex> lock(myMutex);
        auto found = myWatchers.find(serial);
        return found == myWatchers.end() ? nullptr : found->second;
    }

private:
    std::mutex myMutex;
    unsigned myLastSerial = 0;
    std::map<unsigned, ServerConnectionWatcher*> myWatchers;
};

LiveWatchers& liveWatchers()
{
    static LiveWatchers watchers;
    return watchers;
}

} // namespace

void ServerConnectionWatcher::StateChangeParcel::run()
{
    // Runs on the UI thread, where watchers are also deleted.
    if (ServerConnectionWatcher* watcher = liveWatchers().find(myWatcherSerial))
        watcher->notifyListeners(myState);
}

ServerConnectionWatcher::ServerConnectionWatcher(const std::string& url)
    : myUrl(url),
      myActiveEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      myUpdateEvent(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      mySerial(liveWatchers().add(this))
{
}

ServerConnectionWatcher::~ServerConnectionWatcher()
{
    liveWatchers().remove(mySerial);
    requestStopAndWait();
}

void ServerConnectionWatcher::setActive(bool active)
{
    if (isSignalled(myActiveEvent.get()) == active)
        return;
    if (active) {
        SetEvent(myActiveEvent.get());
        // A thread deactivated a moment ago may still be on its way out.
        requestStopAndWait();
        start();
    } else {
        ResetEvent(myActiveEvent.get());
        requestStop();
    }
}

void ServerConnectionWatcher::update()
{
    SetEvent(myUpdateEvent.get());
}

std::string ServerConnectionWatcher::stateToString(int state)
{
    switch (state) {
    case STATE_PENDING:
        return "pending";
    case STATE_CONNECTED:
        return "connected";
    case STATE_DISCONNECTED:
        return "disconnected";
    default:
        return std::string();
    }
}

void ServerConnectionWatcher::addListener(Listener* listener)
{
    myListeners.add(listener, false);
}

void ServerConnectionWatcher::removeListener(Listener* listener)
{
    myListeners.remove(listener);
}

void ServerConnectionWatcher::notifyListeners(int state)
{
    for (Listener* listener : myListeners.snapshot())
        listener->handleStateChange(this, state);
}

bool ServerConnectionWatcher::checkConnection()
{
    return InternetCheckConnectionA(myUrl.empty() ? nullptr : myUrl.c_str(),
                                    FLAG_ICC_FORCE_CONNECTION, 0) == TRUE;
}

unsigned ServerConnectionWatcher::run()
{
    HANDLE untilActive[] = {myActiveEvent.get(), getStopEvent()};
    HANDLE untilNextProbe[] = {myUpdateEvent.get(), getStopEvent()};
    for (;;) {
        if (WaitForMultipleObjects(2, untilActive, FALSE, INFINITE) != WAIT_OBJECT_0)
            return 0;

        // The probe may block for long: the owner may end the thread there.
        SetEvent(getTerminableEvent());
        const bool reachable = checkConnection();
        ResetEvent(getTerminableEvent());

        const int state = reachable ? STATE_CONNECTED : STATE_DISCONNECTED;
        if (state != myState) {
            myState = state;
            UiApplication::asyncExec(new StateChangeParcel(mySerial, state));
        }

        if (WaitForMultipleObjects(2, untilNextProbe, FALSE, myPeriod) == WAIT_OBJECT_0 + 1)
            return 0;
    }
}

} // namespace par
