// A saver of the tests' own on our screen-saver library: it tells on its
// standard output what the library asked of it, and ends its loop with
// TINY_SAVER_EXIT_CODE, so that a test sees that the loop's result is the
// program's.
#include "saver/screensaver/ScreenSaver.h"

#include "TinySaver.h"

#include <cstdio>

namespace {

void tell(const char* format, unsigned long long a = 0, unsigned long long b = 0,
          unsigned long long c = 0)
{
    std::printf(format, a, b, c);
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        // What the library set before it made the window.
        tell("create preview=%llu instance=%llu", fChildPreview,
             hMainInstance == GetModuleHandleA(nullptr));
        break;
    case WM_DESTROY:
        PostQuitMessage(TINY_SAVER_EXIT_CODE);
        return 0;
    default:
        break;
    }
    return DefScreenSaverProc(window, message, wParam, lParam);
}

INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        tell("configure owner=%llu", reinterpret_cast<UINT_PTR>(GetWindow(dialog, GW_OWNER)));
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

BOOL WINAPI RegisterDialogClasses(HANDLE)
{
    tell("register-dialog-classes");
    return TRUE;
}
