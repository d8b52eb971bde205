#include "thread/PostedRunnables.h"

#include "thread/Runnable.h"
#include "util/ExceptionUtil.h"

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

// Runnable -> the window it was posted to (null: a thread's queue).
std::map<Runnable*, HWND>& pending()
{
    static auto* runnables = new std::map<Runnable*, HWND>;
    return *runnables;
}

void remember(Runnable* runnable, HWND window)
{
    std::lock_guard<std::mutex> lock(registryMutex());
    pending()[runnable] = window;
}

// True when the runnable was still pending (and is now the caller's).
bool takeBack(Runnable* runnable)
{
    std::lock_guard<std::mutex> lock(registryMutex());
    return pending().erase(runnable) > 0;
}

bool failed(Runnable* runnable)
{
    // A window's destruction may have discarded it meanwhile.
    if (takeBack(runnable))
        delete runnable;
    return false;
}

} // namespace

bool PostedRunnables::post(HWND window, Runnable* runnable)
{
    // A null handle would post to the calling thread's own queue.
    if (!window) {
        delete runnable;
        return false;
    }
    remember(runnable, window);
    if (PostMessageA(window, WM_ASYNC_EXEC, 0, reinterpret_cast<LPARAM>(runnable)))
        return true;
    return failed(runnable);
}

bool PostedRunnables::postToThread(DWORD threadId, Runnable* runnable)
{
    remember(runnable, nullptr);
    if (threadId && PostThreadMessageA(threadId, WM_ASYNC_EXEC, 0, reinterpret_cast<LPARAM>(runnable)))
        return true;
    return failed(runnable);
}

void PostedRunnables::run(Runnable* runnable)
{
    if (!runnable || !takeBack(runnable))
        return;
    std::unique_ptr<Runnable> owned(runnable);
    callGuarded("PostedRunnables::run()", [&owned] { owned->run(); });
}

void PostedRunnables::discard(HWND window)
{
    if (!window || IsWindow(window))
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
