#include "LoopUntil.h"

namespace test {

namespace {

const std::function<bool()>* theCondition = nullptr;
DWORD theStart = 0;
DWORD theTimeout = 0;

void CALLBACK checkCondition(HWND, UINT, UINT_PTR, DWORD)
{
    const bool late = theTimeout != INFINITE && GetTickCount() - theStart >= theTimeout;
    if ((*theCondition)() || late)
        PostQuitMessage(0);
}

} // namespace

bool runLoopUntil(par::Application& application, const std::function<bool()>& condition,
                  unsigned timeoutMs)
{
    theCondition = &condition;
    theStart = GetTickCount();
    theTimeout = timeoutMs;
    const UINT_PTR timer = SetTimer(nullptr, 0, 5, checkCondition);
    application.run();
    KillTimer(nullptr, timer);
    theCondition = nullptr;
    return condition();
}

} // namespace test
