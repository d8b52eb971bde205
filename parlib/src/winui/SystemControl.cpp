#include "winui/SystemControl.h"

namespace par {

SystemControl::SystemControl(const std::string& className, DWORD style, DWORD exStyle)
    : Window(style | WS_POPUP, className, exStyle)
{
}

SystemControl::~SystemControl() = default;

} // namespace par
