#include "saver/SaverHackApp.h"

SaverHackApp::SaverHackApp(HINSTANCE instance, const std::wstring& installFolder)
    : par::UiApplication(instance, nullptr, L"", SW_SHOWNORMAL)
{
    setName(L"Skyvane");
    setApplicationDirPath(installFolder);
}

par::Window* SaverHackApp::createMainWindow()
{
    return nullptr;
}

void SaverHackApp::setContentWindow(par::Window* window)
{
    setMainWindow(window);
}
