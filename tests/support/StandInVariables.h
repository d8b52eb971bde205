#pragma once

#include "IFlashStandIn.h"

#include <wrl/client.h>

#include <string>
#include <vector>

namespace test {

// The stand-in behind a control, or null when the control is another one.
Microsoft::WRL::ComPtr<IFlashStandIn> standInOf(IUnknown* control);

// The values the host wrote to the stand-in's variable of that name, oldest
// first.
std::vector<std::wstring> variableValues(IFlashStandIn* standIn, const std::wstring& name);

} // namespace test
