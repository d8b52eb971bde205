#include "desktop/TrayUi.h"

#include "desktop/App.h"
#include "desktop/AppController.h"
#include "desktop/TemperatureIcon.h"
#include "desktop/TrayPart.h"
#include "desktop/TrayTooltipPart.h"
#include "resources/desktop/resource.h"

#include "app/Application.h"
#include "product/Skyvane.h"
#include "product/TrayColors.h"
#include "util/Log.h"
#include "util/StringUtil.h"
#include "util/SystemUtil.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

#ifndef _WIN64
// The full record of the shell of Vista and later, which the shell's own
// size field announces.
static_assert(sizeof(NOTIFYICONDATAA) == 508, "the full-size tray icon record");
#endif

const char PRODUCT_TIP[] = "Skyvane 2.0";
const int TIP_LIMIT = 127;
// Beyond this a movie's value is no temperature; the picture rounds to int.
constexpr double TEMPERATURE_LIMIT = 1000;

bool isTemperature(double t)
{
    return std::isfinite(t) && std::fabs(t) < TEMPERATURE_LIMIT;
}

// The movie's temperature; false when it has none.
bool parseTemperature(const std::wstring& text, double& t)
{
    return par::parseDouble(text, t) && isTemperature(t);
}

TrayColors defaultColors()
{
    Skyvane* skyvane = Skyvane::instance();
    return skyvane && skyvane->getTrayColors() ? *skyvane->getTrayColors() : TrayColors();
}

void setItem(HMENU menu, UINT id, const std::wstring& text, UINT extraState)
{
    MENUITEMINFOW item;
    std::memset(&item, 0, sizeof item);
    item.cbSize = sizeof item;
    item.fMask = MIIM_STATE;
    if (!GetMenuItemInfoW(menu, id, FALSE, &item))
        return;
    std::wstring buffer = text;
    // An empty text keeps the resource's own.
    item.fMask = buffer.empty() ? MIIM_STATE : MIIM_STATE | MIIM_STRING;
    item.fState |= extraState;
    item.dwTypeData = &buffer[0];
    SetMenuItemInfoW(menu, id, FALSE, &item);
}

} // namespace

TrayUi::TrayUi(TrayPart* owner, par::Window* mainWindow)
    : myOwner(owner), myMainWindow(mainWindow), myTooltip(std::make_unique<TrayTooltipPart>()),
      myTaskbarCreated(RegisterWindowMessageA("TaskbarCreated"))
{
    myMainWindow->addWindowEventDispatcher(this, false);
    addIcon();
    myHoverTimer = std::make_unique<par::Timer>(HOVER_MS);
    myHoverTimer->addListener(this, false);
    myPollTimer = std::make_unique<par::Timer>(POLL_MS);
    myPollTimer->addListener(this, false);
}

TrayUi::~TrayUi()
{
    myHoverTimer->removeListener(this);
    myPollTimer->removeListener(this);
    myHoverTimer.reset();
    myPollTimer.reset();
    myMainWindow->removeWindowEventDispatcher(this);
    NOTIFYICONDATAA record;
    std::memset(&record, 0, sizeof record);
    record.cbSize = sizeof record;
    record.hWnd = myMainWindow->getHandle();
    record.uID = ICON_ID;
    Shell_NotifyIconA(NIM_DELETE, &record);
    myTooltip.reset();
    if (myMenu)
        DestroyMenu(myMenu);
}

void TrayUi::addIcon()
{
    setIcon(NIM_ADD);
}

void TrayUi::updateIcon()
{
    setIcon(NIM_MODIFY);
}

void TrayUi::setIcon(DWORD message)
{
    if (!myDefaultIcon)
        myDefaultIcon = LoadIconA(par::Application::getInstanceHandle(), MAKEINTRESOURCEA(IDI_PROGRAM));
    HICON temperatureIcon = shouldShowTemperature() ? createTemperatureIcon() : nullptr;
    updateTipText();
    NOTIFYICONDATAA record;
    fillRecord(record, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    record.uCallbackMessage = CALLBACK_MESSAGE;
    record.hIcon = temperatureIcon ? temperatureIcon : myDefaultIcon;
    Shell_NotifyIconA(message, &record);
    if (message == NIM_ADD && par::isVistaOrLater()) {
        record.uVersion = NOTIFYICON_VERSION_4;
        Shell_NotifyIconA(NIM_SETVERSION, &record);
    }
    // The shell keeps a copy of its own.
    if (temperatureIcon)
        DestroyIcon(temperatureIcon);
}

void TrayUi::updateTip()
{
    NOTIFYICONDATAA record;
    fillRecord(record, NIF_TIP);
    Shell_NotifyIconA(NIM_MODIFY, &record);
}

void TrayUi::fillRecord(NOTIFYICONDATAA& record, UINT flags)
{
    std::memset(&record, 0, sizeof record);
    record.cbSize = sizeof record;
    record.hWnd = myMainWindow->getHandle();
    record.uID = ICON_ID;
    record.uFlags = flags;
    const bool tooltipVisible = myTooltip->isVisible();
    if (par::isVistaOrLater()) {
        if (!tooltipVisible)
            record.uFlags |= NIF_SHOWTIP;
        lstrcpynA(record.szTip, myTipText.c_str(), TIP_LIMIT + 1);
    } else if (!tooltipVisible) {
        // Older shells show the plain tip over the HTML one unless it is empty.
        lstrcpynA(record.szTip, myTipText.c_str(), TIP_LIMIT + 1);
    }
}

void TrayUi::updateTipText()
{
    std::string status;
    double temperature = 0;
    if (!myOwner->isConnected()) {
        status = "loading...";
    } else if (!parseTemperature(myOwner->getTemperature(), temperature)) {
        status = par::toNarrow(myOwner->getLocationName());
        if (status.empty())
            status = "To see current temperature here, select home location.";
    }
    myPlainTip = !status.empty();
    myTipText = PRODUCT_TIP;
    if (!status.empty())
        myTipText += "\n" + status;
}

bool TrayUi::shouldShowTemperature()
{
    if (!myOwner->isConnected())
        return false;
    double temperature = 0;
    if (!parseTemperature(myOwner->getTemperature(), temperature))
        return false;
    int age = 0;
    if (!par::parseInt(myOwner->getWeatherAgeSec(), age))
        return false;
    return age < MAX_WEATHER_AGE_SEC;
}

bool TrayUi::parseColor(const std::wstring& text, COLORREF& color)
{
    if (text.empty() || text[0] != L'#' || text.size() != 7)
        return false;
    unsigned red = 0;
    unsigned green = 0;
    unsigned blue = 0;
    if (std::swscanf(text.c_str() + 1, L"%2x%2x%2x", &red, &green, &blue) != 3)
        return false;
    color = RGB(red, green, blue);
    return true;
}

COLORREF TrayUi::getTextColor()
{
    bool outdated = false;
    par::parseBool(myOwner->isWeatherOutdated(), outdated);
    COLORREF color = 0;
    if (outdated) {
        if (!parseColor(myOwner->getOptionsValue(L"quor/ui/tray/outdatedColor"), color))
            color = defaultColors().getDefaultOutdatedColor();
    } else if (!parseColor(myOwner->getOptionsValue(L"quor/ui/tray/textColor"), color)) {
        color = defaultColors().getDefaultTextColor();
    }
    return color;
}

COLORREF TrayUi::getBackgroundColor()
{
    const std::wstring option = myOwner->getOptionsValue(L"quor/ui/tray/background");
    if (option == L"transparent")
        return 0;
    COLORREF color = 0;
    if (!parseColor(option, color))
        color = defaultColors().getDefaultBackground();
    return color;
}

bool TrayUi::isBackgroundTransparent()
{
    const std::wstring option = myOwner->getOptionsValue(L"quor/ui/tray/background");
    return option.empty() || option == L"transparent";
}

HICON TrayUi::createTemperatureIcon()
{
    double t = 0;
    if (!parseTemperature(myOwner->getTemperature(), t))
        return nullptr;
    myOwner->convertCwfToUserValue(L"temperature", t);
    if (!isTemperature(t))
        return nullptr;
    return TemperatureIcon(t, getTextColor(), getBackgroundColor(), isBackgroundTransparent()).create();
}

void TrayUi::loadPopupMenu()
{
    if (myMenu)
        return;
    myMenu = LoadMenuA(par::Application::getInstanceHandle(), MAKEINTRESOURCEA(IDR_TRAY_MENU));
    myPopupMenu = myMenu ? GetSubMenu(myMenu, 0) : nullptr;
    if (!myPopupMenu)
        return;
    const std::wstring programName = par::toWide(par::Application::loadString(IDS_PRODUCT_NAME));
    const wchar_t* const openArgs[] = {L"IDS_OPEN_PROGRAM", programName.c_str()};
    const std::wstring open = myOwner->formatLocaleString(openArgs, 2);
    const std::wstring exit = myOwner->getLocaleString(L"IDS_EXIT");
    setItem(myPopupMenu, ID_OPEN, open, MFS_DEFAULT);
    setItem(myPopupMenu, ID_EXIT, exit, 0);
}

void TrayUi::showPopupMenu(int x, int y)
{
    if (!myPopupMenu) {
        par::logSevere("Popup Menu missing");
        return;
    }
    SetForegroundWindow(myMainWindow->getHandle());
    TrackPopupMenuEx(myPopupMenu, TPM_RIGHTBUTTON, x, y, myMainWindow->getHandle(), nullptr);
}

void TrayUi::showTooltip(bool show)
{
    myTooltip->setShown(show);
    if (!show && !IsWindowVisible(myMainWindow->getHandle())) {
        App* app = App::getInstance();
        if (app && app->getAppController())
            app->getAppController()->startWorkingSetTrim(1000);
    }
    updateTip();
}

LRESULT TrayUi::dispatch(par::Window*, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ENTERMENULOOP && wParam)
        myInMenuLoop = true;
    else if (message == WM_EXITMENULOOP && wParam)
        myInMenuLoop = false;
    else if (message == myTaskbarCreated)
        addIcon();
    else if (message == CALLBACK_MESSAGE)
        onMouse(par::isVistaOrLater() ? LOWORD(lParam) : static_cast<UINT>(lParam));
    // The window and the other dispatchers still see every message.
    return 0;
}

void TrayUi::onMouse(UINT mouseMessage)
{
    switch (mouseMessage) {
    case WM_MOUSEMOVE:
        myOwner->handleUserAction();
        if (myPlainTip)
            return;
        GetCursorPos(&myCursor);
        if (!myPollTimer->isRunning() && !myInMenuLoop) {
            myHoverTimer->stop();
            myHoverTimer->start();
        }
        return;
    case WM_LBUTTONDOWN: {
        myHoverTimer->stop();
        myOwner->handleUserAction();
        showTooltip(false);
        App* app = App::getInstance();
        if (app && app->getAppController())
            app->getAppController()->setOpen(!IsWindowVisible(myMainWindow->getHandle()));
        return;
    }
    case WM_RBUTTONDOWN: {
        myHoverTimer->stop();
        myOwner->handleUserAction();
        showTooltip(false);
        POINT cursor = {0, 0};
        GetCursorPos(&cursor);
        showPopupMenu(cursor.x, cursor.y);
        return;
    }
    default:
        return;
    }
}

void TrayUi::onTimer(par::Timer* timer)
{
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    const bool moved = cursor.x != myCursor.x || cursor.y != myCursor.y;
    if (timer == myHoverTimer.get()) {
        myHoverTimer->stop();
        if (moved)
            return;
        myPollTimer->start();
        myTooltip->setAnchor(myCursor.x, myCursor.y);
        myTooltip->setContent(myOwner->buildTooltipHtml());
        showTooltip(true);
    } else if (timer == myPollTimer.get() && moved) {
        showTooltip(false);
        myHoverTimer->stop();
        myPollTimer->stop();
    }
}
