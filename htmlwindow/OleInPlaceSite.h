#pragma once

#include <windows.h>
#include <oleidl.h>

namespace htmlWindow {

class OleInPlaceFrame;

// Where the browser is activated in place: the page window's client area.
// Other interfaces are asked of the client site; reference counts are not
// kept.
class OleInPlaceSite : public IOleInPlaceSite {
public:
    OleInPlaceSite(OleInPlaceFrame* frame, HWND window);

    void setClientSite(IOleClientSite* clientSite) { myClientSite = clientSite; }
    void setBrowser(IOleObject* browser) { myBrowser = browser; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enterMode) override;

    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnUIActivate() override;
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                               LPRECT position, LPRECT clip,
                                               LPOLEINPLACEFRAMEINFO frameInfo) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE extent) override;
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL undoable) override;
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override;
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override;
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT position) override;

private:
    OleInPlaceFrame* myFrame;
    HWND myWindow;
    IOleClientSite* myClientSite = nullptr;
    IOleObject* myBrowser = nullptr;
};

} // namespace htmlWindow
