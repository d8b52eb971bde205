#include "ipc/ServerConnectionWatcher.h"

#include "app/UiApplication.h"
#include "util/ExceptionUtil.h"

#include <wininet.h>

#include <map>
#include <memory>
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

// One probe, shared by the watcher's thread and the pool thread that runs
// it; whichever lets go last frees it.
struct Probe {
    explicit Probe(const std::string& address) : url(address), done(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

    const std::string url;
    std::atomic<bool> reachable{false};
    ScopedHandle done;
};

DWORD WINAPI runProbe(LPVOID parameter)
{
    std::unique_ptr<std::shared_ptr<Probe>> probe(static_cast<std::shared_ptr<Probe>*>(parameter));
    (*probe)->reachable = callGuarded("ServerConnectionWatcher probe", false, [&probe] {
        return ServerConnectionWatcher::checkConnection((*probe)->url);
    });
    SetEvent((*probe)->done.get());
    return 0;
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
    for (Listener* listener : myListeners.snapshot()) {
        // An earlier listener may have removed (and deleted) this one.
        if (myListeners.contains(listener))
            listener->handleStateChange(this, state);
    }
}

bool ServerConnectionWatcher::checkConnection()
{
    return checkConnection(myUrl);
}

bool ServerConnectionWatcher::checkConnection(const std::string& url)
{
    return InternetCheckConnectionA(url.empty() ? nullptr : url.c_str(), FLAG_ICC_FORCE_CONNECTION, 0)
        == TRUE;
}

bool ServerConnectionWatcher::probe(bool& reachable)
{
    auto probe = std::make_shared<Probe>(myUrl);
    auto* handedOver = new std::shared_ptr<Probe>(probe);
    if (!probe->done || !QueueUserWorkItem(runProbe, handedOver, WT_EXECUTELONGFUNCTION)) {
        // Not probed is not reached.
        delete handedOver;
        reachable = false;
        return !isStopRequested();
    }
    HANDLE events[] = {getStopEvent(), probe->done.get()};
    if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
        return false;
    reachable = probe->reachable;
    return true;
}

unsigned ServerConnectionWatcher::run()
{
    // The stop request comes first: when both are signalled it wins.
    HANDLE untilActive[] = {getStopEvent(), myActiveEvent.get()};
    HANDLE untilNextProbe[] = {getStopEvent(), myUpdateEvent.get()};
    for (;;) {
        if (WaitForMultipleObjects(2, untilActive, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
            return 0;

        bool reachable = false;
        if (!probe(reachable))
            return 0;

        const int state = reachable ? STATE_CONNECTED : STATE_DISCONNECTED;
        if (myState.exchange(state) != state)
            UiApplication::asyncExec(new StateChangeParcel(mySerial, state));

        const DWORD waited = WaitForMultipleObjects(2, untilNextProbe, FALSE, myPeriod);
        if (waited != WAIT_OBJECT_0 + 1 && waited != WAIT_TIMEOUT)
            return 0;
    }
}

} // namespace par
