#pragma once

#include <windows.h>

#include <functional>

namespace test {

// Asks the condition every interval until it holds or the time is up, without
// running a message loop; returns its last answer.
bool pollUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD intervalMs);

} // namespace test
