#include "product/ScreenSaverInstallation.h"

#include "util/Scoped.h"

#include <shlobj.h>
#include <shellapi.h>

ScreenSaverInstallation::Launcher ScreenSaverInstallation::ourLauncher =
    ScreenSaverInstallation::shellExecute;

void ScreenSaverInstallation::install()
{
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExW(&version);
    const std::wstring path = screenSaverPath(version.dwMajorVersion);
    if (!path.empty())
        ourLauncher(L"install", path);
}

std::wstring ScreenSaverInstallation::screenSaverPath(DWORD majorVersion)
{
    par::ScopedCoTaskMemory<ITEMIDLIST> items;
    if (FAILED(SHGetFolderLocation(nullptr, majorVersion == 5 ? CSIDL_SYSTEM : CSIDL_WINDOWS, nullptr, 0,
                                   items.receive())))
        return std::wstring();
    wchar_t folder[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(items.get(), folder))
        return std::wstring();
    return std::wstring(folder) + L"\\" + FILE_NAME;
}

void ScreenSaverInstallation::setLauncher(Launcher launcher)
{
    ourLauncher = launcher;
}

void ScreenSaverInstallation::resetLauncher()
{
    ourLauncher = shellExecute;
}

void ScreenSaverInstallation::shellExecute(const wchar_t* verb, const std::wstring& file)
{
    ShellExecuteW(nullptr, verb, file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
