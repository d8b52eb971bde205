#pragma once

#include <string>
#include <vector>

class SwfWindow;

namespace swfWindow {

// The first answerer of the movie's ExternalInterface calls: the native
// commands built into the host. A name it does not handle goes on to the
// window's listeners.
class PrimaryExternalInterfaceHandler {
public:
    explicit PrimaryExternalInterfaceHandler(SwfWindow* owner);
    virtual ~PrimaryExternalInterfaceHandler() = default;
    PrimaryExternalInterfaceHandler(const PrimaryExternalInterfaceHandler&) = delete;
    PrimaryExternalInterfaceHandler& operator=(const PrimaryExternalInterfaceHandler&) = delete;

    // True when the name is a built-in command, whatever the answer.
    bool handle(const std::wstring& name, std::vector<std::wstring> arguments, std::wstring& answer);

private:
    SwfWindow* myOwner;
};

} // namespace swfWindow
