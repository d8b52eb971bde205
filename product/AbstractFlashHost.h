#pragma once

#include "htmlwindow/EventReceiver.h"

#include "thread/Timer.h"
#include "util/SystemUtil.h"
#include "winui/Container.h"

#include <memory>
#include <string>

class HtmlWindow;
class SwfWindow;

namespace par {
class FlowLayout;
}

// The container in which the movie runs. With a sufficient Flash Player
// installed its subclass makes the movie window, which fills the host;
// without one the host shows the Flash-missing page and, once the user went
// for the player, looks every second whether it has arrived.
class AbstractFlashHost : public par::Container, public EventReceiver, public par::Timer::Listener {
public:
    // Where "getFlash" sends the user.
    static const wchar_t* const FLASH_DOWNLOAD_ADDRESS;
    static constexpr unsigned PLAYER_WATCH_INTERVAL_MS = 1000;

    // Made in the holder when one is given (see par::Container).
    explicit AbstractFlashHost(par::Window* holder = nullptr);
    ~AbstractFlashHost() override;

    void setRequiredFlashVersion(const par::FileVersion& version) { myRequiredVersion = version; }
    void setPicturePath(const std::wstring& path) { myPicturePath = path; }
    // Makes the movie window, or shows the Flash-missing page.
    void handleRequiredFlashDetected();
    void installSwfWindow(SwfWindow* swf);
    SwfWindow* getSwfWindow() const { return mySwfWindow; }

    void setFocus() override;
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void onEvent(const std::wstring& name, std::wstring& response,
                 const htmlWindow::RequestParameters& parameters) override;
    void onTimer(par::Timer* timer) override;

protected:
    virtual void createSwfWindow() = 0;
    virtual void showFlashMissingPage(bool installed, const par::FileVersion& installedVersion,
                                      const par::FileVersion& requiredVersion);
    // Opens the address in the browser.
    virtual void openDownloadPage(const std::wstring& address);
    // Deletes the movie window ahead of the host's other children.
    void destroySwfWindow();
    // The movie window answers for the host before it is installed: a
    // control may run the movie's first frame while the movie loads.
    void setSwfWindow(SwfWindow* swf) { mySwfWindow = swf; }

private:
    bool isRequiredFlashInstalled(bool& installed, par::FileVersion& installedVersion) const;
    void removeFlashMissingPage();

    std::wstring myDocumentName;
    std::wstring myPicturePath = L"\\images\\get_flash_player.gif";
    HtmlWindow* myHtmlWindow = nullptr;
    SwfWindow* mySwfWindow = nullptr;
    par::FileVersion myRequiredVersion;
    std::unique_ptr<par::Timer> myPlayerWatchTimer;
    // Owned by the window.
    par::FlowLayout* myLayout;
};
