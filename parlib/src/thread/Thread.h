#pragma once

#include "util/Scoped.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace par {

// Base of every worker thread. The owner stops it with a handshake of events:
// it signals the stop request and waits up to two seconds for the thread to
// finish; a thread that declared itself terminable (it sits in a blocking
// call) is ended at once with exit code 0, one that does not answer is taken
// to be dead-locked and ended with exit code 1.
class Thread {
public:
    static constexpr DWORD STOP_TIMEOUT_MS = 2000;

    Thread();
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Runs run() on a new thread. Returns the thread's handle (owned by this
    // object and valid until it is destroyed or started again), or null when
    // the thread could not be created. A running thread is not started twice.
    HANDLE start();
    virtual void requestStop();
    void requestStopAndWait();
    void terminate();

    bool isStopRequested() const;
    bool isFinished() const { return myFinished; }
    HANDLE getHandle() const { return myHandle.get(); }
    DWORD getThreadId() const { return myThreadId; }
    HANDLE getStopEvent() const { return myStopEvent.get(); }
    HANDLE getTerminableEvent() const { return myTerminableEvent.get(); }
    const std::string& getName() const { return myName; }
    void setName(const std::string& name) { myName = name; }

    static bool isSignalled(HANDLE handle);

protected:
    virtual unsigned run();

private:
    static DWORD WINAPI threadProc(LPVOID parameter);
    bool isRunning() const;

    ScopedHandle myHandle;
    DWORD myThreadId = 0;
    std::atomic<bool> myFinished{false};
    std::string myName = "NoName";
    ScopedHandle myStopEvent;
    ScopedHandle myStoppedEvent;
    ScopedHandle myTerminableEvent;
};

} // namespace par
