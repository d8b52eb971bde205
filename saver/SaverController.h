#pragma once

#include "util/Scoped.h"

#include <windows.h>

#include <memory>
#include <string>

namespace par {
class CustomWindow;
}

class MainAppConnection;
class SaverHackApp;
class SaverSkyvane;

// The one saver controller of the process, behind the callbacks of the
// screen-saver library: the preview picture, or the movie full screen (or in
// the configure dialog) while a running desktop program is suspended. Made
// by the library's first callback, after every static object of the program,
// and destroyed at exit ahead of them.
class SaverController {
public:
    // Starts the movie once the saver window or the dialog exists.
    static constexpr UINT WM_START_SAVER = WM_USER + 3000;
    static const wchar_t* const MODE_SCREEN_SAVER;
    static const wchar_t* const MODE_SCREEN_SAVER_CONFIG;

    static SaverController& instance();
    ~SaverController();
    SaverController(const SaverController&) = delete;
    SaverController& operator=(const SaverController&) = delete;

    LRESULT handleSaverMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handleDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    const std::wstring& getMode() const { return myMode; }
    // The desktop program's installation folder; empty when not installed.
    const std::wstring& getInstallFolder() const { return myInstallFolder; }
    // Posts WM_CLOSE to the saver window or the dialog.
    void close();
    // Applies the facade's fullscreen display mode, or restores the user's.
    void applyFullscreenDisplayMode();
    // Also takes the user's keys, clicks and moves that wait in the queue.
    bool hasInputArrived();
    // Resumes a suspended desktop program within the time; from any thread.
    void resumeMainApp(DWORD timeoutMs);

private:
    SaverController();

    void onCreate(HWND window);
    void startSaver();
    void startMovie();
    void paintPreview(HDC dc);
    void createApplication();
    // The application owns the window from now on.
    void setContentWindow(par::CustomWindow* window);
    void loadSettings();
    void saveSettings();

    std::wstring myMode;
    std::wstring myInstallFolder;
    std::wstring myAppPath;
    HWND myWindow = nullptr;
    std::unique_ptr<MainAppConnection> myConnection;
    std::unique_ptr<SaverHackApp> myApplication;
    std::unique_ptr<SaverSkyvane> mySkyvane;
    par::ScopedBitmap myPreviewBitmap;
    par::ScopedIcon myIcon;
    // Owned by the application as its main window.
    par::CustomWindow* myContentWindow = nullptr;
    bool myInputSeen = false;
};
