#pragma once

#include "ipc/ServerConnectionWatcher.h"

#include <map>
#include <string>

class SwfWindow;

namespace swfWindow {

// One watcher per server address that the movie asks to watch; tells the
// movie of every change of an address's state. UI thread only.
class ServerConnectionWatcherPool : public par::ServerConnectionWatcher::Listener {
public:
    explicit ServerConnectionWatcherPool(SwfWindow* owner);
    // Blocks until every watcher's thread has ended or been terminated.
    ~ServerConnectionWatcherPool() override;
    ServerConnectionWatcherPool(const ServerConnectionWatcherPool&) = delete;
    ServerConnectionWatcherPool& operator=(const ServerConnectionWatcherPool&) = delete;

    void addWatcher(const std::string& url);
    // Blocks until the watcher's thread has ended or been terminated.
    void removeWatcher(const std::string& url);
    par::ServerConnectionWatcher* findWatcher(const std::string& url) const;
    // The state's name; empty for an address without a watcher.
    std::string getState(const std::string& url) const;

    void handleStateChange(par::ServerConnectionWatcher* watcher, int state) override;

private:
    SwfWindow* myOwner;
    std::map<std::string, par::ServerConnectionWatcher*> myWatchers;
};

} // namespace swfWindow
