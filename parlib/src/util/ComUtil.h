#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace par {

// Raises a failing result as a _com_error; success codes pass.
void checkResult(HRESULT result);

// The whole text, embedded NULs included; empty for a null BSTR.
std::wstring bstrToWide(BSTR text);

} // namespace par
