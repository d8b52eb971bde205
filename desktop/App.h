#pragma once

#include "app/UiApplication.h"
#include "util/Scoped.h"

#include <ctime>
#include <memory>
#include <ostream>
#include <string>

class AppController;
class AppPipeServerHandler;
class AppSkyvane;
class AppWindow;
class FlashHost;

namespace par {
class PipeServer;
}

// The desktop program's application object: decides the mode from the
// command line, keeps one instance per user and mode, builds the primary
// instance's objects, drives the first show and tears everything down in a
// fixed order.
class App : public par::UiApplication {
public:
    static const std::string START_STATE_NORMAL;
    static const std::string START_STATE_MINIMIZE_TO_TRAY;
    static const std::wstring MODE_APP;
    static const std::wstring MODE_SCREEN_SAVER;
    static const std::wstring MODE_SCREEN_SAVER_CONFIG;
    static const std::wstring MODE_COMMAND_LINE_NOTE;

    App(HINSTANCE instance, HINSTANCE previousInstance, const wchar_t* commandLine, int showCommand);
    ~App() override;
    bool onInit() override;
    void onExit() override;
    bool preTranslateMessage(MSG* msg) override;
    par::Window* createMainWindow() override;
    LRESULT handleMainWindowEvent(UINT message, WPARAM wParam, LPARAM lParam) override;
    void requestExit() override;

    static App* getInstance();
    const std::wstring& getMode() const { return myMode; }
    bool isDebug() const { return myDebug; }
    bool isFullscreen() const { return myFullscreen; }
    void setFullscreen(bool fullscreen) { myFullscreen = fullscreen; }
    bool isOpen() const { return myOpen; }
    void setOpen(bool open) { myOpen = open; }
    bool isPrimary() const { return myPrimary; }
    AppWindow* getMainWindow() const;
    AppController* getAppController() const { return myAppController.get(); }
    AppSkyvane* getSkyvane() const { return mySkyvane.get(); }
    // Null before the facade made it and once the facade is gone.
    FlashHost* getFlashHost() const;
    // Both entry points, or null when either is missing.
    bool hasShutdownBlockApi() const { return myShutdownBlockReasonCreate && myShutdownBlockReasonDestroy; }
    BOOL shutdownBlockReasonCreate(HWND window, const wchar_t* reason) const;
    BOOL shutdownBlockReasonDestroy(HWND window) const;

    // The note for the command-line dialog; empty for a valid line.
    std::string parseCommandLine(const std::wstring& commandLine);
    // Hands this start over to the running instance.
    void activateRunningInstance();
    void showFirstTime();

    // WinInet's connected-state query, which decides whether WinInet is
    // taken out of offline mode at start; a test puts its own in place.
    using ConnectedStateQuery = BOOL(WINAPI*)(LPDWORD, LPSTR, DWORD, DWORD);
    static void setConnectedStateQuery(ConnectedStateQuery query);

private:
    using ShutdownBlockReasonCreateFunction = BOOL(WINAPI*)(HWND, LPCWSTR);
    using ShutdownBlockReasonDestroyFunction = BOOL(WINAPI*)(HWND);

    void logStartup(const std::string& text);
    void loadShutdownBlockApi();
    void readDebugSettings();
    void constructPrimary();
    void openLogs();
    void fixOfflineMode();
    void initInstance();
    void shutdown();
    void loadFullscreenSettings();
    void saveFullscreenSettings();
    bool isScreenSaverMode() const { return myMode == MODE_SCREEN_SAVER || myMode == MODE_SCREEN_SAVER_CONFIG; }

    bool myDebug = false;
    bool myStandalone = false;
    bool myNewInstance = false;
    bool myLogToConsole = false;
    bool myLogToFile = false;
    bool myInfiniteLoopHunt = false;
    bool myOpenConsoleOnSevere = false;
    std::unique_ptr<AppSkyvane> mySkyvane;
    std::wstring myMode;
    std::string myStartState;
    bool myOpen = true;
    bool myFullscreen = false;
    std::unique_ptr<AppController> myAppController;
    std::unique_ptr<par::PipeServer> myPipeServer;
    std::unique_ptr<AppPipeServerHandler> myPipeServerHandler;
    par::ScopedHandle myMutex;
    bool myPrimary = false;
    std::string myCommandLineNote;
    std::ostream* myLogStream = nullptr;
    clock_t myStartTime = 0;
    ShutdownBlockReasonCreateFunction myShutdownBlockReasonCreate = nullptr;
    ShutdownBlockReasonDestroyFunction myShutdownBlockReasonDestroy = nullptr;
};
