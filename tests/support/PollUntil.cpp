#include "PollUntil.h"

namespace test {

bool pollUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD intervalMs)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= timeoutMs)
            return condition();
        Sleep(intervalMs);
    }
    return true;
}

} // namespace test
