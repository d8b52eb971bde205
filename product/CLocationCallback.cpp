#include "product/CLocationCallback.h"

CLocationCallback::CLocationCallback() : myEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
}

HRESULT STDMETHODCALLTYPE CLocationCallback::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ILocationEvents) {
        AddRef();
        *object = static_cast<ILocationEvents*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CLocationCallback::AddRef()
{
    return InterlockedIncrement(&myReferences);
}

ULONG STDMETHODCALLTYPE CLocationCallback::Release()
{
    const LONG references = InterlockedDecrement(&myReferences);
    if (references == 0)
        delete this;
    return references;
}

HRESULT STDMETHODCALLTYPE CLocationCallback::OnLocationChanged(REFIID, ILocationReport*)
{
    SetEvent(myEvent.get());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CLocationCallback::OnStatusChanged(REFIID, LOCATION_REPORT_STATUS newStatus)
{
    if (newStatus == REPORT_RUNNING)
        SetEvent(myEvent.get());
    return S_OK;
}
