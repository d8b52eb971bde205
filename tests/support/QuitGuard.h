#pragma once

#include <windows.h>

namespace test {

// Ends a message loop of the constructing thread that runs longer than the
// limit: it then posts WM_QUIT with the exit code TIMED_OUT to that thread.
class QuitGuard {
public:
    static constexpr int TIMED_OUT = 4242;

    explicit QuitGuard(DWORD limitMs);
    ~QuitGuard();
    QuitGuard(const QuitGuard&) = delete;
    QuitGuard& operator=(const QuitGuard&) = delete;

private:
    static DWORD WINAPI watch(LPVOID parameter);

    DWORD myThreadId;
    DWORD myLimitMs;
    HANDLE myCancel;
    HANDLE myWatcher;
};

} // namespace test
