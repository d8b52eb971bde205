#pragma once

#include "app/UiApplication.h"

#include <string>

// The application object of the saver, built over the window that the
// screen-saver library made: it has no message loop of its own, and its
// main window is the saver's content window, set once that exists. Every
// path of the system resolves against the desktop program's folder.
class SaverHackApp : public par::UiApplication {
public:
    SaverHackApp(HINSTANCE instance, const std::wstring& installFolder);

    par::Window* createMainWindow() override;
    // The application owns the window from now on.
    void setContentWindow(par::Window* window);
};
