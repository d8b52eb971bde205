#pragma once

#include <windows.h>

namespace htmlWindow {

// What the browser host's COM objects answer for a method they do not
// support: a box named after the method, then E_NOTIMPL.
HRESULT notImplemented(const wchar_t* methodName);

} // namespace htmlWindow
