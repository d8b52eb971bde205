#pragma once

#include <functional>

namespace test {

// Dispatches the calling thread's messages for the given time.
void pumpMessages(unsigned milliseconds);

// Dispatches the calling thread's messages until the condition holds or the
// time is up; returns the condition's last answer.
bool pumpUntil(const std::function<bool()>& condition, unsigned timeoutMs);

} // namespace test
