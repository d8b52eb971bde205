#include "saver/SaverController.h"

#include "saver/MainAppConnection.h"
#include "saver/SaverHackApp.h"
#include "saver/SaverResources.h"
#include "saver/SaverSkyvane.h"
#include "saver/screensaver/ScreenSaver.h"

#include "product/FlashHost.h"

#include "swfwindow/ComDiagnostics.h"
#include "swfwindow/SwfWindow.h"

#include "util/Log.h"
#include "util/RegistryUtil.h"
#include "winui/CustomWindow.h"
#include "winui/DisplayModeManage.h"

#include <objbase.h>

const wchar_t* const SaverController::MODE_SCREEN_SAVER = L"screenSaver";
const wchar_t* const SaverController::MODE_SCREEN_SAVER_CONFIG = L"screenSaverConfig";

namespace {

constexpr int PREVIEW_WIDTH = 152;
constexpr int PREVIEW_HEIGHT = 114;
const wchar_t* const APP_FILE_NAME = L"skyvane.exe";
const wchar_t* const INSTALL_FOLDER_VALUE = L"installFolder";

std::wstring readInstallFolder(const std::wstring& keyPath)
{
    par::ScopedRegKey key;
    std::wstring folder;
    if (par::openRegKeyForRead(key.receive(), HKEY_LOCAL_MACHINE, keyPath) == ERROR_SUCCESS)
        par::readRegString(key.get(), INSTALL_FOLDER_VALUE, folder);
    return folder;
}

// The development installation wins over the product's.
std::wstring findInstallFolder()
{
    const std::wstring folder = readInstallFolder(Skyvane::DEVELOPMENT_REGISTRY_PATH);
    return folder.empty() ? readInstallFolder(Skyvane::REGISTRY_PATH) : folder;
}

bool isUserInput(UINT message)
{
    switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_MOUSEMOVE:
        return true;
    default:
        return false;
    }
}

// The configure dialog hides itself: closing the window that the user sees
// closes the dialog, which resumes and saves, instead of leaving the program
// running unseen.
class DialogCloser : public par::Window::WindowEventDispatcher {
public:
    LRESULT dispatch(par::Window*, UINT message, WPARAM, LPARAM) override
    {
        if (message != WM_CLOSE)
            return 0;
        SaverController::instance().close();
        return 1;
    }
};

} // namespace

SaverController& SaverController::instance()
{
    // Made on the first callback, after every static object of the program,
    // so that it is gone before any of them at exit.
    static SaverController controller;
    return controller;
}

SaverController::SaverController() : myMode(MODE_SCREEN_SAVER)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    myConnection.reset(new MainAppConnection(this));
    myInstallFolder = findInstallFolder();
    if (!myInstallFolder.empty())
        myAppPath = myInstallFolder + L"\\" + APP_FILE_NAME;
    if (myAppPath.empty())
        par::logSevere("Application not found...");
}

SaverController::~SaverController()
{
    myPreviewBitmap.reset();
    myIcon.reset();
    // The facade goes first: it takes its flash host out of the content
    // window, which the application deletes, and stops the movie's monitor.
    mySkyvane.reset();
    myApplication.reset();
    myConnection.reset();
    CoUninitialize();
}

LRESULT SaverController::handleSaverMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (isUserInput(message)) {
        // The movie decides when to end; before it starts, input ends the
        // saver. The system's own move as the window appears is no input.
        if (message != WM_MOUSEMOVE || hasMouseMovedAway(lParam))
            myInputSeen = true;
        return 0;
    }
    switch (message) {
    case WM_CREATE:
        onCreate(window);
        break;
    case WM_START_SAVER:
        startSaver();
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (fChildPreview)
            paintPreview(dc);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ACTIVATEAPP:
        if (wParam)
            break;
        if (mySkyvane)
            close();
        else
            myInputSeen = true;
        return 0;
    case WM_DESTROY:
        myConnection->resume();
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefScreenSaverProc(window, message, wParam, lParam);
}

INT_PTR SaverController::handleDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: {
        myMode = MODE_SCREEN_SAVER_CONFIG;
        myWindow = dialog;
        // The application registers the window class first.
        createApplication();
        setContentWindow(new par::CustomWindow(0, 0, "ParDefaultWindowClass"));
        myContentWindow->addWindowEventDispatcher(new DialogCloser(), true);
        myContentWindow->setVisible(true, true);
        PostMessageA(dialog, WM_START_SAVER, 0, 0);
        return TRUE;
    }
    case WM_START_SAVER:
        if (!myAppPath.empty() && !myInputSeen)
            startMovie();
        else
            close();
        return TRUE;
    case WM_WINDOWPOSCHANGED:
        // Only the content window is seen.
        if (IsWindowVisible(dialog))
            ShowWindow(dialog, SW_HIDE);
        return TRUE;
    case WM_ACTIVATEAPP:
        if (SwfWindow* swf = mySkyvane ? mySkyvane->getSwfWindow() : nullptr) {
            try {
                swf->setVariable("active", wParam == TRUE ? "true" : "false");
            } catch (const _com_error& error) {
                par::logSevere("SaverController::handleDialogMessage(), \"active\" not set\n"
                               + swfWindow::comErrorText(error));
            }
        }
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam) == IDOK);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        myConnection->resume();
        saveSettings();
        // The dialog's default handling goes on to IDCANCEL.
        return FALSE;
    default:
        return FALSE;
    }
}

void SaverController::close()
{
    if (myWindow)
        PostMessageA(myWindow, WM_CLOSE, 0, 0);
}

void SaverController::applyFullscreenDisplayMode()
{
    if (mySkyvane)
        par::DisplayModeManage::getInstance()->apply(mySkyvane->getFullscreenDisplayMode());
}

bool SaverController::hasInputArrived()
{
    MSG msg;
    while (myWindow && PeekMessageA(&msg, myWindow, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE))
        DispatchMessageA(&msg);
    for (UINT input : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN})
        while (myWindow && PeekMessageA(&msg, myWindow, input, input, PM_REMOVE))
            DispatchMessageA(&msg);
    return myInputSeen;
}

void SaverController::resumeMainApp(DWORD timeoutMs)
{
    myConnection->resume(timeoutMs);
}

void SaverController::onCreate(HWND window)
{
    myPreviewBitmap.reset(static_cast<HBITMAP>(
        LoadImageA(hMainInstance, MAKEINTRESOURCEA(IDB_SAVER_PREVIEW), IMAGE_BITMAP, 0, 0, 0)));
    myIcon.reset(LoadIconA(hMainInstance, MAKEINTRESOURCEA(IDI_SAVER)));
    myWindow = window;
    if (fChildPreview)
        return;
    myMode = MODE_SCREEN_SAVER;
    createApplication();
    setContentWindow(new par::CustomWindow(window));
    PostMessageA(window, WM_START_SAVER, 0, 0);
}

void SaverController::startSaver()
{
    if (myAppPath.empty()) {
        par::logSevere("myAppPath missing");
        close();
        return;
    }
    if (myInputSeen) {
        close();
        return;
    }
    if (HDC dc = GetDC(myWindow)) {
        paintPreview(dc);
        ReleaseDC(myWindow, dc);
    }
    startMovie();
}

void SaverController::startMovie()
{
    myConnection->suspend();
    // The saver closes: the user came back while the desktop program was asked.
    if (myInputSeen)
        return;
    mySkyvane.reset(new SaverSkyvane());
    loadSettings();
    applyFullscreenDisplayMode();
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    myContentWindow->setVisible(true, true);
    myContentWindow->setBounds(0, 0, width, height);
    FlashHost* host = mySkyvane->createFlashHost(myContentWindow);
    host->setVisible(true, false);
    host->setBounds(0, 0, width, height);
    host->setFocus();
}

void SaverController::paintPreview(HDC dc)
{
    if (!myPreviewBitmap)
        return;
    HDC memory = CreateCompatibleDC(dc);
    if (!memory)
        return;
    {
        par::SelectedObject selected(memory, myPreviewBitmap.get());
        BitBlt(dc, 0, 0, PREVIEW_WIDTH, PREVIEW_HEIGHT, memory, 0, 0, SRCCOPY);
    }
    DeleteDC(memory);
}

void SaverController::createApplication()
{
    myApplication.reset(new SaverHackApp(hMainInstance, myInstallFolder));
}

void SaverController::setContentWindow(par::CustomWindow* window)
{
    window->setBackgroundColor(RGB(0, 0, 0));
    myContentWindow = window;
    myApplication->setContentWindow(window);
}

void SaverController::loadSettings()
{
    myApplication->setRegistryKeyPath(Skyvane::getRegistryPath());
    par::ScopedRegKey key;
    if (par::openRegKeyForRead(key.receive(), myApplication->getRegistryRoot(),
                               myApplication->getRegistryKeyPath())
        == ERROR_SUCCESS)
        mySkyvane->loadFullscreenDisplayMode();
}

void SaverController::saveSettings()
{
    if (!mySkyvane || !myApplication)
        return;
    par::ScopedRegKey key;
    if (par::openRegKeyForWrite(key.receive(), myApplication->getRegistryRoot(),
                                myApplication->getRegistryKeyPath())
        == ERROR_SUCCESS)
        mySkyvane->saveFullscreenDisplayMode();
}
