#include "winui/ApplicationWindow.h"

#include "app/UiApplication.h"
#include "util/RegistryUtil.h"
#include "util/Scoped.h"

namespace par {

namespace {

const wchar_t* const WINDOW_RECT = L"windowRect";
const wchar_t* const SHOW_CMD = L"showCmd";

} // namespace

ApplicationWindow::ApplicationWindow(DWORD style, DWORD exStyle, const std::string& className)
    : CustomWindow(style, exStyle, className)
{
}

ApplicationWindow::~ApplicationWindow() = default;

void ApplicationWindow::setVisible(bool show, bool activate)
{
    if (show && !myPlacementRestored) {
        myPlacementRestored = true;
        restorePlacement(activate);
    }
    Window::setVisible(show, activate);
}

LRESULT ApplicationWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CustomWindow::handleMessage(message, wParam, lParam);
    if (message == WM_NCPAINT || message == WM_NCACTIVATE)
        return 1;
    return result;
}

void ApplicationWindow::onCreated()
{
}

void ApplicationWindow::restorePlacement(bool activate)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(getHandle(), &placement);

    UiApplication* application = UiApplication::instance();
    bool haveShowCommand = false;
    DWORD showCommand = 0;
    ScopedRegKey key;
    if (application
        && openRegKeyForRead(key.receive(), application->getRegistryRoot(),
                             application->getRegistryKeyPath()) == ERROR_SUCCESS) {
        readRegRect(key.get(), WINDOW_RECT, &placement.rcNormalPosition);
        haveShowCommand = readRegDword(key.get(), SHOW_CMD, &showCommand) == ERROR_SUCCESS;
    }
    if (!haveShowCommand)
        showCommand = application ? application->getShowCommand() : SW_SHOWNORMAL;
    if (!activate)
        showCommand = SW_SHOWNOACTIVATE;
    else if (showCommand == SW_SHOWMINIMIZED)
        showCommand = SW_SHOW;
    placement.showCmd = showCommand;
    SetWindowPlacement(getHandle(), &placement);
}

void ApplicationWindow::savePlacement()
{
    UiApplication* application = UiApplication::instance();
    ScopedRegKey key;
    if (!application
        || openRegKeyForWrite(key.receive(), application->getRegistryRoot(),
                              application->getRegistryKeyPath()) != ERROR_SUCCESS)
        return;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(getHandle(), &placement);
    writeRegRect(key.get(), WINDOW_RECT, &placement.rcNormalPosition);
    writeRegDword(key.get(), SHOW_CMD, placement.showCmd);
}

} // namespace par
