#pragma once

#include <functional>

namespace test {

// Runs a real modal loop on the calling thread (a message box, whose loop
// discards messages posted to the thread itself) until the condition holds
// or the time is up; a thread timer, which that loop dispatches, then closes
// the box. Returns the condition's answer at that moment.
bool runModalLoopUntil(const std::function<bool()>& condition, unsigned timeoutMs);

} // namespace test
