#include "desktop/AppController.h"

#include "desktop/App.h"
#include "desktop/AppSkyvane.h"
#include "desktop/AppWindow.h"
#include "resources/desktop/resource.h"

#include "product/FlashHost.h"

#include "swfwindow/ComDiagnostics.h"
#include "swfwindow/SwfWindow.h"

#include "util/Log.h"
#include "winui/DisplayModeManage.h"
#include "winui/FullscreenWindow.h"

namespace {

AppController::MonitorInfoQuery theMonitorInfoQuery = GetMonitorInfoA;

// Brings the window to the top without moving or activating it, then to the
// foreground.
void toTopAndForeground(par::Window* window)
{
    SetWindowPos(window->getHandle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetForegroundWindow(window->getHandle());
}

} // namespace

AppController::OptimizeWorkingSetTimer::OptimizeWorkingSetTimer(AppController* controller)
    : par::Timer(TRIM_DELAY_MS), myController(controller)
{
}

void AppController::OptimizeWorkingSetTimer::onTick()
{
    myController->trimWorkingSet();
}

AppController::AppController() : myTrimTimer(new OptimizeWorkingSetTimer(this))
{
    GetProcessWorkingSetSize(GetCurrentProcess(), &myWorkingSetMinimum, &myWorkingSetMaximum);
}

AppController::~AppController()
{
    myTrimTimer.reset();
}

void AppController::setMonitorInfoQuery(MonitorInfoQuery query)
{
    theMonitorInfoQuery = query;
}

void AppController::init()
{
    AppWindow* window = App::getInstance()->getMainWindow();
    window->addWindowEventDispatcher(this, false);
    window->getFullscreenWindow()->addWindowEventDispatcher(this, false);
}

void AppController::shutdown()
{
    AppWindow* window = App::getInstance()->getMainWindow();
    window->getFullscreenWindow()->removeWindowEventDispatcher(this);
    window->removeWindowEventDispatcher(this);
    myTrimTimer->stop();
    par::DisplayModeManage::getInstance()->restore();
}

void AppController::setMovieVariable(const char* name, const char* value)
{
    AppSkyvane* skyvane = App::getInstance()->getSkyvane();
    SwfWindow* swf = skyvane ? skyvane->getSwfWindow() : nullptr;
    if (!swf)
        return;
    try {
        swf->setVariable(name, value);
    } catch (const _com_error& error) {
        par::logSevere(std::string("AppController::setMovieVariable(), name=") + name + "\n"
                       + swfWindow::comErrorText(error));
    }
}

void AppController::setOpen(bool open)
{
    requestSwitch({false, open, false});
}

void AppController::setFullscreen(bool on, bool activate)
{
    requestSwitch({true, on, activate});
}

void AppController::requestSwitch(const Switch& request)
{
    // The state that the last switch of the same kind leads to.
    for (auto it = mySwitches.rbegin(); it != mySwitches.rend(); ++it) {
        if (it->fullscreen != request.fullscreen)
            continue;
        if (it->on == request.on)
            return;
        break;
    }
    const bool switching = !mySwitches.empty();
    mySwitches.push_back(request);
    if (switching)
        return;
    try {
        while (!mySwitches.empty()) {
            const Switch next = mySwitches.front();
            if (next.fullscreen)
                switchFullscreen(next.on, next.activate);
            else
                switchOpen(next.on);
            mySwitches.pop_front();
        }
    } catch (...) {
        mySwitches.clear();
        throw;
    }
}

void AppController::switchOpen(bool open)
{
    App* app = App::getInstance();
    AppWindow* window = app ? app->getMainWindow() : nullptr;
    // An "activate" may arrive after the main window has gone.
    if (!window)
        return;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(window->getHandle(), &placement);
    if (open) {
        setMovieVariable("trayState", "open");
        if (placement.showCmd == SW_SHOWMINIMIZED) {
            placement.showCmd = (placement.flags & WPF_RESTORETOMAXIMIZED) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
            SetWindowPlacement(window->getHandle(), &placement);
        }
        restoreWorkingSet();
    } else {
        setMovieVariable("trayState", "close");
        placement.showCmd = SW_MINIMIZE;
        SetWindowPlacement(window->getHandle(), &placement);
        startWorkingSetTrim(TRIM_DELAY_MS);
    }
    window->setVisible(open, false);
    app->setOpen(open);
    if (open)
        toTopAndForeground(window);
}

void AppController::switchFullscreen(bool on, bool activate)
{
    App* app = App::getInstance();
    AppWindow* window = app->getMainWindow();
    par::FullscreenWindow* fullscreenWindow = window->getFullscreenWindow();
    if ((IsWindowVisible(fullscreenWindow->getHandle()) != FALSE) == on)
        return;
    app->setFullscreen(on);
    setMovieVariable("fullscreen", on ? "true" : "false");
    nestFlashHost(on);
    if (on) {
        window->setVisible(false, false);
        fullscreenWindow->setVisible(true, true);
        applyFullscreenDisplayMode();
        toTopAndForeground(fullscreenWindow);
        return;
    }
    par::DisplayModeManage::getInstance()->restore();
    fullscreenWindow->setVisible(false, false);
    window->setVisible(true, activate);
    if (activate)
        toTopAndForeground(window);
}

void AppController::applyFullscreenDisplayMode()
{
    App* app = App::getInstance();
    AppWindow* window = app->getMainWindow();
    par::FullscreenWindow* fullscreenWindow = window->getFullscreenWindow();
    if (!IsWindowVisible(fullscreenWindow->getHandle()))
        return;
    par::DisplayModeManage::getInstance()->apply(app->getSkyvane()->getFullscreenDisplayMode());
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    HMONITOR monitor = MonitorFromWindow(window->getHandle(), MONITOR_DEFAULTTONULL);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (monitor && theMonitorInfoQuery(monitor, &info))
        area = info.rcMonitor;
    fullscreenWindow->setBounds(area.left, area.top, area.right - area.left, area.bottom - area.top);
}

void AppController::nestFlashHost(bool fullscreen)
{
    App* app = App::getInstance();
    FlashHost* flashHost = app->getFlashHost();
    if (!flashHost) {
        par::logSevere("AppController.nestFlashHost(). flashHost is null.");
        return;
    }
    AppWindow* window = app->getMainWindow();
    if (fullscreen)
        window->nestFlashHost(flashHost, window->getFullscreenWindow()->getContent());
    else
        window->nestFlashHost(flashHost);
}

void AppController::startWorkingSetTrim(unsigned intervalMs)
{
    myTrimTimer->stop();
    myTrimTimer->setInterval(intervalMs);
    myTrimTimer->start();
}

void AppController::trimWorkingSet()
{
    myTrimTimer->stop();
    SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
    par::logInfo("AppController::trimWorkingSet(), the working set is given back");
}

void AppController::restoreWorkingSet()
{
    myTrimTimer->stop();
    SetProcessWorkingSetSize(GetCurrentProcess(), myWorkingSetMinimum, myWorkingSetMaximum);
}

bool AppController::isFullscreenOnSecondaryMonitor() const
{
    AppWindow* window = App::getInstance()->getMainWindow();
    HMONITOR monitor = MonitorFromWindow(window->getFullscreenWindow()->getHandle(), MONITOR_DEFAULTTONULL);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    return monitor && theMonitorInfoQuery(monitor, &info) && !(info.dwFlags & MONITORINFOF_PRIMARY);
}

LRESULT AppController::onWindowEvent(par::Window* window, UINT message, WPARAM wParam, LPARAM)
{
    App* app = App::getInstance();
    if (window != app->getMainWindow())
        return 0;
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == ID_TEST)
            par::logInfo("test");
        break;
    case WM_ACTIVATEAPP: {
        const bool active = wParam == 1;
        const bool onSecondary = isFullscreenOnSecondaryMonitor();
        if (active)
            setMovieVariable("active", "true");
        else if (!onSecondary)
            setMovieVariable("active", "false");
        if (app->getMode() == App::MODE_SCREEN_SAVER) {
            if (!active && !app->isDebug())
                app->requestExit();
        } else if (!active && app->isFullscreen() && !onSecondary && mySwitches.empty()) {
            // Not while switching: hiding the active window deactivates the
            // program for a moment.
            setFullscreen(false, false);
        }
        break;
    }
    case WM_USER + 1001:
        setOpen(false);
        break;
    default:
        break;
    }
    return 0;
}

bool AppController::onControlEvent(par::Window*, int, int)
{
    return false;
}

LRESULT AppController::dispatch(par::Window* window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return onWindowEvent(window, message, wParam, lParam);
}
