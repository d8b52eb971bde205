#include "swfwindow/OleControlSite.h"

#include "swfwindow/ComDiagnostics.h"
#include "swfwindow/OleClientSite.h"

namespace swfWindow {

OleControlSite::OleControlSite(OleClientSite* clientSite) : myClientSite(clientSite)
{
}

HRESULT STDMETHODCALLTYPE OleControlSite::QueryInterface(REFIID riid, void** object)
{
    return myClientSite->QueryInterface(riid, object);
}

ULONG STDMETHODCALLTYPE OleControlSite::AddRef()
{
    return 1;
}

ULONG STDMETHODCALLTYPE OleControlSite::Release()
{
    return 1;
}

HRESULT STDMETHODCALLTYPE OleControlSite::OnControlInfoChanged()
{
    return logNotImplemented("OnControlInfoChanged");
}

HRESULT STDMETHODCALLTYPE OleControlSite::LockInPlaceActive(BOOL)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleControlSite::GetExtendedControl(IDispatch** control)
{
    if (control)
        *control = nullptr;
    return logNotImplemented("GetExtendedControl");
}

HRESULT STDMETHODCALLTYPE OleControlSite::TransformCoords(POINTL*, POINTF*, DWORD)
{
    return logNotImplemented("TransformCoords");
}

HRESULT STDMETHODCALLTYPE OleControlSite::TranslateAccelerator(MSG*, DWORD)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE OleControlSite::OnFocus(BOOL)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleControlSite::ShowPropertyFrame()
{
    return logNotImplemented("ShowPropertyFrame");
}

} // namespace swfWindow
