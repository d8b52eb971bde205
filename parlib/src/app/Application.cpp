#include "app/Application.h"

#include "thread/PostedRunnables.h"
#include "thread/Runnable.h"
#include "util/Log.h"
#include "util/Scoped.h"
#include "winui/Window.h"

#include <shlobj.h>

#include <atomic>
#include <stdexcept>

namespace par {

namespace {

// Read by other threads: asyncExec must not touch the application object.
std::atomic<Application*> theApplication{nullptr};
std::atomic<DWORD> theUiThreadId{0};
std::atomic<HWND> theUiQueueWindow{nullptr};

bool handOffFailed()
{
    getLog("parlib.winui.Application")->debug("::PostMessage(WM_ASYNC_EXEC) failed.");
    return false;
}

// Never destroyed: static objects of a program may ask for it after main.
std::wstring& applicationDirPath()
{
    static auto* path = new std::wstring;
    return *path;
}

std::wstring folderPath(int folder)
{
    ScopedCoTaskMemory<ITEMIDLIST> list;
    if (FAILED(SHGetFolderLocation(nullptr, folder, nullptr, 0, list.receive())))
        return std::wstring();
    wchar_t path[MAX_PATH] = L"";
    return SHGetPathFromIDListW(list.get(), path) ? path : std::wstring();
}

} // namespace

Application::Application(HINSTANCE instance, HINSTANCE previousInstance, const wchar_t* commandLine,
                         int showCommand)
    : myInstance(instance),
      myPreviousInstance(previousInstance),
      myCommandLine(commandLine ? commandLine : L""),
      myShowCommand(showCommand),
      myUiThreadId(GetCurrentThreadId()),
      myUiThread(GetCurrentThread())
{
    Application* none = nullptr;
    if (!theApplication.compare_exchange_strong(none, this))
        throw "Attempt to create Application for the second time.";
    theUiThreadId = myUiThreadId;
    myUiQueue = std::make_unique<UiThreadQueue>();
    theUiQueueWindow = myUiQueue->getHandle();
    // Makes sure the thread has its queue, so that work handed over before
    // the loop starts is not refused.
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    registerWindowClass("ParDefaultWindowClass");
}

Application::~Application()
{
    theUiQueueWindow = nullptr;
    theUiThreadId = 0;
    // What is still queued is deleted, never run.
    myUiQueue.reset();
    theApplication = nullptr;
}

bool Application::init()
{
    return onInit();
}

void Application::exit()
{
    onExit();
}

bool Application::preTranslateMessage(MSG*)
{
    return false;
}

Application* Application::instance()
{
    return theApplication;
}

void Application::registerWindowClass(const std::string& className)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = Window::defaultWindowProc;
    windowClass.hInstance = myInstance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = className.c_str();
    RegisterClassExA(&windowClass);
}

int Application::run()
{
    if (!init())
        return 0;
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            myQuitting = true;
            exit();
            return got == 0 ? static_cast<int>(msg.wParam) : -1;
        }
        // Whichever window it is addressed to, and never translated or dispatched.
        if (msg.message == WM_ASYNC_EXEC) {
            PostedRunnables::run(reinterpret_cast<Runnable*>(msg.lParam));
            continue;
        }
        if (preTranslateMessage(&msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool Application::asyncExec(Runnable* runnable)
{
    return PostedRunnables::postToThread(theUiThreadId, runnable) || handOffFailed();
}

bool Application::handOff(Runnable* runnable)
{
    return PostedRunnables::post(theUiQueueWindow, runnable) || handOffFailed();
}

HINSTANCE Application::getInstanceHandle()
{
    Application* application = theApplication;
    return application ? application->myInstance : GetModuleHandleA(nullptr);
}

FontManager* Application::getFontManager()
{
    Application* application = theApplication;
    return application ? &application->myFontManager : nullptr;
}

ProgramShortcut* Application::getProgramShortcut()
{
    Application* application = theApplication;
    return application ? &application->myProgramShortcut : nullptr;
}

std::string Application::loadString(UINT id)
{
    static char buffer[1024];
    const int length = LoadStringA(getInstanceHandle(), id, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

std::wstring Application::getExecutablePath()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        throw std::runtime_error("::GetModuleFileName() failed while looking for Application path.");
    return std::wstring(path, length);
}

std::wstring Application::getApplicationDirPath()
{
    std::wstring& kept = applicationDirPath();
    if (kept.empty()) {
        const std::wstring path = getExecutablePath();
        const std::size_t slash = path.rfind(L'\\');
        kept = slash == std::wstring::npos ? path : path.substr(0, slash);
    }
    return kept;
}

void Application::setApplicationDirPath(const std::wstring& path)
{
    applicationDirPath() = path;
}

std::wstring Application::getSystemDataPath()
{
    return folderPath(CSIDL_APPDATA);
}

std::wstring Application::getCommonDataPath()
{
    return folderPath(CSIDL_COMMON_APPDATA);
}

std::wstring Application::getApplicationDataPath() const
{
    return myName.empty() ? std::wstring() : getSystemDataPath() + L"\\" + myName;
}

std::wstring Application::getApplicationCommonDataPath() const
{
    return myName.empty() ? std::wstring() : getCommonDataPath() + L"\\" + myName;
}

void Application::logInfo(const std::string& text)
{
    par::logInfo(text);
}

void Application::logSevere(const std::string& text)
{
    par::logSevere(text);
}

} // namespace par
