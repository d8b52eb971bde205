#include "swfwindow/OleClientSite.h"

#include "swfwindow/ComDiagnostics.h"
#include "swfwindow/OleControlSite.h"
#include "swfwindow/OleInPlaceSite.h"

#include <servprov.h>

namespace swfWindow {

namespace {

const char kClassName[] = "OleClientSite";

// Hands out an interface of ours with a reference, as COM asks: the site
// objects count none, the event sink counts its own.
HRESULT answer(void** object, IUnknown* found, const char* label)
{
    *object = found;
    if (found)
        found->AddRef();
    logQueryInterface(kClassName, label, found == nullptr);
    return found ? S_OK : E_NOINTERFACE;
}

} // namespace

OleClientSite::OleClientSite(OleInPlaceSite* inPlaceSite)
    : myInPlaceSite(inPlaceSite), myControlSite(new OleControlSite(this))
{
}

OleClientSite::~OleClientSite()
{
    delete myControlSite;
}

HRESULT STDMETHODCALLTYPE OleClientSite::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
        return answer(object, static_cast<IOleClientSite*>(this), "IID_IUnknown || IID_IOleClientSite");
    if (riid == IID_IOleInPlaceSite)
        return answer(object, static_cast<IOleInPlaceSite*>(myInPlaceSite), "IID_IOleInPlaceSite");
    if (riid == IID_IOleControlSite)
        return answer(object, static_cast<IOleControlSite*>(myControlSite), "IID_IOleControlSite");
    if (riid == IID_IDispatch)
        return answer(object, myEventSink, "IID_IDispatch");
    if (riid == IID_IOleInPlaceSiteEx)
        return answer(object, nullptr, "IID_IOleInPlaceSiteEx");
    *object = nullptr;
    if (riid == IID_IServiceProvider)
        return E_NOINTERFACE;
    logQueryInterface(kClassName, "no idea which interface was queried for", false);
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE OleClientSite::AddRef()
{
    return 1;
}

ULONG STDMETHODCALLTYPE OleClientSite::Release()
{
    return 1;
}

HRESULT STDMETHODCALLTYPE OleClientSite::SaveObject()
{
    return logNotImplemented("SaveObject");
}

HRESULT STDMETHODCALLTYPE OleClientSite::GetMoniker(DWORD, DWORD, IMoniker**)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE OleClientSite::GetContainer(IOleContainer** container)
{
    if (container)
        *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE OleClientSite::ShowObject()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleClientSite::OnShowWindow(BOOL)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE OleClientSite::RequestNewObjectLayout()
{
    return logNotImplemented("RequestNewObjectLayout");
}

} // namespace swfWindow
