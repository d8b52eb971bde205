#pragma once

#include "thread/ListenerList.h"
#include "thread/Runnable.h"
#include "thread/Thread.h"
#include "util/Scoped.h"

#include <atomic>
#include <string>

namespace par {

// Watches whether one server address can be reached: its thread probes the
// address once a minute, or at once when asked, and every change of the
// result reaches the listeners on the UI thread. Each probe runs on a pool
// thread of its own with state of its own: a stop never ends a thread inside
// WinInet, whose process-wide locks it would leave taken; the watcher's
// thread ends at once and a late probe finishes alone.
class ServerConnectionWatcher : public Thread {
public:
    static constexpr int STATE_PENDING = 0;
    static constexpr int STATE_CONNECTED = 1;
    static constexpr int STATE_DISCONNECTED = 2;
    static constexpr unsigned PERIOD_MS = 60000;

    // Told on the UI thread; never deleted by the watcher.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void handleStateChange(ServerConnectionWatcher* watcher, int state) = 0;
    };

    // Carries one state change to the UI thread. It names its watcher by
    // serial number, so that a watcher deleted meanwhile is never reached.
    class StateChangeParcel : public Runnable {
    public:
        StateChangeParcel(unsigned watcherSerial, int state) : myWatcherSerial(watcherSerial), myState(state) {}
        void run() override;

    private:
        unsigned myWatcherSerial;
        int myState;
    };

    explicit ServerConnectionWatcher(const std::string& url);
    ~ServerConnectionWatcher() override;

    const std::string& getUrl() const { return myUrl; }
    void setActive(bool active);
    // Asks for a probe at once.
    void update();
    int getState() const { return myState; }
    static std::string stateToString(int state);

    void addListener(Listener* listener);
    void removeListener(Listener* listener);
    void notifyListeners(int state);
    bool checkConnection();
    static bool checkConnection(const std::string& url);

protected:
    unsigned run() override;

private:
    // Probes away from the watcher's thread; false when the stop request
    // came first.
    bool probe(bool& reachable);

    const std::string myUrl;
    const unsigned myPeriod = PERIOD_MS;
    std::atomic<int> myState{STATE_PENDING};
    ScopedHandle myActiveEvent;
    ScopedHandle myUpdateEvent;
    ListenerList<Listener> myListeners;
    unsigned mySerial;
};

} // namespace par
