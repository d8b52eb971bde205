#include "swfwindow/PrimaryExternalInterfaceHandler.h"

#include "swfwindow/ComDiagnostics.h"
#include "swfwindow/ExternalInterfaceFormat.h"
#include "swfwindow/ServerConnectionWatcherPool.h"

#include "app/UiApplication.h"
#include "util/Log.h"
#include "util/StringUtil.h"
#include "util/SystemUtil.h"
#include "winui/DisplayModeManage.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

namespace swfWindow {

namespace {

using Arguments = std::vector<std::wstring>;
using Handler = PrimaryExternalInterfaceHandler;

// How a command takes its arguments.
enum class Count {
    NONE_READ,     // any arguments are ignored
    EXACTLY,       // another number is handled and does nothing
    AT_LEAST,      // fewer are handled and do nothing
    ONLY_EXACTLY,  // another number is not handled
    ONLY_AT_LEAST, // fewer are not handled
};

struct Command {
    const wchar_t* name;
    Count rule;
    size_t count;
    // Whether the command's value is wrapped as a string answer.
    bool stringAnswer;
    void (*run)(Handler& handler, const Arguments& args, std::wstring& answer);
};

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

void skyvanePrint(Handler&, const Arguments& args, std::wstring&)
{
    logFlashText(args[0]);
}

void isParProjector(Handler&, const Arguments&, std::wstring& answer)
{
    answer = L"true";
}

void isMac(Handler&, const Arguments&, std::wstring& answer)
{
    answer = L"false";
}

void isSwfFile(Handler& handler, const Arguments& args, std::wstring& answer)
{
    answer = boolText(handler.isSwfFile(args[0]));
}

void loadText(Handler&, const Arguments& args, std::wstring& answer)
{
    answer = par::readTextFile(args[0]);
}

void saveText(Handler&, const Arguments& args, std::wstring& answer)
{
    answer = boolText(par::writeTextFile(args[0], args[1], L"w+t"));
}

void saveAsPng(Handler& handler, const Arguments& args, std::wstring& answer)
{
    answer = handler.saveAsPng(withBackslashes(args[0]), withBackslashes(args[1]));
}

void createDir(Handler& handler, const Arguments& args, std::wstring& answer)
{
    answer = handler.createDir(withBackslashes(args[0]));
}

void deleteFile(Handler& handler, const Arguments& args, std::wstring& answer)
{
    answer = handler.deleteFile(withBackslashes(args[0]));
}

void fileExist(Handler&, const Arguments& args, std::wstring& answer)
{
    answer = boolText(par::fileExists(withBackslashes(args[0])));
}

void findFiles(Handler&, const Arguments& args, std::wstring& answer)
{
    const std::wstring mask = args.size() > 1 ? args[1] : L"*.*";
    bool recursive = false;
    if (args.size() > 2)
        par::parseBool(args[2], recursive);
    std::vector<std::wstring> files;
    Handler::collectFiles(withBackslashes(args[0]), mask, recursive, files);
    answer = L"<files>";
    for (const std::wstring& file : files)
        answer += L"<file name=\"" + file + L"\" ></file>";
    answer += L"</files>";
}

void openDir(Handler& handler, const Arguments& args, std::wstring& answer)
{
    answer = handler.openDir(withBackslashes(args[0]));
}

void getApplicationDirPath(Handler&, const Arguments&, std::wstring& answer)
{
    answer = par::Application::getApplicationDirPath();
}

void getApplicationDataPath(Handler&, const Arguments&, std::wstring& answer)
{
    answer = applicationDataPath(false);
}

void getApplicationCommonDataPath(Handler&, const Arguments&, std::wstring& answer)
{
    answer = applicationDataPath(true);
}

void getSystemDataPath(Handler&, const Arguments&, std::wstring& answer)
{
    answer = par::Application::getSystemDataPath();
}

void getCommonDataPath(Handler&, const Arguments&, std::wstring& answer)
{
    answer = par::Application::getCommonDataPath();
}

void getCurrentDir(Handler&, const Arguments&, std::wstring& answer)
{
    answer = par::currentDirectory();
}

void isApplicationWindowResizable(Handler&, const Arguments&, std::wstring& answer)
{
    if (par::Window* window = mainWindow())
        answer = boolText(window->isResizable());
}

void setApplicationWindowResizable(Handler&, const Arguments& args, std::wstring&)
{
    bool resizable = false;
    par::Window* window = mainWindow();
    if (window && par::parseBool(args[0], resizable))
        window->setResizable(resizable);
}

void getApplicationWindowBounds(Handler&, const Arguments&, std::wstring& answer)
{
    par::Window* window = mainWindow();
    if (!window)
        return;
    const par::Rect bounds = window->getBounds();
    answer = L"<bounds" + attribute(L"x", bounds.x) + attribute(L"y", bounds.y) +
             attribute(L"width", bounds.width) + attribute(L"height", bounds.height) + L"/>";
}

void setApplicationWindowBounds(Handler&, const Arguments& args, std::wstring&)
{
    int values[4] = {};
    if (!parseInts(args, values)) {
        par::logSevere("setApplicationWindowBounds, parsing failure");
        return;
    }
    if (par::Window* window = mainWindow())
        window->setBounds(values[0], values[1], values[2], values[3]);
}

void getApplicationWindowContentSize(Handler&, const Arguments&, std::wstring& answer)
{
    par::Window* window = mainWindow();
    if (!window)
        return;
    RECT client = {};
    GetClientRect(window->getHandle(), &client);
    answer = sizeElement(client.right - client.left, client.bottom - client.top);
}

void setApplicationWindowContentSize(Handler&, const Arguments& args, std::wstring&)
{
    int size[2] = {};
    if (!parseInts(args, size)) {
        par::logSevere("setApplicationWindowContentSize, parsing failure");
        return;
    }
    par::Window* window = mainWindow();
    if (!window)
        return;
    RECT client = {};
    GetClientRect(window->getHandle(), &client);
    const par::Rect outer = window->getBounds();
    window->setSize(size[0] + outer.width - (client.right - client.left),
                    size[1] + outer.height - (client.bottom - client.top));
}

void getScreenSize(Handler&, const Arguments&, std::wstring& answer)
{
    answer = sizeElement(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

void getDisplayModes(Handler&, const Arguments&, std::wstring& answer)
{
    const std::vector<DEVMODEA> modes = par::DisplayModeManage::getInstance()->getModes();
    answer = L"<modes>";
    for (const DEVMODEA& mode : modes) {
        answer += L"<mode" + attribute(L"width", static_cast<int>(mode.dmPelsWidth)) +
                  attribute(L"height", static_cast<int>(mode.dmPelsHeight)) +
                  attribute(L"depth", static_cast<int>(mode.dmBitsPerPel)) + L"/>";
    }
    answer += L"</modes>";
}

void sleep(Handler&, const Arguments& args, std::wstring& answer)
{
    int milliseconds = 0;
    if (!par::parseInt(args[0], milliseconds))
        return;
    answer = L"<undefined/>";
    // A negative time would be taken as (nearly) forever.
    Sleep(static_cast<DWORD>(std::max(milliseconds, 0)));
}

void getUnitSystem(Handler&, const Arguments&, std::wstring& answer)
{
    answer = unitSystem();
}

void getTimeFormat(Handler&, const Arguments&, std::wstring& answer)
{
    answer = timeFormat();
}

void getSystemLanguage(Handler&, const Arguments&, std::wstring& answer)
{
    answer = localeText(LOCALE_SISO639LANGNAME);
}

void getSystemLocale(Handler&, const Arguments&, std::wstring& answer)
{
    std::wstring country = localeText(LOCALE_SISO3166CTRYNAME);
    answer = localeText(LOCALE_SISO639LANGNAME) + L"-" + par::toLowerW(country);
}

void getCountryName(Handler&, const Arguments&, std::wstring& answer)
{
    answer = localeText(LOCALE_SENGCOUNTRY);
}

void addServerWatcher(Handler& handler, const Arguments& args, std::wstring&)
{
    handler.getWatcherPool()->addWatcher(par::toNarrow(args[0]));
}

void removeServerWatcher(Handler& handler, const Arguments& args, std::wstring&)
{
    handler.getWatcherPool()->removeWatcher(par::toNarrow(args[0]));
}

void getServerConnectionState(Handler& handler, const Arguments& args, std::wstring& answer)
{
    answer = par::toWide(handler.getWatcherPool()->getState(par::toNarrow(args[0])));
}

void updateServerConnectionState(Handler& handler, const Arguments& args, std::wstring&)
{
    if (par::ServerConnectionWatcher* watcher = handler.getWatcherPool()->findWatcher(par::toNarrow(args[0])))
        watcher->update();
    else
        par::logSevere("update(), ServerConnectionWatcher not found");
}

void getWindowsVersion(Handler&, const Arguments&, std::wstring& answer)
{
    answer = par::toWide(par::osVersionText());
}

// In the order of testing.
const Command COMMANDS[] = {
    {L"skyvanePrint", Count::ONLY_AT_LEAST, 1, false, skyvanePrint},
    {L"isParProjector", Count::NONE_READ, 0, true, isParProjector},
    {L"isMac", Count::NONE_READ, 0, true, isMac},
    {L"isSwfFile", Count::AT_LEAST, 1, true, isSwfFile},
    {L"loadText", Count::AT_LEAST, 1, true, loadText},
    {L"saveText", Count::AT_LEAST, 2, true, saveText},
    {L"saveAsPng", Count::EXACTLY, 2, true, saveAsPng},
    {L"createDir", Count::EXACTLY, 1, true, createDir},
    {L"deleteFile", Count::EXACTLY, 1, true, deleteFile},
    {L"fileExist", Count::EXACTLY, 1, true, fileExist},
    {L"findFiles", Count::AT_LEAST, 1, true, findFiles},
    {L"openDir", Count::EXACTLY, 1, true, openDir},
    {L"getApplicationDirPath", Count::NONE_READ, 0, true, getApplicationDirPath},
    {L"getApplicationDataPath", Count::NONE_READ, 0, true, getApplicationDataPath},
    {L"getApplicationCommonDataPath", Count::NONE_READ, 0, true, getApplicationCommonDataPath},
    {L"getSystemDataPath", Count::NONE_READ, 0, true, getSystemDataPath},
    {L"getCommonDataPath", Count::NONE_READ, 0, true, getCommonDataPath},
    {L"getCurrentDir", Count::NONE_READ, 0, true, getCurrentDir},
    {L"isApplicationWindowResizable", Count::NONE_READ, 0, true, isApplicationWindowResizable},
    {L"setApplicationWindowResizable", Count::EXACTLY, 1, false, setApplicationWindowResizable},
    {L"getApplicationWindowBounds", Count::NONE_READ, 0, true, getApplicationWindowBounds},
    {L"setApplicationWindowBounds", Count::EXACTLY, 4, false, setApplicationWindowBounds},
    {L"getApplicationWindowContentSize", Count::NONE_READ, 0, true, getApplicationWindowContentSize},
    {L"setApplicationWindowContentSize", Count::EXACTLY, 2, false, setApplicationWindowContentSize},
    {L"getScreenSize", Count::NONE_READ, 0, true, getScreenSize},
    {L"getDisplayModes", Count::NONE_READ, 0, true, getDisplayModes},
    {L"sleep", Count::AT_LEAST, 1, false, sleep},
    {L"unitSystem", Count::NONE_READ, 0, true, getUnitSystem},
    {L"timeFormat", Count::NONE_READ, 0, true, getTimeFormat},
    {L"getSystemLanguage", Count::NONE_READ, 0, true, getSystemLanguage},
    {L"getSystemLocale", Count::NONE_READ, 0, true, getSystemLocale},
    {L"getCountryName", Count::NONE_READ, 0, true, getCountryName},
    {L"addServerWatcher", Count::ONLY_EXACTLY, 1, false, addServerWatcher},
    {L"removeServerWatcher", Count::ONLY_EXACTLY, 1, false, removeServerWatcher},
    {L"getServerConnectionState", Count::ONLY_EXACTLY, 1, true, getServerConnectionState},
    {L"updateServerConnectionState", Count::ONLY_EXACTLY, 1, false, updateServerConnectionState},
    {L"getWindowsVersion", Count::NONE_READ, 0, true, getWindowsVersion},
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
    const Command* command = std::find_if(std::begin(COMMANDS), std::end(COMMANDS),
                                          [&](const Command& entry) { return name == entry.name; });
    if (command == std::end(COMMANDS))
        return false;
    const size_t count = arguments.size();
    switch (command->rule) {
    case Count::NONE_READ:
        break;
    case Count::EXACTLY:
        if (count != command->count)
            return true;
        break;
    case Count::AT_LEAST:
        if (count < command->count)
            return true;
        break;
    case Count::ONLY_EXACTLY:
        if (count != command->count)
            return false;
        break;
    case Count::ONLY_AT_LEAST:
        if (count < command->count)
            return false;
        break;
    }
    command->run(*this, arguments, answer);
    if (command->stringAnswer)
        toReturnValue(answer);
    return true;
}

void PrimaryExternalInterfaceHandler::toReturnValue(std::wstring& answer)
{
    answer = encodeValue(answer);
}

} // namespace swfWindow
