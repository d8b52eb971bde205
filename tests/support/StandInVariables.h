#pragma once

#include "IFlashStandIn.h"

#include <string>
#include <vector>

namespace test {

// The values the host wrote to the stand-in's variable of that name, oldest
// first.
std::vector<std::wstring> variableValues(IFlashStandIn* standIn, const std::wstring& name);

} // namespace test
