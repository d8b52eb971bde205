#include "saver/SaverController.h"
#include "saver/screensaver/ScreenSaver.h"

// The callbacks that the screen-saver library calls.

LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SaverController::instance().handleSaverMessage(window, message, wParam, lParam);
}

INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SaverController::instance().handleDialogMessage(dialog, message, wParam, lParam);
}

BOOL WINAPI RegisterDialogClasses(HANDLE)
{
    // The controller is made here in the configure mode, ahead of the dialog.
    SaverController::instance();
    return TRUE;
}
