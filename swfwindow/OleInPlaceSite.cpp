#include "swfwindow/OleInPlaceSite.h"

#include "swfwindow/ComDiagnostics.h"
#include "swfwindow/OleClientSite.h"
#include "swfwindow/OleInPlaceFrame.h"

namespace swfWindow {

OleInPlaceSite::OleInPlaceSite(HWND window) : myFrame(new OleInPlaceFrame(window)), myWindow(window)
{
}

OleInPlaceSite::~OleInPlaceSite()
{
    delete myFrame;
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

ULONG STDMETHODCALLTYPE OleInPlaceSite::AddRef()
{
    return 1;
}

ULONG STDMETHODCALLTYPE OleInPlaceSite::Release()
{
    return 1;
}

HRESULT STDMETHODCALLTYPE OleInPlaceSite::GetWindow(HWND* window)
{
    if (!window)
        return E_POINTER;
    *window = myWindow;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleInPlaceSite::ContextSensitiveHelp(BOOL)
{
    return logNotImplemented("ContextSensitiveHelp");
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
    if (!frame || !document || !position || !frameInfo)
        return E_POINTER;
    *frame = myFrame;
    *document = nullptr;
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = myWindow;
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
    RECT bounds;
    GetWindowRect(myWindow, &bounds);
    *position = {0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top};
    // The control clips to what it is given; left unwritten it would clip to
    // whatever its own variable held.
    if (clip)
        *clip = *position;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleInPlaceSite::Scroll(SIZE)
{
    return logNotImplemented("Scroll");
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
    return logNotImplemented("DiscardUndoState");
}

HRESULT STDMETHODCALLTYPE OleInPlaceSite::DeactivateAndUndo()
{
    return logNotImplemented("DeactivateAndUndo");
}

HRESULT STDMETHODCALLTYPE OleInPlaceSite::OnPosRectChange(LPCRECT position)
{
    if (!myOleObject || !position)
        return S_OK;
    IOleInPlaceObject* inPlaceObject = nullptr;
    if (SUCCEEDED(myOleObject->QueryInterface(IID_IOleInPlaceObject,
                                              reinterpret_cast<void**>(&inPlaceObject))) &&
        inPlaceObject) {
        inPlaceObject->SetObjectRects(position, position);
        inPlaceObject->Release();
    }
    return S_OK;
}

} // namespace swfWindow
