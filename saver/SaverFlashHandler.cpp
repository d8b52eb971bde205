#include "saver/SaverFlashHandler.h"

#include "saver/MainAppConnection.h"
#include "saver/SaverController.h"

#include "swfwindow/ComDiagnostics.h"
#include "swfwindow/SwfWindow.h"

#include "util/ExceptionUtil.h"
#include "util/Log.h"

std::wstring SaverFlashHandler::getRole()
{
    return SaverController::instance().getMode();
}

bool SaverFlashHandler::isDebug()
{
    return false;
}

bool SaverFlashHandler::isFullscreenMode()
{
    return true;
}

void SaverFlashHandler::setFullscreenMode(bool)
{
}

void SaverFlashHandler::setFullscreenDisplayMode()
{
    SaverController::instance().applyFullscreenDisplayMode();
}

void SaverFlashHandler::onSwfWindowCreated(SwfWindow* swf)
{
    if (!swf || !swf->getFlash()) {
        SaverController::instance().close();
        return;
    }
    try {
        swf->setVariable("active", "true");
    } catch (const _com_error& error) {
        par::logSevere("SaverFlashHandler::onSwfWindowCreated(), the movie is not told it is active\n"
                       + swfWindow::comErrorText(error));
    }
}

void SaverFlashHandler::onFlashNotResponding()
{
    // A desktop program that we suspended must not stay so after us, yet
    // nothing the resume does may keep the saver from ending.
    par::callGuarded("SaverFlashHandler::onFlashNotResponding()", [] {
        SaverController::instance().resumeMainApp(MainAppConnection::RESUME_TIMEOUT_MS);
    });
    ExitProcess(1);
}

void SaverFlashHandler::onMovieReady()
{
}

void SaverFlashHandler::doShutdownDone()
{
    par::logInfo("SaverFlashHandler::doShutdownDone()");
    SaverController::instance().close();
}
