#pragma once

#include <windows.h>

namespace test {

// The first top-level window of the process with that class and, when given,
// that title; null when there is none.
HWND findProcessWindow(DWORD processId, const char* className, const char* title = nullptr);

} // namespace test
