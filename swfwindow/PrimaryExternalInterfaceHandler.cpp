#include "swfwindow/PrimaryExternalInterfaceHandler.h"

namespace swfWindow {

PrimaryExternalInterfaceHandler::PrimaryExternalInterfaceHandler(SwfWindow* owner) : myOwner(owner)
{
}

bool PrimaryExternalInterfaceHandler::handle(const std::wstring&, std::vector<std::wstring>,
                                             std::wstring&)
{
    return false;
}

} // namespace swfWindow
