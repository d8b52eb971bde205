#pragma once

#include "thread/Timer.h"
#include "winui/Window.h"

#include <deque>
#include <memory>

// Switches the program between its presentations (main window, fullscreen
// window, hidden in the tray), tells the movie of each change, applies and
// restores the fullscreen display mode, and gives the working set back while
// the program sits in the tray.
class AppController : public par::Window::ControlEventHandler, public par::Window::WindowEventDispatcher {
public:
    static constexpr unsigned TRIM_DELAY_MS = 1000;

    // Fires once per start and trims the working set.
    class OptimizeWorkingSetTimer : public par::Timer {
    public:
        explicit OptimizeWorkingSetTimer(AppController* controller);
        void onTick() override;

    private:
        AppController* myController;
    };

    AppController();
    ~AppController() override;

    void init();
    void shutdown();
    void setOpen(bool open);
    void setFullscreen(bool on, bool activate);
    void applyFullscreenDisplayMode();
    void nestFlashHost(bool fullscreen);
    void startWorkingSetTrim(unsigned intervalMs);
    void trimWorkingSet();
    void restoreWorkingSet();
    LRESULT onWindowEvent(par::Window* window, UINT message, WPARAM wParam, LPARAM lParam);

    bool onControlEvent(par::Window* source, int controlId, int notificationCode) override;
    LRESULT dispatch(par::Window* window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The monitor query behind "fullscreen on a secondary monitor"; a test
    // puts its own in place to take that road on a one-monitor display.
    using MonitorInfoQuery = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
    static void setMonitorInfoQuery(MonitorInfoQuery query);

private:
    // A change of presentation: open or close, fullscreen on or off.
    struct Switch {
        bool fullscreen;
        bool on;
        bool activate;
    };

    // One switch at a time: the movie may answer a write, and a control may
    // run code while it is moved, by asking for another switch. Such a call
    // takes effect after the switch, and is dropped when it asks for the
    // state the switches before it lead to.
    void requestSwitch(const Switch& request);
    void switchOpen(bool open);
    void switchFullscreen(bool on, bool activate);
    void setMovieVariable(const char* name, const char* value);
    bool isFullscreenOnSecondaryMonitor() const;

    SIZE_T myWorkingSetMinimum = 0;
    SIZE_T myWorkingSetMaximum = 0;
    std::unique_ptr<OptimizeWorkingSetTimer> myTrimTimer;
    // The switch being made, then those asked for meanwhile; empty while
    // no switch is made.
    std::deque<Switch> mySwitches;
};
