#include "LoopUntil.h"

namespace test {

namespace {

const std::function<bool()>* theCondition = nullptr;
DWORD theStart = 0;
DWORD theTimeout = 0;
bool theAnswer = false;

void CALLBACK checkCondition(HWND, UINT, UINT_PTR, DWORD)
{
    const bool late = theTimeout != INFINITE && GetTickCount() - theStart >= theTimeout;
    theAnswer = (*theCondition)();
    if (theAnswer || late)
        PostQuitMessage(0);
}

} // namespace

bool runLoopUntil(par::Application& application, const std::function<bool()>& condition,
                  unsigned timeoutMs)
{
    theCondition = &condition;
    theStart = GetTickCount();
    theTimeout = timeoutMs;
    theAnswer = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 5, checkCondition);
    application.run();
    KillTimer(nullptr, timer);
    theCondition = nullptr;
    // The answer that ended the loop: a state that holds only for a while
    // (a window not yet shown, say) may be gone when asked again.
    return theAnswer || condition();
}

} // namespace test
