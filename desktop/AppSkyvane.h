#pragma once

#include "product/Skyvane.h"

// The desktop program's facade: its movie lives next to the executable and
// ending the program ends the message loop.
class AppSkyvane : public Skyvane {
public:
    std::wstring getInstallFolder() override;

protected:
    FlashHandler* createFlashHandler() override;
    void close() override;
};
