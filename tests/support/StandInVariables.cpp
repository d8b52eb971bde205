#include "StandInVariables.h"

#include "Bstr.h"

using standin::Bstr;

namespace test {

Microsoft::WRL::ComPtr<IFlashStandIn> standInOf(IUnknown* control)
{
    Microsoft::WRL::ComPtr<IFlashStandIn> standIn;
    if (control)
        control->QueryInterface(IID_IFlashStandIn, reinterpret_cast<void**>(standIn.GetAddressOf()));
    return standIn;
}

std::vector<std::wstring> variableValues(IFlashStandIn* standIn, const std::wstring& name)
{
    std::vector<std::wstring> values;
    long count = 0;
    standIn->GetVariableWriteCount(&count);
    for (long i = 0; i < count; ++i) {
        Bstr written;
        Bstr value;
        standIn->GetVariableWrite(i, written.out(), value.out());
        if (written.text() == name)
            values.push_back(value.text());
    }
    return values;
}

} // namespace test
