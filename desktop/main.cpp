#include "desktop/App.h"

#include <gdiplus.h>
#include <objbase.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previousInstance, PWSTR commandLine, int showCommand)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    Gdiplus::GdiplusStartupInput gdiplusInput;
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);
    int exitCode = 0;
    {
        App app(instance, previousInstance, commandLine, showCommand);
        exitCode = app.run();
        Gdiplus::GdiplusShutdown(gdiplusToken);
        CoUninitialize();
    }
    return exitCode;
}
