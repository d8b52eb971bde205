#include "saver/SaverSkyvane.h"

#include "saver/SaverController.h"
#include "saver/SaverFlashHandler.h"

std::wstring SaverSkyvane::getInstallFolder()
{
    return SaverController::instance().getInstallFolder();
}

FlashHandler* SaverSkyvane::createFlashHandler()
{
    return new SaverFlashHandler();
}

void SaverSkyvane::close()
{
    SaverController::instance().close();
}
