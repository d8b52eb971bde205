#include "winui/PostedRunnables.h"

#include "thread/Runnable.h"
#include "winui/Window.h"

#include <map>
#include <memory>
#include <mutex>

namespace par {

namespace {

// Never destroyed: windows owned by static objects may still go after main.
std::mutex& registryMutex()
{
    static std::mutex* mutex = new std::mutex;
    return *mutex;
}

// Runnable -> the window it was posted to.
std::map<Runnable*, HWND>& pending()
{
    static auto* runnables = new std::map<Runnable*, HWND>;
    return *runnables;
}

// True when the runnable was still pending (and is now the caller's).
bool takeBack(Runnable* runnable)
{
    std::lock_guard<std::mutex> lock(registryMutex());
    return pending().erase(runnable) > 0;
}

} // namespace

bool PostedRunnables::post(HWND window, Runnable* runnable)
{
    {
        std::lock_guard<std::mutex> lock(registryMutex());
        pending()[runnable] = window;
    }
    // A null handle would post to the calling thread's own queue.
    if (window && PostMessageA(window, WM_ASYNC_EXEC, 0, reinterpret_cast<LPARAM>(runnable)))
        return true;
    // The window's destruction may have discarded it meanwhile.
    if (takeBack(runnable))
        delete runnable;
    return false;
}

void PostedRunnables::run(Runnable* runnable)
{
    if (!runnable)
        return;
    std::unique_ptr<Runnable> owned(runnable);
    takeBack(runnable);
    owned->run();
}

void PostedRunnables::discard(HWND window)
{
    if (IsWindow(window))
        return;
    std::map<Runnable*, HWND> dropped;
    {
        std::lock_guard<std::mutex> lock(registryMutex());
        for (auto entry = pending().begin(); entry != pending().end();) {
            if (entry->second == window) {
                dropped.insert(*entry);
                entry = pending().erase(entry);
            } else {
                ++entry;
            }
        }
    }
    for (auto& entry : dropped)
        delete entry.first;
}

} // namespace par
