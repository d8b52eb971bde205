#include "swfwindow/ServerConnectionWatcherPool.h"

#include "swfwindow/SwfWindow.h"

#include "util/Log.h"
#include "util/StringUtil.h"

namespace swfWindow {

ServerConnectionWatcherPool::ServerConnectionWatcherPool(SwfWindow* owner) : myOwner(owner)
{
}

ServerConnectionWatcherPool::~ServerConnectionWatcherPool()
{
    for (auto& entry : myWatchers)
        delete entry.second;
}

void ServerConnectionWatcherPool::addWatcher(const std::string& url)
{
    if (findWatcher(url)) {
        par::logSevere("addWatcher(), watcher already added, url: \"" + url + "\", skipped");
        return;
    }
    par::ServerConnectionWatcher* watcher = new par::ServerConnectionWatcher(url);
    watcher->addListener(this);
    myWatchers[url] = watcher;
    watcher->setActive(true);
}

void ServerConnectionWatcherPool::removeWatcher(const std::string& url)
{
    par::ServerConnectionWatcher* watcher = findWatcher(url);
    if (!watcher) {
        par::logSevere("removeWatcher(), watcher not found, url: \"" + url + "\", skipped");
        return;
    }
    watcher->removeListener(this);
    watcher->requestStopAndWait();
    myWatchers.erase(url);
    delete watcher;
}

par::ServerConnectionWatcher* ServerConnectionWatcherPool::findWatcher(const std::string& url) const
{
    auto found = myWatchers.find(url);
    return found == myWatchers.end() ? nullptr : found->second;
}

std::string ServerConnectionWatcherPool::getState(const std::string& url) const
{
    par::ServerConnectionWatcher* watcher = findWatcher(url);
    return watcher ? par::ServerConnectionWatcher::stateToString(watcher->getState()) : std::string();
}

void ServerConnectionWatcherPool::handleStateChange(par::ServerConnectionWatcher* watcher, int state)
{
    for (auto& entry : myWatchers) {
        if (entry.second != watcher)
            continue;
        const std::wstring url = par::toWide(entry.first);
        const std::wstring name = par::toWide(par::ServerConnectionWatcher::stateToString(state));
        const wchar_t* const args[] = {url.c_str(), name.c_str()};
        myOwner->callFunction(L"handleServerConnectionStateChange", args, 2);
        return;
    }
    par::logSevere("handleStateChange(), unexpected state, the watcher is not found in the map");
}

} // namespace swfWindow
