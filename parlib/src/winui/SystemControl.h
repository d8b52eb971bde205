#pragma once

#include "winui/Window.h"

namespace par {

// A window over a system control class (edit, button, static). It is made a
// child with addChild; its commands reach the handlers added to it.
class SystemControl : public Window {
public:
    SystemControl(const std::string& className, DWORD style, DWORD exStyle);
    ~SystemControl() override;
};

} // namespace par
