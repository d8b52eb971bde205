#include "ModalLoop.h"

#include <windows.h>

namespace test {

namespace {

const wchar_t* const CAPTION = L"test.ModalLoop";

const std::function<bool()>* theCondition = nullptr;
DWORD theStart = 0;
DWORD theTimeout = 0;
bool theAnswer = false;
bool theClosing = false;

BOOL CALLBACK closeBox(HWND window, LPARAM)
{
    wchar_t caption[32] = L"";
    GetWindowTextW(window, caption, 32);
    if (lstrcmpW(caption, CAPTION) == 0)
        PostMessageW(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

void CALLBACK checkCondition(HWND, UINT, UINT_PTR, DWORD)
{
    if (theClosing)
        return;
    theAnswer = (*theCondition)();
    if (theAnswer || GetTickCount() - theStart >= theTimeout) {
        theClosing = true;
        EnumThreadWindows(GetCurrentThreadId(), closeBox, 0);
    }
}

} // namespace

bool runModalLoopUntil(const std::function<bool()>& condition, unsigned timeoutMs)
{
    theCondition = &condition;
    theStart = GetTickCount();
    theTimeout = timeoutMs;
    theAnswer = false;
    theClosing = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, checkCondition);
    // A box that ended before the timer closed it (seen once on a loaded
    // machine) is opened again: the loop must last until the answer is known.
    while (!theClosing && GetTickCount() - theStart < theTimeout)
        MessageBoxW(nullptr, L"A modal loop of the test.", CAPTION, MB_OK);
    KillTimer(nullptr, timer);
    theCondition = nullptr;
    return theAnswer;
}

} // namespace test
