#pragma once

#include "thread/Timer.h"
#include "winui/Window.h"

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

class TrayPart;
class TrayTooltipPart;

// The notification-area icon of the desktop program: adds, updates and
// removes it, puts it back when the taskbar is recreated, keeps the tip text
// and reacts to the mouse on it (hover tooltip, left click, menu). UI thread
// only.
class TrayUi : public par::Window::WindowEventDispatcher, public par::Timer::Listener {
public:
    static constexpr UINT ICON_ID = 134;
    static constexpr UINT CALLBACK_MESSAGE = 3152;
    static constexpr unsigned HOVER_MS = 200;
    static constexpr unsigned POLL_MS = 100;
    // Weather at least this old is not shown.
    static constexpr int MAX_WEATHER_AGE_SEC = 43200;

    // Adds the icon for the main window at once.
    TrayUi(TrayPart* owner, par::Window* mainWindow);
    ~TrayUi() override;
    TrayUi(const TrayUi&) = delete;
    TrayUi& operator=(const TrayUi&) = delete;

    void addIcon();
    void updateIcon();
    void updateTip();
    void loadPopupMenu();
    void showTooltip(bool show);
    void showPopupMenu(int x, int y);

    LRESULT dispatch(par::Window* window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void onTimer(par::Timer* timer) override;

    bool shouldShowTemperature();
    COLORREF getTextColor();
    COLORREF getBackgroundColor();
    bool isBackgroundTransparent();
    // A new icon that the caller destroys, or null.
    HICON createTemperatureIcon();

    const std::string& getTipText() const { return myTipText; }
    bool isPlainTip() const { return myPlainTip; }
    HMENU getPopupMenu() const { return myPopupMenu; }
    TrayTooltipPart* getTooltip() const { return myTooltip.get(); }
    par::Timer* getHoverTimer() const { return myHoverTimer.get(); }
    par::Timer* getPollTimer() const { return myPollTimer.get(); }

    // "#rrggbb" only; false leaves the colour as it was.
    static bool parseColor(const std::wstring& text, COLORREF& color);

private:
    void setIcon(DWORD message);
    void updateTipText();
    void fillRecord(NOTIFYICONDATAA& record, UINT flags);
    void onMouse(UINT mouseMessage);

    TrayPart* myOwner;
    par::Window* myMainWindow;
    std::unique_ptr<TrayTooltipPart> myTooltip;
    std::string myTipText;
    bool myPlainTip = true;
    bool myInMenuLoop = false;
    // The popup is the first submenu of the loaded menu, which is kept so
    // that it can be destroyed.
    HMENU myMenu = nullptr;
    HMENU myPopupMenu = nullptr;
    UINT myTaskbarCreated;
    POINT myCursor = {0, 0};
    std::unique_ptr<par::Timer> myHoverTimer;
    std::unique_ptr<par::Timer> myPollTimer;
    HICON myDefaultIcon = nullptr;
};
