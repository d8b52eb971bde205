#include "saver/SaverController.h"
#include "saver/screensaver/ScreenSaver.h"

#include "util/ExceptionUtil.h"

// The callbacks that the screen-saver library calls, with the system's
// frames below them.

LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return par::callGuarded("ScreenSaverProc()", LRESULT(0), [&] {
        return SaverController::instance().handleSaverMessage(window, message, wParam, lParam);
    });
}

INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return par::callGuarded("ScreenSaverConfigureDialog()", INT_PTR(FALSE), [&] {
        return SaverController::instance().handleDialogMessage(dialog, message, wParam, lParam);
    });
}

BOOL WINAPI RegisterDialogClasses(HANDLE)
{
    // The controller is made here in the configure mode, ahead of the dialog.
    return par::callGuarded("RegisterDialogClasses()", FALSE, [] {
        SaverController::instance();
        return TRUE;
    });
}
