#include "product/FlashHost.h"

#include "product/FlashHandler.h"
#include "product/QuorSwfWindowListener.h"
#include "product/Skyvane.h"

#include "swfwindow/ComDiagnostics.h"
#include "swfwindow/InfiniteLoopMonitor.h"
#include "swfwindow/SwfWindow.h"

#include "util/Log.h"
#include "util/StringUtil.h"
#include "util/SystemUtil.h"

const wchar_t* const FlashHost::MOVIE_FILE_NAME = L"skyvanedesktop.swf";

FlashHost::FlashHost(par::Window* holder) : AbstractFlashHost(holder) {}

FlashHost::~FlashHost()
{
    destroySwfWindow();
}

void FlashHost::createSwfWindow()
{
    SwfWindow* swf = new SwfWindow(this);
    setSwfWindow(swf);
    if (swf->getFlash())
        swf->getFlash()->put_BGColor(_bstr_t(L"#000000"));
    else
        par::logSevere("FlashHost::createSwfWindow(), no Flash control, the background is not set");
    swf->addListener(new QuorSwfWindowListener(), true);
    swf->getInfiniteLoopMonitor()->setListener(this);
    loadSwf(swf);
    installSwfWindow(swf);
    if (Skyvane* skyvane = Skyvane::instance())
        skyvane->getFlashHandler()->notifySwfWindowCreated(swf);
}

bool FlashHost::loadSwf(SwfWindow* swf)
{
    if (!swf) {
        par::logSevere("FlashHost.loadSwf(), mySwfWindow hasn't been created.");
        return false;
    }
    Skyvane* skyvane = Skyvane::instance();
    const std::wstring folder = skyvane ? skyvane->getInstallFolder() : std::wstring();
    const std::wstring path = folder + L"\\" + MOVIE_FILE_NAME;
    if (!par::fileExists(path)) {
        par::logInfo("FlashHost: SWF file not found:\"" + par::toNarrow(path) + "\"");
        return false;
    }
    if (!swf->getFlash()) {
        par::logSevere("FlashHost.loadSwf(), no Flash control, the movie is not loaded: "
                       + par::toNarrow(path));
        return false;
    }
    const HRESULT loaded = swf->getFlash()->put_Movie(_bstr_t(path.c_str()));
    if (FAILED(loaded)) {
        par::logSevere("failure to load desktop swf, hr=" + par::toString(static_cast<int>(loaded))
                       + ", path: " + par::toNarrow(path));
        return false;
    }
    return true;
}

bool FlashHost::shutdown()
{
    SwfWindow* swf = getSwfWindow();
    if (!swf) {
        par::logSevere("FlashHost.shutdown. SwfWindow is not created yet.");
        return false;
    }
    if (myShutdownRequested)
        return true;
    // Set first: an exit request that comes while the movie answers inside
    // the write must not ask again.
    myShutdownRequested = true;
    bool told = false;
    try {
        told = swf->setVariable("shutdown", "") == 0;
    } catch (const _com_error& error) {
        par::logSevere("FlashHost::shutdown(), the movie is not told\n" + swfWindow::comErrorText(error));
    } catch (...) {
        myShutdownRequested = false;
        throw;
    }
    myShutdownRequested = told;
    return told;
}

void FlashHost::onEvent(const std::wstring& name, std::wstring& response,
                        const htmlWindow::RequestParameters& parameters)
{
    if (name != L"exit") {
        AbstractFlashHost::onEvent(name, response, parameters);
        return;
    }
    if (Skyvane* skyvane = Skyvane::instance())
        skyvane->exit();
}

void FlashHost::onInfiniteLoop()
{
    // The facade may be going while the report is on its way.
    if (Skyvane* skyvane = Skyvane::instance())
        skyvane->getFlashHandler()->notifyFlashNotResponding();
}
