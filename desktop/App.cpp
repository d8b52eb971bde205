#include "desktop/App.h"

#include "desktop/AppController.h"
#include "desktop/AppPipeServerHandler.h"
#include "desktop/AppSkyvane.h"
#include "desktop/AppWindow.h"
#include "desktop/CommandLineOutputDialog.h"
#include "resources/desktop/resource.h"

#include "product/FlashHost.h"

#include "swfwindow/SwfWindow.h"

#include "ipc/PipeClient.h"
#include "ipc/PipeServer.h"
#include "util/Log.h"
#include "util/LogManager.h"
#include "util/RegistryUtil.h"
#include "util/StringUtil.h"
#include "util/SystemUtil.h"
#include "util/XmlUtil.h"
#include "winui/FullscreenWindow.h"

#include <wininet.h>

#include <cstdio>

const std::string App::START_STATE_NORMAL = "normal";
const std::string App::START_STATE_MINIMIZE_TO_TRAY = "minimizeToTray";
const std::wstring App::MODE_APP = L"app";
const std::wstring App::MODE_SCREEN_SAVER = L"screenSaver";
const std::wstring App::MODE_SCREEN_SAVER_CONFIG = L"screenSaverConfig";
const std::wstring App::MODE_COMMAND_LINE_NOTE = L"commandLineNote";

namespace {

const wchar_t* const DEBUG_SETTINGS_FILE = L"data\\projector.xml";
const char* const MAIN_WINDOW_CLASS = "par.QuorMain";
const char* const MUTEX_NAME = "par.window.app";
const char* const PIPE_NAME = "\\\\.\\pipe\\par\\quor\\app";
const wchar_t* const FULLSCREEN_MODE_VALUE = L"isFullscreenMode";

// What the running instance answered to "activate"; kept, never read.
std::string theActivateAnswer;

App::ConnectedStateQuery theConnectedStateQuery = InternetGetConnectedStateExA;

std::string secondsSince(clock_t start)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", static_cast<double>(clock() - start) / 1000.0);
    return text;
}

bool readFlag(const IXMLDOMNodePtr& element, const char* name)
{
    return par::getXmlAttribute(element, name) == "true";
}

} // namespace

App::App(HINSTANCE instance, HINSTANCE previousInstance, const wchar_t* commandLine, int showCommand)
    : par::UiApplication(instance, previousInstance, commandLine, showCommand),
      myMode(MODE_APP),
      myStartState(START_STATE_NORMAL)
{
    setName(L"Skyvane");
    myStandalone = par::fileExists(getApplicationDirPath() + L"\\standalone.flg");
    loadShutdownBlockApi();
    registerWindowClass(MAIN_WINDOW_CLASS);
    readDebugSettings();
    myCommandLineNote = parseCommandLine(getCommandLine());
    if (myMode == MODE_SCREEN_SAVER && myStandalone)
        myDebug = true;
    if (!myCommandLineNote.empty()) {
        myMode = MODE_COMMAND_LINE_NOTE;
        loadAccelerators(IDR_DIALOG_ACCELERATORS);
        setDialogApplication(true);
        return;
    }
    std::string mutexName = MUTEX_NAME;
    if (isScreenSaverMode())
        mutexName += "-saver";
    myMutex.reset(CreateMutexA(nullptr, FALSE, mutexName.c_str()));
    // An abandoned mutex is ours as well: its last owner ended without a word.
    const DWORD wait = WaitForSingleObject(myMutex.get(), 0);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED && !myNewInstance) {
        myMutex.reset();
        activateRunningInstance();
        return;
    }
    constructPrimary();
    myPrimary = true;
}

App::~App()
{
    if (myMode != MODE_COMMAND_LINE_NOTE && myPrimary) {
        if (myMutex.get())
            ReleaseMutex(myMutex.get());
        myMutex.reset();
        myAppController.reset();
        // The server's thread stops before its handler goes.
        myPipeServer.reset();
        myPipeServerHandler.reset();
    }
}

App* App::getInstance()
{
    return dynamic_cast<App*>(par::Application::instance());
}

FlashHost* App::getFlashHost() const
{
    return mySkyvane ? mySkyvane->getFlashHost() : nullptr;
}

AppWindow* App::getMainWindow() const
{
    return dynamic_cast<AppWindow*>(par::UiApplication::getMainWindow());
}

BOOL App::shutdownBlockReasonCreate(HWND window, const wchar_t* reason) const
{
    return hasShutdownBlockApi() && myShutdownBlockReasonCreate(window, reason);
}

BOOL App::shutdownBlockReasonDestroy(HWND window) const
{
    return hasShutdownBlockApi() && myShutdownBlockReasonDestroy(window);
}

void App::loadShutdownBlockApi()
{
    if (!par::isVistaOrLater())
        return;
    HMODULE user32 = LoadLibraryExA("user32.dll", nullptr, 0);
    if (!user32) {
        par::logSevere("LoadLibrary('user32.dll'), This really shouldn't have happened");
        return;
    }
    myShutdownBlockReasonCreate = reinterpret_cast<ShutdownBlockReasonCreateFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(user32, "ShutdownBlockReasonCreate")));
    if (!myShutdownBlockReasonCreate)
        par::logSevere("GetProcAddress('ShutdownBlockReasonCreate')\nFailed to load Vista specific function");
    myShutdownBlockReasonDestroy = reinterpret_cast<ShutdownBlockReasonDestroyFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(user32, "ShutdownBlockReasonDestroy")));
    if (!myShutdownBlockReasonDestroy)
        par::logSevere("GetProcAddress('ShutdownBlockReasonDestroy')\nFailed to load Vista specific function");
}

void App::readDebugSettings()
{
    // Mostly absent: then MSXML is not woken for it at every start.
    const std::wstring path = getApplicationDirPath() + L"\\" + DEBUG_SETTINGS_FILE;
    if (!par::fileExists(path))
        return;
    try {
        IXMLDOMDocument2Ptr document = par::createXmlDocument();
        VARIANT_BOOL loaded = VARIANT_FALSE;
        if (FAILED(document->load(_variant_t(path.c_str()), &loaded)) || loaded != VARIANT_TRUE)
            return;
        IXMLDOMNode* found = nullptr;
        if (document->selectSingleNode(_bstr_t(L"//debug"), &found) != S_OK || !found)
            return;
        const IXMLDOMNodePtr debug(found, false);
        myDebug = readFlag(debug, "enabled");
        myLogToConsole = readFlag(debug, "logToConsole");
        myLogToFile = readFlag(debug, "logToFile");
        myInfiniteLoopHunt = readFlag(debug, "infiniteLoopHunt");
        myOpenConsoleOnSevere = readFlag(debug, "openConsoleOnSevere");
    } catch (const _com_error& error) {
        par::logSevere("App::readDebugSettings(), the debug settings are not read, hr="
                       + par::toHexString(static_cast<int>(error.Error())));
    }
}

void App::constructPrimary()
{
    mySkyvane.reset(new AppSkyvane());
    setRegistryKeyPath(Skyvane::getRegistryPath());
    loadFullscreenSettings();
    openLogs();
    myStartTime = clock();

    std::string pipeName = PIPE_NAME;
    if (myMode == MODE_SCREEN_SAVER)
        pipeName += "-saver";
    else if (myMode == MODE_SCREEN_SAVER_CONFIG)
        pipeName += "-saverConfig";
    myPipeServer.reset(new par::PipeServer(pipeName));
    myPipeServerHandler.reset(new AppPipeServerHandler());
    myPipeServer->setHandler(myPipeServerHandler.get());
    myPipeServer->start();

    myAppController.reset(new AppController());
    loadAccelerators(IDR_ACCELERATORS);
    // Before the movie exists: it may fetch from its first frame on.
    fixOfflineMode();
    logStartup("App.constructor() END");
    getProgramShortcut()->setName("Skyvane.lnk");
    getProgramShortcut()->setArguments("-mt");
}

void App::openLogs()
{
    const bool console = myDebug || myLogToConsole;
    const bool file = myDebug || myLogToFile;
    if (!console && !file)
        return;
    par::LogManager& logs = par::LogManager::instance();
    if (console)
        logs.openConsole();
    if (file) {
        std::wstring folder = getApplicationDirPath();
        const std::wstring suffix = L"product";
        if (folder.size() < suffix.size() || folder.compare(folder.size() - suffix.size(), suffix.size(), suffix) != 0) {
            folder = getApplicationDataPath();
            CreateDirectoryW(folder.c_str(), nullptr);
        }
        myLogStream = logs.openLogFile(folder + L"\\log.txt");
    }
    par::getLog("")->setDisplayName(true);
    par::getLog("swfWindow")->setLevel(par::Log::LEVEL_OFF);
    par::getLog("liveTraces")->setLevel(par::Log::LEVEL_DEBUG);
    par::getLog("app")->setDisplayName(false);
    // Their lines are written at debug level: the timings are what they are for.
    par::getLog("startup")->setLevel(par::Log::LEVEL_DEBUG);
    par::getLog("shutdown")->setLevel(par::Log::LEVEL_DEBUG);
}

void App::setConnectedStateQuery(ConnectedStateQuery query)
{
    theConnectedStateQuery = query;
}

void App::fixOfflineMode()
{
    DWORD flags = 0;
    theConnectedStateQuery(&flags, nullptr, 0, 0);
    if (!(flags & INTERNET_CONNECTION_OFFLINE))
        return;
    INTERNET_CONNECTED_INFO info = {INTERNET_STATE_CONNECTED, 0};
    InternetSetOptionA(nullptr, INTERNET_OPTION_CONNECTED_STATE, &info, sizeof info);
}

void App::logStartup(const std::string& text)
{
    par::getLog("startup")->debug(text + ": " + secondsSince(myStartTime));
}

void App::activateRunningInstance()
{
    if (HWND running = FindWindowA(MAIN_WINDOW_CLASS, nullptr)) {
        DWORD process = 0;
        GetWindowThreadProcessId(running, &process);
        AllowSetForegroundWindow(process);
    }
    auto client = std::make_unique<par::PipeClient>(PIPE_NAME);
    client->start();
    if (client->connect(true, INFINITE))
        client->sendRequest("activate", INFINITE, theActivateAnswer);
}

bool App::onInit()
{
    if (myMode == MODE_COMMAND_LINE_NOTE)
        return true;
    if (!myPrimary)
        return false;
    initInstance();
    return true;
}

void App::initInstance()
{
    logStartup("App.init()");
    logStartup("createControls");
    AppWindow* window = getMainWindow();
    window->createControls();
    logStartup("AppController.init()");
    myAppController->init();
    window->placeFlashHost(mySkyvane->createFlashHost(window->getContentHost()));
    showFirstTime();
    if (myMode == MODE_SCREEN_SAVER) {
        par::Window* shown = myFullscreen ? static_cast<par::Window*>(window->getFullscreenWindow()) : window;
        if (GetForegroundWindow() != shown->getHandle()) {
            quit();
            return;
        }
    }
    logStartup("C++ startup END");
}

void App::shutdown()
{
    const clock_t start = clock();
    myAppController->shutdown();
    // Before the facade goes: it keeps the display mode.
    saveFullscreenSettings();
    mySkyvane.reset();
    par::UiApplication::onExit();
    par::getLog("shutdown")->debug("Shutdown END: " + secondsSince(start));
}

void App::onExit()
{
    if (myMode != MODE_COMMAND_LINE_NOTE && myPrimary)
        shutdown();
}

par::Window* App::createMainWindow()
{
    if (myMode == MODE_COMMAND_LINE_NOTE) {
        auto* dialog = new CommandLineOutputDialog(IDD_COMMAND_LINE_OUTPUT);
        dialog->setNote(myCommandLineNote);
        return dialog;
    }
    return new AppWindow();
}

LRESULT App::handleMainWindowEvent(UINT message, WPARAM wParam, LPARAM lParam)
{
    return par::UiApplication::handleMainWindowEvent(message, wParam, lParam);
}

void App::requestExit()
{
    if (myMode == MODE_COMMAND_LINE_NOTE || !mySkyvane)
        quit();
    else
        mySkyvane->exit();
}

bool App::preTranslateMessage(MSG* msg)
{
    if (myMode == MODE_COMMAND_LINE_NOTE)
        return par::UiApplication::preTranslateMessage(msg);
    if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) {
        SwfWindow* swf = mySkyvane ? mySkyvane->getSwfWindow() : nullptr;
        if (!swf && isScreenSaverMode())
            requestExit();
        else if (msg->wParam == VK_ESCAPE && (!swf || !swf->isParProgram()))
            requestExit();
    }
    if ((msg->message == WM_SYSKEYDOWN || msg->message == WM_SYSKEYUP) && msg->wParam == VK_MENU) {
        PostMessageA(GetFocus(), msg->message == WM_SYSKEYDOWN ? WM_KEYDOWN : WM_KEYUP, msg->wParam,
                     msg->lParam);
        return true;
    }
    return par::UiApplication::preTranslateMessage(msg);
}

void App::loadFullscreenSettings()
{
    par::ScopedRegKey key;
    if (par::openRegKeyForRead(key.receive(), getRegistryRoot(), getRegistryKeyPath()) == ERROR_SUCCESS) {
        DWORD value = 0;
        myFullscreen = par::readRegDword(key.get(), FULLSCREEN_MODE_VALUE, &value) == ERROR_SUCCESS && value == 1;
    }
    mySkyvane->loadFullscreenDisplayMode();
}

void App::saveFullscreenSettings()
{
    if (myMode == MODE_SCREEN_SAVER || !mySkyvane)
        return;
    par::ScopedRegKey key;
    if (par::openRegKeyForWrite(key.receive(), getRegistryRoot(), getRegistryKeyPath()) != ERROR_SUCCESS)
        return;
    if (myMode == MODE_APP)
        par::writeRegDword(key.get(), FULLSCREEN_MODE_VALUE, myFullscreen ? 1 : 0);
    // The facade writes its subkey "fullscreenDisplayMode" itself.
    mySkyvane->saveFullscreenDisplayMode();
}

void App::showFirstTime()
{
    // The saved fullscreen flag was read with the settings.
    if (!myDebug && isScreenSaverMode())
        myFullscreen = true;
    myOpen = true;
    if (myStartState == START_STATE_MINIMIZE_TO_TRAY) {
        myOpen = false;
        myFullscreen = false;
    }
    if (!myOpen) {
        myAppController->startWorkingSetTrim(AppController::TRIM_DELAY_MS);
        return;
    }
    if (myFullscreen)
        myAppController->setFullscreen(true, true);
    else
        getMainWindow()->setVisible(true, true);
    if (FlashHost* flashHost = getFlashHost())
        flashHost->setFocus();
}
