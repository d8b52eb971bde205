#include "htmlwindow/OleInPlaceSite.h"

#include "htmlwindow/NotImplemented.h"
#include "htmlwindow/OleInPlaceFrame.h"

#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace htmlWindow {

OleInPlaceSite::OleInPlaceSite(OleInPlaceFrame* frame, HWND window) : myFrame(frame), myWindow(window)
{
}

HRESULT STDMETHODCALLTYPE OleInPlaceSite::QueryInterface(REFIID riid, void** object)
{
    if (!myClientSite) {
        if (object)
            *object = nullptr;
        return E_NOINTERFACE;
    }
    return myClientSite->QueryInterface(riid, object);
}

HRESULT STDMETHODCALLTYPE OleInPlaceSite::GetWindow(HWND* window)
{
    *window = myWindow;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleInPlaceSite::ContextSensitiveHelp(BOOL)
{
    return notImplemented(L"ContextSensitiveHelp");
}

HRESULT STDMETHODCALLTYPE OleInPlaceSite::CanInPlaceActivate()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleInPlaceSite::OnInPlaceActivate()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleInPlaceSite::OnUIActivate()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleInPlaceSite::GetWindowContext(IOleInPlaceFrame** frame,
                                                           IOleInPlaceUIWindow** document,
                                                           LPRECT position, LPRECT clip,
                                                           LPOLEINPLACEFRAMEINFO frameInfo)
{
    *frame = myFrame;
    *document = nullptr;
    GetClientRect(myWindow, position);
    GetClientRect(myWindow, clip);
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = myWindow;
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleInPlaceSite::Scroll(SIZE)
{
    return notImplemented(L"Scroll");
}

HRESULT STDMETHODCALLTYPE OleInPlaceSite::OnUIDeactivate(BOOL)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleInPlaceSite::OnInPlaceDeactivate()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleInPlaceSite::DiscardUndoState()
{
    return notImplemented(L"DiscardUndoState");
}

HRESULT STDMETHODCALLTYPE OleInPlaceSite::DeactivateAndUndo()
{
    return notImplemented(L"DeactivateAndUndo");
}

HRESULT STDMETHODCALLTYPE OleInPlaceSite::OnPosRectChange(LPCRECT position)
{
    if (!myBrowser)
        return E_UNEXPECTED;
    ComPtr<IOleInPlaceObject> inPlaceObject;
    const HRESULT hr = myBrowser->QueryInterface(IID_PPV_ARGS(&inPlaceObject));
    if (FAILED(hr))
        return hr;
    inPlaceObject->SetObjectRects(position, position);
    return S_OK;
}

} // namespace htmlWindow
