#include "saver/screensaver/ScreenSaver.h"

#include <cstdlib>

HINSTANCE hMainInstance = nullptr;
HWND hMainWindow = nullptr;
BOOL fChildPreview = FALSE;

namespace {

const char* const WINDOW_CLASS = "WindowsScreenSaverClass";
// How far the mouse may drift before it counts as the user's.
constexpr int MOUSE_SLACK = 4;

// Where the mouse was as the saver started; the full-screen window's client
// coordinates are the screen's.
POINT theStartingCursor;

enum class Command { FULL_SCREEN, PREVIEW, CONFIGURE, PASSWORD };

struct CommandLine {
    Command command = Command::CONFIGURE;
    HWND window = nullptr;
};

const char* skipBlanks(const char* text)
{
    while (*text == ' ' || *text == '\t')
        ++text;
    return text;
}

HWND parseWindow(const char* text)
{
    text = skipBlanks(text);
    if (*text == ':')
        text = skipBlanks(text + 1);
    // A handle is given as a decimal number.
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(text, nullptr, 10)));
}

// "/s" or "-S", "/p <hwnd>", "/l <hwnd>", "/c", "/c:<hwnd>", "/a"; no
// argument at all (as the shell's "install" verb starts us) configures.
CommandLine parseCommandLine(const char* text)
{
    CommandLine parsed;
    text = skipBlanks(text ? text : "");
    if (*text == '/' || *text == '-')
        ++text;
    switch (*text) {
    case 's': case 'S':
        parsed.command = Command::FULL_SCREEN;
        break;
    case 'p': case 'P': case 'l': case 'L':
        parsed.command = Command::PREVIEW;
        parsed.window = parseWindow(text + 1);
        break;
    case 'a': case 'A':
        parsed.command = Command::PASSWORD;
        break;
    case 'c': case 'C':
        parsed.window = parseWindow(text + 1);
        break;
    default:
        break;
    }
    return parsed;
}

bool registerSaverClass(HINSTANCE instance)
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = ScreenSaverProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = nullptr;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = WINDOW_CLASS;
    return RegisterClassA(&windowClass) != 0;
}

int runSaverWindow(HINSTANCE instance, HWND parent)
{
    if (!registerSaverClass(instance))
        return 0;
    HWND window = nullptr;
    if (parent) {
        RECT client;
        if (!GetClientRect(parent, &client))
            return 0;
        fChildPreview = TRUE;
        window = CreateWindowExA(0, WINDOW_CLASS, "Preview", WS_CHILD | WS_VISIBLE, 0, 0,
                                 client.right - client.left, client.bottom - client.top, parent,
                                 nullptr, instance, nullptr);
    } else {
        fChildPreview = FALSE;
        GetCursorPos(&theStartingCursor);
        window = CreateWindowExA(WS_EX_TOPMOST, WINDOW_CLASS, "Screen saver", WS_POPUP | WS_VISIBLE,
                                 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                 nullptr, nullptr, instance, nullptr);
    }
    if (!window)
        return 0;
    hMainWindow = window;
    // A loop that fails at once ends with 0.
    MSG msg = {};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

} // namespace

bool hasMouseMovedAway(LPARAM lParam)
{
    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
    return std::abs(x - theStartingCursor.x) > MOUSE_SLACK
        || std::abs(y - theStartingCursor.y) > MOUSE_SLACK;
}

LRESULT WINAPI DefScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (fChildPreview)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return TRUE;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_CLOSE)
            return 0;
        break;
    case WM_MOUSEMOVE:
        if (hasMouseMovedAway(lParam))
            PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    hMainInstance = instance;
    const CommandLine parsed = parseCommandLine(commandLine);
    switch (parsed.command) {
    case Command::PASSWORD:
        // No password handling.
        return 0;
    case Command::CONFIGURE:
        if (!RegisterDialogClasses(instance))
            return 0;
        DialogBoxParamA(instance, MAKEINTRESOURCEA(DLG_SCRNSAVECONFIGURE), parsed.window,
                        ScreenSaverConfigureDialog, 0);
        return 0;
    case Command::PREVIEW:
        // Without a window to draw into there is nothing to preview.
        if (!parsed.window || !IsWindow(parsed.window))
            return 0;
        return runSaverWindow(instance, parsed.window);
    case Command::FULL_SCREEN:
        break;
    }
    return runSaverWindow(instance, nullptr);
}
