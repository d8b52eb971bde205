#pragma once

#include "swfwindow/CommandEventManager.h"

#include <memory>
#include <string>

namespace par {
class Window;
} // namespace par

class SwfWindow;
class TrayUi;

// The tray's connection to the movie: owns the tray icon, announces the tray
// to the movie, follows the movie's "options" and "tray" updates and asks the
// movie everything the tray shows. UI thread only.
class TrayPart : public swfWindow::CommandEventManager::Listener {
public:
    // Adds the program icon for the main window at once.
    explicit TrayPart(par::Window* mainWindow);
    // Removes the icon; the movie's subscriptions are left as they are.
    virtual ~TrayPart();
    TrayPart(const TrayPart&) = delete;
    TrayPart& operator=(const TrayPart&) = delete;

    // Once the movie is ready.
    void connectMovie();
    // Before the program quits.
    void disconnectMovie();
    bool isConnected() const { return myConnected; }
    TrayUi* getTrayUi() const { return myTrayUi.get(); }

    void handleCommandEvent(const std::string& uin, const std::string& serviceId, const std::string& eventId,
                            IXMLDOMDocument2Ptr document) override;
    void handleUserAction();

    // The movie's answers; "" without a movie window or when a call fails.
    std::wstring getTemperature();
    std::wstring getLocationName();
    std::wstring getWeatherAgeSec();
    std::wstring isWeatherOutdated();
    std::wstring buildTooltipHtml();
    std::wstring getOptionsValue(const std::wstring& path);
    std::wstring getLocaleString(const std::wstring& key);
    std::wstring formatLocaleString(const wchar_t* const args[], int count);
    // Replaces the value by the movie's value in the user's unit; false (and
    // the value unchanged) when that fails.
    bool convertCwfToUserValue(const std::wstring& aspectId, double& value);

private:
    std::wstring query(const wchar_t* name);

    std::unique_ptr<TrayUi> myTrayUi;
    bool myConnected = false;
    bool myTrayAnnounced = false;
};
