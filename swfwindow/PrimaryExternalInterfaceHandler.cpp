#include "swfwindow/PrimaryExternalInterfaceHandler.h"

#include "swfwindow/ComDiagnostics.h"
#include "swfwindow/ExternalInterfaceFormat.h"
#include "swfwindow/MovieCommandTable.h"
#include "swfwindow/ServerConnectionWatcherPool.h"

#include "app/UiApplication.h"
#include "util/Log.h"
#include "util/StringUtil.h"
#include "util/SystemUtil.h"
#include "winui/DisplayModeManage.h"

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <vector>

namespace swfWindow {

namespace {

using Arguments = std::vector<std::wstring>;
using Handler = PrimaryExternalInterfaceHandler;

std::wstring withBackslashes(std::wstring path)
{
    par::replaceAll(path, L"/", L"\\");
    return path;
}

std::wstring boolText(bool value)
{
    return value ? L"true" : L"false";
}

std::wstring attribute(const wchar_t* name, int value)
{
    return std::wstring(L" ") + name + L"=\"" + par::toWString(value) + L"\"";
}

std::wstring sizeElement(int width, int height)
{
    return L"<size" + attribute(L"width", width) + attribute(L"height", height) + L"/>";
}

par::Window* mainWindow()
{
    par::UiApplication* application = par::UiApplication::instance();
    return application ? application->getMainWindow() : nullptr;
}

std::wstring applicationDataPath(bool common)
{
    par::Application* application = par::Application::instance();
    if (!application)
        return std::wstring();
    return common ? application->getApplicationCommonDataPath() : application->getApplicationDataPath();
}

// Stops at the first text that does not parse.
bool parseInts(const Arguments& args, int* values)
{
    for (size_t i = 0; i < args.size(); ++i) {
        if (!par::parseInt(args[i], values[i]))
            return false;
    }
    return true;
}

std::wstring localeText(LCTYPE type)
{
    const int size = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, nullptr, 0);
    if (size <= 0)
        return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(size));
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer.data(), size) == 0)
        return std::wstring();
    return buffer.data();
}

std::wstring timeFormat()
{
    const int size = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, nullptr, 0);
    if (size <= 0)
        return std::wstring();
    std::vector<char> buffer(static_cast<size_t>(size));
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, buffer.data(), size) == 0)
        return std::wstring();
    return par::toWide(buffer.data());
}

std::wstring unitSystem()
{
    if (localeText(LOCALE_SENGCOUNTRY) == L"Russia")
        return L"russia";
    char measure[2] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IMEASURE, measure, 2) == 0)
        return std::wstring();
    if (measure[0] == '0')
        return L"metric";
    if (measure[0] == '1')
        return L"us";
    return std::wstring();
}

std::wstring skyvanePrint(Handler&, const Arguments& args)
{
    logFlashText(args[0]);
    return std::wstring();
}

std::wstring isParProjector(Handler&, const Arguments&)
{
    return L"true";
}

std::wstring isMac(Handler&, const Arguments&)
{
    return L"false";
}

std::wstring isSwfFile(Handler& handler, const Arguments& args)
{
    return boolText(handler.isSwfFile(args[0]));
}

std::wstring loadText(Handler&, const Arguments& args)
{
    return par::readTextFile(args[0]);
}

// UTF-8 with a byte-order mark holds any text, and "loadText" reads it back.
std::wstring saveText(Handler&, const Arguments& args)
{
    return boolText(par::writeTextFile(args[0], args[1], L"w+t, ccs=UTF-8"));
}

std::wstring saveAsPng(Handler& handler, const Arguments& args)
{
    return handler.saveAsPng(withBackslashes(args[0]), withBackslashes(args[1]));
}

std::wstring createDir(Handler& handler, const Arguments& args)
{
    return handler.createDir(withBackslashes(args[0]));
}

std::wstring deleteFile(Handler& handler, const Arguments& args)
{
    return handler.deleteFile(withBackslashes(args[0]));
}

std::wstring fileExist(Handler&, const Arguments& args)
{
    return boolText(par::fileExists(withBackslashes(args[0])));
}

std::wstring findFiles(Handler&, const Arguments& args)
{
    const std::wstring mask = args.size() > 1 ? args[1] : L"*.*";
    bool recursive = false;
    if (args.size() > 2)
        par::parseBool(args[2], recursive);
    std::vector<std::wstring> files;
    Handler::collectFiles(withBackslashes(args[0]), mask, recursive, files);
    std::wstring list = L"<files>";
    for (const std::wstring& file : files)
        list += L"<file name=\"" + par::escapeXmlAttribute(file) + L"\" ></file>";
    return list + L"</files>";
}

std::wstring openDir(Handler& handler, const Arguments& args)
{
    return handler.openDir(withBackslashes(args[0]));
}

std::wstring getApplicationDirPath(Handler&, const Arguments&)
{
    return par::Application::getApplicationDirPath();
}

std::wstring getApplicationDataPath(Handler&, const Arguments&)
{
    return applicationDataPath(false);
}

std::wstring getApplicationCommonDataPath(Handler&, const Arguments&)
{
    return applicationDataPath(true);
}

std::wstring getSystemDataPath(Handler&, const Arguments&)
{
    return par::Application::getSystemDataPath();
}

std::wstring getCommonDataPath(Handler&, const Arguments&)
{
    return par::Application::getCommonDataPath();
}

std::wstring getCurrentDir(Handler&, const Arguments&)
{
    return par::currentDirectory();
}

std::wstring isApplicationWindowResizable(Handler&, const Arguments&)
{
    par::Window* window = mainWindow();
    return window ? boolText(window->isResizable()) : std::wstring();
}

std::wstring setApplicationWindowResizable(Handler&, const Arguments& args)
{
    bool resizable = false;
    par::Window* window = mainWindow();
    if (window && par::parseBool(args[0], resizable))
        window->setResizable(resizable);
    return std::wstring();
}

std::wstring getApplicationWindowBounds(Handler&, const Arguments&)
{
    par::Window* window = mainWindow();
    if (!window)
        return std::wstring();
    const par::Rect bounds = window->getBounds();
    return L"<bounds" + attribute(L"x", bounds.x) + attribute(L"y", bounds.y) +
           attribute(L"width", bounds.width) + attribute(L"height", bounds.height) + L"/>";
}

std::wstring setApplicationWindowBounds(Handler&, const Arguments& args)
{
    int values[4] = {};
    if (!parseInts(args, values)) {
        par::logSevere("setApplicationWindowBounds, parsing failure");
        return std::wstring();
    }
    if (par::Window* window = mainWindow())
        window->setBounds(values[0], values[1], values[2], values[3]);
    return std::wstring();
}

std::wstring getApplicationWindowContentSize(Handler&, const Arguments&)
{
    par::Window* window = mainWindow();
    if (!window)
        return std::wstring();
    RECT client = {};
    GetClientRect(window->getHandle(), &client);
    return sizeElement(client.right - client.left, client.bottom - client.top);
}

std::wstring setApplicationWindowContentSize(Handler&, const Arguments& args)
{
    int size[2] = {};
    if (!parseInts(args, size)) {
        par::logSevere("setApplicationWindowContentSize, parsing failure");
        return std::wstring();
    }
    par::Window* window = mainWindow();
    if (!window)
        return std::wstring();
    RECT client = {};
    GetClientRect(window->getHandle(), &client);
    const par::Rect outer = window->getBounds();
    window->setSize(size[0] + outer.width - (client.right - client.left),
                    size[1] + outer.height - (client.bottom - client.top));
    return std::wstring();
}

std::wstring getScreenSize(Handler&, const Arguments&)
{
    return sizeElement(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

std::wstring getDisplayModes(Handler&, const Arguments&)
{
    const std::vector<DEVMODEA> modes = par::DisplayModeManage::getInstance()->getModes();
    std::wstring list = L"<modes>";
    for (const DEVMODEA& mode : modes) {
        list += L"<mode" + attribute(L"width", static_cast<int>(mode.dmPelsWidth)) +
                attribute(L"height", static_cast<int>(mode.dmPelsHeight)) +
                attribute(L"depth", static_cast<int>(mode.dmBitsPerPel)) + L"/>";
    }
    return list + L"</modes>";
}

std::wstring sleep(Handler&, const Arguments& args)
{
    int milliseconds = 0;
    if (!par::parseInt(args[0], milliseconds))
        return std::wstring();
    // A negative time would be taken as (nearly) forever.
    Sleep(static_cast<DWORD>(std::max(milliseconds, 0)));
    return L"<undefined/>";
}

std::wstring getUnitSystem(Handler&, const Arguments&)
{
    return unitSystem();
}

std::wstring getTimeFormat(Handler&, const Arguments&)
{
    return timeFormat();
}

std::wstring getSystemLanguage(Handler&, const Arguments&)
{
    return localeText(LOCALE_SISO639LANGNAME);
}

std::wstring getSystemLocale(Handler&, const Arguments&)
{
    std::wstring country = localeText(LOCALE_SISO3166CTRYNAME);
    return localeText(LOCALE_SISO639LANGNAME) + L"-" + par::toLowerW(country);
}

std::wstring getCountryName(Handler&, const Arguments&)
{
    return localeText(LOCALE_SENGCOUNTRY);
}

std::wstring addServerWatcher(Handler& handler, const Arguments& args)
{
    handler.getWatcherPool()->addWatcher(par::toNarrow(args[0]));
    return std::wstring();
}

std::wstring removeServerWatcher(Handler& handler, const Arguments& args)
{
    handler.getWatcherPool()->removeWatcher(par::toNarrow(args[0]));
    return std::wstring();
}

std::wstring getServerConnectionState(Handler& handler, const Arguments& args)
{
    return par::toWide(handler.getWatcherPool()->getState(par::toNarrow(args[0])));
}

std::wstring updateServerConnectionState(Handler& handler, const Arguments& args)
{
    if (par::ServerConnectionWatcher* watcher = handler.getWatcherPool()->findWatcher(par::toNarrow(args[0])))
        watcher->update();
    else
        par::logSevere("update(), ServerConnectionWatcher not found");
    return std::wstring();
}

std::wstring getWindowsVersion(Handler&, const Arguments&)
{
    return par::toWide(par::osVersionText());
}

using Rule = ArgumentRule;
using Kind = AnswerKind;

// In the order of testing.
const MovieCommand<Handler> COMMANDS[] = {
    {L"skyvanePrint", Rule::ONLY_AT_LEAST, 1, Kind::NONE, skyvanePrint},
    {L"isParProjector", Rule::NONE_READ, 0, Kind::TEXT, isParProjector},
    {L"isMac", Rule::NONE_READ, 0, Kind::TEXT, isMac},
    {L"isSwfFile", Rule::AT_LEAST, 1, Kind::TEXT, isSwfFile},
    {L"loadText", Rule::AT_LEAST, 1, Kind::TEXT, loadText},
    {L"saveText", Rule::AT_LEAST, 2, Kind::TEXT, saveText},
    {L"saveAsPng", Rule::EXACTLY, 2, Kind::MARKUP, saveAsPng},
    {L"createDir", Rule::EXACTLY, 1, Kind::MARKUP, createDir},
    {L"deleteFile", Rule::EXACTLY, 1, Kind::MARKUP, deleteFile},
    {L"fileExist", Rule::EXACTLY, 1, Kind::TEXT, fileExist},
    {L"findFiles", Rule::AT_LEAST, 1, Kind::MARKUP, findFiles},
    {L"openDir", Rule::EXACTLY, 1, Kind::MARKUP, openDir},
    {L"getApplicationDirPath", Rule::NONE_READ, 0, Kind::TEXT, getApplicationDirPath},
    {L"getApplicationDataPath", Rule::NONE_READ, 0, Kind::TEXT, getApplicationDataPath},
    {L"getApplicationCommonDataPath", Rule::NONE_READ, 0, Kind::TEXT, getApplicationCommonDataPath},
    {L"getSystemDataPath", Rule::NONE_READ, 0, Kind::TEXT, getSystemDataPath},
    {L"getCommonDataPath", Rule::NONE_READ, 0, Kind::TEXT, getCommonDataPath},
    {L"getCurrentDir", Rule::NONE_READ, 0, Kind::TEXT, getCurrentDir},
    {L"isApplicationWindowResizable", Rule::NONE_READ, 0, Kind::TEXT, isApplicationWindowResizable},
    {L"setApplicationWindowResizable", Rule::EXACTLY, 1, Kind::NONE, setApplicationWindowResizable},
    {L"getApplicationWindowBounds", Rule::NONE_READ, 0, Kind::MARKUP, getApplicationWindowBounds},
    {L"setApplicationWindowBounds", Rule::EXACTLY, 4, Kind::NONE, setApplicationWindowBounds},
    {L"getApplicationWindowContentSize", Rule::NONE_READ, 0, Kind::MARKUP, getApplicationWindowContentSize},
    {L"setApplicationWindowContentSize", Rule::EXACTLY, 2, Kind::NONE, setApplicationWindowContentSize},
    {L"getScreenSize", Rule::NONE_READ, 0, Kind::MARKUP, getScreenSize},
    {L"getDisplayModes", Rule::NONE_READ, 0, Kind::MARKUP, getDisplayModes},
    {L"sleep", Rule::AT_LEAST, 1, Kind::BARE, sleep},
    {L"unitSystem", Rule::NONE_READ, 0, Kind::TEXT, getUnitSystem},
    {L"timeFormat", Rule::NONE_READ, 0, Kind::TEXT, getTimeFormat},
    {L"getSystemLanguage", Rule::NONE_READ, 0, Kind::TEXT, getSystemLanguage},
    {L"getSystemLocale", Rule::NONE_READ, 0, Kind::TEXT, getSystemLocale},
    {L"getCountryName", Rule::NONE_READ, 0, Kind::TEXT, getCountryName},
    {L"addServerWatcher", Rule::ONLY_EXACTLY, 1, Kind::NONE, addServerWatcher},
    {L"removeServerWatcher", Rule::ONLY_EXACTLY, 1, Kind::NONE, removeServerWatcher},
    {L"getServerConnectionState", Rule::ONLY_EXACTLY, 1, Kind::TEXT, getServerConnectionState},
    {L"updateServerConnectionState", Rule::ONLY_EXACTLY, 1, Kind::NONE, updateServerConnectionState},
    {L"getWindowsVersion", Rule::NONE_READ, 0, Kind::TEXT, getWindowsVersion},
};
static_assert(std::size(COMMANDS) == 37, "the movie knows 37 built-in commands");

} // namespace

PrimaryExternalInterfaceHandler::PrimaryExternalInterfaceHandler(SwfWindow* owner)
    : myOwner(owner), myWatcherPool(new ServerConnectionWatcherPool(owner))
{
}

PrimaryExternalInterfaceHandler::~PrimaryExternalInterfaceHandler()
{
    delete myWatcherPool;
}

bool PrimaryExternalInterfaceHandler::handle(const std::wstring& name, std::vector<std::wstring> arguments,
                                             std::wstring& answer)
{
    return runMovieCommand(COMMANDS, *this, name, arguments, answer);
}

void PrimaryExternalInterfaceHandler::toReturnValue(std::wstring& answer)
{
    answer = encodeMarkup(answer);
}

} // namespace swfWindow
