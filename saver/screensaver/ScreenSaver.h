#pragma once

#include "saver/screensaver/ScreenSaverIds.h"

#include <windows.h>

// Our screen-saver library: it owns the entry point, reads the screen-saver
// command line, makes the saver window and runs the message loop. A saver
// program supplies ScreenSaverProc, ScreenSaverConfigureDialog,
// RegisterDialogClasses and the dialog template DLG_SCRNSAVECONFIGURE.

// Set before the saver window is created, so that its WM_CREATE can read them.
extern HINSTANCE hMainInstance;
extern HWND hMainWindow;
extern BOOL fChildPreview;

// Supplied by the program.
LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI RegisterDialogClasses(HANDLE instance);

// What ScreenSaverProc leaves to the library. Full screen: hides the cursor,
// ignores the system's own screen-saver and close commands, closes on keys,
// buttons and a mouse move past a few pixels, destroys the window on
// WM_CLOSE and ends the loop on WM_DESTROY. In the preview: DefWindowProc.
LRESULT WINAPI DefScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// True when a mouse move of the full-screen window (its lParam) lies farther
// than the mouse may drift from where the cursor was as the saver started.
bool hasMouseMovedAway(LPARAM lParam);
