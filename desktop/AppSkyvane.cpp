#include "desktop/AppSkyvane.h"

#include "desktop/AppFlashHandler.h"

#include "app/UiApplication.h"

std::wstring AppSkyvane::getInstallFolder()
{
    return par::Application::getApplicationDirPath();
}

FlashHandler* AppSkyvane::createFlashHandler()
{
    return new AppFlashHandler();
}

void AppSkyvane::close()
{
    if (par::UiApplication* application = par::UiApplication::instance())
        application->quit();
}
