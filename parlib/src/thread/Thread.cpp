#include "thread/Thread.h"

#include "util/ExceptionUtil.h"

namespace par {

Thread::Thread()
    : myStopEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      myStoppedEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      myTerminableEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    // A thread that was never started counts as stopped.
    SetEvent(myStoppedEvent.get());
}

Thread::~Thread()
{
    requestStopAndWait();
}

HANDLE Thread::start()
{
    if (isRunning())
        return nullptr;
    // A run that was ended in its blocking call left its terminable mark.
    ResetEvent(myStoppedEvent.get());
    ResetEvent(myStopEvent.get());
    ResetEvent(myTerminableEvent.get());
    myFinished = false;
    myHandle.reset(CreateThread(nullptr, 0, &Thread::threadProc, this, 0, &myThreadId));
    if (!myHandle) {
        // Nothing runs, so nothing will ever signal it.
        SetEvent(myStoppedEvent.get());
        return nullptr;
    }
    return myHandle.get();
}

void Thread::requestStop()
{
    if (!isSignalled(myStoppedEvent.get()))
        SetEvent(myStopEvent.get());
}

void Thread::requestStopAndWait()
{
    if (!isRunning())
        return;
    // Through the override, for a thread that also waits elsewhere.
    requestStop();
    HANDLE events[] = {myStoppedEvent.get(), myTerminableEvent.get()};
    DWORD result = WaitForMultipleObjects(2, events, FALSE, STOP_TIMEOUT_MS);
    if (result == WAIT_OBJECT_0)
        return;
    if (result == WAIT_OBJECT_0 + 1)
        TerminateThread(myHandle.get(), 0);
    else
        TerminateThread(myHandle.get(), 1);
    // TerminateThread only starts the ending; the caller may free what the
    // thread used as soon as this returns.
    WaitForSingleObject(myHandle.get(), INFINITE);
}

void Thread::terminate()
{
    if (myHandle)
        TerminateThread(myHandle.get(), 0);
}

bool Thread::isStopRequested() const
{
    return isSignalled(myStopEvent.get());
}

bool Thread::isSignalled(HANDLE handle)
{
    return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
}

unsigned Thread::run()
{
    return 0;
}

bool Thread::isRunning() const
{
    // The thread handle also tells of a thread that was terminated, which
    // never signals the stopped event.
    return !isSignalled(myStoppedEvent.get()) && myHandle && !isSignalled(myHandle.get());
}

DWORD WINAPI Thread::threadProc(LPVOID parameter)
{
    Thread* self = static_cast<Thread*>(parameter);
    const unsigned result = callGuarded("Thread::threadProc()", 0u, [self] { return self->run(); });
    self->myFinished = true;
    SetEvent(self->myStoppedEvent.get());
    return result;
}

} // namespace par
