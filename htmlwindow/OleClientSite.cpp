#include "htmlwindow/OleClientSite.h"

#include "htmlwindow/NotImplemented.h"

#include <exdisp.h>

namespace htmlWindow {

OleClientSite::OleClientSite(IOleInPlaceSite* inPlaceSite, IDocHostUIHandler* uiHandler,
                             IDispatch* events)
    : myInPlaceSite(inPlaceSite), myUiHandler(uiHandler), myEvents(events)
{
}

HRESULT STDMETHODCALLTYPE OleClientSite::QueryInterface(REFIID riid, void** object)
{
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite))
        *object = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(riid, IID_IOleInPlaceSite))
        *object = myInPlaceSite;
    else if (IsEqualIID(riid, IID_IDocHostUIHandler))
        *object = myUiHandler;
    else if (IsEqualIID(riid, DIID_DWebBrowserEvents2) || IsEqualIID(riid, IID_IDispatch))
        *object = myEvents;
    else
        *object = nullptr;
    return *object ? S_OK : E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE OleClientSite::SaveObject()
{
    return notImplemented(L"SaveObject");
}

HRESULT STDMETHODCALLTYPE OleClientSite::GetMoniker(DWORD, DWORD, IMoniker**)
{
    return notImplemented(L"GetMoniker");
}

HRESULT STDMETHODCALLTYPE OleClientSite::GetContainer(IOleContainer** container)
{
    *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE OleClientSite::ShowObject()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleClientSite::OnShowWindow(BOOL)
{
    return notImplemented(L"OnShowWindow");
}

HRESULT STDMETHODCALLTYPE OleClientSite::RequestNewObjectLayout()
{
    return notImplemented(L"RequestNewObjectLayout");
}

} // namespace htmlWindow
