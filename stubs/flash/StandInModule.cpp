#include "StandInModule.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace standin {

namespace {

LONG theReferences = 0;
// The names are literals of this module.
const wchar_t* theClassNames[4] = {};

} // namespace

HINSTANCE moduleHandle()
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

bool registerWindowClass(const wchar_t* name, WNDPROC procedure)
{
    WNDCLASSEXW windowClass = {};
    if (GetClassInfoExW(moduleHandle(), name, &windowClass))
        return true;
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = moduleHandle();
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = name;
    if (!RegisterClassExW(&windowClass))
        return false;
    for (const wchar_t*& slot : theClassNames) {
        if (!slot) {
            slot = name;
            break;
        }
    }
    return true;
}

void unregisterWindowClasses()
{
    for (const wchar_t*& name : theClassNames) {
        if (name)
            UnregisterClassW(name, moduleHandle());
        name = nullptr;
    }
}

void addModuleReference()
{
    InterlockedIncrement(&theReferences);
}

void releaseModuleReference()
{
    InterlockedDecrement(&theReferences);
}

bool isModuleInUse()
{
    return theReferences != 0;
}

} // namespace standin
