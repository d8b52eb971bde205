#pragma once

#include "app/Application.h"
#include "winui/Window.h"

#include <atomic>
#include <string>

namespace par {

// An application with a main window, which it owns and whose destruction
// ends the program, an accelerator table, a dialog mode for a dialog as main
// window, and a registry key under which the main window keeps its placement.
class UiApplication : public Application, public Window::WindowEventDispatcher {
public:
    UiApplication(HINSTANCE instance, HINSTANCE previousInstance, const wchar_t* commandLine,
                  int showCommand);
    ~UiApplication() override;
    bool init() override;
    void exit() override;
    bool onInit() override;
    void onExit() override;
    bool preTranslateMessage(MSG* msg) override;
    virtual Window* createMainWindow() = 0;
    virtual void quit();
    virtual LRESULT handleMainWindowEvent(UINT message, WPARAM wParam, LPARAM lParam);
    // Ends the program; a program overrides it to run its own shutdown first.
    virtual void requestExit();

    LRESULT dispatch(Window* window, UINT message, WPARAM wParam, LPARAM lParam) override;

    static UiApplication* instance();
    // Hands the runnable to the main window's thread; any thread may call it.
    // Unlike a runnable in the thread's queue, it also runs inside modal loops.
    static bool asyncExec(Runnable* runnable);

    Window* getMainWindow() const { return myMainWindow; }
    void loadAccelerators(int resourceId);
    void setDialogApplication(bool dialogMode) { myDialogMode = dialogMode; }
    HKEY getRegistryRoot() const { return myRegistryRoot; }
    const std::wstring& getRegistryKeyPath() const { return myRegistryKeyPath; }
    void setRegistryKeyPath(const std::wstring& path) { myRegistryKeyPath = path; }

protected:
    // For a program whose main window is made outside createMainWindow; the
    // application owns it from now on.
    void setMainWindow(Window* window);

    bool myPersistPlacement = true;
    bool myRestorePlacement = true;

private:
    Window* myMainWindow = nullptr;
    // Read by other threads, which must not touch the window object.
    std::atomic<HWND> myMainWindowHandle{nullptr};
    HKEY myRegistryRoot = HKEY_CURRENT_USER;
    std::wstring myRegistryKeyPath = L"par\\UiApplication";
    // Whether this application is a dispatcher of its main window.
    bool myDispatchesMainWindow = false;
    HACCEL myAccelerators = nullptr;
    bool myDialogMode = false;
};

} // namespace par
