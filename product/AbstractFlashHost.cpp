#include "product/AbstractFlashHost.h"

#include "product/FlashPlayerRegistration.h"

#include "htmlwindow/HtmlWindow.h"
#include "swfwindow/SwfWindow.h"

#include "app/Application.h"
#include "util/Log.h"
#include "util/StringUtil.h"
#include "winui/FlowLayout.h"

#include <shellapi.h>

const wchar_t* const AbstractFlashHost::FLASH_DOWNLOAD_ADDRESS = L"https://get.adobe.com/flashplayer/";

namespace {

// The page or the movie takes the whole host.
const par::FlowLayout::Constraints FILL = {par::FlowLayout::WEIGHTED, 0.5};

std::wstring flashMissingPage(const std::wstring& documentName, const std::wstring& picturePath,
                              bool installed, const par::FileVersion& installedVersion,
                              const par::FileVersion& requiredVersion)
{
    const std::wstring message = installed
        ? L"Your version of Flash Player (" + installedVersion.toString()
            + L") is old, you have to upgrade Flash Player to run the program."
        : L"Flash Player was not detected on your system.";
    return L"<html><head><base href=\"" + documentName
        + L"\"/></head><body><font face=\"Tahoma, Helvetica, Arial, sans-serif\">The program uses Flash "
          L"Player plugin for Internet Explorer.<br/>Version "
        + requiredVersion.toString()
        + L" or later of the Flash Player must be installed.<br/><br/>" + message
        + L"<br/><br/>Download and install the latest version of Flash Player, please.<br/>It will only "
          L"take a moment.<br/><a href=\"app://getFlash\">Click here <img src=\" "
        + picturePath
        + L"\"></a> to go to the installation web page and follow the instructions given in your "
          L"browser.<br/><br/><a href=\"app://exit\">Exit</a></font></body></html>";
}

} // namespace

AbstractFlashHost::AbstractFlashHost(par::Window* holder)
    : par::Container(holder, par::Container::NO_BACKGROUND, 0, WS_EX_CONTROLPARENT),
      myDocumentName(par::Application::getApplicationDirPath() + L"\\fakeDocumentName"),
      myPlayerWatchTimer(new par::Timer(PLAYER_WATCH_INTERVAL_MS)),
      myLayout(new par::FlowLayout(par::FlowLayout::VERTICAL))
{
    setNoErase(true);
    setLayout(myLayout);
    myPlayerWatchTimer->addListener(this, false);
}

AbstractFlashHost::~AbstractFlashHost()
{
    myPlayerWatchTimer.reset();
}

void AbstractFlashHost::handleRequiredFlashDetected()
{
    bool installed = false;
    par::FileVersion installedVersion;
    if (isRequiredFlashInstalled(installed, installedVersion)) {
        createSwfWindow();
        if (!mySwfWindow)
            par::logSevere("SwfWindow was not provided in handleRequiredFlashDetected(), though expected.");
        return;
    }
    myHtmlWindow = new HtmlWindow(L"", false);
    showFlashMissingPage(installed, installedVersion, myRequiredVersion);
    myHtmlWindow->setEventReceiver(this);
    myLayout->setConstraints(myHtmlWindow, FILL);
    addChild(myHtmlWindow);
    doLayout();
}

bool AbstractFlashHost::isRequiredFlashInstalled(bool& installed, par::FileVersion& installedVersion) const
{
    installed = FlashPlayerRegistration::readInstalledVersion(installedVersion);
    return installed && installedVersion.compare(myRequiredVersion) >= 0;
}

void AbstractFlashHost::showFlashMissingPage(bool installed, const par::FileVersion& installedVersion,
                                             const par::FileVersion& requiredVersion)
{
    const std::wstring page =
        flashMissingPage(myDocumentName, myPicturePath, installed, installedVersion, requiredVersion);
    // Without an HTML engine the page window has no document to write to;
    // the host and the page's links stay usable all the same.
    int result = HtmlWindow::RESULT_NO_DOCUMENT;
    try {
        result = myHtmlWindow->setHtml(page);
    } catch (const char*) {
    }
    if (result != HtmlWindow::RESULT_OK)
        par::logSevere("AbstractFlashHost::showFlashMissingPage(), the page is not shown, result="
                       + par::toString(result));
}

void AbstractFlashHost::onEvent(const std::wstring& name, std::wstring&, const htmlWindow::RequestParameters&)
{
    if (name != L"getFlash")
        return;
    openDownloadPage(FLASH_DOWNLOAD_ADDRESS);
    myPlayerWatchTimer->stop();
    myPlayerWatchTimer->start();
}

void AbstractFlashHost::openDownloadPage(const std::wstring& address)
{
    ShellExecuteW(nullptr, L"open", L"iexplore.exe", address.c_str(), nullptr, SW_SHOW);
}

void AbstractFlashHost::onTimer(par::Timer*)
{
    bool installed = false;
    par::FileVersion installedVersion;
    if (!isRequiredFlashInstalled(installed, installedVersion))
        return;
    myPlayerWatchTimer->stop();
    createSwfWindow();
}

void AbstractFlashHost::installSwfWindow(SwfWindow* swf)
{
    mySwfWindow = swf;
    if (!swf) {
        par::logSevere("installSwfWindow(), null swfWindow provided");
        return;
    }
    removeFlashMissingPage();
    myLayout->setConstraints(swf, FILL);
    if (swf->getParent() != this)
        addChild(swf);
    doLayout();
}

void AbstractFlashHost::removeFlashMissingPage()
{
    if (!myHtmlWindow)
        return;
    removeChild(myHtmlWindow);
    delete myHtmlWindow;
    myHtmlWindow = nullptr;
}

void AbstractFlashHost::destroySwfWindow()
{
    delete mySwfWindow;
    mySwfWindow = nullptr;
}

void AbstractFlashHost::setFocus()
{
    if (myHtmlWindow)
        myHtmlWindow->setFocus();
    else if (mySwfWindow)
        mySwfWindow->setFocus();
    else
        par::Container::setFocus();
}

LRESULT AbstractFlashHost::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETFOCUS)
        setFocus();
    return par::Container::handleMessage(message, wParam, lParam);
}
