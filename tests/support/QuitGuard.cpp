#include "QuitGuard.h"

namespace test {

QuitGuard::QuitGuard(DWORD limitMs)
    : myThreadId(GetCurrentThreadId()),
      myLimitMs(limitMs),
      myCancel(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      myWatcher(CreateThread(nullptr, 0, watch, this, 0, nullptr))
{
}

QuitGuard::~QuitGuard()
{
    SetEvent(myCancel);
    WaitForSingleObject(myWatcher, INFINITE);
    CloseHandle(myWatcher);
    CloseHandle(myCancel);
    // A quit message that came too late for the loop must not end the next one.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

DWORD WINAPI QuitGuard::watch(LPVOID parameter)
{
    auto* guard = static_cast<QuitGuard*>(parameter);
    if (WaitForSingleObject(guard->myCancel, guard->myLimitMs) == WAIT_TIMEOUT)
        PostThreadMessageA(guard->myThreadId, WM_QUIT, TIMED_OUT, 0);
    return 0;
}

} // namespace test
