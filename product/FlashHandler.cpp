#include "product/FlashHandler.h"

#include "product/LocationSensing.h"
#include "product/ScreenSaverInstallation.h"
#include "product/Skyvane.h"
#include "product/TrayColors.h"

#include "swfwindow/MovieCommandTable.h"

#include "app/Application.h"
#include "app/ProgramShortcut.h"
#include "util/Log.h"
#include "util/RegistryUtil.h"
#include "util/Scoped.h"
#include "util/StringUtil.h"
#include "util/XmlUtil.h"

#include <cwchar>
#include <iterator>

using swfWindow::AnswerKind;
using swfWindow::ArgumentRule;
using swfWindow::MovieCommand;

namespace {

using Arguments = std::vector<std::wstring>;

// One movie call: a call whose argument does not parse is refused and
// answers nothing, whatever its answer would have been.
struct ProductCall {
    FlashHandler& handler;
    bool refused = false;
};

void logCountFailure(const std::wstring& name)
{
    par::logSevere(par::toNarrow(name) + ", unexpected number of arguments, the call is skipped.");
}

// The table refuses calls with the wrong number of arguments.
void reportIgnoredCall(ProductCall& call, const wchar_t* name, std::size_t)
{
    call.refused = true;
    logCountFailure(name);
}

void logParseFailure(const std::wstring& name, const std::wstring& text)
{
    par::logSevere(par::toNarrow(name) + ", arg=\"" + par::toNarrow(text)
                   + "\", argument parsing failure, the call is skipped");
}

// "#RRGGBB"; red is the low byte of the Windows colour.
std::wstring colorText(COLORREF color)
{
    wchar_t text[8];
    swprintf(text, std::size(text), L"#%02X%02X%02X", GetRValue(color), GetGValue(color), GetBValue(color));
    return text;
}

// The entry of a log the movie may show: only logs that write debug lines.
std::wstring logEntry(const char* name)
{
    const par::Log* log = par::getLog(name);
    if (!log->isEnabled(par::Log::LEVEL_DEBUG))
        return std::wstring();
    std::wstring entry = L"<log name=\"" + par::toWide(name) + L"\"";
    if (log->getDisplayName())
        entry += L" displayName=\"true\"";
    return entry + L"/>\n";
}

const wchar_t* const SPLASH_URL_VALUE = L"splashUrl";

} // namespace

// The table's functions, friends of the handler for its program's operations.
class FlashHandlerCommands {
public:
    static std::wstring shutdownDone(ProductCall& call, const Arguments&)
    {
        call.handler.doShutdownDone();
        return std::wstring();
    }

    static std::wstring getRole(ProductCall& call, const Arguments&) { return call.handler.getRole(); }

    static std::wstring getProjectorId(ProductCall&, const Arguments&) { return L"quorNative"; }

    static std::wstring isDebug(ProductCall& call, const Arguments&)
    {
        return par::toWString(call.handler.isDebug());
    }

    static std::wstring isFullscreenMode(ProductCall& call, const Arguments&)
    {
        return par::toWString(call.handler.isFullscreenMode());
    }

    // Its own check, with its own log line.
    static std::wstring setFullscreenMode(ProductCall& call, const Arguments& args)
    {
        bool on = false;
        if (args.size() != 1 || !par::parseBool(args[0], on)) {
            par::logSevere("QuorApiForFlash, invalid call: \"setFullscreenMode\"");
            return std::wstring();
        }
        call.handler.setFullscreenMode(on);
        return std::wstring();
    }

    static std::wstring getFlashLogsXml(ProductCall&, const Arguments&)
    {
        return L"<logs>" + logEntry("startup") + logEntry("shutdown") + L"</logs>";
    }

    static std::wstring setRunWithWindows(ProductCall& call, const Arguments& args)
    {
        bool on = false;
        if (!parseBool(call, L"setRunWithWindows", args[0], on))
            return std::wstring();
        if (par::ProgramShortcut* shortcut = par::Application::getProgramShortcut())
            shortcut->setInstalled(on);
        return std::wstring();
    }

    static std::wstring isRunWithWindows(ProductCall&, const Arguments&)
    {
        par::ProgramShortcut* shortcut = par::Application::getProgramShortcut();
        return par::toWString(shortcut && shortcut->isInstalled());
    }

    static std::wstring setAsScreensaver(ProductCall&, const Arguments&)
    {
        ScreenSaverInstallation::install();
        return std::wstring();
    }

    // None: back to the screen's own mode, keeping the sizes; three: the
    // user's mode.
    static std::wstring setFullscreenDisplayMode(ProductCall& call, const Arguments& args)
    {
        const wchar_t* const name = L"setFullscreenDisplayMode";
        Skyvane* skyvane = Skyvane::instance();
        if (args.empty()) {
            if (skyvane)
                skyvane->getFullscreenDisplayMode().id = par::FullscreenDisplayMode::DEFAULT;
        } else {
            int width = 0;
            int height = 0;
            int depth = 0;
            if (!FlashHandler::checkArgumentCount(name, args, 3) || !parseInt(call, name, args[0], width)
                || !parseInt(call, name, args[1], height) || !parseInt(call, name, args[2], depth)) {
                call.refused = true;
                return std::wstring();
            }
            if (skyvane)
                skyvane->getFullscreenDisplayMode().set(width, height, depth);
        }
        call.handler.setFullscreenDisplayMode();
        return std::wstring();
    }

    static std::wstring getFullscreenDisplayMode(ProductCall&, const Arguments&)
    {
        par::FullscreenDisplayMode mode;
        if (Skyvane* skyvane = Skyvane::instance())
            mode = skyvane->getFullscreenDisplayMode();
        wchar_t attributes[255];
        swprintf(attributes, std::size(attributes), L"id=\"%ls\" width=\"%d\" height=\"%d\" depth=\"%d\"",
                 mode.id == par::FullscreenDisplayMode::PROVIDED ? L"provided" : L"default", mode.width,
                 mode.height, mode.depth);
        return L"<mode " + std::wstring(attributes) + L"/>";
    }

    static std::wstring getDefaultTrayTextColor(ProductCall&, const Arguments&)
    {
        TrayColors* colors = trayColors();
        return colors ? colorText(colors->getDefaultTextColor()) : std::wstring();
    }

    static std::wstring getDefaultTrayBackground(ProductCall&, const Arguments&)
    {
        TrayColors* colors = trayColors();
        if (!colors)
            return std::wstring();
        const COLORREF background = colors->getDefaultBackground();
        return background == 0 ? L"transparent" : colorText(background);
    }

    static std::wstring getDefaultTrayOutdatedColor(ProductCall&, const Arguments&)
    {
        TrayColors* colors = trayColors();
        return colors ? colorText(colors->getDefaultOutdatedColor()) : std::wstring();
    }

    static std::wstring saveSplashUrl(ProductCall&, const Arguments& args)
    {
        par::ScopedRegKey key;
        const std::wstring path = Skyvane::getRegistryPath();
        if (par::openRegKeyForWrite(key.receive(), HKEY_CURRENT_USER, path) != ERROR_SUCCESS) {
            par::logSevere("Error writing splash url");
            return std::wstring();
        }
        par::writeRegString(key.get(), SPLASH_URL_VALUE, args[0]);
        return std::wstring();
    }

    static std::wstring loadSplashUrl(ProductCall&, const Arguments&)
    {
        std::wstring address;
        par::ScopedRegKey key;
        const std::wstring path = Skyvane::getRegistryPath();
        if (par::openRegKeyForRead(key.receive(), HKEY_CURRENT_USER, path) == ERROR_SUCCESS)
            par::readRegString(key.get(), SPLASH_URL_VALUE, address);
        // Text inside the answer's string element, as the movie sent it.
        return par::escapeXmlText(address);
    }

    static std::wstring detectLocationCoordinates(ProductCall& call, const Arguments& args)
    {
        int timeoutMs = 0;
        if (!parseInt(call, L"detectLocationCoordinates", args[0], timeoutMs))
            return std::wstring();
        return FlashHandler::detectLocationCoordinates(timeoutMs);
    }

private:
    static TrayColors* trayColors()
    {
        Skyvane* skyvane = Skyvane::instance();
        return skyvane ? skyvane->getTrayColors() : nullptr;
    }

    static bool parseBool(ProductCall& call, const wchar_t* name, const std::wstring& text, bool& value)
    {
        call.refused = !FlashHandler::parseBoolArgument(name, text, value);
        return !call.refused;
    }

    static bool parseInt(ProductCall& call, const wchar_t* name, const std::wstring& text, int& value)
    {
        call.refused = !FlashHandler::parseIntArgument(name, text, value);
        return !call.refused;
    }
};

namespace {

using Rule = ArgumentRule;
using Kind = AnswerKind;
using Commands = FlashHandlerCommands;

// In the order of testing.
const MovieCommand<ProductCall> COMMANDS[] = {
    {L"shutdownDone", Rule::NONE_READ, 0, Kind::NONE, Commands::shutdownDone},
    {L"getRole", Rule::NONE_READ, 0, Kind::STRING, Commands::getRole},
    {L"getProjectorId", Rule::NONE_READ, 0, Kind::STRING, Commands::getProjectorId},
    {L"isDebug", Rule::NONE_READ, 0, Kind::STRING, Commands::isDebug},
    {L"isFullscreenMode", Rule::NONE_READ, 0, Kind::STRING, Commands::isFullscreenMode},
    {L"setFullscreenMode", Rule::NONE_READ, 0, Kind::NONE, Commands::setFullscreenMode},
    {L"getFlashLogsXml", Rule::NONE_READ, 0, Kind::STRING, Commands::getFlashLogsXml},
    {L"setRunWithWindows", Rule::EXACTLY, 1, Kind::NONE, Commands::setRunWithWindows},
    {L"isRunWithWindows", Rule::NONE_READ, 0, Kind::STRING, Commands::isRunWithWindows},
    {L"setAsScreensaver", Rule::NONE_READ, 0, Kind::NONE, Commands::setAsScreensaver},
    {L"setFullscreenDisplayMode", Rule::NONE_READ, 0, Kind::NONE, Commands::setFullscreenDisplayMode},
    {L"getFullscreenDisplayMode", Rule::NONE_READ, 0, Kind::STRING, Commands::getFullscreenDisplayMode},
    {L"getDefaultTrayTextColor", Rule::NONE_READ, 0, Kind::STRING, Commands::getDefaultTrayTextColor},
    {L"getDefaultTrayBackground", Rule::NONE_READ, 0, Kind::STRING, Commands::getDefaultTrayBackground},
    {L"getDefaultTrayOutdatedColor", Rule::NONE_READ, 0, Kind::STRING, Commands::getDefaultTrayOutdatedColor},
    {L"saveSplashUrl", Rule::EXACTLY, 1, Kind::NONE, Commands::saveSplashUrl},
    {L"loadSplashUrl", Rule::NONE_READ, 0, Kind::STRING, Commands::loadSplashUrl},
    {L"detectLocationCoordinates", Rule::EXACTLY, 1, Kind::STRING, Commands::detectLocationCoordinates},
};
static_assert(std::size(COMMANDS) == 18, "the movie knows 18 product commands");

} // namespace

void FlashHandler::notifySwfWindowCreated(SwfWindow* swf)
{
    onSwfWindowCreated(swf);
}

void FlashHandler::notifyFlashNotResponding()
{
    par::logInfo("Flash did not responded within 10 seconds, it maybe an infinite loop or a time "
                 "consuming operation.");
    onFlashNotResponding();
}

void FlashHandler::handleFsCommand(const std::wstring& command, const std::wstring&)
{
    if (command == L"quorReady")
        onMovieReady();
}

std::wstring FlashHandler::handleExternalCall(const std::wstring& name, const std::vector<std::wstring>& args)
{
    ProductCall call{*this};
    std::wstring answer;
    swfWindow::runMovieCommand(COMMANDS, call, name, args, answer);
    return call.refused ? std::wstring() : answer;
}

bool FlashHandler::checkArgumentCount(const std::wstring& name, const std::vector<std::wstring>& args,
                                      std::size_t count)
{
    if (args.size() == count)
        return true;
    logCountFailure(name);
    return false;
}

bool FlashHandler::parseBoolArgument(const std::wstring& name, const std::wstring& text, bool& value)
{
    if (par::parseBool(text, value))
        return true;
    logParseFailure(name, text);
    return false;
}

bool FlashHandler::parseIntArgument(const std::wstring& name, const std::wstring& text, int& value)
{
    if (par::parseInt(text, value))
        return true;
    logParseFailure(name, text);
    return false;
}

std::wstring FlashHandler::detectLocationCoordinates(int timeoutMs)
{
    const location::Fix fix = location::detectLocation(timeoutMs);
    switch (fix.outcome) {
    case location::Fix::SUCCESS: {
        wchar_t attributes[255];
        swprintf(attributes, std::size(attributes), L"latitude=\"%f\" longitude=\"%f\"", fix.latitude,
                 fix.longitude);
        return L"<result " + std::wstring(attributes) + L" />";
    }
    case location::Fix::ACCESS_DENIED:
        return L"<error id=\"access denied\"/>";
    case location::Fix::TIMEOUT:
        return L"<error id=\"timeout\"/>";
    case location::Fix::INTERNAL:
        break;
    }
    return L"<error id=\"internal\"/>";
}
