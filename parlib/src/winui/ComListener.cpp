#include "winui/ComListener.h"

namespace par {

HRESULT STDMETHODCALLTYPE ComListener::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch)) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IDispatch*>(this);
    return S_OK;
}

ULONG STDMETHODCALLTYPE ComListener::AddRef()
{
    return 1;
}

ULONG STDMETHODCALLTYPE ComListener::Release()
{
    return 1;
}

HRESULT STDMETHODCALLTYPE ComListener::GetTypeInfoCount(UINT*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ComListener::GetTypeInfo(UINT, LCID, ITypeInfo**)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ComListener::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

} // namespace par
