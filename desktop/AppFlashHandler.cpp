#include "desktop/AppFlashHandler.h"

#include "desktop/App.h"
#include "desktop/AppController.h"
#include "desktop/AppWindow.h"
#include "desktop/TrayPart.h"
#include "resources/desktop/resource.h"

#include "swfwindow/ComDiagnostics.h"
#include "swfwindow/SwfWindow.h"

#include "util/Log.h"

namespace {

TrayPart* trayPart()
{
    AppWindow* window = App::getInstance()->getMainWindow();
    return window ? window->getTrayPart() : nullptr;
}

} // namespace

std::wstring AppFlashHandler::getRole()
{
    return App::getInstance()->getMode();
}

bool AppFlashHandler::isDebug()
{
    return App::getInstance()->isDebug();
}

bool AppFlashHandler::isFullscreenMode()
{
    return App::getInstance()->isFullscreen();
}

void AppFlashHandler::setFullscreenMode(bool on)
{
    App::getInstance()->getAppController()->setFullscreen(on, true);
}

void AppFlashHandler::setFullscreenDisplayMode()
{
    App::getInstance()->getAppController()->applyFullscreenDisplayMode();
}

void AppFlashHandler::onSwfWindowCreated(SwfWindow* swf)
{
    try {
        swf->setVariable("active", "false");
    } catch (const _com_error& error) {
        par::logSevere("AppFlashHandler::onSwfWindowCreated(), \"active\" is not set\n"
                       + swfWindow::comErrorText(error));
    }
}

void AppFlashHandler::onFlashNotResponding()
{
}

void AppFlashHandler::onMovieReady()
{
    App::getInstance()->loadAccelerators(IDR_ACCELERATORS);
    if (TrayPart* tray = trayPart())
        tray->connectMovie();
}

void AppFlashHandler::doShutdownDone()
{
    if (TrayPart* tray = trayPart())
        tray->disconnectMovie();
    App::getInstance()->quit();
}
