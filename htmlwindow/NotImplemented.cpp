#include "htmlwindow/NotImplemented.h"

namespace htmlWindow {

HRESULT notImplemented(const wchar_t* methodName)
{
    MessageBoxW(nullptr, methodName, L"Not Implemented", MB_OK);
    return E_NOTIMPL;
}

} // namespace htmlWindow
