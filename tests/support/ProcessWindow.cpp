#include "ProcessWindow.h"

#include <cstring>

namespace test {

namespace {

struct WindowSearch {
    DWORD processId;
    const char* className;
    const char* title;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    char text[256] = "";
    if (processId != search->processId || !GetClassNameA(window, text, sizeof text)
        || std::strcmp(text, search->className) != 0)
        return TRUE;
    GetWindowTextA(window, text, sizeof text);
    if (search->title && std::strcmp(text, search->title) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

HWND findProcessWindow(DWORD processId, const char* className, const char* title)
{
    WindowSearch search = {processId, className, title, nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace test
