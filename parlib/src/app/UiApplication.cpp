#include "app/UiApplication.h"

#include "thread/Runnable.h"
#include "util/Log.h"
#include "winui/ApplicationWindow.h"

namespace par {

UiApplication::UiApplication(HINSTANCE instance, HINSTANCE previousInstance,
                             const wchar_t* commandLine, int showCommand)
    : Application(instance, previousInstance, commandLine, showCommand)
{
}

UiApplication::~UiApplication()
{
    // A main window that init made but the loop never ran with.
    setMainWindow(nullptr);
}

bool UiApplication::init()
{
    Window* mainWindow = createMainWindow();
    if (!mainWindow)
        return false;
    setMainWindow(mainWindow);
    if (auto* applicationWindow = dynamic_cast<ApplicationWindow*>(mainWindow))
        applicationWindow->onCreated();
    mainWindow->addWindowEventDispatcher(this, false);
    myDispatchesMainWindow = true;
    return onInit();
}

void UiApplication::exit()
{
    onExit();
    setMainWindow(nullptr);
}

bool UiApplication::onInit()
{
    auto* applicationWindow = dynamic_cast<ApplicationWindow*>(myMainWindow);
    if (myPersistPlacement && myRestorePlacement && applicationWindow) {
        applicationWindow->setPlacementRestored(true);
        applicationWindow->restorePlacement(true);
    } else if (myMainWindow) {
        myMainWindow->doLayout();
        ShowWindow(myMainWindow->getHandle(), getShowCommand());
        UpdateWindow(myMainWindow->getHandle());
        if (applicationWindow)
            applicationWindow->setPlacementRestored(true);
    }
    return true;
}

void UiApplication::onExit()
{
}

bool UiApplication::preTranslateMessage(MSG* msg)
{
    if (!myMainWindow)
        return false;
    HWND mainHandle = myMainWindow->getHandle();
    bool handled = myDialogMode && IsDialogMessageA(mainHandle, msg);
    if (myAccelerators && TranslateAcceleratorA(mainHandle, myAccelerators, msg))
        return true;
    return handled;
}

void UiApplication::quit()
{
    auto* applicationWindow = dynamic_cast<ApplicationWindow*>(myMainWindow);
    if (myPersistPlacement && applicationWindow && applicationWindow->isPlacementRestored())
        applicationWindow->savePlacement();
    PostQuitMessage(0);
}

LRESULT UiApplication::handleMainWindowEvent(UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL && myDialogMode)
        quit();
    else if (message == WM_DESTROY && !isQuitting())
        requestExit();
    return 0;
}

void UiApplication::requestExit()
{
    quit();
}

LRESULT UiApplication::dispatch(Window*, UINT message, WPARAM wParam, LPARAM lParam)
{
    return handleMainWindowEvent(message, wParam, lParam);
}

UiApplication* UiApplication::instance()
{
    return dynamic_cast<UiApplication*>(Application::instance());
}

bool UiApplication::asyncExec(Runnable* runnable)
{
    UiApplication* application = instance();
    HWND mainHandle = application ? application->myMainWindowHandle.load() : nullptr;
    if (!mainHandle) {
        par::logSevere(application
                      ? "UiApplication::asyncExec. UI Event post failure! Application window not found."
                      : "UiApplication::asyncExec. UI Event post failure! Application instance not found.");
        delete runnable;
        return false;
    }
    return Window::postRunnable(mainHandle, runnable);
}

void UiApplication::loadAccelerators(int resourceId)
{
    myAccelerators = LoadAcceleratorsA(getInstanceHandle(), MAKEINTRESOURCEA(resourceId));
}

void UiApplication::setMainWindow(Window* window)
{
    if (window == myMainWindow)
        return;
    Window* previous = myMainWindow;
    myMainWindowHandle = window ? window->getHandle() : nullptr;
    myMainWindow = window;
    // The old window's destruction must not reach this application as the
    // end of the program.
    if (previous && myDispatchesMainWindow)
        previous->removeWindowEventDispatcher(this);
    myDispatchesMainWindow = false;
    delete previous;
}

} // namespace par
