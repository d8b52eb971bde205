#include "util/ComUtil.h"

#include <comdef.h>

namespace par {

void checkResult(HRESULT result)
{
    if (FAILED(result))
        _com_issue_error(result);
}

std::wstring bstrToWide(BSTR text)
{
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

} // namespace par
