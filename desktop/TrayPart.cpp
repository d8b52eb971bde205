#include "desktop/TrayPart.h"

#include "desktop/TrayUi.h"

#include "product/Skyvane.h"
#include "swfwindow/SwfWindow.h"

#include "util/Log.h"
#include "util/StringUtil.h"

#include <cstdio>

namespace {

SwfWindow* movieWindow()
{
    Skyvane* skyvane = Skyvane::instance();
    return skyvane ? skyvane->getSwfWindow() : nullptr;
}

} // namespace

TrayPart::TrayPart(par::Window* mainWindow)
{
    // Made here, not in the initialiser list: the icon it adds at once asks
    // whether the movie is connected.
    myTrayUi = std::make_unique<TrayUi>(this, mainWindow);
}

TrayPart::~TrayPart()
{
    myTrayUi.reset();
}

void TrayPart::connectMovie()
{
    SwfWindow* swf = movieWindow();
    if (swf) {
        swf->callFunction(L"trayAdd");
        myTrayAnnounced = true;
    }
    myConnected = true;
    if (swf) {
        swf->getCommandEventManager()->addListener(this, "options", nullptr);
        swf->getCommandEventManager()->addListener(this, "tray", nullptr);
    }
    myTrayUi->loadPopupMenu();
    myTrayUi->updateIcon();
}

void TrayPart::disconnectMovie()
{
    if (!myTrayAnnounced)
        return;
    if (SwfWindow* swf = movieWindow())
        swf->callFunction(L"trayRemove");
}

void TrayPart::handleCommandEvent(const std::string&, const std::string& serviceId, const std::string& eventId,
                                  IXMLDOMDocument2Ptr)
{
    if ((serviceId == "options" || serviceId == "tray") && eventId == "handleTotalUpdate")
        myTrayUi->updateIcon();
}

void TrayPart::handleUserAction()
{
    if (SwfWindow* swf = movieWindow())
        swf->callFunction(L"handleTrayUserAction");
}

std::wstring TrayPart::query(const wchar_t* name)
{
    SwfWindow* swf = movieWindow();
    if (!swf) {
        par::logSevere("SwfWindow missing");
        return std::wstring();
    }
    std::wstring answer;
    swf->callFunctionString(answer, name);
    return answer;
}

std::wstring TrayPart::getTemperature()
{
    return query(L"trayGetTemperature");
}

std::wstring TrayPart::getLocationName()
{
    return query(L"trayGetLocationName");
}

std::wstring TrayPart::getWeatherAgeSec()
{
    return query(L"trayGetWeatherAgeSec");
}

std::wstring TrayPart::isWeatherOutdated()
{
    return query(L"trayIsWeatherOutdated");
}

std::wstring TrayPart::buildTooltipHtml()
{
    return query(L"trayBuildTooltipHtml");
}

std::wstring TrayPart::getOptionsValue(const std::wstring& path)
{
    SwfWindow* swf = movieWindow();
    std::wstring answer;
    if (swf)
        swf->callWithOptionalArg(answer, L"getOptionsValue", path);
    return answer;
}

std::wstring TrayPart::getLocaleString(const std::wstring& key)
{
    SwfWindow* swf = movieWindow();
    return swf ? swf->getLocaleString(key) : std::wstring();
}

std::wstring TrayPart::formatLocaleString(const wchar_t* const args[], int count)
{
    SwfWindow* swf = movieWindow();
    return swf ? swf->formatLocaleString(args, count) : std::wstring();
}

bool TrayPart::convertCwfToUserValue(const std::wstring& aspectId, double& value)
{
    char formatted[64];
    std::snprintf(formatted, sizeof formatted, "%0.4f", value);
    SwfWindow* swf = movieWindow();
    if (swf) {
        try {
            std::wstring answer;
            swf->invoke(answer, L"convertCwfToUserValue",
                        L"<string>" + aspectId + L"</string><number>" + par::toWide(formatted) + L"</number>");
            double converted = 0;
            if (par::parseDouble(answer, converted)) {
                value = converted;
                return true;
            }
        } catch (const _com_error&) {
        }
    }
    par::logSevere("convertCwfToUserValue() failed, aspectId=" + par::toNarrow(aspectId) + ", value=" + formatted);
    return false;
}
