#pragma once

#include "app/Application.h"

#include <functional>

namespace test {

// Runs the application's real message loop until the condition holds or the
// time (INFINITE: none) is up; returns the condition's last answer. Work
// handed over from other threads reaches the UI thread through that loop.
bool runLoopUntil(par::Application& application, const std::function<bool()>& condition,
                  unsigned timeoutMs);

} // namespace test
