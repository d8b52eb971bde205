#pragma once

#include "product/Skyvane.h"

// The saver's facade: the movie comes from the desktop program's folder, and
// closing the program closes the saver window or the configure dialog.
class SaverSkyvane : public Skyvane {
public:
    std::wstring getInstallFolder() override;

protected:
    FlashHandler* createFlashHandler() override;
    void close() override;
};
